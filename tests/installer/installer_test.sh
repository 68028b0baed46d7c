#!/bin/bash
# The installer in a fresh Wine prefix of its own, as a user meets it:
# an older version installed, then this one over it (the settings stay);
# the files where the entry says; a client runs a job through the installed
# qnrZip; the shortcut names the installed Bralto, which makes the .zip
# association; a silent uninstall leaves no file, class, type library or
# entry, gives .zip back to its previous owner and keeps the settings.
#   installer_test.sh SETUP OLD_SETUP VERSION ASSOCIATE_EXE WORK
set -u
# Wine's reg prints in the OEM code page ("(par d\x82faut)"); bytes, not UTF-8.
export LC_ALL=C
SETUP="$1" OLD_SETUP="$2" VERSION="$3" ASSOCIATE="$4" WORK="$5"
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
WINE_SH="$ROOT/scripts/wine.sh"
export BRALTO_WINEPREFIX="$WORK/prefix"
rm -rf "$WORK"; mkdir -p "$WORK"
LOG="$WORK/wine.log"
failures=0
check() { if ! eval "$1"; then echo "FAILED: $2"; failures=$((failures + 1)); fi; }
# Wine's helpers must not hold ctest's output pipe.
run() { "$WINE_SH" "$@" </dev/null 2>>"$LOG"; }
"$WINE_SH" --start </dev/null >/dev/null 2>&1
trap '"$WINE_SH" --stop </dev/null >/dev/null 2>&1' EXIT
unix_path() { local p="${1//\\//}"; echo "$BRALTO_WINEPREFIX/drive_c/${p#C:/}"; }
query() { run reg query "$@" 2>/dev/null | tr -d '\r'; }
key_exists() { run reg query "$1" >/dev/null 2>&1; }
value_of() { query "$1" /v "$2" | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }
UNINSTALL='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Bralto'
SETTINGS='HKCU\Software\Quenor App Bralto'
CLSID_ZIP='{84BA70CE-3977-11D5-AB48-206404C10000}'
LIBID='{84BA70CB-3977-11D5-AB48-206404C10000}'

# Another program owns .zip before Bralto comes.
run reg add 'HKCR\.zip' /ve /d OtherZip.Archive /f >/dev/null
run reg add 'HKCR\.zip' /v 'Content Type' /d application/zip /f >/dev/null
run reg add 'HKCR\.zip\OpenWithProgids' /v OtherZip.Archive /d '' /f >/dev/null
query 'HKCR\.zip' /s > "$WORK/zip-before.txt"

# An older version, used: it has settings.
run "Z:${OLD_SETUP//\//\\}" /S >/dev/null
check '[ "$(value_of "$UNINSTALL" DisplayVersion)" = 0.9.0 ]' "the older version is installed"
run reg add "$SETTINGS\\MRU" /v 1 /d 'C:\archives\gardee.zip' /f >/dev/null
run reg add "$SETTINGS\\StartUp" /v Register /d 0 /f >/dev/null

# This version over it, silently.
run "Z:${SETUP//\//\\}" /S >/dev/null
check '[ $? -eq 0 ]' "the silent install succeeds"
check '[ "$(value_of "$UNINSTALL" DisplayVersion)" = "$VERSION" ]' "the entry shows version $VERSION"
check '[ "$(value_of "$SETTINGS\\MRU" 1)" = "C:\\archives\\gardee.zip" ]' "the install over the older one keeps the settings"
INSTDIR_WIN="$(value_of "$UNINSTALL" InstallLocation)"
INSTDIR="$(unix_path "$INSTDIR_WIN")"
check '[[ "$INSTDIR_WIN" == *'"'"'\AppData\Local\Programs\Bralto'"'"' ]]' "a per-user install by default ($INSTDIR_WIN)"
for f in Bralto.exe qnrZip.exe qnrz320.dll qnruz320.dll Bralto.chm Licence.txt Uninstall.exe; do
    check '[ -f "$INSTDIR/$f" ]' "$f is installed"
done
for v in DisplayName Publisher DisplayIcon UninstallString QuietUninstallString EstimatedSize; do
    check '[ -n "$(value_of "$UNINSTALL" $v)" ]' "the entry has $v"
