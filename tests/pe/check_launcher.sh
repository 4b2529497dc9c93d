#!/bin/sh
# Checks on the built launcher.exe, read from its PE headers with objdump:
# a 32-bit GUI program, importing only system DLLs that Windows loads from
# its KnownDLLs list, with ASLR and DEP enabled, relocations kept, and a
# manifest that requests the configured execution level. With --source-root
# it also checks that no source outside the Win32 side includes Windows
# headers. Prints PASS or FAIL per check; exits 1 when any check fails.
#
# Usage: check_launcher.sh [--objdump TOOL] [--level LEVEL] [--subsystem NAME]
#                          [--allow "a.dll b.dll ..."] [--source-root DIR] EXE
set -u

objdump=i686-w64-mingw32-objdump
level=asInvoker
subsystem="Windows GUI"
# KnownDLLs of 32-bit Windows that a small program may need. Everything
# else (shfolder.dll, the GCC, C++ and thread runtime DLLs, anything that
# could be planted beside the program) is refused.
allow="advapi32.dll comdlg32.dll gdi32.dll imm32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll
       psapi.dll rpcrt4.dll sechost.dll setupapi.dll shell32.dll shlwapi.dll user32.dll ws2_32.dll"
source_root=""
while [ $# -gt 1 ]; do
    case $1 in
    --objdump) objdump=$2 ;;
    --level) level=$2 ;;
    --subsystem) subsystem=$2 ;;
    --allow) allow=$2 ;;
    --source-root) source_root=$2 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
    esac
    shift 2
done
[ $# -eq 1 ] || { echo "usage: $0 [options] EXE" >&2; exit 2; }
exe=$1
[ -f "$exe" ] || { echo "FAIL exists: no file $exe"; exit 1; }

failures=0
pass() { echo "PASS $1: $2"; }
fail() { echo "FAIL $1: $2"; failures=$((failures + 1)); }

headers=$("$objdump" -p "$exe" 2>&1) || { echo "FAIL headers: $objdump -p could not read $exe"; exit 1; }

# 1. A 32-bit PE (PE32 optional header, i386 machine).
if echo "$headers" | grep -q 'file format pei-i386' && echo "$headers" | grep -qE '^Magic[[:space:]]+010b[[:space:]]+\(PE32\)'; then
    pass pe32 "pei-i386, optional header magic 010b"
else
    fail pe32 "not a PE32 i386 image: $(echo "$headers" | grep -E 'file format|^Magic' | tr '\n' ' ')"
fi

# 2. The subsystem: no console comes up.
actual=$(echo "$headers" | sed -n 's/^Subsystem[[:space:]]*[0-9a-f]*[[:space:]]*(\(.*\))$/\1/p')
if [ "$actual" = "$subsystem" ]; then
    pass subsystem "$actual"
else
    fail subsystem "expected $subsystem, found ${actual:-none}"
fi

# 3. Imports: every DLL on the allowlist, compared without letter case.
dlls=$(echo "$headers" | sed -n 's/^[[:space:]]*DLL Name: *//p' | tr 'A-Z' 'a-z' | sort -u)
refused=""
for dll in $dlls; do
    case " $(echo $allow | tr 'A-Z' 'a-z') " in
    *" $dll "*) ;;
    *) refused="$refused $dll" ;;
    esac
done
if [ -z "$dlls" ]; then
    fail imports "no import table found"
elif [ -n "$refused" ]; then
    fail imports "not on the allowlist:$refused"
else
    pass imports "$(echo $dlls)"
fi

# 4. ASLR and DEP, and the relocations that ASLR needs.
for flag in DYNAMIC_BASE NX_COMPAT; do
    if echo "$headers" | grep -qE "^[[:space:]]+$flag\$"; then
        pass "$(echo $flag | tr 'A-Z_' 'a-z-')" "DllCharacteristics has $flag"
    else
        fail "$(echo $flag | tr 'A-Z_' 'a-z-')" "DllCharacteristics lacks $flag"
    fi
done
relocs=$(echo "$headers" | sed -n 's/^Entry 5 [0-9a-f]* \([0-9a-f]*\) Base Relocation Directory.*/\1/p')
if echo "$headers" | grep -qE '^[[:space:]]+relocations stripped$'; then
    fail relocations "relocations stripped: the image cannot move"
elif [ -n "$relocs" ] && [ "$relocs" != "00000000" ]; then
    pass relocations "base relocation directory of 0x$relocs bytes"
else
    fail relocations "no base relocation directory"
fi

# 5. The manifest (resource type 24) and its execution level. The first
# leaf under type 24 is the manifest; its address is an RVA inside .rsrc.
leaf=$(echo "$headers" | awk '
    /^[0-9a-f]+   Entry: ID: / { inManifest = ($4 == "0x000018,") }
    inManifest && /Leaf: Addr:/ { gsub(",", ""); print $4, $6; exit }')
if [ -z "$leaf" ]; then
    fail manifest "no resource of type 24"
    fail execution-level "no manifest to read"
else
    rva=$((${leaf% *}))
    size=$((${leaf#* }))
    image_base=$((0x$(echo "$headers" | sed -n 's/^ImageBase[[:space:]]*//p')))
    rsrc=$("$objdump" -h "$exe" | awk '$2 == ".rsrc" { print $4, $6 }')
    vma=$((0x${rsrc% *}))
    file_offset=$((0x${rsrc#* }))
    offset=$((rva - (vma - image_base) + file_offset))
    manifest=$(dd if="$exe" bs=1 skip="$offset" count="$size" 2>/dev/null)
    if echo "$manifest" | grep -q '<assembly'; then
        pass manifest "type 24, $size bytes at file offset $offset"
    else
        fail manifest "type 24 resource holds no XML manifest"
    fi
    requested=$(echo "$manifest" | sed -n 's/.*requestedExecutionLevel[^>]*level="\([^"]*\)".*/\1/p')
    if [ "$requested" = "$level" ]; then
        pass execution-level "$requested"
    else
        fail execution-level "expected $level, manifest requests ${requested:-nothing}"
    fi
fi

# 6. Windows headers only in the Win32 side: win32_platform.cpp and entry
# files named *main*.cpp.
if [ -n "$source_root" ]; then
    offenders=$(grep -rnliE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](windows|windef|winbase|winnt|winuser|winreg|shlobj|shlwapi|shellapi|objbase)\.h[>"]' \
        "$source_root" --include='*.h' --include='*.hpp' --include='*.cpp' --include='*.inc' |
        grep -vE '(^|/)win32_platform\.cpp$|(^|/)[^/]*main[^/]*\.cpp$' || true)
    if [ -z "$offenders" ]; then
        pass windows-headers "none outside win32_platform.cpp and *main*.cpp under $source_root"
    else
        fail windows-headers "included by $(echo $offenders)"
    fi
fi

if [ $failures -gt 0 ]; then
    echo "$failures check(s) failed for $exe"
    exit 1
fi
echo "all checks passed for $exe"
