#!/usr/bin/env bash
# Builds a static wxWidgets for Windows (MinGW-w64; 64-bit, or 32-bit with "i686") from Debian's
# own source package, once, into a cache folder outside the repository, and prints the folder it
# is installed in.
# Does nothing but print it when it is there. The system's apt sources are never changed: the
# source package comes through an apt configuration of this script's own.
set -euo pipefail

version=3.2.2+dfsg
host=${1:-x86_64}-w64-mingw32
case $host in
    x86_64-w64-mingw32 | i686-w64-mingw32) ;;
    *) echo "usage: $0 [x86_64|i686]" >&2; exit 2 ;;
esac
# No bundled image or XML libraries in Debian's source, and MinGW has only zlib packaged: the
# program's pictures are BMP, its icons live in the resource script.
options=(
    --disable-shared --enable-monolithic --without-libpng --without-libjpeg --without-libtiff
    --without-liblzma --without-expat --disable-svg --disable-xrc --disable-webview
    --disable-mediactrl --disable-stc --disable-richtext --disable-ribbon --disable-propgrid
    --disable-aui --without-opengl --with-zlib=sys --with-regex=builtin --disable-debug_info
)
compiler=$("$host-g++-posix" -dumpfullversion)
key=$(printf '%s\n' "$version" "$host" "$compiler" "${options[@]}" | sha256sum | cut -c1-12)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/belltide
prefix=$cache/wxmsw-$version-$key

if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

mkdir -p "$cache"
exec 9>"$cache/wxmsw-$key.lock"
flock 9
if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

work=$cache/wxmsw-build-$key
rm -rf "$work" "$prefix"
mkdir -p "$work/apt/sources.d" "$work/apt/lists/partial" "$work/apt/cache/archives/partial"
cat >"$work/apt/sources.d/src.sources" <<EOF
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
apt_options=(
    -o Dir::Etc::sourcelist=/dev/null -o "Dir::Etc::sourceparts=$work/apt/sources.d"
    -o "Dir::State::Lists=$work/apt/lists" -o "Dir::Cache=$work/apt/cache"
    -o Debug::NoLocking=1
)
log=$cache/wxmsw-$key.log
echo "Building wxWidgets $version for Windows into $prefix (about 16 minutes on 2 cores;" \
    "log: $log)" >&2
trap 'status=$?; [ $status -eq 0 ] || tail -n 30 "$log" >&2; exit $status' EXIT
{
    apt-get "${apt_options[@]}" -q update
    (cd "$work" && apt-get "${apt_options[@]}" -q source --download-only wxwidgets3.2)
    tarball=$work/wxwidgets3.2_$version.orig.tar.xz
    if [ ! -f "$tarball" ]; then
        echo "Debian's source package no longer has $(basename "$tarball")" >&2
        exit 1
    fi
    mkdir -p "$work/src"
    tar -xJf "$tarball" -C "$work/src" --strip-components=1
    mkdir -p "$work/src/build-msw"
    cd "$work/src/build-msw"
    ../configure --host=$host --build=x86_64-linux-gnu CXX=$host-g++-posix CC=$host-gcc-posix \
        --prefix="$prefix" "${options[@]}"
    make -j"${BELLTIDE_JOBS:-2}"
    make install
} >"$log" 2>&1
trap - EXIT
# Only a finished build counts; wx-config names its folder, so it is built in place.
touch "$prefix/.complete"
rm -rf "$work"
echo "$prefix"
