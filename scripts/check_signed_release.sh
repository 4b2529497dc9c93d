#!/bin/sh
# Builds a signed release archive with a throwaway self-signed code-signing
# certificate, and checks the two signed programs in it:
#  - osslsigncode verifies the signature when the throwaway certificate is
#    the trusted root;
#  - without that root it refuses the certificate as self-signed, but still
#    finds the signature and its signer (what Windows shows as an unknown
#    publisher);
#  - a changed byte breaks the signature;
#  - the signature comes off again to give the unsigned program of the build
#    tree, byte for byte: signing adds to the reproducible file;
#  - the signed launcher passes the PE checks, and both start under Wine.
#
#   scripts/check_signed_release.sh BUILD_DIR
#
# BUILD_DIR is a win32 build tree with launcher.exe and launcher-check.exe
# built; its release archive is left signed with the throwaway certificate,
# so give it a scratch tree (scripts/test.sh uses build/reproducible-a).
set -eu
cd "$(dirname "$0")/.."
[ $# -eq 1 ] || { echo "usage: $0 BUILD_DIR" >&2; exit 2; }
build=$(cd "$1" && pwd)
work=$build/signed-check
rm -rf "$work/certificate" "$work/image" "$work/copies"
mkdir -p "$work/certificate" "$work/image" "$work/copies"

# The throwaway certificate, valid for a day, and its PKCS#12 file.
signer="Quillmark throwaway test signer"
openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=$signer" \
    -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
    -keyout "$work/certificate/key.pem" -out "$work/certificate/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$work/certificate/key.pem" -in "$work/certificate/cert.pem" \
    -out "$work/certificate/signer.p12" -passout pass:throwaway

LAUNCHER_SIGN_PKCS12=$work/certificate/signer.p12 LAUNCHER_SIGN_PASSWORD=throwaway \
    cmake --build "$build" --target release >/dev/null
stage=$(ls -d "$build"/release/quillmark-launcher-*)

failures=0
check() {
    description=$1
    shift
    if "$@" >"$work/copies/last-output.txt" 2>&1; then
        echo "PASS $description"
    else
        echo "FAIL $description"
        sed 's/^/    /' "$work/copies/last-output.txt"
        failures=$((failures + 1))
    fi
}
fails() { ! "$@"; }
untrusted_but_signed() {
    output=$(osslsigncode verify -in "$1" 2>&1) && return 1
    echo "$output" | grep -q "Subject: /CN=$signer" && echo "$output" | grep -q "self-signed certificate"
}
flip_byte() {
    cp "$1" "$2"
    printf 'X' | dd of="$2" bs=1 seek=4096 conv=notrunc 2>/dev/null
}

for program in launcher.exe src/check/launcher-check.exe; do
    name=$(basename "$program")
    signed=$stage/$name
    check "$name: signature valid with the certificate as root" \
        osslsigncode verify -CAfile "$work/certificate/cert.pem" -in "$signed"
    check "$name: signature found, certificate refused as self-signed" untrusted_but_signed "$signed"
    flip_byte "$signed" "$work/copies/$name"
    check "$name: a changed byte breaks the signature" \
        fails osslsigncode verify -CAfile "$work/certificate/cert.pem" -in "$work/copies/$name"
    osslsigncode remove-signature -in "$signed" -out "$work/copies/$name.unsigned" >/dev/null
    check "$name: without its signature, the unsigned build's bytes" cmp "$work/copies/$name.unsigned" "$build/$program"
    check "$name: the unsigned build has no signature" fails osslsigncode verify -in "$build/$program"
done

level=$(sed -n 's/^LAUNCHER_EXECUTION_LEVEL:[A-Z]*=//p' "$build/CMakeCache.txt")
objdump=$(sed -n 's/^CMAKE_OBJDUMP:[A-Z]*=//p' "$build/CMakeCache.txt")
check "launcher.exe: PE checks of the signed file" \
    sh tests/pe/check_launcher.sh --objdump "$objdump" --level "${level:-asInvoker}" "$stage/launcher.exe"

# Under Wine: a silent run without installer ends with 1 after its trace,
# and launcher-check shows its usage.
cp "$stage/launcher.exe" "$work/image/QuillmarkSetup.exe"
printf '[MANAGER]\r\nLOCATION_KEY=Software\\QuillmarkSignedCheck\r\nVERSION=1.0\r\n' >"$work/image/QuillmarkSetup.ini"
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
status=0
tests/e2e/run_under_wine.sh "$work/wineprefix" "$work/image/QuillmarkSetup.exe" -silent \
    -log "$(winpath "$work/image/trace.txt")" || status=$?
check "launcher.exe: starts under Wine, ends with 1, traced the run" \
    sh -c "[ $status -eq 1 ] && grep -q 'Agent is not detected on the system' '$work/image/trace.txt'"
check "launcher-check.exe: starts under Wine" \
    tests/e2e/run_under_wine.sh "$work/wineprefix" "$stage/launcher-check.exe" --help

if [ $failures -gt 0 ]; then
    echo "$failures check(s) of the signed release failed"
    exit 1
fi
echo "the signed release passed every check"
