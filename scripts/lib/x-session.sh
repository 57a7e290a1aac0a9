# shellcheck shell=bash disable=SC2034,SC2154  # $xvfb is for the caller, $program from it
# Functions shared by the scripts that drive the window program under Xvfb with xdotool
# (the end-to-end test, the soak, the cost benchmark). Source it; it only defines functions.
# The caller keeps the program's process id in $program; start_xvfb sets $xvfb.

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
