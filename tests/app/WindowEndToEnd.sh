#!/usr/bin/env bash
# The window program against a real X server: Xvfb, keys and clicks from xdotool. With
# --window-manager openbox manages that server, as on a desktop; without, no window manager
# does, as in a kiosk session.
# Each run starts the program in a folder of its own and presses OK with Enter. The first run:
# the start form centred with every label on one line (read from its pixels) and holding the
# keyboard; the plane chooser beside the main window, which holds the keyboard; after every
# file dialog and message box the main window's shortcuts work again, with no window focused
# from here in between (the files they write tell); the chooser's options by the arrow keys;
# Ctrl+P, and Ctrl+X, which writes the settings. Under the window manager the main window
# keeps its size, it ticks on while minimised, Ctrl+C brings back a minimised chooser,
# Alt+F4 closes the chooser alone, and two more runs end by the close box and by Alt+F4,
# writing no settings.
# Usage: WindowEndToEnd.sh [--window-manager] path/to/kvorax
# With KVORAX_SCREENSHOTS set to a folder, screenshots of the screen are kept there.
set -euo pipefail
# shellcheck source-path=SCRIPTDIR source=../../scripts/lib/x-session.sh
. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/x-session.sh"
managed_by=
if [ "${1:-}" = --window-manager ]; then
    managed_by=openbox
    shift
fi
kvorax=$(realpath "$1")
work=$(mktemp -d)
xvfb='' window_manager='' program=''
cleanup() {
    set +e  # a killed program's status must not stop the cleanup before Xvfb is ended
    [ -n "$program" ] && kill "$program" 2>/dev/null && wait "$program" 2>/dev/null
    [ -n "$window_manager" ] && kill "$window_manager" 2>/dev/null &&
        wait "$window_manager" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL${managed_by:+ (under $managed_by)}: $*" >&2
    [ -f "$work/kvorax.log" ] && sed 's/^/kvorax: /' "$work/kvorax.log" >&2
    exit 1
}

start_xvfb "$work" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
# Qt keeps the file dialog's state there, openbox looks for its configuration there.
export XDG_CONFIG_HOME=$work/config
if [ -n "$managed_by" ]; then
    start_window_manager "$work" || fail "openbox did not start: $(cat "$work/openbox.log")"
fi
read -r screen_w screen_h < <(xdpyinfo | awk '/dimensions:/ {split($2, d, "x"); print d[1], d[2]}')

# Prints "left top width height" of a window's client area on the screen.
geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
        /Width:/ {w = $NF} /Height:/ {h = $NF} END {print x, y, w, h}'
}
# Prints "left top width height" of a window with the window manager's frame around it.
frame() {
    local x y w h l r t b
    read -r x y w h < <(geometry "$1")
    read -r l r t b < <(frame_extents "$1")
    echo $((x - l)) $((y - t)) $((w + l + r)) $((h + t + b))
}
# True when the window (its title a glob) holds the keyboard focus.
focused() {
    local id
    id=$(window "$1") && [ "$(xdotool getwindowfocus 2>/dev/null)" = "$id" ]
}
# True when no window of the program has the title (a glob).
gone() { ! found "$1"; }
# Keeps a screenshot of the whole screen as $1.png in $KVORAX_SCREENSHOTS, if set.
screenshot() {
    [ -z "${KVORAX_SCREENSHOTS:-}" ] || import -window root "$KVORAX_SCREENSHOTS/$1.png"
}

# Starts the program in the folder run$1 and presses OK on the start form, which must hold
# the keyboard by itself; returns once the main window ticks, and removes the settings file
# that OK wrote after checking it.
launch() {
    mkdir "$work/run$1"
    cd "$work/run$1"
    "$kvorax" >"$work/kvorax.log" 2>&1 &
    program=$!
    wait_for 20 found "Стартовые параметры." || fail "the start form did not appear"
    start=$(window "Стартовые параметры.")
    [ "$1" -eq 1 ] && check_start_form
    wait_for 10 focused "Стартовые параметры." || fail "the start form does not have the keyboard"
    xdotool key Return
    wait_for 20 found "Кворакс *шаг" || fail "the main window did not start ticking"
    wait_for 10 found "Выберите плоскость!" || fail "the plane chooser did not appear"
    main=$(window "Кворакс *шаг")
    chooser=$(window "Выберите плоскость!")
    [ "$(wc -l <Kvorax.ini)" -eq 8 ] || fail "OK did not write the eight settings lines"
    rm Kvorax.ini
}

