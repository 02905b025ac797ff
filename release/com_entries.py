#!/usr/bin/env python3
"""Turns com_entries.tsv into the installer package's registry components.

    com_entries.py <table> <win32|win64> <components.wxi> <refs.wxi>

Writes "ComEntries", the package's own component: the "own" rows in its
view and, for the 64-bit package, the "64" rows. The entries both packages
need go into components with one identity (GUID, content, view) in both
packages, so Windows Installer counts the packages that installed them and
removes them with the last: "ComTypeLib" for the "32" rows, written through
the 32-bit view (a 32-bit package can hold no 64-bit component), and
"ComProgIds" for the keys both views share.
<refs.wxi> holds the matching ComponentRef elements for the feature. A key
without values is written as a key the package creates and removes.
Exits 1 with a message on a malformed row.
"""
import sys
from xml.sax.saxutils import quoteattr


VIEWS = ("own", "64", "32", "shared")


def rows(path, arch):
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\r\n")
            if not line or line.startswith("#"):
                continue
            cols = line.split("\t")
            if len(cols) == 3 and cols[2] == "-":
                cols.append("")
            if len(cols) != 4 or cols[0] not in VIEWS or not cols[1]:
                raise ValueError("%s:%d: expected view, key, name and value separated by tabs" % (path, number))
            view, key, name, value = cols
            yield view, key.replace("$(arch)", arch), name, value.replace("$(arch)", arch)


# The common components' identities: the same in both packages, and new
# whenever a component's content changes.
SHARED_GUID = "3F6B2C84-7A1D-4E95-B0C2-58D9E41A7F36"
TYPELIB_GUID = "B71E0C5A-3D92-4F68-A4E1-0C6F28D9B357"


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
    own_views = ("own", "64") if arch == "win64" else ("own",)
    own = [(k, n, v) for view, k, n, v in all_rows if view in own_views]
    lines = component("ComEntries", "yes" if arch == "win64" else "no", own)
    refs = ['<ComponentRef Id="ComEntries"/>']
    common = [(k, n, v) for view, k, n, v in all_rows if view == "32"]
    if common:
        lines += component("ComTypeLib", "no", common, TYPELIB_GUID)
        refs.append('<ComponentRef Id="ComTypeLib"/>')
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
