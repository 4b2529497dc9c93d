#!/bin/sh
# Tries an installation image on Linux, under Wine: runs the image's
# launcher (the .exe that has an .ini of the same base name beside it) with
# the options given, and prints its trace and its whole exit code with the
# meaning that docs/exit-codes.md gives it.
#
#   try-image.sh [--win32] [--prefix DIR] [--fresh] [--launcher NAME.exe] IMAGE_DIR [LAUNCHER OPTION...]
#
#   --win32       a 32-bit Wine prefix (32-bit Windows) instead of the 64-bit
#                 one, the kind most users have
#   --prefix DIR  the Wine prefix to make or reuse; by default one of this
#                 script's own in ~/.cache/quillmark-try-image (win64 or win32)
#   --fresh       make the prefix anew: nothing that earlier runs installed
#                 remains
#   --launcher    which launcher, when the image has more than one
#
# Each run first sets the machine up with setup-wine.sh (scripts/setup.sh in
# a checkout): Wine, and qemu-i386 where the kernel runs no 32-bit programs;
# once that is done, it changes nothing. The launcher runs through run_and_wait.exe, which reports the
# whole 32-bit exit code (wine itself passes on only the lowest 8 bits:
# 3010 would come back as 194). "-log C:\try-image\trace.txt" goes in front
# of the options, unless they hold a -log of their own before -installerArgs
# or -managerArgs (after those, every argument is a list item); that trace
# is shown then. Message boxes appear on $DISPLAY; without one, a box
# returns at once, as if closed.
#
# Ends with 0 when the launcher ended with 0, with 1 when it ended with any
# other code, and with 2 when it could not be run at all.
set -eu

usage() {
    sed -n '7,16p' "$0" | sed 's/^# \{0,1\}//' >&2
    exit 2
}
fail() {
    printf 'try-image: %s\n' "$*" >&2
    exit 2
}

arch=win64
prefix=""
fresh=no
launcher_name=""
while [ $# -gt 0 ]; do
    case $1 in
    --win32) arch=win32 ;;
    --prefix) [ $# -ge 2 ] || usage; prefix=$2; shift ;;
    --fresh) fresh=yes ;;
    --launcher) [ $# -ge 2 ] || usage; launcher_name=$2; shift ;;
    -h | --help) usage ;;
    --) shift; break ;;
    -*) echo "try-image: unknown option $1" >&2; usage ;;
    *) break ;;
    esac
    shift
done
[ $# -ge 1 ] || usage
[ -d "$1" ] || fail "no such folder: $1"
image=$(cd "$1" && pwd)
shift

# The launcher: an .exe with an .ini of the same base name beside it
# (Windows names are compared regardless of case).
launchers=""
for file in "$image"/*; do
    [ -f "$file" ] || continue
    name=${file##*/}
    case $name in *.[eE][xX][eE]) ;; *) continue ;; esac
    base=${name%.*}
    for ini in "$image"/*; do
        ini_name=${ini##*/}
        [ -f "$ini" ] && [ "$(printf '%s' "$ini_name" | tr '[:upper:]' '[:lower:]')" = "$(printf '%s.ini' "$base" | tr '[:upper:]' '[:lower:]')" ] &&
            { launchers="$launchers$name
"; break; }
    done
done
if [ -n "$launcher_name" ]; then
    printf '%s' "$launchers" | grep -qxF "$launcher_name" ||
        fail "$image has no $launcher_name with an .ini of the same base name beside it"
else
    case $(printf '%s' "$launchers" | grep -c .) in
    0) fail "$image holds no launcher: no .exe with an .ini of the same base name beside it" ;;
    1) launcher_name=$(printf '%s' "$launchers" | head -n 1) ;;
    *) fail "$image holds more than one launcher; choose one with --launcher: $(printf '%s' "$launchers" | tr '\n' ' ')" ;;
    esac
fi

# What this script needs: beside it in the release archive; built from the
# sources in a checkout.
here=$(cd "$(dirname "$0")" && pwd)
if [ -f "$here/run_and_wait.exe" ]; then
    sh "$here/setup-wine.sh" || fail "this machine cannot run the launcher under Wine (see above)"
    runner=$here/run_and_wait.exe
elif [ -f "$here/../CMakePresets.json" ]; then
    sh "$here/setup.sh" || fail "this machine cannot run the launcher under Wine (see above)"
    (
        cd "$here/.."
        [ -f build/win32/build.ninja ] || cmake --preset win32 >/dev/null
        cmake --build build/win32 --target run_and_wait >/dev/null
    ) || fail "cannot build run_and_wait.exe"
    runner=$(cd "$here/.." && pwd)/build/win32/run_and_wait.exe
else
    fail "no run_and_wait.exe beside this script, and no checkout around it"
fi
exit_codes=$here/../docs/exit-codes.md

