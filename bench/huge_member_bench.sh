#!/bin/bash
# One member over 4 GiB in $huge_method: `bench/methods_bench.sh --huge`
# sources this after building the Windows driver (it uses $root, $work and
# winpath).
# 7zz writes the member from text made on the fly (the mingw-w64 headers
# end to end, each pass numbered), tests it beside qnruz320.dll under Wine,
# and the DLL extracts it; the extracted file's SHA-256 must be the text's.
huge_size=$((4300 * 1048576))
huge_base=$work/huge-base.txt
huge_archive=$work/huge.zip
huge_out=$work/huge-out

generate_huge() {
    local pass=0
    while :; do
        pass=$((pass + 1))
        printf 'pass %d\n' "$pass"
        cat "$huge_base"
    done | head -c "$huge_size"
}

# once LABEL COMMAND...: runs it once and prints its wall time.
once() {
    local label=$1 code=0
    shift
    /usr/bin/time -f '%e' -o "$work/time" "$@" >"$work/stdout" 2>"$work/stderr" || code=$?
    if [ "$code" -ne 0 ]; then
        tail -n 5 "$work/stdout" "$work/stderr" >&2
        printf '    %-24s FAILED (exit %d)\n' "$label" "$code"
        return 1
    fi
    printf '    %-24s wall %7.1f s   %6.1f MiB/s\n' "$label" "$(cat "$work/time")" \
        "$(echo "$huge_size / 1048576 / $(cat "$work/time")" | bc -l)"
}

free_kib=$(df --output=avail -k "$work" | tail -n 1)
if [ "$free_kib" -lt $((6 * 1048576)) ]; then
    echo "Not enough disk: $((free_kib / 1048576)) GiB free in $work, 6 GiB needed" >&2
    exit 1
fi
if [ ! -f "$work/unzip_driver_win.exe" ]; then
    echo "The x86_64 build (qnruz320.dll) is needed" >&2
    exit 1
fi
trap 'rm -rf "$huge_archive" "$huge_out" "$huge_base" "$work/huge.sha256"' EXIT
find /usr/share/mingw-w64/include -type f -print0 | sort -z | xargs -0 cat > "$huge_base"
echo "One member of $((huge_size / 1048576)) MiB of text, $huge_method (7zz -mx1):"
once "text | sha256sum" bash -c "$(declare -f generate_huge); $(declare -p huge_size huge_base);
    generate_huge | sha256sum | cut -c1-64 > '$work/huge.sha256'"
rm -f "$huge_archive"
once "7zz a" bash -c "$(declare -f generate_huge); $(declare -p huge_size huge_base);
    generate_huge | 7zz a -tzip -mm=$huge_method -mx1 -bd -bso0 -sihuge.txt '$huge_archive'"
python3 - "$huge_archive" "$huge_size" "$huge_method" <<'PY'
import sys, zipfile
info = zipfile.ZipFile(sys.argv[1]).getinfo("huge.txt")
print(f"    member: {info.file_size} bytes, {info.compress_size} compressed, method {info.compress_type}")
if info.file_size != int(sys.argv[2]) or info.compress_type != {"Deflate64": 9, "BZip2": 12, "LZMA": 14}[sys.argv[3]]:
    sys.exit("    not the member asked for")
PY
failed=0
once "7zz t" 7zz t -bd "$huge_archive" || failed=1
once "7zz t -mmt1" 7zz t -mmt1 -bd "$huge_archive" || failed=1
once "qnruz320.dll t (Wine)" "$root/scripts/wine.sh" "$work/unzip_driver_win.exe" t "$(winpath "$huge_archive")" ||
    failed=1
rm -rf "$huge_out" && mkdir -p "$huge_out"
once "qnruz320.dll x (Wine)" "$root/scripts/wine.sh" "$work/unzip_driver_win.exe" x "$(winpath "$huge_archive")" \
    "$(winpath "$huge_out")" || failed=1
expected=$(cat "$work/huge.sha256")
extracted=missing
[ -f "$huge_out/huge.txt" ] && extracted=$(sha256sum "$huge_out/huge.txt" | cut -c1-64)
if [ "$extracted" = "$expected" ]; then
    echo "    extracted file: $(stat -c %s "$huge_out/huge.txt") bytes, SHA-256 the text's ($expected)"
else
    echo "    extracted file: SHA-256 $extracted, the text's $expected: MISMATCH"
    failed=1
fi
[ "$failed" = 0 ] || exit 1
