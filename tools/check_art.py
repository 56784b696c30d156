#!/usr/bin/env python3
"""Checks the committed skin files: sizes, region blocks, strip conventions and icon structure."""

# Run after tools/make_art.py: python3 tools/check_art.py (exit status 1 on the first fault list).

import os
import struct
import sys

sys.dont_write_bytecode = True   # keep tools/ free of caches
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_art import KEY, RES, parse_region  # noqa: E402

FAULTS = []


def fault(msg):
    FAULTS.append(msg)


def read_bmp(path):
    with open(path, 'rb') as f:
        data = f.read()
    magic, _, _, _, offset = struct.unpack_from('<2sIHHI', data, 0)
    size, w, h, planes, bits, comp = struct.unpack_from('<IiiHHI', data, 14)
    if magic != b'BM' or size != 40 or planes != 1 or bits != 24 or comp != 0 or h <= 0:
        raise ValueError('%s: not a bottom-up 24-bit BMP (%r)' % (path, (magic, size, bits, comp, h)))
    stride = (w * 3 + 3) & ~3
    rows = []
    for y in range(h):
        base = offset + (h - 1 - y) * stride
        rows.append([(data[base + 3 * x + 2], data[base + 3 * x + 1], data[base + 3 * x])
                     for x in range(w)])
    return rows


def check_size(name, rows, w, h):
    if (len(rows[0]), len(rows)) != (w, h):
        fault('%s is %dx%d, want %dx%d' % (name, len(rows[0]), len(rows), w, h))


def check_round_strip(name, w, h):
    rows = read_bmp(os.path.join(RES, 'manager', name))
    check_size(name, rows, w, 5 * h)
    for y in range(h):
        for x in range(w):
            mask = rows[4 * h + y][x]
            if mask not in ((0, 0, 0), (255, 255, 255)):
                fault('%s: mask pixel (%d,%d) is %r' % (name, x, y, mask))
            for look in range(4):
                c = rows[look * h + y][x]
                if mask == (0, 0, 0) and c == KEY:
                    fault('%s: look %d is transparent at (%d,%d) inside the mask' % (name, look, x, y))
    for look in range(4):
        if rows[look * h][0] != KEY or rows[look * h + h - 1][w - 1] != KEY:
            fault('%s: look %d has no key colour in its corners' % (name, look))


def check_glyphs(name, size, count):
    rows = read_bmp(os.path.join(RES, 'manager', name))
    check_size(name, rows, size * count, size)
    for i in range(count):
        cells = [rows[y][i * size + x] for y in range(size) for x in range(size)]
        drawn = sum(1 for c in cells if c != KEY)
        if not size * size // 8 < drawn < size * size * 7 // 8:
            fault('%s: glyph %d has %d drawn pixels' % (name, i, drawn))
        if rows[0][i * size] != KEY:
            fault('%s: glyph %d has no key colour at its top left' % (name, i))


def check_standard():
    rows = read_bmp(os.path.join(RES, 'common', 'ilButtonsStandard.bmp'))
    check_size('ilButtonsStandard.bmp', rows, 60, 80)
    for y in range(80):
        # the middle is stretched from two-pixel slices, so it must not change along x
        if len(set(rows[y][15:46])) != 1:
            fault('ilButtonsStandard.bmp: row %d varies in the middle' % y)
    for look in range(4):
        corner = rows[look * 20][0]
        if corner != KEY:
            fault('ilButtonsStandard.bmp: look %d corner is %r' % (look, corner))


def check_skin(name, w, h):
    rows = read_bmp(os.path.join(RES, 'manager', name + '.bmp'))
    check_size(name + '.bmp', rows, w, h)
    with open(os.path.join(RES, 'manager', name + '.rgn'), 'rb') as f:
        data = f.read()
    try:
        bound, rects = parse_region(data)
    except ValueError as e:
        fault('%s.rgn: %s' % (name, e))
        return
    if not (0 <= bound[0] and 0 <= bound[1] and bound[2] <= w and bound[3] <= h):
        fault('%s.rgn: bound %r exceeds %dx%d' % (name, bound, w, h))
    last = (-1, -1)
    for r in rects:
        if r[3] - r[1] != 1 or (r[1], r[0]) <= last:
            fault('%s.rgn: rectangle %r out of band order' % (name, r))
            break
        last = (r[1], r[0])
    rows_covered = {r[1] for r in rects}
    if rows_covered != set(range(bound[1], bound[3])):
        fault('%s.rgn: rows %r..%r not all covered' % (name, bound[1], bound[3]))


def check_icon(path):
    with open(path, 'rb') as f:
        data = f.read()
    reserved, kind, count = struct.unpack_from('<HHH', data, 0)
    if (reserved, kind, count) != (0, 1, 2):
        fault('%s: header %r' % (path, (reserved, kind, count)))
        return
    sizes = []
    for i in range(count):
        w, h, colours, _, planes, bits, nbytes, offset = struct.unpack_from('<BBBBHHII', data, 6 + 16 * i)
        hdr = struct.unpack_from('<IiiHHI', data, offset)
        want = 40 + w * h * 3 + h * ((w + 31) // 32) * 4
        if hdr != (40, w, 2 * h, 1, 24, 0) or nbytes != want or offset + nbytes > len(data):
            fault('%s: image %d header %r, %d bytes (want %d)' % (path, i, hdr, nbytes, want))
        sizes.append(w)
    if sizes != [32, 16]:
        fault('%s: sizes %r' % (path, sizes))


def main():
    check_round_strip('ilButtonsRund_Gross.bmp', 48, 48)
    check_round_strip('ilButtonsRund_Klein.bmp', 21, 22)
    check_glyphs('ilButtonsRund_Gross_Glyphs.bmp', 25, 4)
    check_glyphs('ilButtonsRund_Klein_Glyphs.bmp', 13, 4)
    check_standard()
    check_skin('mainform', 640, 458)
    check_skin('iconinfo', 211, 199)
    check_skin('info', 211, 199)
    check_icon(os.path.join(RES, 'manager', 'Quillandora.ico'))
    check_icon(os.path.join(RES, 'editor', 'editor.ico'))
    for msg in FAULTS:
        print(msg)
    print('%d fault(s)' % len(FAULTS))
    return 1 if FAULTS else 0


if __name__ == '__main__':
    sys.exit(main())
