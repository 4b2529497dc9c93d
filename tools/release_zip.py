#!/usr/bin/env python3
"""Writes a zip whose bytes depend only on the files' names and contents:
a fixed order, a fixed time, fixed permissions (shell scripts executable,
everything else read-write for the owner, readable for all) and no extra
fields.

    release_zip.py OUTPUT.zip BASE_DIR EPOCH NAME...
"""
import sys
import time
import zipfile


def main():
    if len(sys.argv) < 5:
        raise SystemExit(__doc__)
    output, base, epoch, names = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4:]
    stamp = time.gmtime(max(epoch, 315532800))[:6]  # zip times start in 1980
    with zipfile.ZipFile(output, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
        for name in names:
            info = zipfile.ZipInfo(name, date_time=stamp)
            info.external_attr = (0o755 if name.endswith(".sh") else 0o644) << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            with open(f"{base}/{name}", "rb") as source:
                archive.writestr(info, source.read())


if __name__ == "__main__":
    main()
