#!/usr/bin/env python3
"""Whole-program check of the registry side of a removal.

Seeds the current Wine prefix (WINEPREFIX) with an installed Tarvello: two
Uninstall entries naming it (one in capitals), its SOFTWARE keys, the suite's
keys, shared-DLL counters and an Installer component record, next to records of
other products. Runs TVRemover.exe and compares registry exports taken before
and after: exactly the records the removal is meant to take are gone, and
everything else is unchanged. Also checks the log's detection and stage lines.

    registry_cleaning_e2e.py PATH-TO-TVRemover.exe
"""
import pathlib
import sys
import tempfile

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

from machine import run as runner, wine as w  # noqa: E402
from machine.checks import check, exit_code, failures  # noqa: E402

UNINSTALL = r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall"
SHARED_DLLS = r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\SharedDLLs"
RUN = r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
COMPONENTS = (r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Installer"
              r"\UserData\S-1-5-18\Components")
FIRST = "{11111111-AAAA-4000-8000-000000000001}"
SECOND = "{22222222-AAAA-4000-8000-000000000002}"
OTHER = "{33333333-AAAA-4000-8000-000000000003}"
LAUNCHER = r"C:\Program Files\Corvane\CorvaneLauncher.exe"
TOOLS = r"C:\Program Files\Common Files\Pellane Suite\Tools\Pellane2.exe"
PRODUCT_EXE = r"C:\Apps\Corvane\Tarvello\Tarvello.exe"
SHARED = r"C:\Other\Shared.dll"
LAUNCHER_COMPONENT = "{AAAAAAAA-0000-4000-8000-000000000001}"
OTHER_COMPONENT = "{BBBBBBBB-0000-4000-8000-000000000002}"

def parse_export(text):
    """An export as {key path: {value name: data text}}; continuation lines joined."""
    keys, current, pending = {}, None, ""
    for raw in text.splitlines():
        line = pending + raw.strip()
        pending = ""
        if line.endswith("\\") and current is not None and not line.startswith("["):
            pending = line[:-1]
            continue
        if line.startswith("[") and line.endswith("]"):
            current = line[1:-1]
            keys[current] = {}
        elif current is not None and line and "=" in line:
            if line.startswith("@="):
                name, data = "@", line[2:]
            else:
                end = line.index('"=', 1)
                name = line[1:end].replace('\\"', '"').replace("\\\\", "\\")
                data = line[end + 2:]
            keys[current][name] = data
    return keys


def export(path, view, folder):
    out = pathlib.Path(folder) / "export.reg"
    if out.exists():
        out.unlink()
    result = w.wine("reg", "export", path, w.windows_path(out), *w.view_flags(view), "/y")
    if result.returncode != 0:
        return {}
    return parse_export(out.read_bytes().decode("utf-16"))


def snapshot(scopes, folder):
    """{(view, key path): values} for every key below the scopes."""
    state = {}
    for view, registry_view, path in scopes:
        for key, values in export(path, registry_view, folder).items():
            state[(view, key.lower())] = values
    return state


def under(key, parent):
    return key == parent.lower() or key.startswith(parent.lower() + "\\")


