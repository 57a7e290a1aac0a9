#!/usr/bin/env bash
# Side-by-side comparison of builds of kvorax-bench in one run: the binaries take turns
# (A B C A B C ...), so that a busy machine slows them alike, and the median of each
# benchmark's figure is printed for each, with the ratio of the last binary to each other.
#   bench/compare.sh [-f FILTER] [-r ROUNDS] [-m rate|time|cpu] [NAME=]BINARY [NAME=]BINARY...
# The figure "rate" (default) is each benchmark's own counter (pairs/s or ticks/s), "time"
# the real time per iteration, "cpu" the CPU time per iteration of the process (steadier
# than the real time of a one-thread benchmark on a busy machine). The old form, OLD NEW [FILTER] [ROUNDS] [FIGURE], still works.
set -euo pipefail
filter=. rounds=5 figure=rate
while getopts f:r:m: option; do
    case $option in
    f) filter=$OPTARG ;;
    r) rounds=$OPTARG ;;
    m) figure=$OPTARG ;;
    *) exit 2 ;;
    esac
done
shift $((OPTIND - 1))
binaries=()
if [[ $# -ge 3 && ! -x ${3#*=} ]]; then  # OLD NEW FILTER [ROUNDS] [FIGURE]
    binaries=("old=$1" "new=$2") filter=$3 rounds=${4:-$rounds} figure=${5:-$figure}
else
    binaries=("$@")
fi
[[ ${#binaries[@]} -ge 2 ]] || { echo "two binaries or more" >&2; exit 2; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
names=()
for k in "${!binaries[@]}"; do
    entry=${binaries[$k]}
    [[ $entry == *=* ]] && names+=("${entry%%=*}") || names+=("build$k")
done
for round in $(seq "$rounds"); do
    for k in "${!binaries[@]}"; do
        binary=${binaries[$k]#*=}
        "$binary" --benchmark_filter="$filter" --benchmark_format=json \
            >"$out/$k-$round.json" 2>/dev/null
    done
done
python3 - "$out" "$figure" "${names[@]}" <<'PY'
import glob, json, statistics, sys
folder, figure, names = sys.argv[1], sys.argv[2], sys.argv[3:]

def parse(k):
    result = {}
    for path in sorted(glob.glob(f"{folder}/{k}-*.json")):
        for b in json.load(open(path))["benchmarks"]:
            if figure in ("time", "cpu"):
                value = b["real_time" if figure == "time" else "cpu_time"]
            else:
                value = b.get("pairs/s", b.get("ticks/s"))
            if value is not None:
                result.setdefault(b["name"], []).append(value)
    return result

runs = [parse(k) for k in range(len(names))]
last = names[-1]
header = f"{'benchmark':40}" + "".join(f" {n:>11}" for n in names)
header += "".join(f" {last + '/' + n:>14}" for n in names[:-1])
print(header + f"  ({figure}, median)")
for name in runs[0]:
    if not all(name in r for r in runs):
        continue
    medians = [statistics.median(r[name]) for r in runs]
    line = f"{name:40}" + "".join(f" {m:11.4g}" for m in medians)
    line += "".join(f" {medians[-1] / m:14.3f}" for m in medians[:-1])
    print(line)
PY
