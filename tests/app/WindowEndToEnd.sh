#!/usr/bin/env bash
# The window program against a real X server: Xvfb, keys from xdotool, no window manager.
# The start form opens centred with every label on one line (read from its pixels); Enter on
# it, then the plane chooser opens beside the main window; Ctrl+S, Ctrl+P and Ctrl+X on the
# main window; checks the files they write.
# Usage: WindowEndToEnd.sh path/to/kvorax
set -euo pipefail
# shellcheck source-path=SCRIPTDIR source=../../scripts/lib/x-session.sh
. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/x-session.sh"
kvorax=$(realpath "$1")
work=$(mktemp -d)
xvfb='' program=''
cleanup() {
    set +e  # a killed program's status must not stop the cleanup before Xvfb is ended
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

start_xvfb "$work" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"

mkdir "$work/run"
cd "$work/run"
"$kvorax" >"$work/kvorax.log" 2>&1 &
program=$!

# Gives the window the keyboard focus (there is no window manager to activate it).
focus() { xdotool windowfocus --sync "$1" && sleep 0.2; }

# Prints "left top width height" of a window on the screen.
geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
        /Width:/ {w = $NF} /Height:/ {h = $NF} END {print x, y, w, h}'
}
read -r screen_w screen_h < <(xdpyinfo | awk '/dimensions:/ {split($2, d, "x"); print d[1], d[2]}')

wait_for 20 found "Стартовые параметры." || fail "the start form did not appear"
start=$(window "Стартовые параметры.")
read -r x y w h < <(geometry "$start")
[ $((2 * x + w - screen_w)) -ge -2 ] && [ $((2 * x + w - screen_w)) -le 2 ] &&
    [ $((2 * y + h - screen_h)) -ge -2 ] && [ $((2 * y + h - screen_h)) -le 2 ] ||
    fail "the start form is at $x,$y ($w x $h), not centred on $screen_w x $screen_h"

# Each label of the start form, from its pixels: the box around its dark ink. One line of the
# 11-pixel face inks at most its line spacing (12 px for Liberation Sans, 13 for DejaVu Sans);
# a wrapped label's second line begins a line spacing lower, so it inks at least 13 + 7 (a
# capital's height) = 20 px. Labels sit at left 120, top 30 + 480 k, 2250 × 465 twips.
labels_one_line() {
    import -window "$start" "$work/start.png" 2>/dev/null || return 1
    local k ink_w ink_h ink_x
    for k in 0 1 2 3 4 5 6 7; do
        read -r ink_w ink_h ink_x < <(convert "$work/start.png" -crop "150x31+8+$((2 + 32 * k))" \
            +repage -colorspace Gray -threshold 60% -trim -format '%w %h %X\n' info: 2>/dev/null)
        [ "${ink_h:-0}" -ge 7 ] || return 1  # not painted yet
        if [ "$ink_h" -gt 13 ] || [ $((ink_x + ink_w)) -ge 150 ]; then
            label_fault="label $((k + 1)) inks $ink_w x $ink_h pixels: not one line"
            return 0
        fi
    done
}
label_fault=
wait_for 10 labels_one_line || fail "the start form's labels were not painted"
[ -z "$label_fault" ] || fail "$label_fault"

focus "$start"
xdotool key Return
wait_for 20 found "Кворакс *шаг" || fail "the main window did not start ticking"
wait_for 10 found "Выберите плоскость!" || fail "the plane chooser did not appear"
main=$(window "Кворакс *шаг")
# The chooser beside the main window: inside the screen, covering no part of it.
read -r mx my mw mh < <(geometry "$main")
read -r cx cy cw ch < <(geometry "$(window "Выберите плоскость!")")
[ "$cx" -ge 0 ] && [ "$cy" -ge 0 ] && [ $((cx + cw)) -le "$screen_w" ] &&
    [ $((cy + ch)) -le "$screen_h" ] || fail "the plane chooser at $cx,$cy is off the screen"
[ $((cx + cw)) -le "$mx" ] || [ "$cx" -ge $((mx + mw)) ] || [ $((cy + ch)) -le "$my" ] ||
    [ "$cy" -ge $((my + mh)) ] || fail "the plane chooser at $cx,$cy covers the main window"
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
