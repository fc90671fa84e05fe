#!/usr/bin/env python3
"""TVRemover.exe killed part-way through its run, again and again, then run to
the end on the same machine.

    interrupted_runs_e2e.py CASE --exe TVRemover.exe --program FILE... [--seed N]

CASE is one of:
  headings  a full installation used by the product alone; one run is killed
            right when each stage heading appears on its console (the first
            run at the first heading, the next at the second...)
  random    a full installation shared with another product; runs are killed
            at random moments (after a random number of console lines and a
            random delay, from --seed or a seed printed for repeating them)

Then one more run goes to the end. It must end with exit code 0 and "completed
OK.", the machine must be as clean as after one uninterrupted run (nothing of
the product left; the suite gone when the product was its only user, kept with
the other product's entries otherwise), and nothing outside the footprint may
have changed. The programs are the built stand-ins of installation.PROGRAMS
and config_churn.exe (which reads the products list). Run it through
scripts/with-prefix.sh.
"""
import argparse
import os
import pathlib
import random
import signal
import sys
import tempfile
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

from machine import footprint, installation, run, snapshot, wine  # noqa: E402
import machine_scenarios_e2e as scenarios  # noqa: E402
from machine.checks import check, exit_code  # noqa: E402

# Every stage heading a run on this machine shows, with the Installer pass over
# the 32-bit view between the second and the third.
HEADINGS = run.STAGES[:2] + [run.installer_pass("32")] + run.STAGES[2:]
RANDOM_KILLS = 4
# A whole run on a shared installation shows about 170 console lines.
RUN_LINES = 160
STRANDED_PROGRAM = b"corvanesuiteservice.exe"


def kill_when(tool, wanted_line=None, after_lines=None, delay=0.0):
    """Reads the console of the running `tool` (a wine.program) until the line
    containing `wanted_line` (or the `after_lines`-th line) shows, waits `delay`
    seconds, then kills the tool. Returns what the console showed, and whether
    the tool was still running."""
    shown = []
    for raw in tool.lines():
        line = raw.decode("cp437", errors="replace").rstrip("\r\n")
        shown.append(line)
        if (wanted_line and wanted_line in line) or (after_lines and len(shown) >= after_lines):
            break
    if delay:
        time.sleep(delay)
    alive = tool.running()
    tool.kill()
    if not alive:
        rest = tool.output().decode("cp437", errors="replace").splitlines()
        print("ended by itself with exit code %s after %d more lines, the last: %r" %
              (tool.process.returncode, len(rest), rest[-3:]))
    return shown, alive


def end_stranded_programs():
    """Ends what a killed run left starting. A program Wine was starting for the
    tool when the tool was killed can stay stuck before it runs (its verb never
    reaches the suite program's record, and Windows tools do not list it),
    holding its file for good, where Windows would have run it to its end. The
    3.1.x suite's service program runs on these machines only when the tool
    starts it, so every instance of it in this prefix is one of those."""
    wanted = ("WINEPREFIX=%s" % wine.prefix()).encode()
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            command = pathlib.Path("/proc", pid, "cmdline").read_bytes().split(b"\0")[0]
            environment = pathlib.Path("/proc", pid, "environ").read_bytes().split(b"\0")
        except OSError:
            continue
        if command.lower().endswith(b"\\" + STRANDED_PROGRAM) and wanted in environment:
            print("ending %s, left starting by a killed run" % command.decode(errors="replace"))
            try:
                os.kill(int(pid), signal.SIGKILL)
            except ProcessLookupError:
                pass  # it ended by itself after all


def interrupted_runs(args, plan):
    """Runs the tool once per kill of the plan [(line, count, delay)]."""
    for number, (wanted, count, delay) in enumerate(plan, 1):
        with tempfile.TemporaryDirectory(prefix="tvremover-killed-") as folder:
            tool = run.start(args.exe, folder)
            shown, alive = kill_when(tool, wanted, count, delay)
            end_stranded_programs()
            where = wanted or "%d lines + %.2f s" % (count, delay)
            last = shown[-1][run.STAMP_WIDTH:] if shown else "(nothing)"
            print("run %d killed at %s; last console line: %s" % (number, where, last))
            if wanted:
                check(bool(shown) and wanted in shown[-1], "run %d never showed %r" % (number, wanted))
            if not alive:
                # Only the kill came too late (the last stage can end the run
                # within a moment of its heading): the run is still a run.
                print("run %d ended by itself before its kill" % number)


def products_listed(args, machine):
    churn = str(pathlib.Path(args.churn).resolve())
    result = wine.wine(churn, "--list", machine.places.product_cfg)
    if result.returncode != 0:
        return None
    return result.stdout.decode(errors="replace").split()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("case", choices=["headings", "random"])
    parser.add_argument("--exe", required=True)
    parser.add_argument("--program", action="append", default=[])
    parser.add_argument("--seed", type=int)
    args = parser.parse_args()
    args.exe = str(pathlib.Path(args.exe).resolve())
    args.churn = next(p for p in args.program if pathlib.Path(p).name == "config_churn.exe")
    shared = args.case == "random"

    wine.restart_without_display()
    machine = installation.installation(args.program, other_products=shared).seed(start=False)
    before = snapshot.take()
    machine.start()

    if args.case == "headings":
        plan = [(heading, None, 0.0) for heading in HEADINGS]
    else:
        seed = args.seed if args.seed is not None else random.randrange(1 << 31)
        print("kill moments from seed %d (--seed %d repeats them)" % (seed, seed))
        chosen = random.Random(seed)
        plan = [(None, chosen.randrange(5, RUN_LINES), chosen.uniform(0, 1.5))
                for _ in range(RANDOM_KILLS)]
    started = time.time()
    interrupted_runs(args, plan)
    final = run.tool(args.exe)
    print("%d interrupted runs and the last one: %.1f s" % (len(plan), time.time() - started))

    check(final.code == 0, "last run: exit code %d" % final.code)
    check(final.completed(), "last run: no completion line")
    tray_running = machine.tray_running()
    after = snapshot.take()
    changes = snapshot.diff(before, after)
    outside = footprint.outside(changes)
    check(not outside, "changed outside the footprint: %s" % outside[:5])
    left = scenarios.footprint_left(after)
    scenarios.expect_product_removed(left, "win7")
    if shared:
        check(tray_running, "the tray was ended although another product uses it")
        check(wine.service_exists("Pellane 2"), "the tools service was removed")
        for which in machine.places.counters:
            check(machine.counter(which) == "0x1",
                  "%s counter: %s, expected 0x1" % (which, machine.counter(which)))
        listed = products_listed(args, machine)
        check(listed == ["PELLANE", "NBPRO"], "products list after the runs: %r" % listed)
    else:
        scenarios.expect_suite_removed(left, final.lines)
        check(not tray_running, "the tray still runs")
    return exit_code("%s: passed" % args.case)


if __name__ == "__main__":
    sys.exit(main())
