#!/usr/bin/env python3
"""End-to-end runs of TVRemover.exe in the Wine prefix named by WINEPREFIX.

    removal_run_e2e.py CASE --exe TVRemover.exe --answer-box answer_box.exe

CASE is one of:
  fresh             a machine without the product: the whole run, exit code 0
  too_old           a Windows NT 4 machine with the product installed: refusal
                    box, exit code 1, nothing on the machine changed
  log_not_writable  the log beside the tool cannot be created: one box, the run
                    goes on, and the end is a 3-second pause

Run it through scripts/with-prefix.sh, which makes the throw-away prefix.
"""
import argparse
import os
import pathlib
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

from machine import footprint, installation, run, snapshot, wine  # noqa: E402
from machine.checks import check, exit_code  # noqa: E402

UNDETECTED = [
    "Unable to detect the version of Tarvello, probably nothing to clean ...",
    "Making preventive cleaning in assumption that OV was installed before.",
]


def split_entries(lines, source):
    """Entries of a log in the order written, each checked for its time-stamp
    prefix. A line without one continues the entry before it: an entry may hold
    line feeds of its own (the output of a command, a two-line message)."""
    entries = []
    for line in lines:
        if run.STAMP.match(line):
            entries.append(line[run.STAMP_WIDTH:])
        elif entries:
            entries[-1] += "\n" + line
        else:
            check(False, "%s: first line without the time-stamp prefix: %r" % (source, line))
    return entries


def read_log_file(path):
    with open(path, "rb") as f:
        data = f.read()
    check(data.startswith(b"\xef\xbb\xbf"), path + ": no UTF-8 byte-order mark")
    check(data.endswith(b"\r\n"), path + ": does not end in CR LF")
    body = data[3:].decode("utf-8")
    return split_entries(body[:-2].split("\r\n"), path)


def console_entries(stdout):
    text = stdout.decode("cp437", errors="replace").replace("\r\n", "\n")
    return split_entries(text[:-1].split("\n") if text.endswith("\n") else [text], "console")


def box_text(output):
    return output.decode("cp1252", errors="replace").replace("\r\n", "\n").rstrip("\n")


def answer_box(answer_box_exe, caption, button):
    out = wine.wine(answer_box_exe, caption, str(button), "60000", timeout=120)
    check(out.returncode == 0, "no message box captioned %r appeared" % caption)
    return box_text(out.stdout)


def decline_submission(answer_box_exe):
    """Answers No to the offer to send the log, whenever it comes."""
    return wine.program(["wine", answer_box_exe, "Orvanta support", "7", "600000"])


def question_asked(answerer):
    """The offer's text once the tool has ended, or None when it never came."""
    if answerer.running():
        answerer.kill()
        return None
    return box_text(answerer.output()) if answerer.process.returncode == 0 else None


def finish(tool):
    try:
        stdout = tool.finish(300).stdout
    except subprocess.TimeoutExpired as late:
        stdout = late.output
        check(False, "TVRemover.exe still ran after 300 s (waiting for an unanswered box?)")
    return tool.process.returncode, stdout


def index_after(entries, wanted, start):
    try:
        return entries.index(wanted, start)
    except ValueError:
        check(False, "missing after entry %d: %r" % (start, wanted))
        return None


def check_complete_run(entries, source, program_files):
    """Banner, edition, administrator check, detection, framed stages, completion."""
    check(entries[:3] == ["", run.BANNER, ""], source + ": banner")
    # Wine reports Windows 7 SP1 unless told otherwise.
    check(entries[3:5] == ["Windows 7 Service Pack 1", ""], source + ": edition")
    at = index_after(entries, run.ADMIN_CHECK, 0)
    if at is None:
        return
    check(entries[at + 1:at + 4] == ["", run.SEPARATOR, ""], source + ": administrator verdict")
    at = index_after(entries, UNDETECTED[0], at)
    if at is None:
        return
    folder = program_files + "\\Corvane\\Tarvello\\"
    check(entries[at:at + 4] == UNDETECTED + ["Tarvello directory: " + folder, ""],
          source + ": detection lines, folder " + folder)
    check(not any(e.startswith("Product Version (int): ") for e in entries),
          source + ": a version was reported on a machine without the product")
    check(entries[at + 4] == run.STAGES[0], source + ": first stage follows the folder")
    for number, heading in enumerate(run.STAGES):
        found = index_after(entries, heading, at)
        if found is None:
            return
        check(entries[found + 1] == "", source + ": empty line after " + heading)
        if number > 0:
            closed = any(entries[i:i + 2] == [run.SEPARATOR, ""] for i in range(at, found))
            check(closed, source + ": the stage before " + heading + " is not closed")
        # The Installer database passes between stages 2 and 4 frame themselves.
        if number > 0 and heading != run.STAGES[2]:
            check(entries[found - 2:found] == [run.SEPARATOR, ""],
                  source + ": closing lines right before " + heading)
        at = found
    end = index_after(entries, run.COMPLETED, at)
    if end is not None:
        check(entries[end - 2:end] == [run.SEPARATOR, ""], source + ": last stage closed")
        check(entries[end + 1:] == ["", "", ""], source + ": three empty lines end the log")


