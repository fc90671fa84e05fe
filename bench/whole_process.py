#!/usr/bin/python3
"""Whole-process figures, run inside a Wine prefix (WINEPREFIX) by inner.sh.

Usage: whole_process.py OUT_JSON REPETITIONS

Tree removal: the tool's remove_folder (remove_folder_once.exe) against
`cmd /c rmdir /s /q`, each on its own copy of one tree made natively.
SMTP delivery: the tool's submission of a 10 MB log (submit_once.exe) against
curl sending the message the server received from the tool, to the same server;
the same runs give the memory figure. Ours and the baseline alternate, and
which goes first alternates too.
"""
import email
import glob
import json
import os
import re
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
PROGRAMS = os.environ["TVR_BENCH_PROGRAMS"]
PREFIX = os.environ["WINEPREFIX"]
DRIVE = os.path.join(PREFIX, "drive_c")
WORK = os.path.join(DRIVE, "bench")
TREE_FILES = int(os.environ.get("TVR_BENCH_TREE_FILES", "20000"))
TREE_FOLDERS = int(os.environ.get("TVR_BENCH_TREE_FOLDERS", "2000"))
LOG_BYTES = int(os.environ.get("TVR_BENCH_LOG_BYTES", str(10 * 1024 * 1024)))
MAIL_HOST = "mail.tvremover.example"
SENDER = "bench@tvremover.example"
RECIPIENT = "support@tvremover.example"


def windows_path(path):
    return "C:\\" + os.path.relpath(path, DRIVE).replace("/", "\\")


def timed(command, **kwargs):
    start = time.monotonic()
    result = subprocess.run(command, stdin=subprocess.DEVNULL, capture_output=True, **kwargs)
    return time.monotonic() - start, result


def wine(*arguments):
    return ["wine"] + list(arguments)


def order(repetition, ours, baseline):
    return [ours, baseline] if repetition % 2 == 0 else [baseline, ours]


def tree_removal(repetitions):
    template = os.path.join(WORK, "tree-template")
    start = time.monotonic()
    subprocess.run([sys.executable, os.path.join(HERE, "make_tree.py"), template,
                    str(TREE_FILES), str(TREE_FOLDERS)], check=True)
    made = time.monotonic() - start
    runs = {"ours": [], "baseline": []}

    def run(kind, repetition):
        target = os.path.join(WORK, "tree-%s-%d" % (kind, repetition))
        shutil.copytree(template, target)
        if kind == "ours":
            command = wine(os.path.join(PROGRAMS, "remove_folder_once.exe"), windows_path(target))
        else:
            command = wine("cmd", "/c", "rmdir", "/s", "/q", windows_path(target))
        seconds, result = timed(command)
        if os.path.exists(target):
            raise SystemExit("tree removal (%s) left %s behind: %s" % (kind, target, result.stderr))
        runs[kind].append(seconds)

    for repetition in range(repetitions):
        for kind in order(repetition, "ours", "baseline"):
            run(kind, repetition)
    shutil.rmtree(template)
    return {"runs": runs, "setup_seconds": made}


def write_log(path):
    """A log as the tool writes it: UTF-8 with a byte-order mark, CR LF lines."""
    line_number = 0
    with open(path, "wb") as out:
        out.write(b"\xef\xbb\xbf")
        written = 3
        while written < LOG_BYTES:
            line = ("2026/12/08 20:30:%02d    C:\\Program Files\\Corvane\\Tarvello\\data\\"
                    "entry%07d.dat removed\r\n" % (line_number % 60, line_number)).encode()
            out.write(line)
            written += len(line)
            line_number += 1


def received_messages(maildir):
    return sorted(glob.glob(os.path.join(maildir, "new", "*")), key=os.path.getmtime)


def message_for_curl(stored, path):
    """The message as the tool sent it: the server's own trace headers dropped."""
    with open(stored, "rb") as source:
        data = source.read()
    head, _, body = data.partition(b"\n\n")
    kept = [line for line in head.split(b"\n")
            if not re.match(rb"(X-Peer|X-MailFrom|X-RcptTo):", line)]
    with open(path, "wb") as out:
        out.write(b"\n".join(kept) + b"\n\n" + body)


def check_body(stored, log_path):
    """A figure for a message that lost or changed part of the log is no figure."""
    with open(stored, "rb") as source:
        body = email.message_from_bytes(source.read()).get_payload(decode=True)
    with open(log_path, "rb") as source:
        log = source.read()
    if body not in (log, log[3:]):
        raise SystemExit("the delivered message does not hold the log (%d bytes, log %d)"
                         % (len(body), len(log)))


def smtp_delivery(repetitions):
    maildir = os.path.join(os.environ["TVR_MAIL_DIR"], "maildir")
    log_base = os.path.join(WORK, "TVRemover")
    write_log(log_base + ".log.txt")
    message = os.path.join(WORK, "message.eml")
    runs = {"ours": [], "baseline": []}
    memory = []

    def run(kind):
        before = len(received_messages(maildir))
        if kind == "ours":
            seconds, result = timed(wine(os.path.join(PROGRAMS, "submit_once.exe"),
                                         windows_path(log_base), MAIL_HOST, "25", SENDER))
            report = dict(line.split(" ", 1) for line in
                          result.stdout.decode(errors="replace").replace("\r", "").splitlines()
                          if " " in line)
            if result.returncode != 0:
                raise SystemExit("submission failed: %s %s" % (report, result.stderr[-2000:]))
            memory.append({key: int(report[key]) for key in
                           ("working_set_before", "peak_working_set_before",
                            "peak_working_set_after")})
        else:
            seconds, result = timed(["curl", "-sS", "--url", "smtp://%s:25" % MAIL_HOST,
                                     "--mail-from", SENDER, "--mail-rcpt", RECIPIENT,
                                     "--upload-file", message, "--crlf"])
            if result.returncode != 0:
                raise SystemExit("curl failed: %s" % result.stderr)
        if len(received_messages(maildir)) != before + 1:
            raise SystemExit("the server did not store the message sent by %s" % kind)
        if kind == "ours" and not os.path.exists(message):
            check_body(received_messages(maildir)[-1], log_base + ".log.txt")
            message_for_curl(received_messages(maildir)[-1], message)
        runs[kind].append(seconds)

    # The first run is ours: it gives the message that curl sends.
    for repetition in range(repetitions):
        for kind in order(repetition, "ours", "baseline"):
            run(kind)
    return {"runs": runs, "memory": memory, "log_bytes": os.path.getsize(log_base + ".log.txt"),
            "message_bytes": os.path.getsize(message)}


def main():
    out_path, repetitions = sys.argv[1], int(sys.argv[2])
    os.makedirs(WORK, exist_ok=True)
    figures = {}
    if os.environ.get("TVR_BENCH_SKIP_TREE") is None:
        figures["tree"] = tree_removal(repetitions)
    if os.environ.get("TVR_MAIL_DIR"):
        figures["smtp"] = smtp_delivery(repetitions)
    with open(out_path, "w") as out:
        json.dump(figures, out, indent=1)


if __name__ == "__main__":
    main()
