#!/usr/bin/env bash
# Installs what the tests need, builds Tivrel and runs every test.
#
# - style: clang-format over every source file;
# - a Release build with warnings as errors (the benchmark too, so that it keeps building),
#   running every tier: unit (offscreen, fakes), x11 (in-process against Xvfb, openbox and
#   trayer), system (against dbus-daemon, polkit and RealtimeKit on a bus of the test's own),
#   program (the real tivrel driven from outside) and packaging;
# - a Debug build with the address and undefined behaviour sanitizers, running the unit, x11
#   and system tiers again.
#
# - the Windows build (mingw-w64, Qt for Windows built once into a cache) and its tests under
#   Wine: unit, Windows backends, the whole tivrel.exe, the installer (scripts/windows/test.sh);
# - the Debian 13 tier: a Debian 13 root made once into a cache (GNOME 48, Plasma 6.3, Qt 6.8,
#   GCC 14; scripts/debian13/root.sh), made while the Windows pass runs, Tivrel built there
#   with warnings as errors, its unit tier and its wayland tier on headless mutter and KWin
#   there (scripts/debian13/test.sh).
#
# TIVREL_SKIP_SANITIZE=1 skips the sanitizer pass; TIVREL_SKIP_DEBIAN13=1 the Debian 13 tier,
# TIVREL_SKIP_WINDOWS=1 the Windows pass (each says so).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/common.sh"

started=$SECONDS
install_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"

echo "== style"
mapfile -t sources < <(cd "$ROOT" && git ls-files -- '*.cpp' '*.h' 2>/dev/null || find src tests bench -name '*.cpp' -o -name '*.h')
(cd "$ROOT" && clang-format --dry-run --Werror "${sources[@]}")

echo "== Release build, warnings as errors"
configure_and_build "$ROOT/build-test" -DCMAKE_BUILD_TYPE=Release -DTIVREL_WERROR=ON -DTIVREL_BENCH=ON

# The unit tier (offscreen, fakes, private temporary folders) runs two at a time; the tiers
# that share an X session or a package build run one at a time.
echo "== tests: unit, x11, system, program, wayland, packaging"
ctest --test-dir "$ROOT/build-test" --output-on-failure --timeout 300 -L unit -j 2
ctest --test-dir "$ROOT/build-test" --output-on-failure --timeout 300 -LE 'unit|wayland'
# As in the Debian 13 tier: a headless desktop that stumbles at start on a loaded machine (a
# portal that answers a first request with an error) gets one more try; a failure twice in a
# row still fails the tier.
ctest --test-dir "$ROOT/build-test" --output-on-failure --timeout 300 -L wayland \
    --repeat until-pass:2

if [ "${TIVREL_SKIP_SANITIZE:-0}" != 1 ]; then
    echo "== unit, x11 and system tests with address and undefined behaviour sanitizers"
    dir="$ROOT/build-asan"
    cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTIVREL_SANITIZE=ON
    cmake --build "$dir" -j "$(nproc)" --target tivrel_tests tivrel_x11_tests tivrel_system_tests \
        tivrel-x-session
    export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    ctest --test-dir "$dir" --output-on-failure --timeout 600 -L unit -j 2
    ctest --test-dir "$dir" --output-on-failure --timeout 600 -L 'x11|system'
fi
# chroot and the mounts need root.
as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
# The Debian 13 root, where it is not cached yet, is made while the Windows pass builds (mostly
# downloads and unpacking beside a compiler); its tier then waits for it.
root_log=$(mktemp)
root_maker=
if [ "${TIVREL_SKIP_DEBIAN13:-0}" != 1 ]; then
    as_root bash "$ROOT/scripts/debian13/root.sh" ensure >"$root_log" 2>&1 &
    root_maker=$!
fi
if [ "${TIVREL_SKIP_WINDOWS:-0}" = 1 ]; then
    echo "== Windows tests SKIPPED (TIVREL_SKIP_WINDOWS=1)"
else
    echo "== Windows: build with mingw-w64, tests under Wine"
    bash "$ROOT/scripts/windows/test.sh"
fi
if [ -z "$root_maker" ]; then
    echo "== Debian 13 tier SKIPPED (TIVREL_SKIP_DEBIAN13=1)"
else
    echo "== Debian 13: build in its root, unit and wayland tests there"
    root_made=0
    wait "$root_maker" || root_made=$?
    cat "$root_log"
    [ "$root_made" -eq 0 ] || { echo "== the Debian 13 root could not be made" >&2; exit 1; }
    as_root bash "$ROOT/scripts/debian13/test.sh"
fi
rm -f "$root_log"
echo "== all tests passed in $((SECONDS - started)) s"
