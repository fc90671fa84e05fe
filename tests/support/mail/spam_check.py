"""Scores a message with SpamAssassin, offline (no network rules, no learning).

    positive_rules(raw_bytes) -> (total score, [(score, rule)...] of rules with a positive score)

Judged by the rules that hit rather than the total: a message that passed a
loopback relay gains ALL_TRUSTED (-1.0), which would hide a point of real faults.
"""
import re
import subprocess


def positive_rules(raw):
    result = subprocess.run(["spamassassin", "-L", "-t", "-x"], input=raw, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, timeout=300, check=True)
    _, _, report = result.stdout.partition(b"Content analysis details:")
    total = re.search(rb"\((-?\d+\.\d+) points", report)
    assert total, "no SpamAssassin report: %r" % result.stderr[-400:]
    rules = re.findall(rb"^\s*(-?\d+\.\d+)\s+([A-Z0-9_]+)\s", report, re.M)
    return float(total.group(1)), [(float(s), n.decode()) for s, n in rules if float(s) > 0]
