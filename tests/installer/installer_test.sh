#!/bin/bash
# The installer in a fresh Wine prefix of its own, as a user meets it.
# Per user (the default): an older version installed, then this one over it
# (the program replaced, the settings kept); the files where the entry
# says; qnrZip registered for the user only; the shortcut's target is the
# installed Bralto, which starts and makes the .zip association; a client
# runs a job through the installed qnrZip; a silent uninstall leaves no
# file, class, type library or entry, gives .zip back to its previous owner
# and keeps the settings. Per machine (/AllUsers): the same, with the
# machine's entry, folder, Start menu and classes.
#   installer_test.sh SETUP OLD_SETUP VERSION ASSOCIATE_EXE WORK
set -u
# Wine's reg prints in the OEM code page ("(par d\x82faut)"); bytes, not UTF-8.
export LC_ALL=C
SETUP="$1" OLD_SETUP="$2" VERSION="$3" ASSOCIATE="$4" WORK="$5"
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
WINE_SH="$ROOT/scripts/wine.sh"
PE_FACTS="$ROOT/tests/installer/pe_facts.py"
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
windows_path() { echo "Z:${1//\//\\}"; }
query() { run reg query "$@" 2>/dev/null | tr -d '\r'; }
key_exists() { run reg query "$1" >/dev/null 2>&1; }
value_of() { query "$1" /v "$2" | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }
default_of() { query "$1" | sed -n 's/^ *([^)]*) *REG_SZ *//p'; }
ENTRY='Software\Microsoft\Windows\CurrentVersion\Uninstall\Bralto'
SETTINGS='HKCU\Software\Quenor App Bralto'
CLSID_ZIP='{84BA70CE-3977-11D5-AB48-206404C10000}'
LIBID='{84BA70CB-3977-11D5-AB48-206404C10000}'
SERVER_KEY="Software\\Classes\\CLSID\\$CLSID_ZIP\\LocalServer32"

# A client's job through whatever COM finds for qnrZip.cAsyncZip.
zip_job_runs() {
    rm -f "$WORK/job.zip"
    run cscript //nologo "$(windows_path "$ROOT")\\tests\\installer\\zip_job.vbs" \
        "$(windows_path "$WORK")\\job.zip" "$(windows_path "$WORK")\\a.txt" >/dev/null &&
        unzip -tq "$WORK/job.zip" >/dev/null
}

