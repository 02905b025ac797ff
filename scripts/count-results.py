#!/usr/bin/env python3
"""Adds up the results of the CTest runs of the given build trees.

A CTest test whose GoogleTest report exists counts as its test cases; any
other test (scripts) counts as one, and a fixture only when it fails. A test that failed without a
failing case in its report (a crash, a time-out) counts as one more failure.
"""
import os
import sys
import xml.etree.ElementTree as ET


def gtest_counts(path):
    root = ET.parse(path).getroot()
    tests = int(root.get("tests", 0))
    failures = int(root.get("failures", 0)) + int(root.get("errors", 0))
    skipped = int(root.get("disabled", 0)) + int(root.get("skipped", 0))
    return tests - failures - skipped, failures, skipped


def main(argv):
    presets, build_failures = [], 0
    it = iter(argv)
    for a in it:
        if a == "--build-failures":
            build_failures = int(next(it))
        else:
            presets.append(a)
    passed, failed, skipped = 0, build_failures, 0
    for p in presets:
        reports = os.path.join("build", p, "test-reports")
        ctest = os.path.join(reports, "ctest.xml")
        if not os.path.exists(ctest):
            continue
        for case in ET.parse(ctest).getroot().iter("testcase"):
            name = case.get("name")
            ok = case.get("status") in ("run", "passed", None) and case.find("failure") is None \
                and case.find("error") is None
            if case.find("skipped") is not None or case.get("status") in ("notrun", "disabled"):
                if case.get("status") == "notrun" and not name.startswith("fixture."):
                    failed += 1
                    print(f"[{p}] not run: {name}")
                continue
            report = os.path.join(reports, name + ".xml")
            if os.path.exists(report):
                try:
                    np, nf, ns = gtest_counts(report)
                except ET.ParseError:
                    np, nf, ns = 0, 1, 0
                passed += np
                failed += nf
                skipped += ns
                if not ok and nf == 0:
                    failed += 1
                    print(f"[{p}] failed outside its cases: {name}")
            elif ok:
                # Fixtures (Xvfb, Wine prefix) count only when they fail.
                if not name.startswith("fixture."):
                    passed += 1
            else:
                failed += 1
                print(f"[{p}] failed: {name}")
    line = f"{passed} passed, {failed} failed"
    if skipped:
        line += f", {skipped} skipped"
    print(line)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
