#!/usr/bin/env bash
# Builds the Debian package from the install rules and checks its contents and control data.
# Usage: check-package.sh <build folder>
set -euo pipefail
build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$out" >/dev/null
deb=$(ls "$out"/tivrel_*_*.deb)
contents=$(dpkg-deb -c "$deb" | awk '{print $6 ($7 ? " " $7 " " $8 : "")}')
echo "$contents"
for path in ./usr/lib/tivrel/tivrel ./usr/lib/tivrel/EULA.txt \
            "./usr/bin/tivrel -> ../lib/tivrel/tivrel" \
            ./usr/share/applications/org.example.tivrel.desktop \
            ./usr/share/metainfo/org.example.tivrel.metainfo.xml \
            ./usr/share/icons/hicolor/48x48/apps/tivrel.png \
            ./usr/share/doc/tivrel/copyright ./usr/share/man/man1/tivrel.1.gz; do
    grep -qxF "$path" <<<"$contents" || fail "the package lacks $path"
done
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6dbus6 libqt6network6 libxcb-xtest0 libxcb-xinput0 libx11-6 libdbus-1-3 libwayland-client0; do
    grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
done
recommends=$(dpkg-deb -f "$deb" Recommends)
for package in qt6-wayland xdg-desktop-portal; do
    grep -q "$package" <<<"$recommends" || fail "Recommends lacks $package: $recommends"
done
if grep -q xdg-desktop-portal <<<"$depends"; then fail "Depends requires the portal: $depends"; fi
dpkg-deb -I "$deb" postrm >/dev/null || fail "no postrm script"
if command -v lintian >/dev/null; then
    findings=$(lintian --tag-display-limit 0 "$deb" 2>/dev/null | grep -E '^[EW]:' || true)
    [ -z "$findings" ] || fail "lintian: $findings"
fi
echo "package: ok ($(basename "$deb"))"
