#!/usr/bin/env python3
"""A whole run of TVRemover.exe that ends with its log at the support server.

Runs inside with-mail-servers.sh --postfix: a strict Postfix on port 25 behind
the support host name, in a private network namespace with its own Wine prefix.
On a machine without the product or the suite there is no configured sender: the
test answers "Yes" to the offer, types an address into the prompt window,
confirms the "submitted" box, and then reads the message Postfix delivered with
Python's e-mail parser (default policy): its Date and Message-ID parse, and it
carries the log file beside the tool, byte for byte.

    submission_e2e.py --exe TVRemover.exe --answer-box answer_box.exe --answer-prompt answer_prompt.exe
"""
import argparse
import email
import email.policy
import glob
import os
import pathlib
import re
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / "e2e"))

from machine import wine as w  # noqa: E402
from machine.checks import check, exit_code  # noqa: E402

SENDER = "e2e@tvremover.example"


def helper(*command):
    """A Windows helper answering a box or the prompt, started now."""
    return w.program(["wine", *command])


def answered(started, what):
    """What the helper read in its window, once it ended (at most a minute)."""
    try:
        done = started.finish(60)
    except subprocess.TimeoutExpired as late:
        check(False, what + " never appeared")
        return late.output.decode("cp1252", errors="replace").strip()
    check(done.returncode == 0, what + " never appeared")
    return done.stdout.decode("cp1252", errors="replace").strip()


def delivered_messages(mail_dir):
    """Postfix delivers after it accepted: wait a little for the maildir."""
    pattern = os.path.join(mail_dir, "postfix", "maildir", "new", "*")
    for _ in range(150):
        if glob.glob(pattern):
            break
        time.sleep(0.2)
    messages = []
    for path in sorted(glob.glob(pattern)):
        with open(path, "rb") as f:
            messages.append(email.message_from_binary_file(f, policy=email.policy.default))
    return messages


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--answer-box", required=True)
    parser.add_argument("--answer-prompt", required=True)
    args = parser.parse_args()
    exe = os.path.abspath(args.exe)
    if not os.path.isfile(exe):
        sys.exit("TVRemover.exe not found at %s: build the release tree first" % exe)
    folder = tempfile.mkdtemp(prefix="submission-e2e-")

    question = helper(args.answer_box, "Orvanta support", "6", "600000")
    prompt = helper(args.answer_prompt, SENDER, "600000")
    outcome = helper(args.answer_box, "Log file submitted", "1", "600000")
    tool = w.start(exe, cwd=folder)
    try:
        code = tool.wait(timeout=420)
    except subprocess.TimeoutExpired:
        tool.kill()
        code = tool.wait(timeout=30)
        check(False, "TVRemover.exe still ran after 420 s")
    check(code == 0, "exit code %d, expected 0" % code)
    check(answered(question, "the offer") ==
          "Would you like to send a log file to Orvanta support?", "the offer's text")
    answered(prompt, "the e-mail prompt")
    check(answered(outcome, "the box \"Log file submitted\"") ==
          "Thank you. The log file has been submitted.", "the outcome box's text")

    with open(os.path.join(folder, "TVRemover.log.txt"), "rb") as f:
        log = f.read()
    messages = delivered_messages(os.environ["TVR_MAIL_DIR"])
    check(len(messages) == 1, "%d messages delivered by Postfix, expected 1" % len(messages))
    if messages:
        message = messages[0]
        check([a.addr_spec for a in message["From"].addresses] == [SENDER],
              "From: %r" % message["From"])
        check(message["Subject"].startswith("OVFRemover.exe log OVF:NUL  OS:"),
              "Subject: %r" % message["Subject"])
        check(message["Delivered-To"] == "support@tvremover.example",
              "recipient %r" % message["Delivered-To"])
        date = message["Date"].datetime if message["Date"] else None
        check(date is not None and date.tzinfo is not None, "Date: %r" % message["Date"])
        check(re.match(r"^<[^<>@\s]+@[^<>@\s]+>$", str(message["Message-ID"] or "")) is not None,
              "Message-ID: %r" % message["Message-ID"])
        check(message.get_content_type() == "text/plain" and message["MIME-Version"] == "1.0",
              "MIME-Version %r, type %r" % (message["MIME-Version"], message.get_content_type()))
        check(message.get_payload(decode=True) == log,
              "the body is not the log beside the tool (%d bytes)" % len(log))
        check(log.startswith(b"\xef\xbb\xbf") and b"completed OK." in log, "the log is incomplete")
    return exit_code("submission_e2e: the log of a whole run arrived through a strict Postfix")


if __name__ == "__main__":
    sys.exit(main())
