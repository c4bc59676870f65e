#!/usr/bin/env bash
# The installer under Wine in a prefix of its own: a silent install for the current user, the
# installed program's first start, which keeps its data in the user's folder, the .kbt association,
# and an uninstall that removes the install folder and the settings and keeps the themes.
# installer-test.sh INSTALLER MAKE_DEVICE_EXE
set -euo pipefail
installer=$1
make_device=$2

work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

wine "$installer" /S
wineserver -w
local_appdata=$(wine cmd /c echo %LOCALAPPDATA% | tr -d '\r')
installed=$(winepath -u "$local_appdata\\Programs\\Belltide")
themes=$(winepath -u "$(wine cmd /c echo %APPDATA% | tr -d '\r')\\Belltide\\themes")
for file in Belltide.exe Belltide.wav Belltide.htb artwork/logo.bmp Uninstall.exe; do
    [ -s "$installed/$file" ] || fail "$file not installed"
done
[ -e "$installed/rapi.dll" ] && fail "the test rapi.dll was installed"
wine reg query 'HKCU\Software\Classes\.kbt' /ve | grep -q Belltide.Theme || fail ".kbt not associated"
wine reg query 'HKCU\Software\Classes\Belltide.Theme\shell\open\command' /ve |
    grep -qi 'Belltide.exe" "%1"' || fail "no open command for .kbt"
# The list of programs shows the size in KB: about what the install folder holds.
size=$( (wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Belltide' \
    /v EstimatedSize || true) | tr -d '\r' | awk '$1 == "EstimatedSize" && $2 == "REG_DWORD" { print $3 }')
[ -n "$size" ] || fail "no EstimatedSize in the uninstall entry"
on_disk=$(du -sk "$installed" | cut -f1)
((size > on_disk / 2 && size < on_disk * 2)) || fail "EstimatedSize $((size)) KB for $on_disk KB"

# The installed program starts and keeps its first backup in the user's folder, not in its own.
wine "$make_device" "$(winepath -w "$work/device")" >/dev/null
BELLTIDE_DEVICE=$(winepath -w "$work/device") wine "$installed/Belltide.exe" &
for _ in $(seq 1800); do # a busy machine starts Wine slowly
    [ -s "$themes/initialBackup.kbt" ] && break
    sleep 0.1
done
[ -s "$themes/initialBackup.kbt" ] || fail "the installed program made no backup in $themes"
[ -e "$installed/themes" ] && fail "the installed program wrote into its install folder"
wineserver -k || true
wait || true

# Settings as the program leaves them, which the uninstaller removes.
wine reg add 'HKCU\Software\Belltide\Window' /v Maximized /d 1 /f >/dev/null
wine "$installed/Uninstall.exe" /S
wineserver -w
wine reg query 'HKCU\Software\Belltide' >/dev/null 2>&1 && fail "the settings are left behind"
[ -e "$installed/Belltide.exe" ] && fail "the program is still installed"
[ -e "$installed/Uninstall.exe" ] && fail "the uninstaller is still there"
[ -e "$installed" ] && fail "the install folder is left behind"
[ -s "$themes/initialBackup.kbt" ] || fail "the uninstaller removed the user's themes"
wine reg query 'HKCU\Software\Classes\.kbt' >/dev/null 2>&1 && fail ".kbt still associated"
echo "installer: installed, started, associated and uninstalled"