def main():
    exe = pathlib.Path(sys.argv[1])
    if not exe.is_file():
        sys.exit("TVRemover.exe not found at %s: build the release tree first" % exe)
    wow64 = w.is_64_bit()
    tool_view = w.tool_view()
    native_view = w.native_view()
    work = tempfile.mkdtemp(prefix="registry-e2e-")

    w.restart_without_display()

    hklm = r"HKEY_LOCAL_MACHINE\Software"
    hkcu = r"HKEY_CURRENT_USER\Software"
    w.import_keys([
        (UNINSTALL + "\\" + FIRST, {"DisplayName": "TARVELLO", "DisplayVersion": "1.4.22",
                                    "InstallLocation": r"C:\Apps\Corvane"}),
        (UNINSTALL + "\\" + SECOND, {"DisplayName": "Tarvello", "DisplayVersion": "1.4.15"}),
        (UNINSTALL + "\\" + SECOND + "\\Patches", {}),
        (UNINSTALL + "\\" + OTHER, {"DisplayName": "Tarvello 2", "DisplayVersion": "2.0.1"}),
        (hklm + r"\tarvello\Settings", {"Language": "en"}),
        (hklm + r"\Corvane\TVPRO\Settings", {"Scans": 3}),
        (hklm + r"\Corvane\Tray", {"Path": r"C:\Program Files\Corvane\Tray"}),
        (hklm + r"\Corvane\Other Product", {"Version": "2.0"}),
        (hklm + r"\Pellane Suite\Tools\Dependent Products", {"Tarvello": 1}),
        (SHARED_DLLS, {LAUNCHER: 2, TOOLS: 1, PRODUCT_EXE: 1, SHARED: 3}),
        (RUN, {"PellaneTray": r"C:\Program Files\Corvane\Tray\CorvaneTray.exe",
               "Other App": r"C:\Other\other.exe"}),
        (hkcu + r"\Corvane\TVPRO\Window", {"Left": 10}),
        (hkcu + r"\Pellane Suite\TVPRO", {"Mail": "user@example.com"}),
        (hkcu + r"\Other Maker\App", {"Kept": "yes"}),
    ], tool_view)
    native_keys = [
        (COMPONENTS + "\\" + LAUNCHER_COMPONENT, {"0123456789ABCDEF0123456789ABCDEF": LAUNCHER}),
        (COMPONENTS + "\\" + OTHER_COMPONENT, {"FEDCBA9876543210FEDCBA9876543210": SHARED}),
    ]
    if wow64:
        # Same names in the 64-bit view, out of a 32-bit tool's reach.
        native_keys += [
            (hklm + r"\tarvello\Settings", {"Language": "en"}),
            (hklm + r"\Corvane\TVPRO", {}),
            (UNINSTALL + "\\" + FIRST, {"DisplayName": "Tarvello", "DisplayVersion": "1.4.22"}),
            (SHARED_DLLS, {LAUNCHER: 5}),
        ]
    w.import_keys(native_keys, native_view)

    scopes = [("tool", tool_view, p) for p in (
        hklm + r"\tarvello", hklm + r"\Corvane", hklm + r"\Pellane Suite", UNINSTALL,
        SHARED_DLLS, RUN)]
    scopes += [("native", native_view, COMPONENTS)]
    if wow64:
        scopes += [("native", native_view, p) for p in (
            hklm + r"\tarvello", hklm + r"\Corvane", UNINSTALL, SHARED_DLLS)]
    scopes += [("user", "", p) for p in (
        hkcu + r"\Corvane", hkcu + r"\Pellane Suite", hkcu + r"\Other Maker")]
    before = snapshot(scopes, work)

    run = runner.start(exe, work).finish(900)
    check(run.returncode == 0, "exit code %d" % run.returncode)
    after = snapshot(scopes, work)

    # What the removal is meant to take: whole subtrees and single values.
    gone_trees = [("tool", UNINSTALL + "\\" + FIRST), ("tool", UNINSTALL + "\\" + SECOND),
                  ("tool", hklm + r"\tarvello"), ("tool", hklm + r"\Corvane\TVPRO"),
                  ("tool", hklm + r"\Corvane\Tray"), ("tool", hklm + r"\Pellane Suite"),
                  ("native", COMPONENTS + "\\" + LAUNCHER_COMPONENT),
                  ("user", hkcu + r"\Corvane"), ("user", hkcu + r"\Pellane Suite")]
    gone_values = [("tool", SHARED_DLLS, LAUNCHER), ("tool", SHARED_DLLS, TOOLS),
                   ("tool", RUN, "PellaneTray")]
    # On 32-bit Windows the two views are one registry; the scopes never overlap.
    def expected_gone(view, key):
        return any(v == view and under(key, path) for v, path in gone_trees)

    for view, path in gone_trees:
        check((view, path.lower()) in before, "not seeded: %s %s" % (view, path))
    for view, key in sorted(before):
        if expected_gone(view, key):
            check((view, key) not in after, "still there: %s %s" % (view, key))
            continue
        if not check((view, key) in after, "removed but should stay: %s %s" % (view, key)):
            continue
        expected = dict(before[(view, key)])
        for v, path, name in gone_values:
            if v == view and key == path.lower():
                check(name in expected, "seed missing: %s" % name)
                expected.pop(name, None)
        check(after[(view, key)] == expected,
              "values of %s %s: %r, expected %r" % (view, key, after[(view, key)], expected))
    for view, key in sorted(set(after) - set(before)):
        check(False, "appeared: %s %s" % (view, key))

    check_log(pathlib.Path(work) / runner.LOG_NAME)
    if failures:
        print("--- console output ---")
        print(run.stdout.decode("utf-8", errors="replace")[-20000:])
    return exit_code("registry cleaning end to end: OK (%s prefix)" %
                     ("64-bit" if wow64 else "32-bit"))


def check_log(path):
    lines = runner.log_file_lines(path)
    check(lines is not None, "no log file beside the tool")
    if lines is None:
        return
    found_in = (". Product information is found in the key "
                r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall" + "\\")
    detection = [found_in + FIRST, found_in + SECOND, ". Product version: '1.4.22'",
                 r". Installation directory: 'C:\Apps\Corvane'", "Product Version (int): 14022",
                 r"Tarvello directory: C:\Apps\Corvane\Tarvello" + "\\"]
    stage = [runner.heading("Cleaning SOFTWARE registry"), "",
             r"  Removed regkey 'HKEY_LOCAL_MACHINE\Software\tarvello'",
             r"  Removed regkey 'HKEY_LOCAL_MACHINE\Software\Corvane\TVPRO'",
             r"!  Failed to remove regkey 'HKEY_LOCAL_MACHINE\Software\Corvane' !",
             r"  Removed regkey 'HKEY_LOCAL_MACHINE\Software\Pellane Suite'",
             r"  Removed regkey 'HKEY_CURRENT_USER\Software\Corvane\TVPRO'",
             r"  Removed regkey 'HKEY_CURRENT_USER\Software\Corvane'",
             r"  Removed regkey 'HKEY_CURRENT_USER\Software\Pellane Suite\TVPRO'",
             r"  Removed regkey 'HKEY_CURRENT_USER\Software\Pellane Suite'",
             r"  Removed regkey '" + UNINSTALL + "\\" + FIRST + "'",
             r"  Removed regkey '" + UNINSTALL + "\\" + SECOND + "'",
             runner.SEPARATOR]
    check_in_order(lines, detection, "detection")
    start = next((i for i, line in enumerate(lines) if line.endswith(stage[0])), None)
    check(start is not None, "no stage heading for the SOFTWARE keys")
    if start is not None:
        got = lines[start:start + len(stage)]
        check(len(got) == len(stage) and all(g.endswith(s) for g, s in zip(got, stage)),
              "stage lines:\n  " + "\n  ".join(got))
    check(any(line.endswith(runner.COMPLETED) for line in lines),
          "no completion line")


def check_in_order(lines, wanted, what):
    position = 0
    for text in wanted:
        while position < len(lines) and not lines[position].endswith(text):
            position += 1
        check(position < len(lines), "%s line missing or out of order: %s" % (what, text))


if __name__ == "__main__":
    sys.exit(main())
