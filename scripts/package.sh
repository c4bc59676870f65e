#!/usr/bin/env bash
# Builds the Debian package belltide_<version>_amd64.deb at the top of the repository from the
# Release build, and has lintian check it: any error fails.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
./scripts/build.sh release

out=build-release/package
rm -rf "$out"
cpack --config build-release/CPackConfig.cmake -B "$out"
debs=("$out"/belltide_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "cpack made no single package" >&2; exit 1; }
deb=$(basename "${debs[0]}")
mv "${debs[0]}" "$deb"

# Warnings are printed, errors fail. Its notice about running as root is left out.
lintian --fail-on error "$deb" 2> >(grep -v 'running with root privileges' >&2)
echo "Built $deb; install it with: sudo apt install ./$deb"
