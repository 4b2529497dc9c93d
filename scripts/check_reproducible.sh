#!/bin/sh
# Builds launcher.exe and the release archive twice, in two clean build
# trees of their own, and compares the bytes: no time stamps and no build
# paths may reach them. The release is built unsigned, whatever the
# environment says.
set -eu
unset LAUNCHER_SIGN_PKCS12
cd "$(dirname "$0")/.."
export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 1767225600)}"
for tree in a b; do
    rm -rf "build/reproducible-$tree"
    cmake -S . -B "build/reproducible-$tree" -G Ninja --toolchain cmake/mingw-i686.cmake \
        -DCMAKE_BUILD_TYPE=MinSizeRel -DLAUNCHER_TESTS=OFF >/dev/null
    cmake --build "build/reproducible-$tree" --target release >/dev/null
done
status=0
for file in launcher.exe src/check/launcher-check.exe quillmark-launcher-*.zip; do
    a=$(ls build/reproducible-a/$file)
    b=$(ls build/reproducible-b/$file)
    if cmp -s "$a" "$b"; then
        echo "identical: $file ($(wc -c <"$a") bytes, sha256 $(sha256sum "$a" | cut -c1-16)…)"
    else
        echo "DIFFERENT: $file"
        status=1
    fi
done
exit $status
