#!/usr/bin/env bash
# Times the release program from its start to its first shown window, and its resident memory
# three seconds after, against a bare frame of the same toolkit with a 25-row list
# (belltide_startup_frame): each started in turn, ROUNDS times (7), on a display of its own (Xvfb
# with openbox), and the medians compared. Belltide runs from a copy of the build's program and
# assets, with its data beside it; a first start, not counted, takes the initial backup.
# bench/compare-tar.sh builds what it needs and runs it; with RESULTS set, the two ratios are added
# to that file for the table of goals.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$PWD/build-release
for tool in Xvfb openbox xprop; do
    command -v "$tool" >/dev/null || { echo "startup: no $tool here, not measured"; exit 0; }
done

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(cat "$work/display")"
openbox >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.05
done

mkdir -p "$work/program" "$work/home"
cp -r "$build/belltide" "$build/Belltide.wav" "$build/Belltide.htb" "$build/artwork" \
    "$build/device" "$build/factory" "$build/help" "$work/program/"
export HOME=$work/home XDG_CONFIG_HOME=$work/home/config XDG_DATA_HOME=$work/home/data
unset BELLTIDE_DEVICE
probe=$build/bench/belltide_startup_probe
frame=$build/bench/belltide_startup_frame
program=$work/program/belltide

"$probe" 5 "$program" >/dev/null 2>&1 || true
for _ in $(seq "${ROUNDS:-7}"); do
    echo "frame $("$probe" 3 "$frame" 2>/dev/null)"
    echo "belltide $("$probe" 3 "$program" 2>/dev/null)"
done >"$work/runs"

median() { # NAME COLUMN
    awk -v name="$1" -v column="$2" '$1 == name && NF == 3 { print $column }' "$work/runs" |
        sort -n | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)]; else print 0 }'
}
startFrame=$(median frame 2) startOurs=$(median belltide 2)
memoryFrame=$(median frame 3) memoryOurs=$(median belltide 3)
awk -v f="$startFrame" -v b="$startOurs" -v mf="$memoryFrame" -v mb="$memoryOurs" \
    -v results="${RESULTS:-/dev/null}" 'BEGIN {
    if (f <= 0 || b <= 0 || mf <= 0 || mb <= 0) { print "startup: a program showed no window"; exit 1 }
    printf "start    belltide %7.1f ms  frame %7.1f ms  ratio %5.2f\n", b, f, b / f
    printf "memory   belltide %7d kB  frame %7d kB  ratio %5.2f\n", mb, mf, mb / mf
    printf "start %.2f\nmemory %.2f\n", b / f, mb / mf >> results
}'
