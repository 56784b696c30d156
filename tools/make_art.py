#!/usr/bin/env python3
"""Draws the skins, window regions, button strips, glyphs and program icons of both programs."""

# Everything is drawn from signed-distance shapes; pixels near an edge are supersampled 4x4, so
# round shapes come out anti-aliased without any imaging library. The outputs are committed in
# resources/; run this script again after changing it (python3 tools/make_art.py [--preview]).

import argparse
import math
import os
import struct
import subprocess

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RES = os.path.join(ROOT, 'resources')

KEY = (70, 95, 135)          # TransparentKeyColor
BODY = (221, 235, 255)       # the main window's body colour
WHITE = (255, 255, 255)
NAVY = (24, 58, 120)
OUTLINE = (46, 86, 150)      # the pixel edge of every shaped window
HEADER_TOP = (70, 124, 202)
HEADER_BOTTOM = (118, 168, 232)

SS = 4                       # supersampling grid per axis
SUB = [(i + 0.5) / SS for i in range(SS)]


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def mix(a, b, t):
    return (a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t)


# ---------------------------------------------------------------------------------------------
# Shapes: a signed distance (negative inside, in pixels) and a bounding box (x0, y0, x1, y1).
# Combinators return bounds of the true distance, which is all the coverage test needs.

class Shape:
    def __init__(self, sd, bbox):
        self.sd = sd
        self.bbox = bbox


def circle(cx, cy, r):
    def sd(x, y):
        return math.hypot(x - cx, y - cy) - r
    return Shape(sd, (cx - r, cy - r, cx + r, cy + r))


def ellipse(cx, cy, rx, ry):
    def sd(x, y):
        px, py = (x - cx), (y - cy)
        k0 = math.hypot(px / rx, py / ry)
        k1 = math.hypot(px / (rx * rx), py / (ry * ry))
        if k1 == 0.0:
            return -min(rx, ry)
        return k0 * (k0 - 1.0) / k1
    return Shape(sd, (cx - rx, cy - ry, cx + rx, cy + ry))


def rrect(x0, y0, x1, y1, r):
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hx, hy = (x1 - x0) / 2.0 - r, (y1 - y0) / 2.0 - r

    def sd(x, y):
        qx = abs(x - cx) - hx
        qy = abs(y - cy) - hy
        ox = qx if qx > 0.0 else 0.0
        oy = qy if qy > 0.0 else 0.0
        inner = qx if qx > qy else qy
        return math.hypot(ox, oy) + (inner if inner < 0.0 else 0.0) - r
    return Shape(sd, (x0, y0, x1, y1))


def capsule(ax, ay, bx, by, r):
    return stroke([(ax, ay), (bx, by)], 2 * r)


def stroke(points, width):
    """A polyline of the given width with round caps and joins."""
    segs = []
    for (ax, ay), (bx, by) in zip(points, points[1:] or points):
        dx, dy = bx - ax, by - ay
        segs.append((ax, ay, dx, dy, dx * dx + dy * dy))
    r = width / 2.0

    def sd(x, y):
        best = 1e9
        for ax, ay, dx, dy, ll in segs:
            px, py = x - ax, y - ay
            t = 0.0 if ll == 0.0 else clamp((px * dx + py * dy) / ll)
            ex, ey = px - dx * t, py - dy * t
            d = ex * ex + ey * ey
            if d < best:
                best = d
        return math.sqrt(best) - r
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return Shape(sd, (min(xs) - r, min(ys) - r, max(xs) + r, max(ys) + r))


def polygon(pts):
    """Any simple polygon (exact distance)."""
    n = len(pts)

    def sd(x, y):
        d = 1e18
        s = 1.0
        j = n - 1
        for i in range(n):
            vix, viy = pts[i]
            vjx, vjy = pts[j]
            ex, ey = vjx - vix, vjy - viy
            wx, wy = x - vix, y - viy
            ll = ex * ex + ey * ey
            t = clamp((wx * ex + wy * ey) / ll) if ll else 0.0
            bx, by = wx - ex * t, wy - ey * t
            dd = bx * bx + by * by
            if dd < d:
                d = dd
            c1 = y >= viy
            c2 = y < vjy
            c3 = ex * wy > ey * wx
            if (c1 and c2 and c3) or (not c1 and not c2 and not c3):
                s = -s
            j = i
        return s * math.sqrt(d)
    xs = [p[0] for p in pts]
    ys = [p[1] for p in pts]
    return Shape(sd, (min(xs), min(ys), max(xs), max(ys)))


def union(*shapes):
    fs = [s.sd for s in shapes]

    def sd(x, y):
        return min(f(x, y) for f in fs)
    return Shape(sd, (min(s.bbox[0] for s in shapes), min(s.bbox[1] for s in shapes),
                      max(s.bbox[2] for s in shapes), max(s.bbox[3] for s in shapes)))


def intersect(a, b):
    fa, fb = a.sd, b.sd

    def sd(x, y):
        return max(fa(x, y), fb(x, y))
    return Shape(sd, (max(a.bbox[0], b.bbox[0]), max(a.bbox[1], b.bbox[1]),
                      min(a.bbox[2], b.bbox[2]), min(a.bbox[3], b.bbox[3])))


def subtract(a, b):
    fa, fb = a.sd, b.sd

    def sd(x, y):
        return max(fa(x, y), -fb(x, y))
    return Shape(sd, a.bbox)


def ring(shape, width):
    """The band of the given width centred on a shape's edge."""
    f, h = shape.sd, width / 2.0
    x0, y0, x1, y1 = shape.bbox

    def sd(x, y):
        return abs(f(x, y)) - h
    return Shape(sd, (x0 - h, y0 - h, x1 + h, y1 + h))


def grow(shape, d):
    f = shape.sd
    x0, y0, x1, y1 = shape.bbox

    def sd(x, y):
        return f(x, y) - d
    return Shape(sd, (x0 - d, y0 - d, x1 + d, y1 + d))


def moved(shape, dx, dy):
    f = shape.sd
    x0, y0, x1, y1 = shape.bbox

    def sd(x, y):
        return f(x - dx, y - dy)
    return Shape(sd, (x0 + dx, y0 + dy, x1 + dx, y1 + dy))


def coverage(sd, px, py):
    """Share of pixel (px, py) inside the shape: exact away from edges, 4x4 samples near one."""
    d = sd(px + 0.5, py + 0.5)
    if d <= -1.0:
        return 1.0
    if d >= 1.0:
        return 0.0
    n = 0
    for oy in SUB:
        for ox in SUB:
            if sd(px + ox, py + oy) < 0.0:
                n += 1
    return n / (SS * SS)


def arc(cx, cy, rx, ry, a0, a1, steps=None, y_up=False):
    """Points on an ellipse from angle a0 to a1 (degrees, counter-clockwise as seen)."""
    if steps is None:
        steps = max(4, int(abs(a1 - a0) / 7.5))
    sign = 1.0 if y_up else -1.0
    pts = []
    for i in range(steps + 1):
        a = math.radians(a0 + (a1 - a0) * i / steps)
        pts.append((cx + rx * math.cos(a), cy + sign * ry * math.sin(a)))
    return pts


# ---------------------------------------------------------------------------------------------
# Colour sources: a fixed colour or a function of the pixel centre.

def vgrad(y0, y1, *stops):
    """Vertical gradient through evenly spaced colour stops between y0 and y1."""
    n = len(stops) - 1

    def colour(x, y):
        t = clamp((y - y0) / (y1 - y0)) * n
        i = min(int(t), n - 1)
        return mix(stops[i], stops[i + 1], t - i)
    return colour


def radial(cx, cy, r, c0, c1):
    def colour(x, y):
        return mix(c0, c1, clamp(math.hypot(x - cx, y - cy) / r))
    return colour


# ---------------------------------------------------------------------------------------------
# Canvas: premultiplied RGBA floats, so an image drawn on nothing keeps its true edge coverage.

class Canvas:
    def __init__(self, w, h, fill=None):
        self.w, self.h = w, h
        if fill is None:
            self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(w * h)]
        else:
            self.px = [[float(fill[0]), float(fill[1]), float(fill[2]), 1.0] for _ in range(w * h)]

    def _range(self, bbox):
        x0, y0, x1, y1 = bbox
        return (max(0, int(math.floor(x0)) - 1), max(0, int(math.floor(y0)) - 1),
                min(self.w, int(math.ceil(x1)) + 1), min(self.h, int(math.ceil(y1)) + 1))

    def paint(self, shape, colour, alpha=1.0, clip=None):
        """Composites `colour` over the canvas where the shape covers it."""
        bx0, by0, bx1, by1 = self._range(shape.bbox if clip is None else
                                         intersect(shape, clip).bbox)
        f = shape.sd
        cf = clip.sd if clip is not None else None
        fixed = not callable(colour)
        for y in range(by0, by1):
            row = y * self.w
            for x in range(bx0, bx1):
                a = coverage(f, x, y)
                if a <= 0.0:
                    continue
                if cf is not None:
                    a *= coverage(cf, x, y)
                    if a <= 0.0:
                        continue
                a *= alpha(x + 0.5, y + 0.5) if callable(alpha) else alpha
                c = colour if fixed else colour(x + 0.5, y + 0.5)
                p = self.px[row + x]
                k = 1.0 - a
                p[0] = c[0] * a + p[0] * k
                p[1] = c[1] * a + p[1] * k
                p[2] = c[2] * a + p[2] * k
                p[3] = a + p[3] * k

    def draw(self, other, ox, oy):
        """Composites another canvas over this one with its top left at (ox, oy)."""
        for y in range(other.h):
            ty = y + oy
            if not 0 <= ty < self.h:
                continue
            for x in range(other.w):
                tx = x + ox
                if not 0 <= tx < self.w:
                    continue
                s = other.px[y * other.w + x]
                if s[3] <= 0.0:
                    continue
                p = self.px[ty * self.w + tx]
                k = 1.0 - s[3]
                p[0] = s[0] + p[0] * k
                p[1] = s[1] + p[1] * k
                p[2] = s[2] + p[2] * k
                p[3] = s[3] + p[3] * k

    def get(self, x, y):
        """The pixel's own colour, premultiplication undone (black where nothing is drawn)."""
        p = self.px[y * self.w + x]
        if p[3] <= 0.0:
            return (0.0, 0.0, 0.0)
        return (p[0] / p[3], p[1] / p[3], p[2] / p[3])

    def alpha(self, x, y):
        return self.px[y * self.w + x][3]

    def set(self, x, y, c):
        self.px[y * self.w + x] = [float(c[0]), float(c[1]), float(c[2]), 1.0]

    def rgb_rows(self):
        """Rows of 8-bit (r, g, b), top first; an opaque canvas is assumed."""
        rows = []
        for y in range(self.h):
            row = []
            for x in range(self.w):
                p = self.px[y * self.w + x]
                row.append(tuple(int(clamp(round(v), 0, 255)) for v in p[:3]))
            rows.append(row)
        return rows


