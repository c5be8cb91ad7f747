#!/usr/bin/env python3
"""Writes report.md of the main job from what main-job.sh collected in its raw folder, and judges it.

    main-job-report.py --raw DIR --drive-c DIR --out DIR --mode headless|interactive
                       --setup-exe FILE --setup-seconds N --total-seconds N

The checks below expect the default installation (C:\\Quilox, every found release ticked) on the
simulated machine of tests/support/acad_machine.cpp. Each check is written to raw/checks.txt as "ok" or
"FAIL"; report.md starts with the verdict. Exit status: 0 when every check passed, 1 otherwise.
"""
import argparse
import datetime
import hashlib
import os
import re
import subprocess
from urllib.parse import unquote

INSTALL_FOLDER = r"C:\Quilox\Tessarune"
SOURCE_FOLDER = r"C:\Tessarune\Data"
DRAWING_LIBRARY = "Quilox扩展绘图库"
HKLM32 = r"HKLM\SOFTWARE\Wow6432Node\Autodesk\AutoCAD"
HKLM64 = r"HKLM\SOFTWARE\Autodesk\AutoCAD"

# English for every text the setup can show, so a reader without Chinese can follow the report.
TRANSLATIONS = {
    "Tessarune安装": "Tessarune setup",
    "确定": "OK", "中止": "Abort", "重试": "Retry", "忽略": "Ignore", "是": "Yes", "否": "No",
    "Tessarune软件安装": "Tessarune software installation",
    "Tessarune工具箱安装": "Tessarune toolbox installation",
    "安装完成，重启CAD即可使用 !": "Installation finished; restart CAD to use it!",
    "若要导入早期版本（2024年版本及更早版本）的设置，可点击:\n\n [软件设置] -> [设置导出导入] -> [早期版本设置导入]":
        "To import the settings of an early version (2024 and earlier), click:\n\n"
        " [Software settings] -> [Export and import settings] -> [Import early-version settings]",
    "请关闭AutoCAD后再进行安装 !": "Please close AutoCAD before installing!",
    "安装路径过长，请选择较短的安装路径 !": "The install path is too long; please choose a shorter one!",
    "未找到安装所需的Data文件夹 !\n\n可能安装文件下载后没有解压，\n\n请解压后再执行SetUp.exe !":
        "The Data folder needed for the installation was not found!\n\nPerhaps the downloaded files were not "
        "unpacked.\n\nPlease unpack them, then run SetUp.exe!",
}
COPY_FAILED = re.compile(r"拷贝文件 (.*) 失败，可能原因如下：\n\n1、AutoCAD未关闭\n\n2、系统权限未开放，请以管理者权限登陆系统",
                         re.S)

# Where the setup behaves on purpose in a way a reader might take for a fault.
ODDITIES = [
    "TRUSTEDPATHS longer than 2 bytes is stored in upper case, every entry of it, also when the folder "
    "is already there (`d:\\lisp;c:\\quilox\\tessarune` becomes `D:\\LISP;C:\\QUILOX\\TESSARUNE`). "
    "AutoCAD compares these paths without regard to case.",
    "A TRUSTEDPATHS of 1 or 2 bytes (`C:`) cannot name a folder and is replaced by the install folder, "
    "in its own letter case.",
    "A TRUSTEDPATHS ending with `;` gets a second one before the folder (`D:\\BLOCKS;;C:\\QUILOX\\TESSARUNE`).",
    "The folder counts as already trusted when it occurs anywhere in the value, also inside a longer path.",
    "A profile without a `Variables` key gets one, holding only TRUSTEDPATHS.",
    "AutoCAD 2010 gets two demand-load entries (`Quilox2010` and `Quilox2010_32`); 2014 loads "
    "`Quilox2013.ARX` and both 2021 products `Quilox2021.ARX`: several releases share one module build.",
    "The fonts go only into AutoCAD's Fonts folders, not into the install folder; only AutoCAD 2008's "
    "`pdfplot9.hdi` is replaced, by `Quilox.prt5` under that name.",
]

NOT_SHOWN_UNDER_WINE = [
    "the elevation prompt: Wine does not enforce the manifest's administrator level;",
    "access rights: Wine neither stores nor enforces ACLs, and as root it overwrites read-only files, "
    "so no copy fails for want of rights;",
    "the running-AutoCAD warning: no `acad.exe` runs in this prefix (Wine lists only its own processes);",
    "real AutoCAD: nothing loads the module, reads TRUSTEDPATHS or uses the fonts and the plotter driver; "
    "the ARX files are placeholders of the sample payload;",
    "removal of the downloaded-file mark (Zone.Identifier): Wine has no alternate data streams;",
    "the Abort / Retry / Ignore question after a failed copy, the missing-Data message and the "
    "too-long-path message: this run has none of their causes;",
    "Windows' own look: fonts, the folder browser's layout and the message boxes are Wine's;",
    "the restart that ends the uninstall: the kept uninstaller, renamed into the temporary copy's folder, "
    "and the temporary copy are only scheduled for it (PendingFileRenameOperations).",
]


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


