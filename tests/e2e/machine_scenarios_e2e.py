#!/usr/bin/env python3
"""One installation state on one reported Windows version, removed twice.

    machine_scenarios_e2e.py SCENARIO --exe TVRemover.exe --program FILE...

Seeds the prefix (WINEPREFIX, made by scripts/with-prefix.sh with the
scenario's version) in the scenario's state, snapshots it, runs TVRemover.exe,
snapshots again, runs it a second time on the cleaned machine and snapshots a
third time. Every scenario checks: exit code 0 and the completion line both
times, the edition the log names, no change outside the product's and the
suite's footprint, nothing of the footprint left but what the state keeps, and
a second run that changes nothing but its logs. Each scenario adds the checks
of its state. Run with --list for the scenarios and their versions.

On the fully installed rows of each prefix, /report runs twice before the
removal: it changes nothing but its log and report files, both reports are the
same, and every entry the removal then removes is named in it; on the cleaned
machine it finds nothing. On the shared Vista row the second run is quiet: its
leftover listing names the 64-bit view's Installer records, which the removal
leaves there by design, without counting them.
"""
import argparse
import pathlib
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

from machine import footprint, installation, report, run, snapshot, wine  # noqa: E402
from machine.checks import check, failures  # noqa: E402

UNDETECTED = "Unable to detect the version of Tarvello, probably nothing to clean ..."

# name: (arch, version, edition text the log starts with, installation switches)
SCENARIOS = {
    "registry_gone_win2k": ("win32", "win2k", "Windows 2000 ", {"product_registry": False}),
    "older_winxp": ("win32", "winxp", "Windows XP ", {"version": "1.4.15"}),
    "no_location_win2003": ("win32", "win2003", "Windows Server 2003 ", {"install_location": False}),
    "full_winxp64": ("win64", "winxp64", "Windows XP ", {}),
    "shared_vista": ("win64", "vista", "Windows Vista ", {"other_products": True}),
    # Wine 8 swaps the product types of these two.
    "damaged_config_win7": ("win64", "win7", "Windows Server 2008 R2 ", {"damaged_config": True}),
    "files_gone_win2008r2": ("win64", "win2008r2", "Windows 7 ", {"product_files": False}),
    "absent_win8": ("win64", "win8", "OS: majorv=6 minorv=2", {"version": None}),
}

# Rows where /report runs on the installed machine and again on the cleaned one.
REPORTED = ("full_winxp64", "no_location_win2003")
# Rows whose second run is /quiet: a Windows version where the removal leaves
# the 64-bit view's Installer records.
QUIET_SECOND = ("shared_vista",)
REPORT = ["/report"]
REPORT_FOLDER = installation.TESTS_FOLDER + r"\report"


def footprint_left(state):
    """Footprint entries still on the machine, as changes that would remove them."""
    empty = {"registry": {}, "files": {}}
    return [c for c in snapshot.diff(state, empty) if footprint.in_footprint(c)]


def low_text(changes):
    return "\n".join(repr(c) for c in changes).lower()


def check_run(result, edition, which):
    check(result.code == 0, "%s run: exit code %d" % (which, result.code))
    check(result.completed(), "%s run: no completion line" % which)
    check(len(result.lines) > 3 and result.lines[3].startswith(edition),
          "%s run: edition %r, expected %r" % (which, result.lines[3:4], edition))


SUITE_31X_PIECES = ("corvanesuiteservice", "hosttag", "corvane/suite")


def expect_suite_removed(left, lines, kept=()):
    text = low_text(left)
    for piece in ("corvane\\tray", "pellane suite", "corvanesuiteservice", "hosttag",
                  "services\\pellane 2", "pellanetray", "corvane/suite"):
        if piece in kept:
            continue
        stayed = [c for c in left if piece in repr(c).lower()]
        check(not stayed, "a suite piece stayed: %s: %r" % (piece, stayed[:3]))
    check("Tarvello Service is used in 0 product(s)" in lines or
          "Unregister Pellane Tools.exe" in lines, "tools count line")


def native_installer_cleaned(version):
    """The tool reaches the Installer records of the 64-bit view (per-machine
    components and products under CurrentVersion\Installer) only through its
    64-bit pass, which runs on 64-bit XP and Server 2003 alone."""
    return not wine.is_64_bit() or version in ("winxp64", "win2003")


def expect_product_removed(left, version):
    if not native_installer_cleaned(version):
        left = [c for c in left if "\\currentversion\\installer\\" not in c.where.lower()]
    text = low_text(left)
    for piece in ("corvane/tarvello", "\\tarvello", "corvane\\tvpro", "programdata/corvane/tarvello",
                  "virtualstore", ".lnk", installation.PRODUCT_KEY.lower(),
                  installation.pack_guid(installation.UPGRADE_CODE).lower(),
                  installation.pack_guid(installation.PRODUCT_CODE).lower()):
        check(piece not in text, "a product piece stayed: " + piece)


