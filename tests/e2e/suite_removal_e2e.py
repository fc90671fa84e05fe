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
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile
import time

UNINSTALL = r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall"
SHARED_DLLS = r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\SharedDLLs"
RUN = r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
PRODUCT_KEY = "{5A5A5A5A-1111-4000-8000-00000000AAAA}"

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED: " + what, file=sys.stderr)


def wine(*args, **kwargs):
    return subprocess.run(["wine", *args], stdin=subprocess.DEVNULL, capture_output=True,
                          **kwargs)


def unix(windows_path):
    out = subprocess.run(["winepath", "-u", windows_path], stdin=subprocess.DEVNULL,
                         capture_output=True, text=True, check=True)
    return pathlib.Path(out.stdout.strip())


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


def quoted(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def import_keys(keys, view_flags, folder):
    lines = ["Windows Registry Editor Version 5.00", ""]
    for path, values in keys:
        lines.append("[" + path + "]")
        for name, value in values.items():
            data = quoted(value) if isinstance(value, str) else "dword:%08x" % value
            lines.append(quoted(name) + "=" + data)
        lines.append("")
    path = pathlib.Path(folder) / "seed.reg"
    path.write_bytes(b"\xff\xfe" + ("\r\n".join(lines) + "\r\n").encode("utf-16-le"))
    result = wine("reg", "import", windows_path(path), *view_flags)
    if result.returncode != 0:
        sys.exit("seeding failed: " + result.stderr.decode(errors="replace"))


def query_value(key, name, view_flags):
    """The data text of a value, or None when it is missing."""
    result = wine("reg", "query", key, "/v", name, *view_flags)
    if result.returncode != 0:
        return None
    for line in result.stdout.decode(errors="replace").splitlines():
        parts = line.split()
        if parts and parts[0] == name.split()[0] and len(parts) >= 3:
            return parts[-1]
    return None


def key_exists(key, view_flags):
    return wine("reg", "query", key, *view_flags).returncode == 0


def service_exists(name):
    return wine("sc", "query", name).returncode == 0 and \
        b"1060" not in wine("sc", "query", name).stdout


def restart_without_display():
    """Message boxes then fail at once instead of waiting for an answer."""
    wine("reg", "delete", r"HKCU\Software\Wine\Drivers", "/v", "Graphics", "/f")
    subprocess.run(["wineserver", "-k"])
    subprocess.run(["wineserver", "-w"])
    subprocess.run(["wineserver", "-p"])
    subprocess.run(["wine", "cmd", "/c", "exit"], stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


class machine:
    def __init__(self, programs, work):
        self.programs = {pathlib.Path(p).name: pathlib.Path(p) for p in programs}
        self.work = work
        prefix = pathlib.Path(os.environ["WINEPREFIX"])
        self.wow64 = (prefix / "drive_c/windows/syswow64").is_dir()
        self.view = ["/reg:32"] if self.wow64 else []
        self.program_files = r"C:\Program Files (x86)" if self.wow64 else r"C:\Program Files"
        self.common_files = self.program_files + r"\Common Files"
        data = wine("cmd", "/c", "echo", "%ProgramData%").stdout.decode().strip()
        self.program_data = data if data and "%" not in data else r"C:\ProgramData"
        self.brand = self.program_files + r"\Corvane"
        self.tray = self.brand + r"\Tray"
        self.tools = self.common_files + r"\Pellane Suite\Tools" + ("\\x64" if self.wow64 else "")
        self.counters = {"launcher": self.brand + r"\CorvaneLauncher.exe",
                         "tray": self.tray + r"\ovhtml.dll",
                         "tools": self.common_files + r"\Pellane Suite\Tools\Pellane ToolsPS.dll"}

    def place(self, program, windows_folder, name=None):
        target = unix(windows_folder)
        target.mkdir(parents=True, exist_ok=True)
        shutil.copy(self.programs[program], target / (name or program))

    def touch(self, windows_file):
        path = unix(windows_file)
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_text("x")

    def seed(self, version, shared):
        others = ["NBPRO:Other"] if shared else []
        import_keys([
            (UNINSTALL + "\\" + PRODUCT_KEY, {"DisplayName": "Tarvello", "DisplayVersion": version,
                                             "InstallLocation": self.brand}),
            (r"HKEY_LOCAL_MACHINE\Software\Corvane\HostTag", {"Tag": "1"}),
            (r"HKEY_LOCAL_MACHINE\Software\Corvane\Tray", {"Skin": "blue"}),
            (r"HKEY_LOCAL_MACHINE\Software\Pellane Suite\Tools\Dependent Products",
             dict({"Tarvello": "1"}, **({"Other": "1"} if shared else {}))),
            (RUN, {"PellaneTray": self.tray + r"\CorvaneTray.exe"}),
            (SHARED_DLLS, {path: 3 for path in self.counters.values()}),
        ], self.view, self.work)
        unix(r"C:\TVR Tests").mkdir(parents=True, exist_ok=True)
        # The 3.1.x suite: its service program, languages and sealed lists.
        self.place("CorvaneSuiteService.exe", self.brand)
        self.touch(self.brand + r"\Languages\en.xml")
        self.touch(self.program_data + r"\Corvane\Launch Bar\bar.xml")
        writer = str(self.programs["suite_config_writer.exe"])
        for args in (["products", self.program_data + r"\Corvane\Suite\product.cfg",
                      "PELLANE:Pellane", "TVPRO:Tarvello"] + others,
                     ["settings", self.program_data + r"\Corvane\Tarvello\suite.cfg",
                      "jane", "example.org"]):
            unix(args[1]).parent.mkdir(parents=True, exist_ok=True)
            result = wine(writer, *args)
            if result.returncode != 0:
                sys.exit("writing %s failed: %s" % (args[1], result.stderr.decode()))
        # The tray, running, with its configurations.
        self.place("CorvaneTray.exe", self.tray)
        self.touch(self.tray + r"\ovhtml.dll")
        for name in ["pltray.xml", "TVPRO.xml"] + (["nbpro.xml"] if shared else []):
            self.touch(self.program_data + r"\Corvane\Tray\Configurations" + "\\" + name)
        self.tray_process = subprocess.Popen(
            ["wine", windows_path(unix(self.tray + r"\CorvaneTray.exe"))],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # The newer tools, running as the "Pellane 2" service.
        self.place("Pellane2.exe", self.tools)
        self.touch(self.tools + r"\Pellane ToolsPS.dll")
        image = self.tools + r"\Pellane2.exe"
        wine("sc", "create", "Pellane 2", "binPath=", image)
        started = wine("sc", "start", "Pellane 2")
        check(started.returncode == 0, "the tools service did not start: %r" % started.stdout)
        time.sleep(2)

    def counter(self, which):
        return query_value(SHARED_DLLS, self.counters[which], self.view)


def run_tool(exe, work):
    env = dict(os.environ)
    env.pop("DISPLAY", None)
    run = subprocess.run(["wine", str(exe)], cwd=work, env=env, stdin=subprocess.DEVNULL,
                         capture_output=True, timeout=900)
    log = pathlib.Path(work) / "TVRemover.log.txt"
    text = log.read_text("utf-8", errors="replace") if log.is_file() else ""
    lines = [line.rstrip("\r")[23:] for line in text.split("\n")]
    return run, lines


def tray_ended(machine_):
    try:
        machine_.tray_process.wait(timeout=20)
        return True
    except subprocess.TimeoutExpired:
        return False


def expect_removed(m, lines):
    check(not unix(m.program_data + r"\Corvane\Suite").exists(), "3.1.x data stayed")
    check(not unix(m.brand + r"\CorvaneSuiteService.exe").exists(), "3.1.x program stayed")
    check(not key_exists(r"HKLM\Software\Corvane\HostTag", m.view), "HostTag key stayed")
    verbs = unix(r"C:\TVR Tests\suite_service_verbs.txt")
    check(verbs.is_file() and verbs.read_text().split() == ["/stop", "/uninstall"],
          "suite service verbs: %r" % (verbs.read_text() if verbs.is_file() else None))
    check(not unix(m.tray).exists(), "tray folder stayed")
    check(tray_ended(m), "the tray still runs")
    check(query_value(RUN, "PellaneTray", m.view) is None, "Run value stayed")
    check(not service_exists("Pellane 2"), "the tools service stayed")
    check(not unix(m.common_files + r"\Pellane Suite").exists(), "tools folder stayed")
    for which in m.counters:
        check(m.counter(which) is None, "%s counter stayed: %s" % (which, m.counter(which)))
    check("Tarvello Service is used in 0 product(s)" in lines, "tools count line")


def expect_kept(m, lines):
    check(unix(m.program_data + r"\Corvane\Suite\product.cfg").exists(), "3.1.x list removed")
    check(unix(m.brand + r"\CorvaneSuiteService.exe").exists(), "3.1.x program removed")
    check(unix(m.tray + r"\CorvaneTray.exe").exists(), "tray removed")
    check(m.tray_process.poll() is None, "the tray was ended")
    check(service_exists("Pellane 2"), "the tools service was removed")
    check(unix(m.tools + r"\Pellane2.exe").exists(), "tools removed")
    for which in m.counters:
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
    restart_without_display()
    m = machine(args.program, work)
    m.seed("1.4.15" if args.case == "older" else "1.4.22", args.case == "shared")

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
        check(service_exists("Pellane 2"), "the older branch touched the tools service")
    if m.tray_process.poll() is None:
        m.tray_process.kill()
    if failures:
        print("--- log ---")
        print("\n".join(lines))
        return 1
    print("suite removal %s: OK (%s prefix)" % (args.case, "64-bit" if m.wow64 else "32-bit"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
