#!/bin/sh
# Stops what start-x.sh started, last started first, and forgets the display.
#
#   stop-x.sh STATE_DIR
#
# Only the PIDs recorded in STATE_DIR are signalled, and only while they still run the
# program recorded for them, so a PID reused by something else is left alone.

set -u

state=${1:?usage: stop-x.sh STATE_DIR}
rm -f "$state/display"
[ -f "$state/pids" ] || exit 0

# Is PID $2 still the process recorded as $1? The name is the program's file name.
is_ours() {
    [ -r "/proc/$2/comm" ] || return 1
    comm=$(cat "/proc/$2/comm" 2>/dev/null)
    # A zombie has ended already; it waits only for its parent to collect it.
    [ "$(awk '{ print $3 }' "/proc/$2/stat" 2>/dev/null)" = Z ] && return 1
    case "$1" in
    xvfb) [ "$comm" = Xvfb ] ;;
    *) [ "$comm" = "$1" ] ;;
    esac
}

stop_one() {
    name=$1
    pid=$2
    is_ours "$name" "$pid" || return 0
    kill -TERM "$pid" 2>/dev/null
    tries=50
    while [ "$tries" -gt 0 ] && is_ours "$name" "$pid"; do
        sleep 0.1
        tries=$((tries - 1))
    done
    if is_ours "$name" "$pid"; then
        echo "stop-x: $name ($pid) ignored TERM, killing it" >&2
        kill -KILL "$pid" 2>/dev/null
    fi
}

# Reverse order: clients before the server they are connected to.
tac "$state/pids" | while read -r name pid; do
    [ -n "$pid" ] && stop_one "$name" "$pid"
done
rm -f "$state/pids" "$state/displayfd"
exit 0
