#!/usr/bin/env bash
# Makes the Debian package from this build with the project's CPack settings, unpacks it into a
# scratch root and checks its control data, its files and the installed program's answer;
# lintian, where installed, must find no errors.
# Usage: package-test.sh BUILD_DIR VERSION APP_ID
set -euo pipefail
build=$1 version=$2 id=$3
fail() { echo "FAIL: $*" >&2; exit 1; }

missing=()
for tool in dpkg dpkg-deb dpkg-shlibdeps file readelf strings; do
    command -v "$tool" >/dev/null || missing+=("$tool")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "SKIPPED: no ${missing[*]} on this machine, so no Debian package can be made or checked"
    exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack"; }
deb=$work/out/belltide_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no $(basename "$deb") in: $(ls "$work/out")"

[ "$(dpkg-deb -f "$deb" Package)" = belltide ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version"
dpkg-deb -c "$deb" >"$work/contents"
awk '$2 != "root/root"' "$work/contents" | grep . && fail "not owned by root"
awk '$1 ~ /^.....w|^........w/' "$work/contents" | grep . && fail "writable by others"
awk '{print $6}' "$work/contents" >"$work/paths"
grep -v '^\./usr/' "$work/paths" | grep -v '^\./$' && fail "outside /usr"
grep -E '^\./usr/local/' "$work/paths" && fail "under /usr/local"
# The desktop's caches belong to its triggers, not to the package.
grep -E '\.cache$|/share/mime/[^p]' "$work/paths" && fail "a cache in the package"

root=$work/root
dpkg -x "$deb" "$root"
for file in bin/belltide share/belltide/Belltide.htb share/belltide/device/registry.reg \
    share/applications/$id.desktop share/mime/packages/$id.xml share/metainfo/$id.metainfo.xml \
    share/icons/hicolor/256x256/apps/$id.png share/man/man1/belltide.1.gz \
    share/doc/belltide/copyright share/doc/belltide/changelog.gz; do
    [ -s "$root/usr/$file" ] || fail "no /usr/$file"
done
zcat "$root/usr/share/doc/belltide/changelog.gz" | head -1 | grep -q "^belltide ($version) " ||
    fail "the changelog's last entry is not $version"

# Every library the program loads comes from a package that it depends on: those it is linked
# with, and those it names to load itself when first needed, but SynCE's, which is optional.
depends=" $(dpkg-deb -f "$deb" Depends | sed 's/ *([^)]*)//g; s/,/ /g') "
loaded=$(strings "$root/usr/bin/belltide" | grep -E '^lib[A-Za-z0-9_.+-]+\.so\.[0-9]+$' |
    grep -v -E '^lib(synce|rapi)\.so' || true)
[ -n "$loaded" ] || fail "no library the program loads itself found in it"
for library in $(readelf -d "$root/usr/bin/belltide" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p') \
    $loaded; do
    owners=$(dpkg -S "*/$library" 2>/dev/null | sed 's/: \/.*//; s/:[a-z0-9]*//g; s/,/ /g')
    found=
    for owner in $owners; do
        [[ "$depends" == *" $owner "* ]] && found=yes
    done
    [ -n "$found" ] || fail "$library (from ${owners:-no package}) is not in Depends:$depends"
done

[ "$(env -u DISPLAY "$root/usr/bin/belltide" --version)" = "Belltide $version" ] ||
    fail "the installed program's --version"

if command -v lintian >/dev/null; then
    lintian --fail-on error "$deb" 2>/dev/null || fail "lintian found errors"
else
    echo "lintian not found: the package was not linted"
fi
echo "package test passed"