def file_bytes(path):
    if not os.path.isfile(path):
        return None
    with open(path, "rb") as f:
        return f.read()


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


def translated(text):
    if text in TRANSLATIONS:
        return TRANSLATIONS[text]
    match = COPY_FAILED.fullmatch(text)
    if match:
        return (f"Copying the file {match.group(1)} failed. Possible causes:\n\n1. AutoCAD is not closed\n\n"
                "2. Missing system rights: please log on with administrator rights")
    return "(no translation known)"


class Run:
    """What the job collected, parsed once for the checks and the report."""

    def __init__(self, args):
        self.raw, self.drive_c, self.out = args.raw, args.drive_c, args.out
        self.machine = []
        for line in read_lines(os.path.join(self.raw, "machine.tsv")):
            year, view, release, product, name, folder = line.split("\t")
            root = HKLM32 if view == "32" else HKLM64
            self.machine.append(dict(year=int(year), view=view, name=name, folder=folder,
                                     key=rf"{root}\{release}\{product}"))
        self.controls = [fields(line) for line in read_lines(os.path.join(self.raw, "controls.txt"))]
        self.boxes = [fields(line) for line in read_lines(os.path.join(self.raw, "boxes.txt"))]
        self.exit_code = next((line[len("exit_code="):] for line in read_lines(os.path.join(self.raw, "start.out"))
                               if line.startswith("exit_code=")), None)
        _, self.hklm_before = registry_values(read_lines(os.path.join(self.raw, "hklm64-before.txt")) +
                                              read_lines(os.path.join(self.raw, "hklm32-before.txt")))
        _, self.hklm_after = registry_values(read_lines(os.path.join(self.raw, "hklm64-after.txt")) +
                                             read_lines(os.path.join(self.raw, "hklm32-after.txt")))
        self.hkcu_keys_before, self.hkcu_before = registry_values(read_lines(os.path.join(self.raw, "hkcu-before.txt")))
        self.hkcu_keys_after, self.hkcu_after = registry_values(read_lines(os.path.join(self.raw, "hkcu-after.txt")))
        self.install = unix_path(self.drive_c, INSTALL_FOLDER)
        self.source = unix_path(self.drive_c, SOURCE_FOLDER)

    def release_boxes(self):
        """(year, enabled, ticked) of every release check box of the dialog as it opened."""
        boxes = []
        for f in self.controls:
            match = re.fullmatch(r"For AutoCAD(\d{4})", f.get("text", ""))
            if match:
                boxes.append((match.group(1), f.get("enabled") == "1", f.get("checked") == "1"))
        return sorted(boxes)

    def control_text(self, control_id):
        return next((f.get("text", "") for f in self.controls if f.get("id") == str(control_id)), None)

    def demand_load_entries(self):
        return {path: values for path, values in self.hklm_after.items() if "\\Applications\\" in path}

    def trusted_paths(self, keys, values, variables):
        if variables not in keys:
            return "(no Variables key)"
        value = values.get(variables, {}).get("TRUSTEDPATHS")
        return value[1] if value else "(no value)"

    def profiles(self):
        """(release\\product\\profile, before, after) of every AutoCAD profile of the current user."""
        pattern = re.compile(r"HKCU\\Software\\Autodesk\\AutoCAD\\(.+)\\Profiles\\([^\\]+)$")
        rows = []
        for key in sorted(k for k in self.hkcu_keys_before | self.hkcu_keys_after if pattern.match(k)):
            release_product, name = pattern.match(key).groups()
            variables = key + "\\Variables"
            rows.append((f"{release_product}\\{name}",
                         self.trusted_paths(self.hkcu_keys_before, self.hkcu_before, variables),
                         self.trusted_paths(self.hkcu_keys_after, self.hkcu_after, variables)))
        return rows


UNINSTALL_KEY = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Tessarune"
RECORD_FOLDER = r"C:\Program Files\Quilox\Tessarune Setup"
EXPECTED_ENTRY = {  # the Add/Remove Programs entry after the installs
    "DisplayName": "Tessarune", "DisplayVersion": "2026.03.31", "Publisher": "Quilox",
    "InstallLocation": INSTALL_FOLDER, "UninstallString": f'"{RECORD_FOLDER}\\SetUp.exe" /UNINSTALL',
    "QuietUninstallString": f'"{RECORD_FOLDER}\\SetUp.exe" /UNINSTALL /S',
}
FONTS = ("Quilox_EN.shx", "Quilox_HZ.shx")


