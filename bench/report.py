#!/usr/bin/env python3
"""Turns the figures of one bench run into the table: minimum and median of the runs, each as a
ratio to its floor where it has one, and the goal beside it. Usage: report.py RESULTS_FOLDER"""
import json
import statistics
import sys
from pathlib import Path

results = Path(sys.argv[1])


def figures(name):
    """name=value lines of a Windows bench program, as lists of numbers by name."""
    values = {}
    path = results / name
    if not path.exists():
        return values
    for line in path.read_text(errors="replace").splitlines():
        key, sep, value = line.strip().partition("=")
        if sep:
            values.setdefault(key, []).append(float(value))
    return values


def spread(samples):
    return (min(samples), statistics.median(samples)) if samples else None


def ms(value):
    return f"{value:,.1f} ms" if value >= 10 else f"{value:.3f} ms"


rows = []


def row(figure, measured, floor=None, goal="", goal_ratio=None, unit=ms):
    """measured and floor are (min, median) pairs."""
    if measured is None:
        rows.append((figure, "not measured", "", "", goal, ""))
        return
    value = f"{unit(measured[0])} / {unit(measured[1])}"
    if floor is None:
        rows.append((figure, value, "", "", goal, ""))
        return
    ratios = (measured[0] / floor[0], measured[1] / floor[1])
    met = "" if goal_ratio is None else ("yes" if ratios[1] <= goal_ratio else "no")
    rows.append((figure, value, f"{unit(floor[0])} / {unit(floor[1])}",
                 f"{ratios[0]:.2f}x / {ratios[1]:.2f}x", goal, met))


# Native: Google Benchmark's aggregates, CPU time (the machine is shared; wall time wanders).
native = {}
native_path = results / "native.json"
if native_path.exists():
    for b in json.loads(native_path.read_text())["benchmarks"]:
        if b.get("run_type") == "aggregate" and b["aggregate_name"] in ("min", "median"):
            base = b["run_name"]
            native.setdefault(base, {})[b["aggregate_name"]] = b["cpu_time"]
            native[base]["count"] = b.get("keys", b.get("profiles", 0))
            native[base]["calls"] = b.get("calls_per_key", 0)


def native_pair(name):
    entry = native.get(name)
    return (entry["min"], entry["median"]) if entry else None


def per_item(name):
    entry = native.get(name)
    return (entry["min"] * 1e6 / entry["count"], entry["median"] * 1e6 / entry["count"]) if entry else None


def ns(value):
    return f"{value:,.0f} ns"


for size in (1000, 10000, 100000):
    row(f"Discovery, in-memory registry, {size:,} keys", native_pair(f"BM_Discovery/{size}"),
        native_pair(f"BM_DiscoveryFloor/{size}"), "2x the floor", 2.0)
for size in (1000, 10000, 100000):
    row(f"  time per key, {size:,} keys (discovery / floor)", per_item(f"BM_Discovery/{size}"),
        per_item(f"BM_DiscoveryFloor/{size}"), "flat as keys grow", unit=ns)

for size in (1000, 10000, 100000):
    d, f = native.get(f"BM_Discovery/{size}"), native.get(f"BM_DiscoveryFloor/{size}")
    if d and f:
        rows.append((f"  registry calls per key, {size:,} keys", f"{d['calls']:.2f}", f"{f['calls']:.2f}",
                     f"{d['calls'] / f['calls']:.2f}x", "flat as keys grow", ""))

for size, label in ((1000, "1,000"), (10000, "10,000")):
    f = figures(f"discovery_wine_{size}.txt")
    row(f"Discovery under Wine, real registry, {label} keys", spread(f.get("discovery_ms", [])),
        spread(f.get("discovery_floor_ms", [])), "2x the floor", 2.0)

for size in (100, 1000):
    row(f"Trusted paths, {size:,} profiles (8,000-byte values)", native_pair(f"BM_TrustedPaths/{size}"))
p100, p1000 = per_item("BM_TrustedPaths/100"), per_item("BM_TrustedPaths/1000")
if p100 and p1000:
    row("  time per profile, 1,000 against 100 profiles", p1000, p100, "linear: about 1x", 1.25, unit=ns)

payload = figures("payload.txt")
row("Payload copy under Wine, 100 files of 5 MB", spread(payload.get("payload_ms", [])),
    spread(payload.get("payload_floor_ms", [])), "within 5% of the floor", 1.05)
row("  CopyPayload's own work without the copies (listing, attributes, marker)",
    spread(payload.get("payload_overhead_ms", [])), spread(payload.get("payload_floor_ms", [])),
    "under 0.05x the floor", 0.05)

startup = figures("startup.txt")
row("Start-up under Wine to the dialog, 21 releases", spread(startup.get("startup_ms", [])),
    spread(startup.get("startup_floor_ms", [])), "within 10% of the floor", 1.10)
row("  the same against a bare program showing SetUp's dialog template", spread(startup.get("startup_ms", [])),
    spread(startup.get("startup_template_ms", [])), "(where the time goes)")

