#!/usr/bin/env bash
# Installs the Debian packages that Belltide needs to build, run and test; with "windows", those
# of the Windows build instead.
# Does nothing when they are all there; uses sudo when not run as root.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    libwxgtk3.2-dev libgtk-3-dev libsdl2-dev
    libsndfile1-dev libsoxr-dev
    libgtest-dev libgmock-dev libbenchmark-dev sox libsox-fmt-mp3 lame
    xvfb xauth openbox wmctrl fonts-dejavu-core adwaita-icon-theme
    clang libclang-rt-14-dev
    desktop-file-utils appstream shared-mime-info libxml2-utils libglib2.0-bin x11-utils man-db
    dpkg-dev file lintian
)
# With "windows": what the Windows build and its tests under Wine need instead.
if [ "${1:-}" = windows ]; then
    packages=(cmake ninja-build g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix googletest
              wine wine64 make xz-utils debian-archive-keyring libz-mingw-w64-dev nsis p7zip-full
              xvfb xauth locales pkg-config patch bzip2)
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -q
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
fi

# The Windows program test runs Wine in a Russian locale, whose ANSI code page (1251) cannot
# hold the accented names it uses; Wine takes the code page from a locale the system has.
if [ "${1:-}" = windows ] && ! locale -a | grep -x 'ru_RU.utf8' >/dev/null; then
    echo "Generating the ru_RU.UTF-8 locale"
    grep -qx 'ru_RU.UTF-8 UTF-8' /etc/locale.gen ||
        echo "ru_RU.UTF-8 UTF-8" | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
    "${sudo[@]}" locale-gen
fi
