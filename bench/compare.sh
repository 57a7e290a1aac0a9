#!/usr/bin/env bash
# Side-by-side comparison of two builds of kvorax-bench in one run: the two binaries take
# turns (A B A B ...), so that a busy machine slows both alike, and the median of each
# benchmark's figure is printed with the ratio new/old.
#   bench/compare.sh OLD/kvorax-bench NEW/kvorax-bench [FILTER] [ROUNDS] [COUNTER]
# COUNTER is the user counter compared (default pairs/s, the last column); "time" compares
# the real time.
set -euo pipefail
old=$1 new=$2 filter=${3:-.} rounds=${4:-5} counter=${5:-pairs/s}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
for round in $(seq "$rounds"); do
    for side in old new; do
        bin=${!side}
        "$bin" --benchmark_filter="$filter" --benchmark_format=csv 2>/dev/null |
            tail -n +2 >>"$out/$side.csv"
    done
done
python3 - "$out" "$counter" <<'PY'
import csv, statistics, sys
folder, counter = sys.argv[1], sys.argv[2]

# Every row of one side by benchmark name: the real time, or the named user counter (the
# columns after the fixed ones, "pairs/s" or "ticks/s").
def parse(side):
    result = {}
    for row in csv.reader(open(f"{folder}/{side}.csv")):
        if len(row) < 4:
            continue
        figure = row[2] if counter == "time" else row[-1]
        if figure:
            result.setdefault(row[0], []).append(float(figure))
    return result

old, new = parse("old"), parse("new")
print(f"{'benchmark':42} {'old':>11} {'new':>11} {'new/old':>8}  ({counter}, median)")
for name, values in old.items():
    if name in new:
        a, b = statistics.median(values), statistics.median(new[name])
        print(f"{name:42} {a:11.4g} {b:11.4g} {b / a:8.3f}")
PY
