#!/usr/bin/env python3
"""End-to-end runs of TVRemover.exe on hostile and damaged machines.

    hostile_machines_e2e.py SCENARIO --exe TVRemover.exe --program FILE...

Each scenario seeds a whole installation (tests/e2e/machine), adds hostile
conditions that do not get in each other's way, takes a snapshot, runs the tool
and checks: exit code 0, "completed OK.", a log line for every failure it met,
and no change of the machine outside the product's and the suite's footprint.

SCENARIO is one of:
  registry   10,000 Uninstall entries; values of the wrong type or size wherever
             the tool reads one; key and value names over 260 characters (the
             suite's counters are still fixed, and its tools stay for the other
             products listed beside such a name);
             non-ASCII names inside and outside the ANSI code page; a
             foreign-sealed (64-bit prefix) or huge (32-bit prefix) "product.cfg"
  files      a Unix symbolic link to an outside folder inside every tree the tool
             removes, and a link to an outside file named as a product file; a
             user profile that is such a link; a huge (64-bit) or empty (32-bit)
             "suite.cfg"; a configurations folder full of odd names; a product
             file and the products list that cannot be changed (immutable), a
             file held open by another program sharing nothing, and the log
             beside the tool locked mid-run
  stuck      a suite program that hangs on "/stop", a service that never stops,
             a tray that refuses "/quit"; the run still finishes within the
             bounded waits
  locations  InstallLocation pointing at the drive root, the Windows folder,
             Program Files itself, a relative path, an over-long path, and a
             path cut by a zero character; one run each on the same machine

The programs are the built stand-ins (installation.PROGRAMS) and file_holder.exe.
Run it through scripts/with-prefix.sh.
"""
import argparse
import os
import pathlib
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

from machine import footprint, installation, run, snapshot  # noqa: E402
from machine import wine as w  # noqa: E402
from machine.checks import check, exit_code, failures  # noqa: E402,F401

UNINSTALL = installation.UNINSTALL
SHARED_DLLS = installation.SHARED_DLLS
USER_DATA = installation.USER_DATA
SERVICES = r"HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services"
FOLDERS = r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Installer\Folders"
DEPENDENT_PRODUCTS = r"HKEY_LOCAL_MACHINE\Software\Pellane Suite\Tools\Dependent Products"
HOSTILE = r"C:\Hostile"
LONG = "L" * 300
WESTERN = "Tarvello \u00dcn\u00efc\u00f8d\u00e9"  # inside code page 1252
FOREIGN = "\u4ea7\u54c1 \u30c6\u30b9\u30c8 \u0422\u0435\u0441\u0442 \U0001f9f9"  # outside it


# --- registry values of any type --------------------------------------------

def sz(text):
    return w.raw(w.quoted(text))


def dword(number):
    return w.raw("dword:%08x" % number)


def typed(kind, data):
    """A value of registry type `kind` holding the raw bytes `data`."""
    return w.raw("hex(%x):" % kind + ",".join("%02x" % b for b in data))


def text_bytes(text, terminators=1):
    return text.encode("utf-16-le") + b"\0\0" * terminators


def import_raw(keys, view):
    """Keys whose values are all w.raw; a key whose import fails is reported and
    left out."""
    return w.import_keys(keys, view, required=False)


# --- the footprint of what a scenario adds ------------------------------------

class extra_footprint:
    """Changes a scenario expects beyond the library's footprint: entries it seeded
    that carry the product's name, and so are the product's to remove."""

    def __init__(self):
        self.keys = []
        self.prefixes = []
        self.files = []

    def add_key(self, path):
        self.keys.append(path.lower().replace("\\wow6432node", ""))

    def add_key_prefix(self, path):
        """Every key whose path starts with `path`, whatever follows."""
        self.prefixes.append(path.lower().replace("\\wow6432node", ""))

    def add_file(self, relative):
        self.files.append(relative.lower())

    def covers(self, c):
        where = c.where.lower().replace("\\wow6432node", "")
        if c.kind == "file":
            return any(where == f or where.startswith(f + "/") for f in self.files)
        return (any(where == k or where.startswith(k + "\\") for k in self.keys)
                or any(where.startswith(k) for k in self.prefixes))


