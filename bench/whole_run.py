#!/usr/bin/python3
"""The whole run: TVRemover.exe on the demo machine (a full Tarvello installation
with the whole Pellane suite, seeded by tests/e2e/machine), waits through the
real clock. Run inside a fresh Wine prefix (WINEPREFIX) by inner.sh.

Usage: whole_run.py OUT_JSON

The fixed waits the run took are read from the run itself: Wine's relay trace,
limited to the sleep calls, lists every Sleep of the tool's process with its
length. The figure is the run's wall time above their sum.
"""
import json
import os
import pathlib
import re
import subprocess
import sys
import tempfile
import time

TOP = pathlib.Path(__file__).resolve().parents[1]
sys.path.insert(0, str(TOP / "tests" / "e2e"))

from machine import installation, run, wine  # noqa: E402

SLEEPS = "KERNEL32.Sleep;KERNEL32.SleepEx;KERNELBASE.Sleep;KERNELBASE.SleepEx"
# With +pid: "<process>:<thread>:Call KERNEL32.Sleep(000005dc) ret=..."
CALL = re.compile(r"^([0-9a-f]+):[0-9a-f]+:Call (?:KERNEL32|KERNELBASE)\.Sleep(?:Ex)?\(([0-9a-f]+)")


def programs():
    folder = pathlib.Path(os.environ["TVR_BENCH_TEST_PROGRAMS"])
    return [folder / "suite_service" / "CorvaneSuiteService.exe",
            folder / "suite_tray" / "CorvaneTray.exe",
            folder / "suite_tools" / "Pellane2.exe",
            folder / "suite_config_writer" / "suite_config_writer.exe"]


def traced_run(exe):
    """Runs the tool with the sleep calls traced; returns seconds, code, trace."""
    wine.wine("reg", "add", r"HKCU\Software\Wine\Debug", "/v", "RelayInclude", "/d", SLEEPS, "/f")
    folder = tempfile.mkdtemp(prefix="tvremover-run-")
    env = dict(os.environ, WINEDEBUG="-all,+relay,+pid")
    env.pop("DISPLAY", None)
    started = time.monotonic()
    done = subprocess.run(["wine", str(exe)], cwd=folder, env=env, stdin=subprocess.DEVNULL,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=900)
    seconds = time.monotonic() - started
    wine.wine("reg", "delete", r"HKCU\Software\Wine\Debug", "/v", "RelayInclude", "/f")
    result = run.result(done.returncode, done.stdout.decode("cp437", errors="replace"), folder,
                        seconds)
    return result, done.stderr.decode(errors="replace")


def tool_sleeps(trace):
    """The sleeps of the tool's own process: the one that made the first sleep
    (stage 1's pause comes before any program the tool starts could sleep)."""
    calls = [(m.group(1), int(m.group(2), 16)) for m in map(CALL.match, trace.splitlines()) if m]
    if not calls:
        return []
    first_1500 = next((process for process, ms in calls if ms == 1500), calls[0][0])
    return [ms for process, ms in calls if process == first_1500 and ms != 0xFFFFFFFF]


def stage_times(log_text):
    """Seconds from each stage heading (and the completion line) to the next
    entry of that kind, from the log's time stamps (one-second resolution)."""
    marks = []
    for line in log_text.replace("\r\n", "\n").split("\n"):
        if not run.STAMP.match(line):
            continue
        text = line[run.STAMP_WIDTH:]
        if text.startswith("****") or text.startswith(run.BANNER):
            stamp = time.mktime(time.strptime(line[:19], "%Y/%m/%d %H:%M:%S"))
            marks.append((text.strip("* "), stamp))
    return [(name, marks[i + 1][1] - stamp) for i, (name, stamp) in enumerate(marks[:-1])]


def main():
    out_path = sys.argv[1]
    exe = pathlib.Path(os.environ["TVR_BENCH_EXE"])
    wine.restart_without_display()
    machine = installation.installation(programs(), version="1.4.22")
    machine.seed(start=True)
    result, trace = traced_run(exe)
    sleeps = tool_sleeps(trace)
    figure = {"runs": [{"seconds": result.seconds, "code": result.code,
                        "completed": result.completed()}],
              "sleeps_ms": sleeps, "waits_seconds": sum(sleeps) / 1000.0,
              "stages": stage_times(result.log_text.lstrip("\ufeff"))}
    with open(os.path.join(os.path.dirname(out_path), "whole_run.log.txt"), "w") as log:
        log.write(result.log_text)
    with open(out_path, "w") as out:
        json.dump(figure, out, indent=1)
    if not result.completed():
        sys.exit("the whole run did not complete (exit code %d)" % result.code)


if __name__ == "__main__":
    main()
