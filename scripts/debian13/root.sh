#!/usr/bin/env bash
# A Debian 13 (trixie) root for the tests on today's desktops: GNOME 48 (mutter), Plasma 6.3
# (KWin), their portals, Qt 6.8 and GCC 14, on a Debian 12 machine.
#
#   root.sh ensure       make the root once (mmdebstrap), or again when the package list below
#                        changes; it leaves nothing mounted
#   root.sh mount        bind /proc, /sys and /dev into it (rslave: nothing mounted inside
#                        leaks back)
#   root.sh umount       undo every mount under it
#   root.sh run CMD...   CMD inside it, as root, in a clean environment
#   root.sh enter CHECKOUT BUILD CMD...
#                        CMD inside it with the checkout seen read-only at /src/tivrel and the
#                        folder BUILD at /build/tivrel, all mounted in a namespace of CMD's own:
#                        however CMD ends, nothing stays mounted or running
#   root.sh path         where it is
#
# The root is a cache like Qt for Windows: TIVREL_DEBIAN13_CACHE (default
# /var/cache/tivrel-debian13). Packages come from the mirror in this machine's apt sources.
set -euo pipefail
CACHE=${TIVREL_DEBIAN13_CACHE:-/var/cache/tivrel-debian13}
ROOTFS=$CACHE/root
SUITE=trixie
STAMP=$CACHE/.root-stamp

# The desktops, their portals and session plumbing, the AT-SPI robot that answers their
# dialogs, and what Tivrel builds and tests with.
PACKAGES=(
    mutter xwayland xdg-desktop-portal xdg-desktop-portal-gnome gsettings-desktop-schemas
    kwin-wayland kwin-common kwin-data xdg-desktop-portal-kde plasma-workspace kglobalacceld
    pipewire pipewire-bin wireplumber dbus-daemon dbus-bin libglib2.0-bin at-spi2-core
    python3-gi gir1.2-glib-2.0 gir1.2-atspi-2.0 python3-dbus python3-pyatspi
    libei-dev
    build-essential g++ cmake ninja-build pkg-config git dpkg-dev file lintian
    qt6-base-dev qt6-wayland libx11-dev libxtst-dev libxi-dev libxcb1-dev libxcb-xkb-dev
    libxcb-xtest0-dev libxcb-xinput-dev libdbus-1-dev libwayland-dev wayland-protocols
    libpipewire-0.3-dev libxkbcommon-dev plasma-wayland-protocols libgtest-dev libgmock-dev
    fonts-dejavu-core procps psmisc xdotool x11-utils xauth desktop-file-utils
)
NICE=(nice -n 10 ionice -c3)

