#!/bin/sh
# Makes the documentation's screenshots of the launcher's message boxes:
# the usage box, the box for a missing INI file and the box for a missing
# agent, in English, German and Russian, under Xvfb and Wine.
#   scripts/screenshots.sh        writes docs/screenshots/*.png
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
scripts/setup.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target launcher box_snapshot >/dev/null

work=$root/build/screenshots
# The first call makes the prefix (box_snapshot itself only prints its usage).
tests/e2e/run_under_wine.sh "$work/wineprefix" build/win32/box_snapshot.exe >/dev/null 2>&1 || true
# The images lie in the prefix's C:\Quillmark, so the boxes show the same
# paths on every machine.
images=$work/wineprefix/drive_c/Quillmark
rm -rf "$images" "$work/bmp"
mkdir -p "$images/usage" "$images/ini-missing" "$images/agent-missing" "$work/bmp" docs/screenshots
for case in usage ini-missing agent-missing; do
    cp build/win32/launcher.exe "$images/$case/QuillmarkSetup.exe"
done
printf '[MANAGER]\r\nVERSION=2.0\r\n' >"$images/usage/QuillmarkSetup.ini"
printf '[MANAGER]\r\nLOCATION_KEY=Software\\Quillmark\r\nVERSION=2.0\r\n' >"$images/agent-missing/QuillmarkSetup.ini"

winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

for language in en_US de_DE ru_RU; do
    for case in usage ini-missing agent-missing; do
        arguments=""
        [ "$case" = usage ] && arguments=" -help"
        LC_ALL=$language.UTF-8 tests/e2e/run_under_wine.sh "$work/wineprefix" build/win32/box_snapshot.exe \
            "$(winpath "$work/bmp/$case-$language")" "C:\\Quillmark\\$case\\QuillmarkSetup.exe" \
            "\"C:\\Quillmark\\$case\\QuillmarkSetup.exe\"$arguments" | tr -d '\r'
        python3 tools/bmp_to_png.py "$work/bmp/$case-$language-1.bmp" "docs/screenshots/$case-${language%_*}.png"
    done
done
ls -l docs/screenshots
