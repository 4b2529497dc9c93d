#!/bin/sh
# Makes this Debian (bookworm) machine run 32-bit Windows programs under
# Wine: installs Wine (32- and 64-bit, so that a 64-bit prefix has both
# registry views), then decides how the 32-bit programs of the machine run
# (Wine's own loader is one) and prints one line saying which holds, and why:
#
#  1. emulated, already set up: binfmt_misc has an enabled entry for 32-bit
#     x86 ELF programs; it is left as it is;
#  2. native: the kernel starts the 32-bit Wine loader itself; nothing changes;
#  3. emulated, set up now: the kernel runs no 32-bit programs (its IA-32
#     emulation is switched off: "Exec format error"). qemu-user is installed
#     from bookworm-backports (bookworm's own qemu 7.2 cannot host Wine) and
#     qemu-i386 is registered with binfmt_misc as the entry "qemu-i386", with
#     the flag F, so that it works in every prefix and namespace.
#
# Packages already present and a handler already registered are left alone:
# a second run changes nothing. Without root (or sudo) and without
# binfmt_misc, case 3 stops with a message naming what is missing.
#
#   setup-wine.sh                      (scripts/setup.sh runs it too)
#   setup-wine.sh --status             only prints how 32-bit programs run here
#                                      (the line of case 1 or 2, or that they
#                                      do not run: status 1); changes nothing
#   LAUNCHER_EMULATE_IA32=1 setup-wine.sh
#       takes case 3 even where the kernel runs 32-bit programs itself.
#       binfmt_misc is asked before the kernel's own ELF loader, so from then
#       on qemu-i386 runs every 32-bit program of the machine, until
#       echo -1 > /proc/sys/fs/binfmt_misc/qemu-i386
set -eu

wine_loader=/usr/lib/wine/wine
binfmt=/proc/sys/fs/binfmt_misc
entry_name=qemu-i386
qemu=/usr/bin/qemu-i386
# The magic and mask of qemu's own qemu-i386 entry: a 32-bit, little-endian
# ELF executable or shared object for EM_386.
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

say() { echo "setup: $*"; }
fail() {
    echo "setup: $*" >&2
    exit 1
}
as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        fail "needs root (or sudo) to run: $*"
    fi
}
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

status_only=no
case ${1:-} in
--status) status_only=yes unchanged="" ;;
"") ;;
*) fail "usage: $0 [--status]" ;;
esac

# Wine. The 32-bit packages install on any kernel: only running them needs
# 32-bit support.
missing=""
for package in wine wine32:i386 wine64; do
    installed "$package" || missing="$missing $package"
done
if [ -n "$missing" ] && [ $status_only = no ]; then
    echo "Installing:$missing"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then as_root dpkg --add-architecture i386; fi
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing >/dev/null
fi

# Prints the name and interpreter of an enabled binfmt_misc entry that takes
# 32-bit x86 ELF programs (the ELF magic, class 32-bit, e_machine 3 at byte
# 18); fails when there is none.
i386_entry() {
    [ -r "$binfmt/status" ] && [ "$(cat "$binfmt/status")" = enabled ] || return 1
    for entry in "$binfmt"/*; do
        case ${entry##*/} in register | status) continue ;; esac
        [ -f "$entry" ] && [ -r "$entry" ] || continue
        if awk -v name="${entry##*/}" '
            NR == 1 { enabled = ($0 == "enabled") }
            $1 == "interpreter" { interpreter = $2 }
            $1 == "offset" { offset = $2 }
            $1 == "magic" { magic = $2 }
            END {
                if (!enabled || offset != 0 || substr(magic, 1, 10) != "7f454c4601" || substr(magic, 37, 4) != "0300") exit 1
                print name " (interpreter " interpreter ")"
            }' "$entry"; then
            return 0
        fi
    done
    return 1
}

# 1. A handler is registered: every 32-bit program goes through it.
if found=$(i386_entry); then
    say "32-bit programs run emulated: binfmt_misc entry $found takes 32-bit x86 programs${unchanged-; set up before, left as it is}"
    exit 0
fi

# 2. The kernel runs 32-bit programs itself: the Wine loader starts.
status=0
if [ "${LAUNCHER_EMULATE_IA32:-0}" = 1 ] && [ $status_only = no ]; then
    reason="LAUNCHER_EMULATE_IA32=1 asks for the emulator"
else
    "$wine_loader" --version >/dev/null 2>&1 || status=$?
    if [ $status -eq 0 ]; then
        say "32-bit programs run natively: the kernel starts the 32-bit Wine loader ($wine_loader)${unchanged-; nothing to change}"
        exit 0
    fi
    # 126: the shell could not execute it. Any other failure is not the
    # kernel's, and an emulator would not mend it.
    [ $status -eq 126 ] || fail "the 32-bit Wine loader $wine_loader starts but fails (status $status); the emulator would not help"
    reason="the kernel runs no 32-bit programs ($wine_loader: Exec format error; IA-32 emulation is off)"
