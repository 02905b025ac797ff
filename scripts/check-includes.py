#!/usr/bin/env python3
"""The product's folders use nothing from the bench.

Fails when a file under service/ or setup/ includes a header that lives only
under bench/ (a header name that service/, setup/ and common/ do not also
have, or a path through bench/), or when a CMakeLists.txt there names a
target that bench/ defines or a path into it. Prints one line, or the
offending file:line list and exits 1.
"""
import os
import re
import sys

PRODUCT = ("service", "setup")
SOURCES = (".h", ".hpp", ".cpp", ".c", ".rc", ".idl")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
TARGET = re.compile(r'^\s*(?:add_library|add_executable|kx_add_gtest|kx_add_gui_test|kx_winio_library)\(\s*([\w.-]+)',
                     re.MULTILINE)
WORD = re.compile(r'[\w.-]+')


def walk(top):
    for root, dirs, files in os.walk(top):
        dirs[:] = sorted(d for d in dirs if not d.startswith("."))
        for f in sorted(files):
            yield os.path.join(root, f)


def main():
    os.chdir(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
    outside = set()
    for top in ("service", "setup", "common"):
        if os.path.isdir(top):
            outside.update(os.path.basename(p) for p in walk(top) if p.endswith((".h", ".hpp")))
    bench_headers = {os.path.basename(p) for p in walk("bench") if p.endswith((".h", ".hpp"))} - outside
    bench_targets = set()
    for p in walk("bench"):
        if os.path.basename(p) == "CMakeLists.txt":
            text = open(p, encoding="utf-8").read()
            bench_targets.update(TARGET.findall(text))
    bad, checked = [], 0
    for top in PRODUCT:
        for p in walk(top):
            name = os.path.basename(p)
            if name == "CMakeLists.txt" or p.endswith(".cmake"):
                checked += 1
                for n, line in enumerate(open(p, encoding="utf-8"), 1):
                    code = line.split("#", 1)[0]
                    # A name cut at "${" (targets made in a loop) matches as a prefix.
                    hits = sorted(w for w in set(WORD.findall(code))
                                  if w in bench_targets or any(t.endswith("_") and w.startswith(t)
                                                               for t in bench_targets))
                    if hits:
                        bad.append(f"{p}:{n}: names the bench's target {', '.join(hits)}")
                    elif re.search(r"(^|[/}\s])bench/", code):
                        bad.append(f"{p}:{n}: points into bench/")
            elif p.endswith(SOURCES):
                checked += 1
                for n, line in enumerate(open(p, encoding="utf-8", errors="replace"), 1):
                    m = INCLUDE.match(line)
                    if m and (os.path.basename(m.group(1)) in bench_headers
                              or re.search(r"(^|/)bench/", m.group(1))):
                        bad.append(f"{p}:{n}: includes the bench's {m.group(1)}")
    if bad:
        print("include check: service/ and setup/ use the bench:", file=sys.stderr)
        print("\n".join(bad), file=sys.stderr)
        return 1
    print(f"include check: service/ and setup/ use nothing from bench/ ({checked} files)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
