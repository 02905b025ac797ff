#!/usr/bin/env python3
"""Writes the bad provisioning files of the fleet test into <outdir>, each
made from the good file <devices.json> with one fault, and prints the table
the test runs: one line per case, "<file>\t<exit code>\t<message the
import must print>". The missing file is listed but not written.

    bad_files.py <devices.json> <outdir>
"""
import copy
import json
import os
import sys


def device(good, name):
    return copy.deepcopy(next(d for d in good["devices"] if d["name"] == name))


def one(good, d):
    f = copy.deepcopy(good)
    f["devices"] = [d]
    return json.dumps(f, indent=2)


def main(path, out):
    good = json.load(open(path, encoding="utf-8"))
    bench = device(good, "FleetBench")
    bench["name"] = bench["values"]["DeviceName"] = "FleetBad"

    cases = []

    def case(name, text, code, message):
        if text is not None:
            with open(os.path.join(out, name), "w", encoding="utf-8") as f:
                f.write(text)
        cases.append((name, code, message))

    case("broken.json", '{"format": 1, "devices": [', 2, "not JSON: parse error at line 1, column 27")
    d = copy.deepcopy(bench)
    d["values"]["PulseOnTime"] = [100]
    case("unknown-type.json", one(good, d), 1, "FleetBad: PulseOnTime: is a list; a value is a text or a whole number")
    d = copy.deepcopy(bench)
    d["values"]["Timeout"] = -5
    case("negative-timeout.json", one(good, d), 1, "FleetBad: Timeout: -5 is outside 1 to 32767")
    d = copy.deepcopy(bench)
    d["name"] = d["values"]["DeviceName"] = "Fleet\\Bad"
    case("backslash.json", one(good, d), 1, "Fleet\\Bad: name: must be a key name: not empty, no backslash")
    d = copy.deepcopy(bench)
    d["values"]["MasterValue"] = 42
    case("mastervalue-42.json", one(good, d), 1, "FleetBad: MasterValue: 42 selects no hardware model")
    d = device(good, "FleetHand")
    d["name"] = d["values"]["DeviceName"] = "FleetBad"
    del d["values"]["CD_Port"]
    case("no-cd-port.json", one(good, d), 1, "FleetBad: CD_Port: missing")
    empty = copy.deepcopy(good)
    empty["devices"] = []
    case("empty.json", json.dumps(empty), 2, '"devices" is empty: there is nothing to import')
    case("50mb.json", one(good, bench) + " " * (50 * 1024 * 1024), 2, "larger than 8 MiB")
    case("missing.json", None, 2, "no such file")
    for name, code, message in cases:
        print("%s\t%d\t%s" % (name, code, message))


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]) if len(sys.argv) == 3 else 2)
