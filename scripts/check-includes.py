#!/usr/bin/env python3
"""Fails when a file includes a header of a layer above its own.

    check-includes.py [REPO]

The product's layers, lowest first: support/, cleaning/, suite/ and submit/
(one layer, which do not include each other), driver/. A file may include its
own folder's layer and those below it, never a test's header.

Tests (tests/) may include any product header, the headers of their own folder
under tests/ (tests/suite/ for tests/suite/...), and the shared test helpers of
tests/common/.
"""
import pathlib
import re
import sys

# Product folders and their rank: a file may include only ranks up to its own.
LAYERS = {"support": 0, "cleaning": 1, "suite": 2, "submit": 2, "driver": 3}
# Folders of one rank that still must not include each other.
SIBLINGS = {("suite", "submit"), ("submit", "suite")}
# Test helpers every test folder may include (path prefixes below the repo).
SHARED_TEST_HELPERS = "tests/common/"

SOURCE_SUFFIXES = {".h", ".hpp", ".cpp", ".cc", ".c", ".rc"}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def resolve(repo, including, name):
    """The repo-relative path an include names, or None for a header outside the repo."""
    for base in (including.parent, repo):
        candidate = (base / name).resolve()
        if candidate.is_file():
            try:
                return candidate.relative_to(repo).as_posix()
            except ValueError:
                return None
    # A header that does not exist yet still names its folder when written from the top.
    return name if name.split("/", 1)[0] in LAYERS or name.startswith("tests/") else None


def folder_of(path):
    return path.split("/", 1)[0]


def test_folder_of(path):
    """tests/X/... -> "tests/X/"."""
    parts = path.split("/")
    return "/".join(parts[:2]) + "/" if len(parts) > 2 else "tests/"


def product_violation(source, target):
    own, other = folder_of(source), folder_of(target)
    if other == "tests":
        return "product code includes a test header"
    if other not in LAYERS:
        return None
    if LAYERS[other] > LAYERS[own] or (own, other) in SIBLINGS:
        return "%s/ includes %s/, a layer above or beside it" % (own, other)
    return None


def test_violation(source, target):
    if not target.startswith("tests/"):
        return None
    if target.startswith(test_folder_of(source)) or target.startswith(SHARED_TEST_HELPERS):
        return None
    return "a test includes another test folder's header"


def main():
    repo = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
    roots = list(LAYERS) + ["tests"]
    problems = []
    for root in roots:
        for path in sorted((repo / root).rglob("*")):
            if path.suffix not in SOURCE_SUFFIXES or not path.is_file():
                continue
            source = path.relative_to(repo).as_posix()
            check = test_violation if root == "tests" else product_violation
            lines = path.read_text(encoding="utf-8", errors="replace").splitlines()
            for number, line in enumerate(lines, 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                target = resolve(repo, path, match.group(1))
                problem = target and check(source, target)
                if problem:
                    problems.append("%s:%d: includes %s: %s" % (source, number, target, problem))
    for problem in problems:
        print(problem)
    print("include directions: %d wrong" % len(problems) if problems else
          "include directions: all right")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
