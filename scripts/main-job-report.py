#!/usr/bin/env python3
"""Writes report.md of the main job from what main-job.sh collected in its raw folder.

    main-job-report.py --raw DIR --drive-c DIR --out DIR --mode headless|interactive
                       --setup-seconds N --total-seconds N
"""
import argparse
import datetime
import os
import re
from urllib.parse import unquote

INSTALL_FOLDER = r"C:\Quilox\Tessarune"
PLOT_DRIVER = "Quilox.prt5"
SCREENSHOTS = [("1-dialog.png", "the setup dialog as it opens"),
               ("2-browse.png", "the browse window \"请选择安装目录：\""),
               ("3-progress-and-message.png", "the progress view with the first completion message")]


def read_lines(path):
    """Lines of a text file; UTF-8, or GBK where a line is not UTF-8 (Wine's console output)."""
    if not os.path.exists(path):
        return []
    lines = []
    with open(path, "rb") as f:
        for raw in f.read().splitlines():
            try:
                lines.append(raw.decode("utf-8"))
            except UnicodeDecodeError:
                lines.append(raw.decode("gbk", errors="replace"))
    return lines


def fields(line):
    """key=value pairs of a tab-separated automate.exe line, values unescaped."""
    result = {}
    for part in line.split("\t"):
        key, sep, value = part.partition("=")
        if sep:
            result[key] = unquote(value)
    return result


def registry_values(lines):
    """{key path: {value name: (type, data)}} and the set of keys, from regdump lines."""
    keys, values = set(), {}
    for line in lines:
        parts = line.split("\t")
        if parts[0] == "key" and len(parts) >= 2:
            keys.add(unquote(parts[1]))
        elif parts[0] == "value" and len(parts) >= 6:
            path, name, kind, data = unquote(parts[1]), unquote(parts[2]), parts[3], unquote(parts[5])
            values.setdefault(path, {})[name] = (kind, data)
    return keys, values


def cell(text):
    return text.replace("|", "\\|").replace("\n", "<br>") if text else text


def unix_path(drive_c, windows_path):
    return os.path.join(drive_c, *windows_path[3:].split("\\"))


def listing(folder):
    """(relative name, size or None for a folder) of everything below folder, sorted."""
    entries = []
    for root, dirs, files in os.walk(folder):
        dirs.sort()
        rel_root = os.path.relpath(root, folder)
        for name in dirs:
            entries.append((os.path.normpath(os.path.join(rel_root, name)).replace("/", "\\") + "\\", None))
        for name in sorted(files):
            entries.append((os.path.normpath(os.path.join(rel_root, name)).replace("/", "\\"),
                            os.path.getsize(os.path.join(root, name))))
    return sorted(entries)


def machine(raw):
    rows = []
    for line in read_lines(os.path.join(raw, "machine.tsv")):
        year, view, release, product, name, folder = line.split("\t")
        root = r"HKLM\SOFTWARE" + (r"\Wow6432Node" if view == "32" else "") + r"\Autodesk\AutoCAD"
        rows.append(dict(year=int(year), view=view, release=release, product=product, name=name,
                         folder=folder, key=rf"{root}\{release}\{product}"))
    return rows


def section_releases(raw, rows, out):
    out.append("## Releases discovered\n")
    out.append("Check boxes of the dialog as it opened (enabled boxes are the releases the setup found):\n")
    boxes = []
    for line in read_lines(os.path.join(raw, "controls.txt")):
        f = fields(line)
        match = re.fullmatch(r"For AutoCAD(\d{4})", f.get("text", ""))
        if match:
            boxes.append((match.group(1), f.get("enabled") == "1", f.get("checked") == "1"))
    found = [year for year, enabled, _ in boxes if enabled]
    out.append(f"- enabled: {', '.join(found) if found else '(none)'}")
    out.append(f"- ticked: {', '.join(y for y, _, checked in boxes if checked) or '(none)'}")
    out.append(f"- disabled: {len(boxes) - len(found)} of {len(boxes)} boxes\n")
    out.append("Installations seeded in the registry (HKLM):\n")
    out.append("| Year | View | Product key | ProductName | AcadLocation |")
    out.append("|---|---|---|---|---|")
    for r in rows:
        out.append(f"| {r['year']} | {r['view']}-bit | {cell(r['key'])} | {cell(r['name'])} | {cell(r['folder'])}\\ |")
    out.append("")


def section_messages(raw, out):
    out.append("## Messages shown, in order\n")
    boxes = [fields(line) for line in read_lines(os.path.join(raw, "boxes.txt"))]
    if not boxes:
        out.append("(no message box)\n")
    for n, box in enumerate(boxes, 1):
        out.append(f"{n}. caption \"{box.get('caption', '')}\", icon {box.get('icon', '?')}, "
                   f"buttons {box.get('buttons', '?')}")
        out.append("")
        out.append("   ```")
        out.extend("   " + text for text in box.get("text", "").split("\n"))
        out.append("   ```")
    out.append("")
    steps = read_lines(os.path.join(raw, "steps.txt"))
    if steps:
        out.append("What was done, in order:\n")
        out.extend(f"- {step}" for step in steps)
        out.append("")


