# Shared by the set-up scripts: installs what is missing and configures a build folder.

# Installs the given Debian packages that are not installed yet, with sudo when not root.
install_packages() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

BUILD_PACKAGES=(build-essential cmake ninja-build pkg-config qt6-base-dev libx11-dev libxtst-dev
                libxcb1-dev libxcb-xkb-dev libxcb-xtest0-dev libxcb-xinput-dev libdbus-1-dev
                libwayland-dev libpipewire-0.3-dev
                fonts-dejavu-core)
TEST_PACKAGES=(libgtest-dev libgmock-dev xvfb xauth openbox trayer xdotool x11-utils wmctrl
               desktop-file-utils appstream lintian dpkg-dev file
               dbus-daemon polkitd rtkit
               sway qt6-wayland wtype
               kwin-wayland xdg-desktop-portal xdg-desktop-portal-kde pipewire qtwayland5
               plasma-wayland-protocols
               mutter xwayland wireplumber xdg-desktop-portal-gnome at-spi2-core python3-pyatspi
               clang-format
               mmdebstrap)

# configure_and_build <build folder> [cmake options...]
configure_and_build() {
    local dir=$1
    shift
    cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build "$dir" -j "$(nproc)"
}