def registry_lines(raw, name):
    """The AutoCAD keys of both views and of the current user, as "path : name = type data" and "path"."""
    lines = set()
    for dump in ("hklm64", "hklm32", "hkcu"):
        keys, values = registry_values(read_lines(os.path.join(raw, f"{dump}-{name}.txt")))
        lines |= keys
        lines |= {f"{path} : {value} = {kind} {data}" for path, named in values.items()
                  for value, (kind, data) in named.items()}
    return lines


def without_trusted_paths_case(lines):
    return {line.upper() if " : TRUSTEDPATHS = " in line else line for line in lines}


def replaced_trusted_paths(raw):
    """The Variables keys (upper case) whose TRUSTEDPATHS the install replaced whole: 1 or 2 bytes before."""
    keys, values = registry_values(read_lines(os.path.join(raw, "hkcu-before.txt")))
    return {path.upper() for path, named in values.items()
            if "TRUSTEDPATHS" in named and 0 < len(named["TRUSTEDPATHS"][1].encode("gbk")) <= 2}


def file_lines(raw, name):
    """{relative path (backslashes): size or "folder"} of drive C: but Windows' and the users' folders."""
    entries = {}
    for line in read_lines(os.path.join(raw, f"files-{name}.txt")):
        kind, path, size = (line.split("\t") + ["", ""])[:3]
        entries["C:\\" + path.replace("/", "\\")] = "folder" if kind == "folder" else size
    return entries


def differences(before, after):
    """(what, path) rows: added, removed or changed, sorted by path."""
    rows = [("added", p) for p in after if p not in before] + [("removed", p) for p in before if p not in after]
    if isinstance(before, dict):
        rows += [("changed", p) for p in before if p in after and before[p] != after[p]]
    return sorted(rows, key=lambda row: row[1])


def pending_removals(raw, name):
    """The paths Windows is to delete at the next restart (PendingFileRenameOperations without a target)."""
    paths = []
    for line in read_lines(os.path.join(raw, f"pending-{name}.txt")):
        parts = line.split("\t")
        if len(parts) >= 6:
            items = unquote(parts[5]).split("\0")
            paths += [items[i][4:] if items[i].startswith("\\??\\") else items[i]
                      for i in range(0, len(items) - 1, 2) if items[i] and not items[i + 1]]
    return paths


def exit_code_of(raw, name):
    return next((line[len("exit_code="):] for line in read_lines(os.path.join(raw, f"{name}.out"))
                 if line.startswith("exit_code=")), None)


# The default installation on the simulated machine, as it must come out.
EXPECTED_FOUND = ["2008", "2010", "2014", "2021", "2025"]
EXPECTED_ENTRIES = {
    HKLM32 + r"\R17.1\ACAD-6001:804\Applications\Quilox2008": r"C:\Quilox\Tessarune\Quilox2008.ARX",
    HKLM32 + r"\R18.0\ACAD-8001:804\Applications\Quilox2010": r"C:\Quilox\Tessarune\Quilox2010.ARX",
    HKLM32 + r"\R18.0\ACAD-8001:804\Applications\Quilox2010_32": r"C:\Quilox\Tessarune\Quilox2010_32.ARX",
    HKLM64 + r"\R18.0\ACAD-8001:804\Applications\Quilox2010": r"C:\Quilox\Tessarune\Quilox2010.ARX",
    HKLM64 + r"\R18.0\ACAD-8001:804\Applications\Quilox2010_32": r"C:\Quilox\Tessarune\Quilox2010_32.ARX",
    HKLM64 + r"\R19.1\ACAD-D001:804\Applications\Quilox2014": r"C:\Quilox\Tessarune\Quilox2013.ARX",
    HKLM64 + r"\R24.0\ACAD-4101:804\Applications\Quilox2021": r"C:\Quilox\Tessarune\Quilox2021.ARX",
    HKLM64 + r"\R24.0\ACAD-4105:804\Applications\Quilox2021": r"C:\Quilox\Tessarune\Quilox2021.ARX",
    HKLM64 + r"\R25.0\ACAD-8101:804\Applications\Quilox2025": r"C:\Quilox\Tessarune\Quilox2025.ARX",
}
EXPECTED_TRUSTED = [  # profile, before, after
    (r"R17.1\ACAD-6001:804\<<未命名配置>>", "(no value)", r"C:\Quilox\Tessarune"),
    (r"R18.0\ACAD-8001:804\<<未命名配置>>", "C:", r"C:\Quilox\Tessarune"),
    (r"R19.1\ACAD-D001:804\<<未命名配置>>", r"C:\Program Files\Autodesk\AutoCAD 2014\Support\;D:\Lisp",
     r"C:\PROGRAM FILES\AUTODESK\AUTOCAD 2014\SUPPORT\;D:\LISP;C:\QUILOX\TESSARUNE"),
    (r"R19.1\ACAD-D001:804\机械制图", "(no Variables key)", r"C:\Quilox\Tessarune"),
    (r"R24.0\ACAD-4101:804\<<未命名配置>>", r"d:\lisp;c:\quilox\tessarune", r"D:\LISP;C:\QUILOX\TESSARUNE"),
    (r"R24.0\ACAD-4105:804\<<未命名配置>>", "D:\\Blocks;", r"D:\BLOCKS;;C:\QUILOX\TESSARUNE"),
    (r"R25.0\ACAD-8101:804\<<未命名配置>>", r"D:\Lisp;E:\Tools\Scripts", r"D:\LISP;E:\TOOLS\SCRIPTS;C:\QUILOX\TESSARUNE"),
]
EXPECTED_ACAD_FOLDERS = 7
EXPECTED_PAYLOAD = ["Quilox2008.ARX", "Quilox2010.ARX", "Quilox2010_32.ARX", "Quilox2013.ARX", "Quilox2021.ARX",
                    "Quilox2025.ARX", "Quilox.prt5", "Tessarune使用说明.txt"]
