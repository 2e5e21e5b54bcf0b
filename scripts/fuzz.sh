#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang (address and undefined
# behaviour sanitizers on) and runs each for a bounded time.
#   scripts/fuzz.sh [target...]      (every target when none is named)
#
#   FUZZ_SECONDS     seconds per target (default 60)
#   FUZZ_JOBS        targets run side by side (default: the number of cores)
#   VERDANE_FUZZ_DIR build folder (default build-fuzz)
#   VERDANE_WERROR   ON (default): a compiler warning fails the build
#
# Each target starts from its seeds in fuzz/corpus/<target>/ (read only) and
# keeps what it finds in <build>/work/<target>/, so a later run goes on from
# there. A crash, leak, sanitizer report or broken promise fails the run; the
# input is saved as <build>/artifacts/<target>-crash-... and is replayed with
#   <build>/fuzz_<target> <that file>
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
dir="${VERDANE_FUZZ_DIR:-$here/build-fuzz}"
seconds="${FUZZ_SECONDS:-60}"
parallel="${FUZZ_JOBS:-$(nproc)}"

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
start=$SECONDS
echo "== fuzz: building in $dir"
cmake -S "$here/fuzz" -B "$dir" -G Ninja "${launcher[@]}" -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVERDANE_WERROR="${VERDANE_WERROR:-ON}" >/dev/null
cmake --build "$dir" -j"$(nproc)"
built=$SECONDS

targets=("$@")
[ ${#targets[@]} -eq 0 ] && mapfile -t targets < "$dir/fuzzers.txt"
mkdir -p "$dir/artifacts" "$dir/logs"

run_one() {
    local target="$1"
    mkdir -p "$dir/work/$target"
    "$dir/fuzz_$target" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$dir/artifacts/$target-" \
        "$dir/work/$target" "$here/fuzz/corpus/$target" >"$dir/logs/$target.log" 2>&1
}

echo "== fuzz: ${#targets[@]} targets, ${seconds} s each, $parallel at a time"
declare -A running=() # pid -> target
failed=()
wait_for_one() {
    local pid="" status=0
    wait -n -p pid "${!running[@]}" || status=$?
    local target="${running[$pid]}"
    unset "running[$pid]"
    [ "$status" -eq 0 ] || failed+=("$target")
    summarise "$target"
}
summarise() {
    local log="$dir/logs/$1.log"
    local runs corpus
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    corpus=$(find "$dir/work/$1" -type f | wc -l)
    echo "   $1: ${runs:-?} runs, $corpus inputs in its corpus"
}
for target in "${targets[@]}"; do
    [ -x "$dir/fuzz_$target" ] || { echo "no fuzz target $target" >&2; exit 2; }
    while [ ${#running[@]} -ge "$parallel" ]; do wait_for_one; done
    run_one "$target" &
    running[$!]="$target"
done
while [ ${#running[@]} -gt 0 ]; do wait_for_one; done

if [ ${#failed[@]} -gt 0 ]; then
    for target in "${failed[@]}"; do
        echo "== fuzz: $target FAILED; the end of $dir/logs/$target.log:" >&2
        tail -n 40 "$dir/logs/$target.log" >&2
    done
    exit 1
fi
echo "== fuzz: passed (build $((built - start)) s, runs $((SECONDS - built)) s)"