def section_files(drive_c, rows, out):
    out.append("## Files copied\n")
    folder = unix_path(drive_c, INSTALL_FOLDER)
    out.append(f"Install folder `{INSTALL_FOLDER}` (with the drawing library):\n")
    entries = listing(folder) if os.path.isdir(folder) else []
    if not entries:
        out.append("(missing or empty)\n")
    else:
        out.append("| File | Bytes |")
        out.append("|---|---|")
        out.extend(f"| {cell(name)} | {'folder' if size is None else size} |" for name, size in entries)
        out.append("")
    driver = os.path.join(drive_c, "Tessarune", "Data", PLOT_DRIVER)
    driver_bytes = open(driver, "rb").read() if os.path.exists(driver) else None
    out.append("AutoCAD folders (Fonts: every file; Drv: the plotter driver):\n")
    out.append("| Year | Folder | Fonts | Drv\\pdfplot9.hdi |")
    out.append("|---|---|---|---|")
    for r in rows:
        base = unix_path(drive_c, r["folder"])
        fonts_dir = os.path.join(base, "Fonts")
        fonts = ", ".join(f"{name} ({os.path.getsize(os.path.join(fonts_dir, name))} B)"
                          for name in sorted(os.listdir(fonts_dir))) if os.path.isdir(fonts_dir) else "(no folder)"
        hdi = os.path.join(base, "Drv", "pdfplot9.hdi")
        if not os.path.exists(hdi):
            state = "(missing)"
        else:
            content = open(hdi, "rb").read()
            kind = f"replaced by {PLOT_DRIVER}" if content == driver_bytes else "original"
            state = f"{kind} ({len(content)} B)"
        out.append(f"| {r['year']} | {cell(r['folder'])} | {cell(fonts)} | {state} |")
    out.append("")


def section_registry(raw, rows, out):
    out.append("## Registry values written\n")
    out.append("Demand-load entries below each product key (HKLM):\n")
    out.append("| Year | Entry | LOADER | LOADCTRLS |")
    out.append("|---|---|---|---|")
    _, before = registry_values(read_lines(os.path.join(raw, "hklm64-before.txt")) +
                                read_lines(os.path.join(raw, "hklm32-before.txt")))
    _, after = registry_values(read_lines(os.path.join(raw, "hklm64-after.txt")) +
                               read_lines(os.path.join(raw, "hklm32-after.txt")))
    for r in rows:
        entries = sorted(path for path in after if path.startswith(r["key"] + "\\Applications\\"))
        if not entries:
            out.append(f"| {r['year']} | {cell(r['key'])}: (no entry) | | |")
        for path in entries:
            loader = after[path].get("LOADER", ("", "(missing)"))[1]
            ctrls = after[path].get("LOADCTRLS", ("", "(missing)"))[1]
            out.append(f"| {r['year']} | {cell(path)} | {cell(loader)} | {ctrls} |")
    changed = sorted(p for p in after if p not in before and "\\Applications\\" not in p)
    if changed:
        out.append("\nOther keys with values that appeared below HKLM:\n")
        out.extend(f"- {p}" for p in changed)
    out.append("")
    out.append("TRUSTEDPATHS of every profile of the current user (HKCU), before and after:\n")
    out.append("| Profile (release\\product\\profile) | Before | After |")
    out.append("|---|---|---|")
    keys_before, user_before = registry_values(read_lines(os.path.join(raw, "hkcu-before.txt")))
    keys_after, user_after = registry_values(read_lines(os.path.join(raw, "hkcu-after.txt")))
    profile = re.compile(r"HKCU\\Software\\Autodesk\\AutoCAD\\(.+)\\Profiles\\([^\\]+)$")
    for key in sorted(k for k in keys_before | keys_after if profile.match(k)):
        release_product, name = profile.match(key).groups()
        variables = key + "\\Variables"

        def state(keys, values):
            if variables not in keys:
                return "(no Variables key)"
            value = values.get(variables, {}).get("TRUSTEDPATHS")
            return f"`{value[1]}`" if value else "(no value)"

        out.append(f"| {cell(release_product)}\\{cell(name)} | {cell(state(keys_before, user_before))} | "
                   f"{cell(state(keys_after, user_after))} |")
    out.append("")


def section_screenshots(outdir, out):
    out.append("## Screenshots\n")
    for name, what in SCREENSHOTS:
        path = os.path.join(outdir, name)
        if os.path.exists(path):
            out.append(f"- [{name}]({name}): {what} ({os.path.getsize(path)} bytes)")
        else:
            out.append(f"- {name}: not taken ({what})")
    out.append("")


def main():
    parser = argparse.ArgumentParser()
    for option in ("--raw", "--drive-c", "--out", "--mode", "--setup-seconds", "--total-seconds"):
        parser.add_argument(option, required=True)
    args = parser.parse_args()
    rows = machine(args.raw)
    exit_code = "".join(line[len("exit_code="):] for line in read_lines(os.path.join(args.raw, "start.out"))
                        if line.startswith("exit_code=")) or "unknown"
    out = ["# Tessarune Setup: main job report\n",
           f"- date: {datetime.datetime.now(datetime.timezone.utc):%Y-%m-%d %H:%M UTC}",
           f"- mode: {args.mode}",
           f"- program: C:\\Tessarune\\SetUp.exe with the sample payload in C:\\Tessarune\\Data",
           f"- SetUp.exe exit code: {exit_code}",
           f"- time: {args.setup_seconds} s from start to exit of SetUp.exe, {args.total_seconds} s for the job",
           ""]
    section_releases(args.raw, rows, out)
    section_messages(args.raw, out)
    section_files(args.drive_c, rows, out)
    section_registry(args.raw, rows, out)
    section_screenshots(args.out, out)
    with open(os.path.join(args.out, "report.md"), "w", encoding="utf-8") as f:
        f.write("\n".join(out))


if __name__ == "__main__":
    main()