# Waits for the program to end by itself; it must end with status 0.
ended() {
    wait_for 10 sh -c "! kill -0 $program 2>/dev/null" || fail "$1 did not end the program"
    wait "$program" && status=0 || status=$?
    program=
    [ "$status" -eq 0 ] || fail "the program ended with status $status after $1"
}

# True when $1 lies between -$2 and $2.
within() { [ "$1" -ge $((-$2)) ] && [ "$1" -le "$2" ]; }

# The start form in the middle of the screen (its frame, under a window manager, as far off
# as the frame is wider on one side), every label on one line.
check_start_form() {
    local x y w h l r t b
    read -r x y w h < <(frame "$start")
    read -r l r t b < <(frame_extents "$start")
    within $((2 * x + w - screen_w)) $((2 + l + r)) &&
        within $((2 * y + h - screen_h)) $((2 + t + b)) ||
        fail "the start form is at $x,$y ($w x $h), not centred on $screen_w x $screen_h"
    label_fault=
    wait_for 10 labels_one_line || fail "the start form's labels were not painted"
    [ -z "$label_fault" ] || fail "$label_fault"
    screenshot start-form
}

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

# The chooser beside the main window: inside the screen, neither frame over the other, and
# on its right, where the screen of 1024 pixels leaves room for both.
check_chooser_beside() {
    local mx my mw mh cx cy cw ch
    read -r mx my mw mh < <(frame "$main")
    read -r cx cy cw ch < <(frame "$chooser")
    [ "$cx" -ge 0 ] && [ "$cy" -ge 0 ] && [ $((cx + cw)) -le "$screen_w" ] &&
        [ $((cy + ch)) -le "$screen_h" ] || fail "the plane chooser at $cx,$cy is off the screen"
    [ $((cx + cw)) -le "$mx" ] || [ "$cx" -ge $((mx + mw)) ] || [ $((cy + ch)) -le "$my" ] ||
        [ "$cy" -ge $((my + mh)) ] ||
        fail "the plane chooser ($cx,$cy, $cw x $ch) covers the main window ($mx,$my, $mw x $mh)"
    [ "$cx" -ge $((mx + mw)) ] ||
        fail "the plane chooser at $cx,$cy is not on the right of the main window ($mx,$my, $mw x $mh)"
}

# Presses the keys (xdotool key arguments) and waits for the window with the title $1.
open_with() {
    local title=$1
    shift
    xdotool key "$@"
    wait_for 10 found "$title" || fail "$* opened no window \"$title\""
}
# Types a name into the open file dialog and presses Enter; waits for it to close. When the
# name box's completion list has opened, as a person would, Enter once more.
answer() {
    xdotool type --delay 20 "$1"
    xdotool key Return
    wait_for 2 gone "$2" || xdotool key Return
    wait_for 10 gone "$2" || fail "the dialog \"$2\" stayed open after $1"
}
# Closes the open window (a dialog or a message box) with the key $2; waits for it to close.
dismiss() {
    xdotool key "$2"
    wait_for 10 gone "$1" || fail "$2 did not close \"$1\""
}
# Presses Ctrl+S and waits for the file $1 to have $2 bytes.
save_gives() {
    xdotool key ctrl+s
    wait_for 10 sh -c "[ \"\$(stat -c %s '$1' 2>/dev/null)\" = $2 ]" ||
        fail "Ctrl+S after $3 did not write $1 with $2 bytes"
}
snapshot=$((2 + 56 * 100))

