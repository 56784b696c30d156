#!/usr/bin/env python3
"""Checks the committed skin files: that they are exactly what make_art.py draws (and the test
icons what tests/data/make_test_icons.py writes), then their sizes, region blocks, strip
conventions and icon structure."""

# python3 tools/check_art.py: exit status 1 with the list of faults. tools/test.sh runs it.

import filecmp
import os
import struct
import sys
import tempfile

sys.dont_write_bytecode = True   # keep tools/ free of caches
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_art  # noqa: E402
from make_art import (KEY, RES, ROOT, TOOL_PANEL, EDITOR_HELP_INFO_CLOSE, EDITOR_COMMANDS,  # noqa: E402
                      EDITOR_SWAP, parse_region)

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


def check_glyphs(name, size, count, folder='manager'):
    rows = read_bmp(os.path.join(RES, folder, name))
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


def check_skin(name, w, h, folder='manager'):
    """Returns the skin's rows and the set of pixels inside its region (None when unreadable)."""
    rows = read_bmp(os.path.join(RES, folder, name + '.bmp'))
    check_size(name + '.bmp', rows, w, h)
    with open(os.path.join(RES, folder, name + '.rgn'), 'rb') as f:
        data = f.read()
    try:
        bound, rects = parse_region(data)
    except ValueError as e:
        fault('%s.rgn: %s' % (name, e))
        return rows, None
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
    return rows, {(x, r[1]) for r in rects for x in range(r[0], r[2])}


# The editor window's controls (x, y, w, h): each must lie wholly inside the window's shape.
EDITOR_CONTROLS = (
    [(x, 4, 21, 22) for x in EDITOR_HELP_INFO_CLOSE] +
    [(x, 36, 21, 22) for xs in EDITOR_COMMANDS for x in xs] +
    [(EDITOR_SWAP[0], EDITOR_SWAP[1], 21, 22), (318, 37, 84, 22), (76, 101, 257, 257),
     (355, 98, 32, 32), (346, 144, 26, 26), (362, 160, 26, 26), (351, 198, 41, 104),
     (10, 382, 390, 20), (8, 94, 57, 273)])
# Where the tool buttons and swatches sit, the panel must be exactly the tool strip's corner colour.
EDITOR_FLAT = ((9, 96, 54, 142), (9, 250, 54, 68))


def check_editor_skin():
    rows, inside = check_skin('form1', 410, 412, 'editor')
    if inside is None:
        return
    for x, y, w, h in EDITOR_CONTROLS:
        missing = [(px, py) for py in range(y, y + h) for px in range(x, x + w) if (px, py) not in inside]
        if missing:
            fault('form1: control at %r reaches outside the region at %r' % ((x, y, w, h), missing[0]))
    for x, y, w, h in EDITOR_FLAT:
        odd = [(px, py, rows[py][px]) for py in range(y, y + h) for px in range(x, x + w)
               if rows[py][px] != TOOL_PANEL]
        if odd:
            fault('form1: tool panel not flat at %r (%d pixels, first %r)' % ((x, y, w, h), len(odd), odd[0]))
    # the preview's transparent pixels show the well, which must read as white
    grey = [(x, y) for y in range(98, 130) for x in range(355, 387) if rows[y][x] != (255, 255, 255)]
    if grey:
        fault('form1: preview well not white at %r' % (grey[0],))


def check_tool_strip():
    name = 'ilToolButtons.bmp'
    rows = read_bmp(os.path.join(RES, 'editor', name))
    s = 26
    check_size(name, rows, s, 5 * s)
    inside = []
    for y in range(s):
        for x in range(s):
            mask = rows[4 * s + y][x]
            if mask not in ((0, 0, 0), TOOL_PANEL):
                fault('%s: mask pixel (%d,%d) is %r' % (name, x, y, mask))
            if mask == (0, 0, 0):
                inside.append((x, y))
    for look in range(4):
        cells = [rows[look * s + y][x] for y in range(s) for x in range(s)]
        if KEY in cells:
            fault('%s: look %d holds the key colour, but the face is copied opaque' % (name, look))
        corners = [rows[look * s][0], rows[look * s][s - 1], rows[look * s + s - 1][0],
                   rows[look * s + s - 1][s - 1]]
        if any(c != TOOL_PANEL for c in corners):
            fault('%s: look %d corners %r differ from the panel' % (name, look, corners))
    if not s * s // 2 < len(inside) < s * s:
        fault('%s: the mask covers %d pixels' % (name, len(inside)))

    def brightness(look):
        return sum(sum(rows[look * s + y][x]) for x, y in inside) / (3.0 * max(1, len(inside)))
    normal, pressed = brightness(0), brightness(2)
    # the pressed look also marks the selected tool, so it must stand out clearly
    if normal - pressed < 25:
        fault('%s: pressed look (%.0f) hardly darker than normal (%.0f)' % (name, pressed, normal))


def check_rc_files():
    """Every file a resource script names exists."""
    for script in ('Quillandora.rc', 'editor.rc', 'shell.rc'):
        with open(os.path.join(RES, script), encoding='ascii') as f:
            for line in f:
                parts = line.split('"')
                if len(parts) == 3 and not line.lstrip().startswith('#'):
                    if not os.path.isfile(os.path.join(RES, parts[1])):
                        fault('%s names a missing file %s' % (script, parts[1]))


def check_shell_bitmaps():
    """The sort arrows stand on the face colour that the view fills over from (15, 15); the drag
    picture is white (transparent) around its sheets."""
    for name in ('UpArrow2.bmp', 'DownArrow2.bmp'):
        rows = read_bmp(os.path.join(RES, 'shell', name))
        check_size(name, rows, 16, 16)
        if rows[15][15] != make_art.ARROW_FACE:
            fault('%s: pixel (15,15) is %r, not the face colour' % (name, rows[15][15]))
    rows = read_bmp(os.path.join(RES, 'shell', 'DragFiles.bmp'))
    check_size('DragFiles.bmp', rows, 32, 32)
    if rows[0][0] != make_art.DRAG_CLEAR or rows[31][31] != make_art.DRAG_CLEAR:
        fault('DragFiles.bmp: its corners are not the transparent white')


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


def check_generated(what, committed, write):
    """Everything `write(folder)` writes must stand byte for byte in `committed`."""
    with tempfile.TemporaryDirectory() as fresh:
        write(fresh)
        for folder, _, files in os.walk(fresh):
            for name in files:
                path = os.path.join(folder, name)
                rel = os.path.relpath(path, fresh)
                mine = os.path.join(committed, rel)
                if not os.path.isfile(mine):
                    fault('%s: %s is drawn but not committed' % (what, rel))
                elif not filecmp.cmp(path, mine, shallow=False):
                    fault('%s: the committed %s is not what the generator draws; run it again' % (what, rel))


def main():
    check_generated('tools/make_art.py', RES, lambda folder: make_art.save(make_art.build(), folder))
    test_data = os.path.join(ROOT, 'tests', 'data')
    sys.path.insert(0, test_data)
    import make_test_icons
    check_generated('tests/data/make_test_icons.py', test_data, make_test_icons.write_icons)
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
    check_editor_skin()
    check_tool_strip()
    check_glyphs('ilTools_Glyphs.bmp', 18, 10, 'editor')
    check_glyphs('ilBefehle_Glyphs.bmp', 13, 14, 'editor')
    check_shell_bitmaps()
    check_rc_files()
    for msg in FAULTS:
        print(msg)
    print('%d fault(s)' % len(FAULTS))
    return 1 if FAULTS else 0


if __name__ == '__main__':
    sys.exit(main())
