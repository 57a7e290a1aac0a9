#!/usr/bin/env bash
# What the window program costs while it runs: CPU time per second of running (every
# thread, from /proc) and ticks per second (from the step number in the caption), under
# Xvfb, at the default 100 stars and at 4096. Several programs (say an old and a new build)
# run in turn, round after round, so that the load of a shared machine falls on all alike;
# a summary gives each program's median and range over the rounds.
# Usage: bench/window-cost.sh [--seconds S] [--rounds R] [--sizes "100 4096"] kvorax...
# (S at most 30 at 100 stars: the step counter ends the run at 32767, some 36 s in.)
set -euo pipefail
# shellcheck source-path=SCRIPTDIR source=../scripts/lib/x-session.sh
. "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib/x-session.sh"

seconds=10 rounds=2 sizes="100 4096"
while [ $# -gt 0 ]; do
    case "$1" in
        --seconds) seconds=$2; shift 2 ;;
        --rounds) rounds=$2; shift 2 ;;
        --sizes) sizes=$2; shift 2 ;;
        -*) echo "unknown option $1" >&2; exit 2 ;;
        *) break ;;
    esac
done
[ $# -gt 0 ] || { echo "usage: $0 [--seconds S] [--rounds R] [--sizes \"N...\"] kvorax..." >&2; exit 2; }
programs=()
for p in "$@"; do programs+=("$(realpath "$p")"); done

work=$(mktemp -d)
xvfb='' program=''
cleanup() {
    [ -n "$program" ] && kill "$program" 2>/dev/null && wait "$program" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

hz=$(getconf CLK_TCK)

# CPU time of a process or thread so far, in clock ticks (utime + stime; the comm field,
# which may hold blanks, is cut off first).
cpu_ticks() { sed 's/.*) //' "$1" | awk '{ print $12 + $13 }'; }
# Busy time of the whole machine so far, in clock ticks (all but idle and iowait).
machine_ticks() { awk '/^cpu / { print $2 + $3 + $4 + $7 + $8 + $9; exit }' /proc/stat; }
now() { date +%s.%N; }

step_of() { xdotool getwindowname "$1" | awk '{ print $2 }'; }

# The settings file with the design defaults and n stars: quoted texts, CR LF.
write_settings() {
    local line
    for line in " 315360000" "6.67e-11" "4.61e+32" "2e+30" "$1" "1e+19" "0.5e+18" "Text1"; do
        printf '"%s"\r\n' "$line"
    done >Kvorax.ini
}

failed() {
    echo "$2 (display $DISPLAY, Xvfb $(kill -0 "$xvfb" 2>/dev/null && echo running || echo gone)):" >&2
    cat "$1/log" "$1/xvfb.log" >&2
}

stop() {
    kill "$1" 2>/dev/null && wait "$1" 2>/dev/null
    true
}

# One run: starts the program with n stars, lets it settle for a second, then measures.
# Prints: n, ticks/s, % of one core for the process, for Xvfb, for everything else on the
# machine (other people's load, which makes a run doubtful), and per thread.
measure() {
    local kvorax=$1 n=$2 dir main t0 t1 s0 s1 c0 c1 x0 x1 m0 m1 task
    dir=$(mktemp -d "$work/run.XXXX")
    start_xvfb "$dir" || { echo "Xvfb did not start" >&2; return 1; }
    cd "$dir"
    write_settings "$n"
    "$kvorax" >"$dir/log" 2>&1 &
    program=$!
    wait_for 20 found "Стартовые параметры." || { failed "$dir" "no start form"; return 1; }
    xdotool windowfocus --sync "$(window "Стартовые параметры.")"
    sleep 0.2
    xdotool key Return
    wait_for 30 found "Кворакс *шаг" || { failed "$dir" "no ticks"; return 1; }
    main=$(window "Кворакс *шаг")
    sleep 1
    declare -A before
    for task in /proc/"$program"/task/*; do before[$task]=$(cpu_ticks "$task/stat"); done
    t0=$(now) s0=$(step_of "$main") c0=$(cpu_ticks /proc/"$program"/stat)
    x0=$(cpu_ticks /proc/"$xvfb"/stat) m0=$(machine_ticks)
    sleep "$seconds"
    c1=$(cpu_ticks /proc/"$program"/stat) s1=$(step_of "$main") t1=$(now)
    x1=$(cpu_ticks /proc/"$xvfb"/stat) m1=$(machine_ticks)
    local threads=""
    for task in /proc/"$program"/task/*; do
        [ -n "${before[$task]:-}" ] || continue
        threads+=$(awk -v a="${before[$task]}" -v b="$(cpu_ticks "$task/stat")" -v t0="$t0" \
            -v t1="$t1" -v hz="$hz" -v name="$(cat "$task/comm")" \
            'BEGIN { printf " %s:%.1f", name, 100 * (b - a) / hz / (t1 - t0) }')
    done
    stop "$program"
    program=
    stop "$xvfb"
    xvfb=
    cd "$work"
    awk -v n="$n" -v s0="$s0" -v s1="$s1" -v c0="$c0" -v c1="$c1" -v x0="$x0" -v x1="$x1" \
        -v m0="$m0" -v m1="$m1" -v t0="$t0" -v t1="$t1" -v hz="$hz" -v threads="$threads" 'BEGIN {
            d = t1 - t0
            others = (m1 - m0) - (c1 - c0) - (x1 - x0)
            printf "%6d %9.1f %8.1f %8.1f %8.1f  %s\n", n, (s1 - s0) / d,
                100 * (c1 - c0) / hz / d, 100 * (x1 - x0) / hz / d, 100 * others / hz / d, threads
        }'
}

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //')," \
    "load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "each run: ${seconds} s after a second of settling; % are of one core"
printf '%6s %9s %8s %8s %8s  %s\n' N ticks/s kvorax% Xvfb% others% "threads (name:%)"
for round in $(seq "$rounds"); do
    for n in $sizes; do
        for kvorax in "${programs[@]}"; do
            echo "# round $round: $kvorax"
            if measure "$kvorax" "$n" >"$work/line"; then
                cat "$work/line"
                echo "$kvorax $(cat "$work/line")" >>"$work/results"
            else
                echo "# run failed"
                stop "$program"
                stop "$xvfb"
                program='' xvfb=''
                cd "$work"
            fi
        done
    done
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"

# Median and range of the ticks per second and of the CPU time, per program and size.
summary() {
    sort -k1,1 -k2,2n "$work/results" | awk '
        function flush() {
            if (count == 0) return
            printf "%-40s %6d  ticks/s %7.1f (%.1f..%.1f)  kvorax%% %6.1f (%.1f..%.1f)  runs %d\n",
                prog, size, median(t, count), min(t, count), max(t, count),
                median(c, count), min(c, count), max(c, count), count
        }
        function median(a, k,   i, j, x) {
            for (i = 2; i <= k; i++) for (j = i; j > 1 && a[j - 1] > a[j]; j--) {
                x = a[j]; a[j] = a[j - 1]; a[j - 1] = x
            }
            return k % 2 ? a[(k + 1) / 2] : (a[k / 2] + a[k / 2 + 1]) / 2
        }
        function min(a, k,   i, m) { m = a[1]; for (i = 2; i <= k; i++) if (a[i] < m) m = a[i]; return m }
        function max(a, k,   i, m) { m = a[1]; for (i = 2; i <= k; i++) if (a[i] > m) m = a[i]; return m }
        $1 != prog || $2 != size { flush(); prog = $1; size = $2; count = 0 }
        { count++; t[count] = $3; c[count] = $4 }
        END { flush() }'
}
[ -s "$work/results" ] && { echo "summary:"; summary; }
