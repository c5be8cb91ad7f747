#!/usr/bin/env python3
"""usage: scripts/payload-manifest.py PAYLOAD OUT

Writes OUT, the manifest of the payload folder PAYLOAD (the future Data folder): one line per
file, "<sha256> <size> <name>", the name relative to PAYLOAD with backslashes and in code page
936, sorted by those bytes. A SetUp.exe built with it (-DTESSA_PAYLOAD_MANIFEST=OUT) installs
only these files, each only when its bytes match."""
import hashlib
import os
import sys


def main():
    if len(sys.argv) == 2 and sys.argv[1] in ("-h", "--help"):
        print(__doc__)
        return 0
    if len(sys.argv) != 3:
        print(__doc__.splitlines()[0], file=sys.stderr)
        return 2
    payload, out = sys.argv[1], sys.argv[2]
    if not os.path.isdir(payload):
        print(f"payload-manifest: not a folder: {payload}", file=sys.stderr)
        return 1
    lines = []
    for folder, subfolders, files in os.walk(payload):
        subfolders.sort()
        for name in files:
            path = os.path.join(folder, name)
            relative = os.path.relpath(path, payload).replace(os.sep, "\\")
            try:
                encoded = relative.encode("cp936")
            except UnicodeEncodeError:
                print(f"payload-manifest: not a code page 936 name: {relative}", file=sys.stderr)
                return 1
            digest = hashlib.sha256()
            with open(path, "rb") as f:
                for block in iter(lambda: f.read(1 << 16), b""):
                    digest.update(block)
            lines.append(b"%s %d %s\n" % (digest.hexdigest().encode(), os.path.getsize(path), encoded))
    lines.sort(key=lambda line: line.split(b" ", 2)[2])
    with open(out, "wb") as f:
        f.writelines(lines)
    return 0


if __name__ == "__main__":
    sys.exit(main())
