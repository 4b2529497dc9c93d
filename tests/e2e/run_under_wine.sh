#!/bin/sh
# Runs a Windows test program under Wine, in a prefix and on an X display of
# this build's own, and returns the program's exit status.
#
#   run_under_wine.sh PREFIX_DIR PROGRAM.exe [ARGUMENT...]
#
# PREFIX_DIR is created with `wineboot -i` when it holds no finished prefix:
# a 64-bit one, as most users' Windows is, so that the 32-bit programs meet
# the 32-bit registry view and the file-system redirection of WOW64.
# A private Xvfb server makes message boxes real, blocking windows that the
# tests can find and close; it is stopped again at the end, together with the
# prefix's wineserver. The caller's LC_ALL chooses the user language that the
# Windows programs see, and WINE* variables (WINEDLLOVERRIDES) pass through.
set -u

if [ $# -lt 2 ]; then
    echo "usage: $0 PREFIX_DIR PROGRAM.exe [ARGUMENT...]" >&2
    exit 2
fi
prefix=$1
shift
case $prefix in
    "" | / | .) echo "run_under_wine: refusing prefix '$prefix'" >&2; exit 2 ;;
esac

WINEPREFIX=$prefix
WINEARCH=win64
WINEDEBUG=-all
export WINEPREFIX WINEARCH WINEDEBUG

ready_mark="$prefix/.e2e-prefix64-ready"

# Makes the prefix once; an interrupted attempt leaves no mark and is redone.
make_prefix() {
    [ -f "$ready_mark" ] && return 0
    echo "run_under_wine: creating Wine prefix $prefix" >&2
    rm -rf "$prefix"
    mkdir -p "$prefix" || return 1
    # No display while the prefix is made, and no downloads of optional parts.
    (
        unset DISPLAY
        LC_ALL=C.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i </dev/null >/dev/null 2>&1 9>&- &&
            # Without a window manager, a managed window takes about 2 s to
            # close; unmanaged, a message box closes in about 0.2 s.
            LC_ALL=C.UTF-8 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
                </dev/null >/dev/null 2>&1 9>&-
        status=$?
        wineserver -w </dev/null >/dev/null 2>&1 9>&-
        exit $status
    ) || { echo "run_under_wine: wineboot failed" >&2; return 1; }
    touch "$ready_mark"
}

# Only one run at a time may use the prefix (and make it). The programs
# started from here do not inherit the lock's descriptor (9>&-), so that a
# lingering one cannot hold the lock.
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9 || exit 2
make_prefix || exit 2

display_file=$(mktemp) || exit 2
xvfb_pid=
cleanup() {
    wineserver -k </dev/null >/dev/null 2>&1 9>&-
    wineserver -w </dev/null >/dev/null 2>&1 9>&-
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
    rm -f "$display_file"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Xvfb picks a free display itself and reports it when it accepts clients.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" </dev/null >/dev/null 2>&1 9>&- &
xvfb_pid=$!
tries=0
while [ ! -s "$display_file" ]; do
    tries=$((tries + 1))
    if [ $tries -gt 200 ] || ! kill -0 "$xvfb_pid" 2>/dev/null; then
        echo "run_under_wine: Xvfb did not start" >&2
        exit 2
    fi
    sleep 0.05
done
DISPLAY=:$(head -n 1 "$display_file")
export DISPLAY

# A warm server for the many short processes of a test run.
wineserver -p </dev/null >/dev/null 2>&1 9>&-

wine "$@" </dev/null 9>&-
status=$?
exit $status
