#!/usr/bin/env bash
# Installs what building needs, builds Tivrel and makes its Debian package in build/.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/common.sh"

install_packages "${BUILD_PACKAGES[@]}" dpkg-dev file
configure_and_build "$ROOT/build" -DBUILD_TESTING=OFF
(cd "$ROOT/build" && cpack)
ls "$ROOT"/build/tivrel_*.deb