# After every dialog and message box the main window has the keyboard again: its Ctrl+S
# writes the file it should. No window is focused from here.
check_shortcuts_after_dialogs() {
    open_with "Сохранить как" ctrl+a
    answer first "Сохранить как"
    wait_for 10 test -s first.kvx || fail "Save As wrote no first.kvx"
    rm first.kvx  # Save after Save As writes the chosen file once more
    save_gives first.kvx "$snapshot" "an accepted Save As"
    open_with "Сохранить как" ctrl+a
    dismiss "Сохранить как" Escape
    save_gives Noname00.kvx "$snapshot" "a cancelled Save As"
    open_with "Открыть" ctrl+o
    screenshot open-dialog
    dismiss "Открыть" Escape
    save_gives Noname01.kvx "$snapshot" "a cancelled Open"
    # Bytes after the last body are ignored; Save after loading writes the file without them.
    { cat Noname00.kvx && printf 'tail'; } >other.kvx
    open_with "Открыть" ctrl+o
    answer other.kvx "Открыть"
    sleep 0.3  # the next tick loads the file
    save_gives other.kvx "$snapshot" "an accepted Open"
    # A file too short for its count is refused by the tick with a message.
    printf '\001' >short.kvx
    open_with "Открыть" ctrl+o
    answer short.kvx "Открыть"
    wait_for 10 found "Кворакс" || fail "the short file was loaded without a message"
    dismiss "Кворакс" Return
    save_gives Noname02.kvx "$snapshot" "the message on a short file"
    # A name in a missing folder cannot be written: a message, and the name is kept.
    open_with "Сохранить как" ctrl+a
    answer missing/third "Сохранить как"
    wait_for 10 found "Кворакс" || fail "Save As into a missing folder gave no message"
    dismiss "Кворакс" Return
    open_with "Сохранить как" ctrl+a
    dismiss "Сохранить как" Escape
    save_gives Noname03.kvx "$snapshot" "the message on a failed Save As"
}

# The radio marks of the chooser's three options, from its pixels: "x" for the one whose
# mark is filled, "-" for the others. Options sit at left 240, top 120 + 480 k twips; the
# mark is the first 14 pixels of each.
chooser_marks() {
    import -window "$chooser" "$work/chooser.png" 2>/dev/null || return 1
    local k dark marks=''
    for k in 0 1 2; do
        dark=$(convert "$work/chooser.png" -crop "10x10+19+$((12 + 32 * k))" +repage \
            -colorspace Gray -threshold 40% -negate -format '%[fx:round(mean*w*h)]' info:)
        [ "$dark" -ge 9 ] && marks+=x || marks+=-
    done
    echo "$marks"
}
marks_are() { [ "$(chooser_marks)" = "$1" ]; }

# Ctrl+C makes the chooser active, its selected option focused, so the arrow keys select.
check_chooser_keys() {
    marks_are "x--" || fail "the chooser opened with the marks $(chooser_marks), not x--"
    xdotool key ctrl+c
    wait_for 10 focused "Выберите плоскость!" || fail "Ctrl+C did not give the chooser the keyboard"
    xdotool key Down
    wait_for 5 marks_are "-x-" || fail "Down left the marks at $(chooser_marks)"
    xdotool key Down
    wait_for 5 marks_are "--x" || fail "Down again left the marks at $(chooser_marks)"
    xdotool key Up
    wait_for 5 marks_are "-x-" || fail "Up left the marks at $(chooser_marks)"
    screenshot plane-chooser
}

# The main window cannot be resized: the window manager offers neither resizing nor
# maximising, a double click on its title bar and a request for another size change nothing.
check_fixed_size() {
    local actions before after l r t b
    actions=$(xprop -id "$main" _NET_WM_ALLOWED_ACTIONS)
    [[ "$actions" != *_NET_WM_ACTION_RESIZE* && "$actions" != *_NET_WM_ACTION_MAXIMIZE* ]] ||
        fail "the window manager may resize the main window: $actions"
    before=$(geometry "$main")
    read -r x y w h < <(frame "$main")
    read -r l r t b < <(frame_extents "$main")
    xdotool mousemove $((x + w / 2)) $((y + t / 2)) click --repeat 2 --delay 80 1
    xdotool windowsize "$main" 900 600
    sleep 0.5
    after=$(geometry "$main")
    [ "$after" = "$before" ] || fail "the main window went from $before to $after"
}

