#!/usr/bin/env python3
"""Helpers of run-benchmarks.sh.

  bench-report.py page COUNT PATH     writes an icon page of COUNT POIs shaped like the benchmark's
  bench-report.py table RESULTS PAGE  prints the ratios from the JSON files of one run
  bench-report.py time RUNS OUT PROGRAM ARGS...
                                      runs the program RUNS times, writes each wall time in ms
"""
import json
import os
import re
import subprocess
import sys
import time

UNIT_TO_MS = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}
MAP_SIZE = 436
TYPES = ["CLST", "LOC", "MOB", "NAME", "NPC", "QST", "ZONE"]
# Options Google Benchmark appends to a run's name.
SUFFIXES = re.compile(r"(/(repeats:\d+|iterations:\d+|real_time|manual_time|process_time|min_time:[\d.]+))+$")
SHUFFLE = 7919  # the multiplier of IconPageBench's shuffle, so the tree has to sort


def write_page(count, path):
    """The same page as IconPageBench generates for `count` POIs."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    parts = ['\ufeff<?xml version="1.0" encoding="UTF-8"?>\n'
             '<Page Name="bench_map" 1location="Bench Zone" Size="436,506">\r\n']
    for i in range(count):
        key = i * SHUFFLE % count
        size = "14,14" if i % 7 == 6 else "12,12"
        parts.append(
            f'<Icon IconStyle="{TYPES[i % 7]}" IconType="map" Location="{key % MAP_SIZE},{key * 3 % MAP_SIZE}" '
            f'Name="POI {key} 대장간" OnHoverIn="Parent.LocalText=pathfindlocation" '
            f'pathfindlocation="{key}.50, 12, -{key}.25" ScrollExtent="{size}" Size="{size}" '
            f'Tooltip="Tooltip &amp; line {i}\r\nsecond line" TreatAsButton="true"/>\r\n')
    parts.append("</Page>\r\n")
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write("".join(parts))


def load_times(results):
    """Median (or single-run) real time in ms per benchmark run name, over every JSON file."""
    times, cpu, counters = {}, {}, {}
    for name in sorted(os.listdir(results)):
        if not name.endswith(".json"):
            continue
        with open(os.path.join(results, name), encoding="utf-8") as f:
            data = json.load(f)
        for run in data.get("benchmarks", []):
            if run.get("error_occurred"):
                continue
            key = SUFFIXES.sub("", run.get("run_name", run["name"]))
            aggregate = run.get("aggregate_name")
            if run.get("run_type") == "aggregate" and aggregate != "median":
                continue
            if aggregate is None and key in times:
                continue  # a median seen already wins over single iterations
            times[key] = run["real_time"] * UNIT_TO_MS[run.get("time_unit", "ns")]
            cpu[key] = run["cpu_time"] * UNIT_TO_MS[run.get("time_unit", "ns")]
            counters[key] = run
    return times, cpu, counters


def time_figures(path):
    """Seconds and peak resident KiB of one run, from /usr/bin/time -v."""
    text = open(path, encoding="utf-8").read()
    clock = re.search(r"Elapsed \(wall clock\) time.*: (?:(\d+):)?(\d+):([\d.]+)", text)
    peak = re.search(r"Maximum resident set size \(kbytes\): (\d+)", text)
    seconds = None
    if clock:
        hours, minutes, secs = clock.groups()
        seconds = int(hours or 0) * 3600 + int(minutes) * 60 + float(secs)
    return seconds, int(peak.group(1)) if peak else None


def time_runs(runs, out, command):
    """Wall times of whole runs in milliseconds, one per line: /usr/bin/time shows hundredths of
    a second only, too coarse for a process of some 50 ms."""
    with open(out, "w", encoding="utf-8") as lines:
        for _ in range(runs):
            start = time.perf_counter()
            subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
            lines.write(f"{(time.perf_counter() - start) * 1000:.3f}\n")


def run_times(path):
    if not os.path.exists(path):
        return []
    return [float(line) for line in open(path, encoding="utf-8") if line.strip()]


def median(values):
    values = sorted(values)
    middle = len(values) // 2
    return values[middle] if len(values) % 2 else (values[middle - 1] + values[middle]) / 2


def check_figures(results):
    """Median seconds and highest peak resident KiB of the --check runs of the 50,000-POI page,
    and the peak of the one-POI page's run (the process without a page)."""
    runs = [time_figures(os.path.join(results, name)) for name in sorted(os.listdir(results))
            if re.fullmatch(r"check-50000(-\d+)?\.time", name)]
    seconds = [ms / 1000 for ms in run_times(os.path.join(results, "check-50000.ms"))]
    if not seconds:
        seconds = [run[0] for run in runs if run[0] is not None]
    peaks = [run[1] for run in runs if run[1] is not None]
    base = os.path.join(results, "check-1.time")
    base_peak = time_figures(base)[1] if os.path.exists(base) else None
    return (median(seconds) if seconds else None), (max(peaks) if peaks else None), base_peak


