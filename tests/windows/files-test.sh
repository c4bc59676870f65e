#!/usr/bin/env bash
# The Windows files as built, read without running them (a 32-bit build cannot run here): the
# program's and our rapi.dll's format, the remote-API names the one resolves and the other
# exports, the DLLs and functions the program and the sound libraries' test import, and the
# program inside the installer.
# files-test.sh OBJDUMP ARCHITECTURE(i386|x86-64) BUILD_DIR RAPI_FUNCTIONS_HEADER [INSTALLER]
set -euo pipefail
objdump=$1
architecture=$2
build=$3
header=$4
installer=${5:-}

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

if [ "$architecture" = i386 ]; then
    magic="(PE32)"
else
    magic="(PE32+)"
fi

# Format, processor and the oldest Windows the file asks for (7 = 6.1).
check_format() {
    local file=$1 headers
    headers=$("$objdump" -p "$file")
    grep -q "file format pei-$architecture$" <<<"$headers" ||
        fail "$(basename "$file") is not built for $architecture"
    grep -E '^Magic' <<<"$headers" | grep -qF "$magic" || fail "$(basename "$file") is not $magic"
    for field in MajorOSystemVersion:6 MinorOSystemVersion:1 MajorSubsystemVersion:6 \
        MinorSubsystemVersion:1; do
        grep -Eq "^${field%%:*}\s+${field##*:}$" <<<"$headers" ||
            fail "$(basename "$file") has no ${field%%:*} ${field##*:}"
    done
}
check_format "$build/Belltide.exe"
check_format "$build/rapi.dll"
program_headers=$("$objdump" -p "$build/Belltide.exe")
grep -Eq '^Subsystem\s+0+2\s+\(Windows GUI\)' <<<"$program_headers" ||
    fail "Belltide.exe is not a window program"
# Its manifest names its own processor (Windows refuses to start it otherwise), and no code page:
# names beyond the ANSI code page go through the wide calls on every version of Windows.
manifest_architecture=amd64
[ "$architecture" = i386 ] && manifest_architecture=x86
grep -aq "name=\"Belltide\" version=\"[0-9.]*\" processorArchitecture=\"$manifest_architecture\"" \
    "$build/Belltide.exe" || fail "Belltide.exe's manifest does not name $manifest_architecture"
grep -aq activeCodePage "$build/Belltide.exe" && fail "Belltide.exe's manifest sets a code page"

# Every function the program resolves from rapi.dll at run time, by its undecorated name.
mapfile -t functions < <(sed -n 's/^RAPI_FUNCTION [A-Z]* WINAPI \(Ce[A-Za-z]*\)(.*/\1/p' "$header")
[ ${#functions[@]} -ge 15 ] || fail "only ${#functions[@]} functions read from $header"
exports=$("$objdump" -p "$build/rapi.dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p')
grep -q '@' <<<"$exports" && fail "rapi.dll exports decorated names: $(grep '@' <<<"$exports")"
for function in "${functions[@]}"; do
    grep -Eq "\] $function$" <<<"$exports" || fail "rapi.dll does not export $function"
    grep -aq "$function" "$build/Belltide.exe" || fail "Belltide.exe never names $function"
done

# What the program imports exists on Windows 7 SP1: only these DLLs, and none of the functions
# that later versions brought which MinGW's runtime or the toolkit may reach for.
allowed_dlls=" advapi32.dll comctl32.dll comdlg32.dll gdi32.dll imm32.dll kernel32.dll msvcrt.dll
    ole32.dll oleacc.dll oleaut32.dll rpcrt4.dll shell32.dll shlwapi.dll user32.dll uxtheme.dll
    version.dll winmm.dll winspool.drv ws2_32.dll wsock32.dll "
newer_functions=" GetSystemTimePreciseAsFileTime SetThreadDescription GetThreadDescription
    CreateFile2 WaitOnAddress WakeByAddressSingle WakeByAddressAll GetCurrentThreadStackLimits
    InitializeSynchronizationBarrier EnterSynchronizationBarrier PrefetchVirtualMemory
    SetDefaultDllDirectories AddDllDirectory RemoveDllDirectory GetOverlappedResultEx
    GetDpiForWindow GetDpiForSystem GetSystemMetricsForDpi AdjustWindowRectExForDpi
    SystemParametersInfoForDpi SetProcessDpiAwarenessContext SetThreadDpiAwarenessContext
    GetThreadDpiAwarenessContext EnableNonClientDpiScaling GetDpiForMonitor
    SetProcessDpiAwareness "
allowed_dlls=$(tr -s ' \n' '  ' <<<"$allowed_dlls")
newer_functions=$(tr -s ' \n' '  ' <<<"$newer_functions")
check_imports() {
    local file=$1 imports dll function
    imports=$(awk -F'\t' '/DLL Name:/ { split($2, name, ": "); dll = tolower(name[2]); next }
                dll && NF >= 3 && $3 ~ /^ *[0-9]+ +[A-Za-z_]/ { split($3, f, " "); print dll, f[2] }' \
                  < <("$objdump" -p "$file"))
    [ -n "$imports" ] || fail "no imports read from $(basename "$file")"
    for dll in $(cut -d' ' -f1 <<<"$imports" | sort -u); do
        [[ $allowed_dlls == *" $dll "* ]] || fail "$(basename "$file") imports $dll"
    done
    for function in $(cut -d' ' -f2 <<<"$imports"); do
        [[ $newer_functions == *" $function "* ]] && fail "$(basename "$file") imports $function"
    done
    return 0
}
# The sound libraries are linked in, with nothing of theirs to ship or newer than Windows 7.
check_imports "$build/Belltide.exe"

# The installer holds this very program.
if [ -n "$installer" ]; then
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    # An installer for 32-bit Windows is itself a 32-bit program.
    installer_headers=$("$objdump" -f "$installer" 2>&1 || true)
    grep -q "file format pei-$architecture$" <<<"$installer_headers" ||
        fail "the installer is not built for $architecture"
    listing=$(7z l "$installer")
    for file in Belltide.exe Belltide.wav Belltide.htb; do
        grep -q " $file$" <<<"$listing" || fail "the installer holds no $file"
    done
    7z e -o"$work" "$installer" Belltide.exe >/dev/null
    cmp -s "$work/Belltide.exe" "$build/Belltide.exe" ||
        fail "the installer's Belltide.exe is not the one built here"
fi

[ $failures -eq 0 ] || exit 1
echo "files: $architecture program, rapi.dll (${#functions[@]} functions), sound libraries and" \
    "installer as expected"
