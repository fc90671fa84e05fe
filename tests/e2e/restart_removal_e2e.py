#!/usr/bin/env python3
"""A quiet run that meets a product file held open by another program.

    restart_removal_e2e.py --exe TVRemover.exe --holder file_holder.exe

On a machine where all that is left of the product is its main library in the
install folder, held open by file_holder.exe with no sharing: /quiet with
/log:FOLDER ends with exit code 3010, its log names the file as scheduled for
removal at the next restart, and the file is there until Wine restarts
(`wineboot -r` carries out the system's list of pending deletions) and gone
after. Its leftover listing names the file as left for the restart. Then the
same file, made immutable on the host so that deleting it is denied (which no
restart mends, so it is not scheduled): the quiet run ends with exit code 2,
product still present, and its leftover listing names the file. Run it
through scripts/with-prefix.sh, as root (chattr).
"""
import argparse
import pathlib
import subprocess
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

from machine import installation, report, run, wine as w  # noqa: E402
from machine.checks import check, exit_code  # noqa: E402

LOG_FOLDER = installation.TESTS_FOLDER + r"\restart logs"
RUN_SECONDS = 420


def quiet_run(exe):
    """The Windows exit code of `TVRemover.exe /quiet /log:LOG_FOLDER`, or None.
    Wine hands a Unix parent only its low 8 bits, so cmd reads it."""
    script = w.unix(installation.TESTS_FOLDER + r"\quiet run.cmd")
    script.write_text('@"%s" /quiet "/log:%s"\r\n@echo exit code %%ERRORLEVEL%%\r\n' %
                      (w.windows_path(pathlib.Path(exe).resolve()), LOG_FOLDER))
    tool = w.program(["wine", "cmd", "/c", w.windows_path(script)])
    try:
        console = tool.finish(RUN_SECONDS).stdout.decode("cp437", errors="replace")
    except subprocess.TimeoutExpired:
        return None
    ends = [line for line in console.splitlines() if line.startswith("exit code ")]
    return int(ends[-1].split()[-1]) if ends else None


def quiet_log():
    """The entries of the quiet run's log, which is then removed for the next run."""
    log = w.unix(LOG_FOLDER + "\\" + run.LOG_NAME)
    lines = run.entries(log.read_bytes().decode("utf-8").lstrip("\ufeff")) if log.is_file() else []
    log.unlink(missing_ok=True)
    return lines


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--holder", required=True)
    args = parser.parse_args()

    held = installation.places().install + r"\Tarvello.dll"
    w.unix(held).parent.mkdir(parents=True, exist_ok=True)
    w.unix(held).write_bytes(b"MZ")
    w.unix(LOG_FOLDER).mkdir(parents=True, exist_ok=True)
    holder = w.program(["wine", str(pathlib.Path(args.holder).resolve()), held, "exclusive"])
    try:
        check(next(holder.lines(), b"").strip() == b"held", "the file could not be held")
        returned = quiet_run(args.exe)
        check(returned == report.RESTART_NEEDED, "/quiet: exit code %r, expected %d" %
              (returned, report.RESTART_NEEDED))
        check(w.unix(held).is_file(), "the held file went while it was held")
    finally:
        holder.kill()
    lines = quiet_log()
    scheduled = "   %s is in use; scheduled for removal at the next restart" % held
    check(scheduled in lines, "the log does not name the scheduled file: %r" %
          [line for line in lines if "Tarvello.dll" in line])
    check(run.COMPLETED in lines, "the log does not end the run")
    left = report.naming(report.listed(lines), held)
    check(left and all(i.action == report.AT_RESTART for i in left),
          "the leftover listing does not name the file as left for the restart: %r" % left)

    w.wine("wineboot", "-r")
    w.restart_server()
    check(not w.unix(held).exists(), "the held file is still there after the restart")

    w.unix(held).parent.mkdir(parents=True, exist_ok=True)
    w.unix(held).write_bytes(b"MZ")
    subprocess.run(["chattr", "+i", str(w.unix(held))], check=True)
    try:
        returned = quiet_run(args.exe)
    finally:
        subprocess.run(["chattr", "-i", str(w.unix(held))])
    check(returned == report.STILL_PRESENT, "/quiet, a file that cannot be deleted: exit code %r, "
          "expected %d" % (returned, report.STILL_PRESENT))
    lines = quiet_log()
    left = report.naming(report.listed(lines), held)
    check(left and all(i.action == report.STILL_THERE for i in left),
          "the leftover listing does not name the file as still present: %r" %
          [line for line in lines if "\t" in line])
    check(w.unix(held).is_file(), "the file that cannot be deleted went")
    return exit_code("restart removal: all checks passed")


if __name__ == "__main__":
    sys.exit(main())