def print_table(results, page):
    times, cpu, counters = load_times(results)
    rows = []

    def ratio(label, top, bottom, target, limit):
        if top in times and bottom in times:
            value = times[top] / times[bottom]
            detail = f"{times[top]:.2f} / {times[bottom]:.2f} ms"
            cpu_ratio = f"{cpu[top] / cpu[bottom]:.2f}" if cpu[bottom] > 0 else "-"
            rows.append((label, f"{value:.2f}", cpu_ratio, detail, target, "yes" if value <= limit else "NO"))
        else:
            rows.append((label, "-", "-", f"missing {top if top not in times else bottom}", target, "?"))

    def limit_row(label, key, target_ms):
        if key in times:
            rows.append((label, f"{times[key]:.2f} ms", "", "", f"< {target_ms} ms",
                         "yes" if times[key] < target_ms else "NO"))
        else:
            rows.append((label, "-", "-", f"missing {key}", f"< {target_ms} ms", "?"))

    ratio("parse 5,000 POIs with hooks, one thread / pugixml", "BM_ParseWithHooks", "BM_PugixmlParse", "<= 1.5", 1.5)
    ratio("parse 5,000 POIs without hooks, one thread / pugixml", "BM_ParseNoHooks", "BM_PugixmlParse", "<= 1.5",
          1.5)
    ratio("open+tree+markers+paint 5,000 / pugixml parse", "BM_OpenAndPaint/5000", "BM_PugixmlParse",
          "<= 10", 10.0)
    ratio("open 50,000 until tree and markers shown / its check", "BM_OpenAndShow/50000", "BM_CheckPage/50000",
          "<= 2", 2.0)
    limit_row("paint the map with 5,000 markers at 100 %", "BM_FullRepaint", 16)
    limit_row("rubber band selecting 5,000 POIs (tree and markers)", "BM_RubberBandSelectAll", 16)
    limit_row("one frame of dragging 5,000 selected POIs", "BM_GroupDragFrame", 16)
    limit_row("undo of a move of 5,000 POIs", "BM_GroupMoveUndo", 50)
    ratio("LoadMapImage 2048x2048 DXT1 / block decode", "BM_LoadMapImage/DXT1", "BM_Blocks/DXT1_ours",
          "<= 1.5", 1.5)
    # Both as the editor runs them: a page this big is read and written by two threads.
    ratio("write 5,000 POIs with hooks / parse with hooks", "BM_WriteWithHooks", "BM_ParseWithHooksAsEditor",
          "<= 1.0", 1.0)
    ratio("--check --strict / --check, 500 pages", "BM_CheckFolderStrict", "BM_CheckFolder", "<= 1.5", 1.5)
    ratio("map pack check with its rules / opening it, 42,000 POIs", "BM_PackCheck", "BM_PackOpen", "<= 2.0", 2.0)

    ratio("open 350 KB map window file + list zone pages / its parse", "BM_ZoneFileOpen", "BM_ZoneFileParse",
          "<= 1.0", 1.0)
    ratio("save it after one edited value / its parse", "BM_ZoneFileSaveOneEdit", "BM_ZoneFileParse",
          "<= 1.0", 1.0)
    # Each zone page checked costs about a switch of zone page; reading and indexing the file
    # again for each would add an opening of it per page.
    if "BM_CheckZoneFile" in times and "BM_ZonePageSwitch" in times:
        pages = counters["BM_CheckZoneFile"].get("ZonePages", 1)
        per_page = times["BM_CheckZoneFile"] / pages
        value = per_page / times["BM_ZonePageSwitch"]
        cpu_ratio = cpu["BM_CheckZoneFile"] / pages / cpu["BM_ZonePageSwitch"]
        rows.append((f"--check of it, per zone page ({pages:.0f}) / a switch", f"{value:.2f}", f"{cpu_ratio:.2f}",
                     f"{per_page:.2f} / {times['BM_ZonePageSwitch']:.2f} ms", "<= 1.5",
                     "yes" if value <= 1.5 else "NO"))
    if "BM_ZonePageSwitch" in times:
        switch = times["BM_ZonePageSwitch"]
        rows.append(("switch between 40-icon zone pages", f"{switch:.2f} ms", "", "", "<= 20 ms",
                     "yes" if switch <= 20 else "NO"))

    pack_rows(rows, results, times, counters, ratio, limit_row)

    seconds, peak_kib, base_kib = check_figures(results)
    file_bytes = os.path.getsize(page) if os.path.exists(page) else 0
    if seconds is not None:
        rows.append(("--check 50,000 POIs, whole process (median)", f"{seconds:.3f} s", "", "", "<= 0.2 s",
                     "yes" if seconds <= 0.2 else "NO"))
        start_up = run_times(os.path.join(results, "check-1.ms"))
        if start_up:
            rows.append(("  a one-POI check, whole process (median)", f"{median(start_up):.1f} ms", "", "", "", ""))
        parse = times.get("BM_PugixmlParseCheckPage")
        if parse:
            value = seconds * 1000 / parse
            rows.append(("--check 50,000 POIs / pugixml parse of the page", f"{value:.2f}", "",
                         f"{seconds * 1000:.2f} / {parse:.2f} ms", "<= 5", "yes" if value <= 5 else "NO"))
        else:
            rows.append(("--check 50,000 POIs / pugixml parse of the page", "-", "",
                         "missing BM_PugixmlParseCheckPage", "<= 5", "?"))
    if peak_kib is not None and file_bytes:
        peak = peak_kib * 1024
        rows.append(("--check 50,000 POIs, peak memory", f"{peak / 2**20:.0f} MB", "",
                     f"{peak / file_bytes:.1f} x the {file_bytes / 2**20:.1f} MB file",
                     f"<= {4 * file_bytes / 2**20:.0f} MB", "yes" if peak <= 4 * file_bytes else "NO"))
        if base_kib is not None:
            extra = (peak_kib - base_kib) * 1024
            rows.append(("  of which the page (over a one-POI check)", f"{extra / 2**20:.0f} MB", "",
                         f"{extra / file_bytes:.1f} x the file", "", ""))
    for key, run in sorted(counters.items()):
        if "PeakBytesPerPOI" in run:
            rows.append((f"{key}: peak memory per POI", f"{run['PeakBytesPerPOI']:.0f} B", "", "", "", ""))

    widths = [max(len(str(r[i])) for r in rows + [HEADER]) for i in range(len(HEADER))]
    for row in [HEADER] + rows:
        print("  ".join(str(cell).ljust(widths[i]) for i, cell in enumerate(row)))


