#!/bin/sh
# Installs what building and testing the launcher needs on Debian (bookworm):
# the native and MinGW-w64 compilers, GoogleTest, Wine (32- and 64-bit, so
# that a prefix has both registry views), Xvfb, wixl, the locale sources
# from which the tests build Japanese and Chinese locales, and openssl with
# osslsigncode for the signed release. Packages already present are left
# alone.
set -eu

packages="cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-dev
          mingw-w64 wine wine32:i386 wine64 xvfb x11-utils wixl python3 zip locales clang-format openssl osslsigncode"

missing=""
for package in $packages; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done
[ -z "$missing" ] && exit 0

run() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
echo "Installing:$missing"
if ! dpkg --print-foreign-architectures | grep -qx i386; then run dpkg --add-architecture i386; fi
run apt-get update -qq
run env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing >/dev/null
