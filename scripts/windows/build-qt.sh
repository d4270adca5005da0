#!/usr/bin/env bash
# Builds Qt (qtbase only) for 64-bit Windows on this Debian machine, once, into a cache
# folder that later builds of tivrel.exe reuse.
#
#   scripts/windows/build-qt.sh [--configure-only]
#
# The source is Debian's own qtbase, the same version as the host tools in qt6-base-dev
# (moc, rcc, uic run from /usr). The result is <cache>/qt-<version>-mingw-x64, with
# bin/qt-cmake to configure a project against it.
#
# Environment:
#   TIVREL_WINDOWS_CACHE  cache folder (default /var/cache/tivrel-windows)
#   TIVREL_QT_JOBS        parallel compile jobs (default: number of cores)
#
# Safe to run again: it does nothing when the installed Qt matches this script's options,
# and it continues an interrupted build where it stopped. Heavy steps run under nice/ionice.
set -euo pipefail

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
CACHE=${TIVREL_WINDOWS_CACHE:-/var/cache/tivrel-windows}
JOBS=${TIVREL_QT_JOBS:-$(nproc)}
CONFIGURE_ONLY=0
[ "${1:-}" = "--configure-only" ] && CONFIGURE_ONLY=1

QT_VERSION=6.4.2
PREFIX=$CACHE/qt-$QT_VERSION-mingw-x64
BUILD_DIR=$CACHE/build-qt-$QT_VERSION-mingw-x64
SRC_PARENT=$CACHE/src
STAMP_NAME=.tivrel-qt-stamp

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

log() { printf '[build-qt %s] %s\n' "$(date +%H:%M:%S)" "$*"; }
elapsed() { local s=$1; printf '%dm%02ds' $((s / 60)) $((s % 60)); }

# Runs a command with only the CPU and disk time nobody else wants.
run_low() {
    if command -v ionice >/dev/null 2>&1; then
        nice -n 19 ionice -c3 "$@"
    else
        nice -n 19 "$@"
    fi
}

# Everything below is for the Windows target; the host build of Qt comes from qt6-base-dev.
QT_OPTIONS=(
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=ON
    -DQT_BUILD_EXAMPLES=OFF
    -DQT_BUILD_TESTS=OFF
    -DQT_BUILD_BENCHMARKS=OFF
    -DQT_BUILD_MANUAL_TESTS=OFF
    # Modules and features the program does not use.
    -DFEATURE_sql=OFF
    # Network stays for QLocalSocket: a second copy's request reaches the first over a named pipe.
    -DFEATURE_openssl=OFF
    -DFEATURE_schannel=OFF
    -DFEATURE_testlib=OFF
    -DFEATURE_printsupport=OFF
    -DFEATURE_xml=OFF
    -DFEATURE_concurrent=OFF
    -DFEATURE_dbus=OFF
    # The Direct2D platform plugin (a second copy of the Windows one), the JPEG and GIF
    # plugins and the TUIO touch input plugin: the program ships only the Windows platform
    # and style plugins and draws its own pictures. Direct2D itself stays on: without it the
    # Windows plugin's DirectWrite fonts are not exported from QtGui.
    -DFEATURE_direct2d1_1=OFF
    -DFEATURE_jpeg=OFF
    -DFEATURE_gif=OFF
    -DFEATURE_tuiotouch=OFF
    # opengl off alone leaves dynamicgl on, and then the Windows plugin does not compile;
    # both off still leave the private opengl-dynamic on: INPUT_opengl=no is what
    # turns off every OpenGL flavour.
    -DINPUT_opengl=no
    -DFEATURE_opengl=OFF
    -DFEATURE_dynamicgl=OFF
    -DFEATURE_vulkan=OFF
    -DFEATURE_icu=OFF
    # Debian's source tarball has no wintab.h.
    -DFEATURE_tabletevent=OFF
    # The third-party libraries bundled in qtbase, never anything found on the host.
    -DFEATURE_pkg_config=OFF
    -DFEATURE_system_zlib=OFF
    -DFEATURE_system_pcre2=OFF
    -DFEATURE_system_doubleconversion=OFF
    -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_system_freetype=OFF
    -DFEATURE_system_png=OFF
    -DFEATURE_system_jpeg=OFF
    -DFEATURE_system_libb2=OFF
    -DFEATURE_system_textmarkdownreader=OFF
    -DINPUT_freetype=qt
    -DINPUT_harfbuzz=qt
    -DINPUT_libpng=qt
    -DINPUT_libjpeg=qt
    -DINPUT_pcre=qt
)