EXPECTED_LIBRARY = ["门窗.dwg", "楼梯.dwg", "Title block A3.dwg"]
EXPECTED_MESSAGES = [
    ("Tessarune工具箱安装", "安装完成，重启CAD即可使用 !"),
    ("Tessarune工具箱安装",
     "若要导入早期版本（2024年版本及更早版本）的设置，可点击:\n\n [软件设置] -> [设置导出导入] -> [早期版本设置导入]"),
]
# What the automation says of a box without a standard icon: Wine leaves an empty icon control in
# such boxes, which it cannot match to any standard icon.
NO_ICON = ("none", "unknown")
EXPECTED_SCREENSHOTS = ["1-dialog.png", "2-browse.png", "3-message-1.png", "3-message-2.png"]


def checks(run):
    """(description, passed, what was seen when it failed) for every rule the job shows."""
    result = []

    def check(what, passed, seen=""):
        result.append((what, bool(passed), "" if passed else seen))

    check("SetUp.exe ended by itself", run.exit_code is not None, "it did not end")
    boxes = run.release_boxes()
    enabled = [year for year, on, _ in boxes if on]
    ticked = [year for year, _, tick in boxes if tick]
    check("the dialog has a box for each year 2007 to 2027", [y for y, _, _ in boxes] ==
          [str(y) for y in range(2007, 2028)], f"{len(boxes)} boxes")
    check("the dialog enables exactly 2008, 2010, 2014, 2021, 2025", enabled == EXPECTED_FOUND, ", ".join(enabled))
    check("the found releases are ticked", ticked == EXPECTED_FOUND, ", ".join(ticked))

    entries = run.demand_load_entries()
    for path, loader in EXPECTED_ENTRIES.items():
        values = entries.get(path, {})
        check(f"demand-load entry {path}: LOADER {loader}, LOADCTRLS 2",
              values.get("LOADER") == ("REG_SZ", loader) and values.get("LOADCTRLS") == ("REG_DWORD", "2"),
              repr(values) if values else "missing")
    extra = sorted(set(entries) - set(EXPECTED_ENTRIES))
    check("no other demand-load entry is written", not extra, ", ".join(extra))
    other = sorted(p for p in run.hklm_after if p not in run.hklm_before and "\\Applications\\" not in p)
    check("nothing else appears below HKLM's AutoCAD keys", not other, ", ".join(other))

    seen = {profile: (before, after) for profile, before, after in run.profiles()}
    for profile, before, after in EXPECTED_TRUSTED:
        check(f"TRUSTEDPATHS of {profile}: {before} -> {after}", seen.get(profile) == (before, after),
              repr(seen.get(profile, "no such profile")))
    check("no other profile is listed", len(seen) == len(EXPECTED_TRUSTED), f"{len(seen)} profiles")

    source_fonts = {name: file_bytes(os.path.join(run.source, name)) for name in ("Quilox_EN.shx", "Quilox_HZ.shx")}
    driver = file_bytes(os.path.join(run.source, "Quilox.prt5"))
    check("the simulated machine has 7 AutoCAD folders", len(run.machine) == EXPECTED_ACAD_FOLDERS,
          str(len(run.machine)))
    for r in run.machine:
        base = unix_path(run.drive_c, r["folder"])
        fonts = os.path.join(base, "Fonts")
        names = sorted(os.listdir(fonts)) if os.path.isdir(fonts) else []
        same = all(data is not None and file_bytes(os.path.join(fonts, n)) == data for n, data in source_fonts.items())
        check(f"{r['folder']}\\Fonts holds both fonts, whole, beside AutoCAD's own",
              same and names == ["Quilox_EN.shx", "Quilox_HZ.shx", "gbcbig.shx", "txt.shx"], ", ".join(names))
        hdi = file_bytes(os.path.join(base, "Drv", "pdfplot9.hdi"))
        if r["year"] == 2008:
            check(f"{r['folder']}\\Drv\\pdfplot9.hdi is replaced by Quilox.prt5",
                  driver is not None and hdi == driver, "not replaced")
        else:
            check(f"{r['folder']}\\Drv\\pdfplot9.hdi is left alone",
                  hdi is not None and hdi != driver, "missing or replaced")

    for name in EXPECTED_PAYLOAD:
        data = file_bytes(os.path.join(run.install, name))
        check(f"{INSTALL_FOLDER}\\{name} is installed whole",
              data is not None and data == file_bytes(os.path.join(run.source, name)), "missing or different")
    for name in EXPECTED_LIBRARY:
        data = file_bytes(os.path.join(run.install, DRAWING_LIBRARY, name))
        check(f"{INSTALL_FOLDER}\\{DRAWING_LIBRARY}\\{name} is installed whole",
              data is not None and data == file_bytes(os.path.join(run.source, DRAWING_LIBRARY, name)),
              "missing or different")
    for name in ("Quilox_EN.shx", "Quilox_HZ.shx", "SetUp.exe"):
        check(f"{name} is not copied into the install folder",
              not os.path.exists(os.path.join(run.install, name)), "it is there")

    shown = [(box.get("caption"), box.get("text")) for box in run.boxes]
    check("exactly two messages are shown", len(shown) == 2, f"{len(shown)} shown")
    for n, (caption, text) in enumerate(EXPECTED_MESSAGES, 1):
        box = run.boxes[n - 1] if len(run.boxes) >= n else {}
        check(f"message {n}: \"{caption}\" / \"{text.splitlines()[0]}\", no icon, OK only",
              (box.get("caption"), box.get("text")) == (caption, text) and box.get("icon") in NO_ICON and
              re.fullmatch(r"1:[^,]*", box.get("buttons", "")) is not None,
              repr((box.get("caption"), box.get("text"), box.get("icon"), box.get("buttons"))))

    deployment_checks(run, check)

    for name in EXPECTED_SCREENSHOTS:
        path = os.path.join(run.out, name)
        head = file_bytes(path)
        check(f"{name} is a PNG", head is not None and head.startswith(b"\x89PNG\r\n\x1a\n"), "missing or not a PNG")
    return result