# Checks one installed copy: INSTALL_ROOT (HKCU or HKLM) holds its entry
# and its classes, OTHER_ROOT no class; LINKS is where its Start menu is;
# FOLDER the install folder it must have. Then starts the shortcut's
# target, which makes the association, runs a job, and uninstalls silently.
exercise_install() {
    local mode="$1" INSTALL_ROOT="$2" OTHER_ROOT="$3" LINKS="$4" FOLDER="$5"
    local UNINSTALL="$INSTALL_ROOT\\$ENTRY"
    echo "== $mode"
    check '[ "$(value_of "$UNINSTALL" DisplayVersion)" = "$VERSION" ]' "$mode: the entry shows version $VERSION"
    INSTDIR_WIN="$(value_of "$UNINSTALL" InstallLocation)"
    INSTDIR="$(unix_path "$INSTDIR_WIN")"
    check '[[ "$INSTDIR_WIN" == *"$FOLDER" ]]' "$mode: installed in ...$FOLDER ($INSTDIR_WIN)"
    for f in Bralto.exe qnrZip.exe qnrz320.dll qnruz320.dll Bralto.chm Licence.txt Uninstall.exe; do
        check '[ -f "$INSTDIR/$f" ]' "$mode: $f is installed"
    done
    check '[ "$(python3 "$PE_FACTS" file-version "$INSTDIR/Bralto.exe")" = "$VERSION.0" ]' \
        "$mode: the installed Bralto.exe is version $VERSION.0"
    for v in DisplayName Publisher DisplayIcon UninstallString QuietUninstallString EstimatedSize; do
        check '[ -n "$(value_of "$UNINSTALL" $v)" ]' "$mode: the entry has $v"
    done
    check '[ "$(value_of "$UNINSTALL" DisplayIcon)" = "$INSTDIR_WIN\\Bralto.exe,0" ]' "$mode: DisplayIcon names the installed program"
    check 'chmls list "$INSTDIR/Bralto.chm" 2>/dev/null | grep -q "/index.htm"' "$mode: the installed help file lists its pages"

    # qnrZip is registered in the install's scope only.
    local SERVER="\"$INSTDIR_WIN\\qnrZip.exe\""
    check '[ "$(default_of "$INSTALL_ROOT\\$SERVER_KEY")" = "$SERVER" ]' \
        "$mode: $INSTALL_ROOT's cAsyncZip is the installed qnrZip ($(default_of "$INSTALL_ROOT\\$SERVER_KEY"))"
    check '! key_exists "$OTHER_ROOT\\Software\\Classes\\CLSID\\$CLSID_ZIP"' "$mode: no class registered in $OTHER_ROOT"
    # Wine's COM reads the machine's classes only: a per-machine install
    # serves clients at once, a per-user one once Bralto registered itself.
    if [ "$INSTALL_ROOT" = HKLM ]; then
        check 'zip_job_runs' "$mode: a zip job through the installed server makes a sound archive"
    fi

    # The Start menu shortcut starts the installed Bralto, which makes the
    # association from its window.
    local LINK TARGET
    LINK="$(find "$LINKS" -path '*Start Menu/Programs/Bralto.lnk' 2>/dev/null | head -1)"
    check '[ -n "$LINK" ]' "$mode: a Start menu shortcut under $LINKS"
    TARGET="$( [ -n "$LINK" ] && python3 "$PE_FACTS" link-target "$LINK" 2>>"$LOG")"
    check '[ "$TARGET" = "$INSTDIR_WIN\\Bralto.exe" ]' "$mode: the shortcut starts the installed Bralto.exe ($TARGET)"
    run reg delete "$SETTINGS\\StartUp" /v Register /f >/dev/null
    run "$(windows_path "$ASSOCIATE")" "${TARGET:-$INSTDIR_WIN\\Bralto.exe}" >/dev/null
    check '[ $? -eq 0 ]' "$mode: Bralto starts from the shortcut's target and makes the association"
    local ZIP_OWNER
    ZIP_OWNER="$(default_of 'HKCR\.zip')"
    check '[ "$ZIP_OWNER" = "Quenor Archive" ]' "$mode: .zip belongs to Bralto ($ZIP_OWNER)"
    check '[ -f "$INSTDIR/Undo.reg" ]' "$mode: the association saved Undo.reg in the installed folder"
    check '[ "$(default_of "HKCR\\CLSID\\$CLSID_ZIP\\LocalServer32")" = "$SERVER" ]' "$mode: COM finds the installed qnrZip after Bralto's start"
    if [ "$INSTALL_ROOT" = HKCU ]; then
        check 'zip_job_runs' "$mode: a zip job through the installed server makes a sound archive"
    fi
    check 'key_exists "HKCR\\TypeLib\\$LIBID" && key_exists "HKCR\\Quenor Archive"' "$mode: the type library and the file type are registered before the uninstall"

    # Silent uninstall with the entry's own command. NSIS's uninstaller runs
    # from a copy of itself: wait for the folder to go.
    local QUIET QUIET_EXE QUIET_ARGS
    QUIET="$(value_of "$UNINSTALL" QuietUninstallString)"
    QUIET_EXE="${QUIET#\"}"; QUIET_EXE="${QUIET_EXE%%\"*}"
    read -r -a QUIET_ARGS <<< "${QUIET#*\" }"
    check '[ -n "$QUIET_EXE" ] && [ ${#QUIET_ARGS[@]} -ge 1 ]' "$mode: the quiet uninstall command reads as program and switches ($QUIET)"
    run "$QUIET_EXE" "${QUIET_ARGS[@]}" >/dev/null
    for _ in $(seq 1 100); do [ -e "$INSTDIR" ] || key_exists "$UNINSTALL" || break; sleep 0.2; done
    check '[ ! -e "$INSTDIR" ]' "$mode: the installed folder is gone"
    check '! key_exists "$UNINSTALL"' "$mode: the uninstall entry is gone"
    for root in HKLM HKCU; do
        check '! key_exists "$root\\Software\\Classes\\CLSID\\$CLSID_ZIP" && ! key_exists "$root\\Software\\Classes\\qnrZip.cAsyncZip"' \
            "$mode: no class registration is left in $root"
    done
    check '! key_exists "HKCR\\TypeLib\\$LIBID"' "$mode: no type library registration is left"
    check '! key_exists "HKCR\\Quenor Archive"' "$mode: Bralto's file-type class is gone"
    query 'HKCR\.zip' /s > "$WORK/zip-after.txt"
    check 'diff "$WORK/zip-before.txt" "$WORK/zip-after.txt" >/dev/null' \
        "$mode: .zip is back as it was: $(diff "$WORK/zip-before.txt" "$WORK/zip-after.txt" | tr '\n' ' ')"
    check '[ -z "$LINK" ] || [ ! -e "$LINK" ]' "$mode: the shortcut is gone"
    check '[ "$(value_of "$SETTINGS\\MRU" 1)" = "C:\\archives\\gardee.zip" ]' "$mode: a silent uninstall keeps the settings"
}

