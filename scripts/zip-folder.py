#!/usr/bin/env python3
"""Packs one folder into a zip whose bytes depend on the folder's names and contents only.

    zip-folder.py PARENT NAME ARCHIVE EPOCH

Stores PARENT/NAME as NAME/... in ARCHIVE: entries sorted by their UTF-8 bytes, directories
included (an empty drawing library survives), every entry dated EPOCH (UTC), modes 755 for
folders and SetUp.exe and 644 for other files, no extra fields.

Why not Info-ZIP's zip: Debian's zip 3.0 stores UTF-8 names without the UTF-8 flag (general
purpose bit 11), so Windows' built-in extractor reads them in the OEM code page and a Chinese
Windows shows "Quilox扩展绘图库" garbled. Python's zipfile sets the flag on every non-ASCII
name.
"""
import os
import sys
import time
import zipfile

DIR_MODE = 0o40755
EXE_MODE = 0o100755
FILE_MODE = 0o100644
MSDOS_DIRECTORY = 0x10
UNIX = 3


def entry_names(parent, name):
    """Archive names of everything under parent/name, folders ending in '/'."""
    names = [name + "/"]
    for folder, dirs, files in os.walk(os.path.join(parent, name)):
        rel = os.path.relpath(folder, parent)
        names += [os.path.join(rel, d) + "/" for d in dirs]
        names += [os.path.join(rel, f) for f in files]
    return sorted(names, key=lambda n: n.encode("utf-8", "surrogateescape"))


def dos_date_time(epoch):
    # Zip dates start in 1980 and have no time zone: use UTC, so every machine writes the same.
    return time.gmtime(max(epoch, 315532800))[:6]


def pack(parent, name, archive, epoch):
    stamp = dos_date_time(epoch)
    with zipfile.ZipFile(archive, "w") as zf:
        for entry in entry_names(parent, name):
            info = zipfile.ZipInfo(entry, stamp)
            info.create_system = UNIX
            if entry.endswith("/"):
                info.external_attr = (DIR_MODE << 16) | MSDOS_DIRECTORY
                zf.writestr(info, b"")
                continue
            mode = EXE_MODE if entry.lower().endswith(".exe") else FILE_MODE
            info.external_attr = mode << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            with open(os.path.join(parent, entry), "rb") as f:
                zf.writestr(info, f.read(), compresslevel=9)


def main(argv):
    if len(argv) == 2 and argv[1] in ("-h", "--help"):
        print(__doc__.strip())
        return 0
    if len(argv) != 5:
        sys.stderr.write("usage: zip-folder.py PARENT NAME ARCHIVE EPOCH\n")
        return 2
    pack(argv[1], argv[2], argv[3], int(argv[4]))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
