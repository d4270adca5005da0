#!/usr/bin/env bash
# The installer in the test session's Wine: a silent install puts the program folder under
# Program Files with every DLL its programs load, a Start Menu entry and the entry of
# "Apps & features"; a silent uninstall takes all of that away, and the start-up links
# Tivrel placed for all users and for the user, but nothing else of those folders.
#
#   check-installer.sh STATE_DIR SETUP_EXE VERSION
set -uo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
STATE=$1
SETUP=$2
VERSION=$3
KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tivrel'

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
wine_run() { env -u TIVREL_WINE_PATH bash "$HERE/wine-session.sh" run "$STATE" "$@"; }
# A Windows path in the prefix, as a Unix path.
unix_path() { wine_run winepath -u "$1" 2>/dev/null | tr -d '\r'; }
# The registry value NAME of the uninstall entry, or nothing.
entry_value() {
    wine_run reg query "$KEY" /v "$1" /reg:64 2>/dev/null | tr -d '\r' |
        awk -v name="$1" '$1 == name { $1 = ""; $2 = ""; sub(/^  */, ""); print }'
}
wait_until_gone() {
    local path=$1 i
    for i in $(seq 1 600); do
        [ -e "$path" ] || return 0
        sleep 0.1
    done
    return 1
}

if [ ! -f "$SETUP" ]; then
    echo "FAIL: no installer at '$SETUP': make it with scripts/windows/build.sh"
    exit 1
fi

program_dir=$(unix_path 'C:\Program Files\Tivrel')
start_menu=$(unix_path 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs')
common_startup=$start_menu/StartUp
legacy_startup=$(unix_path 'C:\Documents and Settings\All Users\Start Menu\Programs\Startup')
appdata=$(wine_run cmd /c 'echo %APPDATA%' 2>/dev/null | tr -d '\r')
user_startup=$(unix_path "$appdata\\Microsoft\\Windows\\Start Menu\\Programs\\Startup")
system32=$(unix_path 'C:\windows\system32')

echo "== silent install"
wine_run "$SETUP" /S
status=$?
[ $status -eq 0 ] || fail "the installer ended with $status"

for file in tivrel.exe EULA.txt Uninstall.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll Qt6Network.dll \
    platforms/qwindows.dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    [ -f "$program_dir/$file" ] || fail "not installed: $file"
done
[ -f "$start_menu/Tivrel.lnk" ] || fail "no Start Menu entry"

# Every DLL a program or plugin of the folder imports is in the folder or the system's.
# api-ms-win-* and ext-ms-win-* are API sets, which the loader maps to system DLLs itself.
while read -r binary; do
    while read -r dll; do
        [ -n "$dll" ] || continue
        [[ ${dll,,} == api-ms-win-* || ${dll,,} == ext-ms-win-* ]] && continue
        if ! find "$program_dir" "$system32" -maxdepth 1 -iname "$dll" | grep -q .; then
            fail "$(basename "$binary") needs $dll, which is not installed"
        fi
    done < <(x86_64-w64-mingw32-objdump -p "$binary" | sed -n 's/^\s*DLL Name: //p' | tr -d '\r')
done < <(find "$program_dir" -iname '*.exe' -o -iname '*.dll')

declare -A expected=(
    [DisplayName]=Tivrel
    [DisplayVersion]=$VERSION
    [Publisher]=Tivrel
    [InstallLocation]='C:\Program Files\Tivrel'
    [UninstallString]='"C:\Program Files\Tivrel\Uninstall.exe"'
)
for name in "${!expected[@]}"; do
    value=$(entry_value "$name")
    [ "$value" = "${expected[$name]}" ] || fail "$name is '$value', not '${expected[$name]}'"
done

echo "== silent uninstall, with start-up links placed as Tivrel places them"
for folder in "$legacy_startup" "$common_startup" "$user_startup"; do
    mkdir -p "$folder"
    cp "$start_menu/Tivrel.lnk" "$folder/Tivrel.lnk"
done
echo "not ours" >"$user_startup/Other.lnk"
wine_run 'C:\Program Files\Tivrel\Uninstall.exe' /S
status=$?
[ $status -eq 0 ] || fail "the uninstaller ended with $status"
# The uninstaller runs on from a copy of itself in the temporary folder.
wait_until_gone "$program_dir/Uninstall.exe" || fail "the uninstaller did not finish"
wait_until_gone "$program_dir" || fail "left behind: $(cd "$program_dir" && find . -type f)"
[ -e "$start_menu/Tivrel.lnk" ] && fail "the Start Menu entry stayed"
for folder in "$legacy_startup" "$common_startup" "$user_startup"; do
    [ -e "$folder/Tivrel.lnk" ] && fail "the start-up link stayed in $folder"
done
[ -f "$user_startup/Other.lnk" ] || fail "another program's start-up link went too"
rm -f "$user_startup/Other.lnk"
[ -z "$(entry_value DisplayName)" ] || fail "the Apps & features entry stayed"

if [ $failures -gt 0 ]; then
    echo "$failures failures"
    exit 1
fi
echo "installer: installed, checked and removed"