mirror() {
    local m
    m=$(awk '/^URIs:/ { print $2; exit }' /etc/apt/sources.list.d/*.sources 2>/dev/null || true)
    [ -n "$m" ] || m=$(awk '$1 == "deb" { print $2; exit }' /etc/apt/sources.list 2>/dev/null || true)
    [ -n "$m" ] || { echo "root.sh: no Debian mirror in this machine's apt sources" >&2; exit 1; }
    echo "$m"
}

is_mounted() { awk -v m="$1" '$2 == m { found = 1 } END { exit !found }' /proc/mounts; }

do_mount() {
    [ -x "$ROOTFS/usr/bin/apt-get" ] || { echo "root.sh: no root at $ROOTFS" >&2; exit 1; }
    is_mounted "$ROOTFS/proc" || mount -t proc proc "$ROOTFS/proc"
    local d
    for d in sys dev; do
        if ! is_mounted "$ROOTFS/$d"; then
            mount --rbind "/$d" "$ROOTFS/$d"
            mount --make-rslave "$ROOTFS/$d"
        fi
    done
    # XWayland under mutter 48 starts only where this folder is everyone's.
    chmod 1777 "$ROOTFS/tmp"
    mkdir -p "$ROOTFS/tmp/.X11-unix"
    chmod 1777 "$ROOTFS/tmp/.X11-unix"
}

do_umount() {
    local m
    for m in $(awk -v r="$ROOTFS/" 'index($2, r) == 1 { print $2 }' /proc/mounts | sort -r); do
        umount "$m" 2>/dev/null || umount -l "$m"
    done
}

in_root() {
    chroot "$ROOTFS" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
        DEBIAN_FRONTEND=noninteractive "$@"
}

# CMD in the root, in a mount and process namespace of its own: /proc, /sys, /dev, a /tmp, the
# checkout (read-only) and the build folder are mounted there only, so they go with the namespace
# however CMD ends, and so does whatever CMD left running; nobody else's use of the root is
# touched, nor its own mounts seen by others.
do_enter() {
    local checkout=$1 build=$2
    shift 2
    [ -x "$ROOTFS/usr/bin/apt-get" ] || { echo "root.sh: no root at $ROOTFS" >&2; exit 1; }
    mkdir -p "$build" "$ROOTFS/src/tivrel" "$ROOTFS/build/tivrel"
    unshare --mount --propagation private --pid --fork --kill-child -- bash -euo pipefail -c '
        rootfs=$1 checkout=$2 build=$3
        shift 3
        mount -t proc proc "$rootfs/proc"
        mount --rbind /sys "$rootfs/sys"
        mount --rbind /dev "$rootfs/dev"
        mount --bind "$checkout" "$rootfs/src/tivrel"
        mount -o remount,bind,ro "$rootfs/src/tivrel"
        mount --bind "$build" "$rootfs/build/tivrel"
        # A /tmp of its own, which goes with it too; XWayland under mutter 48 starts only
        # where /tmp/.X11-unix is everyone'"'"'s.
        mount -t tmpfs -o mode=1777 tmpfs "$rootfs/tmp"
        mkdir -p "$rootfs/tmp/.X11-unix"
        chmod 1777 "$rootfs/tmp/.X11-unix"
        chroot "$rootfs" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
            LANG=C.UTF-8 "$@"
    ' enter "$ROOTFS" "$checkout" "$build" "$@"
}

stamp() { printf '%s\n' "$SUITE" "${PACKAGES[@]}" | sha256sum | cut -d' ' -f1; }

do_ensure() {
    root_current() { [ -f "$STAMP" ] && [ "$(cat "$STAMP")" = "$(stamp)" ]; }
    root_current && return 0
    command -v mmdebstrap >/dev/null || {
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends mmdebstrap
    }
    mkdir -p "$CACHE"
    exec 9>"$CACHE/.lock"
    flock 9
    # Made meanwhile by the one that held the lock (the test command's early start).
    root_current && return 0
    do_umount
    local m started=$SECONDS
    m=$(mirror)
    echo "== Debian 13 root: making it in $ROOTFS (once; about 5 minutes)"
    rm -rf "$ROOTFS" "$STAMP"
    # No fsync for each file dpkg writes: the root is a cache, stamped only once whole, and
    # made again from nothing when it is not.
    "${NICE[@]}" mmdebstrap --variant=apt --components=main --quiet \
        --aptopt='APT::Install-Recommends "false"' --aptopt='Acquire::Retries "3"' \
        --dpkgopt='force-unsafe-io' \
        "$SUITE" "$ROOTFS" "deb $m $SUITE main" "deb $m $SUITE-updates main"
    do_mount
    in_root apt-get -q update >/dev/null
    "${NICE[@]}" chroot "$ROOTFS" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
        LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -q --no-install-recommends "${PACKAGES[@]}" >"$CACHE/install.log"
    in_root dbus-uuidgen --ensure
    in_root apt-get clean
    stamp >"$STAMP"
    do_umount
    echo "== Debian 13 root made in $((SECONDS - started)) s"
}

case ${1:-ensure} in
ensure) do_ensure ;;
mount) do_mount ;;
umount) do_umount ;;
path) echo "$ROOTFS" ;;
enter)
    shift
    [ $# -ge 3 ] || { sed -n '2,18p' "$0"; exit 2; }
    do_enter "$@"
    ;;
run)
    shift
    do_mount
    in_root "$@"
    ;;
*)
    sed -n '2,18p' "$0"
    exit 2
    ;;
esac