def over(fg, bg):
    """A transparent canvas composited on an opaque one of the same size, as a new canvas."""
    out = Canvas(fg.w, fg.h)
    out.px = [list(p) for p in bg.px]
    out.draw(fg, 0, 0)
    return out


# ---------------------------------------------------------------------------------------------
# File formats.

def bmp_bytes(rows):
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b'\0' * (stride - w * 3)
        data += line
    header = struct.pack('<2sIHHI', b'BM', 14 + 40 + len(data), 0, 0, 14 + 40)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return header + info + bytes(data)


def region_bytes(inside, w, h):
    """The stored window region: length, RGNDATAHEADER, then one rectangle per run per row."""
    rects = []
    for y in range(h):
        x = 0
        while x < w:
            if inside[y * w + x]:
                x0 = x
                while x < w and inside[y * w + x]:
                    x += 1
                rects.append((x0, y, x, y + 1))
            else:
                x += 1
    bound = (min(r[0] for r in rects), min(r[1] for r in rects),
             max(r[2] for r in rects), max(r[3] for r in rects))
    body = struct.pack('<IIII4i', 32, 1, len(rects), len(rects) * 16, *bound)
    for r in rects:
        body += struct.pack('<4i', *r)
    return struct.pack('<I', len(body)) + body


def parse_region(data):
    """Checks a region block and returns (bound, rects); raises ValueError when it is malformed."""
    if len(data) < 4:
        raise ValueError('no length')
    n = struct.unpack_from('<I', data, 0)[0]
    if n != len(data) - 4:
        raise ValueError('length %d, block holds %d' % (n, len(data) - 4))
    size, kind, count, rgn_size, l, t, r, b = struct.unpack_from('<IIII4i', data, 4)
    if size != 32 or kind != 1 or rgn_size != count * 16 or n != 32 + count * 16:
        raise ValueError('header %r' % ((size, kind, count, rgn_size, n),))
    rects = [struct.unpack_from('<4i', data, 36 + 16 * i) for i in range(count)]
    for rc in rects:
        if not (l <= rc[0] < rc[2] <= r and t <= rc[1] < rc[3] <= b):
            raise ValueError('rectangle %r outside bound %r' % (rc, (l, t, r, b)))
    return (l, t, r, b), rects


