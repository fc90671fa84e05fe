#!/usr/bin/env python3
"""End-to-end runs of TVRemover.exe started as a deployment script starts it.

    fleet_switches_e2e.py CASE --exe TVRemover.exe [--program FILE...]

CASE is one of:
  installed  a machine with the product and the suite installed: a switch the
             tool does not know, and /?, change nothing (the whole machine is
             compared around them); then /QUIET with -log:FOLDER, with nobody
             answering boxes on a prefix where a box would wait, ends by itself
             with exit code 0, its log in FOLDER and the product gone
  nt40       a prefix reporting Windows NT 4.0: /q refuses with exit code 1,
             without a box

The programs are the built stand-ins the installation needs (installation.PROGRAMS).
Run it through scripts/with-prefix.sh, without --no-display: a box must wait there.
"""
import argparse
import os
import pathlib
import subprocess
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

from machine import footprint, installation, run, snapshot, wine as w  # noqa: E402
from machine.checks import check, exit_code  # noqa: E402

USAGE_CODE = 87
QUIET_LINE = "not shown (quiet run)"
WORK = installation.TESTS_FOLDER + r"\work"
LOG_FOLDER = installation.TESTS_FOLDER + r"\fleet logs"
# Far more than a whole removal takes; a box left waiting would hold the tool past it.
RUN_SECONDS = 420


def start_tool(exe, *args):
    """Runs the tool in WORK with the prefix's display, so that any box it showed
    would wait; nothing here answers one."""
    folder = w.unix(WORK)
    folder.mkdir(parents=True, exist_ok=True)
    started = time.time()
    tool = w.program(["wine", str(pathlib.Path(exe).resolve()), *args], cwd=folder,
                     env=dict(os.environ))
    try:
        done = tool.finish(RUN_SECONDS)
    except subprocess.TimeoutExpired:
        check(False, "TVRemover.exe %s still ran after %d s: waiting for a box?" %
              (" ".join(args), RUN_SECONDS))
        return None, ""
    print("TVRemover.exe %s: exit code %d after %.0f s" % (" ".join(args), done.returncode,
                                                           time.time() - started))
    return done.returncode, done.stdout.decode("cp437", errors="replace")


def log_lines(windows_folder):
    path = w.unix(windows_folder + "\\" + run.LOG_NAME)
    if not path.is_file():
        return None
    return run.entries(path.read_bytes().decode("utf-8").lstrip("\ufeff"))


def not_understood_changes_nothing(exe):
    w.unix(WORK).mkdir(parents=True, exist_ok=True)
    before = snapshot.take(restart=False)
    w.restart_server()
    for args, code in (([r"/quiet", "/bogus"], USAGE_CODE), (["-Q", "quiet"], USAGE_CODE),
                       (["/?"], 0)):
        returned, console = start_tool(exe, *args)
        check(returned == code, "%s: exit code %r, expected %d" % (args, returned, code))
        check("TVRemover.exe [/quiet] [/log:FOLDER]" in console and "87" in console,
              "%s: no usage on the console: %r" % (args, console[-800:]))
        if code:
            check("Not understood: " + args[1] in console, "%s: the switch is not named" % args)
    check(log_lines(WORK) is None, "a log beside the tool after a refused command line")
    changes = [c for c in snapshot.diff(before, snapshot.take(restart=False))
               if footprint.classify(c) != "wine"]
    check(not changes, "the machine changed: %r" % changes[:20])
    w.restart_server()


def quiet_run_with_log_folder(exe, machine):
    w.unix(LOG_FOLDER).mkdir(parents=True, exist_ok=True)
    machine.start()
    returned, console = start_tool(exe, "/QUIET", "-log:" + LOG_FOLDER)
    check(returned == 0, "/quiet: exit code %r" % returned)
    lines = log_lines(LOG_FOLDER)
    check(lines is not None and run.COMPLETED in lines,
          "/quiet: no completed log in %s; console: %r" % (LOG_FOLDER, console[-1500:]))
    check(log_lines(WORK) is None, "/quiet -log: a log beside the tool too")
    check(run.COMPLETED in run.entries(console), "/quiet: no completion on the console")
    met = [line for line in lines or [] if QUIET_LINE in line]
    check(not met, "/quiet: boxes met on an installed machine: %r" % met)
    check(not w.unix(machine.places.install).exists(), "/quiet: the install folder stayed")
    check(not w.key_exists(installation.UNINSTALL + "\\" + installation.PRODUCT_KEY, w.tool_view()),
          "/quiet: the product's Uninstall entry stayed")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("case", choices=["installed", "nt40"])
    parser.add_argument("--exe", required=True)
    parser.add_argument("--program", action="append", default=[])
    args = parser.parse_args()

    if args.case == "nt40":
        returned, console = start_tool(args.exe, "/q")
        check(returned == 1, "NT 4.0, /q: exit code %r, expected 1" % returned)
        lines = log_lines(WORK) or []
        check(any(QUIET_LINE in line and "Windows 2000 or higher" in line for line in lines),
              "NT 4.0, /q: the refusal's box text is not in the log: %r" % lines[-8:])
        check(run.BANNER + " completed abnormally." in run.entries(console),
              "NT 4.0, /q: the console does not end the run")
    else:
        machine = installation.installation(args.program).seed(start=False)
        not_understood_changes_nothing(args.exe)
        quiet_run_with_log_folder(args.exe, machine)
    return exit_code("fleet switches %s: all checks passed" % args.case)


if __name__ == "__main__":
    sys.exit(main())
