#!/usr/bin/env python3
"""Turns the "BENCH|" lines of the benchmark programs into one table.

Each line: BENCH|key|label|median|worst|unit|reference|basis, one per figure
and run. Per architecture the table gives the median of the runs' medians and
the worst of their worsts, and the ratio of that median to the reference (the
fixed-wait design or the slowest allowed path, described by `basis`). A line
BENCH|note|subject|text says how a figure was taken (a figure of fewer runs,
its resolution); it goes into the header once, or once per architecture where
their texts differ.
Usage: bench-table.py --runs N [--doc FILE] win32=FILE win64=FILE
"""
import argparse
import datetime
import os
import platform
import statistics
import subprocess


def read(path):
    if not os.path.exists(path):
        return None
    with open(path) as f:
        lines = [l.rstrip("\n") for l in f]
    if lines and lines[0] == "NOT RUN":
        return None
    figures = {}
    order = []
    notes = []
    for line in lines:
        parts = line.split("|")
        if len(parts) == 4 and parts[:2] == ["BENCH", "note"]:
            if tuple(parts[2:]) not in notes:
                notes.append(tuple(parts[2:]))
            continue
        if len(parts) != 8 or parts[0] != "BENCH":
            continue
        _, key, label, median, worst, unit, reference, basis = parts
        if key not in figures:
            figures[key] = {"label": label, "unit": unit, "reference": float(reference), "basis": basis,
                            "medians": [], "worsts": []}
            order.append(key)
        figures[key]["medians"].append(float(median))
        figures[key]["worsts"].append(float(worst))
    return figures, order, notes


def header_notes(archs):
    """Header lines "subject: text", once when every architecture that ran gave
    the same text, else one line per architecture."""
    ran = [(name, data[2]) for name, data in archs if data]
    lines = []
    for name, notes in ran:
        for subject, text in notes:
            if all((subject, text) in other for _, other in ran):
                line = f"{subject}: {text}"
                if line not in lines:
                    lines.append(line)
            else:
                lines.append(f"{subject}, {name}: {text}")
    return lines


def machine():
    cpu = "unknown CPU"
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    cpu = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    wine = "unknown"
    for loader in ("/usr/lib/wine/wine64", "/usr/lib/wine/wine"):
        try:
            wine = subprocess.run([loader, "--version"], capture_output=True, text=True, timeout=20).stdout.strip()
            if wine:
                break
        except (OSError, subprocess.SubprocessError):
            continue
    load = os.getloadavg()[0] if hasattr(os, "getloadavg") else 0.0
    return (f"{cpu}, {os.cpu_count()} logical CPUs, {platform.system()} {platform.release()} {platform.machine()}, "
            f"{wine}, load average {load:.1f} at the end of the run")


def fmt(v):
    if v == 0:
        return "0"
    if abs(v) >= 100:
        return f"{v:.0f}"
    if abs(v) >= 1:
        return f"{v:.2f}"
    return f"{v:.4f}"


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--runs", type=int, default=3)
    ap.add_argument("--doc")
    ap.add_argument("results", nargs="+")
    a = ap.parse_args()
    archs = []
    for r in a.results:
        name, path = r.split("=", 1)
        archs.append((name, read(path)))
    order = []
    info = {}
    for _, data in archs:
        if data:
            figures, keys, _ = data
            for k in keys:
                if k not in info:
                    info[k] = figures[k]
                    order.append(k)
    head = ["figure", "unit"]
    for name, _ in archs:
        head += [f"{name} median", f"{name} worst", f"{name} ratio"]
    head += ["reference", "reference is"]
    rows = []
    for k in order:
        f = info[k]
        row = [f["label"], f["unit"]]
        for name, data in archs:
            if not data:
                row += ["not run", "not run", "not run"]
                continue
            g = data[0].get(k)
            if not g:
                row += ["-", "-", "-"]
                continue
            med = statistics.median(g["medians"])
            worst = max(g["worsts"])
            ratio = med / g["reference"] if g["reference"] else None
            row += [fmt(med), fmt(worst), f"{ratio:.4f}" if ratio is not None else "-"]
        row += [fmt(f["reference"]) if f["reference"] else "-", f["basis"] or "-"]
        rows.append(row)
    table = ["| " + " | ".join(head) + " |", "|" + "|".join("---" for _ in head) + "|"]
    table += ["| " + " | ".join(r) + " |" for r in rows]
    when = datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC")
    try:
        commit = subprocess.run(["git", "rev-parse", "--short", "HEAD"], capture_output=True, text=True).stdout.strip()
        dirty = subprocess.run(["git", "status", "--porcelain", "--untracked-files=no"], capture_output=True,
                               text=True).stdout.strip()
        if dirty:
            commit += " (with uncommitted changes)"
    except OSError:
        commit = "unknown"
    m = machine()
    print()
    print(f"Benchmarks, {when}, commit {commit}; median and worst of {a.runs} runs per architecture")
    print(f"Machine: {m}")
    print("Ratio: median / reference (below 1: faster than the fixed-wait design or the slowest allowed path)")
    notes = header_notes(archs)
    for n in notes:
        print(n)
    print()
    for line in table:
        print(line)
    if a.doc:
        os.makedirs(os.path.dirname(a.doc) or ".", exist_ok=True)
        with open(a.doc, "w") as f:
            f.write("# Benchmarks\n\n")
            f.write("Written by `make bench` (scripts/bench.sh); do not edit by hand.\n\n")
            f.write(f"- Date: {when}\n- Commit: {commit}\n- Runs: median and worst of {a.runs} runs of each "
                    "benchmark program per architecture\n")
            for n in notes:
                f.write(f"- {n}\n")
            f.write(f"- Machine: {m}\n")
            f.write("- Ratio: median divided by the reference, the figure the fixed-wait design or the slowest "
                    "allowed path would give (below 1 is better)\n\n")
            f.write("\n".join(table) + "\n")


if __name__ == "__main__":
    main()
