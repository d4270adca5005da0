#!/usr/bin/env bash
# Installs what Tivrel needs, builds it and starts it.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/common.sh"

install_packages "${BUILD_PACKAGES[@]}"
configure_and_build "$ROOT/build" -DBUILD_TESTING=OFF
exec "$ROOT/build/src/tivrel" "$@"
