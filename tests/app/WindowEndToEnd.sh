#!/usr/bin/env bash
# The window program against a real X server: Xvfb, keys from xdotool. Enter on the start
# form, then Ctrl+S, Ctrl+P and Ctrl+X on the main window; checks the files they write.
# Usage: WindowEndToEnd.sh path/to/kvorax
set -euo pipefail
kvorax=$(realpath "$1")
work=$(mktemp -d)
xvfb= program=
cleanup() {
    [ -n "$program" ] && kill "$program" 2>/dev/null && wait "$program" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    [ -f "$work/kvorax.log" ] && sed 's/^/kvorax: /' "$work/kvorax.log" >&2
    exit 1
}

# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.05
    done
}

# Xvfb chooses a free display and writes its number to descriptor 3.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
wait_for 20 test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -1 "$work/display")"
export QT_QPA_PLATFORM=xcb
unset LC_ALL LANG || true

mkdir "$work/run"
cd "$work/run"
"$kvorax" >"$work/kvorax.log" 2>&1 &
program=$!

# Prints the id of the program's shown window whose title matches the glob $1.
window() {
    local id
    for id in $(xdotool search --onlyvisible --pid "$program" 2>/dev/null); do
        # shellcheck disable=SC2053
        [[ "$(xdotool getwindowname "$id" 2>/dev/null)" == $1 ]] && { echo "$id"; return 0; }
    done
    return 1
}
found() { window "$1" >/dev/null; }
# Gives the window the keyboard focus (there is no window manager to activate it).
focus() { xdotool windowfocus --sync "$1" && sleep 0.2; }

wait_for 20 found "Стартовые параметры." || fail "the start form did not appear"
focus "$(window "Стартовые параметры.")"
xdotool key Return
wait_for 20 found "Кворакс *шаг" || fail "the main window did not start ticking"
wait_for 10 found "Выберите плоскость!" || fail "the plane chooser did not appear"
main=$(window "Кворакс *шаг")
[ "$(wc -l <Kvorax.ini)" -eq 8 ] || fail "OK did not write the eight settings lines"
rm Kvorax.ini

focus "$main"
xdotool key ctrl+s
wait_for 10 test -s Noname00.kvx || fail "Ctrl+S wrote no Noname00.kvx"
size=$(stat -c %s Noname00.kvx)
[ "$size" -eq $((2 + 56 * 100)) ] || fail "Noname00.kvx has $size bytes"

xdotool key ctrl+p
wait_for 10 test -s Noname00.wmf || fail "Ctrl+P wrote no Noname00.wmf"
[ "$(head -c 2 Noname00.wmf)" = "BM" ] || fail "Noname00.wmf is not a bitmap"

xdotool key ctrl+x
wait_for 10 sh -c "! kill -0 $program 2>/dev/null" || fail "Ctrl+X did not end the program"
wait "$program" && status=0 || status=$?
program=
[ "$status" -eq 0 ] || fail "the program ended with status $status"
[ "$(wc -l <Kvorax.ini)" -eq 8 ] || fail "Exit did not write the eight settings lines"
[ "$(head -1 Kvorax.ini)" = $'" 315360000"\r' ] || fail "Kvorax.ini begins with $(head -1 Kvorax.ini)"
echo "window program end to end: passed"