def pack_rows(rows, results, times, counters, ratio, limit_row):
    """The map pack of the real size: 25 POI files, 12 MB, 42,000 POIs."""
    ratio("open the 12 MB pack until the panel's counts are in / pugixml parse of its files",
          "BM_PackIndexOpen", "BM_PackPugixmlParse", "<= 1.5", 1.5)
    if "BM_PackIndexChecked" in times:
        rows.append(("  until every page's problems and find texts are in", f"{times['BM_PackIndexChecked']:.1f} ms",
                     "", "", "", ""))
    run = counters.get("BM_PackIndexMemory")
    if run and run.get("FileBytes"):
        for label, key in (("pack index memory / the files' bytes (counted)", "IndexBytes"),
                           ("pack index memory / the files' bytes (heap grown)", "HeapBytes")):
            value = run[key] / run["FileBytes"]
            rows.append((label, f"{value:.2f}", "", f"{run[key] / 2**20:.1f} / {run['FileBytes'] / 2**20:.1f} MB",
                         "<= 1.5", "yes" if value <= 1.5 else "NO"))
    else:
        rows.append(("pack index memory / the files' bytes", "-", "-", "missing BM_PackIndexMemory", "<= 1.5", "?"))
    limit_row("find as you type over the pack's 42,000 POIs, a keystroke", "BM_PackFindKeystroke", 16)
    limit_row("  the same in the Pack panel, its result list filled", "BM_PackPanelKeystroke", 16)
    limit_row("--check of the pack's folder, in process", "BM_PackCheckFolder", 500)
    whole = run_times(os.path.join(results, "check-pack.ms"))
    if whole:
        value = median(whole) / 1000
        rows.append(("--check of the pack's folder, whole process (median)", f"{value:.3f} s", "", "", "<= 0.5 s",
                     "yes" if value <= 0.5 else "NO"))
    else:
        rows.append(("--check of the pack's folder, whole process", "-", "-", "missing check-pack.ms", "<= 0.5 s", "?"))


# Wall-clock ratios decide; CPU-time ratios show how far a busy shared machine skewed them.
HEADER = ("work", "ratio", "cpu ratio", "wall times (medians of this run)", "target", "holds")


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "page":
        write_page(int(sys.argv[2]), sys.argv[3])
    elif len(sys.argv) == 4 and sys.argv[1] == "table":
        print_table(sys.argv[2], sys.argv[3])
    elif len(sys.argv) >= 5 and sys.argv[1] == "time":
        time_runs(int(sys.argv[2]), sys.argv[3], sys.argv[4:])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
