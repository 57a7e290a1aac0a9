# shellcheck shell=bash
# Shared by the package checks (sourced): counting failures, and the runner's three texts.
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# Runs the runner $1 with --steps 1 in an empty folder: it must end with status 0, print
# the window caption, the energy label and the time-step label of step 1 for the default
# start parameters, and write nothing.
check_runner() {
    local runner=$1 work out status=0
    work=$(mktemp -d)
    out=$(cd "$work" && "$runner" --steps 1 2>"$work.err") || status=$?
    [ "$status" -eq 0 ] || fail "$runner --steps 1 ended with $status: $(cat "$work.err")"
    mapfile -t lines <<<"$out"
    [ "${#lines[@]}" -eq 3 ] || fail "$runner printed ${#lines[@]} lines, not 3: $out"
    # Step 1, with the blank the number text puts before a non-negative number.
    [ "${lines[0]}" = "Кворакс  1 шаг" ] || fail "$runner caption: '${lines[0]}'"
    [[ "${lines[1]}" =~ ^"Энергия системы:"[\ -][0-9.]+(E[+-][0-9]+)?$ ]] ||
        fail "$runner energy label: '${lines[1]}'"
    # The start form's default time step.
    [ "${lines[2]}" = " 315360000" ] || fail "$runner time-step label: '${lines[2]}'"
    [ -z "$(ls -A "$work")" ] || fail "$runner wrote into its working folder: $(ls -A "$work")"
    rm -rf "$work" "$work.err"
}
