#!/bin/sh
# Builds launcher.exe, lays out the demo installation image in build/demo
# (the launcher under a packager's name, its INI file and the demo agent's
# MSI package) and runs it twice with scripts/try-image.sh, in a 64-bit Wine
# prefix of the demo's own: the first run installs the agent through
# msiexec.exe and starts it, the second finds it and starts it directly.
# Both must end with exit code 0 and a trace that shows the agent started.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
scripts/setup.sh

cmake --preset win32 >/dev/null
cmake --build --preset win32 --target launcher demo_agent run_and_wait >/dev/null

build=$root/build/win32
demo=$root/build/demo
image=$demo/image
stage=$demo/package
rm -rf "$image" "$stage" "$demo"/trace-*.txt "$demo"/run-*.txt
mkdir -p "$image/agent" "$stage"

# The installation image.
cp "$build/launcher.exe" "$image/QuillmarkSetup.exe"
cp demo/QuillmarkSetup.ini "$image/"

# The agent's package: what it installs, then the MSI itself.
cp "$build/demo_agent.exe" "$stage/agent.exe"
# A 32-bit package on 64-bit Windows installs to the 32-bit Program Files.
printf 'tessa.appDataLocation=C\\:\\\\Program Files (x86)\\\\Quillmark Demo Agent\\\\data\r\n' >"$stage/config.ini"
printf "<installed>\r\n  <package id='com.norvex.tessa.agent' version='1.0.0'/>\r\n</installed>\r\n" >"$stage/installed.xml"
sed -e 's/@AGENT_VERSION@/1.0.0/' -e 's/@REGISTRY_ROOT@/HKLM/' -e 's/@REGISTRY_KEY@/Software\\Quillmark Demo/' \
    -e 's/@PROGRAM_FILES_FOLDER@/ProgramFilesFolder/' -e 's/@WIN64@/no/' \
    demo/agent.wxs.in >"$stage/agent.wxs"
(cd "$stage" && wixl -o "$image/agent/QuillmarkDemoAgent.msi" agent.wxs)

# A fresh 64-bit Wine prefix of the demo's own, as most users' Windows is:
# nothing is installed outside it. scripts/try-image.sh makes it on the
# first run and reuses it on the second; it runs the launcher through
# run_and_wait.exe, so the whole exit code comes back, and shows the trace.
prefix=$demo/wineprefix
if [ -d "$prefix" ]; then WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; rm -rf "$prefix"; fi
# The package is a 32-bit one: its files go to the 32-bit Program Files and
# its key to the 32-bit registry view.
agent_dir="$prefix/drive_c/Program Files (x86)/Quillmark Demo Agent"

run() {
    n=$1
    output=$demo/run-$n.txt
    echo
    echo "Run $n: scripts/try-image.sh --prefix build/demo/wineprefix build/demo/image -wait"
    status=0
    scripts/try-image.sh --prefix "$prefix" "$image" -wait >"$output" 2>&1 || status=$?
    grep '^try-image:' "$output" | sed 's/^/  /'
    # The trace as try-image.sh showed it, and its key lines from the first
    # lookup of the agent on.
    sed -n '/^---- trace /,/^---- end of trace$/p' "$output" | sed '1d;$d' >"$demo/trace-$n.txt"
    awk '/^Get Installed Agent Info/ { on = 1 } on' "$demo/trace-$n.txt" |
        grep -E '^(Installed Agent Info|refVersion|refLocation|Agent is not|installerArglist|rc:|agentArglist|isWait)' |
        sed 's/^/  trace: /'
    result=$(grep '^exit code' "$output" || echo "exit code unknown")
    printf '  launcher %s\n' "$result"
    case $status:$result in
    "0:exit code 0 "*) ;;
    *) failed="$failed run $n ended with '$result' (try-image.sh status $status, output in $output);" ;;
    esac
    grep -q '^agentArglist' "$demo/trace-$n.txt" || failed="$failed run $n started no agent, by its trace;"
}

failed=""

run 1
grep -q '^installerArglist' "$demo/trace-1.txt" || failed="$failed run 1 installed nothing, by its trace;"
run 2
if grep -q 'installerArglist' "$demo/trace-2.txt"; then failed="$failed run 2 ran the installer again;"; fi

export WINEPREFIX="$prefix" WINEDEBUG=-all
unset DISPLAY
echo
echo "The agent recorded these starts ($agent_dir/eclipse/runs.log):"
tr -d '\r' <"$agent_dir/eclipse/runs.log" | sed 's/^/  /'
printf '%s\n' "The MSI package received (HKLM\\Software\\Quillmark Demo, 32-bit view):"
wine reg query 'HKLM\Software\Quillmark Demo' /reg:32 2>/dev/null | tr -d '\r' | grep REG_SZ | sed 's/^ */  /'
echo
echo "Full traces: $demo/trace-1.txt and $demo/trace-2.txt"
wineserver -k 2>/dev/null || true
if [ -n "$failed" ]; then
    echo "The demo did not go as it should:$failed" >&2
    exit 1
fi
