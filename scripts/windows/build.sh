#!/usr/bin/env bash
# Builds Tivrel for 64-bit Windows on this Debian machine and packs it:
#
#   build-windows/tivrel-<version>-windows-x64.zip   the program folder, to unpack anywhere
#   build-windows/tivrel-<version>-setup.exe          the installer (NSIS), for all users
#
#   scripts/windows/build.sh [cmake options for the Windows build...]
#
# Qt for Windows is built once into a cache folder (build-qt.sh; about half an hour on two
# cores, then reused). The pictures the program shows are drawn by tivrel-pictures built for
# this machine (build-windows/host), which also gives the tests their X session tool.
# Environment: TIVREL_WINDOWS_CACHE (see build-qt.sh).
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
HERE=$ROOT/scripts/windows
source "$ROOT/scripts/common.sh"

CACHE=${TIVREL_WINDOWS_CACHE:-/var/cache/tivrel-windows}
QT_PREFIX=$CACHE/qt-6.4.2-mingw-x64
OUT=$ROOT/build-windows
HOST=$OUT/host
TRIPLE=x86_64-w64-mingw32
VERSION=$(sed -n 's/^project(Tivrel VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")
[ -n "$VERSION" ] || { echo "build.sh: no version in CMakeLists.txt" >&2; exit 1; }

declare -a PHASES=()
phase_started=$SECONDS
phase() {
    PHASES+=("$(printf '%-34s %4d s' "$1" $((SECONDS - phase_started)))")
    phase_started=$SECONDS
}
report() {
    echo "== Windows build phases"
    printf '   %s\n' "${PHASES[@]}"
}
trap report EXIT

echo "== packages"
install_packages "${BUILD_PACKAGES[@]}" mingw-w64 g++-mingw-w64-x86-64-posix \
    gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 libgtest-dev nsis zip
phase "packages"

echo "== Qt for Windows (cached in $QT_PREFIX)"
TIVREL_WINDOWS_CACHE=$CACHE bash "$HERE/build-qt.sh"
phase "Qt for Windows"

echo "== tools for this machine: pictures and the tests' X session"
cmake -S "$ROOT" -B "$HOST" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON >/dev/null
nice cmake --build "$HOST" -j "$(nproc)" --target tivrel-pictures tivrel-x-session
phase "host tools"

echo "== tivrel.exe"
"$QT_PREFIX/bin/qt-cmake" -S "$ROOT" -B "$OUT" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTIVREL_HOST_PICTURES_TOOL="$HOST/src/tivrel-pictures" \
    -DTIVREL_HOST_X_SESSION_TOOL="$HOST/tests/harness/tivrel-x-session" \
    -DTIVREL_WINDOWS_INSTALLER="$OUT/tivrel-$VERSION-setup.exe" "$@" >/dev/null
nice cmake --build "$OUT" -j "$(nproc)"
phase "Windows build"

echo "== program folder"
NAME=tivrel-$VERSION-windows-x64
STAGE=$OUT/stage/$NAME
rm -rf "$OUT/stage"
mkdir -p "$STAGE/platforms" "$STAGE/styles"
cp "$OUT/src/tivrel.exe" "$ROOT/EULA.txt" "$STAGE/"
for dll in Qt6Core Qt6Gui Qt6Widgets Qt6Network; do
    cp "$QT_PREFIX/bin/$dll.dll" "$STAGE/"
done
cp "$QT_PREFIX/plugins/platforms/qwindows.dll" "$STAGE/platforms/"
if compgen -G "$QT_PREFIX/plugins/styles/*.dll" >/dev/null; then
    cp "$QT_PREFIX"/plugins/styles/*.dll "$STAGE/styles/"
else
    rmdir "$STAGE/styles"
fi
# The runtime of the posix-thread compiler the program and Qt were built with.
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    cp "$($TRIPLE-g++-posix -print-file-name=$dll)" "$STAGE/"
done
find "$STAGE" \( -name '*.exe' -o -name '*.dll' \) -exec $TRIPLE-strip --strip-unneeded {} +
# Windows line ends for the terms, as Notepad and the installer's licence page show them.
sed -i 's/\r*$/\r/' "$STAGE/EULA.txt"
phase "program folder"

echo "== $NAME.zip"
rm -f "$OUT/$NAME.zip"
(cd "$OUT/stage" && zip -q -r -9 -X "$OUT/$NAME.zip" "$NAME")
phase "zip"

echo "== tivrel-$VERSION-setup.exe"
REMOVE=$OUT/stage/uninstall-files.nsh
{
    (cd "$STAGE" && find . -type f | sed 's|^\./||' | sort) |
        while read -r file; do printf 'Delete /REBOOTOK "$INSTDIR\\%s"\n' "${file//\//\\}"; done
    (cd "$STAGE" && find . -mindepth 1 -type d | sed 's|^\./||' | sort -r) |
        while read -r dir; do printf 'RMDir /REBOOTOK "$INSTDIR\\%s"\n' "${dir//\//\\}"; done
} >"$REMOVE"
makensis -V2 -DVERSION="$VERSION" -DSTAGE="$STAGE" -DSTAGE_REMOVE="$REMOVE" \
    -DICON="$OUT/src/pictures/tivrel.ico" -DOUTFILE="$OUT/tivrel-$VERSION-setup.exe" \
    "$HERE/tivrel.nsi"
phase "installer"

ls -l "$OUT/$NAME.zip" "$OUT/tivrel-$VERSION-setup.exe" | awk '{print "   " $5 " bytes  " $9}'
