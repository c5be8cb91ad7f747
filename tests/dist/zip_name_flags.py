#!/usr/bin/env python3
"""Prints, for every entry of a zip, whether its name is flagged UTF-8 (general purpose bit 11)
in the local header and in the central directory, and the name's raw bytes read as UTF-8:
"local utf8 NAME", "central plain NAME". Reads the headers itself, so no zip reader's
guessing gets in between."""
import struct
import sys


def main(path):
    data = open(path, "rb").read()
    end = data.rfind(b"PK\x05\x06")
    if end < 0:
        sys.stderr.write("no end of central directory record\n")
        return 1
    count, _, central = struct.unpack_from("<HII", data, end + 10)
    for _ in range(count):
        if data[central:central + 4] != b"PK\x01\x02":
            sys.stderr.write("broken central directory\n")
            return 1
        (flags,) = struct.unpack_from("<H", data, central + 8)
        name_len, extra_len, comment_len = struct.unpack_from("<HHH", data, central + 28)
        (local,) = struct.unpack_from("<I", data, central + 42)
        name = data[central + 46:central + 46 + name_len]
        (local_flags,) = struct.unpack_from("<H", data, local + 6)
        (local_name_len,) = struct.unpack_from("<H", data, local + 26)
        local_name = data[local + 30:local + 30 + local_name_len]
        for kind, f, n in (("local", local_flags, local_name), ("central", flags, name)):
            print(kind, "utf8" if f & 0x800 else "plain", n.decode("utf-8", "backslashreplace"))
        central += 46 + name_len + extra_len + comment_len
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
