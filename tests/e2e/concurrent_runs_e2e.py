#!/usr/bin/env python3
"""Two instances of TVRemover.exe started at once on one machine, in the same
current folder, so that both write the same log file beside the tool and the
same one in the temporary folder.

    concurrent_runs_e2e.py --exe TVRemover.exe --answer-box answer_box.exe [--program FILE...]

With the programs (the stand-ins of machine.installation.PROGRAMS and
config_churn.exe), the machine first gets a full installation shared with
another product, so that both instances remove the same things and rewrite
the same products list at once; that list must still name the suite and the
other product afterwards.

Both must complete (exit code 0, "completed OK."), and each log file must hold
only whole lines: a UTF-8 byte-order mark, valid UTF-8, CR LF line ends, every
entry opened by a time stamp, and the file's entries exactly the two consoles'
entries interleaved, each console's in its own order (so no entry is lost,
doubled, cut or mixed with another). Every box is answered, as a user would:
each instance, the first to end too while the other still writes the shared
log, must offer to send it (answered No). Run it through scripts/with-prefix.sh
(with the display); TVR_KEEP_LOGS=FOLDER keeps the logs and consoles of a
failed run there.
"""
import argparse
import os
import pathlib
import re
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
from machine import installation, run  # noqa: E402
from machine import wine as winelib  # noqa: E402
from machine.checks import check, exit_code, failures  # noqa: E402,F401


def entries_of(text, source):
    """Entries with their time-stamp prefix. A line without one continues the
    entry before it (a command's output logged as one entry holds line ends)."""
    entries = []
    for line in re.split(r"\r*\n", text):
        if run.STAMP.match(line):
            entries.append(line)
        elif entries:
            entries[-1] += "\n" + line
        else:
            check(False, "%s: starts without a time stamp: %r" % (source, line[:100]))
    return entries


def console_entries(stdout, source):
    text = stdout.decode("cp437")
    check(text.endswith("\n"), source + ": the last line is not ended")
    return entries_of(re.sub(r"\r*\n$", "", text), source)


def log_file_entries(path):
    data = path.read_bytes()
    check(data.startswith(b"\xef\xbb\xbf"), "%s: no UTF-8 byte-order mark" % path)
    check(data.endswith(b"\r\n"), "%s: does not end in CR LF" % path)
    # A line feed alone may only stand inside an entry (a command's output
    # logged as it was printed); the interleaving check below sees those.
    check(data.count(b"\xef\xbb\xbf") == 1, "%s: a second byte-order mark" % path)
    try:
        text = data[3:].decode("utf-8")
    except UnicodeDecodeError as error:
        check(False, "%s: not valid UTF-8: %s" % (path, error))
        text = data[3:].decode("utf-8", errors="replace")
    return entries_of(text[:-2], str(path))


def is_interleaving(merged, first, second):
    """Whether `merged` is `first` and `second` interleaved, each in order; when
    not, the index of the first entry of `merged` that no order explains."""
    if len(merged) != len(first) + len(second):
        return False, min(len(merged), len(first) + len(second))
    # reachable[j]: first[:i] and second[:j] can make merged[:i + j].
    reachable = [True] * (len(second) + 1)
    for j in range(1, len(second) + 1):
        reachable[j] = reachable[j - 1] and second[j - 1] == merged[j - 1]
    deepest = 0
    for i in range(1, len(first) + 1):
        reachable[0] = reachable[0] and first[i - 1] == merged[i - 1]
        for j in range(1, len(second) + 1):
            reachable[j] = ((reachable[j] and first[i - 1] == merged[i + j - 1]) or
                            (reachable[j - 1] and second[j - 1] == merged[i + j - 1]))
        if any(reachable):
            deepest = i + max(j for j, ok in enumerate(reachable) if ok)
    return reachable[-1], deepest


def check_log_file(path, consoles):
    entries = log_file_entries(path)
    whole, at = is_interleaving(entries, consoles[0], consoles[1])
    if not check(whole, "%s: not the two consoles' entries interleaved (%d entries, consoles "
                 "%d + %d); first unexplained entry %d: %r" %
                 (path, len(entries), len(consoles[0]), len(consoles[1]), at,
                  entries[at] if at < len(entries) else None)):
        return
    switches = sum(1 for a, b in zip(entries, entries[1:])
                   if (a in consoles[0]) != (b in consoles[0]))
    print("%s: %d entries, whole and in order" % (path.name, len(entries)))
    return switches


