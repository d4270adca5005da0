#!/usr/bin/env bash
# The click-timing benchmark in one command: installs what it needs, builds tivrel-bench (and
# the program it measures) in build-bench, then runs it twice on an X server of its own: on
# the machine as it is, and with a busy loop on every processor (--hog).
# Arguments go to both runs of tivrel-bench: --runs N, --clicks N, --idle-seconds N,
# --dump FOLDER. TIVREL_BENCH_PASSES=plain or =hog runs one of the two only; =gnome runs the
# click run on a headless GNOME (tivrel-bench-gnome: mutter, PipeWire and the portal).
#
#   bash bench/run.sh
#   TIVREL_BENCH_BUILD=/some/folder bash bench/run.sh --runs 5

set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/common.sh"
build=${TIVREL_BENCH_BUILD:-$ROOT/build-bench}
passes=${TIVREL_BENCH_PASSES:-plain hog}

install_packages "${BUILD_PACKAGES[@]}" xvfb xauth openbox trayer xdotool
case " $passes " in *" gnome "*)
    install_packages mutter pipewire wireplumber xdg-desktop-portal xdg-desktop-portal-gnome \
        at-spi2-core python3-pyatspi plasma-wayland-protocols xwayland ;;
esac
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DBUILD_TESTING=OFF -DTIVREL_BENCH=ON
fi
# The build is niced; the measurements are not.
targets=(tivrel-bench tivrel)
case " $passes " in *" gnome "*) targets+=(tivrel-bench-gnome) ;; esac
nice cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"

status=0
for pass in $passes; do
    case $pass in
    plain) echo "=== tivrel-bench: the machine as it is" ;;
    hog) echo "=== tivrel-bench: with a busy loop on every processor (--hog)" ;;
    gnome)
        echo "=== tivrel-bench-gnome: the click run on a headless GNOME"
        "$build/bench/tivrel-bench-gnome" "$@" || status=$?
        continue ;;
    *) echo "unknown pass $pass (plain or hog)" >&2; exit 2 ;;
    esac
    args=("$@")
    [ "$pass" = hog ] && args+=(--hog)
    "$build/bench/tivrel-bench" "${args[@]}" || status=$?
done
exit $status
