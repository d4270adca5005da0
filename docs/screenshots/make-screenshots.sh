#!/usr/bin/env bash
# Takes the README's screenshots under a private Xvfb with openbox and a tray host (started
# and waited for by the tests' own tivrel-x-session): the main window, the tray menu and the
# help sheet.
#   docs/screenshots/make-screenshots.sh [tivrel program] [tivrel-x-session tool]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=${1:-$here/../../build/src/tivrel}
session_tool=${2:-$(dirname "$program")/../tests/harness/tivrel-x-session}
for tool in Xvfb openbox trayer xdotool import convert; do
    command -v "$tool" >/dev/null || { echo "needs $tool (xvfb openbox trayer xdotool imagemagick)"; exit 1; }
done
[ -x "$session_tool" ] || { echo "needs $session_tool (build the tivrel-x-session target)"; exit 1; }

work=$(mktemp -d)
chmod 700 "$work"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    "$session_tool" stop "$work/x" || true
    rm -rf "$work"
}
trap cleanup EXIT

"$session_tool" start "$work/x" --screen 800x800x24 --tray-width 60 >/dev/null
export DISPLAY=$(cat "$work/x/display")

printf '[EULA]\nTrialRead=ACCEPTED\n[Auto-Hide]\nShow=1\n' >"$work/Tivrel.ini"
TIVREL_SETTINGS_FILE="$work/Tivrel.ini" XDG_RUNTIME_DIR="$work" XDG_CONFIG_DIRS="$work/xdg" \
    "$program" >/dev/null 2>&1 &
pids+=($!)
window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Tivrel$' | head -1)
xdotool mousemove 10 790
import -window "$window" -frame "$here/main-window.png"

# The window hidden with "Hide", then the tray menu, opened from the icon at the right end
# of the tray; its "Show" brings the window back.
xdotool windowactivate --sync "$window" key alt+h
sleep 0.5
xdotool mousemove 788 12 click 1
sleep 1
import -window root "$work/screen.png"
convert "$work/screen.png" -crop 260x150+540+0 +repage "$here/tray-menu.png"
xdotool mousemove 640 22 click 1
sleep 1

xdotool windowactivate --sync "$window" key alt+e
sleep 1
help=$(xdotool search --onlyvisible --name '^Help \.\.\.$' | head -1)
import -window "$help" -frame "$here/help-sheet.png"
echo "screenshots written to $here"
