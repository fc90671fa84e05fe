#!/usr/bin/env python3
"""End-to-end runs of TVRemover.exe started as a deployment script starts it.

    fleet_switches_e2e.py CASE --exe TVRemover.exe --watcher window_watcher.exe [--program FILE...]

CASE is one of:
  installed  a machine with the product and the suite installed: a switch the
             tool does not know, and /?, change nothing (the whole machine is
             compared around them); then /QUIET with -log:FOLDER, with nobody
             answering boxes on a prefix where a box would wait, ends by itself
             with exit code 0, its log in FOLDER and the product gone, and its
             process never has a window; its leftover listing counts nothing
             and names what the removal leaves by design
  nt40       a prefix reporting Windows NT 4.0: /q and /report /q refuse with
             exit code 1, without a box (and /report without a report)
  send       inside tests/support/mail/with-mail-servers.sh, a machine without
             the suite (so no configured sender): /q /send /sender:ADDRESS
             -log:FOLDER mails the log in FOLDER to the support server, from
             ADDRESS, with no window, and says so on the console

The programs are the built stand-ins the installation needs (installation.PROGRAMS).
The watcher (tests/programs/window_watcher) names every window of the tool's
process. Run it through scripts/with-prefix.sh, without --no-display: a box must
wait there.
"""
import argparse
import email
import email.policy
import glob
import os
import pathlib
import subprocess
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

from machine import footprint, installation, report, run, snapshot, wine as w  # noqa: E402
from machine.checks import check, exit_code  # noqa: E402

USAGE_CODE = 87
QUIET_LINE = "not shown (quiet run)"
WORK = installation.TESTS_FOLDER + r"\work"
LOG_FOLDER = installation.TESTS_FOLDER + r"\fleet logs"
# Far more than a whole removal takes; a box left waiting would hold the tool past it.
RUN_SECONDS = 420
SENDER = "fleet@tvremover.example"
SUBMITTED = ('Message box "Log file submitted" not shown (quiet run), answered OK: '
             "Thank you. The log file has been submitted.")


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


def watched_tool(exe, watcher, *args):
    """start_tool with the window watcher looking from before the tool starts;
    also returns the windows it saw the tool's process own."""
    watching = w.program(["wine", str(pathlib.Path(watcher).resolve()), "TVRemover.exe",
                          str(RUN_SECONDS + 60)])
    check(next(watching.lines(), b"").strip() == b"watching", "the window watcher did not start")
    returned, console = start_tool(exe, *args)
    try:
        done = watching.finish(120)
        windows = done.stdout.decode("cp1252", errors="replace").splitlines()
        check(done.returncode in (0, 1), "the window watcher: %r" % windows)
    except subprocess.TimeoutExpired:
        windows = []
        check(False, "the window watcher did not end with the tool")
    check(not windows, "TVRemover.exe %s had windows: %r" % (" ".join(args), windows))
    return returned, console


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


def quiet_run_with_log_folder(exe, watcher, machine):
    w.unix(LOG_FOLDER).mkdir(parents=True, exist_ok=True)
    machine.start()
    returned, console = watched_tool(exe, watcher, "/QUIET", "-log:" + LOG_FOLDER)
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
    expect_nothing_left(lines or [])


def expect_nothing_left(lines):
    """The leftover listing counts nothing; on this 64-bit Windows (Wine reports
    6.2) it names the 64-bit view's Installer records, which the removal leaves
    there by design."""
    listing = report.listed(lines)
    check(report.NOTHING_LEFT in lines and not report.acting(listing),
          "/quiet: listed as still present: %r" % report.acting(listing))
    if not w.is_64_bit():
        return
    by_design = [i for i in listing if i.left_by_design()]
    for key in (installation.CURRENT_VERSION + r"\Installer\UpgradeCodes" + "\\"
                + installation.pack_guid(installation.UPGRADE_CODE),
                installation.USER_DATA + r"\Products" + "\\"
                + installation.pack_guid(installation.PRODUCT_CODE)):
        check(w.key_exists(key, "64"), "/quiet: the 64-bit view lost " + key)
        check(report.naming(by_design, key, "64"), "/quiet: not listed as left by design: " + key)


def quiet_send(exe, watcher):
    w.unix(LOG_FOLDER).mkdir(parents=True, exist_ok=True)
    returned, console = watched_tool(exe, watcher, "/q", "/send", "/sender:" + SENDER,
                                     "-log:" + LOG_FOLDER)
    check(returned == 0, "/q /send: exit code %r" % returned)
    told = [line.strip() for line in run.entries(console)]
    check(SUBMITTED in told, "/q /send: the console does not say the log went: %r" % told[-6:])
    log = w.unix(LOG_FOLDER + "\\" + run.LOG_NAME).read_bytes()
    check(not any(QUIET_LINE in line for line in run.entries(log.decode("utf-8").lstrip("\ufeff"))),
          "/q /send: the log itself holds the sending's outcome")
    pattern = os.path.join(os.environ["TVR_MAIL_DIR"], "maildir", "new", "*")
    messages = []
    for path in sorted(glob.glob(pattern)):
        with open(path, "rb") as f:
            messages.append(email.message_from_binary_file(f, policy=email.policy.default))
    check(len(messages) == 1, "/q /send: %d messages at the server, expected 1" % len(messages))
    for message in messages:
        check([a.addr_spec for a in message["From"].addresses] == [SENDER],
              "/q /send: From %r" % message["From"])
        check(message.get_payload(decode=True) == log,
              "/q /send: the message is not the log in %s" % LOG_FOLDER)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("case", choices=["installed", "nt40", "send"])
    parser.add_argument("--exe", required=True)
    parser.add_argument("--watcher", required=True)
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
        returned, console = start_tool(args.exe, "/report", "/q")
        check(returned == report.REFUSED, "NT 4.0, /report /q: exit code %r, expected 1" % returned)
        check(not w.unix(WORK + "\\" + report.FILE_NAME).exists(), "NT 4.0, /report /q: a report")
    elif args.case == "send":
        quiet_send(args.exe, args.watcher)
    else:
        machine = installation.installation(args.program).seed(start=False)
        not_understood_changes_nothing(args.exe)
        quiet_run_with_log_folder(args.exe, args.watcher, machine)
    return exit_code("fleet switches %s: all checks passed" % args.case)


if __name__ == "__main__":
    sys.exit(main())
