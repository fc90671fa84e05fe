#!/usr/bin/python3
"""Prints the benchmark table from the results in OUT_DIR (see run.sh).

Usage: report.py OUT_DIR
Each time figure is the median of the repetitions; the spread is the lowest and
highest repetition. Ratio = ours / baseline, medians.
"""
import json
import os
import re
import statistics
import sys


def load(out, name):
    path = os.path.join(out, name)
    if not os.path.exists(path):
        return None
    with open(path) as source:
        return json.load(source)


def seconds_of_google_runs(data, name):
    """Per-repetition wall times (s) of one benchmark from Google Benchmark's JSON."""
    values = []
    for run in data["benchmarks"]:
        if run.get("run_type") == "iteration" and run["run_name"].startswith(name + "/"):
            scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[run["time_unit"]]
            values.append(run["real_time"] * scale)
    return values


def cpu_seconds_of_google_runs(data, name):
    values = []
    for run in data["benchmarks"]:
        if run.get("run_type") == "iteration" and run["run_name"].startswith(name + "/"):
            scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[run["time_unit"]]
            values.append(run["cpu_time"] * scale)
    return values


def spread(values, unit="s", digits=2):
    if not values:
        return "n/a"
    median = statistics.median(values)
    return "%.*f %s (%.*f..%.*f, n=%d)" % (digits, median, unit, digits, min(values), digits,
                                           max(values), len(values))


def ratio(ours, baseline):
    if not ours or not baseline:
        return None
    return statistics.median(ours) / statistics.median(baseline)


def row(rows, figure, ours, baseline, value, target, limit, unit="s", digits=2):
    ours_text = ours if isinstance(ours, str) else spread(ours, unit, digits)
    base_text = baseline if isinstance(baseline, str) else spread(baseline, unit, digits)
    met = "" if value is None else ("met" if value <= limit else "MISSED")
    rows.append((figure, ours_text, base_text, "n/a" if value is None else "%.2f" % value,
                 target, met))


def main():
    out = sys.argv[1]
    rows = []
    inprocess = load(out, "inprocess.json")
    if inprocess:
        for figure, name, limit in (("Registry walk", "registry_walk", 1.3),
                                    ("Logging (50,000 lines)", "logging", 1.3)):
            ours = seconds_of_google_runs(inprocess, name + "_ours")
            base = seconds_of_google_runs(inprocess, name + "_baseline")
            row(rows, figure, ours, base, ratio(ours, base), "<= %.1f" % limit, limit)
    whole = load(out, "whole.json") or {}
    if "tree" in whole:
        runs = whole["tree"]["runs"]
        row(rows, "Tree removal (20,000 files)", runs["ours"], runs["baseline"],
            ratio(runs["ours"], runs["baseline"]), "<= 1.0", 1.0)
    if "smtp" in whole:
        smtp = whole["smtp"]
        runs = smtp["runs"]
        row(rows, "SMTP delivery (10 MB log)", runs["ours"], runs["baseline"],
            ratio(runs["ours"], runs["baseline"]), "<= 3", 3.0)
        growth = [(m["peak_working_set_after"] - m["working_set_before"]) / 2**20
                  for m in smtp["memory"]]
        log_mb = smtp["log_bytes"] / 2**20
        value = statistics.median(growth) / log_mb if growth else None
        row(rows, "Memory (peak above start)", growth, "%.2f MB (log size)" % log_mb, value,
            "<= 6 x log", 6.0, "MB", 1)
    send_wine, send_native = load(out, "send_wine.json"), load(out, "send_native.json")
    if send_wine and send_native:
        wine_us = [r["real_time"] for r in send_wine["benchmarks"] if r["run_type"] == "iteration"]
        native_us = [r["real_time"] for r in send_native["benchmarks"]
                     if r["run_type"] == "iteration"]
        rows.append(("One send() of a line (Wine vs native)", spread(wine_us, "us", 1),
                     spread(native_us, "us", 1), "%.1f" % ratio(wine_us, native_us),
                     "(cost per line)", ""))
    whole_run = load(out, "whole_run.json")
    if whole_run and whole_run["runs"]:
        waits = whole_run["waits_seconds"]
        times = [r["seconds"] for r in whole_run["runs"]]
        above = statistics.median(times) - waits
        rows.append(("Whole run (demo machine)", spread(times), "%.2f s of fixed waits" % waits,
                     "+%.2f s" % above, "<= +5 s", "met" if above <= 5 else "MISSED"))
    seed = load(out, "seed.json")
    if inprocess:
        print_cpu = []
        for figure, name in (("Registry walk", "registry_walk"), ("Logging", "logging")):
            ours = cpu_seconds_of_google_runs(inprocess, name + "_ours")
            base = cpu_seconds_of_google_runs(inprocess, name + "_baseline")
            if ours and base:
                print_cpu.append("%s: ours %s, baseline %s, ratio %.2f" % (
                    figure, spread(ours), spread(base), ratio(ours, base)))

    header = ("Figure", "Ours (median, min..max)", "Baseline", "Ratio", "Target", "")
    widths = [max(len(str(r[i])) for r in rows + [header]) for i in range(len(header))]
    lines = ["| " + " | ".join(str(c).ljust(w) for c, w in zip(r, widths)) + " |"
             for r in [header] + rows]
    lines.insert(1, "|" + "|".join("-" * (w + 2) for w in widths) + "|")
    print("\n".join(lines))
    best = []
    if inprocess:
        for figure, name in (("Registry walk", "registry_walk"), ("Logging", "logging")):
            ours = seconds_of_google_runs(inprocess, name + "_ours")
            base = seconds_of_google_runs(inprocess, name + "_baseline")
            if ours and base:
                best.append((figure, min(ours) / min(base)))
    for figure, key in (("Tree removal", "tree"), ("SMTP delivery", "smtp")):
        if key in whole and whole[key]["runs"]["ours"] and whole[key]["runs"]["baseline"]:
            best.append((figure, min(whole[key]["runs"]["ours"]) /
                         min(whole[key]["runs"]["baseline"])))
    if best:
        print("\nRatio of the fastest repetitions (less exposed to load spikes): " +
              "; ".join("%s %.2f" % pair for pair in best))
    if inprocess and print_cpu:
        print("\nCPU time of the benchmark process (the emulated code alone; wall time above also"
              " waits for the wine server and the other load):")
        for line in print_cpu:
            print("  " + line)
    if seed:
        print("\nRegistry seeding (reg import of the extra keys): %.1f s" % (seed["seed_ms"] / 1000))
    profile = load(out, "logging_profile.json")
    if profile:
        names = {"0": "no sink (format, conversions, time stamp)", "1": "console only",
                 "2": "one log file only"}
        print("\nLogging, where the time goes (50,000 lines, one run each):")
        for run in profile["benchmarks"]:
            if run.get("run_type") == "iteration":
                sinks = re.search(r":(\d+)/", run["run_name"])
                print("  %-45s %8.0f ms" % (names.get(sinks.group(1) if sinks else "",
                                                      run["run_name"]), run["real_time"]))
    if whole_run and whole_run.get("stages"):
        print("\nWhole run, seconds per stage (log time stamps, 1 s resolution): " +
              "; ".join("%s %d" % (name, seconds) for name, seconds in whole_run["stages"]))
        print("Fixed waits (ms): %s" % whole_run["sleeps_ms"])
    if whole.get("tree"):
        print("Tree made natively in %.1f s per run" % whole["tree"]["setup_seconds"])


if __name__ == "__main__":
    main()
