#!/usr/bin/env python3
"""Lists the COM entries of the Kestrix service object that a Wine prefix's
machine registry holds, one line per key and per value, sorted:

    <key>                      a key (below HKEY_LOCAL_MACHINE)
    <key> | <name> = <value>   a value (name "@" for the default value)

Key paths are shown in lower case (the registry ignores case in them).
Paths in values are put aside: a path to Kestrix.dll reads "<dir>\\Kestrix.dll",
any other path "<dir>", so entries written from different folders compare.

    registry_entries.py <prefix> [--out FILE]
    registry_entries.py <prefix> --products
        the installed programs: "<DisplayName> <DisplayVersion>" per line
    registry_entries.py <prefix> --keys TEXT
        every key whose path holds TEXT (without case)

Reads <prefix>/system.reg, which Wine writes when its server ends (run
`wineserver -w` first). Exits 1 when the file cannot be read.
"""
import argparse
import re
import sys

# Identities whose keys belong to the service object: its ProgIDs, class,
# type library and the two interfaces the type library describes.
OWN = [
    "norvane.cashdrawer",
    "{ed8e9135-beca-458a-a317-74c48397089c}",
    "{8da3baf9-6840-4f9a-83e0-84a5acbbdcac}",
    "{7edcd58a-b0fc-4e20-ace7-35d78b3c3754}",
    "{9dbc441e-e9ff-4130-8cbf-1092b99b7634}",
]
# Only the class trees: the installer's own bookkeeping (Installer\...,
# Uninstall\...) names the same identities but is not a COM entry.
CLASS_ROOTS = ("software\\classes\\", "software\\wow6432node\\classes\\")

PATH = re.compile(r"^[A-Za-z]:\\")


def unescape(text):
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            n = text[i + 1]
            out.append({"n": "\n", "r": "\r", "t": "\t", "0": "\0"}.get(n, n))
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


def parse_value(raw):
    """Splits `"name"=data` or `@=data` into (name, shown data)."""
    if raw.startswith("@="):
        name, data = "@", raw[2:]
    else:
        m = re.match(r'^"((?:[^"\\]|\\.)*)"=(.*)$', raw)
        if not m:
            return None
        name, data = unescape(m.group(1)), m.group(2)
    m = re.match(r'^(?:str\((\d+)\):)?"(.*)"$', data)
    if m:
        kind = {None: "sz", "2": "expand_sz", "7": "multi_sz"}.get(m.group(1), "str" + str(m.group(1)))
        return name, kind, unescape(m.group(2))
    return name, "raw", data


def aside(value):
    if not PATH.match(value):
        return value
    trimmed = value.rstrip("\\")
    if trimmed.lower().endswith("\\kestrix.dll"):
        return "<dir>\\Kestrix.dll"
    return "<dir>"


def entries(lines):
    result, key, own, pending = [], None, False, ""
    for line in lines:
        line = line.rstrip("\n")
        if pending:
            line = pending + line.lstrip()
            pending = ""
        if line.endswith("\\") and not line.startswith("["):
            pending = line[:-1]
            continue
        if line.startswith("["):
            key = unescape(line[1:line.rindex("]")])
            low = key.lower()
            own = low.startswith(CLASS_ROOTS) and any(o in low for o in OWN)
            if own:
                key = low
                result.append(key)
            continue
        if not own or not line or line.startswith("#") or line.startswith(";"):
            continue
        parsed = parse_value(line)
        if parsed:
            name, kind, data = parsed
            result.append("%s | %s = %s:%s" % (key, name, kind, aside(data)))
    return sorted(result, key=str.lower)


UNINSTALL = "software\\microsoft\\windows\\currentversion\\uninstall\\"


def products(lines):
    """DisplayName and DisplayVersion of every installed-programs entry of
    either view that has both."""
    found, key, values = [], None, {}

    def flush():
        if key and "DisplayName" in values and "DisplayVersion" in values:
            found.append("%s %s" % (values["DisplayName"], values["DisplayVersion"]))

    for line in lines:
        line = line.rstrip("\n")
        if line.startswith("["):
            flush()
            path = unescape(line[1:line.rindex("]")]).lower()
            key = path if UNINSTALL in path else None
            values = {}
        elif key:
            parsed = parse_value(line)
            if parsed:
                values[parsed[0]] = parsed[2]
    flush()
    return sorted(found)


def keys(lines, text):
    text = text.lower()
    return [unescape(l[1:l.rindex("]")]) for l in lines if l.startswith("[") and text in unescape(l).lower()]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("prefix")
    ap.add_argument("--out")
    ap.add_argument("--products", action="store_true")
    ap.add_argument("--keys")
    a = ap.parse_args()
    try:
        with open(a.prefix + "/system.reg", encoding="utf-8", errors="replace") as f:
            lines = f.readlines()
    except OSError as e:
        print("registry_entries: %s" % e, file=sys.stderr)
        return 1
    if a.products:
        found = products(lines)
    elif a.keys:
        found = keys(lines, a.keys)
    else:
        found = entries(lines)
    text = "".join(l + "\n" for l in found)
    if a.out:
        with open(a.out, "w") as f:
            f.write(text)
    else:
        sys.stdout.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
