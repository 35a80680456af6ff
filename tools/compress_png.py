#!/usr/bin/env python3
"""Re-compresses PNG files losslessly (the demo writes them uncompressed), for committing under docs/.
   tools/compress_png.py SOURCE.png DEST.png
Each scanline gets the PNG 'up' filter where it helps, and the image data is deflated at level 9."""
import struct
import sys
import zlib


def chunks(data):
    at = 8
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        yield kind, data[at + 8:at + 8 + length]
        at += 12 + length


def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)


def main(source, dest):
    data = open(source, "rb").read()
    parts = list(chunks(data))
    header = dict(parts)[b"IHDR"]
    width, height, depth, colour = struct.unpack(">IIBB", header[:10])
    channels = {2: 3, 6: 4, 0: 1, 4: 2}[colour]
    stride = width * channels * depth // 8
    raw = zlib.decompress(b"".join(body for kind, body in parts if kind == b"IDAT"))
    if any(raw[y * (stride + 1)] != 0 for y in range(height)):
        sys.exit(f"{source}: already filtered; left as it is")
    rows = [raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)] for y in range(height)]
    out = bytearray()
    previous = bytes(stride)
    for row in rows:
        up = bytes((a - b) & 0xFF for a, b in zip(row, previous))
        # 'up' (2) where the row repeats the one above more than it repeats itself.
        out += (b"\x02" + up) if up.count(0) > row.count(row[0]) else (b"\x00" + row)
        previous = row
    png = data[:8] + chunk(b"IHDR", header)
    png += chunk(b"IDAT", zlib.compress(bytes(out), 9)) + chunk(b"IEND", b"")
    open(dest, "wb").write(png)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
