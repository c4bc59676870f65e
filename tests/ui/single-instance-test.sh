#!/usr/bin/env bash
# Starts the built program as a file manager would, on the current display: a second start hands
# its theme to the running Belltide and ends, also where the data folder's path is too long for a
# socket; one with another data folder opens its own window; beside a running one that does not
# answer it says so and opens none; one killed with its lock and socket left, a zombie too, does
# not swallow a start.
# Usage: single-instance-test.sh PROGRAM THEME_FILE
set -euo pipefail
program=$1 theme=$2
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill -CONT "$pid" 2>/dev/null || true; kill -9 "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
waitFor() { # seconds, command...
    local tries=$(($1 * 5))
    shift
    for _ in $(seq "$tries"); do "$@" && return 0; sleep 0.2; done
    return 1
}
# The program's windows on the display of a type (NORMAL: main windows; DIALOG: message boxes); a
# stopped program's stay.
ofType() {
    local count=0 id
    for id in $(xwininfo -root -tree | sed -n 's/^ *\(0x[0-9a-f]*\) "Belltide[^"]*": ("belltide".*/\1/p'); do
        xprop -id "$id" _NET_WM_WINDOW_TYPE | grep -q "_$1\$" && count=$((count + 1))
    done
    echo "$count"
}
windows() { ofType NORMAL; }
boxes() { [ "$(ofType DIALOG)" = "$1" ]; }
titled() { xwininfo -root -tree | grep -q "\"Belltide .* $1\": (\"belltide\""; }
shown() { [ "$(windows)" = "$1" ]; }
start() { # folder, arguments...: an uninstalled copy, its data beside it
    local folder=$1
    shift
    "$work/$folder/belltide" "$@" >>"$work/log" 2>&1 &
    pids+=($!)
    started=$!
}

export HOME=$work/home XDG_CONFIG_HOME=$work/home/config XDG_RUNTIME_DIR=$work/run
export SDL_AUDIODRIVER=dummy
unset BELLTIDE_DEVICE
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
for folder in a b; do
    mkdir -p "$work/$folder/themes"
    cp "$program" "$work/$folder/belltide"
    # No backup to take: no device message in the way.
    cp "$theme" "$work/$folder/themes/initialBackup.kbt"
done
cp "$theme" "$work/Jösé's theme.kbt"
cd "$work"

start a
first=$started
waitFor 20 shown 1 || fail "the first start showed no window"
timeout 10 "$work/a/belltide" "Jösé's theme.kbt" || fail "the second start did not end at once with success"
waitFor 10 test -f "$work/a/themes/Jösé's theme.kbt" || fail "the running Belltide did not open the theme"
shown 1 || fail "$(windows) windows after handing over"
waitFor 10 titled "Jösé's theme" || fail "the title does not name the theme handed over"

# Another data folder: a Belltide of its own, which takes its own starts.
start b
waitFor 20 shown 2 || fail "a Belltide with another data folder showed no window"
timeout 10 "$work/b/belltide" || fail "a start without a theme was not handed over"
shown 2 || fail "$(windows) windows for two data folders"

# The first stops answering: a start tells so in a message box, naming it, and opens no window.
kill -STOP "$first"
start a
waitFor 20 boxes 1 || fail "a start beside a stopped Belltide told nothing"
shown 2 || fail "a start beside a stopped Belltide opened a window on the same data"
grep -q "already running but does not answer (process $first)" "$work/log" ||
    fail "the message does not say that the running Belltide does not answer"
kill "$started"
kill -CONT "$first"

# Killed, lock and socket left behind, and a zombie that its parent never waits for: the next start
# is the one, and takes the ones after.
kill -9 "$first"
waitFor 10 shown 1 || fail "a killed window stays"
sh -c '"$0" & exec sleep 600' "$work/a/belltide" >>"$work/log" 2>&1 &
pids+=($!)
waitFor 20 shown 2 || fail "no window after a killed Belltide"
zombie=$(pgrep -P "${pids[-1]}")
[ "$(head -n 1 "$work"/a/.belltide-*.lock)" = "$zombie" ] || fail "the lock does not name the one running"
kill -9 "$zombie"
waitFor 10 grep -q ') Z ' "/proc/$zombie/stat" || fail "no zombie to try"
waitFor 10 shown 1 || fail "a killed window stays"
start a
waitFor 20 shown 2 || fail "no window after a Belltide that is a zombie"
timeout 10 "$work/a/belltide" || fail "a start after a zombie was not handed over"
shown 2 || fail "$(windows) windows after a start was handed over"

# A data folder whose socket path would be too long, and no runtime folder: still one Belltide.
long=$work/$(printf 'd%.0s' {1..120})
mkdir -p "$long/themes"
cp "$program" "$long/belltide"
cp "$theme" "$long/themes/initialBackup.kbt"
unset XDG_RUNTIME_DIR
"$long/belltide" >>"$work/log" 2>&1 &
pids+=($!)
waitFor 20 shown 3 || fail "no window for a long data folder"
timeout 10 "$long/belltide" "Jösé's theme.kbt" || fail "a start for a long data folder was not handed over"
waitFor 10 test -f "$long/themes/Jösé's theme.kbt" || fail "the theme was not opened for a long data folder"
shown 3 || fail "$(windows) windows for a long data folder"
echo "single instance test passed"
