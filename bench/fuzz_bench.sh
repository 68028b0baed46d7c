#!/bin/bash
# Longer fuzzing of the Zip core than the test run gives it, with figures.
# Each libFuzzer target first replays the kept hostile archives
# (fuzz/corpus/) a number of times - executions a second on fixed inputs,
# comparable from one build to the next - then fuzzes for a while, one
# process (one core), from those archives and its own grown corpus.
#   bench/fuzz_bench.sh                       # 10 minutes each
#   bench/fuzz_bench.sh 3600                  # an hour each
#   bench/fuzz_bench.sh 300 zip_update_fuzz   # one target
#   FUZZ_REPLAYS=50 bench/fuzz_bench.sh       # replays of each kept archive (20)
# A crash, a leak or a sanitizer report makes the exit status not 0; the
# input is in build/fuzz/crashes/ and the log in build/fuzz/<target>.log.
set -euo pipefail
seconds=${1:-600}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(unzip_fuzz zip_update_fuzz)
replays=${FUZZ_REPLAYS:-20}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/fuzz

# Builds the targets (and runs each for one second).
"$root/fuzz/run_fuzz.sh" 1 "${targets[@]}" >/dev/null

inputs=("$root"/fuzz/corpus/*/*)
echo "Replay of the ${#inputs[@]} kept archives, $replays times each:"
for target in "${targets[@]}"; do
    start=$(date +%s.%N)
    "$build/bin/$target" -runs="$replays" "${inputs[@]}" >/dev/null 2>&1
    end=$(date +%s.%N)
    python3 -c "import sys; n, t = int(sys.argv[1]), float(sys.argv[3]) - float(sys.argv[2]); \
print('  %-16s %7d executions in %6.2f s, %6.0f a second' % (sys.argv[4], n, t, n / t))" \
        "$((replays * ${#inputs[@]}))" "$start" "$end" "$target"
done

echo "Fuzzing, $seconds s per target:"
"$root/fuzz/run_fuzz.sh" "$seconds" "${targets[@]}" | sed 's/^/  /'
