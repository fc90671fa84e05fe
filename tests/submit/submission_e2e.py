#!/usr/bin/env python3
"""A whole run of TVRemover.exe that ends with its log at the support server.

Runs inside with-mail-servers.sh (aiosmtpd on port 25 behind the support host
name, in a private network namespace with its own Wine prefix). On a machine
without the product or the suite there is no configured sender: the test answers
"Yes" to the offer, types an address into the prompt window, confirms the
"submitted" box, and then reads the message aiosmtpd stored with Python's e-mail
parser: it carries the log file beside the tool, byte for byte.

    submission_e2e.py --exe TVRemover.exe --answer-box answer_box.exe --answer-prompt answer_prompt.exe
"""
import argparse
import mailbox
import os
import subprocess
import sys
import tempfile

SENDER = "e2e@tvremover.example"
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED: " + what, file=sys.stderr)


def helper(*command):
    return subprocess.Popen(["wine", *command], stdin=subprocess.DEVNULL,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE)


def helper_result(process, what):
    try:
        stdout, _ = process.communicate(timeout=60)
    except subprocess.TimeoutExpired:
        process.kill()
        stdout, _ = process.communicate()
    check(process.returncode == 0, what + " never appeared")
    return stdout.decode("cp1252", errors="replace").strip()


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
    tool = subprocess.Popen(["wine", exe], cwd=folder, stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        code = tool.wait(timeout=420)
    except subprocess.TimeoutExpired:
        tool.kill()
        code = tool.wait()
        check(False, "TVRemover.exe still ran after 420 s")
    check(code == 0, "exit code %d, expected 0" % code)
    check(helper_result(question, "the offer") ==
          "Would you like to send a log file to Orvanta support?", "the offer's text")
    helper_result(prompt, "the e-mail prompt")
    check(helper_result(outcome, "the box \"Log file submitted\"") ==
          "Thank you. The log file has been submitted.", "the outcome box's text")

    with open(os.path.join(folder, "TVRemover.log.txt"), "rb") as f:
        log = f.read()
    messages = list(mailbox.Maildir(os.path.join(os.environ["TVR_MAIL_DIR"], "maildir"),
                                    factory=None, create=False))
    check(len(messages) == 1, "%d messages arrived, expected 1" % len(messages))
    if messages:
        message = messages[0]
        check(message["From"] == "<%s>" % SENDER, "From: %r" % message["From"])
        check(message["Subject"].startswith("OVFRemover.exe log OVF:NUL  OS:"),
              "Subject: %r" % message["Subject"])
        check(message["X-RcptTo"] == "support@tvremover.example", "recipient %r" % message["X-RcptTo"])
        check(message.get_payload(decode=True) == log,
              "the body is not the log beside the tool (%d bytes)" % len(log))
        check(log.startswith(b"\xef\xbb\xbf") and b"completed OK." in log, "the log is incomplete")
    if failures:
        sys.exit("%d check(s) failed" % len(failures))
    print("submission_e2e: the log of a whole run arrived at the support server")


if __name__ == "__main__":
    main()
