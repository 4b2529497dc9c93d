#!/bin/sh
# Launch overhead under Wine: how much longer starting an installed agent
# (with waiting) takes through launcher.exe than through a null launcher
# that only starts the agent and waits, and how a batch file that does the
# launcher's lookups with reg and find compares. Everything runs in a Wine
# prefix of its own (build/bench/wineprefix); launch_timer.exe starts each
# command in turn, inside one Wine session, and prints medians.
#
# Usage (after cmake --preset win32 && cmake --build --preset win32):
#   bench/launch_overhead.sh [REPETITIONS] [WARMUP]     (100 and 5 by default: single
#   runs under Wine spread from 25 to 70 ms, and 30 rounds left the median
#   ratio wandering between 1.1 and 1.25)
# LAUNCHER=/path/to/launcher.exe measures another build in the rows launcher and
# default. COMPARE="name=/path/to/other/launcher.exe ..." adds other builds of the
# launcher to the same rounds (each with the same INI file).
#
# The output says how the 32-bit programs ran: natively, or emulated by a
# binfmt_misc handler such as qemu-i386 (scripts/setup-wine.sh). Figures
# measured under the emulator are figures for that emulator, not for Windows
# nor for Wine on a host that runs 32-bit programs itself.
set -eu
cd "$(dirname "$0")/.."
repetitions=${1:-100}
warmup=${2:-5}
root=$(pwd)
launcher=${LAUNCHER:-$root/build/win32/launcher.exe}
out=$root/build/bench/launch
prefix=$root/build/bench/wineprefix
[ -f "$launcher" ] || { echo "no $launcher: cmake --preset win32 && cmake --build --preset win32" >&2; exit 1; }
# How the 32-bit programs run here, in one line; it heads the results.
host=$(scripts/setup-wine.sh --status 2>&1) || { echo "$host" >&2; exit 1; }
host=${host#setup: }
case $host in
*emulated*) host="$host
EMULATED: these times are the emulator's; no ratio from this run is a figure for Windows, nor for Wine on a host that runs 32-bit programs itself" ;;
esac

# The Windows programs of the benchmark: the agent, the null launcher and
# the timer.
mkdir -p "$out"
cc=i686-w64-mingw32-gcc
$cc -Os -s -mwindows -o "$out/agent.exe" bench/launch/agent.c
$cc -Os -s -mwindows -o "$out/null_launcher.exe" bench/launch/null_launcher.c
$cc -Os -s -o "$out/launch_timer.exe" bench/launch/launch_timer.c

export WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG=-all
unset DISPLAY
if [ ! -f "$prefix/.bench-prefix-ready" ]; then
    rm -rf "$prefix"
    WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1
    wineserver -w
    touch "$prefix/.bench-prefix-ready"
fi

# An installation image and an installed agent of the required version.
c=$prefix/drive_c/bench
rm -rf "$c"
mkdir -p "$c/image" "$c/agent/eclipse/configuration" "$c/agentdata"
cp "$launcher" "$c/image/launcher.exe"
cp "$out/null_launcher.exe" "$c/image/null_launcher.exe"
cp "$out/agent.exe" "$c/agent/eclipse/agent.exe"
sed 's/$/\r/' bench/launch/launch.cmd > "$c/image/launch.cmd"
printf '[INSTALLER]\r\nLOCATION=setup.exe\r\n[MANAGER]\r\nLOCATION_KEY=Software\\QuillmarkBench\\Agent\r\nVERSION=7.3.1\r\nLAUNCHER=eclipse\\agent.exe\r\n[COMMON]\r\nISADMIN=no\r\n' \
    > "$c/image/launcher.ini"
printf '#Configuration\r\nosgi.install.area=file\\:/C\\:/bench/agent/eclipse\r\ntessa.appDataLocation=C\\:\\\\bench\\\\agentdata\r\n' \
    > "$c/agent/eclipse/configuration/config.ini"
{
    printf "<?xml version='1.0' encoding='UTF-8'?>\r\n<installed>\r\n"
    for n in $(seq 1 40); do
        printf "  <package id='com.norvex.tessa.plugin.p%s' version='1.%s.0.v20240611' installed='2024-06-11T15:02:03'/>\r\n" "$n" "$n"
    done
    printf "  <package id='com.norvex.tessa.agent' version='7.3.1.v20240611' installed='2024-06-11T15:02:03'/>\r\n</installed>\r\n"
} > "$c/agentdata/installed.xml"

# The same launcher with docs/example.ini, as most packagers leave it:
# ISADMIN empty, so the user's group membership decides which hive is read
# (under Wine as root: the machine's, so the agent is registered in both
# hives), with an MSI installer, arguments, a data location and a locale.
cp "$launcher" "$c/image/launcher_default.exe"
sed -e 's/^LOCATION_KEY=.*/LOCATION_KEY=Software\\QuillmarkBench\\Agent/' -e 's/^VERSION=.*/VERSION=7.3.1/' \
    -e 's/$/\r/' docs/example.ini > "$c/image/launcher_default.ini"
grep -q '^ISADMIN=.$' "$c/image/launcher_default.ini" || { echo "docs/example.ini no longer leaves ISADMIN empty" >&2; exit 1; }

wineserver -p || true  # keep the server up between the runs (it may be up already)
wine reg add 'HKCU\Software\QuillmarkBench\Agent' /v location /d 'C:\bench\agent' /f >/dev/null
wine reg add 'HKLM\Software\QuillmarkBench\Agent' /v location /d 'C:\bench\agent' /f >/dev/null

# Other builds to compare, as further name and command pairs.
set --
for pair in ${COMPARE:-}; do
    name=${pair%%=*}
    cp "${pair#*=}" "$c/image/launcher_$name.exe"
    cp "$c/image/launcher.ini" "$c/image/launcher_$name.ini"
    set -- "$@" "$name" "C:\\bench\\image\\launcher_$name.exe -wait"
done

results=$out/results.txt
status=0
wine "$out/launch_timer.exe" "$repetitions" "$warmup" \
    launcher 'C:\bench\image\launcher.exe -wait' \
    null 'C:\bench\image\null_launcher.exe "C:\bench\agent\eclipse\agent.exe"' \
    batch 'cmd.exe /c C:\bench\image\launch.cmd' \
    default 'C:\bench\image\launcher_default.exe -wait' "$@" > "$results.raw" || status=$?
wineserver -k || true
[ $status -eq 0 ] || { echo "launch_timer failed (status $status)" >&2; exit 1; }
tr -d '\r' < "$results.raw" > "$results"

echo "$host"
awk -v reps="$repetitions" '
    { median[$1] = $2; min[$1] = $3; p90[$1] = $4 }
    END {
        printf "| Started through | Median (ms) | Min (ms) | 90th pct (ms) |\n|---|---|---|---|\n"
        split("null launcher batch", order, " ")
        for (i = 1; i <= 3; ++i) printf "| %s | %.2f | %.2f | %.2f |\n", order[i], median[order[i]], min[order[i]], p90[order[i]]
        for (name in median) if (name != "null" && name != "launcher" && name != "batch")
            printf "| %s | %.2f | %.2f | %.2f |\n", name, median[name], min[name], p90[name]
        printf "\n%d measured runs of each, interleaved.\n", reps
        printf "launcher / null  = %.3f (goal: at most 1.10)\n", median["launcher"] / median["null"]
        printf "batch / launcher = %.3f\n", median["batch"] / median["launcher"]
        for (name in median) if (name != "null" && name != "launcher" && name != "batch")
            printf "%s / null = %.3f\n", name, median[name] / median["null"]
    }' "$results"