def relative(windows_path):
    return windows_path[3:].replace("\\", "/")


def compare(before, after, extra):
    changes = snapshot.diff(before, after)
    outside = [c for c in footprint.outside(changes) if not extra.covers(c)]
    for c in outside:
        print("outside the footprint: %r" % (c,), file=sys.stderr)
    check(not outside, "%d changes outside the footprint" % len(outside))
    return changes


def expect_completed(result, label=""):
    print("%sthe run took %.1f s, exit code %d" % (label, result.seconds, result.code))
    check(result.code == 0, label + "exit code %d, not 0" % result.code)
    temp = run.temp_log()
    temp_lines = run.entries(temp.read_bytes().decode("utf-8", "replace")) if temp.is_file() else []
    check(result.completed() or run.COMPLETED in temp_lines,
          label + "no \"completed OK.\" in the log")
    check("completed abnormally" not in result.console, label + "the run ended abnormally")
    check("wine: Unhandled" not in result.console, label + "the tool crashed")


def expect_line(result, start, what):
    check(any(line.startswith(start) for line in result.lines),
          "no line starting %r (%s)" % (start, what))


# --- registry ------------------------------------------------------------------

def seed_uninstall_crowd(extra):
    """10,000 entries of other programs, many of them damaged, and a few that
    carry the product's name in damaged forms."""
    keys = []
    kinds = [
        lambda i: {"DisplayName": sz("Other Program %05d" % i), "DisplayVersion": sz("1.0")},
        lambda i: {"DisplayName": dword(i)},
        lambda i: {"DisplayName": typed(3, b"Tarvello")},            # binary
        lambda i: {"DisplayName": typed(7, text_bytes("Tarvello", 2))},  # multi-string
        lambda i: {"DisplayName": typed(1, b"T")},                   # one byte of text
        lambda i: {"DisplayName": typed(1, b"")},                    # empty text
        lambda i: {"DisplayName": typed(0xb, b"\x01" * 8)},          # 64-bit number
        lambda i: {"DisplayName": sz("Tarvello %d" % i)},             # not the product
        lambda i: {},                                                # no values at all
        lambda i: {LONG: sz("a value name over 260 characters"), "DisplayName": sz("x" * 5000)},
    ]
    for i in range(10000):
        keys.append((UNINSTALL + "\\Hostile %05d" % i, kinds[i % len(kinds)](i)))
    if not import_raw(keys, w.tool_view()):
        sys.exit("seeding the Uninstall crowd failed")
    # Entries that match the product's name, each damaged another way: the tool
    # records and removes them, and reads version and folder only from the sound one.
    matching = {
        "!" + WESTERN: {"DisplayName": sz("TARVELLO"), "DisplayVersion": dword(14022),
                        "InstallLocation": typed(3, b"C:\\")},
        "!" + FOREIGN: {"DisplayName": sz("tarvello"), "DisplayVersion": typed(1, b"\x31"),
                        "InstallLocation": typed(7, text_bytes("C:\\Windows", 2))},
    }
    for name, values in matching.items():
        check(import_raw([(UNINSTALL + "\\" + name, values)], w.tool_view()),
              "seeding the Uninstall entry %r" % name)
    extra.add_key_prefix(UNINSTALL + "\\!")
    # Key names are limited to 255 characters; Wine may refuse the attempt.
    long_key = UNINSTALL + "\\" + LONG
    if not import_raw([(long_key, {"DisplayName": sz("Tarvello")})], w.tool_view()):
        print("note: a key name of %d characters cannot be made here" % len(LONG))
    extra.add_key(long_key)


