#!/usr/bin/env bash
# The click-timing benchmark in one command: installs what it needs, builds tivrel-bench (and
# the program it measures) in build-bench, then runs it on an X server of its own.
# Arguments go to tivrel-bench: --runs N, --clicks N, --idle-seconds N, --dump FOLDER.
#
#   bash bench/run.sh
#   TIVREL_BENCH_BUILD=/some/folder bash bench/run.sh --runs 5

set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/common.sh"
build=${TIVREL_BENCH_BUILD:-$ROOT/build-bench}

install_packages "${BUILD_PACKAGES[@]}" xvfb xauth openbox xdotool
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DBUILD_TESTING=OFF -DTIVREL_BENCH=ON
fi
cmake --build "$build" -j "$(nproc)" --target tivrel-bench
exec "$build/bench/tivrel-bench" "$@"