def deployment_checks(run, check):
    """The silent install over the dialog's and the uninstall through the Add/Remove Programs entry."""
    raw = run.raw
    check("SetUp.exe /S over the dialog's installation ends with 0", exit_code_of(raw, "silent") == "0",
          str(exit_code_of(raw, "silent")))
    # A second install upper-cases every TRUSTEDPATHS that holds the folder already.
    after = without_trusted_paths_case(registry_lines(raw, "after"))
    silent = without_trusted_paths_case(registry_lines(raw, "silent"))
    check("the silent install leaves the AutoCAD keys and profiles as the dialog's did (apart from the letter "
          "case of TRUSTEDPATHS)", after == silent,
          "; ".join(f"{what} {path}" for what, path in differences(after, silent)[:5]))
    _, entry = registry_values(read_lines(os.path.join(raw, "arp-silent.txt")))
    entry = {name: data for name, (_, data) in entry.get(UNINSTALL_KEY, {}).items()}
    for name, value in EXPECTED_ENTRY.items():
        check(f"Add/Remove Programs: {name} is {value}", entry.get(name) == value, repr(entry.get(name)))
    move_checks(run, check)
    check("the uninstall (the QuietUninstallString) ends with 0", exit_code_of(raw, "uninstall") == "0",
          str(exit_code_of(raw, "uninstall")))
    before, uninstalled = registry_lines(raw, "before"), registry_lines(raw, "uninstalled")
    replaced = replaced_trusted_paths(raw)
    rest = [(what, line) for what, line in differences(without_trusted_paths_case(before),
                                                         without_trusted_paths_case(uninstalled))
            if line.split(" : ")[0] not in replaced]
    check("after the uninstall the AutoCAD keys and profiles are as before the first install (apart from "
          "the letter case of TRUSTEDPATHS and the settings the install replaced whole)", not rest,
          "; ".join(f"{what} {path}" for what, path in rest[:5]))
    check("the Add/Remove Programs entry is gone",
          not read_lines(os.path.join(raw, "arp-uninstalled.txt")), "it is still there")
    pending = [path.upper() for path in pending_removals(raw, "uninstalled")]
    rest = [(what, path) for what, path in differences(file_lines(raw, "before"), file_lines(raw, "uninstalled"))
            if not (what == "added" and path.endswith(FONTS)) and path.upper() not in pending]
    check("after the uninstall the files are as before the first install, apart from the fonts and what "
          "goes at the next restart", not rest, "; ".join(f"{what} {path}" for what, path in rest[:5]))


