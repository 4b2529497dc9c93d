#!/bin/sh
# Builds launcher.exe, lays out the demo installation image in build/demo
# (the launcher under a packager's name, its INI file and the demo agent's
# MSI package) and runs it twice under Wine, in a prefix of the demo's own:
# the first run installs the agent through msiexec.exe and starts it, the
# second finds it and starts it directly.
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
rm -rf "$image" "$stage" "$demo"/trace-*.txt
mkdir -p "$image/agent" "$stage"

# The installation image.
cp "$build/launcher.exe" "$image/QuillmarkSetup.exe"
cp demo/QuillmarkSetup.ini "$image/"

# The agent's package: what it installs, then the MSI itself.
cp "$build/demo_agent.exe" "$stage/agent.exe"
printf 'tessa.appDataLocation=C\\:\\\\Program Files\\\\Quillmark Demo Agent\\\\data\r\n' >"$stage/config.ini"
printf "<installed>\r\n  <package id='com.norvex.tessa.agent' version='1.0.0'/>\r\n</installed>\r\n" >"$stage/installed.xml"
sed -e 's/@AGENT_VERSION@/1.0.0/' -e 's/@REGISTRY_ROOT@/HKLM/' -e 's/@REGISTRY_KEY@/Software\\Quillmark Demo/' \
    -e 's/@PROGRAM_FILES_FOLDER@/ProgramFilesFolder/' -e 's/@WIN64@/no/' \
    demo/agent.wxs.in >"$stage/agent.wxs"
(cd "$stage" && wixl -o "$image/agent/QuillmarkDemoAgent.msi" agent.wxs)

# A fresh Wine prefix of the demo's own: nothing is installed outside it.
export WINEPREFIX="$demo/wineprefix" WINEDEBUG=-all WINEARCH=win32
unset DISPLAY
if [ -d "$WINEPREFIX" ]; then wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"; fi
echo "Preparing a Wine prefix in $WINEPREFIX ..."
wineboot -i >/dev/null 2>&1
agent_dir="$WINEPREFIX/drive_c/Program Files/Quillmark Demo Agent"

winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

run() {
    n=$1
    trace="$demo/trace-$n.txt"
    echo
    printf 'Run %s: QuillmarkSetup.exe -wait -log %s\n' "$n" "$(winpath "$trace")"
    result=$(wine "$build/run_and_wait.exe" "$(winpath "$image/QuillmarkSetup.exe")" -wait -log "$(winpath "$trace")" \
        2>/dev/null | tr -d '\r' | grep '^exit code' || echo "exit code unknown")
    # The key lines, from the first lookup of the agent on.
    tr -d '\r' <"$trace" | awk '/^Get Installed Agent Info/ { on = 1 } on' |
        grep -E '^(Installed Agent Info|refVersion|refLocation|Agent is not|installerArglist|rc:|agentArglist|isWait)' |
        sed 's/^/  trace: /'
    printf '  launcher %s\n' "$result"
    [ "$result" = "exit code 0" ] || failed="$failed run $n ended with '$result';"
}

failed=""

run 1
run 2
if grep -q 'installerArglist' "$demo/trace-2.txt"; then failed="$failed run 2 ran the installer again;"; fi

echo
echo "The agent recorded these starts ($agent_dir/eclipse/runs.log):"
tr -d '\r' <"$agent_dir/eclipse/runs.log" | sed 's/^/  /'
printf '%s\n' "The MSI package received (HKLM\\Software\\Quillmark Demo):"
wine reg query 'HKLM\Software\Quillmark Demo' 2>/dev/null | tr -d '\r' | grep REG_SZ | sed 's/^ */  /'
echo
echo "Full traces: $demo/trace-1.txt and $demo/trace-2.txt"
wineserver -k 2>/dev/null || true
if [ -n "$failed" ]; then
    echo "The demo did not go as it should:$failed" >&2
    exit 1
fi