def with_max(samples):
    """min / median (max): the spread of the runs shows beside the two figures."""
    return f"{ms(min(samples))} / {ms(statistics.median(samples))} (max {ms(max(samples))})"


def install_row(figure, samples, floor, goal="", goal_ratio=None):
    if not samples or not floor:
        rows.append((figure, "not measured", "", "", goal, ""))
        return
    ratios = (min(samples) / min(floor), statistics.median(samples) / statistics.median(floor))
    met = "" if goal_ratio is None else ("yes" if max(ratios) <= goal_ratio else "no")
    rows.append((figure, with_max(samples), with_max(floor), f"{ratios[0]:.2f}x / {ratios[1]:.2f}x", goal, met))


# The Install click, from the click to the first completion box (bench_session install).
cases = (("files100", "100 files of 5 MB", 100, 100 * 5), ("small1k", "1,000 files of 4,000 bytes", 1000, 3.81),
         ("small10k", "10,000 files of 4,000 bytes", 10000, 38.1),
         ("big2g", "256 files of 8 MB (2 GB)", 256, 2048))
empty = figures("install_empty.txt")
for name, label, count, megabytes in cases:
    f = figures(f"install_{name}.txt")
    goal = ("within 5% of the floor", 1.05) if name in ("files100", "small10k") else ("", None)
    install_row(f"Install click under Wine to the first box, {label}", f.get("setup_ms"), f.get("bare_ms"), *goal)
    install_row("  the same against the bare loop writing each file fresh and renaming it into place, as SetUp.exe "
                "does", f.get("setup_ms"), f.get("rename_ms"), "(where the time goes)")
    install_row("  that bare loop against the bare CopyFileA loop: what writing fresh costs by itself", f.get("rename_ms"),
                f.get("bare_ms"), "(where the time goes)")
    setup, bare = f.get("setup_ms"), f.get("bare_ms")
    if setup and bare:
        per_file = [v * 1000 / count for v in setup], [v * 1000 / count for v in bare]
        per_mb = [v / megabytes for v in setup], [v / megabytes for v in bare]
        us = lambda v: f"{v:,.0f} us"
        rows.append((f"  time per file, {label}", f"{us(min(per_file[0]))} / {us(statistics.median(per_file[0]))}",
                     f"{us(min(per_file[1]))} / {us(statistics.median(per_file[1]))}", "", "flat as files grow", ""))
        rows.append((f"  time per MB, {label}", f"{ms(min(per_mb[0]))} / {ms(statistics.median(per_mb[0]))}",
                     f"{ms(min(per_mb[1]))} / {ms(statistics.median(per_mb[1]))}", "", "flat as bytes grow", ""))
    p = figures(f"progress_{name}.txt")
    if p.get("progress_changes"):
        rows.append((f"  progress bar, {label}: pictures seen / longest still spell",
                     f"{p['progress_changes'][0]:,.0f} / {ms(p['progress_longest_still_ms'][0])}", "", "",
                     "keeps moving", ""))
if empty.get("setup_ms") and empty.get("bare_ms"):

    rows.append(("  the rest of the sequence with an empty Data folder (one release registered, its trusted "
                 "paths, the support files, the install record, the kept uninstaller, Add/Remove Programs), "
                 "SetUp.exe less the bare dialog",
                 f"{ms(min(empty['setup_ms']) - min(empty['bare_ms']))} / "
                 f"{ms(statistics.median(empty['setup_ms']) - statistics.median(empty['bare_ms']))}", "", "", "", ""))
for name, label, _, _ in cases[:2]:
    f = figures(f"release_{name}.txt")
    install_row(f"Install click, release build (signed payload manifest), {label}", f.get("release_ms"),
                f.get("hashfloor_ms"), "within 5% of CopyFileA + SHA-256", 1.05)

sizes = figures("size.txt")
size = sizes.get("setup_bytes")
stripped = sizes.get("setup_stripped_bytes")


def kib(value):
    return f"{value / 1024:,.0f} KiB"


if size:
    row("Size of SetUp.exe (static)", (size[0], size[0]), (1 << 20, 1 << 20), "budget 1 MB", 1.0, unit=kib)
if stripped:
    row("  the same stripped of debugging sections (not done by the build)", (stripped[0], stripped[0]),
        (1 << 20, 1 << 20), "budget 1 MB", 1.0, unit=kib)
memory = figures("memory.txt")
dialog_ws = memory.get("working_set_at_dialog_kb")
peak = memory.get("peak_working_set_kb")
row("Working set with the dialog shown", spread([v * 1024 for v in dialog_ws]) if dialog_ws else None, unit=kib)
row("Peak working set of an installation", spread([v * 1024 for v in peak]) if peak else None, unit=kib)

header = ("Figure", "Min / median", "Floor min / median", "Ratio min / median", "Goal", "Met")
lines = ["| " + " | ".join(header) + " |", "|" + "|".join("---" for _ in header) + "|"]
lines += ["| " + " | ".join(r) + " |" for r in rows]
print("\n".join(lines))