def seed_wrong_types(m):
    """Values of the wrong type or size at every other place the tool reads one."""
    p = m.places
    brand = p.brand
    check(import_raw([
        (SHARED_DLLS, {brand + r"\CorvaneLauncher-as-text.exe": sz("3"),
                       brand + r"\ovhtml-short.dll": typed(4, b"\x03\x00"),
                       brand + r"\ovhtml-long.dll": typed(0xb, b"\x03" + b"\0" * 7),
                       brand + r"\ovhtml-binary.dll": typed(3, b"\x03\0\0\0"),
                       brand + "\\" + LONG + r"\CorvaneLauncher.exe": dword(3)}),
        (DEPENDENT_PRODUCTS,
         {"Odd " + WESTERN: dword(1), "Odd " + FOREIGN: typed(3, b""), LONG: sz("1")}),
        (r"HKEY_CURRENT_USER\Software\Corvane\TVPRO" + "\\" + FOREIGN, {LONG: typed(3, b"\0" * 4096)}),
    ], w.tool_view()), "seeding values of the wrong type")
    components = USER_DATA + r"\Components"
    check(import_raw([
        (components + r"\F00DF00DF00DF00DF00DF00DF00DF00D", {"00": dword(7)}),
        (components + r"\F00DF00DF00DF00DF00DF00DF00DF00E",
         {"00": typed(1, ("C:\\x\\" + "y" * 4000 + "\\Tarvello.dll").encode("utf-16-le"))}),
        (components + r"\F00DF00DF00DF00DF00DF00DF00DF00F", {}),
        (components + "\\" + FOREIGN, {"00": typed(1, text_bytes(FOREIGN))}),
        (SERVICES + r"\Hostile Service A", {"ImagePath": dword(1), "DisplayName": dword(2)}),
        (SERVICES + r"\Hostile Service B", {"ImagePath": typed(3, b"Pellane2.exe")}),
        (SERVICES + "\\Hostile " + FOREIGN, {"ImagePath": sz("C:\\" + FOREIGN + ".exe")}),
        (FOLDERS, {"C:\\": sz(""), "C:\\windows\\": sz(""), p.program_files + "\\": sz(""),
                   "C:\\" + LONG + "\\": dword(0)}),
    ], w.native_view()), "seeding Installer and service records of the wrong type")


def tool_view_values(state, key):
    """{lower-cased value name: data text} of a machine key in the tool's view, as
    a snapshot holds it, or None when the key is missing."""
    wanted = key.lower()
    if state["wow64"]:
        wanted = wanted.replace("hkey_local_machine\\software\\",
                                "hkey_local_machine\\software\\wow6432node\\", 1)
    values = next((v for k, v in state["registry"].items() if k.lower() == wanted), None)
    return None if values is None else {name.lower(): data for name, data in values.items()}


def expect_tools_kept(result, m, after):
    """Two other products stay listed beside a name too long to read: the tools
    stay for them, and the counters are fixed from the names that can be read."""
    check(result.has("Tarvello Service is used in 2 product(s)"),
          "the tools' users were not counted from the readable names")
    listed = tool_view_values(after, DEPENDENT_PRODUCTS)
    check(listed is not None, "the tools' Dependent Products key is gone")
    listed = listed or {}
    check("tarvello" not in listed, "the product is still listed as using the tools")
    check(len([n for n in listed if n.startswith("odd ")]) == 2 and LONG.lower() in listed,
          "the other products' entries changed: %r" % sorted(n[:20] for n in listed))
    check(w.unix(m.places.tools + r"\Pellane2.exe").is_file(), "the tools' program is gone")
    counters = tool_view_values(after, SHARED_DLLS) or {}
    tools = counters.get(m.places.counters["tools"].lower())
    check(tools == "dword:00000002", "the tools' counter is %r, not 2" % tools)
    tray = counters.get(m.places.counters["tray"].lower())
    check(tray is None, "the removed tray's counter stayed: %r" % tray)


