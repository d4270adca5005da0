#!/usr/bin/env bash
# Installs the build into a staging folder and checks the layout a desktop expects.
# Usage: check-install.sh <build folder>
set -euo pipefail
build=$1
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null
root="$stage/usr"
fail() { echo "FAIL: $*"; exit 1; }

[ -x "$root/lib/tivrel/tivrel" ] || fail "the program is not in /usr/lib/tivrel"
[ -f "$root/lib/tivrel/EULA.txt" ] || fail "EULA.txt is not beside the program"
[ -L "$root/bin/tivrel" ] || fail "/usr/bin/tivrel is not a link"
[ "$(readlink "$root/bin/tivrel")" = "../lib/tivrel/tivrel" ] || fail "/usr/bin/tivrel points elsewhere"
desktop="$root/share/applications/org.example.tivrel.desktop"
[ -f "$desktop" ] || fail "no menu entry"
desktop-file-validate "$desktop" || fail "the menu entry is not valid"
grep -qx 'Exec=tivrel' "$desktop" || fail "the menu entry does not start tivrel"
grep -qx 'Icon=tivrel' "$desktop" || fail "the menu entry has another icon"
for size in 16 22 24 32 48 64 128 256; do
    icon="$root/share/icons/hicolor/${size}x${size}/apps/tivrel.png"
    [ -f "$icon" ] || fail "no ${size}x${size} icon"
    file "$icon" | grep -q "$size x $size" || fail "the ${size}x${size} icon has another size"
done
metainfo="$root/share/metainfo/org.example.tivrel.metainfo.xml"
appstreamcli validate --no-net "$metainfo" || fail "the metainfo is not valid"
[ -f "$root/share/doc/tivrel/copyright" ] || fail "no copyright file"
[ -f "$root/share/man/man1/tivrel.1.gz" ] || fail "no manual page"
# Nothing of the build or the tests is installed.
unexpected=$(cd "$stage" && find . -type f -o -type l | grep -vE '^\./usr/(bin/tivrel|lib/tivrel/(tivrel|EULA\.txt)|share/(applications|icons|metainfo|doc/tivrel|man/man1)/)' || true)
[ -z "$unexpected" ] || fail "unexpected files installed: $unexpected"
echo "install layout: ok"