# The prefix, made once and then reused. Only one run at a time may use it.
[ -n "$prefix" ] || prefix=${XDG_CACHE_HOME:-$HOME/.cache}/quillmark-try-image/$arch
mkdir -p "$prefix" || fail "cannot make $prefix"
prefix=$(cd "$prefix" && pwd)
case $prefix in / | "$HOME") fail "refusing $prefix as a Wine prefix" ;; esac
export WINEPREFIX="$prefix" WINEDEBUG=-all
exec 9>"$prefix.lock"
flock 9 || fail "cannot lock $prefix.lock"
mark=$prefix/.try-image
if [ -n "$(ls -A "$prefix")" ] && [ ! -f "$mark" ]; then
    fail "$prefix is not a prefix of this script's own; choose another --prefix"
fi
if [ $fresh = yes ] || [ "$(cat "$mark" 2>/dev/null)" != "$arch" ]; then
    if [ -s "$mark" ] && [ $fresh = no ]; then
        fail "$prefix is a $(cat "$mark") prefix; add --fresh to make it anew as $arch, or choose another --prefix"
    fi
    printf 'try-image: making a %s Wine prefix in %s ...\n' "$arch" "$prefix"
    wineserver -k 2>/dev/null 9>&- || true
    find "$prefix" -mindepth 1 -delete
    touch "$mark"
    (
        # No display while the prefix is made, and no downloads of optional parts.
        unset DISPLAY
        export WINEARCH=$arch WINEDLLOVERRIDES="mscoree,mshtml="
        wineboot -i </dev/null >/dev/null 2>&1 9>&- && wineserver -w 9>&-
    ) || fail "wineboot could not make the prefix $prefix"
    echo "$arch" >"$mark"
fi

# Wine passes arguments on through the Unix locale's character set: make it
# UTF-8, so that every character arrives.
case $(locale charmap 2>/dev/null) in UTF-8) ;; *) export LC_ALL=C.UTF-8 ;; esac

winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

# The trace: the options' own -log, if they have one before the lists.
user_log=""
expect=""
for option in "$@"; do
    if [ -n "$expect" ]; then
        [ "$expect" = -log ] && user_log=$option
        expect=""
        continue
    fi
    case $option in
    -installerArgs | -managerArgs) break ;;
    -input | -appDataLocation | -nl | -log) expect=$option ;;
    esac
done
if [ -n "$user_log" ]; then
    trace_name=$user_log
    case $user_log in
    [A-Za-z]:*) trace=$(winepath -u "$user_log" 2>/dev/null 9>&- | tr -d '\r') ;;
    # On the current drive, Z:, which is the Unix root; or relative to the
    # current folder, which is this one.
    \\* | /*) trace=$(printf '%s' "$user_log" | tr '\\' /) ;;
    *) trace=$(pwd)/$(printf '%s' "$user_log" | tr '\\' /) ;;
    esac
else
    trace_name='C:\try-image\trace.txt'
    trace=$prefix/drive_c/try-image/trace.txt
    mkdir -p "${trace%/*}"
    rm -f "$trace"
    set -- -log "$trace_name" "$@"
fi

printf 'try-image: %s in %s, %s prefix %s\n' "$launcher_name" "$image" "$arch" "$prefix"
printf 'try-image: %s %s\n' "$launcher_name" "$*"
result=$(wine "$runner" "$(winpath "$image/$launcher_name")" "$@" 9>&- </dev/null | tr -d '\r') || true
printf -- '---- trace %s\n' "$trace_name"
if [ -n "$trace" ] && [ -f "$trace" ]; then
    tr -d '\r' <"$trace"
else
    echo "(no trace was written)"
fi
echo "---- end of trace"

code=$(printf '%s\n' "$result" | sed -n 's/^exit code \(-\{0,1\}[0-9][0-9]*\)$/\1/p' | tail -n 1)
[ -n "$code" ] || fail "the launcher did not run: ${result:-run_and_wait.exe reported nothing}"
# The meaning: the row of docs/exit-codes.md's table that lists the code,
# or its "any other" row.
meaning=$(awk -F'|' -v code="$code" '
    /^\| Code \| Meaning \|/ { table = 1; next }
    table && !/^\|/ { exit }
    table && /^\|-/ { next }
    table {
        codes = $2; text = $3
        gsub(/^ +| +$/, "", codes); gsub(/^ +| +$/, "", text)
        if (codes == "any other") other = text
        n = split(codes, list, / *, */)
        for (i = 1; i <= n; i++) if (list[i] == code) { found = text; exit }
    }
    END { print (found != "" ? found : other) }' "$exit_codes" 2>/dev/null || true)
printf 'exit code %s (0x%08X)%s\n' "$code" $((code & 0xFFFFFFFF)) "${meaning:+: $meaning}"
[ "$code" -eq 0 ]
