#!/usr/bin/env python3
"""Compares the devices of two provisioning files by name: every device of
<source> must be in <copy> with exactly the same values (types included);
<copy> may hold others (the bench's own drawer). Prints what differs.

    same_devices.py <source.json> <copy.json>
"""
import json
import sys


def main(source, copy):
    a = {d["name"]: d for d in json.load(open(source, encoding="utf-8"))["devices"]}
    b = {d["name"]: d for d in json.load(open(copy, encoding="utf-8"))["devices"]}
    bad = 0
    for name, d in a.items():
        if name not in b:
            print("missing: %s" % name)
            bad += 1
        elif json.dumps(d, sort_keys=True) != json.dumps(b[name], sort_keys=True):
            print("differs: %s\n  source %s\n  copy   %s" % (name, json.dumps(d, sort_keys=True),
                                                          json.dumps(b[name], sort_keys=True)))
            bad += 1
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]) if len(sys.argv) == 3 else 2)
