#!/usr/bin/env python3
"""Lays down the simulated machine of the main job in a Wine prefix's drive C.

Writes the AutoCAD installation folders (Fonts with AutoCAD's own fonts, Drv with an original
pdfplot9.hdi), a registry file (UTF-8) with the installation keys below HKLM and the per-user
profiles below HKCU, and a table of the installations for the report.

    main-job-machine.py DRIVE_C REG_FILE MACHINE_TSV
"""
import os
import sys

PROFILE = "<<未命名配置>>"

# year, registry view, release key, product key, product name, folder,
# profiles: (name, TRUSTEDPATHS or None for no value, or "no-variables" for a profile without Variables)
INSTALLATIONS = [
    (2008, "32", "R17.1", "ACAD-6001:804", "AutoCAD 2008 - 简体中文 (Simplified Chinese)",
     r"C:\Program Files (x86)\Autodesk\AutoCAD 2008", [(PROFILE, None)]),
    (2010, "32", "R18.0", "ACAD-8001:804", "AutoCAD 2010 - 简体中文 (Simplified Chinese)",
     r"C:\Program Files (x86)\Autodesk\AutoCAD 2010", [(PROFILE, "C:")]),
    (2010, "64", "R18.0", "ACAD-8001:804", "AutoCAD 2010 - 简体中文 (Simplified Chinese)",
     r"C:\Program Files\Autodesk\AutoCAD 2010", []),
    (2014, "64", "R19.1", "ACAD-D001:804", "AutoCAD 2014 - 简体中文 (Simplified Chinese)",
     r"C:\Program Files\Autodesk\AutoCAD 2014",
     [(PROFILE, r"C:\Program Files\Autodesk\AutoCAD 2014\Support\;D:\Lisp"), ("机械制图", "no-variables")]),
    (2021, "64", "R24.0", "ACAD-4101:804", "AutoCAD 2021 - 简体中文 (Simplified Chinese)",
     r"C:\Program Files\Autodesk\AutoCAD 2021", [(PROFILE, r"d:\lisp;c:\quilox\tessarune")]),
    (2021, "64", "R24.0", "ACAD-4105:804", "AutoCAD Mechanical 2021 - 简体中文 (Simplified Chinese)",
     r"C:\Program Files\Autodesk\AutoCAD Mechanical 2021", [(PROFILE, "D:\\Blocks;")]),
    (2025, "64", "R25.0", "ACAD-8101:804", "AutoCAD 2025 - 简体中文 (Simplified Chinese)",
     r"C:\Program Files\Autodesk\AutoCAD 2025", [(PROFILE, r"D:\Lisp;E:\Tools\Scripts")]),
]

# AutoCAD's own fonts, left in place by the setup.
OWN_FONTS = {"txt.shx": "AutoCAD's own txt font\r\n", "gbcbig.shx": "AutoCAD's own big font\r\n"}


def reg_text(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def registry_file(installations):
    lines = ["Windows Registry Editor Version 5.00", ""]
    for year, view, release, product, name, folder, profiles in installations:
        root = r"HKEY_LOCAL_MACHINE\SOFTWARE" + (r"\Wow6432Node" if view == "32" else "") + r"\Autodesk\AutoCAD"
        lines += [f"[{root}\\{release}\\{product}]",
                  f'"AcadLocation"={reg_text(folder + chr(92))}',  # stored with a trailing backslash, as AutoCAD does
                  f'"ProductName"={reg_text(name)}',
                  '"Language"="Chinese (PRC)"', ""]
        for profile, trusted in profiles:
            user = rf"HKEY_CURRENT_USER\Software\Autodesk\AutoCAD\{release}\{product}\Profiles\{profile}"
            if trusted == "no-variables":
                lines += [f"[{user}]", ""]
                continue
            lines += [f"[{user}\\Variables]", '"FILEDIA"=dword:00000001']
            if trusted is not None:
                lines.append(f'"TRUSTEDPATHS"={reg_text(trusted)}')
            lines.append("")
    return "\r\n".join(lines) + "\r\n"


def unix_folder(drive_c, windows_path):
    assert windows_path.startswith("C:\\")
    return os.path.join(drive_c, *windows_path[3:].split("\\"))


def lay_folders(drive_c, installations):
    for year, _view, _release, _product, _name, folder, _profiles in installations:
        base = unix_folder(drive_c, folder)
        os.makedirs(os.path.join(base, "Fonts"), exist_ok=True)
        os.makedirs(os.path.join(base, "Drv"), exist_ok=True)
        for font, content in OWN_FONTS.items():
            with open(os.path.join(base, "Fonts", font), "w", newline="") as f:
                f.write(content)
        with open(os.path.join(base, "Drv", "pdfplot9.hdi"), "w", newline="") as f:
            f.write(f"original pdfplot9 driver of AutoCAD {year}\r\n")


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    drive_c, reg_file, machine_tsv = sys.argv[1:]
    lay_folders(drive_c, INSTALLATIONS)
    with open(reg_file, "w", encoding="utf-8", newline="") as f:
        f.write(registry_file(INSTALLATIONS))
    with open(machine_tsv, "w", encoding="utf-8") as f:
        for year, view, release, product, name, folder, _profiles in INSTALLATIONS:
            f.write("\t".join([str(year), view, release, product, name, folder]) + "\n")


if __name__ == "__main__":
    main()
