#!/usr/bin/env python3
"""Turns Google Benchmark JSON files into one Markdown page: the machine, then a table per program."""
import argparse
import datetime
import json
import os
import platform
import sys

# Keys of a benchmark entry that are bookkeeping or shown in fixed columns.
FIXED = {
    "name", "family_index", "per_family_instance_index", "run_name", "run_type", "repetitions",
    "repetition_index", "threads", "iterations", "real_time", "cpu_time", "time_unit",
    "aggregate_name", "aggregate_unit", "error_occurred", "error_message", "label",
    "items_per_second", "bytes_per_second",
}


# What each program measures and the goal its figures are read against.
ABOUT = {
    "calibrix_bench_transfer": (
        "Firmware and settings transfers against an in-process device that answers at once, so "
        "the time is the program's own. Goal: at least 100,000 units per second (under 10 us per "
        "unit). A 256-byte unit travels in five reports; `us_per_32B` gives the cost per report "
        "payload. `child_peak_KiB` is the peak memory of a forked child doing one transfer and must "
        "not grow with `image_KiB`."
    ),
    "calibrix_bench_history": (
        "Saving and loading `LensHistory.dat` with three 4 KiB pictures per record. Goal: "
        "`us_per_record` flat over 10, 1,000 and 10,000 records (at most a logarithmic rise). A load "
        "starts as a run does, without the pictures on disk, and writes every one; "
        "`BM_PictureFilesOnly` writes the same folders and files directly: the file system's floor."
    ),
    "calibrix_bench_archive": (
        "The archiver against 7zz on a LensDatabase tree of 2,000 files, 200 MiB, in the same run. "
        "Goal for the archiver steps: `ratio_vs_7zz` at most 1. 7zz compresses on every core, the "
        "archiver on one; `ratio_vs_7zz_1thread` compares with `7zz a -mmt1`. The command rows time "
        "the whole export and import (history save, cipher, backup of the mirror) against the same "
        "7zz step."
    ),
    "calibrix_bench_download": (
        "`HttpGetToFile` of a 100 MiB file from a loopback server against `curl -o` in the same run. "
        "Goal: `ratio_vs_curl` at most 1.1."
    ),
    "calibrix_bench_startup": (
        "`BM_WindowShown`: from starting the `calibrix` process (offscreen platform unless a display "
        "is given, a virtual lens dock) to the main window's first paint; the splash is up beside "
        "the window, so its two seconds are not in it. `BM_FirstDeviceEvent`: from the start of "
        "monitoring (program-update check against a loopback server, both histories loaded) to the "
        "first device event, with `run_start_ms` the run's start steps before it (texts, "
        "configuration, both histories loaded). The history sizes are in the columns."
    ),
}


def cpu_model():
    try:
        with open("/proc/cpuinfo", encoding="utf-8") as f:
            for line in f:
                if line.startswith("model name"):
                    return line.split(":", 1)[1].strip()
    except OSError:
        pass
    return platform.processor() or "unknown"


def number(value):
    """Three significant digits with a k/M/G suffix, so the columns stay readable."""
    if not isinstance(value, (int, float)):
        return str(value)
    for limit, suffix in ((1e9, "G"), (1e6, "M"), (1e3, "k")):
        if abs(value) >= limit:
            return f"{value / limit:.3g}{suffix}"
    if value == int(value):
        return str(int(value))
    return f"{value:.3g}"


def table(benchmarks):
    extra = []
    for b in benchmarks:
        for key in b:
            if key not in FIXED and key not in extra:
                extra.append(key)
    head = ["Benchmark", "Time", "CPU", "Iterations", "items/s", "bytes/s"] + extra
    rows = ["| " + " | ".join(head) + " |", "|" + "---|" * len(head)]
    for b in benchmarks:
        name = b.get("name", "?").replace("/process_time", "").replace("/real_time", "")
        if b.get("error_occurred"):
            rows.append(f"| {name} | error: {b.get('error_message', '')} |" + " |" * (len(head) - 2))
            continue
        unit = b.get("time_unit", "ns")
        cells = [
            name,
            f"{number(b.get('real_time', 0))} {unit}",
            f"{number(b.get('cpu_time', 0))} {unit}",
            number(b.get("iterations", 0)),
            number(b["items_per_second"]) if "items_per_second" in b else "",
            number(b["bytes_per_second"]) + "B" if "bytes_per_second" in b else "",
        ]
        cells += [number(b[k]) if k in b else "" for k in extra]
        rows.append("| " + " | ".join(cells) + " |")
    return "\n".join(rows)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--compiler", default="unknown")
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()

    runs = []
    for path in args.files:
        with open(path, encoding="utf-8") as f:
            runs.append((os.path.splitext(os.path.basename(path))[0], json.load(f)))

    context = runs[0][1].get("context", {}) if runs else {}
    load = context.get("load_avg", [])
    out = [
        "# Benchmark results",
        "",
        "Regenerated by `scripts/bench.sh`; do not edit by hand.",
        "",
        f"- Date: {context.get('date', datetime.datetime.now().isoformat(timespec='seconds'))}",
        f"- CPU: {cpu_model()}, {os.cpu_count()} cores"
        + (f" at {context['mhz_per_cpu']} MHz" if "mhz_per_cpu" in context else ""),
        f"- Kernel: {platform.system()} {platform.release()}",
        f"- Compiler: {args.compiler}",
        f"- Benchmark library: {context.get('library_build_type', 'unknown')} build",
    ]
    if load:
        out.append("- Load average at start: " + ", ".join(f"{x:.2f}" for x in load))
    for name, data in runs:
        out += ["", f"## {name}", ""]
        if name in ABOUT:
            out += [ABOUT[name], ""]
        out.append(table(data.get("benchmarks", [])))
    sys.stdout.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
