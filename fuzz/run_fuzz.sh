#!/bin/bash
# Builds the libFuzzer targets with clang (build/fuzz) and runs each in turn,
# one process at a time, from the hostile archives kept in fuzz/corpus/.
#   fuzz/run_fuzz.sh                      # both targets, 30 seconds each
#   fuzz/run_fuzz.sh 600                  # ten minutes each
#   fuzz/run_fuzz.sh 60 zip_update_fuzz   # one target
# Targets: unzip_fuzz (list, test and extract of the fuzzed archive) and
# zip_update_fuzz (add, replace and delete on it). Each target's corpus
# grows in build/fuzz/corpus/<target>/ and is reused by the next run; its
# log is build/fuzz/<target>.log; crashes go to build/fuzz/crashes/.
# Prints one line per target (executions, executions a second, coverage);
# the exit status is not 0 when a target found a crash, a leak or a
# sanitizer report.
set -euo pipefail
seconds=${1:-30}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(unzip_fuzz zip_update_fuzz)
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/fuzz
mkdir -p "$build/crashes"
if [ ! -f "$build/build.ninja" ]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DBRALTO_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target "${targets[@]}" -j2 >/dev/null

status=0
for target in "${targets[@]}"; do
    corpus=$build/corpus/$target
    log=$build/$target.log
    mkdir -p "$corpus"
    # New inputs go to the first folder; the kept ones are only read.
    kept=()
    for folder in "$root"/fuzz/corpus/*/; do kept+=("${folder%/}"); done
    (cd "$build" && "./bin/$target" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=1024 -timeout=10 \
        -print_final_stats=1 -artifact_prefix="$build/crashes/$target-" \
        "$corpus" "${kept[@]}") >"$log" 2>&1 || {
        status=1
        echo "$target: FAILED, see $log"
        grep -E '^(==[0-9]+==ERROR|SUMMARY|update rule broken|artifact_prefix|Test unit written)' "$log" | head -8 || true
    }
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    coverage=$(grep -Eo 'cov: [0-9]+ ft: [0-9]+ corp: [0-9]+/[0-9]+[a-zA-Z]*' "$log" | tail -1 || true)
    echo "$target: ${runs:-?} executions in ${seconds} s, ${rate:-?} a second, ${coverage:-no coverage line}"
done
exit $status