def scenario_registry(args):
    extra = extra_footprint()
    w.restart_without_display()
    m = installation.installation(args.program)
    m.seed(start=False)
    seed_uninstall_crowd(extra)
    seed_wrong_types(m)
    if w.is_64_bit():
        m.write_config(["foreign", m.places.product_cfg])
    else:
        w.unix(m.places.product_cfg).write_bytes(os.urandom(1024) * 32 * 1024)  # 32 MB
    before = snapshot.take()
    m.start()
    result = run.tool(args.exe)
    m.stop_tray()
    after = snapshot.take()
    expect_completed(result)
    for name in (WESTERN, FOREIGN):
        check(any(line.startswith(". Product information is found") and line.endswith(name)
                  for line in result.lines), "the entry named %r was not found" % name)
    check(result.has("Product Version (int): 14022"), "the sound entry's version was not used")
    expect_line(result, "ATTENTION: could not find DisplayVersion in", "a version of the wrong type")
    changes = compare(before, after, extra)
    # Wine's hive files write non-ASCII characters of key names as escapes, so the
    # product's damaged entries are recognised by the mark their names start with.
    marked = (UNINSTALL + "\\!").lower()
    left = [k for k in after["registry"] if k.lower().replace("\\wow6432node", "").startswith(marked)]
    check(not left, "entries with the product's name stayed: %r" % left)
    crowd = [c for c in changes if "\\uninstall\\hostile " in c.where.lower()]
    check(not crowd, "%d of the other Uninstall entries changed" % len(crowd))
    odd_counters = [c for c in changes if c.kind == "value" and "shareddlls" in c.where.lower()
                    and ("-as-text" in c.name or "-short" in c.name or "-long" in c.name
                         or "-binary" in c.name)]
    check(not odd_counters, "counters of the wrong type were changed: %r" % odd_counters)
    expect_tools_kept(result, m, after)


# --- files -------------------------------------------------------------------

def link(m, windows_link, target_folder):
    """A Unix symbolic link, made from Linux: under Wine 8 CreateSymbolicLinkW and
    mklink make nothing, so this is the only kind of folder link there is."""
    path = w.unix(windows_link)
    path.parent.mkdir(parents=True, exist_ok=True)
    target = w.unix(target_folder)
    target.mkdir(parents=True, exist_ok=True)
    (target / "keep.txt").write_text("must survive")
    os.symlink(target, path)


def seed_links(m, extra):
    p = m.places
    trees = [p.install + r"\Documents", p.install + r"\Languages", p.install + r"\HTML",
             p.install + r"\plugins", p.install + r"\x64", p.brand + r"\Melkora\Tarvello",
             p.app_data + r"\Corvane\Tarvello", p.app_data + r"\Corvane\TVPRO",
             p.program_data + r"\Corvane\Tarvello", p.program_data + r"\Corvane\Suite",
             p.program_data + r"\Corvane\Launch Bar",
             p.program_data + "\\" + installation.GUID_FOLDER,
             p.virtual_store(p.user), p.common_programs + r"\Corvane\Tarvello",
             p.tray + r"\HTML"]
    for number, tree in enumerate(trees):
        link(m, tree + r"\link to outside", HOSTILE + r"\Outside %02d" % number)
    # A product file that is a link to a file elsewhere.
    outside_file = w.unix(HOSTILE + r"\Outside file.dll")
    outside_file.parent.mkdir(parents=True, exist_ok=True)
    outside_file.write_text("must survive")
    emblem = w.unix(p.install + r"\Emblem.exe")
    emblem.unlink()
    os.symlink(outside_file, emblem)
    # A whole user profile that is a link to a folder elsewhere, holding the
    # suite's per-user data: that data is the user's, and goes; nothing else does.
    profile = HOSTILE + r"\Linked Profile"
    for name in (r"AppData\Roaming\Corvane\Suite\suite.dat",
                 r"AppData\Local\VirtualStore\ProgramData\Corvane\cache.dat",
                 r"Documents\letter.txt"):
        m.touch(profile + "\\" + name)
    os.symlink(w.unix(profile), w.unix(r"C:\users\tvr-linked"))
    extra.add_file(relative(profile) + "/appdata/roaming/corvane")
    extra.add_file(relative(profile) + "/appdata/local/virtualstore/programdata/corvane")


def seed_odd_configurations(m):
    folder = w.unix(m.places.program_data + r"\Corvane\Tray\Configurations")
    folder.mkdir(parents=True, exist_ok=True)
    for name in ["TVPRO.xml.bak", "tvpro.XML", ".xml", "..xml", "CON.xml", "aux", "trail.xml.",
                 " lead.xml", "\u00dcn\u00efc\u00f8d\u00e9.xml", FOREIGN + ".xml",
                 "n" * 250 + ".xml", "star*.xml", "what?.xml", "new\nline.xml", "back\\slash.xml"]:
        (folder / name).write_text("<odd/>")
    (folder / "nbpro.xml.d").mkdir()
    (folder / "folder.xml").mkdir()
    os.symlink(w.unix(HOSTILE + r"\Outside file.dll"), folder / "link.xml")


