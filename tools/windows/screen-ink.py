#!/usr/bin/env python3
"""Reads an X screen dump (xwd -root) and prints how many pixels of a window's area differ
from the area's most common colour (its background): drawn text, frames and icons.
    screen-ink.py DUMP.xwd X Y WIDTH HEIGHT [OUT.png]
OUT.png keeps that area as a picture. Only the 24/32-bit TrueColor dumps Xvfb writes."""
import collections
import struct
import sys
import zlib


def read_dump(path):
    data = open(path, 'rb').read()
    fields = struct.unpack('>25I', data[:100])
    header_size, width, height = fields[0], fields[4], fields[5]
    bytes_per_line, colours = fields[12], fields[19]
    if fields[12] != width * 4:
        sys.exit('only 32-bit pixels are read')
    start = header_size + colours * 12
    return data[start:], width, height, bytes_per_line


def main():
    dump, x, y, w, h = sys.argv[1], *map(int, sys.argv[2:6])
    pixels, width, height, stride = read_dump(dump)
    x, y = max(x, 0), max(y, 0)
    w, h = min(w, width - x), min(h, height - y)
    rows = [pixels[(y + r) * stride + x * 4:(y + r) * stride + (x + w) * 4] for r in range(h)]
    counts = collections.Counter()
    for row in rows:
        counts.update(row[i:i + 3] for i in range(0, len(row), 4))
    background, _ = counts.most_common(1)[0]
    print(sum(n for colour, n in counts.items() if colour != background))
    if len(sys.argv) > 6:
        # The dump's pixels are B, G, R, unused (little-endian 32-bit); PNG wants R, G, B.
        raw = b''.join(b'\0' + b''.join(bytes((row[i + 2], row[i + 1], row[i]))
                                        for i in range(0, len(row), 4)) for row in rows)

        def chunk(kind, body):
            return (struct.pack('>I', len(body)) + kind + body +
                    struct.pack('>I', zlib.crc32(kind + body)))
        png = (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 2, 0, 0, 0)) +
               chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b''))
        open(sys.argv[6], 'wb').write(png)


main()