done
check '[ "$(value_of "$UNINSTALL" DisplayIcon)" = "$INSTDIR_WIN\\Bralto.exe,0" ]' "DisplayIcon names the installed program"
check 'chmls list "$INSTDIR/Bralto.chm" 2>/dev/null | grep -q "/index.htm"' "the installed help file lists its pages"

# COM finds the installed server, and a client's job runs there.
SERVER="$(query "HKCR\\CLSID\\$CLSID_ZIP\\LocalServer32" | sed -n 's/^ *([^)]*) *REG_SZ *//p')"
check '[ "$SERVER" = "\"$INSTDIR_WIN\\qnrZip.exe\"" ]' "cAsyncZip is served by the installed qnrZip ($SERVER)"
echo "contenu" > "$WORK/a.txt"
run cscript //nologo "Z:${ROOT//\//\\}\\tests\\installer\\zip_job.vbs" "Z:${WORK//\//\\}\\job.zip" "Z:${WORK//\//\\}\\a.txt" >/dev/null
check '[ $? -eq 0 ] && unzip -tq "$WORK/job.zip" >/dev/null' "a zip job through the installed server makes a sound archive"

# The Start menu shortcut names the installed Bralto, which starts and
# makes the association from its window.
LINK="$(find "$BRALTO_WINEPREFIX/drive_c/users" -path '*Start Menu/Programs/Bralto.lnk' | head -1)"
check '[ -n "$LINK" ] && grep -aq "Bralto.exe" "$LINK"' "a Start menu shortcut to Bralto.exe"
run reg delete "$SETTINGS\\StartUp" /v Register /f >/dev/null
run "Z:${ASSOCIATE//\//\\}" "$INSTDIR_WIN\\Bralto.exe" >/dev/null
check '[ $? -eq 0 ]' "Bralto starts from the installed folder and makes the association"
ZIP_OWNER="$(query 'HKCR\.zip' | sed -n 's/^ *([^)]*) *REG_SZ *//p')"
check '[ "$ZIP_OWNER" = "Quenor Archive" ]' ".zip belongs to Bralto ($ZIP_OWNER)"
check '[ -f "$INSTDIR/Undo.reg" ]' "the association saved Undo.reg in the installed folder"

check 'key_exists "HKCR\\CLSID\\$CLSID_ZIP" && key_exists "HKCR\\TypeLib\\$LIBID" && key_exists "HKCR\\Quenor Archive"' "the classes, type library and file type are registered before the uninstall"

# Silent uninstall with the entry's own command. NSIS's uninstaller runs
# from a copy of itself: wait for the folder to go.
QUIET="$(value_of "$UNINSTALL" QuietUninstallString)"
QUIET_EXE="${QUIET#\"}"; QUIET_EXE="${QUIET_EXE%%\"*}"
read -r -a QUIET_ARGS <<< "${QUIET#*\" }"
check '[ -n "$QUIET_EXE" ] && [ ${#QUIET_ARGS[@]} -ge 1 ]' "the quiet uninstall command reads as program and switches ($QUIET)"
run "$QUIET_EXE" "${QUIET_ARGS[@]}" >/dev/null
for _ in $(seq 1 100); do [ -e "$INSTDIR" ] || key_exists "$UNINSTALL" || break; sleep 0.2; done
check '[ ! -e "$INSTDIR" ]' "the installed folder is gone"
check '! key_exists "$UNINSTALL"' "the uninstall entry is gone"
check '! key_exists "HKCR\\CLSID\\$CLSID_ZIP" && ! key_exists "HKCR\\qnrZip.cAsyncZip"' "no class registration is left"
check '! key_exists "HKCR\\TypeLib\\$LIBID"' "no type library registration is left"
check '! key_exists "HKCR\\Quenor Archive"' "Bralto's file-type class is gone"
query 'HKCR\.zip' /s > "$WORK/zip-after.txt"
check 'diff "$WORK/zip-before.txt" "$WORK/zip-after.txt" >/dev/null' ".zip is back as it was: $(diff "$WORK/zip-before.txt" "$WORK/zip-after.txt" | tr '\n' ' ')"
check '[ -z "$LINK" ] || [ ! -e "$LINK" ]' "the shortcut is gone"
check '[ "$(value_of "$SETTINGS\\MRU" 1)" = "C:\\archives\\gardee.zip" ]' "a silent uninstall keeps the settings"

[ $failures -eq 0 ] && rm -rf "$WORK"
echo "$failures failed check(s)"
exit $((failures > 0))
