#!/usr/bin/env bash
# Soak of the window program under Xvfb at the default start parameters: every few seconds
# Save (Ctrl+S), Photo (Ctrl+P) and, every other round, Open (Ctrl+O, the path of one of its
# own snapshots typed into the file dialog, then Enter). Prints the resident memory at 1, 5
# and 10 minutes (scaled to a shorter run), split into the heap, other anonymous memory and
# mapped files, and the number of files written. The third argument picks the commands, to
# tell which one makes memory grow: s (Save), p (Photo), o (Open).
# SOAK_TRIM=1 also measures after malloc_trim at the end (see below).
# Usage: [SOAK_TRIM=1] bench/soak-window.sh path/to/kvorax [minutes, default 10] [commands,
# default spo]
set -euo pipefail
# shellcheck source-path=SCRIPTDIR source=../scripts/lib/x-session.sh
. "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib/x-session.sh"
kvorax=$(realpath "$1")
minutes=${2:-10}
commands=${3:-spo}
work=$(mktemp -d)
xvfb="" program=""
cleanup() {
    set +e
    if [ -n "$program" ]; then kill "$program" && wait "$program"; fi 2>/dev/null
    if [ -n "$xvfb" ]; then kill "$xvfb" && wait "$xvfb"; fi 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap "exit 143" INT TERM
fail() {
    echo "FAIL: $*" >&2
    [ -f "$work/kvorax.log" ] && sed 's/^/kvorax: /' "$work/kvorax.log" >&2
    exit 1
}

start_xvfb "$work" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"

# With SOAK_TRIM=1 a small preloaded library lets the script ask malloc, after the last
# sample, to give freed memory back to the system (malloc_trim): what growth remains is
# memory still in use; the rest was freed but kept by malloc.
trim_env=
if [ "${SOAK_TRIM:-0}" = 1 ]; then
    cat >"$work/trim.c" <<'EOF'
#include <fcntl.h>
#include <malloc.h>
#include <pthread.h>
#include <stdlib.h>
#include <unistd.h>
static void* TrimOnRequest(void* fifo) {
    for (;;) {
        int fd = open((const char*)fifo, O_RDONLY);
        char c;
        while (fd >= 0 && read(fd, &c, 1) == 1) malloc_trim(0);
        if (fd >= 0) close(fd);
    }
    return NULL;
}
__attribute__((constructor)) static void Start(void) {
    const char* fifo = getenv("SOAK_TRIM_FIFO");
    pthread_t thread;
    if (fifo) pthread_create(&thread, NULL, TrimOnRequest, (void*)fifo);
}
EOF
    cc -shared -fPIC -O2 -o "$work/trim.so" "$work/trim.c" -lpthread
    mkfifo "$work/trim"
    trim_env="SOAK_TRIM_FIFO=$work/trim LD_PRELOAD=$work/trim.so"
fi

mkdir "$work/run"
cd "$work/run"
# shellcheck disable=SC2086
env $trim_env "$kvorax" >"$work/kvorax.log" 2>&1 &
program=$!
started=$SECONDS

# The file dialog: the largest shown window, of at least 200 x 200 pixels, other than the
# main window and the plane chooser (the name completer's list is a small window of its own).
dialog() {
    local id size best="" best_size=40000
    for id in $(xdotool search --onlyvisible --pid "$program" 2>/dev/null); do
        [ "$id" = "$main" ] || [ "$id" = "$chooser" ] && continue
        size=$(xdotool getwindowgeometry "$id" 2>/dev/null | awk '/Geometry/ {split($2, s, "x"); print s[1] * s[2]}')
        [ "${size:-0}" -gt "$best_size" ] && best=$id best_size=$size
    done
    [ -n "$best" ] && echo "$best"
}
focus() { timeout 10 xdotool windowfocus --sync "$1" && sleep 0.1; }
rss_kb() { awk '/^VmRSS:/ {print $2}' "/proc/$program/status"; }
# Resident kB of the heap, of other anonymous mappings (thread arenas, stacks, images) and of
# mapped files (libraries, fonts, caches).
rss_parts() {
    awk '/^[0-9a-f]+-[0-9a-f]+ / { kind = ($6 == "[heap]") ? "heap" : ($6 == "" || $6 ~ /^\[/) ? "anon" : "file" }
         /^Rss:/ { sum[kind] += $2 }
         END { printf "heap %d kB, other anonymous %d kB, files %d kB", sum["heap"], sum["anon"], sum["file"] }' \
        "/proc/$program/smaps"
}
# True once a file named like $1 is newer than the marker, i.e. was just written.
written() { [ -n "$(find . -maxdepth 1 -name "$1" -newer "$work/marker" -print -quit)" ]; }

wait_for 20 found "Стартовые параметры." || fail "the start form did not appear"
focus "$(window "Стартовые параметры.")"
xdotool key Return
wait_for 20 found "Кворакс *шаг" || fail "the main window did not start ticking"
wait_for 10 found "Выберите плоскость!" || fail "the plane chooser did not appear"
main=$(window "Кворакс *шаг")
chooser=$(window "Выберите плоскость!")

# Presses Ctrl+$1 on the main window and waits for a file named like $2 to be written.
write_with() {
    touch "$work/marker"
    sleep 0.01
    focus "$main"
    xdotool key "ctrl+$1"
    wait_for 20 written "$2" || fail "Ctrl+${1^^} wrote no $2 file"
    writes=$((writes + 1))
}

open_own_snapshot() {
    local name
    name=$(find . -maxdepth 1 -name '*.kvx' -printf '%f\n' | shuf -n 1)
    focus "$main"
    xdotool key ctrl+o
    wait_for 20 dialog >/dev/null || fail "Ctrl+O showed no file dialog"
    local shown_dialog
    shown_dialog=$(dialog)
    focus "$shown_dialog"
    xdotool key ctrl+a  # the name field may hold the name chosen last time
    xdotool type --delay 5 "$PWD/$name"
    xdotool key Return
    # When the name completer's list was showing, the first Enter only chose from it.
    if ! wait_for 3 sh -c "! xdotool search --onlyvisible --pid $program | grep -qx $shown_dialog"; then
        focus "$shown_dialog"
        xdotool key Return
    fi
    wait_for 20 sh -c "! xdotool search --onlyvisible --pid $program | grep -qx $shown_dialog" ||
        fail "the file dialog did not accept $name"
    opens=$((opens + 1))
}

writes=0 opens=0 round=0
samples=() labels=()
for m in 1 5 10; do
    samples+=($((m * 60 * minutes / 10)))
    labels+=("$m")
done
declare -A rss
write_with s '*.kvx'  # one snapshot to open, whatever the commands
next=0
while [ "$next" -lt ${#samples[@]} ]; do
    round=$((round + 1))
    [[ $commands == *s* ]] && write_with s '*.kvx'
    [[ $commands == *p* ]] && write_with p '*.wmf'
    [[ $commands == *o* ]] && [ $((round % 2)) -eq 1 ] && open_own_snapshot
    sleep 2
    kill -0 "$program" 2>/dev/null || fail "the program ended"
    while [ "$next" -lt ${#samples[@]} ] && [ $((SECONDS - started)) -ge "${samples[$next]}" ]; do
        rss[$next]=$(rss_kb)
        echo "at $((SECONDS - started)) s: RSS ${rss[$next]} kB: $(rss_parts)"
        next=$((next + 1))
    done
done

if [ -n "$trim_env" ]; then
    echo x >"$work/trim"
    sleep 1
    echo "after malloc_trim: RSS $(rss_kb) kB: $(rss_parts)"
fi

# Exit (Ctrl+X) ends the program the ordinary way, so that a sanitizer build of it reports
# its leaks into the log.
focus "$main"
xdotool key ctrl+x
wait_for 60 sh -c "! kill -0 $program 2>/dev/null" || fail "Ctrl+X did not end the program"
wait "$program" || echo "the program ended with status $?"
program=
grep -A12 -m1 'LeakSanitizer' "$work/kvorax.log" || true
grep 'SUMMARY' "$work/kvorax.log" || true

files=$(find . -maxdepth 1 \( -name '*.kvx' -o -name '*.wmf' \) | wc -l)
grown=$((rss[2] - rss[0]))
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2-)"
echo "run: ${minutes} min of ${commands}, ${round} rounds, ${writes} writes (Save and Photo), ${opens} opens"
echo "files in the folder: ${files} ($(find . -maxdepth 1 -name '*.kvx' | wc -l) snapshots)"
for k in 0 1 2; do
    echo "RSS at ${labels[$k]}$([ "$minutes" = 10 ] || echo " (scaled)") min: ${rss[$k]} kB"
done
echo "growth from the first sample to the last: ${grown} kB"
leftovers=$(find . -maxdepth 1 -name '.*.tmp' | wc -l)
echo "temporary files left: ${leftovers}"