def case_fresh(args, folder):
    started = time.time()
    answerer = decline_submission(args.answer_box)
    tool = run.start(args.exe, folder, answer_no_box=False)
    code, stdout = finish(tool)
    check(code == 0, "exit code %d, expected 0" % code)
    offer = question_asked(answerer)
    check(offer in (None, "Would you like to send a log file to Orvanta support?"),
          "the offer to send the log reads %r" % offer)
    program_files = wine.echo("ProgramFiles")
    expected = "C:\\Program Files (x86)" if wine.is_64_bit() else "C:\\Program Files"
    check(program_files == expected, "Program Files is %r, expected %r" % (program_files, expected))
    console = console_entries(stdout)
    beside = read_log_file(os.path.join(folder, run.LOG_NAME))
    temporary = read_log_file(os.path.join(wine.unix(wine.echo("TEMP")), run.LOG_NAME))
    check_complete_run(console, "console", program_files)
    check_complete_run(beside, "log beside the tool", program_files)
    check(beside == temporary, "the two log files differ")
    check(beside == console, "console and log file differ")
    print("fresh run: %d log entries, %.1f s, offer to send the log %s" %
          (len(beside), time.time() - started, "declined" if offer else "not shown"))


def case_too_old(args, folder):
    # An installed product, so that a refusal that touched anything would show.
    installation.installation([], suite=False).seed()
    before = snapshot.take()
    tool = run.start(args.exe, folder, answer_no_box=False)
    text = answer_box(args.answer_box, run.BANNER, 1)
    code, stdout = finish(tool)
    for change in snapshot.diff(before, snapshot.take(restart=False)):
        check(footprint.classify(change) in ("log", "wine"), "the refused run changed %r" % change)
    message = "This program can be launched on Windows 2000 or higher. Exiting ..."
    check(text == message, "box text %r" % text)
    check(code == 1, "exit code %d, expected 1" % code)
    entries = read_log_file(os.path.join(folder, run.LOG_NAME))
    check(entries == ["", run.BANNER, "", "OS: majorv=4 minorv=0", "", message, "",
                      run.BANNER + " completed abnormally.", ""], "refusal log: %r" % entries)
    check(console_entries(stdout) == entries, "console and log file differ")


def case_log_not_writable(args, folder):
    # A folder standing where the log file would go: the file cannot be created.
    os.mkdir(os.path.join(folder, run.LOG_NAME))
    tool = run.start(args.exe, folder, answer_no_box=False)
    text = answer_box(args.answer_box, "Remove.exe", 1)
    code, stdout = finish(tool)
    ended = time.time()
    check(text == "Unable to create log file. If you need log file make sure that you have "
          "permission to write to directory where remove.exe is located", "box text %r" % text)
    check(code == 0, "exit code %d, expected 0" % code)
    program_files = wine.echo("ProgramFiles")
    temporary_path = os.path.join(wine.unix(wine.echo("TEMP")), run.LOG_NAME)
    temporary = read_log_file(temporary_path)
    check_complete_run(temporary, "temporary-folder log", program_files)
    check(console_entries(stdout) == temporary, "console and temporary log differ")
    paused = ended - os.stat(temporary_path).st_mtime
    check(paused >= 2.9, "the tool ended %.1f s after its last log line, expected 3 s" % paused)


CASES = {"fresh": case_fresh, "too_old": case_too_old, "log_not_writable": case_log_not_writable}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("case", choices=sorted(CASES))
    parser.add_argument("--exe", required=True)
    parser.add_argument("--answer-box", required=True)
    args = parser.parse_args()
    if not os.path.isfile(args.exe):
        print("no TVRemover.exe at " + args.exe, file=sys.stderr)
        return 1
    with tempfile.TemporaryDirectory(prefix="tvremover-e2e-") as folder:
        CASES[args.case](args, folder)
    return exit_code("%s: passed" % args.case)


if __name__ == "__main__":
    sys.exit(main())
