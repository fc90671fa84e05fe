"""Checks of the machine library's own logic that need no Wine: the hive reader,
the snapshot diff, the footprint classes, the packed GUIDs, the summary and the
runner's waiting."""
import os
import pathlib
import signal
import sys
import tempfile
import time
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1]))

from machine import footprint, installation, report, run, snapshot, summary, wine  # noqa: E402

HIVE = r'''WINE REGISTRY Version 2
;; All keys relative to \\Machine

#arch=win64

[Software\\Corvane\\TVPRO\\Settings] 1700000000
#time=1d9a0b0c0d0e0f0
"Scans"=dword:00000003
"Path"="C:\\Program Files\\Corvane"
@="default"
"Quote \"inside\""="x"

[Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs] 1700000000
"C:\\Program Files (x86)\\Corvane\\Tray\\ovhtml.dll"=dword:00000003
"C:\\Other\\Shared.dll"=dword:00000001
"Blob"=hex:00,01,02,\
  03,04

[System\\CurrentControlSet\\Services\\Pellane 2] 1700000000
#link
"ImagePath"=str(2):"C:\\Tools\\Pellane2.exe"
'''


def state(registry=None, files=None):
    return {"registry": registry or {}, "files": files or {}, "wow64": True}


class hive_reader(unittest.TestCase):
    def setUp(self):
        folder = tempfile.mkdtemp()
        self.path = os.path.join(folder, "system.reg")
        pathlib.Path(self.path).write_text(HIVE)
        self.keys = snapshot.read_hive(self.path, "HKEY_LOCAL_MACHINE")

    def test_values_with_escapes_and_defaults(self):
        settings = self.keys[r"HKEY_LOCAL_MACHINE\Software\Corvane\TVPRO\Settings"]
        self.assertEqual(settings["Scans"], "dword:00000003")
        self.assertEqual(settings[""], '"default"')
        self.assertIn('Quote "inside"', settings)
        self.assertNotIn("#time", str(settings))

    def test_continued_lines_are_joined(self):
        shared = self.keys[r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\SharedDLLs"]
        self.assertEqual(shared["Blob"], "hex:00,01,02,03,04")
        self.assertEqual(shared[r"C:\Program Files (x86)\Corvane\Tray\ovhtml.dll"], "dword:00000003")

    def test_parents_without_values_are_keys(self):
        # Otherwise removing the last subkey would look like a key appearing.
        self.assertEqual(self.keys[r"HKEY_LOCAL_MACHINE\Software\Corvane"], {})
        self.assertIn(r"HKEY_LOCAL_MACHINE\Software", self.keys)
        self.assertNotIn("HKEY_LOCAL_MACHINE", self.keys)


class differences(unittest.TestCase):
    def test_keys_values_and_files_compared_without_case(self):
        before = state({r"HKLM\A": {"x": "1", "y": "2"}, r"HKLM\Gone": {}},
                       {"Program Files/Corvane": ["folder", 0], "a.txt": ["file", 3]})
        after = state({r"hklm\a": {"X": "1", "y": "3", "z": "4"}, r"HKLM\New": {}},
                      {"program files/corvane": ["folder", 0], "a.txt": ["file", 4]})
        seen = {(c.kind, c.what, c.where, c.name) for c in snapshot.diff(before, after)}
        self.assertEqual(seen, {("key", "removed", r"HKLM\Gone", None),
                                ("key", "added", r"HKLM\New", None),
                                ("value", "changed", r"HKLM\A", "y"),
                                ("value", "added", r"HKLM\A", "z"),
                                ("file", "changed", "a.txt", None)})

    def test_identical_snapshots_have_no_changes(self):
        one = state({r"HKLM\A": {"x": "1"}}, {"a": ["file", 1]})
        self.assertEqual(snapshot.diff(one, one), [])


class footprint_classes(unittest.TestCase):
    def check(self, kind, where, expected, name=None):
        got = footprint.classify(snapshot.change(kind, "removed", where, name))
        self.assertEqual(got, expected, where)

    def test_product_and_suite_keys_in_either_view(self):
        for where in (r"HKEY_LOCAL_MACHINE\Software\Wow6432Node\Corvane\TVPRO",
                      r"HKEY_LOCAL_MACHINE\Software\Pellane Suite\Tools",
                      r"HKEY_LOCAL_MACHINE\Software\Wow6432Node\tarvello",
                      r"HKEY_CURRENT_USER\Software\Corvane",
                      r"HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Pellane 2",
                      r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall"
                      "\\" + installation.PRODUCT_KEY,
                      r"HKEY_LOCAL_MACHINE\Software\Classes\Installer\UpgradeCodes"
                      "\\" + installation.pack_guid(installation.UPGRADE_CODE)):
            self.check("key", where, "footprint")

    def test_neighbours_are_outside(self):
        for where in (r"HKEY_LOCAL_MACHINE\Software\Corvane Other",
                      r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall",
                      r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall"
                      r"\{33333333-AAAA-4000-8000-000000000003}",
                      r"HKEY_LOCAL_MACHINE\Software\Classes\Installer\Products\0123",
                      r"HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Pellane 22"):
            self.check("key", where, "outside")
        shared = r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\SharedDLLs"
        self.check("value", shared, "outside", r"C:\Other\Shared.dll")
        self.check("value", shared, "footprint", r"C:\Program Files\Corvane\Tray\ovhtml.dll")
        run = r"HKEY_LOCAL_MACHINE\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Run"
        self.check("value", run, "footprint", "PellaneTray")
        self.check("value", run, "outside", "Other App")

    def test_files(self):
        self.check("file", "Program Files (x86)/Corvane/Tarvello/Tarvello.dll", "footprint")
        self.check("file", "Program Files/Common Files/Pellane Suite", "footprint")
        self.check("file", "users/root/AppData/Local/VirtualStore/ProgramData/Corvane", "footprint")
        self.check("file", "users/root/Temp/TVRemover.log.txt", "log")
        self.check("file", "TVR Tests/work/TVRemover.report.txt", "log")
        self.check("file", "Program Files/Corvane Labs/app.exe", "outside")
        self.check("file", "users/root/Desktop/Other.lnk", "outside")
        self.check("file", "ProgramData/{0C0C0C0C-1111-4222-8333-444444444444}", "outside")
        self.check("file", "windows/temp/x.tmp", "wine")


class packed_guids(unittest.TestCase):
    def test_known_code(self):
        self.assertEqual(installation.pack_guid("{5E0A91C4-7B2D-4F83-9C16-2D8B4E7A03F5}"),
                         "4C19A0E5D2B738F4C961D2B8E4A7305F")

    def test_lower_case_input(self):
        self.assertEqual(installation.pack_guid("{5e0a91c4-7b2d-4f83-9c16-2d8b4e7a03f5}"),
                         "4C19A0E5D2B738F4C961D2B8E4A7305F")


class registry_files(unittest.TestCase):
    def test_each_kind_of_value(self):
        text = wine.reg_file([(r"HKEY_CURRENT_USER\Software\T",
                               {"": "a\\b", "n": 5, "b": b"\x01\x02", "r": wine.raw("hex(7):00,00"),
                                "gone": None})])
        self.assertEqual(text.split("\r\n")[2:9],
                         [r"[HKEY_CURRENT_USER\Software\T]", r'@="a\\b"', '"n"=dword:00000005',
                          '"b"=hex:01,02', '"r"=hex(7):00,00', '"gone"=-', ""])


class summary_lines(unittest.TestCase):
    def test_removed_tree_is_one_line_and_outside_changes_are_named(self):
        before = state({r"HKEY_LOCAL_MACHINE\Software\Corvane": {},
                        r"HKEY_LOCAL_MACHINE\Software\Corvane\TVPRO": {"a": "1"},
                        r"HKEY_LOCAL_MACHINE\Software\Other": {"b": "1"}},
                       {"Program Files/Corvane": ["folder", 0],
                        "Program Files/Corvane/Tarvello": ["folder", 0],
                        "Program Files/Corvane/Tarvello/a.dll": ["file", 1],
                        "Program Files/Corvane/Tray": ["folder", 0],
                        "Program Files/Corvane/Tray/CorvaneTray.exe": ["file", 1]})
        after = state({r"HKEY_LOCAL_MACHINE\Software\Corvane": {},
                       r"HKEY_LOCAL_MACHINE\Software\Other": {}},
                      {"Program Files/Corvane": ["folder", 0],
                       "Program Files/Corvane/Tray": ["folder", 0],
                       "Program Files/Corvane/Tray/CorvaneTray.exe": ["file", 1]})
        text = "\n".join(summary.lines(before, after, snapshot.diff(before, after)))
        self.assertIn(r"key    HKLM\Software\Corvane\TVPRO", text)
        self.assertIn(r"files  C:\Program Files\Corvane\Tarvello (and 1 entry inside)", text)
        self.assertNotIn(r"a.dll", text)
        self.assertIn(r"files  C:\Program Files\Corvane  <- holds suite pieces", text)
        self.assertIn("the suite tray", text)
        self.assertIn(r"removed value HKEY_LOCAL_MACHINE\Software\Other  [b]", text)


REPORT = "\r\n".join([
    "version\t1.4.22\tfrom the DisplayVersion of the Uninstall entry",
    "install folder\tC:\\Program Files (x86)\\Corvane\\Tarvello\tfound by: InstallLocation",
    "folder\tC:\\Program Files (x86)\\Corvane\\Tarvello\tremove with everything in it",
    "folder\tC:\\Program Files (x86)\\Corvane\\Tray\tkeep: used by 1 other product",
    "registry key\tHKEY_LOCAL_MACHINE\\Software\\Corvane\\TVPRO\tremove",
    "installer record\tHKEY_LOCAL_MACHINE\\Software\\Classes\\Installer\\Features\\E2D1\tremove",
    "installer record\tHKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Installer"
    "\\UserData\\S-1-5-18\\Products\\E2D1\tremove",
    "installer record (64-bit view)\tHKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Installer\\Products\\C7D1\tremove",
    "shared DLL counter\t" + installation.SHARED_DLLS + "\\C:\\Program Files (x86)\\Corvane\\Tray\\ovhtml.dll"
    "\tlower the count to 2",
    "service\tPellane 2\tdelete",
    "installer record (64-bit view)\tHKEY_LOCAL_MACHINE\\Software\\Classes\\Installer\\UpgradeCodes\\4C19"
    "\tleave: left by design on this Windows version",
]).encode() + b"\r\n"


class report_items(unittest.TestCase):
    def test_fields_of_each_line(self):
        items = report.parse(REPORT)
        self.assertEqual(len(items), 11)
        self.assertEqual(items[8].where, installation.SHARED_DLLS +
                         r"\C:\Program Files (x86)\Corvane\Tray\ovhtml.dll")
        self.assertEqual([i.what for i in report.acting(items)],
                         ["folder", "registry key", "installer record", "installer record",
                          "installer record (64-bit view)", "shared DLL counter", "service"])
        self.assertTrue(items[10].left_by_design())
        self.assertTrue(report.found(items))
        self.assertFalse(report.found([items[0], items[1], items[3], items[10]]))
        self.assertEqual(report.parse(b""), [])

    def test_malformed_files_are_refused(self):
        for data in (b"\xef\xbb\xbf" + REPORT, REPORT.replace(b"\r\n", b"\n"), REPORT[:-2],
                     REPORT + b"file\tC:\\a\r\n", REPORT + b"file\tC:\\a\tremove\textra\r\n",
                     REPORT + b"file\t\tremove\r\n", REPORT + b"file\tC:\\a \tremove\r\n",
                     REPORT + b"file\tC:\\\xe9\tremove\r\n"):
            with self.assertRaises(ValueError, msg=data[-40:]):
                report.parse(data)

    def test_removed_changes_named_by_a_path_or_an_ancestor_in_their_view(self):
        acting = report.acting(report.parse(REPORT))
        named = [snapshot.change("file", "removed", "Program Files (x86)/Corvane/Tarvello/HTML/gfx"),
                 snapshot.change("key", "removed",
                                 r"HKEY_LOCAL_MACHINE\Software\Wow6432Node\Corvane\TVPRO\Settings"),
                 snapshot.change("key", "removed",
                                 r"HKEY_LOCAL_MACHINE\Software\Classes\Installer\Products\C7D1"),
                 # One key for both views: named by either.
                 snapshot.change("key", "removed",
                                 r"HKEY_LOCAL_MACHINE\Software\Classes\Installer\Features\E2D1"),
                 snapshot.change("value", "removed", installation.SHARED_DLLS.replace(
                     "SOFTWARE", r"Software\Wow6432Node"),
                     r"C:\Program Files (x86)\Corvane\Tray\ovhtml.dll"),
                 snapshot.change("key", "removed",
                                 r"HKEY_LOCAL_MACHINE\System\ControlSet001\Services\Pellane 2\Enum")]
        self.assertEqual(report.unnamed(named, acting, True), [])
        unnamed = [
            # A sibling whose name the named folder's starts with; a kept folder.
            snapshot.change("file", "removed", "Program Files (x86)/Corvane/Tarvello2"),
            snapshot.change("file", "removed", "Program Files (x86)/Corvane/Tray/ovhtml.dll"),
            # The other view of a named key, and a record left by design.
            snapshot.change("key", "removed", r"HKEY_LOCAL_MACHINE\Software\Corvane\TVPRO"),
            snapshot.change("key", "removed", r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows"
                            r"\CurrentVersion\Installer\UserData\S-1-5-18\Products\E2D1"),
            snapshot.change("key", "removed",
                            r"HKEY_LOCAL_MACHINE\Software\Classes\Installer\UpgradeCodes\4C19"),
            snapshot.change("key", "removed",
                            r"HKEY_LOCAL_MACHINE\System\ControlSet001\Services\Pellane 22")]
        self.assertEqual(report.unnamed(unnamed, acting, True), unnamed)
        # One view only: a 32-bit machine's keys are named whatever the item's view.
        self.assertEqual(report.unnamed(unnamed[2:3], acting, False), [])

    def test_leftover_listing_among_log_entries(self):
        entries = ["Tarvello Remover version 1.0.6.4 completed OK.",
                   "   file\tC:\\a.dll\tremove", "a line\twith one tab"]
        self.assertEqual(report.listed(entries), [report.item("file", "C:\\a.dll", "remove")])


# Stands in for a Windows program whose output a process it started keeps open
# (as Wine's explorer.exe /desktop does): prints, starts a sleeper that inherits
# its output, and ends with exit code 3.
HANDING_ON = """#!%s
import os, subprocess, sys, time
print("first line", flush=True)
sleeper = subprocess.Popen(["sleep", "60"])
with open("sleeper.pid", "w") as pid:
    pid.write(str(sleeper.pid))
time.sleep(0.3)
sys.stdout.write("last line without end")
sys.exit(3)
""" % sys.executable


class runner_waits_for_the_program_only(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp()
        bin_folder = os.path.join(self.folder, "bin")
        os.mkdir(bin_folder)
        # `wine PROGRAM` runs the program itself.
        fake_wine = pathlib.Path(bin_folder, "wine")
        fake_wine.write_text('#!/bin/sh\nexec "$@"\n')
        self.exe = pathlib.Path(self.folder, "tool.py")
        self.exe.write_text(HANDING_ON)
        for path in (fake_wine, self.exe):
            path.chmod(0o755)
        self.path = os.environ["PATH"]
        os.environ["PATH"] = bin_folder + os.pathsep + self.path

    def tearDown(self):
        os.environ["PATH"] = self.path
        pid = pathlib.Path(self.folder, "sleeper.pid")
        if pid.is_file():
            os.kill(int(pid.read_text()), signal.SIGKILL)

    def test_a_whole_run_ends_with_the_program(self):
        started = time.time()
        result = run.tool(self.exe, folder=self.folder, timeout=20)
        self.assertLess(time.time() - started, 10)
        self.assertEqual(result.code, 3)
        self.assertEqual(result.console, "first line\nlast line without end")

    def test_lines_as_written_then_the_rest(self):
        started = run.start(self.exe, self.folder)
        lines = started.lines()
        self.assertEqual(next(lines), b"first line\n")
        self.assertEqual(list(lines), [])
        self.assertEqual(started.output(), b"last line without end")
        self.assertEqual(started.finish(1).returncode, 3)

    def test_a_wine_command_past_its_time_fails_the_test(self):
        with self.assertRaises(SystemExit):
            wine.wine("sleep", "30", timeout=0.5)


if __name__ == "__main__":
    unittest.main()
