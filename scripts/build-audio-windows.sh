#!/usr/bin/env bash
# Builds static libsndfile (with FLAC, Ogg, Vorbis, Opus and MP3) and libsoxr for Windows
# (MinGW-w64; 64-bit, or 32-bit with "i686") from Debian's own source packages, once, into a
# cache folder outside the repository, and prints the folder they are installed in; its
# lib/pkgconfig holds sndfile.pc and soxr.pc.
# Does nothing but print it when it is there. The system's apt sources are never changed: the
# source packages come through an apt configuration of this script's own.
set -euo pipefail

host=${1:-x86_64}-w64-mingw32
case $host in
    x86_64-w64-mingw32 | i686-w64-mingw32) ;;
    *) echo "usage: $0 [x86_64|i686]" >&2; exit 2 ;;
esac
# Debian bookworm's versions; its fixes to the libraries' own code are applied, those to their
# programs, documents and build files are not (they would need the autotools to regenerate).
packages=(
    libogg=1.3.5-3 libvorbis=1.3.7-1 flac=1.4.2+ds-2 opus=1.3.1-3 mpg123=1.31.2-1+deb12u1
    lame=3.100-6 libsndfile=1.2.0-1+deb12u1 libsoxr=0.1.3-4
)
declare -A patches=(
    [libvorbis]="0002-Avoid-SIGFPE-when-bytespersample-is-zero.patch"
    [mpg123]="0001-disable_not_public_funcs.patch CVE-2024-10573.patch"
    [libsndfile]="fix_typos.patch CVE-2022-33065.patch CVE-2024-50612.patch"
    [libsoxr]="fix-cmake-set-project-version.patch"
)
# Only the libraries: no programs, documents, tests or DLLs; nothing that needs a DLL or a
# runtime beside the program (OpenMP, the checked string functions and stack protector of libssp,
# which some of the configure scripts turn on by themselves).
cflags="-O2 -D_FORTIFY_SOURCE=0"
autotools=(--disable-shared --enable-static --disable-dependency-tracking)
ogg_options=()
vorbis_options=(--disable-docs --disable-examples --disable-oggtest)
flac_options=(--disable-programs --disable-examples --disable-cpplibs --disable-doxygen-docs
              --disable-xmms-plugin --disable-oggtest --disable-stack-smash-protection
              --disable-fortify-source)
opus_options=(--disable-doc --disable-extra-programs --disable-stack-protector)
mpg123_options=(--disable-modules --with-default-audio=dummy --with-audio=dummy)
lame_options=(--disable-frontend --disable-decoder --disable-analyzer-hooks --disable-gtktest)
sndfile_options=(-DBUILD_SHARED_LIBS=OFF -DBUILD_PROGRAMS=OFF -DBUILD_EXAMPLES=OFF
                 -DBUILD_TESTING=OFF -DENABLE_CPACK=OFF -DINSTALL_MANPAGES=OFF
                 -DENABLE_EXTERNAL_LIBS=ON -DENABLE_MPEG=ON -DENABLE_EXPERIMENTAL=OFF)
soxr_options=(-DBUILD_SHARED_LIBS=OFF -DWITH_OPENMP=OFF -DBUILD_TESTS=OFF -DBUILD_EXAMPLES=OFF
              -DWITH_LSR_BINDINGS=OFF)
compiler=$("$host-gcc-posix" -dumpfullversion)
key=$(printf '%s\n' "${packages[@]}" "${patches[@]}" "$host" "$compiler" "$cflags" \
          "${autotools[@]}" "${ogg_options[@]}" "${vorbis_options[@]}" "${flac_options[@]}" \
          "${opus_options[@]}" "${mpg123_options[@]}" "${lame_options[@]}" \
          "${sndfile_options[@]}" "${soxr_options[@]}" | sha256sum | cut -c1-12)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/belltide
prefix=$cache/audio-$key

if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

mkdir -p "$cache"
exec 9>"$cache/audio-$key.lock"
flock 9
if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

# The source packages are the same for both processors: fetched once, beside the builds.
sources_key=$(printf '%s\n' "${packages[@]}" | sha256sum | cut -c1-12)
sources=$cache/audio-sources-$sources_key
work=$cache/audio-build-$key
log=$cache/audio-$key.log
rm -rf "$work" "$prefix"
mkdir -p "$work"
echo "Building libsndfile and libsoxr for $host into $prefix (about 3 minutes on 2 cores;" \
    "log: $log)" >&2