def expect_state(name, version, machine, first, left, tray_running):
    lines = first.lines
    places = machine.places
    if machine.product_registry:
        check("Product Version (int): %d" % (14015 if machine.version == "1.4.15" else 14022)
              in lines, "detected version line")
    else:
        check(UNDETECTED in lines, "preventive cleaning lines")
    folder = places.install + "\\"
    check("Tarvello directory: " + folder in lines, "install folder line: " + folder)
    if machine.suite:
        check("Email set to %s from suite config of Pellane version 3.1.x" % machine.address()
              in lines or machine.damaged_config, "e-mail line")
    expect_product_removed(left, version)
    if machine.damaged_config:
        check(any("Error open file: " + places.product_cfg in line for line in lines),
              "no line about the unreadable products list")
    if name.startswith("shared"):
        check(wine.unix(places.product_cfg).is_file(), "the 3.1.x list was removed")
        saved = machine.unsealed(places.product_cfg)
        check(saved == installation.products_document(machine.products(without="TVPRO")),
              "the 3.1.x list as saved:\n" + saved.decode("latin-1"))
        check(tray_running, "the tray was ended")
        check(wine.service_exists("Pellane 2"), "the tools service was removed")
        for which in places.counters:
            check(machine.counter(which) == "0x1", "%s counter: %s" % (which, machine.counter(which)))
        check("Tarvello Service is used in 1 product(s)" in lines, "tools count line")
        check("Number of prosucts = 1" in lines, "tray count line")
    elif name.startswith("older"):
        check("Unregister Pellane Tools.exe" in lines, "older branch line")
        check(not any(l.startswith("Tarvello Service is used in") for l in lines), "newer branch ran")
        expect_suite_removed(left, lines)
    elif machine.damaged_config:
        # A products list that is there but cannot be read may name other products:
        # the 3.1.x suite stays whole, its counter and its list untouched; the tray
        # and the tools, which keep lists of their own, go.
        expect_suite_removed(left, lines, kept=SUITE_31X_PIECES)
        check(not tray_running, "the tray still runs")
        check("Pellane 3.1.x stays: its products list is there but cannot be read, and other "
              "products may still use it" in lines, "no line says why the 3.1.x suite stays")
        for name in ("CorvaneSuiteService.exe", "CorvaneLauncher.exe", r"Languages\en.xml"):
            check(wine.unix(places.brand + "\\" + name).is_file(), "the 3.1.x suite lost " + name)
        check(wine.unix(places.program_data + r"\Corvane\Launch Bar\bar.xml").is_file(),
              "the 3.1.x suite lost its Launch Bar")
        listed = wine.unix(places.product_cfg)
        check(listed.is_file() and listed.read_bytes() == machine.damaged_bytes,
              "the unreadable products list was changed or removed")
        check(any("hosttag" in repr(c).lower() for c in left), "the HostTag key was removed")
        check(machine.counter("launcher") == "0x3",
              "launcher counter: %s" % machine.counter("launcher"))
    else:
        expect_suite_removed(left, lines)
        check(not tray_running, "the tray still runs")


def expect_installer_passes(version, lines):
    """The 64-bit pass runs on 64-bit XP and Server 2003 only, the other always."""
    wanted = wine.is_64_bit() and version in ("winxp64", "win2003")
    check((run.installer_pass("64") in lines) == wanted,
          "64-bit Installer pass %s" % ("missing" if wanted else "ran"))
    check(run.installer_pass("32") in lines, "no 32-bit Installer pass")


def parsed(result, which):
    """The items of a run's report file; a missing or malformed one fails."""
    try:
        if result.report is None:
            raise ValueError("missing")
        return report.parse(result.report)
    except ValueError as fault:
        check(False, "%s: the report file: %s" % (which, fault))
        return []


def report_changes_nothing(exe, before, machine):
    """/report twice on the installed machine: both find the product and write
    the same report, and the machine changes only by logs and reports. Returns
    the machine after them and the report's items."""
    runs = [run.tool(exe, folder=wine.unix(REPORT_FOLDER), args=REPORT) for _ in range(2)]
    for which, result in zip(("first", "second"), runs):
        check(result.code == report.FOUND, "%s /report: exit code %d" % (which, result.code))
    check(runs[0].report is not None and runs[0].report == runs[1].report,
          "/report twice: the report files differ or are missing")
    items = parsed(runs[0], "/report")
    check(report.found(items), "/report: nothing a removal would act on")
    print("/report: %d items; runs %.0f s and %.0f s" % (len(items), runs[0].seconds,
                                                         runs[1].seconds))
    reported = snapshot.take()
    for c in snapshot.diff(before, reported):
        check(footprint.classify(c) in ("log", "wine"), "/report changed: %r" % c)
    machine.tray_process = None
    machine.start()
    return reported, items


