#!/bin/sh
# Starts a virtual X server with a window manager and a tray host for the X11 tests,
# detached from this script so that they outlive it, and waits until all are ready.
#
#   start-x.sh STATE_DIR SELECTION_CHECK
#
# SELECTION_CHECK is the tivrel-x-selection-owner tool: the tray host is ready once it owns
# the tray selection, and nothing else shows that from outside.
#
# STATE_DIR receives:
#   display   the display name (":N"), written last, once everything is ready
#   pids      "name pid" per started process, in start order (stop-x.sh reads it)
#   *.log     what each process printed
#
# The server picks a free display itself (-displayfd), so several build trees, or another
# X server on this machine, never collide with it.

set -u

state=${1:?usage: start-x.sh STATE_DIR SELECTION_CHECK}
selection_check=${2:?usage: start-x.sh STATE_DIR SELECTION_CHECK}
here=$(cd "$(dirname "$0")" && pwd)
wait_seconds=${TIVREL_X11_START_TIMEOUT:-20}

fail() {
    echo "start-x: $*" >&2
    for log in "$state"/*.log; do
        [ -s "$log" ] || continue
        echo "--- $log" >&2
        tail -n 20 "$log" >&2
    done
    sh "$here/stop-x.sh" "$state"
    exit 1
}

# Left over from a run that was interrupted before its cleanup.
sh "$here/stop-x.sh" "$state"
mkdir -p "$state" || exit 1
rm -f "$state/display" "$state/displayfd" "$state/pids" "$state"/*.log

# Starts "$@" in a session of its own, with no terminal and no pipe to CTest (CTest waits
# for every holder of the test's output to let go of it), and records its PID under NAME.
start_detached() {
    name=$1
    shift
    setsid "$@" </dev/null >"$state/$name.log" 2>&1 &
    echo "$name $!" >>"$state/pids"
}

# Runs the check "$@" every 0.1 s until it succeeds; false after the time allowed.
poll_until() {
    tries=$((wait_seconds * 10))
    while [ "$tries" -gt 0 ]; do
        "$@" && return 0
        sleep 0.1
        tries=$((tries - 1))
    done
    return 1
}

alive() {
    # $1 name from the pids file
    pid=$(awk -v n="$1" '$1 == n { print $2 }' "$state/pids")
    [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null || return 1
    # One that has exited stays a zombie until this script collects it.
    [ "$(awk '{ print $3 }' "/proc/$pid/stat" 2>/dev/null)" != Z ]
}

# --- X server ---------------------------------------------------------------------------
# The server writes the display number and a newline to fd 3 once it accepts clients.
# -noreset keeps it (and what the tests set up in it) when its last client disconnects.
display_number_written() {
    alive xvfb || fail "Xvfb exited during start-up"
    grep -q '^[0-9][0-9]*$' "$state/displayfd" 2>/dev/null
}
: >"$state/displayfd"
start_detached xvfb Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset \
    3>"$state/displayfd"
poll_until display_number_written || fail "Xvfb gave no display number in ${wait_seconds} s"
DISPLAY=:$(head -n 1 "$state/displayfd")
export DISPLAY

# --- window manager ---------------------------------------------------------------------
# Ready once it announces itself on the root window (EWMH supporting-WM check).
wm_ready() {
    alive openbox || fail "openbox exited during start-up"
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}
start_detached openbox openbox --sm-disable
poll_until wm_ready || fail "openbox did not take over $DISPLAY in ${wait_seconds} s"

# --- tray host --------------------------------------------------------------------------
# At the top right, clear of the places where the tests put their windows. Ready once it
# owns the tray selection of screen 0; only then do the program's icons embed at once.
tray_ready() {
    alive trayer || fail "trayer exited during start-up"
    "$selection_check" _NET_SYSTEM_TRAY_S0 >/dev/null
}
start_detached trayer trayer --edge top --align right --widthtype request --height 24 \
    --SetPartialStrut false
poll_until tray_ready || fail "trayer took no tray selection on $DISPLAY in ${wait_seconds} s"

# --- further clients --------------------------------------------------------------------
# A client the tests need on this display is started here the same way: start_detached
# NAME COMMAND..., then poll_until a check that it is ready. stop-x.sh stops everything
# recorded, last started first.

echo "$DISPLAY" >"$state/display.new" && mv "$state/display.new" "$state/display"
echo "start-x: X server on $DISPLAY, window manager and tray host ready (state in $state)"
