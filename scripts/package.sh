#!/usr/bin/env bash
# Installs what building needs, builds Tivrel and makes its Debian package for this machine's
# release in build/.
#
# Also the Debian 13 (trixie) package, built in the Debian 13 root that the tests use
# (scripts/debian13/root.sh), in build-debian13/: where that root exists already, or with
# --debian13, which makes it first (about 10 minutes, once). TIVREL_SKIP_DEBIAN13=1 skips it.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/common.sh"
ROOT_SH=$ROOT/scripts/debian13/root.sh

debian13=0
[ "${1:-}" = --debian13 ] && debian13=1
[ -x "$(bash "$ROOT_SH" path)/usr/bin/apt-get" ] && debian13=1
[ "${TIVREL_SKIP_DEBIAN13:-0}" = 1 ] && debian13=0

install_packages "${BUILD_PACKAGES[@]}" dpkg-dev file
configure_and_build "$ROOT/build" -DBUILD_TESTING=OFF
(cd "$ROOT/build" && cpack)
ls "$ROOT"/build/tivrel_*.deb

if [ "$debian13" = 1 ]; then
    echo "== the Debian 13 package, built in its root"
    # chroot and the mounts need root.
    as_root=()
    [ "$(id -u)" -eq 0 ] || as_root=(sudo)
    "${as_root[@]}" bash "$ROOT_SH" ensure
    "${as_root[@]}" bash "$ROOT_SH" enter "$ROOT" "$ROOT/build-debian13" bash -euo pipefail -c '
        cmake -S /src/tivrel -B /build/tivrel/package -G Ninja \
            -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF
        cmake --build /build/tivrel/package -j "$(nproc)"
        cd /build/tivrel/package && cpack -B /build/tivrel
    '
    ls "$ROOT"/build-debian13/tivrel_*.deb
fi
