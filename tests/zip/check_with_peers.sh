#!/bin/bash
# Checks the archives the Windows zip tests wrote, with the peer tools:
# each manifest line names an archive, the tree it must extract to (both
# relative to the exchange folder; no tree: test only) and its password.
#   check_with_peers.sh EXCHANGE_FOLDER
set -uo pipefail
exchange=$1
manifest=$exchange/manifest.txt
[[ -s $manifest ]] || { echo "no archives to check in $manifest"; exit 1; }
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

while IFS='|' read -r archive tree password; do
    path=$exchange/$archive
    before=$failures
    [[ -f $path ]] || { fail "$archive is missing"; continue; }
    unzip_password=() sevenzip_password=()
    [[ -n $password ]] && unzip_password=(-P "$password") && sevenzip_password=("-p$password")
    unzip -tq "${unzip_password[@]}" "$path" >/dev/null || fail "unzip -t $archive"
    7zz t "${sevenzip_password[@]}" "$path" >/dev/null || fail "7zz t $archive"
    python3 -c 'import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
if sys.argv[2]: z.setpassword(sys.argv[2].encode())
assert z.testzip() is None' "$path" "$password" || fail "python zipfile $archive"
    [[ -z $tree ]] && { ((failures == before)) && echo "ok: $archive"; continue; }
    for tool in unzip 7zz; do
        out=$(mktemp -d)
        if [[ $tool == unzip ]]; then
            unzip -q "${unzip_password[@]}" "$path" -d "$out" || fail "unzip $archive"
        else
            7zz x -y "${sevenzip_password[@]}" "-o$out" "$path" >/dev/null || fail "7zz x $archive"
        fi
        diff -r "$exchange/$tree" "$out" >/dev/null || fail "$tool extracts $archive differently from $tree"
        rm -rf "$out"
    done
    ((failures == before)) && echo "ok: $archive"
done <"$manifest"
exit $((failures > 0))
