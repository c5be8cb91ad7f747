#!/usr/bin/env python3
"""usage: make_payload.py FOLDER FILES BYTES

Fills FOLDER with FILES files Payload00000.arx, ... of BYTES bytes each, every one with its own
bytes (so that each has its own SHA-256). Files already there with the right size are kept."""
import os
import sys


def main():
    if len(sys.argv) != 4:
        print(__doc__.splitlines()[0], file=sys.stderr)
        return 2
    folder, files, size = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    os.makedirs(folder, exist_ok=True)
    base = bytes((i * 131) & 0xFF for i in range(1 << 20))
    for n in range(files):
        path = os.path.join(folder, f"Payload{n:05d}.arx")
        if os.path.exists(path) and os.path.getsize(path) == size:
            continue
        block = (f"payload {n}\n".encode() + base)[: 1 << 20]
        with open(path, "wb") as out:
            left = size
            while left > 0:
                out.write(block[:left])
                left -= len(block)
    return 0


if __name__ == "__main__":
    sys.exit(main())
