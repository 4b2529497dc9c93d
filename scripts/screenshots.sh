#!/bin/sh
# Makes the documentation's screenshots of the launcher's message boxes:
# the usage box, the box for a missing INI file and the box for a missing
# agent, in English, German and Russian; the boxes for a failed installer
# (here 1603) and a missing installer, in English and German. Under Xvfb
# and Wine.
#   scripts/screenshots.sh        writes docs/screenshots/*.png
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
scripts/setup.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target launcher box_snapshot stub_program >/dev/null

work=$root/build/screenshots
# The first call makes the prefix (box_snapshot itself only prints its usage).
tests/e2e/run_under_wine.sh "$work/wineprefix" build/win32/box_snapshot.exe >/dev/null 2>&1 || true
# The images lie in the prefix's C:\Quillmark, so the boxes show the same
# paths on every machine.
images=$work/wineprefix/drive_c/Quillmark
rm -rf "$images" "$work/bmp"
all_cases="usage ini-missing agent-missing installer-failed installer-missing"
for case in $all_cases; do
    mkdir -p "$images/$case"
    cp build/win32/launcher.exe "$images/$case/QuillmarkSetup.exe"
done
mkdir -p "$work/bmp" docs/screenshots
printf '[MANAGER]\r\nVERSION=2.0\r\n' >"$images/usage/QuillmarkSetup.ini"
printf '[MANAGER]\r\nLOCATION_KEY=Software\\Quillmark\r\nVERSION=2.0\r\n' >"$images/agent-missing/QuillmarkSetup.ini"
for case in installer-failed installer-missing; do
    printf '[INSTALLER]\r\nLOCATION=disk1\\setup.exe\r\n[MANAGER]\r\nLOCATION_KEY=Software\\Quillmark\r\nVERSION=2.0\r\n' \
        >"$images/$case/QuillmarkSetup.ini"
done
# The failing installer: the test stub, told by its plan to exit with 1603.
mkdir -p "$images/installer-failed/disk1"
cp build/win32/stub_program.exe "$images/installer-failed/disk1/setup.exe"
printf 'exit 1603\r\n' >"$images/installer-failed/disk1/setup.plan"

winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

for language in en_US de_DE ru_RU; do
    cases=$all_cases
    [ "$language" = ru_RU ] && cases="usage ini-missing agent-missing"
    for case in $cases; do
        arguments=""
        [ "$case" = usage ] && arguments=" -help"
        LC_ALL=$language.UTF-8 tests/e2e/run_under_wine.sh "$work/wineprefix" build/win32/box_snapshot.exe \
            "$(winpath "$work/bmp/$case-$language")" "C:\\Quillmark\\$case\\QuillmarkSetup.exe" \
            "\"C:\\Quillmark\\$case\\QuillmarkSetup.exe\"$arguments" | tr -d '\r'
        python3 tools/bmp_to_png.py "$work/bmp/$case-$language-1.bmp" "docs/screenshots/$case-${language%_*}.png"
    done
done
ls -l docs/screenshots
