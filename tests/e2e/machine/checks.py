"""Checks of an end-to-end script: each failed check is reported at once and
remembered, and the script's exit code says whether any failed."""
import sys

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED: " + what, file=sys.stderr)
    return condition


def exit_code(passed_line):
    """1 after any failed check, else 0 once `passed_line` is printed."""
    if failures:
        print("%d check(s) failed" % len(failures), file=sys.stderr)
        return 1
    print(passed_line)
    return 0
