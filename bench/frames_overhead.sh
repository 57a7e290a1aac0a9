#!/usr/bin/env bash
# What frames cost a long run: the 2000-tick default run with a frame every 10 ticks against
# the same run without, alternated, several times; prints each time and the medians.
#   bench/frames_overhead.sh [KVORAX_RUN] [REPETITIONS] [EXTRA OPTIONS FOR BOTH RUNS...]
set -euo pipefail
runner=$(realpath "${1:-build/bin/kvorax-run}")
repetitions=${2:-15}
shift $(($# < 2 ? $# : 2))
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# Wall-clock milliseconds of one run, its output thrown away.
milliseconds() {
    local start end
    start=$(date +%s%N)
    "$runner" "$@" >/dev/null
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

plain=() framed=()
for ((r = 1; r <= repetitions; ++r)); do
    rm -rf frames
    plain+=("$(milliseconds --steps 2000 "$@")")
    framed+=("$(milliseconds --steps 2000 --every 10 --frames frames "$@")")
    echo "run $r: without frames ${plain[-1]} ms, with frames ${framed[-1]} ms"
done
a=$(printf '%s\n' "${plain[@]}" | median)
b=$(printf '%s\n' "${framed[@]}" | median)
echo "median without frames: $a ms; with 200 frames: $b ms; ratio $(awk "BEGIN { printf \"%.3f\", $b / $a }")"
echo "$(ls frames | wc -l) frames of $(du -sk frames | cut -f1) kB; $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2)"
