#!/usr/bin/env bash
# A private Wine for the Windows tests: its own prefix, home and X server, so that no test
# touches the user's Wine, desktop or files.
#
#   wine-session.sh start STATE_DIR [X_SESSION_TOOL]
#   wine-session.sh stop STATE_DIR
#   wine-session.sh run STATE_DIR PROGRAM [ARGS...]
#
# start makes a fresh prefix in STATE_DIR/prefix and boots it once (6-9 s; every program
# after that starts in well under a second), with the crash dialog off and the menu builder
# disabled, on an X server of its own: tivrel-x-session (Xvfb, openbox and trayer, as the
# Linux tests use) when its path is given, a bare Xvfb otherwise. The Wine server then stays
# up until stop. run is CTest's cross-compiling emulator: it runs PROGRAM in that Wine and
# exits with the program's own status. Extra folders for DLLs come in TIVREL_WINE_PATH
# (Unix paths, separated by ':').
set -euo pipefail

WINE=${TIVREL_WINE:-/usr/lib/wine/wine64}
[ -x "$WINE" ] || WINE=$(command -v wine64 || command -v wine)

usage() {
    sed -n '5,7p' "$0" >&2
    exit 2
}

[ $# -ge 2 ] || usage
command=$1
STATE=$(mkdir -p "$2" && cd "$2" && pwd)
shift 2

# The environment every Wine process of the session shares.
session_env() {
    export WINEPREFIX=$STATE/prefix
    export WINELOADER=$WINE
    export HOME=$STATE/home
    export XDG_CONFIG_HOME=$STATE/home/.config
    export XDG_DATA_HOME=$STATE/home/.local/share
    export XDG_CACHE_HOME=$STATE/home/.cache
    export WINEDEBUG=${TIVREL_WINEDEBUG:--all}
    # No menu entries or file associations on the host; no offer to install Mono or Gecko.
    export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
    if [ -s "$STATE/display" ]; then
        DISPLAY=$(cat "$STATE/display")
        export DISPLAY
    fi
    unset WAYLAND_DISPLAY
}

# Unix folders as one Windows search path on drive Z:.
windows_path() {
    local out="" dir
    local IFS=:
    for dir in $1; do
        [ -n "$dir" ] || continue
        out+="${out:+;}Z:${dir//\//\\}"
    done
    printf '%s' "$out"
}

start_x() {
    local tool=${1:-}
    rm -f "$STATE/display"
    if [ -n "$tool" ]; then
        "$tool" start "$STATE/x" >"$STATE/x-session.log" 2>&1 || {
            cat "$STATE/x-session.log" >&2
            return 1
        }
        cp "$STATE/x/display" "$STATE/display"
        echo tool >"$STATE/x-kind"
        echo "$tool" >"$STATE/x-tool"
        return 0
    fi
    # Xvfb chooses a free display itself and writes its number to the descriptor.
    local fifo=$STATE/displayfd
    rm -f "$fifo"
    mkfifo "$fifo"
    setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset \
        3>"$fifo" >"$STATE/xvfb.log" 2>&1 </dev/null &
    echo $! >"$STATE/xvfb.pid"
    local number
    if ! read -r -t 30 number <"$fifo"; then
        echo "wine-session: Xvfb did not start" >&2
        cat "$STATE/xvfb.log" >&2
        return 1
    fi
    rm -f "$fifo"
    echo ":$number" >"$STATE/display"
    echo xvfb >"$STATE/x-kind"
}

stop_x() {
    case $(cat "$STATE/x-kind" 2>/dev/null) in
    tool) "$(cat "$STATE/x-tool")" stop "$STATE/x" || true ;;
    xvfb)
        local pid
        pid=$(cat "$STATE/xvfb.pid" 2>/dev/null || true)
        # Only an Xvfb we started, not a process that took its number since.
        if [ -n "$pid" ] && [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = Xvfb ]; then
            kill "$pid" 2>/dev/null || true
        fi
        ;;
    esac
    rm -f "$STATE/display" "$STATE/x-kind"
}

case $command in
start)
    started=$SECONDS
    "$0" stop "$STATE" >/dev/null 2>&1 || true
    rm -rf "$STATE/prefix" "$STATE/home"
    mkdir -p "$STATE/home"
    start_x "${1:-}"
    session_env
    mkdir -p "$WINEPREFIX"
    # The server outlives each program, so that none pays for starting it again. It and what
    # the boot leaves running write to files: CTest waits for whatever holds its output.
    wineserver -p </dev/null >"$STATE/wineserver.log" 2>&1
    "$WINE" wineboot --init </dev/null >"$STATE/wineboot.log" 2>&1
    "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
        >>"$STATE/wineboot.log" 2>&1
    echo "wine-session: prefix booted on $DISPLAY in $((SECONDS - started)) s"
    ;;
stop)
    session_env
    if [ -d "$WINEPREFIX" ]; then
        wineserver -k 2>/dev/null || true
        wineserver -w 2>/dev/null || true
    fi
    stop_x
    ;;
run)
    [ $# -ge 1 ] || usage
    [ -s "$STATE/display" ] || {
        echo "wine-session: no session in $STATE (run: $0 start $STATE)" >&2
        exit 2
    }
    session_env
    WINEPATH=$(windows_path "${TIVREL_WINE_PATH:-}")
    export WINEPATH
    exec "$WINE" "$@"
    ;;
*) usage ;;
esac
