"""Runs TVRemover.exe on the machine and reads what it wrote."""
import os
import pathlib
import re
import tempfile
import time

from . import report, wine as w

BANNER = "Tarvello Remover version 1.0.6.4"
COMPLETED = BANNER + " completed OK."
LOG_NAME = "TVRemover.log.txt"
# Every log and console line starts with a time stamp and a mark, as
# "2026/12/09 05:33:52 #  ", STAMP_WIDTH characters; a line without one
# continues the entry before it.
STAMP = re.compile(r"^\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2} [# +!>@]  ")
STAMP_WIDTH = 23

# The frame of a run's stages: a heading, and the separator that closes it.
SEPARATOR = "=" * 50


def heading(title):
    return "**** " + title + " ****"


ADMIN_CHECK = heading("Check if Tarvello force remover runs as Administrator")
# The stages every run goes through, in order; the Installer database passes
# (installer_pass) run between the second and the third and frame themselves.
STAGES = [heading(title) for title in (
    "Stop product processes", "Stop & Delete Pellane Tools", "Deal with Pellane 3.1.x",
    "Remove CorvaneTray", "Cleaning SOFTWARE registry",
    "Removing Tarvello Specific AppData folders", "Removing shortcuts",
    "Removing Desktop shortcut", "Cleaning Program Files folder",
    "Removing files from Virtual Store")]


def installer_pass(bits):
    """The heading of the Installer database pass over one view ("32" or "64")."""
    return heading("Cleaning Installation Database (%s)" % bits)


def entries(text):
    """The log entries of a log or console text, time stamps dropped; a line
    without a stamp continues the entry before it."""
    out = []
    for line in text.replace("\r\n", "\n").split("\n"):
        if STAMP.match(line):
            out.append(line[STAMP_WIDTH:])
        elif out:
            out[-1] += "\n" + line
    return out


class result:
    def __init__(self, code, console, folder, seconds):
        self.code = code
        self.console = console
        self.folder = pathlib.Path(folder)
        self.seconds = seconds
        path = self.folder / LOG_NAME
        self.log_text = path.read_bytes().decode("utf-8", errors="replace") if path.is_file() else ""
        self.lines = entries(self.log_text.lstrip("\ufeff"))
        # The bytes of the report file beside the log, as a fleet tool collects them.
        path = self.folder / report.FILE_NAME
        self.report = path.read_bytes() if path.is_file() else None

    def completed(self):
        return COMPLETED in self.lines

    def has(self, line):
        return line in self.lines

    def starting(self, text):
        return [line for line in self.lines if line.startswith(text)]


def tool(exe, folder=None, timeout=900, answer_no_box=True, args=()):
    """Runs the tool with `args` in `folder` (a fresh temporary folder by
    default), with no display so the offer to send the log fails at once and is
    not waited for (keep answer_no_box=True unless a helper answers the boxes).
    Wine hands on only the low 8 bits of the exit code (3010 reads 194)."""
    folder = folder or tempfile.mkdtemp(prefix="tvremover-run-")
    started = time.time()
    done = start(exe, folder, answer_no_box, args).finish(timeout)
    console = done.stdout.decode("cp437", errors="replace")
    return result(done.returncode, console, folder, time.time() - started)


def start(exe, folder, answer_no_box=True, args=()):
    """Starts the tool with `args` in `folder` and returns the running wine.program."""
    env = dict(os.environ)
    if answer_no_box:
        env.pop("DISPLAY", None)
    return w.program(["wine", str(pathlib.Path(exe).resolve()), *args], cwd=folder, env=env)


def log_file_lines(path):
    """The lines of the log file at `path`, line ends dropped; None when there
    is no such file."""
    path = pathlib.Path(path)
    if not path.is_file():
        return None
    return [line.rstrip("\r") for line in path.read_text("utf-8", errors="replace").split("\n")]


def temp_log():
    """The log file in the temporary folder of the prefix's user."""
    return w.unix(w.echo("TEMP")) / LOG_NAME
