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
# - the Debian 13 tier: a Debian 13 root made once into a cache (GNOME 48, Plasma 6.3, Qt 6.8,
#   GCC 14; scripts/debian13/root.sh), Tivrel built there with warnings as errors, its unit
#   tier and its wayland tier on headless mutter and KWin there (scripts/debian13/test.sh);
# - the Windows build (mingw-w64, Qt for Windows built once into a cache) and its tests under
#   Wine: unit, Windows backends, the whole tivrel.exe, the installer (scripts/windows/test.sh).
#
# On a new machine the two caches are the long part: both start at once, in the background
# and niced, and take what the tiers leave of the processors.
#
# TIVREL_SKIP_SANITIZE=1 skips the sanitizer pass; TIVREL_SKIP_DEBIAN13=1 the Debian 13 tier,
# TIVREL_SKIP_WINDOWS=1 the Windows pass (each says so).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/common.sh"

started=$SECONDS
install_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"

# chroot and the mounts need root.
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
# The caches a new machine has to make, started now in sessions of their own, niced, so that
# they use what the tiers below leave of the two processors: Qt for Windows (about an hour of
# one processor) and the Debian 13 root (mostly downloads and unpacking). On a machine that
# has them each ends at once. A pass that needs one waits for it; an early end of this script
# ends them, and the next run takes up the Qt build where it stopped and makes the root again.
declare -A early_pid early_log
make_early() {
    local name=$1
    shift
    early_log[$name]=$(mktemp)
    # A session of its own is a scheduling group of its own, which the kernel shares the
    # processors with as with this script's, whatever its processes' nice: the group itself
    # is niced.
    setsid -w sh -c 'echo 19 >/proc/self/autogroup 2>/dev/null; exec "$@"' early "$@" \
        >"${early_log[$name]}" 2>&1 &
    early_pid[$name]=$!
}
# Waits for one; its log is shown where it failed (the pass that needs it then says why).
wait_early() {
    local status=0
    wait "${early_pid[$1]}" || status=$?
    [ "$status" -eq 0 ] || { echo "== $1 failed in the background:"; tail -n 40 "${early_log[$1]}"; }
    rm -f "${early_log[$1]}"
    unset "early_pid[$1]"
    return "$status"
}
end_early() {
    local name
    for name in "${!early_pid[@]}"; do
        kill -- "-${early_pid[$name]}" 2>/dev/null || true
        rm -f "${early_log[$name]}"
    done
}
trap end_early EXIT
[ "${TIVREL_SKIP_DEBIAN13:-0}" = 1 ] ||
    make_early "the Debian 13 root" $SUDO bash "$ROOT/scripts/debian13/root.sh" ensure
[ "${TIVREL_SKIP_WINDOWS:-0}" = 1 ] ||
    make_early "Qt for Windows" bash "$ROOT/scripts/windows/build-qt.sh"

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
if [ "${TIVREL_SKIP_DEBIAN13:-0}" = 1 ]; then
    echo "== Debian 13 tier SKIPPED (TIVREL_SKIP_DEBIAN13=1)"
else
    echo "== Debian 13: build in its root, unit and wayland tests there"
    wait_early "the Debian 13 root" ||
        { echo "== the Debian 13 root could not be made" >&2; exit 1; }
    $SUDO bash "$ROOT/scripts/debian13/test.sh"
fi
if [ "${TIVREL_SKIP_WINDOWS:-0}" = 1 ]; then
    echo "== Windows tests SKIPPED (TIVREL_SKIP_WINDOWS=1)"
else
    echo "== Windows: build with mingw-w64, tests under Wine"
    # A failed Qt build is tried again by the Windows build, which then says what went wrong.
    wait_early "Qt for Windows" || true
    bash "$ROOT/scripts/windows/test.sh"
fi
echo "== all tests passed in $((SECONDS - started)) s"
