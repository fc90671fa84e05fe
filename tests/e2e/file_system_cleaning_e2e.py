#!/usr/bin/env python3
"""Whole-program check of the file-system side of a removal.

Seeds the current Wine prefix (WINEPREFIX) with an installed Tarvello: its files
and sub-folders in the default install folder, the suite's tools folder for it,
its application data for the user and for all users, an Installer cache folder,
Virtual Store copies in two user profiles, and Start-menu and desktop shortcuts;
next to them, files of another maker that must stay. Runs TVRemover.exe and
compares listings of drive C taken before the product was seeded and after the
run: nothing of the product is left, and nothing else has changed.

    file_system_cleaning_e2e.py PATH-TO-TVRemover.exe
"""
import pathlib
import shutil
import sys
import tempfile

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

from machine import run as runner, snapshot, wine  # noqa: E402
from machine.checks import check, exit_code, failures  # noqa: E402


def listing(drive_c):
    """Every entry below drive C as (path, kind, size); links are not followed."""
    return {(path, kind, size) for path, (kind, size) in snapshot.files().items()}


def seed(root, relative_files):
    for relative in relative_files:
        path = root / relative
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(b"seeded " + relative.encode() + b"\r\n")


def main():
    exe = pathlib.Path(sys.argv[1]).resolve()
    if not exe.is_file():
        sys.exit("TVRemover.exe not found at %s: build the release tree first" % exe)
    drive_c = wine.drive_c()
    wow64 = wine.is_64_bit()
    program_files = "Program Files (x86)" if wow64 else "Program Files"
    users = drive_c / "users"
    user = next(p.name for p in users.iterdir() if p.name != "Public" and p.is_dir())
    profile = "users/" + user
    work = pathlib.Path(tempfile.mkdtemp(prefix="files-e2e-"))

    wine.restart_without_display()
    # Wine links the user's desktop to the Unix home folder; a folder of its own
    # keeps the test's shortcut inside the prefix.
    desktop = users / user / "Desktop"
    if desktop.is_symlink():
        desktop.unlink()
    desktop.mkdir(exist_ok=True)

    common_programs = "ProgramData/Microsoft/Windows/Start Menu/Programs"
    user_programs = profile + "/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
    # Another maker's things, some right beside the product's: they must stay.
    seed(drive_c, [
        program_files + "/Other Maker/app.exe",
        "ProgramData/{0C0C0C0C-1111-4222-8333-444444444444}/Other.msi",
        "ProgramData/Other Maker/data.bin",
        common_programs + "/Other Maker/Other.lnk",
        profile + "/AppData/Roaming/Other Maker/settings.ini",
        "users/Public/Desktop/Other.lnk",
        profile + "/Desktop/Other.lnk",
    ])
    # A second profile, and the Virtual Store folders Windows makes for each user.
    for owner in (profile, "users/tvr-second"):
        (drive_c / owner / "AppData/Local/VirtualStore/ProgramData").mkdir(parents=True,
                                                                            exist_ok=True)
    before = listing(drive_c)

    install = program_files + "/Corvane/Tarvello/"
    product_files = [install + name for name in (
        "Emblem.exe", "Tarvello.dll", "Compactor.dll", "ovhtml.dll", "Unsetup.exe",
        "CfgStore.dll", "Pellane Tools.exe", "Pellane ToolsPS.dll", "CompactorDll.dll")]
    product_files += [install + "Documents/Guide/readme.txt", install + "Languages/en.lng",
                      install + "HTML/index.html", install + "plugins/scan.dll",
                      install + "x64/Pellane ToolsPS.dll"]
    product_files += [
        program_files + "/Corvane/Melkora/Tarvello/tools.dat",
        profile + "/AppData/Roaming/Corvane/Tarvello/user.cfg",
        profile + "/AppData/Roaming/Corvane/TVPRO/history.dat",
        "ProgramData/Corvane/Tarvello/settings.xml",
        "ProgramData/{5E0A91C4-0000-4000-8000-00000000CAFE}/Tarvello.msi",
        profile + "/AppData/Local/VirtualStore/ProgramData/Corvane/Tarvello/cache.dat",
        "users/tvr-second/AppData/Local/VirtualStore/ProgramData/Corvane/cache.dat",
        common_programs + "/Corvane/Tarvello.lnk",
        common_programs + "/Corvane/Melkora.lnk",
        common_programs + "/Corvane/Tarvello/Uninstall.lnk",
        user_programs + "/Corvane/Tarvello.lnk",
        user_programs + "/Corvane/Tarvello/Help.lnk",
        "users/Public/Desktop/Tarvello.lnk",
        profile + "/Desktop/Tarvello.lnk",
    ]
    seed(drive_c, product_files)

    run = runner.start(exe, work).finish(900)
    check(run.returncode == 0, "exit code %d" % run.returncode)

    after = {entry for entry in listing(drive_c)
             if not entry[0].endswith(runner.LOG_NAME)}
    for entry in sorted(after - before):
        check(False, "left or appeared: %s" % (entry,))
    for entry in sorted(before - after):
        check(False, "removed but should stay: %s" % (entry,))

    check_log(work / runner.LOG_NAME)
    if failures:
        print("--- console output ---")
        print(run.stdout.decode("utf-8", errors="replace")[-20000:])
        print(run.stderr.decode("utf-8", errors="replace")[-5000:])
    else:
        shutil.rmtree(work, ignore_errors=True)
    return exit_code("file-system cleaning end to end: OK (%s prefix)" %
                     ("64-bit" if wow64 else "32-bit"))


def check_log(path):
    lines = runner.log_file_lines(path)
    check(lines is not None, "no log file beside the tool")
    if lines is None:
        return
    # The stages of the file system, from the application data folders on.
    wanted = runner.STAGES[5:] + [
        # Corvane, Tarvello and cache.dat in one profile, Corvane and cache.dat in the other
        "Number of removed files: 5",
        runner.COMPLETED]
    position = 0
    for text in wanted:
        while position < len(lines) and not lines[position].endswith(text):
            position += 1
        check(position < len(lines), "log line missing or out of order: %s" % text)


if __name__ == "__main__":
    sys.exit(main())
