#!/bin/sh
# docs/example.ini is clean: launcher-check finds nothing to report in an
# image that holds the installer it names.
#   example_ini_test.sh LAUNCHER_CHECK SOURCE_DIR WORK_DIR
set -eu
image=$3/example-image
rm -rf "$image"
mkdir -p "$image/disk1"
cp "$2/docs/example.ini" "$image/QuillmarkSetup.ini"
: >"$image/QuillmarkSetup.exe"
: >"$image/disk1/QuillmarkAgent.msi"
"$1" "$image"
