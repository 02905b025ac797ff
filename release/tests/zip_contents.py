#!/usr/bin/env python3
"""Checks a release zip: exactly Kestrix.dll, OPOS.INI, README.txt,
Trellup.exe and TrellupCmd.exe at its root (no bench file), an OPOS.INI whose model list has no
bench model and whose count and sections match the list, and a README.txt
with Windows line ends that names the version.

    zip_contents.py <zip> <version>
"""
import configparser
import sys
import zipfile

EXPECTED = ["Kestrix.dll", "OPOS.INI", "README.txt", "Trellup.exe", "TrellupCmd.exe"]


def check_ini(text):
    ini = configparser.ConfigParser(interpolation=None, strict=False)
    ini.read_string(text)
    count = ini.getint("device", "count", fallback=-1)
    models = [ini.get("device", "device%d" % i, fallback="") for i in range(1, count + 1)]
    failures = []
    if count < 1 or ini.has_option("device", "device%d" % (count + 1)):
        failures.append("OPOS.INI's count %d does not match its model list" % count)
    for m in models:
        if m.lower() == "bench" or not ini.has_section(m):
            failures.append("OPOS.INI lists the model %r" % m)
    if any(s.lower() == "bench" for s in ini.sections()):
        failures.append("OPOS.INI ships the bench's model")
    return failures


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
        if "OPOS.INI" in names:
            failures += check_ini(z.read("OPOS.INI").decode("latin-1"))
    for f in failures:
        print("FAIL - " + f)
    if not failures:
        print("ok - %s holds %s" % (path, " ".join(EXPECTED)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]) if len(sys.argv) == 3 else 2)
