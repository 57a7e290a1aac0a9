#!/usr/bin/env bash
# What frames cost a long run: the 2000-tick default run with a frame every 10 ticks against
# the same run without, alternated, several times; prints each time and the medians. With
# --old, a runner of another commit runs the plain run too, for a side-by-side check.
#   bench/frames_overhead.sh [--old OLD_KVORAX_RUN] [KVORAX_RUN] [REPETITIONS]
set -euo pipefail
old=""
if [[ "${1:-}" == --old ]]; then
    old=$(realpath "$2")
    shift 2
fi
runner=$(realpath "${1:-build/bin/kvorax-run}")
repetitions=${2:-15}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# Wall-clock milliseconds of one run, its output thrown away.
milliseconds() {
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk "BEGIN { printf \"%.3f\", $1 / $2 }"; }

# Each run gets a new folder, removed only at the end: files deleted moments before make the
# file system skip their inodes when it creates new ones, which a first run does not pay.
before=() plain=() framed=()
for ((r = 1; r <= repetitions; ++r)); do
    line="run $r:"
    if [[ -n "$old" ]]; then
        before+=("$(milliseconds "$old" --steps 2000)")
        line+=" old commit ${before[-1]} ms,"
    fi
    plain+=("$(milliseconds "$runner" --steps 2000)")
    framed+=("$(milliseconds "$runner" --steps 2000 --every 10 --frames "frames-$r")")
    echo "$line without frames ${plain[-1]} ms, with frames ${framed[-1]} ms"
done
a=$(printf '%s\n' "${plain[@]}" | median)
b=$(printf '%s\n' "${framed[@]}" | median)
echo "medians: without frames $a ms, with 200 frames $b ms: ratio $(ratio "$b" "$a")"
if [[ -n "$old" ]]; then
    o=$(printf '%s\n' "${before[@]}" | median)
    echo "old commit without frames $o ms: this commit / old $(ratio "$a" "$o")"
fi
echo "$(ls frames-1 | wc -l) frames, $(du -sk frames-1 | cut -f1) kB on disk; $(nproc) cores," \
    "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs); load $(cut -d' ' -f1-3 /proc/loadavg)"