echo "contenu" > "$WORK/a.txt"
# Another program owns .zip before Bralto comes.
run reg add 'HKCR\.zip' /ve /d OtherZip.Archive /f >/dev/null
run reg add 'HKCR\.zip' /v 'Content Type' /d application/zip /f >/dev/null
run reg add 'HKCR\.zip\OpenWithProgids' /v OtherZip.Archive /d '' /f >/dev/null
query 'HKCR\.zip' /s > "$WORK/zip-before.txt"

# An older version, used: it has settings.
run "$(windows_path "$OLD_SETUP")" /S >/dev/null
check '[ "$(value_of "HKCU\\$ENTRY" DisplayVersion)" = 0.9.0 ]' "the older version is installed"
OLD_EXE="$(unix_path "$(value_of "HKCU\\$ENTRY" InstallLocation)")/Bralto.exe"
check '[ "$(python3 "$PE_FACTS" file-version "$OLD_EXE")" = 0.9.0.0 ]' "the older version's Bralto.exe is 0.9.0.0"
run reg add "$SETTINGS\\MRU" /v 1 /d 'C:\archives\gardee.zip' /f >/dev/null
run reg add "$SETTINGS\\StartUp" /v Register /d 0 /f >/dev/null

# This version over it, silently: per user, as the older one was.
run "$(windows_path "$SETUP")" /S >/dev/null
check '[ $? -eq 0 ]' "the silent install succeeds"
check '[ "$(value_of "$SETTINGS\\MRU" 1)" = "C:\\archives\\gardee.zip" ]' "the install over the older one keeps the settings"
exercise_install "per user" HKCU HKLM "$BRALTO_WINEPREFIX/drive_c/users" '\AppData\Local\Programs\Bralto'

# For every user of the machine.
run "$(windows_path "$SETUP")" /S /AllUsers >/dev/null
check '[ $? -eq 0 ]' "the silent per-machine install succeeds"
check '! key_exists "HKCU\\$ENTRY"' "a per-machine install writes no per-user entry"
exercise_install "per machine" HKLM HKCU "$BRALTO_WINEPREFIX/drive_c/ProgramData" '\Program Files\Bralto'

[ $failures -eq 0 ] && rm -rf "$WORK"
echo "$failures failed check(s)"
exit $((failures > 0))