QUESTION = "Orvanta support"
NOT_SUBMITTED = "Log file not submitted"


class box_answerer:
    """Answers the instances' boxes one at a time while `running()` holds:
    No to the offer, OK to the box that says the log was not submitted (so that
    an instance that shows it does not wait for ever). Keeps (caption, text)
    of each box answered."""

    def __init__(self, answer_box_exe, running):
        self.answered = []
        self._exe = answer_box_exe
        self._running = running
        self._thread = threading.Thread(target=self._answer, daemon=True)
        self._thread.start()

    def _answer(self):
        while self._running():
            for caption, button in ((QUESTION, 7), (NOT_SUBMITTED, 1)):
                done = winelib.wine(self._exe, caption, str(button), "5000", timeout=60)
                if done.returncode == 0:
                    text = done.stdout.decode("cp1252", errors="replace").strip()
                    self.answered.append((caption, text))

    def join(self):
        self._thread.join(120)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--answer-box", required=True)
    parser.add_argument("--program", action="append", default=[])
    args = parser.parse_args()
    args.exe = os.path.abspath(args.exe)
    if not os.path.isfile(args.exe):
        print("no TVRemover.exe at " + args.exe, file=sys.stderr)
        return 1
    machine = None
    if args.program:
        machine = installation.installation(args.program, other_products=True).seed(start=True)
    temporary = run.temp_log()
    with tempfile.TemporaryDirectory(prefix="tvremover-twice-") as folder:
        started = time.time()
        tools = [run.start(args.exe, folder, answer_no_box=False) for _ in range(2)]
        answerer = box_answerer(args.answer_box,
                                lambda: any(tool.running() for tool in tools))
        outputs = []
        for number, tool in enumerate(tools, 1):
            try:
                done = tool.finish(max(1, 600 - (time.time() - started)))
                stdout, code = done.stdout, done.returncode
            except subprocess.TimeoutExpired as late:
                stdout, code = late.output, None
                check(False, "instance %d still ran after 600 s" % number)
            check(code == 0, "instance %d: exit code %s" % (number, code))
            outputs.append(stdout)
        elapsed = time.time() - started
        answerer.join()
        check(answerer.answered == [(QUESTION, "Would you like to send a log file to Orvanta "
                                               "support?")] * 2,
              "boxes answered: %r (each instance must offer its log, once)" % answerer.answered)
        consoles = [console_entries(out, "console %d" % n) for n, out in enumerate(outputs, 1)]
        for number, console in enumerate(consoles, 1):
            check(any(e.endswith("    " + run.COMPLETED) for e in console),
                  "instance %d: no %r on its console" % (number, run.COMPLETED))
        for path in (pathlib.Path(folder) / run.LOG_NAME, temporary):
            if not check(path.is_file(), "no log file %s" % path):
                continue
            switches = check_log_file(path, consoles)
            if switches is not None:
                print("%s: the instances' entries alternate %d times" % (path.name, switches))
        if failures and os.environ.get("TVR_KEEP_LOGS"):
            keep = pathlib.Path(os.environ["TVR_KEEP_LOGS"])
            keep.mkdir(parents=True, exist_ok=True)
            (keep / "beside.txt").write_bytes((pathlib.Path(folder) / run.LOG_NAME).read_bytes())
            (keep / "temporary.txt").write_bytes(temporary.read_bytes())
            for number, out in enumerate(outputs, 1):
                (keep / ("console%d.txt" % number)).write_bytes(out)
        print("two instances: %d and %d entries, %.1f s" %
              (len(consoles[0]), len(consoles[1]), elapsed))
    if machine is not None:
        churn = next(p for p in args.program if pathlib.Path(p).name == "config_churn.exe")
        listed = winelib.wine(str(pathlib.Path(churn).resolve()), "--list",
                              machine.places.product_cfg)
        codes = listed.stdout.decode(errors="replace").split()
        check(listed.returncode == 0 and codes == ["PELLANE", "NBPRO"],
              "products list after both runs: %r (%s)" %
              (codes, listed.stderr.decode(errors="replace").strip()))
        machine.stop_tray()
    return exit_code("concurrent runs: passed")


if __name__ == "__main__":
    sys.exit(main())
