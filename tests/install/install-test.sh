#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks it as a desktop would see it: the
# validators accept the desktop entry, metadata and manual page; the MIME database knows a theme
# file by its magic alone; the installed program starts with its data in the user's folder.
# Usage: install-test.sh BUILD_DIR APP_ID THEME_FILE
set -euo pipefail
build=$1 id=$2 theme=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
share=$prefix/share
sleep 1
touch "$work/installed"

desktop-file-validate "$share/applications/$id.desktop"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" >/dev/null ||
    appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml"
xmllint --noout "$share/mime/packages/$id.xml"
warnings=$(LC_ALL=C.UTF-8 man --warnings -E UTF-8 -l "$share/man/man1/belltide.1.gz" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "manual page: $warnings"
for size in 16 32 64 128 256; do
    [ -s "$share/icons/hicolor/${size}x${size}/apps/$id.png" ] || fail "no ${size}px icon"
done

# The type from the package alone, in a database of its own.
mkdir -p "$work/mime/packages"
cp "$share/mime/packages/$id.xml" "$work/mime/packages/"
update-mime-database "$work/mime"
cp "$theme" "$work/theme-without-extension"
printf 'ZimoPAC not a theme\n' >"$work/not-a-theme"
content_type() {
    XDG_DATA_HOME=$work XDG_DATA_DIRS=$work gio info -a standard::content-type "$1" |
        sed -n 's/.*standard::content-type: //p'
}
[ "$(content_type "$work/theme-without-extension")" = application/x-belltide-theme ] ||
    fail "a theme is not recognised by its magic: $(content_type "$work/theme-without-extension")"
[ "$(content_type "$work/not-a-theme")" != application/x-belltide-theme ] ||
    fail "a text file passes for a theme"

# The terminal answers need no display.
[ "$(env -u DISPLAY "$prefix/bin/belltide" --version)" = "Belltide 1.1" ] || fail "--version"
env -u DISPLAY "$prefix/bin/belltide" --help | grep -q '^Usage: belltide' || fail "--help"

# First start of the installed program, as a user with an empty home.
export HOME=$work/home XDG_DATA_HOME=$work/home/data SDL_AUDIODRIVER=dummy
unset BELLTIDE_DEVICE
mkdir -p "$HOME"
cat >"$work/first-start.sh" <<'SCRIPT'
#!/usr/bin/env bash
"$1" &
pid=$!
for _ in $(seq 100); do
    if xwininfo -root -tree | grep -q '"Belltide[^"]*": ("belltide"'; then
        kill "$pid"
        exit 0
    fi
    sleep 0.2
done
kill "$pid"
exit 1
SCRIPT
xvfb-run -a -s "-screen 0 1280x1024x24" bash "$work/first-start.sh" "$prefix/bin/belltide" ||
    fail "the installed program showed no window"
data=$XDG_DATA_HOME/belltide
[ -d "$data/themes/sounds" ] || fail "no theme library in $data"
[ -f "$data/device/registry.reg" ] || fail "no handheld copied into $data"
[ ! -e "$data/device.partial" ] || fail "the handheld's copy was left beside it"
leftovers=$(find "$prefix" -newer "$work/installed" | head -5)
[ -z "$leftovers" ] || fail "the program wrote into its installation: $leftovers"
echo "install test passed"