install_packages() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    log "installing: ${missing[*]}"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# apt-get source needs a deb-src entry. When there is none, one is added beside the
# system's own Debian entries, for the same mirrors and suites and in the same format
# (deb822 .sources or one-line .list); the system's files are left as they are.
ensure_deb_src() {
    local f
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        if grep -Eq '^[[:space:]]*deb-src[[:space:]]' "$f" ||
            grep -Eiq '^[[:space:]]*Types:.*deb-src' "$f"; then
            return 0
        fi
    done
    local out=/etc/apt/sources.list.d/tivrel-deb-src
    local deb822=() oneline=()
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] && grep -Eiq '^[[:space:]]*URIs:.*debian' "$f" && deb822+=("$f")
    done
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$f" ] && grep -Eq '^[[:space:]]*deb[[:space:]].*debian' "$f" && oneline+=("$f")
    done
    if [ ${#deb822[@]} -gt 0 ]; then
        log "adding $out.sources after ${deb822[*]}"
        # Every stanza of those files again, fetching sources instead of binaries.
        for f in "${deb822[@]}"; do
            sed -E 's/^([[:space:]]*Types:).*/\1 deb-src/I' "$f"
            echo
        done | $SUDO tee "$out.sources" >/dev/null
    elif [ ${#oneline[@]} -gt 0 ]; then
        log "adding $out.list after ${oneline[*]}"
        grep -hE '^[[:space:]]*deb[[:space:]].*debian' "${oneline[@]}" |
            sed -E 's/^([[:space:]]*)deb([[:space:]])/\1deb-src\2/' | $SUDO tee "$out.list" >/dev/null
    else
        log "adding $out.sources for bookworm"
        $SUDO tee "$out.sources" >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    fi
    $SUDO apt-get update -qq
}

main() {
    local t0=$SECONDS
    mkdir -p "$CACHE"
    # One build at a time per cache: a second caller waits and then finds the work done.
    exec 9>"$CACHE/.build-qt.lock"
    if ! flock -n 9; then
        log "another build of Qt holds $CACHE/.build-qt.lock; waiting for it"
        flock 9
    fi

    install_packages mingw-w64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix \
        ninja-build cmake qt6-base-dev qt6-base-dev-tools dpkg-dev xz-utils

    # The Windows Qt must be the version of the host tools it is paired with.
    local host_version
    host_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
    case "$host_version" in
        "$QT_VERSION"+*|"$QT_VERSION"-*) ;;
        *) log "qt6-base-dev is $host_version, this script builds $QT_VERSION"; exit 1 ;;
    esac

    # The stamp says what the installed Qt was built from and with.
    local stamp
    stamp=$(
        echo "qtbase $host_version"
        x86_64-w64-mingw32-g++-posix --version | head -n1
        printf '%s\n' "${QT_OPTIONS[@]}"
        cat "$HERE/mingw-toolchain.cmake"
    )
    if [ -f "$PREFIX/lib/cmake/Qt6/Qt6Config.cmake" ] && [ -f "$PREFIX/$STAMP_NAME" ] &&
        [ "$(cat "$PREFIX/$STAMP_NAME")" = "$stamp" ]; then
        log "Qt $QT_VERSION for Windows is already in $PREFIX"
        return 0
    fi

    # Source: Debian's qtbase, the exact version of the host tools.
    local src_dir=$SRC_PARENT/qt6-base-$host_version
    if [ ! -f "$src_dir/.tivrel-unpacked" ]; then
        ensure_deb_src
        mkdir -p "$SRC_PARENT/download"
        log "fetching the qt6-base $host_version source"
        (cd "$SRC_PARENT/download" && apt-get source --download-only "qt6-base=$host_version")
        local dsc
        dsc=$(ls "$SRC_PARENT"/download/qt6-base_*.dsc | head -n1)
        rm -rf "$src_dir"
        log "unpacking $(basename "$dsc")"
        run_low dpkg-source --no-check -x "$dsc" "$src_dir" >/dev/null
        # dpkg-source leaves a second copy of the tarball beside the tree.
        rm -f "$SRC_PARENT"/qt6-base_*.orig.tar.*
        touch "$src_dir/.tivrel-unpacked"
    fi

    # Qt records the toolchain's path in its own qt.toolchain.cmake, so it gets a copy that
    # lives as long as the prefix does (the repository may move or be cloned elsewhere).
    # Copied only when changed: a newer copy makes the build folder configure again.
    mkdir -p "$PREFIX"
    cmp -s "$HERE/mingw-toolchain.cmake" "$PREFIX/mingw-toolchain.cmake" ||
        cp "$HERE/mingw-toolchain.cmake" "$PREFIX/mingw-toolchain.cmake"

    # A build folder configured with other options or another source starts again.
    if [ -d "$BUILD_DIR" ] && { [ ! -f "$BUILD_DIR/$STAMP_NAME" ] ||
        [ "$(cat "$BUILD_DIR/$STAMP_NAME")" != "$stamp" ]; }; then
        log "the build folder was made with other options; starting it again"
        rm -rf "$BUILD_DIR"
    fi
    mkdir -p "$BUILD_DIR"

    if [ ! -f "$BUILD_DIR/build.ninja" ] || [ ! -f "$BUILD_DIR/.tivrel-configured" ]; then
        log "configuring"
        local tc=$SECONDS
        run_low cmake -S "$src_dir" -B "$BUILD_DIR" -G Ninja \
            -DCMAKE_TOOLCHAIN_FILE="$PREFIX/mingw-toolchain.cmake" \
            -DCMAKE_INSTALL_PREFIX="$PREFIX" \
            -DQT_HOST_PATH=/usr \
            -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
            "${QT_OPTIONS[@]}"
        touch "$BUILD_DIR/.tivrel-configured"
        echo "$stamp" >"$BUILD_DIR/$STAMP_NAME"
        log "configured in $(elapsed $((SECONDS - tc)))"
    else
        log "continuing the build in $BUILD_DIR"
    fi
    [ "$CONFIGURE_ONLY" = 1 ] && { log "configure only: stopping here"; return 0; }

    log "building with $JOBS jobs ($(ninja -C "$BUILD_DIR" -n 2>/dev/null | grep -c '^\[' || true) steps left)"
    local tb=$SECONDS
    run_low cmake --build "$BUILD_DIR" --parallel "$JOBS"
    log "built in $(elapsed $((SECONDS - tb)))"

    log "installing into $PREFIX"
    run_low cmake --install "$BUILD_DIR" >/dev/null

    local missing=0 f
    for f in bin/qt-cmake bin/Qt6Core.dll bin/Qt6Gui.dll bin/Qt6Widgets.dll \
        plugins/platforms/qwindows.dll lib/cmake/Qt6/Qt6Config.cmake; do
        if [ ! -e "$PREFIX/$f" ]; then
            log "missing after install: $PREFIX/$f"
            missing=1
        fi
    done
    [ "$missing" = 0 ] || exit 1
    echo "$stamp" >"$PREFIX/$STAMP_NAME"
    log "Qt $QT_VERSION for Windows installed in $PREFIX ($(du -sh "$PREFIX" | cut -f1)), total $(elapsed $((SECONDS - t0)))"
}

main "$@"
