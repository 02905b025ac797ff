#!/usr/bin/env python3
"""Turns com_entries.tsv into the installer package's registry components.

    com_entries.py <table> <win32|win64> <components.wxi> <refs.wxi>

Writes one component per registry view: "ComEntries" in the package's own
view and, for the 64-bit package only, "ComEntries32" in the 32-bit view;
and "ComProgIds" for the keys both views share, with one identity in both
packages, so Windows Installer counts its installs and removes it with the
last package.
<refs.wxi> holds the matching ComponentRef elements for the feature. A key
without values is written as a key the package creates and removes.
Exits 1 with a message on a malformed row.
"""
import sys
from xml.sax.saxutils import quoteattr


def rows(path, arch):
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\r\n")
            if not line or line.startswith("#"):
                continue
            cols = line.split("\t")
            if len(cols) == 3 and cols[2] == "-":
                cols.append("")
            if len(cols) != 4 or cols[0] not in ("own", "32", "shared") or not cols[1]:
                raise ValueError("%s:%d: expected view, key, name and value separated by tabs" % (path, number))
            view, key, name, value = cols
            yield view, key.replace("$(arch)", arch), name, value.replace("$(arch)", arch)


# The shared component's identity: the same in both packages.
SHARED_GUID = "3F6B2C84-7A1D-4E95-B0C2-58D9E41A7F36"


def component(ident, win64, entries, guid="*"):
    out = ['<Component Id="%s" Guid="%s" Win64="%s">' % (ident, guid, win64)]
    key_path = ' KeyPath="yes"'
    for key, name, value in entries:
        if name == "-":
            # Created on install, removed with its subkeys on uninstall.
            out.append('  <RegistryValue Root="HKCR" Key=%s Name="*" Type="string" Value=""/>' % quoteattr(key))
            continue
        named = "" if name == "@" else " Name=%s" % quoteattr(name)
        out.append('  <RegistryValue Root="HKCR" Key=%s%s Type="string" Value=%s%s/>'
                   % (quoteattr(key), named, quoteattr(value), key_path))
        key_path = ""
    out.append("</Component>")
    return out


def main(argv):
    if len(argv) != 5 or argv[2] not in ("win32", "win64"):
        print(__doc__, file=sys.stderr)
        return 2
    table, arch, components_path, refs_path = argv[1:]
    try:
        all_rows = list(rows(table, arch))
    except (OSError, ValueError) as e:
        print("com_entries: %s" % e, file=sys.stderr)
        return 1
    own = [(k, n, v) for view, k, n, v in all_rows if view == "own"]
    wow = [(k, n, v) for view, k, n, v in all_rows if view == "32"]
    lines = component("ComEntries", "yes" if arch == "win64" else "no", own)
    refs = ['<ComponentRef Id="ComEntries"/>']
    if arch == "win64" and wow:
        lines += component("ComEntries32", "no", wow)
        refs.append('<ComponentRef Id="ComEntries32"/>')
    shared = [(k, n, v) for view, k, n, v in all_rows if view == "shared"]
    if shared:
        lines += component("ComProgIds", "yes" if arch == "win64" else "no", shared, SHARED_GUID)
        refs.append('<ComponentRef Id="ComProgIds"/>')
    head = '<?xml version="1.0" encoding="utf-8"?>\n<!-- Generated from com_entries.tsv; do not edit. -->\n<Include>\n'
    with open(components_path, "w", encoding="utf-8") as f:
        f.write(head + "".join("  " + l + "\n" for l in lines) + "</Include>\n")
    with open(refs_path, "w", encoding="utf-8") as f:
        f.write(head + "".join("  " + l + "\n" for l in refs) + "</Include>\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
