"""Machines for end-to-end runs of TVRemover.exe under Wine.

Modules:
  wine          wine/winepath/reg/sc helpers for the prefix in WINEPREFIX
  installation  seeds Tarvello and the Pellane suite in chosen states
  snapshot      the whole registry and drive C, and the diff of two snapshots
  footprint     classifies each change: the product's/suite's, the log, Wine's, outside
  run           runs TVRemover.exe and reads its log; the log's time stamps and
                stage headings
  report        the /report file and a quiet run's leftover listing as items,
                the exit codes, and which snapshot changes the items name
  checks        the checks of a script, each failure reported at once, and its
                exit code

Usage, inside scripts/with-prefix.sh (which exports WINEPREFIX):

    import sys; sys.path.insert(0, "tests/e2e")
    from machine import wine, installation, snapshot, footprint, run

    wine.restart_without_display()          # boxes fail at once instead of waiting
    machine = installation.installation(programs, version="1.4.22", other_products=True)
    machine.seed(start=False)               # records and files
    before = snapshot.take()                # ends Wine processes, reads hives + drive C
    machine.start()                         # the tray and the "Pellane 2" service
    result = run.tool(exe)                  # exit code, console, log lines
    after = snapshot.take()
    changes = snapshot.diff(before, after)
    assert not footprint.outside(changes)

`programs` are the paths of the built stand-ins CorvaneSuiteService.exe,
CorvaneTray.exe, Pellane2.exe and suite_config_writer.exe
(installation.PROGRAMS). scripts/machine-summary.py prints a diff for people.
"""
