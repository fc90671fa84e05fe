#!/usr/bin/env python3
"""Fails when a test case skipped that should have run in this configuration.

    check-skips.py CONFIG FOLDER CTEST_OUTPUT

FOLDER holds the XML reports the gtest programs wrote (GTEST_OUTPUT=xml:FOLDER/),
CTEST_OUTPUT what ctest printed; CONFIG names the run (native, win64, win32,
xp64, e2e). A skipped gtest case passes in ctest's count, so without this a test
that never runs would look like one that holds. Only the cases below may skip,
each where it cannot run (the README's Tests section lists them).
"""
import pathlib
import re
import sys
import xml.etree.ElementTree as ElementTree

ALLOWED = {
    # Wine reports 64-bit Windows XP only in a 64-bit prefix.
    "win32": {"ReportedVersion.SixtyFourBitXpIsAWorkstation"},
}


def skipped_cases(folder):
    """[(report file, "Suite.Case", message)] of every skipped case."""
    found = []
    for report in sorted(pathlib.Path(folder).rglob("*.xml")):
        for case in ElementTree.parse(report).iter("testcase"):
            skip = case.find("skipped")
            if case.get("result") == "skipped" or skip is not None:
                name = "%s.%s" % (case.get("classname"), case.get("name"))
                found.append((report.name, name, skip.get("message", "") if skip is not None else ""))
    return found


def skipped_tests(ctest_output):
    """[("ctest", test name, why)] of the tests ctest did not run."""
    listed = re.findall(r"^\s*\d+ - (\S+) \((Skipped|Not Run)\)\s*$", ctest_output, re.M)
    return [("ctest", name, why) for name, why in listed]


def main():
    config, folder, ctest_output = sys.argv[1:4]
    reports = list(pathlib.Path(folder).rglob("*.xml"))
    if not reports:
        print("check-skips: no test reports in %s" % folder, file=sys.stderr)
        return 1
    allowed = ALLOWED.get(config, set())
    found = skipped_cases(folder) + skipped_tests(
        pathlib.Path(ctest_output).read_text(errors="replace"))
    unexpected = [skip for skip in found if skip[1] not in allowed]
    for report, name, message in unexpected:
        print("SKIPPED in the %s run (%s): %s: %s" % (config, report, name, " ".join(message.split())),
              file=sys.stderr)
    print("check-skips: %s run, %d reports, %d unexpected skips" %
          (config, len(reports), len(unexpected)))
    return 1 if unexpected else 0


if __name__ == "__main__":
    sys.exit(main())