# The window manager's minimise: the main window's timer goes on while it is minimised, and
# Ctrl+C brings a minimised chooser back, with the keyboard.
iconic() { xprop -id "$1" WM_STATE 2>/dev/null | grep -q 'state: Iconic'; }
normal() { xprop -id "$1" WM_STATE 2>/dev/null | grep -q 'state: Normal'; }
step() { xdotool getwindowname "$main" | awk '{print $2}'; }
steps_beyond() { [ "$(step)" -gt "$1" ]; }
check_minimise() {
    local before
    xdotool windowminimize "$main"
    wait_for 10 iconic "$main" || fail "the main window was not minimised"
    before=$(step)
    wait_for 10 steps_beyond "$before" ||
        fail "the steps stopped at $before while the main window was minimised"
    xdotool windowactivate "$main"
    wait_for 10 normal "$main" || fail "the main window did not come back"
    wait_for 10 focused "Кворакс *шаг" || fail "the restored main window does not have the keyboard"
    xdotool windowminimize "$chooser"
    wait_for 10 iconic "$chooser" || fail "the plane chooser was not minimised"
    wait_for 10 focused "Кворакс *шаг" || fail "the main window does not have the keyboard"
    xdotool key ctrl+c
    wait_for 10 normal "$chooser" || fail "Ctrl+C left the minimised plane chooser out of sight"
    wait_for 10 focused "Выберите плоскость!" || fail "Ctrl+C did not give the chooser the keyboard"
    screenshot chooser-restored
}

# Alt+F4 on the chooser closes the chooser alone: the main window ticks on with the keyboard,
# and Ctrl+C makes the chooser anew on the plane chosen before.
check_chooser_closed() {
    local before
    xdotool key alt+F4
    wait_for 10 gone "Выберите плоскость!" || fail "Alt+F4 did not close the plane chooser"
    kill -0 "$program" 2>/dev/null || fail "closing the plane chooser ended the program"
    wait_for 10 focused "Кворакс *шаг" || fail "the main window does not have the keyboard"
    before=$(step)
    wait_for 10 steps_beyond "$before" || fail "the steps stopped at $before without the chooser"
    open_with "Выберите плоскость!" ctrl+c
    chooser=$(window "Выберите плоскость!")
    wait_for 5 marks_are "-x-" || fail "the chooser came back with the marks $(chooser_marks)"
}

launch 1
wait_for 10 focused "Кворакс *шаг" || fail "the main window does not have the keyboard after OK"
check_chooser_beside
screenshot main-window
check_shortcuts_after_dialogs
check_chooser_keys
xdotool windowfocus --sync "$main"  # without a window manager nothing else can
xdotool key ctrl+p
wait_for 10 test -s Noname00.wmf || fail "Ctrl+P wrote no Noname00.wmf"
[ "$(head -c 2 Noname00.wmf)" = "BM" ] || fail "Noname00.wmf is not a bitmap"
if [ -n "$managed_by" ]; then
    check_fixed_size
    check_minimise
    check_chooser_closed
fi
xdotool windowfocus --sync "$main"
xdotool key ctrl+x
ended Ctrl+X
[ "$(wc -l <Kvorax.ini)" -eq 8 ] || fail "Exit did not write the eight settings lines"
[ "$(head -1 Kvorax.ini)" = $'" 315360000"\r' ] || fail "Kvorax.ini begins with $(head -1 Kvorax.ini)"

if [ -n "$managed_by" ]; then
    # The close box: the window manager asks the window to close, which ends the program
    # at once without writing the settings.
    launch 2
    read -r x y w h < <(frame "$main")
    read -r l r t b < <(frame_extents "$main")
    xdotool mousemove $((x + w - 12)) $((y + t / 2)) click 1
    ended "the close box"
    [ ! -e Kvorax.ini ] || fail "the close box wrote Kvorax.ini"
    launch 3
    wait_for 10 focused "Кворакс *шаг" || fail "the main window does not have the keyboard"
    xdotool key alt+F4
    ended Alt+F4
    [ ! -e Kvorax.ini ] || fail "Alt+F4 wrote Kvorax.ini"
fi
echo "window program end to end${managed_by:+ under $managed_by}: passed"
