#!/usr/bin/env bash
# The editor started where no window can be shown exits with status 1 and one line that
# begins "no display: ", instead of aborting: once with no display set at all, once with a
# display that no server answers.
# Usage: no_display_test.sh DABRO
set -uo pipefail
dabro=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() {
    local name=$1
    shift
    env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY "$@" "$dabro" "$work/some.spr" \
        > "$work/out" 2> "$work/err" < /dev/null
    local status=$?
    local lines
    lines=$(wc -l < "$work/err")
    if [ "$status" -ne 1 ] || [ "$lines" -ne 1 ] || ! grep -q '^no display: ' "$work/err"; then
        echo "$name: status $status, standard error:"
        cat "$work/err"
        failures=$((failures + 1))
    fi
}
check unset env -u DISPLAY
check unanswered env DISPLAY=:7391 XAUTHORITY=/nonexistent
exit "$failures"
