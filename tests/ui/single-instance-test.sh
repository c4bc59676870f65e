#!/usr/bin/env bash
# Starts the built program as a file manager would, on the current display: a second start hands
# its theme to the running Belltide and ends; one with another data folder opens its own window;
# a running one that hangs, or one killed with its lock and socket left, does not swallow a start.
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
# The main windows on the display; a stopped program's stays.
windows() { xwininfo -root -tree | grep -c '^ *0x[0-9a-f]* "Belltide[^"]*": ("belltide"' || true; }
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

# The first hangs: after the timeout the start goes on as a Belltide of its own.
kill -STOP "$first"
start a
waitFor 20 shown 3 || fail "a start was swallowed by a hung Belltide"
kill -CONT "$first"

# Both killed, lock and socket left behind: the next start still works and takes the ones after.
kill -9 "$first" "$started"
waitFor 10 shown 1 || fail "killed windows stay"
start a
waitFor 20 shown 2 || fail "no window after a killed Belltide"
timeout 10 "$work/a/belltide" || fail "a start after a killed Belltide was not handed over"
shown 2 || fail "$(windows) windows after a start was handed over"
echo "single instance test passed"