def ico_bytes(images):
    """An icon file of 24-bit images with AND masks; images: (size, rows of colour or None)."""
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for size, rows in images:
        xor = bytearray()
        for row in reversed(rows):
            for c in row:
                r, g, b = c if c is not None else (0, 0, 0)
                xor += bytes((b, g, r))
            xor += b'\0' * ((-size * 3) % 4)
        mask = bytearray()
        mask_stride = ((size + 31) // 32) * 4
        for row in reversed(rows):
            bits = bytearray(mask_stride)
            for x, c in enumerate(row):
                if c is None:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        info = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 24, 0,
                           len(xor) + len(mask), 0, 0, 0, 0)
        blob = info + bytes(xor) + bytes(mask)
        entries.append(struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 24,
                                   len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    return struct.pack('<HHH', 0, 1, len(images)) + b''.join(entries) + b''.join(blobs)


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as f:
        f.write(data)


# ---------------------------------------------------------------------------------------------
# A small geometric stroke font for the titles: x-height 1, baseline 0, y up.

def _font():
    def up(cx, cy, rx, ry, a0, a1, steps=None):
        return arc(cx, cy, rx, ry, a0, a1, steps, y_up=True)
    o = up(0.5, 0.5, 0.5, 0.5, 0, 360, 48)
    big_o = up(0.7, 0.7, 0.7, 0.72, 0, 360, 56)
    g = {
        ' ': (0.35, [], []),
        '!': (0.0, [[(0, 1.42), (0, 0.45)]], [(0, 0.03)]),
        '-': (0.45, [[(0, 0.5), (0.45, 0.5)]], []),
        'E': (0.72, [[(0.72, 1.4), (0, 1.4), (0, 0), (0.72, 0)], [(0, 0.72), (0.6, 0.72)]], []),
        'I': (0.0, [[(0, 1.4), (0, 0)]], []),
        'K': (0.85, [[(0, 1.4), (0, 0)], [(0.85, 1.4), (0.02, 0.55)], [(0.3, 0.82), (0.88, 0)]], []),
        'O': (1.4, [big_o], []),
        'Q': (1.4, [big_o, [(0.9, 0.3), (1.42, -0.12)]], []),
        'T': (0.9, [[(0, 1.4), (0.9, 1.4)], [(0.45, 1.4), (0.45, 0)]], []),
        'a': (1.0, [o, [(1.0, 1.0), (1.0, 0)]], []),
        'c': (0.92, [up(0.5, 0.5, 0.5, 0.5, 45, 315)], []),
        'd': (1.0, [o, [(1.0, 1.45), (1.0, 0)]], []),
        'e': (1.0, [[(0.02, 0.5), (0.98, 0.5)] + up(0.5, 0.5, 0.5, 0.5, 0, 318)[1:]], []),
        'f': (0.6, [[(0.2, 0)] + up(0.5, 1.14, 0.3, 0.3, 180, 55), [(0, 1.0), (0.56, 1.0)]], []),
        'i': (0.0, [[(0, 1.0), (0, 0)]], [(0, 1.38)]),
        'l': (0.0, [[(0, 1.45), (0, 0)]], []),
        'n': (0.84, [[(0, 1.0), (0, 0)], [(0, 0.58)] + up(0.42, 0.58, 0.42, 0.42, 180, 0) + [(0.84, 0)]], []),
        'o': (1.0, [o], []),
        'r': (0.46, [[(0, 1.0), (0, 0)], [(0, 0.58)] + up(0.42, 0.58, 0.42, 0.42, 180, 78)], []),
        's': (0.72, [up(0.36, 0.75, 0.33, 0.25, 20, 270) + up(0.36, 0.25, 0.35, 0.25, 90, -160)[1:]], []),
        't': (0.56, [[(0.2, 1.34), (0.2, 0.24)] + up(0.46, 0.24, 0.26, 0.26, 180, 290)[1:],
                     [(0, 1.0), (0.56, 1.0)]], []),
        'x': (0.8, [[(0, 1.0), (0.8, 0)], [(0, 0), (0.8, 1.0)]], []),
        'u': (0.84, [[(0, 1.0), (0, 0.42)] + up(0.42, 0.42, 0.42, 0.42, 180, 360),
                     [(0.84, 1.0), (0.84, 0)]], []),
    }
    return g


FONT = _font()


def text_shapes(text, x, baseline, size, width, spacing=0.3):
    """One shape per glyph; returns (shapes, right edge)."""
    shapes = []
    cx = x + width / 2.0
    for ch in text:
        adv, strokes, dots = FONT[ch]
        parts = []
        for pts in strokes:
            parts.append(stroke([(cx + px * size, baseline - py * size) for px, py in pts], width))
        for px, py in dots:
            parts.append(circle(cx + px * size, baseline - py * size, width * 0.62))
        if parts:
            shapes.append(union(*parts) if len(parts) > 1 else parts[0])
        cx += adv * size + width + spacing * size
    return shapes, cx - width / 2.0 - spacing * size


def text_width(text, size, width, spacing=0.3):
    return text_shapes(text, 0, 0, size, width, spacing)[1]


def paint_text(cv, text, x, baseline, size, width, colour, spacing=0.3, shadow=None):
    shapes, _ = text_shapes(text, x, baseline, size, width, spacing)
    if shadow is not None:
        for s in shapes:
            cv.paint(moved(s, 0, 1), shadow[0], shadow[1])
    for s in shapes:
        cv.paint(s, colour)


# ---------------------------------------------------------------------------------------------
# Round image-strip buttons: five rows (normal, hover, pressed, disabled, click mask).

FACES = {
    # rim top, rim bottom, face stops (top, middle, bottom), gloss strength
    'normal': ((70, 122, 200), (36, 80, 156), ((246, 250, 255), (196, 222, 253), (150, 194, 246)), 0.85),
    'hover': ((86, 148, 226), (44, 100, 182), ((255, 255, 255), (216, 236, 255), (172, 214, 255)), 0.95),
    'pressed': ((40, 84, 160), (30, 66, 134), ((146, 182, 232), (178, 208, 246), (214, 234, 255)), 0.30),
    'disabled': ((150, 160, 174), (124, 134, 150), ((244, 246, 248), (214, 218, 225), (192, 198, 207)), 0.70),
}
STATES = ('normal', 'hover', 'pressed', 'disabled')


def round_button(w, h, cx, cy, r, state):
    """One button face on a transparent canvas; returns (canvas, outline shape)."""
    rim_top, rim_bottom, stops, gloss = FACES[state]
    rim = max(0.9, r * 0.05)
    cv = Canvas(w, h)
    outline = circle(cx, cy, r)
    if state == 'hover':
        cv.paint(circle(cx, cy, r + 1.4), (110, 180, 255), 0.28)
        cv.paint(circle(cx, cy, r + 0.7), (110, 180, 255), 0.35)
    elif state != 'pressed':
        cv.paint(circle(cx, cy + r * 0.04 + 0.3, r + 0.5), (30, 70, 140), 0.22)
    cv.paint(outline, vgrad(cy - r, cy + r, rim_top, rim_bottom))
    face = circle(cx, cy, r - rim)
    cv.paint(face, vgrad(cy - r, cy + r, stops[0], stops[1], stops[2]))
    if state == 'pressed':
        # the inset look: a shadow along the upper inner edge
        cv.paint(subtract(face, circle(cx, cy + r * 0.12, r - rim)), (40, 80, 150), 0.35)
    else:
        cv.paint(circle(cx, cy + r * 0.72, r * 0.62), WHITE,
                 lambda x, y: 0.45 * clamp(1 - math.hypot(x - cx, y - cy - r * 0.72) / (r * 0.62)),
                 clip=face)
    glo = ellipse(cx, cy - r * 0.42, r * 0.74, r * 0.46)
    cv.paint(glo, WHITE, lambda x, y: gloss * (1 - clamp((y - (cy - r * 0.9)) / (r * 0.9))),
             clip=face)
    return cv, outline


def button_strip(w, h, cx, cy, r):
    """The five-row strip: key colour outside, edges blended towards the body colour."""
    strip = Canvas(w, h * 5, KEY)
    for row, state in enumerate(STATES):
        cv, _ = round_button(w, h, cx, cy, r, state)
        for y in range(h):
            for x in range(w):
                a = cv.alpha(x, y)
                if a < 0.04:
                    continue
                c = mix(BODY, cv.get(x, y), a)
                strip.set(x, row * h + y, avoid_key(c))
    mask_row(strip, h, circle(cx, cy, r), WHITE)
    return strip


def mask_row(strip, h, outline, outside):
    """The fifth row: black where a click counts (the pixel is mostly inside the outline)."""
    for y in range(h):
        for x in range(strip.w):
            inside = coverage(outline.sd, x, y) >= 0.5
            strip.set(x, 4 * h + y, (0, 0, 0) if inside else outside)


def avoid_key(c):
    """A drawn pixel must never be read as transparent."""
    q = tuple(int(clamp(round(v), 0, 255)) for v in c)
    return (q[0], q[1], q[2] + 1) if q == KEY else c


def glyph_strip(glyphs, size, face, fx, fy):
    """Glyphs side by side on the key colour; partial pixels blend towards the button face
    (`face` is the normal button, the glyph cell lies at (fx, fy) on it)."""
    out = Canvas(size * len(glyphs), size, KEY)
    for i, draw in enumerate(glyphs):
        cv = Canvas(size, size)
        draw(cv)
        for y in range(size):
            for x in range(size):
                a = cv.alpha(x, y)
                if a < 0.06:
                    continue
                out.set(i * size + x, y, avoid_key(mix(face.get(x + fx, y + fy), cv.get(x, y), a)))
    return out


def engraved(cv, shape, colour, lift=0.55):
    """A glyph part with a soft white light below it, as if pressed into the face."""
    cv.paint(moved(shape, 0, 0.9), WHITE, lift)
    cv.paint(shape, colour)


# Large glyphs, 25x25; the button's centre falls on (12, 12).

def monitor(cv, screen_colour):
    engraved(cv, union(rrect(2.2, 3.2, 21.8, 17.6, 2.2),
                       polygon([(9.8, 17), (14.2, 17), (15.2, 20.6), (8.8, 20.6)]),
                       rrect(6.2, 19.8, 17.8, 22.2, 1.2)), NAVY)
    cv.paint(rrect(4.0, 5.0, 20.0, 15.8, 0.8), screen_colour)
    cv.paint(rrect(4.0, 5.0, 20.0, 9.5, 0.8), WHITE, 0.18)


def glyph_system(cv):
    monitor(cv, vgrad(5, 16, (150, 208, 255), (70, 140, 225)))
    colours = [(255, 206, 74), (255, 255, 255), (120, 210, 110), (255, 150, 70)]
    for i, (x, y) in enumerate([(5.4, 6.3), (9.8, 6.3), (5.4, 10.7), (9.8, 10.7)]):
        cv.paint(rrect(x, y, x + 3.4, y + 3.4, 0.7), colours[i])
    cv.paint(rrect(13.6, 6.3, 18.6, 14.4, 0.7), WHITE, 0.85)
    cv.paint(rrect(13.6, 6.3, 18.6, 7.8, 0.5), (255, 150, 70))


def glyph_gallery(cv):
    colours = [(110, 180, 255), (255, 206, 74), (255, 128, 110),
               (120, 210, 110), (255, 255, 255), (180, 140, 240),
               (255, 160, 70), (90, 200, 200), (255, 140, 190)]
    tile, gap, x0 = 5.8, 1.3, 2.5
    outlines = []
    for i in range(9):
        x = x0 + (i % 3) * (tile + gap)
        y = x0 - 0.3 + (i // 3) * (tile + gap)
        outlines.append(rrect(x - 0.5, y - 0.5, x + tile + 0.5, y + tile + 0.5, 1.6))
    engraved(cv, union(*outlines), NAVY)
    for i in range(9):
        x = x0 + (i % 3) * (tile + gap)
        y = x0 - 0.3 + (i // 3) * (tile + gap)
        cv.paint(rrect(x + 0.5, y + 0.5, x + tile - 0.5, y + tile - 0.5, 1.0), colours[i])
        cv.paint(rrect(x + 0.5, y + 0.5, x + tile - 0.5, y + tile / 2, 1.0), WHITE, 0.3)


def glyph_desktop(cv):
    monitor(cv, vgrad(5, 16, (150, 208, 255), (70, 140, 225)))
    for y, knob, colour in ((7.2, 14.5, (255, 206, 74)), (10.4, 8.5, (255, 150, 70)),
                            (13.6, 12.0, WHITE)):
        cv.paint(capsule(6.2, y, 17.8, y, 0.55), WHITE, 0.9)
        cv.paint(circle(knob, y, 1.75), NAVY)
        cv.paint(circle(knob, y, 1.0), colour)


def pencil(cv, tip, direction, length, half, outline=NAVY):
    ux, uy = direction
    nx, ny = -uy, ux

    def at(t, s):
        return (tip[0] + ux * t + nx * s, tip[1] + uy * t + ny * s)
    cone, body_end, band = length * 0.26, length * 0.8, length * 0.9
    whole = union(polygon([at(0, 0), at(cone, -half), at(length, -half), at(length, half),
                           at(cone, half)]),
                  capsule(*at(length - half * 0.4, 0), *at(length - half * 0.4, 0), half))
    cv.paint(grow(whole, 0.85), outline)
    cv.paint(polygon([at(0, 0), at(cone, -half), at(cone, half)]), (244, 206, 156))
    cv.paint(polygon([at(-0.2, 0), at(cone * 0.42, -half * 0.42), at(cone * 0.42, half * 0.42)]),
             (40, 44, 60))
    cv.paint(polygon([at(cone, -half), at(body_end, -half), at(body_end, half), at(cone, half)]),
             (255, 196, 50))
    cv.paint(polygon([at(cone, -half), at(body_end, -half), at(body_end, -half * 0.25),
                      at(cone, -half * 0.25)]), (255, 228, 120))
    cv.paint(polygon([at(body_end, -half), at(band, -half), at(band, half), at(body_end, half)]),
             (200, 210, 222))
    cv.paint(union(polygon([at(band, -half), at(length - half * 0.4, -half),
                            at(length - half * 0.4, half), at(band, half)]),
                   circle(*at(length - half * 0.4, 0), half)), (250, 140, 160))


def glyph_editor(cv):
    engraved(cv, rrect(1.8, 3.8, 18.2, 20.2, 1.8), NAVY)
    cv.paint(rrect(3.0, 5.0, 17.0, 19.0, 0.8), WHITE)
    cells = {(1, 1): (110, 180, 255), (2, 1): (110, 180, 255), (1, 2): (110, 180, 255),
             (3, 3): (255, 150, 70), (2, 3): (255, 206, 74), (3, 2): (255, 206, 74)}
    for (i, j), colour in cells.items():
        cv.paint(rrect(3.0 + i * 2.8, 5.0 + j * 2.8, 5.8 + i * 2.8, 7.8 + j * 2.8, 0.2), colour)
    for k in range(1, 5):
        cv.paint(capsule(3.0 + k * 2.8, 5.2, 3.0 + k * 2.8, 18.8, 0.22), (150, 185, 230))
        cv.paint(capsule(3.2, 5.0 + k * 2.8, 16.8, 5.0 + k * 2.8, 0.22), (150, 185, 230))
    d = 1 / math.sqrt(2)
    pencil(cv, (9.0, 18.0), (d, -d), 17.5, 2.2)


# Small glyphs, 13x13; the button's centre falls on (6.5, 6.0).

def glyph_close(cv):
    engraved(cv, union(capsule(3.6, 3.1, 9.4, 8.9, 1.15), capsule(9.4, 3.1, 3.6, 8.9, 1.15)), NAVY)


def glyph_help(cv):
    pts = arc(6.5, 4.2, 2.6, 2.4, 165, -50) + [(6.5, 7.3), (6.5, 7.9)]
    engraved(cv, union(stroke(pts, 1.9), circle(6.5, 10.3, 1.15)), NAVY)


def glyph_info(cv):
    engraved(cv, union(circle(6.5, 2.7, 1.25), capsule(6.5, 5.4, 6.5, 9.5, 1.05),
                       capsule(5.0, 9.9, 8.0, 9.9, 0.7), capsule(5.2, 5.2, 6.4, 5.2, 0.7)), NAVY)


def glyph_globe(cv):
    g = circle(6.5, 6.0, 5.0)
    cv.paint(moved(g, 0, 0.9), WHITE, 0.55)
    cv.paint(g, radial(5.0, 4.2, 6.5, (190, 228, 255), (90, 160, 235)))
    lines = union(ring(circle(6.5, 6.0, 4.55), 1.1), ring(ellipse(6.5, 6.0, 2.1, 4.55), 0.8),
                  capsule(2.0, 6.0, 11.0, 6.0, 0.4), capsule(6.5, 1.5, 6.5, 10.5, 0.4),
                  capsule(3.0, 3.4, 10.0, 3.4, 0.35), capsule(3.0, 8.6, 10.0, 8.6, 0.35))
    cv.paint(lines, NAVY)


LARGE = dict(w=48, h=48, cx=24.0, cy=24.0, r=22.6)
SMALL = dict(w=21, h=22, cx=10.5, cy=11.0, r=9.9)


def face_on_body(spec):
    cv, _ = round_button(spec['w'], spec['h'], spec['cx'], spec['cy'], spec['r'], 'normal')
    return over(cv, Canvas(spec['w'], spec['h'], BODY))


# ---------------------------------------------------------------------------------------------
# The stretchable text button: four 20-pixel rows of a 60-pixel pill.

PILL = {
    'normal': ((100, 146, 212), (62, 104, 176), ((253, 254, 255), (226, 239, 255), (200, 223, 252))),
    'hover': ((96, 160, 236), (54, 112, 196), ((255, 255, 255), (236, 246, 255), (212, 234, 255))),
    'pressed': ((58, 98, 168), (44, 82, 150), ((186, 210, 244), (208, 226, 252), (228, 240, 255))),
    'disabled': ((168, 176, 188), (146, 154, 168), ((248, 249, 250), (230, 233, 237), (216, 220, 226))),
}


def pill_strip():
    out = Canvas(60, 80, KEY)
    for row, state in enumerate(STATES):
        rim_top, rim_bottom, stops = PILL[state]
        cv = Canvas(60, 20)
        outline = rrect(0.5, 0.5, 59.5, 19.5, 9.5)
        cv.paint(outline, vgrad(0.5, 19.5, rim_top, rim_bottom))
        face = rrect(1.5, 1.5, 58.5, 18.5, 8.5)
        cv.paint(face, vgrad(1.5, 18.5, stops[0], stops[1], stops[2]))
        if state == 'pressed':
            cv.paint(subtract(face, rrect(1.5, 3.0, 58.5, 20.0, 8.5)), (40, 80, 150), 0.3)
        else:
            cv.paint(rrect(3.0, 2.0, 57.0, 9.5, 4.0), WHITE,
                     lambda x, y: 0.55 * (1 - clamp((y - 2.0) / 7.5)), clip=face)
        if state == 'hover':
            cv.paint(ring(rrect(2.0, 2.0, 58.0, 18.0, 8.0), 1.0), (140, 200, 255), 0.5)
        for y in range(20):
            for x in range(60):
                a = cv.alpha(x, y)
                if a >= 0.04:
                    out.set(x, row * 20 + y, avoid_key(mix(BODY, cv.get(x, y), a)))
    return out


# ---------------------------------------------------------------------------------------------
# Shaped window skins.

def layers(inside, w, h, depth):
    """Distance in pixels (4-neighbour steps) from the outside, capped at depth."""
    dist = [depth if v else -1 for v in inside]
    frontier = []
    for y in range(h):
        for x in range(w):
            if not inside[y * w + x]:
                continue
            edge = x == 0 or y == 0 or x == w - 1 or y == h - 1
            if not edge:
                edge = not (inside[y * w + x - 1] and inside[y * w + x + 1] and
                            inside[(y - 1) * w + x] and inside[(y + 1) * w + x])
            if edge:
                dist[y * w + x] = 0
                frontier.append((x, y))
    for d in range(1, depth):
        nxt = []
        for x, y in frontier:
            for nx, ny in ((x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)):
                if 0 <= nx < w and 0 <= ny < h and dist[ny * w + nx] > d:
                    dist[ny * w + nx] = d
                    nxt.append((nx, ny))
        frontier = nxt
    return dist


def finish_outline(cv, outline):
    """Cuts the shape to whole pixels and draws its rim on them; returns the inside flags."""
    w, h = cv.w, cv.h
    inside = [coverage(outline.sd, x, y) >= 0.5 for y in range(h) for x in range(w)]
    dist = layers(inside, w, h, 3)
    for y in range(h):
        for x in range(w):
            d = dist[y * w + x]
            if d < 0:
                cv.set(x, y, BODY)
                continue
            c = cv.get(x, y)
            if d == 0:
                cv.set(x, y, OUTLINE)
            elif d == 1:
                # lit from above: the inner rim is bright at the top and fades towards the bottom
                cv.set(x, y, mix(c, WHITE, 0.65 - 0.45 * y / h))
            elif d == 2:
                cv.set(x, y, mix(c, WHITE, 0.18 - 0.12 * y / h))
    return inside


def socket(cv, shape):
    """A recess in the header, body-coloured under the button so its soft edge matches."""
    cv.paint(grow(shape, 1.6), (30, 70, 140), 0.35)
    cv.paint(moved(grow(shape, 0.9), 0, 0.8), (200, 228, 255), 0.9)
    cv.paint(grow(shape, 0.6), (48, 96, 170))
    cv.paint(shape, BODY)


def header(cv, x0, x1, top, bottom):
    band = rrect(x0, top, x1, bottom + 20, 18)
    clip = rrect(x0, top, x1, bottom, 1)
    cv.paint(intersect(band, clip), vgrad(top, bottom, HEADER_TOP, HEADER_BOTTOM))
    cv.paint(intersect(band, rrect(x0, top, x1, top + (bottom - top) * 0.45, 1)), WHITE,
             lambda x, y: 0.22 * (1 - clamp((y - top) / ((bottom - top) * 0.45))))
    cv.paint(rrect(x0, bottom, x1, bottom + 1, 0), (50, 98, 172))
    cv.paint(rrect(x0, bottom + 1, x1, bottom + 2, 0), WHITE, 0.75)
    cv.paint(rrect(x0, bottom + 2, x1, bottom + 7, 0), (60, 110, 190),
             lambda x, y: 0.10 * (1 - clamp((y - bottom - 2) / 5)))


def feather(cx, cy, length, angle, width_ratio=0.17, bend=0.06, narrow=0.5):
    """A quill from its nib at (cx, cy) towards `angle`; returns (vane, shaft, notches, nib)."""
    a = math.radians(angle)
    ux, uy = math.cos(a), -math.sin(a)   # from nib to tip
    nx, ny = -uy, ux                     # the side the feather bends to

    def at(t, s=0.0):
        s += bend * length * t * t
        return (cx + ux * t * length + nx * s, cy + uy * t * length + ny * s)
    half = length * width_ratio
    t0 = 0.26
    left, right = [], []
    for i in range(33):
        u = i / 32
        t = t0 + (1 - t0) * u
        prof = math.sin(math.pi * u ** 0.55) ** 0.7
        left.append(at(t, half * prof * (1.0 - 0.2 * u)))
        right.append(at(t, -half * narrow * prof * (1.0 - 0.1 * u)))
    vane = polygon(left + right[::-1])
    shaft = stroke([at(t / 10) for t in range(0, 11)], max(0.8, length * 0.032))
    notch_w = half * 0.16
    notches = union(polygon([at(0.52, half * 1.3), at(0.60, half * 0.3),
                             at(0.52 + notch_w / length, half * 1.3)]),
                    polygon([at(0.70, -half * 1.3), at(0.77, -half * 0.25),
                             at(0.70 + notch_w / length, -half * 1.3)]))
    nib = polygon([at(-0.05), at(0.1, -length * 0.03), at(0.1, length * 0.03)])
    return vane, shaft, notches, nib


def barbs(vane, cx, cy, length, angle, bend=0.06, count=9):
    """Fine lines across the vane, slanting towards the tip."""
    a = math.radians(angle)
    ux, uy = math.cos(a), -math.sin(a)
    nx, ny = -uy, ux

    def at(t, s=0.0):
        s += bend * length * t * t
        return (cx + ux * t * length + nx * s, cy + uy * t * length + ny * s)
    lines = []
    for i in range(count):
        t = 0.34 + 0.58 * i / count
        lines.append(stroke([at(t), at(t + 0.09, length * 0.2)], max(0.5, length * 0.008)))
        lines.append(stroke([at(t + 0.03), at(t + 0.11, -length * 0.16)], max(0.5, length * 0.008)))
    return intersect(union(*lines), vane)


def white_quill(cv, x, y, length, angle, width_ratio, alphas):
    """The see-through quill of the headers; alphas: vane, barbs, shaft and nib."""
    vane, shaft, notches, nib = feather(x, y, length, angle, width_ratio, -0.1, 0.45)
    cv.paint(subtract(vane, notches), WHITE, alphas[0])
    cv.paint(barbs(vane, x, y, length, angle, -0.1), WHITE, alphas[1])
    cv.paint(shaft, WHITE, alphas[2])
    cv.paint(nib, WHITE, alphas[2])


def main_skin():
    w, h = 640, 458
    cv = Canvas(w, h, BODY)
    outline = rrect(0, 0, w, h, 18)
    cv.paint(rrect(0, 86, w, h, 0), vgrad(86, h, (232, 242, 255), BODY, BODY, (210, 227, 252)))
    header(cv, 0, w, 0, 84)
    for x in (11, 72, 132, 192):
        socket(cv, circle(x + 24, 50, 25.2))
    socket(cv, rrect(430.5, 26, 484.5, 78.5, 12))

    # wordmark between the big and the small buttons
    title, sub = 'Quillandora!', 'Ostrane'
    tw = text_width(title, 10.5, 2.3, 0.26)
    sw = text_width(sub, 6.2, 1.5, 0.55)
    tx = 248 + (182 - tw) / 2
    paint_text(cv, title, tx, 52, 10.5, 2.3, WHITE, 0.26, shadow=((20, 60, 130), 0.45))
    paint_text(cv, sub, tx + tw - sw - 1, 72, 6.2, 1.5, (214, 234, 255), 0.55,
               shadow=((20, 60, 130), 0.4))

    # the emblem on the right: a quill
    white_quill(cv, 508, 80, 118, 26, 0.2, (0.3, 0.25, 0.5))

    # the page area: a darker frame around a lighter well
    cv.paint(rrect(19, 91, 621, 437, 10), (60, 110, 190), 0.10)
    cv.paint(rrect(20, 92, 620, 436, 9), vgrad(92, 436, (202, 220, 247), (192, 212, 244)))
    cv.paint(ring(rrect(20.5, 92.5, 619.5, 435.5, 8.5), 1), (140, 176, 228))
    cv.paint(rrect(26, 97, 612, 430, 3), (120, 160, 220))
    cv.paint(rrect(27, 98, 611, 429, 2), vgrad(98, 429, (240, 246, 255), (230, 240, 255)))
    cv.paint(rrect(27, 98, 611, 102, 0), (60, 100, 170),
             lambda x, y: 0.10 * (1 - clamp((y - 98) / 4)))
    vane, shaft, notches, nib = feather(228, 336, 220, 34, 0.2, -0.1, 0.45)
    cv.paint(subtract(vane, notches), (120, 160, 220), 0.09)
    cv.paint(shaft, (120, 160, 220), 0.14)
    cv.paint(nib, (120, 160, 220), 0.14)

    inside = finish_outline(cv, outline)
    return cv, inside


def small_skin(title, panel_bottom):
    w, h = 211, 199
    cv = Canvas(w, h, BODY)
    close = circle(200.5, 11.0, 11.4)
    outline = union(rrect(0, 0, w, h, 13), close)
    cv.paint(rrect(0, 24, w, h, 0), vgrad(24, h, (232, 242, 255), BODY, BODY, (212, 228, 252)))
    header(cv, 0, w, 0, 22)
    socket(cv, circle(200.5, 11.0, 10.6))
    paint_text(cv, title, 11, 15.2, 5.4, 1.35, WHITE, 0.42, shadow=((20, 60, 130), 0.45))

    cv.paint(rrect(5, 25, 206, panel_bottom, 7), (140, 176, 228))
    cv.paint(rrect(6, 26, 205, panel_bottom - 1, 6),
             vgrad(26, panel_bottom, (246, 250, 255), (232, 241, 255)))
    cv.paint(rrect(8, 27, 48, 67, 6), (60, 110, 190), 0.10)
    cv.paint(rrect(8.5, 27.5, 46.5, 65.5, 5), (150, 184, 230))
    cv.paint(rrect(9.5, 28.5, 45.5, 64.5, 4), vgrad(28, 65, WHITE, (228, 239, 255)))
    inside = finish_outline(cv, outline)
    return cv, inside


# ---------------------------------------------------------------------------------------------
# The icon editor's window: its skin, the square tool buttons and the glyphs of both rows.

EDITOR_W, EDITOR_H = 410, 412
TOOL_PANEL = (208, 224, 248)      # flat: the tool buttons are copied opaque onto it
EDITOR_HELP_INFO_CLOSE = (331, 355, 379)                # small buttons in the header, at y 4
EDITOR_COMMANDS = ((10, 32, 54), (80, 102, 124), (150, 172, 194, 216), (242, 264, 286))  # y 36
EDITOR_SWAP = (378, 138)
TOOL_SIZE, TOOL_GLYPH = 26, 18

TOOL_FACES = {
    # rim top, rim bottom, face stops (top, middle, bottom), gloss strength
    'normal': ((84, 130, 204), (42, 86, 160), ((250, 252, 255), (214, 232, 254), (180, 210, 249)), 0.8),
    'hover': ((76, 150, 232), (38, 104, 192), ((255, 255, 255), (230, 243, 255), (198, 228, 255)), 0.9),
    'pressed': ((32, 68, 138), (26, 58, 120), ((120, 158, 216), (146, 182, 234), (172, 204, 246)), 0.0),
    'disabled': ((158, 168, 182), (134, 144, 160), ((246, 247, 249), (226, 229, 234), (208, 213, 221)), 0.6),
}


def tool_outline():
    return rrect(0.5, 0.5, TOOL_SIZE - 0.5, TOOL_SIZE - 0.5, 4)


def tool_button(state):
    """One square tool button on the panel colour (its corners are copied with it)."""
    rim_top, rim_bottom, stops, gloss = TOOL_FACES[state]
    s = TOOL_SIZE
    cv = Canvas(s, s, TOOL_PANEL)
    cv.paint(tool_outline(), vgrad(0.5, s - 0.5, rim_top, rim_bottom))
    face = rrect(1.5, 1.5, s - 1.5, s - 1.5, 3)
    cv.paint(face, vgrad(1.5, s - 1.5, *stops))
    if state == 'pressed':
        # sunk in: shade along the upper and left inner edges
        cv.paint(subtract(face, moved(face, 1.3, 1.8)), (16, 44, 100), 0.5)
    else:
        cv.paint(rrect(2.5, 2.0, s - 2.5, s * 0.5, 2.5), WHITE,
                 lambda x, y: gloss * (1 - clamp((y - 2.0) / (s * 0.5 - 2.0))), clip=face)
    if state == 'hover':
        cv.paint(ring(rrect(2.0, 2.0, s - 2.0, s - 2.0, 2.5), 1.0), (120, 190, 255), 0.7)
    return cv


def tool_strip():
    """Five rows of the tool button; the mask row is black on the button, panel colour around."""
    s = TOOL_SIZE
    strip = Canvas(s, s * 5, KEY)
    for row, state in enumerate(STATES):
        cv = tool_button(state)
        for y in range(s):
            for x in range(s):
                strip.set(x, row * s + y, avoid_key(cv.get(x, y)))
    mask_row(strip, s, tool_outline(), TOOL_PANEL)
    return strip


def group_socket(cv, xs, y):
    """One recess under a row of small round buttons whose top left corners are (x, y)."""
    r = SMALL['r'] + 0.7
    cy = y + SMALL['cy']
    socket(cv, rrect(xs[0] + SMALL['cx'] - r, cy - r, xs[-1] + SMALL['cx'] + r, cy + r, r))


def framed_well(cv, x0, y0, x1, y1, inner):
    """A three-pixel frame sunk into the body; the inside from (x0 + 3, y0 + 3) gets `inner`."""
    cv.paint(rrect(x0 - 2, y0 - 1, x1 + 2, y1 + 3, 5), (30, 70, 140), 0.07)
    cv.paint(rrect(x0 - 1, y0 - 0.5, x1 + 1, y1 + 1.5, 4), (30, 70, 140), 0.10)
    cv.paint(rrect(x0, y0, x1, y1, 3), vgrad(y0, y1, (88, 128, 192), (70, 110, 176)))
    cv.paint(rrect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, 2), vgrad(y0, y1, (236, 244, 255), (206, 224, 250)))
    cv.paint(rrect(x0 + 2, y0 + 2, x1 - 2, y1 - 2, 1), (84, 118, 172))
    cv.paint(rrect(x0 + 3, y0 + 3, x1 - 3, y1 - 3, 0), inner)


def groove(cv, x0, x1, y):
    """An engraved line across the body."""
    cv.paint(rrect(x0, y, x1, y + 1, 0.5), (150, 182, 228))
    cv.paint(rrect(x0, y + 1, x1, y + 2, 0.5), WHITE, 0.85)


def editor_skin():
    w, h = EDITOR_W, EDITOR_H
    cv = Canvas(w, h, BODY)
    outline = rrect(0, 0, w, h, 14)
    # the body stays plain towards the bottom, where the status bar shows the same colour
    cv.paint(rrect(0, 32, w, h, 0), vgrad(32, 232, (232, 242, 255), BODY))
    header(cv, 0, w, 0, 30)
    group_socket(cv, EDITOR_HELP_INFO_CLOSE, 4)

    title = 'Quillandora!'
    tw = text_width(title, 7.0, 1.7, 0.35)
    paint_text(cv, title, 12, 21, 7.0, 1.7, WHITE, 0.35, shadow=((20, 60, 130), 0.45))
    paint_text(cv, 'Editor', 12 + tw + 6, 21, 7.0, 1.7, (214, 234, 255), 0.35,
               shadow=((20, 60, 130), 0.4))
    white_quill(cv, 192, 21, 116, 4, 0.1, (0.22, 0.18, 0.35))

    for xs in EDITOR_COMMANDS:
        group_socket(cv, xs, 36)
    groove(cv, 10, 400, 71)

    # the tool column: buttons above, colour swatches below, one flat colour throughout
    cv.paint(rrect(3, 89, 70, 372, 7), (60, 110, 190), 0.10)
    cv.paint(rrect(4, 90, 69, 371, 6), (132, 170, 224))
    cv.paint(rrect(5, 91, 68, 370, 5), TOOL_PANEL)
    cv.paint(rrect(9, 243, 63, 244, 0.5), (168, 196, 236))
    cv.paint(rrect(9, 244, 63, 245, 0.5), WHITE, 0.7)

    framed_well(cv, 73, 98, 336, 361, (196, 206, 222))     # the enlarged picture and its grid
    framed_well(cv, 350, 93, 392, 135, WHITE)               # the preview at its real size
    framed_well(cv, 348, 195, 395, 305, WHITE)              # the palette
    group_socket(cv, EDITOR_SWAP[:1], EDITOR_SWAP[1])

    groove(cv, 10, 400, 376)
    inside = finish_outline(cv, outline)
    return cv, inside


def text_skin():
    """The text tool's dialog: a header with its title over a light panel for the controls."""
    w, h = 390, 120
    cv = Canvas(w, h, BODY)
    outline = rrect(0, 0, w, h, 12)
    cv.paint(rrect(0, 24, w, h, 0), vgrad(24, h, (232, 242, 255), BODY))
    header(cv, 0, w, 0, 22)
    paint_text(cv, 'Text', 11, 15.2, 5.4, 1.35, WHITE, 0.42, shadow=((20, 60, 130), 0.45))
    cv.paint(rrect(5, 25, 385, 84, 7), (140, 176, 228))
    cv.paint(rrect(6, 26, 384, 83, 6), vgrad(26, 84, (246, 250, 255), (232, 241, 255)))
    inside = finish_outline(cv, outline)
    return cv, inside


# Tool glyphs, 18x18; the button's centre falls on (9, 9).

FILL_ACCENT = (255, 190, 64)


def glyph_tool_pen(cv):
    d = 1 / math.sqrt(2)
    pencil(cv, (2.6, 15.4), (d, -d), 17.6, 2.3)


def glyph_tool_line(cv):
    engraved(cv, union(capsule(4.0, 14.0, 14.0, 4.0, 1.0), circle(3.6, 14.4, 1.9),
                       circle(14.4, 3.6, 1.9)), NAVY)


def glyph_tool_rect(cv):
    engraved(cv, ring(rrect(3.0, 4.5, 15.0, 13.5, 0.8), 1.8), NAVY)


def glyph_tool_filled_rect(cv):
    engraved(cv, rrect(2.1, 3.6, 15.9, 14.4, 1.6), NAVY)
    cv.paint(rrect(3.9, 5.4, 14.1, 12.6, 0.3), FILL_ACCENT)


def glyph_tool_ellipse(cv):
    engraved(cv, ring(ellipse(9.0, 9.0, 6.6, 5.0), 1.8), NAVY)


def glyph_tool_filled_ellipse(cv):
    engraved(cv, ellipse(9.0, 9.0, 7.5, 5.9), NAVY)
    cv.paint(ellipse(9.0, 9.0, 5.7, 4.1), FILL_ACCENT)


def glyph_tool_polygon(cv):
    pts = [(2.8, 10.2), (7.2, 2.8), (15.2, 6.0), (11.2, 9.4), (14.2, 15.0), (4.6, 15.0)]
    engraved(cv, stroke(pts + pts[:1], 1.7), NAVY)


def glyph_tool_text(cv):
    engraved(cv, union(stroke([(3.4, 15.0), (9.0, 2.8), (14.6, 15.0)], 2.4),
                       capsule(6.0, 11.0, 12.0, 11.0, 1.0)), NAVY)


def glyph_tool_fill(cv):
    def turned(pts, cx=6.5, cy=10.0, deg=38):
        a = math.radians(deg)
        c, s = math.cos(a), math.sin(a)
        return [(cx + (x - cx) * c - (y - cy) * s, cy + (x - cx) * s + (y - cy) * c) for x, y in pts]
    can = polygon(turned([(2.5, 6.0), (10.5, 6.0), (9.6, 14.5), (3.4, 14.5)]))
    mouth = polygon(turned(arc(6.5, 6.0, 4.0, 1.4, 0, 360, 24)))
    lip = turned([(10.5, 6.0)])[0]
    paint = union(stroke([lip, (lip[0] + 2.2, lip[1] + 1.6), (15.0, 10.0)], 1.8),
                  circle(15.0, 13.6, 1.7), polygon([(13.3, 13.2), (15.0, 10.2), (16.7, 13.2)]))
    engraved(cv, union(grow(can, 1.3), grow(mouth, 1.1), grow(paint, 0.8)), NAVY)
    cv.paint(can, vgrad(4, 16, WHITE, (200, 218, 244)))
    cv.paint(mouth, (70, 150, 240))
    cv.paint(paint, (70, 150, 240))


def glyph_tool_pipette(cv):
    d = 1 / math.sqrt(2)
    tip, tail = (2.6, 15.4), (10.6, 7.4)
    tube = union(capsule(tip[0] + 1.2 * d, tip[1] - 1.2 * d, tail[0], tail[1], 1.7),
                 capsule(tip[0], tip[1], tip[0] + 2 * d, tip[1] - 2 * d, 0.7))
    collar = capsule(9.6, 6.4, 11.6, 8.4, 2.7)
    bulb = capsule(11.6, 6.4, 13.8, 4.2, 2.6)
    engraved(cv, union(grow(tube, 0.9), collar, bulb), NAVY)
    cv.paint(capsule(tip[0] + 1.2 * d, tip[1] - 1.2 * d, tail[0] - d, tail[1] + d, 1.0),
             (236, 244, 255))
    cv.paint(capsule(tip[0] + 1.2 * d, tip[1] - 1.2 * d, 5.6, 12.4, 1.0), (70, 150, 240))


# Command glyphs, 13x13, for the small round buttons; the button's centre falls on (6.5, 6.0).

def paper(cv, x0, y0, x1, y1, fold=0.0):
    """A white sheet with a navy edge, its top right corner folded down when `fold` > 0."""
    if fold:
        sheet = polygon([(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)])
    else:
        sheet = rrect(x0, y0, x1, y1, 0.4)
    engraved(cv, grow(sheet, 1.0), NAVY)
    cv.paint(sheet, WHITE)
    if fold:
        cv.paint(grow(polygon([(x1 - fold, y0), (x1 - fold, y0 + fold), (x1, y0 + fold)]), 0.3),
                 (120, 150, 200))


def glyph_new(cv):
    paper(cv, 3.2, 1.0, 9.8, 11.0, 3.0)


def glyph_open(cv):
    back = polygon([(1.0, 2.0), (4.6, 2.0), (5.8, 3.4), (11.0, 3.4), (11.0, 10.6), (1.0, 10.6)])
    front = polygon([(3.2, 5.4), (12.6, 5.4), (11.0, 10.6), (1.0, 10.6)])
    engraved(cv, grow(union(back, front), 0.9), NAVY)
    cv.paint(back, (228, 164, 40))
    cv.paint(grow(front, 0.4), NAVY)
    cv.paint(front, vgrad(5.4, 10.6, (255, 228, 130), (255, 200, 70)))


def glyph_save(cv):
    engraved(cv, rrect(0.9, 0.4, 12.1, 11.6, 1.4), NAVY)
    cv.paint(rrect(3.0, 1.4, 10.0, 5.4, 0.4), WHITE)
    cv.paint(rrect(3.8, 7.4, 9.2, 11.6, 0.4), (188, 204, 228))
    cv.paint(rrect(6.8, 8.2, 8.2, 10.8, 0.2), NAVY)


def glyph_copy(cv):
    paper(cv, 1.9, 1.2, 7.6, 8.0)
    paper(cv, 5.9, 4.4, 11.6, 11.6)


def glyph_paste(cv):
    engraved(cv, rrect(1.4, 1.4, 11.6, 11.6, 1.2), NAVY)
    cv.paint(rrect(2.4, 2.4, 10.6, 10.6, 0.6), (214, 164, 96))
    cv.paint(rrect(3.6, 3.4, 9.4, 10.0, 0.2), WHITE)
    cv.paint(rrect(4.0, 0.2, 9.0, 3.4, 1.0), NAVY)
    cv.paint(rrect(5.0, 1.1, 8.0, 2.5, 0.5), (200, 212, 230))
    for y in (5.4, 7.4):
        cv.paint(capsule(4.8, y, 8.2, y, 0.45), (120, 150, 200))


def arrow_head(x, y, dx, dy, length, half):
    """A triangle whose tip lies at (x, y), pointing along (dx, dy)."""
    n = math.hypot(dx, dy)
    ux, uy = dx / n, dy / n
    bx, by = x - ux * length, y - uy * length
    return polygon([(x, y), (bx - uy * half, by + ux * half), (bx + uy * half, by - ux * half)])


def glyph_undo(cv):
    path = [(4.6, 10.8)] + arc(7.6, 7.8, 3.0, 3.0, -90, 90, 12) + [(4.8, 4.8)]
    engraved(cv, union(stroke(path, 1.9), arrow_head(0.5, 4.8, -1, 0, 4.8, 3.5)), NAVY)


def glyph_arrow(dx, dy):
    """A bold arrow through the centre (6.5, 6.0) pointing along (dx, dy)."""
    def draw(cv):
        cx, cy = 6.5, 6.0
        tip = (cx + dx * 5.6, cy + dy * 5.6)
        shaft = capsule(cx - dx * 4.6, cy - dy * 4.6, cx + dx * 0.5, cy + dy * 0.5, 1.45)
        head = arrow_head(tip[0] - dx * 0.4, tip[1] - dy * 0.4, dx, dy, 5.0, 4.6)
        engraved(cv, union(shaft, grow(head, 0.4)), NAVY)
    return draw


def glyph_rotate(cv):
    cx, cy, r = 6.7, 6.4, 4.3
    engraved(cv, union(stroke(arc(cx, cy, r, r, -178, 90, 30), 1.8),
                       arrow_head(cx - 3.0, cy - r, -1, 0, 3.4, 2.8)), NAVY)


def mirror_glyph(vertical):
    """Two triangles facing away across an axis; the solid one is mirrored into the light one."""
    def at(u, v):
        # u runs across the axis, v along it
        return (6.5 + u, 6.0 + v) if vertical else (6.5 + v, 6.0 + u)

    def draw(cv):
        dashes = union(*[capsule(*at(0, v), *at(0, v + 1.0), 0.5) for v in (-5.5, -2.5, 0.5, 3.5)])
        cv.paint(dashes, (60, 96, 160))
        solid = polygon([at(-1.5, -4.6), at(-1.5, 4.6), at(-5.6, 0)])
        light = polygon([at(1.5, -4.6), at(1.5, 4.6), at(5.6, 0)])
        engraved(cv, grow(union(solid, light), 0.45), NAVY)
        cv.paint(grow(light, -0.75), (160, 204, 252))
    return draw


def glyph_swap(cv):
    engraved(cv, rrect(4.4, 4.8, 11.8, 12.2, 0.8), NAVY)
    cv.paint(rrect(5.6, 6.0, 10.6, 11.0, 0.2), WHITE)
    cv.paint(rrect(0.6, 0.6, 7.6, 7.6, 1.4), WHITE, 0.8)
    engraved(cv, rrect(1.0, 1.0, 7.0, 7.0, 0.8), NAVY)
    engraved(cv, union(stroke(arc(8.8, 4.2, 2.6, 2.6, 90, 0, 8), 1.1),
                       arrow_head(7.6, 1.6, -1, 0, 2.4, 1.9), arrow_head(11.4, 5.4, 0, 1, 2.4, 1.9)),
             NAVY)


TOOL_GLYPHS = [glyph_tool_pen, glyph_tool_line, glyph_tool_rect, glyph_tool_filled_rect,
               glyph_tool_ellipse, glyph_tool_filled_ellipse, glyph_tool_polygon, glyph_tool_text,
               glyph_tool_fill, glyph_tool_pipette]
COMMAND_GLYPHS = [glyph_new, glyph_open, glyph_save, glyph_copy, glyph_paste, glyph_undo,
                  glyph_arrow(0, -1), glyph_arrow(0, 1), glyph_arrow(-1, 0), glyph_arrow(1, 0),
                  glyph_rotate, mirror_glyph(True), mirror_glyph(False), glyph_swap]


# ---------------------------------------------------------------------------------------------
# Program icons: 32x32 and 16x16 with a one-bit mask, no fringe against any desktop.

def icon_rows(cv):
    rows = []
    for y in range(cv.h):
        row = []
        for x in range(cv.w):
            if cv.alpha(x, y) < 0.5:
                row.append(None)
            else:
                row.append(tuple(int(clamp(round(v), 0, 255)) for v in cv.get(x, y)))
        rows.append(row)
    return rows


def tile(cv, s, colour_top, colour_bottom):
    k = s / 32.0
    t = rrect(1.5 * k, 5.5 * k, 26.5 * k, 30.5 * k, 4.5 * k)
    cv.paint(grow(t, 0.6), (26, 60, 120))
    cv.paint(t, vgrad(5.5 * k, 30.5 * k, colour_top, colour_bottom))
    cv.paint(intersect(t, rrect(1.5 * k, 5.5 * k, 26.5 * k, 16 * k, 0)), WHITE,
             lambda x, y: 0.45 * (1 - clamp((y - 5.5 * k) / (10.5 * k))))
    return t


def manager_icon(s):
    cv = Canvas(s, s)
    k = s / 32.0
    tile(cv, s, (140, 200, 255), (40, 110, 210))
    vane, shaft, notches, nib = feather(5.0 * k, 29.5 * k, 29.5 * k, 52, 0.2, -0.1, 0.45)
    body = subtract(vane, notches) if s >= 32 else vane
    cv.paint(grow(union(body, shaft, nib), 0.85 if s >= 32 else 0.6), (26, 60, 120))
    cv.paint(body, vgrad(2 * k, 26 * k, WHITE, (222, 236, 255)))
    cv.paint(shaft, (150, 180, 220))
    cv.paint(nib, (40, 44, 60))
    return cv


def editor_icon(s):
    cv = Canvas(s, s)
    k = s / 32.0
    board = rrect(1.5 * k, 3.5 * k, 26.5 * k, 28.5 * k, 2.5 * k)
    cv.paint(grow(board, 0.6), (26, 60, 120))
    cv.paint(board, WHITE)
    n = 6 if s >= 32 else 4
    step = 25.0 * k / n
    cells = {(1, 1): (110, 180, 255), (2, 1): (110, 180, 255), (1, 2): (110, 180, 255),
             (3, 3): (255, 150, 70), (2, 3): (255, 206, 74), (3, 2): (255, 206, 74),
             (4, 4): (255, 150, 70)}
    for (i, j), colour in cells.items():
        if i < n and j < n:
            x, y = 1.5 * k + i * step, 3.5 * k + j * step
            cv.paint(rrect(x, y, x + step, y + step, 0), colour)
    for i in range(1, n):
        x = 1.5 * k + i * step
        y = 3.5 * k + i * step
        cv.paint(capsule(x, 3.8 * k, x, 28.2 * k, 0.3 * k + 0.1), (150, 185, 230))
        cv.paint(capsule(1.8 * k, y, 26.2 * k, y, 0.3 * k + 0.1), (150, 185, 230))
    d = 1 / math.sqrt(2)
    pencil(cv, (9.5 * k, 24.5 * k), (d, -d), 27.0 * k, 3.4 * k, (26, 60, 120))
    return cv


# ---------------------------------------------------------------------------------------------
# Preview: everything placed as the programs show it.

def blit_keyed(dst, src, sx, sy, w, h, dx, dy):
    """Copies a part of a strip, leaving the key colour out (as the transparent buttons do)."""
    for y in range(h):
        for x in range(w):
            c = src.get(sx + x, sy + y)
            if tuple(int(round(v)) for v in c) == KEY:
                continue
            if 0 <= dx + x < dst.w and 0 <= dy + y < dst.h:
                dst.set(dx + x, dy + y, c)


def mask_button(dst, strip, glyphs, gsize, index, state, x, y, w, h):
    blit_keyed(dst, strip, 0, state * h, w, h, x, y)
    gx = x + round(w / 2) - round(gsize / 2) + (1 if state == 2 else 0)
    gy = y + round(h / 2) - round(gsize / 2) + (1 if state == 2 else 0)
    blit_keyed(dst, glyphs, index * gsize, 0, gsize, gsize, gx, gy)


def vantu_button(dst, strip, state, x, y, w, caption=None):
    """Paints as the stretchable button does: both caps, then 2-pixel slices of the middle."""
    face = Canvas(w, 20, KEY)
    for yy in range(20):
        for xx in range(60):
            if xx < w:
                face.set(xx, yy, strip.get(xx, state * 20 + yy))
    for yy in range(20):
        for xx in range(60):
            tx = w - 60 + xx
            if 0 <= tx < w:
                face.set(tx, yy, strip.get(xx, state * 20 + yy))
    for i in range(0, max(-1, w - 30) + 1):
        for yy in range(20):
            for k in range(2):
                if 15 + i + k < w:
                    face.set(15 + i + k, yy, strip.get(16 + k, state * 20 + yy))
    if caption:
        tw = text_width(caption, 6.0, 1.3, 0.3)
        paint_text(face, caption, round(w / 2) - tw / 2, 14, 6.0,
                   1.3, (150, 156, 166) if state == 3 else (20, 30, 50), 0.3)
    blit_keyed(dst, face, 0, 0, w, 20, x, y)


def place_skin(dst, skin, inside, x0, y0):
    for y in range(skin.h):
        for x in range(skin.w):
            if inside[y * skin.w + x]:
                dst.set(x0 + x, y0 + y, skin.get(x, y))


def zoom(dst, src, x0, y0, k, keyed=True):
    for y in range(src.h):
        for x in range(src.w):
            if src.alpha(x, y) < 0.5:
                continue
            c = src.get(x, y)
            if keyed and tuple(int(round(v)) for v in c) == KEY:
                continue
            for yy in range(k):
                for xx in range(k):
                    dst.set(x0 + x * k + xx, y0 + y * k + yy, c)


def tool_button_opaque(dst, strip, glyphs, index, state, x, y):
    """Paints as the latching tool button does: the face opaque, the glyph keyed over it."""
    s, g = TOOL_SIZE, TOOL_GLYPH
    for yy in range(s):
        for xx in range(s):
            dst.set(x + xx, y + yy, strip.get(xx, state * s + yy))
    off = 1 if state == 2 else 0
    gx = x + round(s / 2) - round(g / 2) + off
    gy = y + round(s / 2) - round(g / 2) + off
    blit_keyed(dst, glyphs, index * g, 0, g, g, gx, gy)


def fill_rect(dst, x, y, w, h, colour, frame=None):
    for yy in range(h):
        for xx in range(w):
            edge = frame is not None and (xx in (0, w - 1) or yy in (0, h - 1))
            dst.set(x + xx, y + yy, frame if edge else colour)


def preview_editor(pv, art, x0, y0):
    """The editor window with its buttons; the program-drawn controls are rough stand-ins."""
    form, inside = art['editor_form']
    place_skin(pv, form, inside, x0, y0)
    small, small_g, cmd_g = art['small'], art['small_glyphs'], art['command_glyphs']
    for x, glyph in zip(EDITOR_HELP_INFO_CLOSE, (1, 2, 0)):
        mask_button(pv, small, small_g, 13, glyph, 0, x0 + x, y0 + 4, 21, 22)
    index = 0
    for xs in EDITOR_COMMANDS:
        for x in xs:
            mask_button(pv, small, cmd_g, 13, index, 0, x0 + x, y0 + 36, 21, 22)
            index += 1
    mask_button(pv, small, cmd_g, 13, 13, 0, x0 + EDITOR_SWAP[0], y0 + EDITOR_SWAP[1], 21, 22)
    for i in range(10):
        tool_button_opaque(pv, art['tools'], art['tool_glyphs'], i, 2 if i == 0 else 0,
                           x0 + 9 + 28 * (i % 2), y0 + 96 + 29 * (i // 2))

    # stand-ins: swatches, picture with grid, preview, colour swatches, palette, combo, status bar
    colours = [(255, 255, 255), (192, 192, 192), (128, 128, 128), (0, 0, 0), (255, 0, 0),
               (128, 0, 0), (255, 0, 255), (128, 0, 128), (0, 255, 255), (0, 128, 128),
               (0, 0, 255), (0, 0, 128), (0, 255, 0), (0, 128, 0), (255, 255, 0), (128, 128, 0)]
    for i, c in enumerate(colours):
        fill_rect(pv, x0 + 9 + 14 * (i % 4), y0 + 250 + 14 * (i // 4), 12, 12, c, (0, 0, 0))
    fill_rect(pv, x0 + 9, y0 + 306, 54, 12, KEY, (0, 0, 0))
    icon = over(art['editor32'], Canvas(32, 32, KEY))
    for y in range(257):
        for x in range(257):
            grid = x % 8 == 0 or y % 8 == 0
            c = (128, 128, 128) if grid else icon.get(min(x // 8, 31), min(y // 8, 31))
            pv.set(x0 + 76 + x, y0 + 101 + y, c)
    zoom(pv, art['editor32'], x0 + 355, y0 + 98, 1)
    fill_rect(pv, x0 + 362, y0 + 160, 26, 26, (255, 255, 255), (0, 0, 0))
    fill_rect(pv, x0 + 346, y0 + 144, 26, 26, (0, 0, 0), (0, 0, 0))
    for y in range(104):
        for x in range(41):
            hue = (y // 13) / 8.0
            light = 0.25 + 0.6 * (x // 10) / 4.0
            r, g, b = [clamp(abs(((hue * 6 + k) % 6) - 3) - 1) for k in (0, 4, 2)]
            pv.set(x0 + 351 + x, y0 + 198 + y, mix((0, 0, 0), (255 * r, 255 * g, 255 * b), light * 1.6)
                   if light < 0.6 else mix((255 * r, 255 * g, 255 * b), WHITE, (light - 0.6) * 2))
    fill_rect(pv, x0 + 318, y0 + 37, 84, 22, WHITE, (122, 138, 153))
    fill_rect(pv, x0 + 385, y0 + 39, 15, 18, (212, 208, 200), (160, 160, 160))
    fill_rect(pv, x0 + 323, y0 + 47, 28, 1, (0, 0, 0))
    fill_rect(pv, x0 + 10, y0 + 382, 390, 20, BODY)
    for x in (10, 62, 114):
        fill_rect(pv, x0 + x, y0 + 384, 50, 17, BODY, (160, 170, 190))


def copy_region(src, x, y, w, h):
    out = Canvas(w, h)
    for yy in range(h):
        for xx in range(w):
            out.set(xx, yy, src.get(x + xx, y + yy))
    return out


def preview_editor_parts(pv, art, x0, y0):
    """The editor's window enlarged in parts, the tool strip in every look and both glyph strips."""
    zoom(pv, copy_region(pv, 10, 980, 410, 70), x0, y0, 2, keyed=False)
    zoom(pv, copy_region(pv, 10, 1070, 140, 300), x0 + 840, y0, 2, keyed=False)
    zoom(pv, copy_region(pv, 330, 1070, 80, 240), x0 + 1140, y0, 2, keyed=False)
    tools, tool_g = art['tools'], art['tool_glyphs']
    zoom(pv, tools, x0 + 1320, y0, 3, keyed=False)
    panel = Canvas(10 * 30 + 4, 4 * 30 + 4, TOOL_PANEL)
    for state in range(4):
        for i in range(10):
            tool_button_opaque(panel, tools, tool_g, i, state, 2 + 30 * i, 2 + 30 * state)
    zoom(pv, panel, x0, y0 + 150, 2, keyed=False)
    body = Canvas(14 * 24 + 4, 4 * 26 + 4, BODY)
    for state in range(4):
        for i in range(14):
            mask_button(body, art['small'], art['command_glyphs'], 13, i, state,
                        2 + 24 * i, 2 + 26 * state, 21, 22)
    zoom(pv, body, x0, y0 + 410, 2, keyed=False)
    zoom(pv, tool_g, x0, y0 + 640, 2, keyed=False)
    zoom(pv, art['command_glyphs'], x0 + 380, y0 + 640, 2, keyed=False)


def preview(art, path):
    desk = (96, 104, 112)
    pv = Canvas(1900, 1700, desk)
    main, main_in = art['mainform']
    place_skin(pv, main, main_in, 10, 10)
    big, big_g = art['big'], art['big_glyphs']
    small, small_g = art['small'], art['small_glyphs']
    for (x, glyph) in ((11, 1), (72, 2), (132, 0), (192, 3)):
        mask_button(pv, big, big_g, 25, glyph, 0, 10 + x, 10 + 26, 48, 48)
    for (x, y, glyph) in ((435, 30, 1), (459, 30, 0), (435, 53, 2), (459, 53, 3)):
        mask_button(pv, small, small_g, 13, glyph, 0, 10 + x, 10 + y, 21, 22)

    info, info_in = art['iconinfo']
    place_skin(pv, info, info_in, 670, 10)
    mask_button(pv, small, small_g, 13, 0, 0, 670 + 190, 10, 21, 22)
    zoom(pv, art['icon32'], 670 + 12, 10 + 30, 1)
    std = art['standard']
    for i, cap in enumerate(('Kopieren', 'Exportieren', 'Bearbeiten', 'Zuweisen')):
        vantu_button(pv, std, 0, 670 + 10 + (i % 2) * 98, 10 + 150 + (i // 2) * 24, 93)

    about, about_in = art['info']
    place_skin(pv, about, about_in, 910, 10)
    mask_button(pv, small, small_g, 13, 0, 0, 910 + 190, 10, 21, 22)
    zoom(pv, art['icon32'], 910 + 12, 10 + 30, 1)
    vantu_button(pv, std, 0, 910 + 110, 10 + 170, 91, 'OK')

    # strips on the body colour: each state with each glyph
    pv.paint(rrect(670, 220, 1130, 950, 8), BODY)
    for state in range(4):
        for g in range(4):
            mask_button(pv, big, big_g, 25, g, state, 680 + g * 54, 230 + state * 54, 48, 48)
            mask_button(pv, small, small_g, 13, g, state, 960 + g * 26, 230 + state * 28, 21, 22)
        blit_keyed(pv, big, 0, 4 * 48, 48, 48, 680 + 4 * 54, 230)
        blit_keyed(pv, small, 0, 4 * 22, 21, 22, 960 + 4 * 26, 230)
    for state in range(4):
        vantu_button(pv, std, state, 905, 350 + state * 26, 60)
        vantu_button(pv, std, state, 975, 350 + state * 26, 140, 'OK')
    zoom(pv, big, 680, 460, 2)
    zoom(pv, art['icon32'], 800, 460, 4)
    zoom(pv, art['icon16'], 940, 460, 4)
    zoom(pv, art['editor32'], 800, 600, 4)
    zoom(pv, art['editor16'], 940, 600, 4)
    zoom(pv, small, 1020, 460, 3)
    zoom(pv, big_g, 800, 860, 3, keyed=False)
    zoom(pv, small_g, 800, 820, 2, keyed=False)
    # the main window's button area enlarged
    zoom(pv, copy_region(pv, 240, 10, 250, 80), 10, 480, 2, keyed=False)
    zoom(pv, copy_region(pv, 10, 10, 250, 100), 10, 650, 2, keyed=False)

    preview_editor(pv, art, 10, 980)
    preview_editor_parts(pv, art, 440, 980)

    rows = pv.rgb_rows()
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as f:
        f.write(b'P6\n%d %d\n255\n' % (pv.w, pv.h))
        for row in rows:
            f.write(bytes(v for px in row for v in px))


# ---------------------------------------------------------------------------------------------
# The shell views' bitmaps: the header's sort arrows and the picture of a drag of several files.

ARROW_FACE = (192, 192, 192)   # the view paints the header's own face colour over it
DRAG_CLEAR = WHITE             # transparent in the drag image


def sort_arrow(up):
    """A 16x16 engraved triangle on the face colour, pointing up or down."""
    cv = Canvas(16, 16, ARROW_FACE)
    tri = [(4.0, 10.0), (12.0, 10.0), (8.0, 5.0)] if up else [(4.0, 6.0), (12.0, 6.0), (8.0, 11.0)]
    cv.paint(moved(polygon(tri), 0, 0.9), WHITE, 0.8)
    cv.paint(polygon(tri), NAVY)
    return cv


def sheet(cv, x, y, w, h, fold):
    """A paper sheet with a folded top right corner, its edge engraved."""
    body = polygon([(x, y), (x + w - fold, y), (x + w, y + fold), (x + w, y + h), (x, y + h)])
    cv.paint(grow(body, 0.9), NAVY)
    cv.paint(body, vgrad(y, y + h, (250, 252, 255), (214, 230, 252)))
    corner = polygon([(x + w - fold, y), (x + w - fold, y + fold), (x + w, y + fold)])
    cv.paint(corner, (170, 200, 240))
    for k in range(3):
        ly = y + fold + 3.0 + k * 3.2
        if ly < y + h - 2:
            cv.paint(capsule(x + 2.6, ly, x + w - 2.8, ly, 0.45), (120, 160, 220))


def drag_files():
    """Three stacked sheets on the transparent white; the sheets hold no pure white."""
    cv = Canvas(32, 32, DRAG_CLEAR)
    sheet(cv, 12.5, 2.5, 14, 18, 4.5)
    sheet(cv, 8.5, 6.5, 14, 18, 4.5)
    sheet(cv, 4.5, 10.5, 14, 18, 4.5)
    return cv


# The system-icon page's picture: a desktop of icons under the header's quill, in the frame
# beside the assignment boxes.

SYSTEM_PICTURE = (246, 90)


def system_picture():
    w, h = SYSTEM_PICTURE
    cv = Canvas(w, h, HEADER_BOTTOM)
    cv.paint(rrect(0, 0, w, h, 0), vgrad(0, h, HEADER_BOTTOM, HEADER_TOP))
    cv.paint(rrect(0, 0, w, h * 0.45, 0), WHITE, lambda x, y: 0.12 * (1 - y / (h * 0.45)))
    colours = [(255, 206, 74), (120, 210, 110), (255, 255, 255), (255, 150, 70),
               (110, 180, 255), (255, 140, 190), (180, 140, 240), (90, 200, 200)]
    tile, step = 17, 29
    for i, colour in enumerate(colours):
        x = 14 + (i % 4) * step
        y = 12 + (i // 4) * 38
        cv.paint(rrect(x - 1, y, x + tile + 1, y + tile + 2, 4), NAVY, 0.25)
        cv.paint(rrect(x, y, x + tile, y + tile, 3.5), colour)
        cv.paint(rrect(x, y, x + tile, y + tile / 2, 3.5), WHITE, 0.3)
        cv.paint(rrect(x - 3, y + tile + 5, x + tile + 3, y + tile + 8, 1.5), WHITE, 0.55)
    white_quill(cv, 150, 84, 104, 30, 0.2, (0.35, 0.3, 0.55))
    return cv


# ---------------------------------------------------------------------------------------------

def build():
    art = {}
    large_face = face_on_body(LARGE)
    small_face = face_on_body(SMALL)
    art['big'] = button_strip(48, 48, LARGE['cx'], LARGE['cy'], LARGE['r'])
    art['small'] = button_strip(21, 22, SMALL['cx'], SMALL['cy'], SMALL['r'])
    art['big_glyphs'] = glyph_strip([glyph_system, glyph_gallery, glyph_desktop, glyph_editor],
                                    25, large_face, 12, 12)
    art['small_glyphs'] = glyph_strip([glyph_close, glyph_help, glyph_info, glyph_globe],
                                      13, small_face, 4, 5)
    art['standard'] = pill_strip()
    art['mainform'] = main_skin()
    art['iconinfo'] = small_skin('Icon-Info', 143)
    art['info'] = small_skin('Info', 160)
    art['icon32'] = manager_icon(32)
    art['icon16'] = manager_icon(16)
    art['editor32'] = editor_icon(32)
    art['editor16'] = editor_icon(16)
    art['editor_form'] = editor_skin()
    art['text_form'] = text_skin()
    art['tools'] = tool_strip()
    art['tool_glyphs'] = glyph_strip(TOOL_GLYPHS, TOOL_GLYPH, tool_button('normal'),
                                     round(TOOL_SIZE / 2) - round(TOOL_GLYPH / 2),
                                     round(TOOL_SIZE / 2) - round(TOOL_GLYPH / 2))
    art['command_glyphs'] = glyph_strip(COMMAND_GLYPHS, 13, small_face, 4, 5)
    art['up_arrow'] = sort_arrow(True)
    art['down_arrow'] = sort_arrow(False)
    art['drag_files'] = drag_files()
    art['system_picture'] = system_picture()
    return art


def save(art, res=RES):
    m = os.path.join(res, 'manager')
    write(os.path.join(m, 'ilButtonsRund_Gross.bmp'), bmp_bytes(art['big'].rgb_rows()))
    write(os.path.join(m, 'ilButtonsRund_Gross_Glyphs.bmp'), bmp_bytes(art['big_glyphs'].rgb_rows()))
    write(os.path.join(m, 'ilButtonsRund_Klein.bmp'), bmp_bytes(art['small'].rgb_rows()))
    write(os.path.join(m, 'ilButtonsRund_Klein_Glyphs.bmp'), bmp_bytes(art['small_glyphs'].rgb_rows()))
    write(os.path.join(res, 'common', 'ilButtonsStandard.bmp'), bmp_bytes(art['standard'].rgb_rows()))
    for name in ('mainform', 'iconinfo', 'info'):
        cv, inside = art[name]
        write(os.path.join(m, name + '.bmp'), bmp_bytes(cv.rgb_rows()))
        data = region_bytes(inside, cv.w, cv.h)
        parse_region(data)
        write(os.path.join(m, name + '.rgn'), data)
    write(os.path.join(m, 'Quillandora.ico'),
          ico_bytes([(32, icon_rows(art['icon32'])), (16, icon_rows(art['icon16']))]))
    write(os.path.join(res, 'editor', 'editor.ico'),
          ico_bytes([(32, icon_rows(art['editor32'])), (16, icon_rows(art['editor16']))]))
    e = os.path.join(res, 'editor')
    cv, inside = art['editor_form']
    write(os.path.join(e, 'form1.bmp'), bmp_bytes(cv.rgb_rows()))
    data = region_bytes(inside, cv.w, cv.h)
    parse_region(data)
    write(os.path.join(e, 'form1.rgn'), data)
    cv, inside = art['text_form']
    write(os.path.join(e, 'fontform.bmp'), bmp_bytes(cv.rgb_rows()))
    data = region_bytes(inside, cv.w, cv.h)
    parse_region(data)
    write(os.path.join(e, 'fontform.rgn'), data)
    write(os.path.join(e, 'ilToolButtons.bmp'), bmp_bytes(art['tools'].rgb_rows()))
    write(os.path.join(e, 'ilTools_Glyphs.bmp'), bmp_bytes(art['tool_glyphs'].rgb_rows()))
    write(os.path.join(e, 'ilBefehle_Glyphs.bmp'), bmp_bytes(art['command_glyphs'].rgb_rows()))
    sh = os.path.join(res, 'shell')
    write(os.path.join(sh, 'UpArrow2.bmp'), bmp_bytes(art['up_arrow'].rgb_rows()))
    write(os.path.join(sh, 'DownArrow2.bmp'), bmp_bytes(art['down_arrow'].rgb_rows()))
    write(os.path.join(sh, 'DragFiles.bmp'), bmp_bytes(art['drag_files'].rgb_rows()))
    write(os.path.join(m, 'system.bmp'), bmp_bytes(art['system_picture'].rgb_rows()))


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument('--preview', action='store_true',
                    help='also write build/art-preview.ppm (and .png when ImageMagick is there)')
    args = ap.parse_args()
    art = build()
    save(art)
    if args.preview:
        ppm = os.path.join(ROOT, 'build', 'art-preview.ppm')
        preview(art, ppm)
        try:
            subprocess.run(['convert', ppm, ppm[:-4] + '.png'], check=True)
        except (OSError, subprocess.CalledProcessError):
            pass


if __name__ == '__main__':
    main()
