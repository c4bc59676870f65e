#!/bin/sh
# Runs a GUI test program on the current display, or on a virtual one when there is none.
# With --window-manager first, a virtual display also gets a light window manager (openbox).
manager=
if [ "$1" = --window-manager ]; then
    manager=openbox
    shift
fi
if [ -n "$DISPLAY" ]; then
    exec "$@"
fi
if [ -z "$manager" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$@"
fi
exec xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
    ready=$(mktemp -u)
    openbox --startup "touch $ready" &
    manager=$!
    tries=0
    while [ ! -e "$ready" ] && [ $tries -lt 100 ]; do
        sleep 0.1
        tries=$((tries + 1))
    done
    rm -f "$ready"
    "$@"
    status=$?
    kill $manager
    exit $status' with-display "$@"
