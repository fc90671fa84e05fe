#!/usr/bin/python3
"""Writes a registry file with COUNT empty keys spread over HKLM\\SOFTWARE, HKCU
and HKCR (a third each), in groups of GROUP keys, for `reg import`.

Usage: seed_registry.py FILE [COUNT] [GROUP]
"""
import sys

ROOTS = [
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\TVRBenchSeed",
    "HKEY_CURRENT_USER\\Software\\TVRBenchSeed",
    "HKEY_CLASSES_ROOT\\TVRBenchSeed",
]


def main():
    path = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 200000
    group = int(sys.argv[3]) if len(sys.argv) > 3 else 500
    lines = ["REGEDIT4", ""]
    for number in range(count):
        root = ROOTS[number % len(ROOTS)]
        index = number // len(ROOTS)
        lines.append("[%s\\Group%04d\\Key%06d]" % (root, index // group, index))
        lines.append("")
    with open(path, "w", newline="\r\n") as out:
        out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