MOVED_FOLDER = r"C:\Moved\Tessarune"


def move_checks(run, check):
    """The move: a second silent install into another folder clears the first one."""
    raw = run.raw
    check("SetUp.exe /S /D=C:\\Moved (a move) ends with 0", exit_code_of(raw, "move") == "0",
          str(exit_code_of(raw, "move")))
    log = "\n".join(read_lines(os.path.join(raw, "move.log")))
    check(f"the move's log says moving from {INSTALL_FOLDER} to {MOVED_FOLDER}",
          f"moving from {INSTALL_FOLDER} to {MOVED_FOLDER}" in log)
    files = file_lines(raw, "moved")
    left = [path for path in files if path.upper() == "C:\\QUILOX" or path.upper().startswith("C:\\QUILOX\\")]
    check(f"after the move nothing is left of {INSTALL_FOLDER}", not left, "; ".join(left[:5]))
    check(f"after the move the product is in {MOVED_FOLDER}",
          all(f"{MOVED_FOLDER}\\{name}".upper() in {p.upper() for p in files} for name in EXPECTED_PAYLOAD))
    def naming(name):
        return [line for line in registry_lines(raw, name) if INSTALL_FOLDER.upper() in line.upper()]
    # A profile that trusted the folder before the first install keeps it: that entry is the user's.
    users = {line.split(" : ")[0] for line in naming("before")}
    pointing = [line for line in naming("moved") if line.split(" : ")[0] not in users]
    check(f"after the move no demand-load entry or trusted path names {INSTALL_FOLDER} (but where a profile "
          "had it before the first install)", not pointing, "; ".join(pointing[:5]))


def section_deployment(run, out):
    raw = run.raw
    out.append("## Silent install and uninstall\n")
    out.append("After the dialog's installation: `C:\\Tessarune\\SetUp.exe /S` over it, a move with "
               "`/D=C:\\Moved`, then the Add/Remove Programs entry's QuietUninstallString, as a deployment tool "
               "runs them (logs: `raw/silent.log`, `raw/move.log`, `raw/uninstall.log`).\n")
    out.append("| Run | Exit code |")
    out.append("|---|---|")
    out.append(f"| `SetUp.exe /S` | {exit_code_of(raw, 'silent')} |")
    out.append(f"| `SetUp.exe /S /D=C:\\Moved` (a move) | {exit_code_of(raw, 'move')} |")
    _, entry = registry_values(read_lines(os.path.join(raw, "arp-silent.txt")))
    entry = entry.get(UNINSTALL_KEY, {})
    quiet = entry.get("QuietUninstallString", ("", "(none)"))[1]
    out.append(f"| `{quiet}` | {exit_code_of(raw, 'uninstall')} |")
    out.append("")
    out.append(f"The Add/Remove Programs entry `{UNINSTALL_KEY}` after the silent install:\n")
    out.append("| Value | Type | Data |")
    out.append("|---|---|---|")
    out.extend(f"| {name} | {kind} | {cell(data)} |" for name, (kind, data) in sorted(entry.items()))
    out.append("")
    changed = differences(registry_lines(raw, "after"), registry_lines(raw, "silent"))
    out.append("Registry differences between the dialog's installation and the silent one (AutoCAD keys of both "
               f"views, the current user's profiles): {len(changed) or 'none'}.\n")
    out.extend(f"- {what}: `{path}`" for what, path in changed)
    out.append("")
    rows = differences(registry_lines(raw, "before"), registry_lines(raw, "uninstalled"))
    out.append("Registry differences between the machine before the first install and after the uninstall:"
               f" {len(rows) or 'none'}. Expected: the other entries of a TRUSTEDPATHS the install appended to "
               "keep its upper case, and a setting it replaced whole (`C:`) or only upper-cased stays as it is.\n")
    out.extend(f"- {what}: `{path}`" for what, path in rows)
    out.append("")
    pending = pending_removals(raw, "uninstalled")
    rows = differences(file_lines(raw, "before"), file_lines(raw, "uninstalled"))
    out.append("File differences (drive C: without `windows` and `users`) between the machine before the first "
               f"install and after the uninstall: {len(rows) or 'none'}.\n")
    out.extend(f"- {what}: `{path}`" + (" (goes at the next restart)" if path.upper() in
                                          [p.upper() for p in pending] else "") for what, path in rows)
    out.append("")
    out.append("To be deleted at the next restart (PendingFileRenameOperations): "
               + (", ".join(f"`{p}`" for p in pending) if pending else "nothing") + ".\n")


