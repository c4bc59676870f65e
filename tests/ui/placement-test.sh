#!/usr/bin/env bash
# Starts the built program as a user does, under a window manager, with the window's place, size
# and state left by an earlier start, and reads back where the window manager put it, also once a
# window started maximised is restored. Only the first window of a program shows this: wxGTK
# defers it until it knows the frame's size. Also that GTK's own theme draws the ticked box without
# loading an SVG renderer.
# Usage: placement-test.sh PROGRAM
set -euo pipefail
program=$1
work=$(mktemp -d)
pid=
trap '[ -z "$pid" ] || kill -9 "$pid" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run SDL_AUDIODRIVER=dummy
unset BELLTIDE_DEVICE
mkdir -p "$XDG_CONFIG_HOME/belltide" "$XDG_RUNTIME_DIR" "$work/app/themes" && chmod 700 "$XDG_RUNTIME_DIR"
cp "$program" "$work/app/belltide"
# A theme library that holds a backup: no first-start question in the way.
: >"$work/app/themes/initialBackup.kbt"

window() { xwininfo -root -tree | sed -n 's/^ *\(0x[0-9a-f]*\) "Belltide[^"]*": ("belltide".*/\1/p' | head -1; }
# The frame as the window manager keeps it: the window's own place and size with the frame's edges.
placed() { # window: "x,y,width,height" of the frame
    local info left right top bottom
    info=$(xwininfo -id "$1")
    read -r left right top bottom < <(xprop -id "$1" _NET_FRAME_EXTENTS |
        sed -n 's/.*= //; s/,//gp' | grep . || echo 0 0 0 0) # no window manager: no frame
    local x y w h
    x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
    y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
    w=$(sed -n 's/.*Width: *//p' <<<"$info")
    h=$(sed -n 's/.*Height: *//p' <<<"$info")
    echo "$((x - left)),$((y - top)),$((w + left + right)),$((h + top + bottom))"
}
startWith() { # Rect, maximised
    printf '[Window]\nRect=%s\nMaximized=%s\nColumnWidths=130,0,80\n' "$1" "$2" \
        >"$XDG_CONFIG_HOME/belltide/belltide.conf"
    "$work/app/belltide" >>"$work/log" 2>&1 &
    pid=$!
    id=
    for _ in $(seq 100); do id=$(window) && [ -n "$id" ] && break; sleep 0.2; done
    [ -n "$id" ] || fail "no window"
    sleep 1 # the window manager's and the program's own last moves
}

startWith 137,91,902,725 0
if [ -z "${GTK_THEME:-}" ] && grep -q librsvg "/proc/$pid/maps"; then
    fail "an SVG renderer was loaded to draw the ticked box"
fi
[ "$(placed "$id")" = 137,91,902,725 ] || fail "placed at $(placed "$id"), not at 137,91,902,725"
kill "$pid"
wait "$pid" 2>/dev/null || true

startWith 137,91,902,725 1
xprop -id "$id" _NET_WM_STATE | grep -q MAXIMIZED_HORZ || fail "not maximised"
# Restored, it has the size and place it was saved with, frame and all.
wmctrl -i -r "$id" -b remove,maximized_vert,maximized_horz
for _ in $(seq 20); do xprop -id "$id" _NET_WM_STATE | grep -q MAXIMIZED || break; sleep 0.2; done
sleep 1
[ "$(placed "$id")" = 137,91,902,725 ] || fail "restored at $(placed "$id"), not at 137,91,902,725"
echo "placement test passed"
