#!/bin/bash
# Every deliverable must run with nothing beside it but the system DLLs:
# libgcc, libstdc++, winpthread and zlib are linked in statically.
# Usage: check_imports.sh BIN_DIR [BIN_DIR...]
status=0
SYSTEM='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|comctl32|comdlg32|msvcrt|shlwapi|uxtheme|version|rpcrt4|ws2_32|imm32|winmm|ntdll|bcrypt|api-ms-win-.*)\.dll$'
for dir in "$@"; do
    for f in Bralto.exe qnrZip.exe qnrz320.dll qnruz320.dll; do
        file="$dir/$f"
        if [ ! -f "$file" ]; then
            echo "MISSING: $file"; status=1; continue
        fi
        while read -r dll; do
            if ! echo "$dll" | tr 'A-Z' 'a-z' | grep -Eq "$SYSTEM"; then
                echo "NOT A SYSTEM DLL: $file imports $dll"; status=1
            fi
        done < <(x86_64-w64-mingw32-objdump -p "$file" | awk '/DLL Name:/ {print $3}')
    done
done
[ $status -eq 0 ] && echo "only system DLLs imported in: $*"
exit $status
