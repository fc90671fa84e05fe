#!/usr/bin/env python3
"""End-to-end runs of TVRemover.exe on a machine seeded with the whole suite.

    suite_removal_e2e.py CASE --exe TVRemover.exe --program FILE...

CASE is one of:
  alone   version 1.4.22, and the suite used by the product only: the 3.1.x
          suite, the tray and the suite tools are removed, their counters deleted
  shared  version 1.4.22, and another product registered in every list: the
          suite, the tray and the tools stay, their counters set to 1
  older   version 1.4.15: stage 2 unregisters the older tools instead

The programs are the built stand-ins CorvaneSuiteService.exe, CorvaneTray.exe,
Pellane2.exe and suite_config_writer.exe, each given by its path. Run it through scripts/with-prefix.sh.
"""
import argparse
import pathlib
import subprocess
import sys
import tempfile

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

from machine import installation, run as runner, wine as w  # noqa: E402
from machine.checks import check, exit_code, failures  # noqa: E402
from machine.wine import unix  # noqa: E402

RUN = installation.RUN


def run_tool(exe, work):
    run = runner.start(exe, work).finish(900)
    log = pathlib.Path(work) / runner.LOG_NAME
    text = log.read_text("utf-8", errors="replace") if log.is_file() else ""
    lines = [line.rstrip("\r")[runner.STAMP_WIDTH:] for line in text.split("\n")]
    return run, lines


def tray_ended(machine_):
    try:
        machine_.tray_process.wait(timeout=20)
        return True
    except subprocess.TimeoutExpired:
        return False


def expect_removed(m, lines):
    p = m.places
    check(not unix(p.program_data + r"\Corvane\Suite").exists(), "3.1.x data stayed")
    check(not unix(p.brand + r"\CorvaneSuiteService.exe").exists(), "3.1.x program stayed")
    check(not w.key_exists(r"HKLM\Software\Corvane\HostTag", w.tool_view()), "HostTag key stayed")
    verbs = unix(r"C:\TVR Tests\suite_service_verbs.txt")
    check(verbs.is_file() and verbs.read_text().split() == ["/stop", "/uninstall"],
          "suite service verbs: %r" % (verbs.read_text() if verbs.is_file() else None))
    check(not unix(p.tray).exists(), "tray folder stayed")
    check(tray_ended(m), "the tray still runs")
    check(w.query_value(RUN, "PellaneTray", w.tool_view()) is None, "Run value stayed")
    check(not w.service_exists("Pellane 2"), "the tools service stayed")
    check(not unix(p.common_files + r"\Pellane Suite").exists(), "tools folder stayed")
    for which in p.counters:
        check(m.counter(which) is None, "%s counter stayed: %s" % (which, m.counter(which)))
    check("Tarvello Service is used in 0 product(s)" in lines, "tools count line")


def expect_kept(m, lines):
    p = m.places
    check(unix(p.program_data + r"\Corvane\Suite\product.cfg").exists(), "3.1.x list removed")
    check(unix(p.brand + r"\CorvaneSuiteService.exe").exists(), "3.1.x program removed")
    check(unix(p.tray + r"\CorvaneTray.exe").exists(), "tray removed")
    check(m.tray_process.poll() is None, "the tray was ended")
    check(w.service_exists("Pellane 2"), "the tools service was removed")
    check(unix(p.tools + r"\Pellane2.exe").exists(), "tools removed")
    for which in p.counters:
        check(m.counter(which) == "0x1", "%s counter: %s" % (which, m.counter(which)))
    check("Tarvello Service is used in 1 product(s)" in lines, "tools count line")
    check("Number of prosucts = 1" in lines, "tray count line")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("case", choices=["alone", "shared", "older"])
    parser.add_argument("--exe", required=True)
    parser.add_argument("--program", action="append", required=True)
    args = parser.parse_args()
    if not pathlib.Path(args.exe).is_file():
        sys.exit("TVRemover.exe not found at %s: build the release tree first" % args.exe)
    work = tempfile.mkdtemp(prefix="suite-e2e-")
    w.restart_without_display()
    # The product's own files play no part here: only its records and the suite.
    m = installation.installation(args.program, version="1.4.15" if args.case == "older" else "1.4.22",
                                  other_products=args.case == "shared", product_files=False,
                                  tools=True)
    m.seed()

    run, lines = run_tool(args.exe, work)
    check(run.returncode == 0, "exit code %d" % run.returncode)
    check("Email set to jane@example.org from suite config of Pellane version 3.1.x" in lines,
          "e-mail line")
    check("'TVPRO' unregistered" in lines, "unregistration line")
    if args.case == "alone":
        expect_removed(m, lines)
    elif args.case == "shared":
        expect_kept(m, lines)
    else:
        check("Unregister Pellane Tools.exe" in lines, "older branch line")
        check("Pellane Tools.exe was unregistered" in lines, "older branch closing line")
        check(not any(l.startswith("Tarvello Service is used in") for l in lines),
              "the newer branch ran")
        check(w.service_exists("Pellane 2"), "the older branch touched the tools service")
    if m.tray_process.poll() is None:
        m.tray_process.kill()
    if failures:
        print("--- log ---")
        print("\n".join(lines))
    return exit_code("suite removal %s: OK (%s prefix)" %
                     (args.case, "64-bit" if m.places.wow64 else "32-bit"))


if __name__ == "__main__":
    sys.exit(main())