fi
[ $status_only = no ] || fail "32-bit programs do not run: $reason, and no emulator is registered"

# 3. The emulator. Every step needs root, and binfmt_misc from the kernel.
[ "$(id -u)" -eq 0 ] || command -v sudo >/dev/null 2>&1 ||
    fail "32-bit programs cannot run: $reason, and setting up the emulator needs root (or sudo)"
grep -qw binfmt_misc /proc/filesystems ||
    fail "32-bit programs cannot run: $reason, and this kernel has no binfmt_misc to register an emulator with"
if [ ! -e "$binfmt/register" ]; then
    as_root mount -t binfmt_misc binfmt_misc "$binfmt" ||
        fail "32-bit programs cannot run: $reason, and binfmt_misc cannot be mounted on $binfmt (a container without the privilege?)"
fi
[ -e "$binfmt/$entry_name" ] &&
    fail "32-bit programs cannot run: $reason; binfmt_misc has an entry $entry_name that is disabled or takes other programs. Enable it (echo 1 > $binfmt/$entry_name) or remove it (echo -1 > $binfmt/$entry_name), then run this again"

# qemu-user 10 or later, from bookworm-backports. The suite is added with the
# mirror that the machine's own configuration names for bookworm.
version=$(dpkg-query -W -f='${Version}' qemu-user 2>/dev/null || true)
qemu_done="qemu-user $version was installed already"
if ! installed qemu-user || dpkg --compare-versions "$version" lt 1:10~; then
    if ! grep -qs '^[^#]*bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d/*.list \
        /etc/apt/sources.list.d/*.sources; then
        # deb822 (debian.sources): the first stanza of type deb whose suites
        # include bookworm.
        source=$(awk '
            function flush() { if (types ~ /(^| )deb( |$)/ && suites ~ /(^| )bookworm( |$)/ && uri != "" && !done) { print uri "\t" signed; done = 1 } types = suites = uri = signed = "" }
            /^[ \t]*$/ { flush(); next }
            /^Types:/ { types = $0; sub(/^Types:[ \t]*/, "", types) }
            /^Suites:/ { suites = $0; sub(/^Suites:[ \t]*/, "", suites) }
            /^URIs:/ { uri = $2 }
            /^Signed-By:/ { signed = $2 }
            END { flush() }' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
        if [ -n "$source" ]; then
            uri=$(printf '%s\n' "$source" | cut -f1)
            signed=$(printf '%s\n' "$source" | cut -f2)
            {
                printf 'Types: deb\nURIs: %s\nSuites: bookworm-backports\nComponents: main\n' "$uri"
                [ -z "$signed" ] || printf 'Signed-By: %s\n' "$signed"
            } | as_root tee /etc/apt/sources.list.d/bookworm-backports.sources >/dev/null
        else
            # One-line format: "deb [options] URI bookworm components".
            line=$(awk '$1 == "deb" { i = 2; if ($2 ~ /^\[/) { while (i <= NF && $i !~ /\]$/) i++; i++ }
                                      if ($(i + 1) == "bookworm") { print $0; exit } }' /etc/apt/sources.list 2>/dev/null || true)
            [ -n "$line" ] || fail "32-bit programs cannot run: $reason, and no Debian mirror for bookworm is configured in /etc/apt/sources.list.d/debian.sources or /etc/apt/sources.list, from which to add bookworm-backports"
            printf '%s\n' "$line" | awk '{ for (i = 1; i <= NF; i++) if ($i == "bookworm") { $i = "bookworm-backports"; $(i + 1) = "main"; NF = i + 1; break } print }' |
                as_root tee /etc/apt/sources.list.d/bookworm-backports.list >/dev/null
        fi
    fi
    echo "Installing: qemu-user (bookworm-backports)"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends -t bookworm-backports qemu-user >/dev/null
    version=$(dpkg-query -W -f='${Version}' qemu-user)
    dpkg --compare-versions "$version" ge 1:10~ ||
        fail "32-bit programs cannot run: $reason, and qemu-user $version was installed where 10 or later is needed"
    qemu_done="installed qemu-user $version from bookworm-backports"
fi
[ -x "$qemu" ] || fail "32-bit programs cannot run: $reason, and qemu-user has no $qemu"

printf ':%s:M::%s:%s:%s:F' "$entry_name" "$magic" "$mask" "$qemu" | as_root tee "$binfmt/register" >/dev/null ||
    fail "32-bit programs cannot run: $reason, and binfmt_misc refused the entry $entry_name"
"$wine_loader" --version >/dev/null 2>&1 ||
    fail "32-bit programs still do not start: $wine_loader fails under $qemu (entry $binfmt/$entry_name)"
say "32-bit programs run emulated, set up now: $reason; $qemu_done; registered $qemu with binfmt_misc as $entry_name"
