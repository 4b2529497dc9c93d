#!/bin/sh
# Installs what building and testing the launcher needs on Debian (bookworm):
# the native and MinGW-w64 compilers, GoogleTest, Xvfb, wixl, the locale
# sources from which the tests build Japanese and Chinese locales, and
# openssl with osslsigncode for the signed release. Packages already present
# are left alone. Then scripts/setup-wine.sh installs Wine and makes sure
# that this machine runs 32-bit programs, natively or under the qemu-i386
# emulator (it prints one line saying which, and why); it runs every time,
# even when no package is missing, and stops the scripts here when 32-bit
# programs cannot run.
set -eu

packages="cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-dev
          mingw-w64 xvfb x11-utils wixl python3 zip locales clang-format clang-tidy openssl osslsigncode"

missing=""
for package in $packages; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done
if [ -n "$missing" ]; then
    run() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
    echo "Installing:$missing"
    run apt-get update -qq
    run env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing >/dev/null
fi
exec sh "$(dirname "$0")/setup-wine.sh"
