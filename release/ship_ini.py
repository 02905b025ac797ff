#!/usr/bin/env python3
"""Writes the OPOS.INI that ships: the build's file without the bench's
hardware model (section BENCH), which only the test bench's simulated
terminal has. The [device] list is renumbered and its count set to match;
everything else is copied as it stands.

    ship_ini.py <in> <out>
"""
import re
import sys

BENCH = "bench"


def ship(lines):
    out, models, section = [], [], None
    for line in lines:
        header = re.match(r"\s*\[([^\]]*)\]", line)
        if header:
            section = header.group(1).strip().lower()
        if section == BENCH:
            continue
        entry = re.match(r"\s*device(\d+)\s*=\s*(.*?)\s*$", line, re.I)
        if section == "device" and entry:
            if entry.group(2).lower() != BENCH:
                models.append(entry.group(2))
                out.append(("model", line))
            continue
        if section == "device" and re.match(r"\s*count\s*=", line, re.I):
            out.append(("count", line))
            continue
        out.append(("line", line))
    result, n = [], 0
    for kind, line in out:
        end = "\r\n" if line.endswith("\r\n") else "\n" if line.endswith("\n") else ""
        if kind == "count":
            line = "count=%d%s" % (len(models), end)
        elif kind == "model":
            n += 1
            line = "device%d=%s%s" % (n, models[n - 1], end)
        result.append(line)
    # The blank line that separated a dropped last section goes with it.
    while result and not result[-1].strip():
        result.pop()
    return result


def main(src, dst):
    with open(src, newline="") as f:
        lines = f.readlines()
    with open(dst, "w", newline="") as f:
        f.writelines(ship(lines))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]) if len(sys.argv) == 3 else 2)
