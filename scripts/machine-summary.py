#!/usr/bin/env python3
"""Seeds, snapshots and compares a Wine machine for people to read.

    machine-summary.py seed --program FILE...    full Tarvello + Pellane installation
    machine-summary.py start --program FILE...   start the tray and the tools service
    machine-summary.py snapshot FILE             registry + drive C into FILE (JSON);
                                                 ends the prefix's Wine processes
    machine-summary.py compare BEFORE AFTER      what was removed, what stayed and why,
                                                 and anything changed outside

seed, start and snapshot work on the prefix in WINEPREFIX; the programs are the
built stand-ins of the suite (CorvaneSuiteService.exe, CorvaneTray.exe,
Pellane2.exe, suite_config_writer.exe). The library is tests/e2e/machine.
"""
import argparse
import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "tests" / "e2e"))

from machine import installation, snapshot, summary  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("command", choices=["seed", "start", "snapshot", "compare"])
    parser.add_argument("files", nargs="*")
    parser.add_argument("--program", action="append", default=[])
    args = parser.parse_args()
    if args.command == "seed":
        installation.installation(args.program).seed(start=False)
    elif args.command == "start":
        installation.installation(args.program).start()
    elif args.command == "snapshot":
        snapshot.save(snapshot.take(), args.files[0])
    else:
        before, after = (snapshot.load(f) for f in args.files[:2])
        print("\n".join(summary.lines(before, after, snapshot.diff(before, after))))
    return 0


if __name__ == "__main__":
    sys.exit(main())
