#!/usr/bin/env bash
# Side-by-side comparison of two builds of kvorax-bench in one run: the two binaries take
# turns (A B A B ...), so that a busy machine slows both alike, and the median of each
# benchmark's figure is printed with the ratio new/old.
#   bench/compare.sh OLD/kvorax-bench NEW/kvorax-bench [FILTER] [ROUNDS] [FIGURE]
# FIGURE is "rate" (default: each benchmark's own counter, pairs/s or ticks/s) or "time"
# (real time per iteration).
set -euo pipefail
# shellcheck disable=SC2034  # read through ${!side}
old=$1 new=$2 filter=${3:-.} rounds=${4:-5} figure=${5:-rate}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
for round in $(seq "$rounds"); do
    for side in old new; do
        "${!side}" --benchmark_filter="$filter" --benchmark_format=json \
            >"$out/$side-$round.json" 2>/dev/null
    done
done
python3 - "$out" "$figure" <<'PY'
import glob, json, statistics, sys
folder, figure = sys.argv[1], sys.argv[2]

def parse(side):
    result = {}
    for path in sorted(glob.glob(f"{folder}/{side}-*.json")):
        for b in json.load(open(path))["benchmarks"]:
            if figure == "time":
                value = b["real_time"]
            else:
                value = b.get("pairs/s", b.get("ticks/s"))
            if value is not None:
                result.setdefault(b["name"], []).append(value)
    return result

old, new = parse("old"), parse("new")
print(f"{'benchmark':42} {'old':>11} {'new':>11} {'new/old':>8}  ({figure}, median)")
for name, values in old.items():
    if name in new:
        a, b = statistics.median(values), statistics.median(new[name])
        print(f"{name:42} {a:11.4g} {b:11.4g} {b / a:8.3f}")
PY
