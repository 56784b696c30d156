#!/usr/bin/env python3
"""Writes the small .ico files that tests/data/test_icons.rc builds into the test icon library."""

# The outputs are committed beside this script; run it again only after changing it.

import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def image(size, colour):
    """A 24-bit icon image: a square of `colour` with a transparent one-pixel border."""
    stride = (size * 3 + 3) & ~3
    mask_stride = ((size + 31) // 32) * 4
    pixels = bytearray()
    mask = bytearray()
    for y in range(size):
        row = bytearray()
        bits = bytearray(mask_stride)
        for x in range(size):
            edge = x in (0, size - 1) or y in (0, size - 1)
            row += bytes((0, 0, 0)) if edge else bytes(reversed(colour))
            if edge:
                bits[x // 8] |= 0x80 >> (x % 8)
        pixels += row + bytes(stride - len(row))
        mask += bits
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 24, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    return header + pixels + mask


def ico(images):
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 24, len(data), offset)
        offset += len(data)
    return out + b''.join(data for _, data in images)


def write_icons(folder=HERE):
    for name, colour in (('red', (255, 0, 0)), ('green', (0, 160, 0)), ('blue', (0, 0, 255))):
        with open(os.path.join(folder, 'icon_%s.ico' % name), 'wb') as f:
            f.write(ico([(16, image(16, colour)), (32, image(32, colour))]))


if __name__ == '__main__':
    write_icons()
