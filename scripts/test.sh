#!/usr/bin/env bash
# Installs what the tests need, builds Tivrel and runs every test: once in a plain build and
# once more with the address and undefined behaviour sanitizers, then checks the style.
# TIVREL_SKIP_SANITIZE=1 skips the sanitizer pass.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/common.sh"

install_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"

echo "== style"
mapfile -t sources < <(cd "$ROOT" && git ls-files -- '*.cpp' '*.h' 2>/dev/null || find src tests bench -name '*.cpp' -o -name '*.h')
(cd "$ROOT" && clang-format --dry-run --Werror "${sources[@]}")

echo "== tests"
configure_and_build "$ROOT/build-test"
ctest --test-dir "$ROOT/build-test" --output-on-failure --timeout 300

if [ "${TIVREL_SKIP_SANITIZE:-0}" != 1 ]; then
    echo "== tests with address and undefined behaviour sanitizers"
    configure_and_build "$ROOT/build-asan" -DCMAKE_BUILD_TYPE=Debug -DTIVREL_SANITIZE=ON
    ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        ctest --test-dir "$ROOT/build-asan" --output-on-failure --timeout 600
fi
