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
[ $# -ge 2 ] || { echo "usage: $0 PREFIX_DIR PROGRAM.exe [ARGUMENT...]" >&2; exit 2; }
prefix=$1
shift
case $prefix in "" | / | .) echo "run_under_wine: refusing prefix '$prefix'" >&2; exit 2 ;; esac
export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all
# The programs started from here do not inherit the lock's descriptor (9>&-),
# so that a lingering one cannot hold the lock.
quiet() { "$@" </dev/null >/dev/null 2>&1 9>&-; }

# Only one run at a time may use the prefix, or make it; an interrupted
# attempt leaves no mark and is redone.
# Wine runs the 32-bit programs with its 32-bit loader: where the kernel
# starts no 32-bit programs and no emulator is registered, say so here
# instead of failing in wineboot.
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo "run_under_wine: 32-bit programs do not start on this machine (/usr/lib/wine/wine); scripts/setup.sh sets it up" >&2
    exit 2
fi

mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9 || exit 2
if [ ! -f "$prefix/.e2e-prefix64-ready" ]; then
    echo "run_under_wine: creating Wine prefix $prefix" >&2
    rm -rf "$prefix" && mkdir -p "$prefix" || exit 2
    # No display while the prefix is made, and no downloads of optional parts.
    # Without a window manager, a managed window takes about 2 s to close;
    # unmanaged, a message box closes in about 0.2 s.
    (
        unset DISPLAY
        export LC_ALL=C.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
        quiet wineboot -i && quiet wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
    )
    status=$?
    quiet wineserver -w
    [ $status -eq 0 ] || { echo "run_under_wine: wineboot failed" >&2; exit 2; }
    touch "$prefix/.e2e-prefix64-ready"
fi

# Xvfb picks a free display itself and reports it when it accepts clients.
display_file=$(mktemp) || exit 2
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" </dev/null >/dev/null 2>&1 9>&- &
xvfb_pid=$!
trap 'quiet wineserver -k; quiet wineserver -w; kill $xvfb_pid 2>/dev/null; wait $xvfb_pid; rm -f "$display_file"' EXIT
trap 'exit 130' INT TERM
# It is up in about 70 ms (measured with both cores busy); the deadline only ends
# the wait for one that hangs.
deadline=$(($(date +%s) + 60))
until [ -s "$display_file" ]; do
    kill -0 $xvfb_pid 2>/dev/null && [ "$(date +%s)" -le $deadline ] ||
        { echo "run_under_wine: Xvfb did not start" >&2; exit 2; }
    sleep 0.05
done
export DISPLAY=":$(head -n 1 "$display_file")"

# A warm server for the many short processes of a test run.
quiet wineserver -p
wine "$@" </dev/null 9>&-
exit $?
