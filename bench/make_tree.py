#!/usr/bin/python3
"""Builds a folder tree of FILES small files in FOLDERS folders (ten levels of
nesting at most), natively: under Wine the same takes minutes.

Usage: make_tree.py ROOT [FILES] [FOLDERS]
"""
import os
import sys


def main():
    root = sys.argv[1]
    files = int(sys.argv[2]) if len(sys.argv) > 2 else 20000
    folders = int(sys.argv[3]) if len(sys.argv) > 3 else 2000
    paths = []
    for number in range(folders):
        # Folder n lives in folder n // 10 (a tree of fan-out 10); 0 is the root's child.
        parent = paths[(number - 1) // 10] if number > 0 else root
        paths.append(os.path.join(parent, "dir%04d" % number))
    for path in paths:
        os.makedirs(path, exist_ok=True)
    per_folder = files // folders
    for number, path in enumerate(paths):
        for index in range(per_folder):
            with open(os.path.join(path, "file%02d.dat" % index), "wb") as out:
                out.write(b"x" * 100)


if __name__ == "__main__":
    main()