def version_resource(path):
    """ProductVersion of an executable's version resource, or None."""
    data = file_bytes(path) or b""
    key = "ProductVersion".encode("utf-16-le") + b"\0\0"
    at = data.rfind(key)
    if at < 0:
        return None
    at += len(key)
    while at < len(data) - 1 and data[at:at + 2] == b"\0\0":
        at += 2
    end = at
    while end < len(data) - 1 and data[end:end + 2] != b"\0\0":
        end += 2
    return data[at:end].decode("utf-16-le", errors="replace")


def command_output(*command):
    try:
        return subprocess.run(command, capture_output=True, text=True, timeout=30).stdout.strip()
    except (OSError, subprocess.SubprocessError):
        return ""


def section_identity(run, args, out):
    top = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    data = file_bytes(args.setup_exe) or b""
    commit = command_output("git", "-C", top, "rev-parse", "HEAD") or "unknown"
    if command_output("git", "-C", top, "status", "--porcelain", "--untracked-files=no"):
        commit += " (with uncommitted changes)"
    label = run.control_text(1013)
    out.append("## Identity\n")
    out.append("| | |")
    out.append("|---|---|")
    out.append(f"| SetUp.exe SHA-256 | `{hashlib.sha256(data).hexdigest()}` ({len(data)} bytes) |")
    out.append(f"| version | {version_resource(args.setup_exe) or 'unknown'} (version resource)"
               + (f"; dialog label \"{label}\"" if label else "") + " |")
    out.append(f"| git commit | {commit} |")
    out.append(f"| Wine | {command_output('wine', '--version') or 'unknown'} |")
    out.append(f"| date | {datetime.datetime.now(datetime.timezone.utc):%Y-%m-%d %H:%M} UTC |")
    if args.mode == "headless":
        out.append("| run | headless: SetUp.exe started from `C:\\Tessarune`; Browse opened the folder browser, which "
                   "was cancelled; Install pressed with the path `C:\\Quilox` and the releases ticked as found; each "
                   "message confirmed with its button |")
    else:
        out.append("| run | interactive: driven by the user |")
    out.append(f"| distribution | `C:\\Tessarune\\SetUp.exe` with the sample payload in `{SOURCE_FOLDER}` |")
    out.append(f"| SetUp.exe exit code | {run.exit_code if run.exit_code is not None else 'none (it did not end)'} |")
    out.append(f"| time | {args.setup_seconds} s from start to end of SetUp.exe, {args.total_seconds} s for the job |")
    out.append("")


def quoted(text):
    return ["> " + line if line else ">" for line in text.split("\n")]


def section_messages(run, out):
    out.append("## Messages shown, in order\n")
    if not run.boxes:
        out.append("(no message box)\n")
    for n, box in enumerate(run.boxes, 1):
        caption, text = box.get("caption", ""), box.get("text", "")
        icon = box.get("icon", "")
        buttons = ", ".join(f"{label} ({TRANSLATIONS.get(label, '?')})"
                            for label in (b.partition(":")[2] for b in box.get("buttons", "").split(",") if b))
        out.append(f"{n}. Caption \"{caption}\" ({translated(caption)}), "
                   f"{'no icon' if icon in NO_ICON else 'icon: ' + icon}, buttons: {buttons or '(none)'}; "
                   f"screenshot [3-message-{n}.png](3-message-{n}.png).\n")
        out.extend("   " + line for line in quoted(text))
        out.append("")
        out.append("   In English:\n")
        out.extend("   " + line for line in quoted(translated(text)))
        out.append("")
    out.append("")


def section_releases(run, out):
    out.append("## Releases found\n")
    boxes = run.release_boxes()
    found = [year for year, enabled, _ in boxes if enabled]
    out.append(f"The dialog enabled and ticked {', '.join(found) if found else 'no release'}; "
               f"the other {len(boxes) - len(found)} of its {len(boxes)} release boxes were disabled. "
               "The simulated machine's installations (HKLM):\n")
    out.append("| Year | View | Product key | ProductName | AcadLocation |")
    out.append("|---|---|---|---|---|")
    for r in run.machine:
        out.append(f"| {r['year']} | {r['view']}-bit | {cell(r['key'])} | {cell(r['name'])} | {cell(r['folder'])}\\ |")
    out.append("")


def section_files(run, out):
    out.append("## Files copied\n")
    out.append(f"Install folder `{INSTALL_FOLDER}`, with the drawing library:\n")
    entries = listing(run.install) if os.path.isdir(run.install) else []
    if not entries:
        out.append("(missing or empty)\n")
    else:
        out.append("| File | Bytes |")
        out.append("|---|---|")
        out.extend(f"| {cell(name)} | {'folder' if size is None else size} |" for name, size in entries)
        out.append("")
    driver = file_bytes(os.path.join(run.source, "Quilox.prt5"))
    out.append("AutoCAD folders (Fonts: every file; Drv: the plotter driver):\n")
    out.append("| Year | Folder | Fonts | Drv\\pdfplot9.hdi |")
    out.append("|---|---|---|---|")
    for r in run.machine:
        base = unix_path(run.drive_c, r["folder"])
        fonts_dir = os.path.join(base, "Fonts")
        fonts = ", ".join(f"{name} ({os.path.getsize(os.path.join(fonts_dir, name))} B)"
                          for name in sorted(os.listdir(fonts_dir))) if os.path.isdir(fonts_dir) else "(no folder)"
        content = file_bytes(os.path.join(base, "Drv", "pdfplot9.hdi"))
        if content is None:
            state = "(missing)"
        else:
            state = f"{'replaced by Quilox.prt5' if content == driver else 'original'} ({len(content)} B)"
        out.append(f"| {r['year']} | {cell(r['folder'])} | {cell(fonts)} | {state} |")
    out.append("")