class holder:
    """file_holder.exe holding a file for the length of the run."""

    def __init__(self, program, windows_file, mode, delay_ms=0):
        self.process = w.program(["wine", str(program), windows_file, mode, str(delay_ms)])
        self.delay = delay_ms

    def wait_held(self):
        line = next(self.process.lines(), b"").decode(errors="replace").strip()
        return line == "held"

    def end(self):
        self.process.kill()


def scenario_files(args):
    extra = extra_footprint()
    w.restart_without_display()
    m = installation.installation(args.program)
    m.seed(start=False)
    p = m.places
    seed_links(m, extra)
    seed_odd_configurations(m)
    if w.is_64_bit():
        w.unix(p.suite_cfg).write_bytes(os.urandom(1024) * 32 * 1024)  # 32 MB
    else:
        w.unix(p.suite_cfg).write_bytes(b"")
    # Files no one may change or delete (immutable on the host: access denied): a
    # product file, and the products list, whose save then fails.
    immutable = [w.unix(p.install + r"\Languages\en.lng"), w.unix(p.product_cfg)]
    held_file = p.install + r"\plugins\scan.dll"
    folder = tempfile.mkdtemp(prefix="tvremover-run-")
    before = snapshot.take()
    m.start()
    subprocess.run(["chattr", "+i"] + [str(f) for f in immutable], check=True)
    holders = []
    try:
        holders.append(holder(args.file_holder, held_file, "exclusive"))
        check(holders[-1].wait_held(), "the file could not be held")
        # The log beside the tool: present before the run, locked a few seconds in.
        log = pathlib.Path(folder) / run.LOG_NAME
        log.write_bytes(b"\xef\xbb\xbf")
        holders.append(holder(args.file_holder, w.windows_path(log), "lock", 4000))
        result = run.tool(args.exe, folder=folder)
        check(holders[-1].wait_held(), "the log file was not locked during the run")
    finally:
        for h in holders:
            h.end()
        subprocess.run(["chattr", "-i"] + [str(f) for f in immutable])
    m.stop_tray()
    after = snapshot.take()
    # The log beside the tool lost its lines once locked; the other one holds the run.
    temp = run.temp_log().read_bytes().decode("utf-8", "replace")
    result.lines = run.entries(temp.lstrip("\ufeff"))
    expect_completed(result)
    expect_line(result, "! Failed to remove folder '" + p.install + "\\Languages",
                "a file that cannot be deleted")
    expect_line(result, "! Failed to remove folder '" + p.install + "\\plugins",
                "a file held open by another program")
    expect_line(result, "FAILED TO remove '" + p.install + "\\Emblem.exe'",
                "a product file that is a link")
    check(any("is a link that this system cannot remove" in line for line in result.lines),
          "no line names a link left in place")
    compare(before, after, extra)
    for number in range(15):
        check(w.unix(HOSTILE + r"\Outside %02d\keep.txt" % number).is_file(),
              "the folder behind link %d lost its file" % number)
    check(w.unix(HOSTILE + r"\Outside file.dll").is_file(), "the file behind a link is gone")
    check(w.unix(HOSTILE + r"\Linked Profile\Documents\letter.txt").is_file(),
          "the linked profile lost a document")


# --- programs that hang ---------------------------------------------------------

def scenario_stuck(args):
    w.restart_without_display()
    m = installation.installation(args.program)
    # The products list as seeded, the product and the suite alone: the suite goes,
    # so its service program is asked to "/stop". (A list that is there but cannot
    # be read keeps the suite, and nothing would be asked.)
    m.seed(start=False)
    w.import_keys([(installation.TESTS_KEY + r"\Suite Service", {"stop hangs": 1}),
                   (installation.TESTS_KEY + r"\Tools", {"StopStuck": 1}),
                   (installation.TESTS_KEY + r"\Tray", {"RefuseQuit": 1})], w.tool_view())
    before = snapshot.take()
    m.start()
    result = run.tool(args.exe)
    after = snapshot.take()
    expect_completed(result)
    expect_line(result, "The program did not end within 60 seconds and was terminated",
                "a suite program that hangs on /stop")
    check(result.has("Wait timed out") or result.has("Service stop timed out."),
          "the stuck service's wait was not logged as timed out")
    expect_line(result, "Terminate running process:", "a tray that refuses to quit")
    check(not m.tray_running(), "the tray that refused to quit is still running")
    compare(before, after, extra_footprint())


