#!/usr/bin/env python3
"""Checks a release zip: exactly Kestrix.dll, OPOS.INI, README.txt and
Trellup.exe at its root (no bench file), and a README.txt with Windows line
ends that names the version.

    zip_contents.py <zip> <version>
"""
import sys
import zipfile

EXPECTED = ["Kestrix.dll", "OPOS.INI", "README.txt", "Trellup.exe"]


def main(path, version):
    failures = []
    with zipfile.ZipFile(path) as z:
        names = sorted(z.namelist())
        if names != EXPECTED:
            failures.append("files %s, expected %s" % (names, EXPECTED))
        if "README.txt" in names:
            text = z.read("README.txt").decode("ascii", "replace")
            if "\n" in text.replace("\r\n", ""):
                failures.append("README.txt has lines not ended by CR LF")
            if version not in text.splitlines()[0]:
                failures.append("README.txt's first line does not name %s" % version)
    for f in failures:
        print("FAIL - " + f)
    if not failures:
        print("ok - %s holds %s" % (path, " ".join(EXPECTED)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]) if len(sys.argv) == 3 else 2)
