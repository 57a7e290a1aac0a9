# shellcheck shell=bash disable=SC2034,SC2154  # $xvfb, $window_manager for the caller
# Functions shared by the scripts that drive the window program under Xvfb with xdotool
# (the end-to-end test, the soak, the cost benchmark). Source it; it only defines functions.
# The caller keeps the program's process id in $program; start_xvfb sets $xvfb,
# start_window_manager $window_manager.

# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.05
    done
}

# Starts an X server of its own, on a free display that Xvfb chooses and writes to
# descriptor 3 ($1/display), its messages in $1/xvfb.log; the program is to use it through
# the xcb plugin, under the C locale as on a machine without LANG. Without -noreset the
# server starts afresh whenever its last client leaves, as each xdotool call that looks for
# the program's windows does before the program has connected, and a program that connects
# just then is refused.
start_xvfb() {
    Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp 3>"$1/display" \
        2>"$1/xvfb.log" &
    xvfb=$!
    wait_for 20 test -s "$1/display" || return 1
    DISPLAY=":$(head -1 "$1/display")"
    export DISPLAY QT_QPA_PLATFORM=xcb
    unset LC_ALL LANG || true
}

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

# Starts openbox as the window manager of the display, with the system's configuration (its
# configuration folder, $1/config, holds none of the user's), its messages in $1/openbox.log;
# sets $window_manager and returns once openbox manages the screen.
start_window_manager() {
    mkdir -p "$1/config"
    XDG_CONFIG_HOME="$1/config" openbox --sm-disable >"$1/openbox.log" 2>&1 &
    window_manager=$!
    wait_for 20 managed
}
managed() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# Prints "left right top bottom": the widths of the frame the window manager put around the
# window $1, 0 0 0 0 without one.
frame_extents() {
    local extents
    extents=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.* = //p' | tr -d ,)
    echo "${extents:-0 0 0 0}"
}