# --- install locations ------------------------------------------------------------

def scenario_locations(args):
    w.restart_without_display()
    # Another product keeps the suite, so that the brand folder holding it stays
    # through every run and shows what a wrong folder would cost.
    m = installation.installation(args.program, other_products=True)
    m.seed(start=False)
    p = m.places
    entry = UNINSTALL + "\\" + installation.PRODUCT_KEY
    deep = p.brand + "\\" + "d" * 200 + "\\" + "e" * 120
    for name in installation.PRODUCT_FILES:
        m.touch(deep + "\\Tarvello\\" + name)
    folder = tempfile.mkdtemp(prefix="tvremover-run-")
    bait = pathlib.Path(folder) / "Tarvello" / "Documents" / "keep.txt"
    bait.parent.mkdir(parents=True)
    bait.write_text("must survive")
    for view in set([w.native_view(), w.tool_view()]):
        check(import_raw([(FOLDERS, {"C:\\": sz(""), "C:\\windows\\": sz(""),
                                     p.program_files + "\\": sz("")})], view),
              "seeding the Installer folder list")
    locations = [
        # Stored with two terminators: the text goes on after a zero. Read as
        # written, the brand folder holding the tray and the suite would be
        # taken for every sub-folder of the product.
        ("a path cut by a zero", typed(1, text_bytes(p.brand + "\\", 1) + text_bytes("x"))),
        ("the drive root", sz("C:\\")),
        ("the Windows folder", sz("C:\\windows")),
        ("Program Files itself", sz(p.program_files + "\\")),
        ("a relative path", sz("Tarvello\\")),
        ("an over-long path", sz(deep)),
    ]
    before = snapshot.take()
    m.start()
    for label, location in locations:
        import_raw([(entry, {"DisplayName": sz("Tarvello"), "DisplayVersion": sz("1.4.22"),
                             "InstallLocation": location})], w.tool_view())
        result = run.tool(args.exe, folder=folder)
        expect_completed(result, label + ": ")
        if label == "a relative path":
            expect_line(result, "ATTENTION: installation directory 'Tarvello\\' is not a full path",
                        "a relative folder refused")
        if label == "a path cut by a zero":
            expect_line(result, "ATTENTION: installation directory", "a zero inside the folder")
        check(bait.is_file(), label + ": the folder below the current one was touched")
    m.stop_tray()
    after = snapshot.take()
    changes = compare(before, after, extra_footprint())
    deep_gone = [c for c in changes if c.kind == "file" and "/" + "d" * 200 in c.where.lower()]
    print("entries removed from the over-long folder: %d" % len(deep_gone))
    for name in ("CorvaneSuiteService.exe", r"Tray\CorvaneTray.exe", r"Tray\ovhtml.dll"):
        check(w.unix(p.brand + "\\" + name).is_file(),
              "the suite's %s, kept for another product, is gone" % name)


SCENARIOS = {"registry": scenario_registry, "files": scenario_files, "stuck": scenario_stuck,
             "locations": scenario_locations}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("scenario", choices=sorted(SCENARIOS))
    parser.add_argument("--exe", required=True)
    parser.add_argument("--program", action="append", default=[])
    args = parser.parse_args()
    args.file_holder = next((pathlib.Path(p) for p in args.program
                             if pathlib.Path(p).name == "file_holder.exe"), None)
    started = time.time()
    SCENARIOS[args.scenario](args)
    print("scenario %s: %.0f s in all" % (args.scenario, time.time() - started))
    return exit_code("all checks passed")


if __name__ == "__main__":
    sys.exit(main())