fetch_sources() {
    exec 8>"$cache/audio-sources-$sources_key.lock"
    flock 8
    [ -f "$sources/.complete" ] && return
    rm -rf "$sources"
    local apt=$sources/apt
    mkdir -p "$apt/sources.d" "$apt/lists/partial" "$apt/cache/archives/partial"
    cat >"$apt/sources.d/src.sources" <<EOF
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
    local apt_options=(
        -o Dir::Etc::sourcelist=/dev/null -o "Dir::Etc::sourceparts=$apt/sources.d"
        -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache" -o Debug::NoLocking=1
    )
    apt-get "${apt_options[@]}" -q update
    local package name version upstream
    for package in "${packages[@]}"; do
        name=${package%%=*}
        version=${package#*=}
        upstream=${version%-*}
        # An upstream signature the archive lists may be missing from a mirror; the tarballs
        # themselves are checked against the signed index.
        (cd "$sources" && apt-get "${apt_options[@]}" -q source --download-only "$package") || true
        if ! ls "$sources/${name}_$upstream.orig.tar."* "$sources/${name}_$version.debian.tar.xz" \
            >/dev/null; then
            echo "Debian's bookworm no longer has the source package $package" >&2
            exit 1
        fi
    done
    rm -rf "$apt"
    touch "$sources/.complete"
}

# Unpacks a package into the work folder, applies the chosen Debian fixes and enters it.
unpack() {
    local name=$1 version upstream package
    for package in "${packages[@]}"; do
        [ "${package%%=*}" = "$name" ] && version=${package#*=}
    done
    upstream=${version%-*}
    echo "=== $name $version, $(date +%T)"
    mkdir -p "$work/$name"
    tar -xf "$sources/${name}_$upstream.orig.tar."* -C "$work/$name" --strip-components=1
    tar -xJf "$sources/${name}_$version.debian.tar.xz" -C "$work/$name"
    cd "$work/$name"
    local patch
    for patch in ${patches[$name]:-}; do
        # Some of Debian's patches name the upstream folder instead of a/ and b/.
        patch -p1 --forward <"debian/patches/$patch"
    done
}

# Everything from here on goes to the log.
build() {
    fetch_sources

    export PKG_CONFIG=pkg-config PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig PKG_CONFIG_PATH=
    export CC=$host-gcc-posix CXX=$host-g++-posix CFLAGS=$cflags CPPFLAGS=-I$prefix/include \
        LDFLAGS=-L$prefix/lib
    configure=(./configure --host="$host" --build=x86_64-linux-gnu --prefix="$prefix"
               "${autotools[@]}")
    jobs=${BELLTIDE_JOBS:-2}
    cmake_options=(
        -G Ninja -DCMAKE_BUILD_TYPE=Release "-DCMAKE_C_FLAGS_RELEASE=$cflags"
        -DCMAKE_SYSTEM_NAME=Windows "-DCMAKE_SYSTEM_PROCESSOR=${host%%-*}" "-DCMAKE_C_COMPILER=$CC"
        "-DCMAKE_CXX_COMPILER=$CXX"
        "-DCMAKE_RC_COMPILER=$host-windres" "-DCMAKE_INSTALL_PREFIX=$prefix"
        "-DCMAKE_FIND_ROOT_PATH=$prefix;/usr/$host" -DCMAKE_FIND_ROOT_PATH_MODE_PROGRAM=NEVER
        -DCMAKE_FIND_ROOT_PATH_MODE_LIBRARY=ONLY -DCMAKE_FIND_ROOT_PATH_MODE_INCLUDE=ONLY
        -DCMAKE_FIND_ROOT_PATH_MODE_PACKAGE=ONLY -DCMAKE_INSTALL_LIBDIR=lib
    )

    unpack libogg
    "${configure[@]}" "${ogg_options[@]}"
    make -j"$jobs" -C src install
    make -j"$jobs" -C include install
    make install-pkgconfigDATA

    unpack libvorbis
    "${configure[@]}" "${vorbis_options[@]}"
    make -j"$jobs" -C lib install
    make -j"$jobs" -C include install
    make install-pkgconfigDATA

    unpack flac
    "${configure[@]}" "${flac_options[@]}"
    make -j"$jobs" -C src/libFLAC install
    make -j"$jobs" -C include install
    # Its headers import from a DLL unless told that the library is static.
    sed -i 's/^Cflags: .*/& -DFLAC__NO_DLL/' "$prefix/lib/pkgconfig/flac.pc"

    unpack opus
    "${configure[@]}" "${opus_options[@]}"
    make -j"$jobs" install

    unpack mpg123
    "${configure[@]}" "${mpg123_options[@]}"
    make -j"$jobs" install-libLTLIBRARIES install-nodist_includeHEADERS install-includeHEADERS \
        install-pkgconfigDATA

    unpack lame
    "${configure[@]}" "${lame_options[@]}"
    make -j"$jobs" -C libmp3lame install
    make -j"$jobs" -C include install

    unpack libsndfile
    cmake -S . -B build "${cmake_options[@]}" "${sndfile_options[@]}" -DCMAKE_C_FLAGS=-DFLAC__NO_DLL
    cmake --build build -j "$jobs"
    cmake --install build
    # Its build quietly leaves out the codecs whose libraries it does not find.
    grep -x 'Requires.private: flac ogg vorbis vorbisenc opus libmpg123' \
        "$prefix/lib/pkgconfig/sndfile.pc"
    grep -x 'Libs.private: -lmp3lame' "$prefix/lib/pkgconfig/sndfile.pc"
    # Names beyond the ANSI code page reach it through its wide-character entry.
    "$host-nm" "$prefix/lib/libsndfile.a" | grep -E ' T _?sf_wchar_open$'

    unpack libsoxr
    cmake -S . -B build "${cmake_options[@]}" "${soxr_options[@]}"
    cmake --build build -j "$jobs"
    cmake --install build
    # Its build writes no soxr.pc for Windows.
    soxr_version=${packages[7]#*=}
    soxr_version=${soxr_version%-*}
    printf '%s\n' "prefix=$prefix" 'libdir=${prefix}/lib' 'includedir=${prefix}/include' '' \
        'Name: soxr' 'Description: High quality, one-dimensional sample-rate conversion library' \
        "Version: $soxr_version" 'Libs: -L${libdir} -lsoxr' 'Cflags: -I${includedir}' \
        >"$prefix/lib/pkgconfig/soxr.pc"

    # A program linking them statically must need nothing beyond MinGW's own runtime.
    if "$host-nm" -u "$prefix"/lib/*.a | grep -E ' U _*(__[a-z]+_chk|__stack_chk_[a-z]+)$'; then
        echo "These libraries need libssp" >&2
        exit 1
    fi
}

trap 'status=$?; [ $status -eq 0 ] || tail -n 30 "$log" >&2; exit $status' EXIT
build >"$log" 2>&1
trap - EXIT
# Only a finished build counts; the .pc files name its folder, so it is built in place.
touch "$prefix/.complete"
rm -rf "$work"
echo "$prefix"
