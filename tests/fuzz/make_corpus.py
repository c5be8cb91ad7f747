#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets into corpus/<target>/ (run it again after a change).

The seeds are machines the tests know: the usual AutoCAD layout, the edge cases of each step, names
with a 0x5C trail byte, values larger than the read buffers and injected faults. Texts are code page
936, as the program sees them."""
import pathlib
import shutil

HERE = pathlib.Path(__file__).resolve().parent


def gbk(text):
    return text.encode("gbk")


# A double-byte character whose trail byte is 0x5C, the byte of a backslash.
TRAIL_5C = gbk("乗")


def lines(*parts):
    return b"\n".join(p if isinstance(p, bytes) else p.encode("ascii") for p in parts)


def install(view, key, location, product):
    """Registry records of one installation key: both values as NUL-terminated REG_SZ."""
    head = f"V{view}|".encode("ascii") + key
    return [head + b"|AcadLocation|s|" + location, head + b"|ProductName|s|" + product]


FOLDER_VALIDATION = {
    "existing-root": lines("C:\\"),
    "missing-drive-root": lines("Q:\\"),
    "three-new-levels": lines("C:\\new1\\new2\\new3", "y"),
    "declined": lines("C:\\new1", "n"),
    "second-level-refused": lines("C:\\new1\\new2", "xC:\\new1\\new2", "y"),
    "existing-file": lines("C:\\Quilox", "fC:\\Quilox"),
    "other-case-on-disk": lines("d:\\quilox\\TESSARUNE", "vD", "dD:\\Quilox\\Tessarune"),
    "forbidden-byte": lines("C:\\a?b"),
    "trailing-backslash": lines("C:\\abc\\"),
    "doubled-backslash": lines("C:\\a\\\\b"),
    "blank-ends": lines("C:\\ abc\\a b.c"),
    "network-path": lines("\\\\server\\share\\x"),
    "chinese-name": lines(b"C:\\" + gbk("Quilox扩展绘图库") + b"\\Tessarune", "y"),
    "trail-5c-name": lines(b"C:\\a" + TRAIL_5C + b"b\\c", "y", b"m" + gbk("C:\\安装\\SetUp.exe")),
    "percent-in-name": lines("C:\\100%s\\%d", "y"),
}

R = "R18.0\\ACAD-8001:804"
RELEASE_DISCOVERY = {
    "usual-layout": lines(
        *install(0, b"R18.0\\ACAD-8001:804", b"C:\\Program Files\\AutoCAD 2010\\", gbk("AutoCAD 2010 - 简体中文")),
        *install(0, b"R24.3\\ACAD-7101:804", b"D:\\AutoCAD 2024", b"AutoCAD 2024 - English")),
    "32-bit-view": lines(
        *install(1, b"R17.2\\ACAD-7001:804", b"C:\\ACAD2009\\", b"AutoCAD 2009"),
        *install(1, b"R18.1\\ACAD-9001:804", b"C:\\ACAD2011\\", b"AutoCAD 2011"),
        *install(0, b"R17.2\\ACAD-7001:804", b"C:\\ACAD2009x64\\", b"AutoCAD 2009")),
    "years-in-name": lines(
        *install(0, b"R17.1\\A", b"C:\\A\\\\", b"AutoCAD 2008 (reads 2007 drawings)"),
        *install(0, b"R17.1\\B", b"\\", b"2010 AutoCAD"),
        *install(0, b"R17.1\\C", b"C:\\", b"2010 AutoCAD 2012")),
    "one-value-only": lines("V0|R19.0\\ACAD-B001:804|AcadLocation|s|C:\\X",
                            "V0|R19.0\\ACAD-B002:804|ProductName|s|AutoCAD 2013"),
    "hidden-below-location": lines(
        "V0|R20.0\\ACAD-E001:804|AcadLocation|s|C:\\Outer",
        *install(0, b"R20.0\\ACAD-E001:804\\Inner", b"C:\\Inner", b"AutoCAD 2015"),
        *install(0, b"R20.0\\deep\\" + b"\\".join([b"level"] * 40), b"C:\\Deep", b"AutoCAD 2016")),
    "trail-5c-names": lines(
        *install(0, b"R21" + TRAIL_5C + b"\\ACAD" + TRAIL_5C, b"C:\\" + TRAIL_5C, b"AutoCAD 2017"),
        *install(1, TRAIL_5C + b"\\" + TRAIL_5C, b"C:\\" + gbk("嘰") + b"\\", b"AutoCAD 2007")),
    "value-larger-than-buffer": lines(
        "V0|R22.0\\ACAD-1001:804|AcadLocation|sx600|a",
        "V0|R22.0\\ACAD-1001:804|ProductName|s|AutoCAD 2018",
        *install(0, b"R22.0\\ACAD-1001:804\\Sub", b"C:\\Sub", b"AutoCAD 2018")),
    "raw-values": lines(
        "V0|R23.0\\ACAD-2001:804|AcadLocation|3|C:\\NoNul\\",
        b"V0|R23.0\\ACAD-2001:804|ProductName|7|AutoCAD 2019\x00AutoCAD 2007\x00\x00",
        "V0|R23.1\\ACAD-3001:804|AcadLocation|4|\x00\x00\x00\x00",
        "V0|R23.1\\ACAD-3001:804|ProductName|0|AutoCAD 2020"),
    "faults": lines(
        *install(0, b"R24.0\\ACAD-4001:804", b"C:\\A", b"AutoCAD 2021"),
        *install(0, b"R24.1\\ACAD-5001:804", b"C:\\B", b"AutoCAD 2022"),
        *install(0, b"R24.2\\ACAD-6001:804", b"C:\\C", b"AutoCAD 2023"),
        *install(0, b"R24.3\\ACAD-7001:804", b"C:\\D", b"AutoCAD 2024"),
        "D0|R24.0", "E0||1", "Q0|R24.2\\ACAD-6001:804|ProductName", "D1|"),
    "long-key-name": lines(*install(0, b"R25.0\\" + b"N" * 300, b"C:\\N", b"AutoCAD 2025"),
                           *install(0, b"R25.0\\" + b"M" * 255, b"C:\\M", b"AutoCAD 2026")),
}

PROFILE = "R18.0\\ACAD-8001:804\\Profiles\\<<Unnamed Profile>>"
TRUSTED_PATHS = {
    "usual-profile": lines(f"V0|{PROFILE}\\Variables|TRUSTEDPATHS|s|c:\\tools", "F|E:\\Addin\\Tessarune"),
    "missing-value-and-key": lines(f"K0|{PROFILE}\\Variables", "K0|R24.3\\ACAD-7101:804\\Profiles\\Other",
                                   "K0|R19.0\\ACAD-B001:804", "F|C:\\Quilox\\Tessarune"),
    "already-there": lines(f"V0|{PROFILE}\\Variables|TRUSTEDPATHS|s|e:\\addin\\old;d:\\x", "F|E:\\Addin"),
    "short-values": lines(f"V0|{PROFILE}\\Variables|TRUSTEDPATHS|s|C:",
                          "V0|R18.0\\P\\Profiles\\Q\\Variables|TRUSTEDPATHS|s|x", "F|C:\\Quilox\\Tessarune"),
    "ends-with-semicolon": lines(f"V0|{PROFILE}\\Variables|TRUSTEDPATHS|s|c:\\a;", "F|C:\\B"),
    "longer-than-first-read": lines(f"V0|{PROFILE}\\Variables|TRUSTEDPATHS|sx1100|C:\\folder;",
                                    "F|C:\\Quilox\\Tessarune"),
    "faults": lines(f"V0|{PROFILE}\\Variables|TRUSTEDPATHS|s|c:\\a",
                    "V0|R19.0\\A\\Profiles\\B\\Variables|TRUSTEDPATHS|s|c:\\b",
                    "V0|R20.0\\A\\Profiles\\B\\Variables|TRUSTEDPATHS|s|c:\\c",
                    "K0|R21.0\\A\\Profiles\\B",
                    "V0|R22.0\\A\\Profiles\\B\\Variables|TRUSTEDPATHS|s|c:\\d",
                    f"W0|{PROFILE}\\Variables", "Q0|R19.0\\A\\Profiles\\B\\Variables|TRUSTEDPATHS",
                    "D0|R20.0\\A\\Profiles\\B\\Variables", "D0|R21.0\\A\\Profiles\\B\\Variables",
                    "E0|R18.0|0", "F|C:\\T"),
    "double-byte-names": lines(
        b"V0|R18.0\\" + TRAIL_5C + b"\\Profiles\\" + gbk("配置") + TRAIL_5C + b"\\Variables|TRUSTEDPATHS|s|"
        + gbk("c:\\ａｂ\\工具"),
        b"F|" + gbk("C:\\Quilox扩展\\Ｔessarune")),
    "other-types": lines(
        b"V0|R18.0\\A\\Profiles\\M\\Variables|TRUSTEDPATHS|7|c:\\one\x00c:\\two\x00\x00",
        b"V0|R18.0\\A\\Profiles\\D\\Variables|TRUSTEDPATHS|4|\x01\x02\x03\x04",
        b"V0|R18.0\\A\\Profiles\\N\\Variables|TRUSTEDPATHS|3|c:\\no-nul",
        b"V0|R18.0\\A\\Profiles\\N\\Variables|OtherValue|s|kept", "F|C:\\Quilox\\Tessarune"),
}

CODE_PAGE = {
    "ascii-path": b"C:\\Program Files\\AutoCAD 2010\\acad.exe",
    "trail-5c": b"C:\\" + TRAIL_5C + b"\\x" + TRAIL_5C + b"\x00" + TRAIL_5C,
    "cased-double-bytes": gbk("ａｚＡＺαωΑΩаяАЯⅰⅹⅠⅩ") + b"\x00" + gbk("ＡＺａｚΑΩαωАЯаяⅠⅩⅰⅹ"),
    "lone-lead-at-end": b"abc\\\x81",
    "file-names": b"Quilox2010.ARX\x00quilox2010.arx",
    "needle-across-characters": b"\x81\\\\a\\b\x00\\a",
    "base-name": gbk("C:\\安装\\SetUp.exe") + b"\x00SetUp",
}

# Words libFuzzer may insert whole: the names the code looks for and the record heads.
DICTIONARIES = {
    "release_discovery": [b"AcadLocation", b"ProductName", b"\nV0|", b"\nV1|", b"\nK0|", b"|s|", b"\\", b"2007",
                          b"2010", b"2011", b"2027", b"ACAD-8001:804", b"\nD0|", b"\nE0|", b"\nQ0|", TRAIL_5C],
    "trusted_paths": [b"TRUSTEDPATHS", b"Profiles", b"Variables", b"\nV0|", b"\nK0|", b"|s|", b"\nF|", b";",
                      b"\\", b"\nW0|", b"\nD0|", b"\nQ0|", b"\nE0|", TRAIL_5C],
    "folder_validation": [b"C:\\", b"\\", b"\ny", b"\nn", b"\nxC:\\", b"\ndC:\\", b"\nfC:\\", b"\nvD", TRAIL_5C],
}


def dictionary_entry(word):
    """One line of a libFuzzer dictionary: printable ASCII as it is, every other byte as \\xNN."""
    text = "".join(chr(b) if 0x20 <= b < 0x7F and b not in b'"\\' else f"\\x{b:02X}" for b in word)
    return f'"{text}"\n'


def main():
    for target, seeds in [("folder_validation", FOLDER_VALIDATION), ("release_discovery", RELEASE_DISCOVERY),
                          ("trusted_paths", TRUSTED_PATHS), ("code_page", CODE_PAGE)]:
        folder = HERE / "corpus" / target
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir(parents=True)
        for name, data in seeds.items():
            (folder / name).write_bytes(data)
    for target, words in DICTIONARIES.items():
        text = "".join(dictionary_entry(w) for w in words)
        (HERE / f"{target}.dict").write_text(text)


if __name__ == "__main__":
    main()
