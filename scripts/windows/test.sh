#!/usr/bin/env bash
# Builds Tivrel for Windows and runs its tests under Wine: the shared logic's unit tests, the
# Windows backends against Wine's system, the whole tivrel.exe driven from outside, and the
# installer installed and removed silently. Prints the time of every phase.
#
# The first run on a machine builds Qt for Windows (about half an hour on two cores); later
# runs reuse it. Extra arguments go to ctest (for example -R win.program).
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$ROOT/scripts/common.sh"

started=$SECONDS
install_packages wine wine64 xvfb xauth openbox trayer
packages=$((SECONDS - started))

build_started=$SECONDS
bash "$ROOT/scripts/windows/build.sh" -DTIVREL_WERROR=ON
build=$((SECONDS - build_started))

echo "== Windows tests under Wine"
tests_started=$SECONDS
status=0
ctest --test-dir "$ROOT/build-windows" --output-on-failure -L windows "$@" || status=$?
tests=$((SECONDS - tests_started))

echo "== Windows: packages ${packages} s, build and packing ${build} s, tests under Wine ${tests} s," \
    "total $((SECONDS - started)) s"
exit $status
