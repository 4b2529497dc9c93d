#!/bin/sh
# Checks on the built launcher.exe, read from its PE headers with objdump: a
# 32-bit GUI program that imports only system DLLs of the KnownDLLs list,
# with ASLR, DEP and relocations, and a manifest that requests the configured
# execution level. With --source-root, no source outside the Win32 side
# includes Windows headers. Prints PASS or FAIL per check and exits 1 when one
# fails; with --expect-fail "check ...", passes only when each named check
# fails (the proof that the checks can fail).
#
# Usage: check_launcher.sh [--objdump TOOL] [--level LEVEL] [--source-root DIR] [--expect-fail "CHECK..."] EXE
set -u
objdump=i686-w64-mingw32-objdump level=asInvoker source_root= expected=
# What a small program may need; the GCC and C++ runtimes, shfolder.dll and
# anything else that could be planted beside the program are refused.
allow=" advapi32 comdlg32 gdi32 imm32 kernel32 msvcrt ole32 oleaut32 psapi rpcrt4 sechost setupapi shell32 shlwapi user32 ws2_32 "
while [ $# -gt 1 ]; do
    case $1 in
    --objdump) objdump=$2 ;;
    --level) level=$2 ;;
    --source-root) source_root=$2 ;;
    --expect-fail) expected=$2 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
    esac
    shift 2
done
headers=$("$objdump" -p "$1") || exit 2
failed=
check() { # NAME DETAIL COMMAND...: PASS when the command succeeds
    name=$1 detail=$2
    shift 2
    if "$@"; then echo "PASS $name: $detail"; else echo "FAIL $name: $detail" && failed="$failed $name"; fi
}
has() { echo "$headers" | grep -qE "$1"; }

check pe32 "PE32 optional header (magic 010b), i386" has '^Magic[[:space:]]+010b[[:space:]]+\(PE32\)'
subsystem=$(echo "$headers" | sed -n 's/^Subsystem.*(\(.*\))$/\1/p')
check subsystem "$subsystem" [ "$subsystem" = "Windows GUI" ]
dlls=$(echo "$headers" | sed -n 's/^[[:space:]]*DLL Name: *\(.*\)\.dll$/\1/ip' | tr A-Z a-z | sort -u)
refused=$(for dll in $dlls; do case $allow in *" $dll "*) ;; *) echo "$dll" ;; esac; done)
check imports "$(echo $dlls); refused: $(echo $refused)" [ -n "$dlls" -a -z "$refused" ]
check dynamic-base "DllCharacteristics DYNAMIC_BASE" has '^[[:space:]]+DYNAMIC_BASE$'
check nx-compat "DllCharacteristics NX_COMPAT" has '^[[:space:]]+NX_COMPAT$'
check relocations "a base relocation directory" has '^Entry 5 [0-9a-f]+ 0*[1-9a-f][0-9a-f]* Base Relocation'
check manifest "a resource of type 24" has '^[0-9a-f]+   Entry: ID: 0x000018,'
check execution-level "requestedExecutionLevel $level" grep -aq "requestedExecutionLevel level=\"$level\"" "$1"
if [ -n "$source_root" ]; then
    offenders=$(grep -rliE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](windows|windef|winbase|winnt|winuser|winreg|shlobj|shlwapi|shellapi|objbase)\.h[>"]' \
        "$source_root" | grep -vE '/win32_platform\.cpp$|/[^/]*main[^/]*\.cpp$')
    check windows-headers "outside win32_platform.cpp and *main*.cpp: $(echo $offenders)" [ -z "$offenders" ]
fi
[ -z "$expected" ] && exit $([ -z "$failed" ] && echo 0 || echo 1)
for name in $expected; do
    case "$failed " in *" $name "*) ;; *) echo "expected FAIL $name" && exit 1 ;; esac
done
echo "every expected check failed:$failed"
