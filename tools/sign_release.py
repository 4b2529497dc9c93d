#!/usr/bin/env python3
"""Signs Windows programs in place with osslsigncode: an Authenticode
signature with SHA-256, made with the certificate and key of a PKCS#12 file.

    LAUNCHER_SIGN_PKCS12=/path/cert.p12 \\
    [LAUNCHER_SIGN_PASSWORD=...] [LAUNCHER_SIGN_TIMESTAMP_URL=http://...] \\
    sign_release.py PROGRAM.exe...

The password reaches osslsigncode on its standard input, never on a command
line. With a timestamp URL, an RFC 3161 time-stamping server countersigns
each signature, so that it stays valid after the certificate expires.
Any failure ends the script with exit code 1, and no program is half signed.
"""
import os
import pathlib
import shutil
import subprocess
import sys


def main():
    programs = [pathlib.Path(name) for name in sys.argv[1:]]
    pkcs12 = os.environ.get("LAUNCHER_SIGN_PKCS12", "")
    if not programs or not pkcs12:
        raise SystemExit(__doc__)
    if not os.path.isfile(pkcs12):
        sys.exit(f"sign_release: LAUNCHER_SIGN_PKCS12 names no file: {pkcs12}")
    tool = shutil.which("osslsigncode")
    if tool is None:
        sys.exit("sign_release: osslsigncode is not installed (apt-get install osslsigncode)")
    password = os.environ.get("LAUNCHER_SIGN_PASSWORD")
    timestamp = os.environ.get("LAUNCHER_SIGN_TIMESTAMP_URL", "")

    for program in programs:
        signed = program.with_name(program.name + ".signed")
        command = [tool, "sign", "-pkcs12", pkcs12, "-h", "sha256", "-n", "Quillmark " + program.stem]
        if password is not None:
            command += ["-readpass", "-"]
        if timestamp:
            command += ["-ts", timestamp]
        command += ["-in", str(program), "-out", str(signed)]
        result = subprocess.run(command, input=password or "", capture_output=True, text=True)
        if result.returncode != 0 or not signed.is_file():
            signed.unlink(missing_ok=True)
            sys.exit(f"sign_release: cannot sign {program.name}:\n{result.stdout}{result.stderr}")
        os.replace(signed, program)
        stamped = f", timestamp from {timestamp}" if timestamp else ""
        print(f"signed {program.name} with {os.path.basename(pkcs12)}{stamped}")


if __name__ == "__main__":
    main()