def section_registry(run, out):
    out.append("## Registry values written\n")
    out.append("Demand-load entries below each product key (HKLM):\n")
    out.append("| Year | Entry | LOADER | LOADCTRLS |")
    out.append("|---|---|---|---|")
    entries = run.demand_load_entries()
    for r in run.machine:
        paths = sorted(path for path in entries if path.startswith(r["key"] + "\\Applications\\"))
        if not paths:
            out.append(f"| {r['year']} | {cell(r['key'])}: (no entry) | | |")
        for path in paths:
            loader = entries[path].get("LOADER", ("", "(missing)"))[1]
            ctrls = entries[path].get("LOADCTRLS", ("", "(missing)"))[1]
            out.append(f"| {r['year']} | {cell(path)} | {cell(loader)} | {ctrls} |")
    out.append("")
    out.append("TRUSTEDPATHS of every AutoCAD profile of the current user (HKCU), before and after:\n")
    out.append("| Profile (release\\product\\profile) | Before | After |")
    out.append("|---|---|---|")
    for profile, before, after in run.profiles():
        def shown(value):
            return value if value.startswith("(") else f"`{value}`"
        out.append(f"| {cell(profile)} | {cell(shown(before))} | {cell(shown(after))} |")
    out.append("")


def section_screenshots(outdir, messages, out):
    out.append("## Screenshots\n")
    names = [("1-dialog.png", "the setup dialog as it opens"),
             ("2-browse.png", "the folder browser \"请选择安装目录：\" (choose the install folder)")]
    names += [(f"3-message-{n}.png", f"completion message {n} over the dialog's progress view")
              for n in range(1, max(messages, 2) + 1)]
    for name, what in names:
        if os.path.exists(os.path.join(outdir, name)):
            out.append(f"- [{name}]({name}): {what}")
        else:
            out.append(f"- {name}: not taken ({what})")
    out.append("")


def main():
    parser = argparse.ArgumentParser()
    for option in ("--raw", "--drive-c", "--out", "--mode", "--setup-exe", "--setup-seconds", "--total-seconds"):
        parser.add_argument(option, required=True)
    args = parser.parse_args()
    run = Run(args)

    results = checks(run)
    failed = [(what, seen) for what, passed, seen in results if not passed]
    with open(os.path.join(args.raw, "checks.txt"), "w", encoding="utf-8") as f:
        for what, passed, seen in results:
            f.write(f"{'ok  ' if passed else 'FAIL'} {what}" + (f"  [seen: {seen}]" if seen else "") + "\n")
        f.write(f"verdict: {'FAIL' if failed else 'PASS'}\n")

    verdict = "FAIL" if failed else "PASS"
    out = [f"**Verdict: {verdict}**, {len(results) - len(failed)} of {len(results)} checks passed "
           "(each one in raw/checks.txt).\n",
           "# Tessarune Setup: main job report\n"]
    if args.mode == "interactive":
        out.append("The checks expect the default installation; in an interactive run they fail where the "
                   "user chose otherwise.\n")
    if failed:
        out.append("Failed checks:\n")
        out.extend(f"- {what} (seen: {cell(seen)})" for what, seen in failed)
        out.append("")
    section_identity(run, args, out)
    section_messages(run, out)
    section_releases(run, out)
    section_files(run, out)
    section_registry(run, out)
    section_deployment(run, out)
    out.append("## Intended oddities\n")
    out.extend(f"- {note}" for note in ODDITIES)
    out.append("")
    out.append("## Not shown under Wine\n")
    out.extend(f"- {note}" for note in NOT_SHOWN_UNDER_WINE)
    out.append("")
    section_screenshots(args.out, len(run.boxes), out)
    out.append("The steps of the run, window handles and the automation's raw answers are in `raw/` "
               "(`steps.txt`, `boxes.txt`, `controls.txt`, the registry dumps).\n")
    with open(os.path.join(args.out, "report.md"), "w", encoding="utf-8") as f:
        f.write("\n".join(out))
    return 1 if failed else 0


if __name__ == "__main__":
    raise SystemExit(main())
