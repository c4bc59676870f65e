#!/usr/bin/env bash
# Installs what Belltide needs, builds it and starts it; arguments go to the program
# (an optional theme file). Without a display it runs on a virtual one.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
./scripts/build.sh release

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: Belltide runs on a virtual one (xvfb-run); nothing will be visible."
    exec xvfb-run -a -s "-screen 0 1280x1024x24" build-release/belltide "$@"
fi
exec build-release/belltide "$@"