def expect_report_agrees(items, reported, after, first, machine):
    """The report names everything the removal then removed, and the version
    and install folder it found."""
    removed = [c for c in snapshot.diff(reported, after)
               if c.what == "removed" and footprint.in_footprint(c)]
    missing = report.unnamed(removed, report.acting(items), wine.is_64_bit())
    check(not missing, "%d of %d removed entries not in the report:\n  %s" % (
        len(missing), len(removed), "\n  ".join(repr(c) for c in missing[:20])))
    found = {i.what: i.where for i in items}
    check(found.get("version") == machine.version, "report: version %r" % found.get("version"))
    folder = (found.get("install folder") or "").rstrip("\\") + "\\"
    check("Tarvello directory: " + folder in first.lines, "report: install folder %r" % folder)


def expect_left_by_design(second, left):
    """The quiet run's leftover listing names the product's Installer records of
    the 64-bit view as left by design, and nothing the removal acts on."""
    listing = report.listed(second.lines)
    check(not report.acting(listing), "quiet run: still present: %r" % report.acting(listing))
    codes = [installation.pack_guid(code).lower()
             for code in (installation.UPGRADE_CODE, installation.PRODUCT_CODE)]
    records = [c for c in left if "\\installer\\" in c.where.lower() and
               any(c.where.lower().endswith(code) for code in codes)]
    check(records, "no Installer records of the 64-bit view left")
    by_design = [i for i in listing if i.left_by_design()]
    for c in report.unnamed(records, by_design, wine.is_64_bit()):
        check(False, "quiet run: not listed as left by design: " + c.where)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("scenario", choices=sorted(SCENARIOS) + ["--list"], nargs="?")
    parser.add_argument("--exe")
    parser.add_argument("--program", action="append", default=[])
    parser.add_argument("--list", action="store_true")
    args = parser.parse_args()
    if args.list:
        for name, (arch, version, _, _) in sorted(SCENARIOS.items()):
            print(name, arch, version)
        return 0
    arch, version, edition, switches = SCENARIOS[args.scenario]
    if not pathlib.Path(args.exe or "").is_file():
        sys.exit("TVRemover.exe not found at %s: build the release tree first" % args.exe)
    if (arch == "win64") != wine.is_64_bit():
        sys.exit("scenario %s needs a %s prefix" % (args.scenario, arch))
    started = time.time()
    wine.set_version(version)
    wine.restart_without_display()
    machine = installation.installation(args.program, **switches)
    machine.seed(start=False)
    wine.unix(REPORT_FOLDER).mkdir(parents=True, exist_ok=True)
    before = snapshot.take()
    machine.start()
    if args.scenario in REPORTED:
        reported, items = report_changes_nothing(args.exe, before, machine)
    first = run.tool(args.exe)
    check_run(first, edition, "first")
    # Whether the tray still runs is asked before the snapshot, which ends it.
    tray_running = machine.tray_running()
    after = snapshot.take()
    changes = snapshot.diff(before, after)
    for c in footprint.outside(changes):
        check(False, "changed outside the footprint: %r" % c)
    left = footprint_left(after)
    expect_state(args.scenario, version, machine, first, left, tray_running)
    expect_installer_passes(version, first.lines)
    if args.scenario in REPORTED:
        expect_report_agrees(items, reported, after, first, machine)

    # The second run meets what stayed running as a user would: started again.
    machine.tray_process = None
    machine.start()
    quiet = args.scenario in QUIET_SECOND
    second = run.tool(args.exe, args=["/quiet"] if quiet else [])
    check_run(second, edition, "second")
    if quiet:
        expect_left_by_design(second, left)
    if args.scenario in REPORTED:
        cleaned = run.tool(args.exe, args=REPORT)
        check(cleaned.code == report.NOTHING_FOUND, "/report after the removal: exit code %d"
              % cleaned.code)
        check(not report.found(parsed(cleaned, "/report after the removal")),
              "/report after the removal found something")
    again = snapshot.take(restart=False)
    for c in snapshot.diff(after, again):
        if footprint.classify(c) not in ("log", "wine"):
            check(False, "the second run changed: %r" % c)
    print("%s: %d changes in the footprint, %d entries of it left; runs %.0f s and %.0f s, "
          "scenario %.0f s" % (args.scenario, sum(footprint.in_footprint(c) for c in changes),
                               len(left), first.seconds, second.seconds, time.time() - started))
    for c in left:
        print("  stayed: %s%s" % (c.where, "  [%s]" % c.name if c.name is not None else ""))
    if failures:
        print("--- first run's log ---")
        print("\n".join(first.lines))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
