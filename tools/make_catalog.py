#!/usr/bin/env python3
"""Draws the demo icon catalogue that lies beside the icon manager: category folders of .ico
files, 16-bit icon libraries (.icl, .nil) and the sources of a resource-only icon library."""

# Every icon is drawn in a 32-unit square from the shapes of make_art.py and rendered at 32x32
# and 16x16. Edge pixels at least half covered stay, blended towards a light grey; the others
# become transparent, so no dark fringe shows on the light gallery. The output depends only on
# this script and make_art.py: the build runs it (cmake/DemoCatalog.cmake), nothing is committed.
#
#   make_catalog.py --out DIR [--small] [--rc RCDIR]   the catalogue (--rc: the .dll's sources)
#   make_catalog.py --bulk N --out DIR                  N plain icon files in one folder
#   make_catalog.py --sheet FILE.png                    every icon on one contact sheet

import argparse
import math
import os
import struct
import subprocess
import sys

sys.dont_write_bytecode = True   # keep tools/ free of caches
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_art import (WHITE, Canvas, Shape, arc, capsule, circle, clamp, ellipse, grow,  # noqa: E402
                      ico_bytes, intersect, mix, pencil, polygon, radial, ring, rrect,
                      stroke, subtract, union, vgrad)

LIGHT = (236, 239, 243)      # what half-covered edge pixels are blended towards
OWN_ICONS = 'Eigene Icons'
WRITTEN_EXTENSIONS = ('.ico', '.icl', '.nil')   # what a new run replaces in the categories


# ---------------------------------------------------------------------------------------------
# Drawing in the 32-unit design square, whatever the icon's size.

def dark(c, f=0.58):
    return (c[0] * f, c[1] * f, c[2] * f)


def light(c, t=0.45):
    return mix(c, WHITE, t)


def scaled(shape, k, ox=0.0, oy=0.0):
    """The shape enlarged k times about (ox, oy)."""
    f = shape.sd
    x0, y0, x1, y1 = shape.bbox
    return Shape(lambda x, y: f(ox + (x - ox) / k, oy + (y - oy) / k) * k,
                 (ox + (x0 - ox) * k, oy + (y0 - oy) * k, ox + (x1 - ox) * k, oy + (y1 - oy) * k))


def unscaled(f, k, ox=0.0, oy=0.0):
    """A colour or alpha function of design units, asked at enlarged coordinates."""
    return lambda x, y: f(ox + (x - ox) / k, oy + (y - oy) / k)


def rotated(points, cx, cy, degrees):
    a = math.radians(degrees)
    c, s = math.cos(a), math.sin(a)
    return [(cx + (x - cx) * c - (y - cy) * s, cy + (x - cx) * s + (y - cy) * c) for x, y in points]


def box(x0, y0, x1, y1):
    return polygon([(x0, y0), (x1, y0), (x1, y1), (x0, y1)])


def star(cx, cy, r_out, r_in, points=5, turn=-90.0):
    pts = []
    for i in range(points * 2):
        a = math.radians(turn + i * 180.0 / points)
        r = r_out if i % 2 == 0 else r_in
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return polygon(pts)


def regular(cx, cy, r, n, turn=-90.0):
    return polygon([(cx + r * math.cos(math.radians(turn + i * 360.0 / n)),
                     cy + r * math.sin(math.radians(turn + i * 360.0 / n))) for i in range(n)])


def tangent_point(cx, cy, r, px, py, side):
    """Where a line from (px, py) touches the circle; side +1 or -1 picks which of the two."""
    d = math.hypot(px - cx, py - cy)
    base = math.atan2(py - cy, px - cx)
    a = base + side * math.acos(r / d)
    return (cx + r * math.cos(a), cy + r * math.sin(a))


def drop(cx, cy, r, tip_y):
    """A drop: a circle drawn out to a point above it."""
    left = tangent_point(cx, cy, r, cx, tip_y, -1)
    right = tangent_point(cx, cy, r, cx, tip_y, 1)
    return union(circle(cx, cy, r), polygon([(cx, tip_y), right, (cx, cy), left]))


def heart(cx, cy, r):
    """A heart with lobes of radius r, centred on (cx, cy)."""
    lx, rx, ly = cx - r * 0.82, cx + r * 0.82, cy - r * 0.45
    tip = (cx, cy + r * 1.95)
    a = tangent_point(lx, ly, r, tip[0], tip[1], 1)
    b = tangent_point(rx, ly, r, tip[0], tip[1], -1)
    return union(circle(lx, ly, r), circle(rx, ly, r), polygon([a, tip, b, (cx, ly)]))


def cloud(x, y, w):
    """A cloud whose flat bottom starts at (x, y) and is w units wide."""
    k = w / 24.0
    return union(circle(x + 6 * k, y - 5 * k, 5.2 * k), circle(x + 12.5 * k, y - 9 * k, 7 * k),
                 circle(x + 19 * k, y - 5.5 * k, 5 * k), rrect(x, y - 8 * k, x + w, y, 4 * k))


class IconCanvas(Canvas):
    """A transparent canvas of one icon size that takes shapes in design units."""

    def __init__(self, size):
        Canvas.__init__(self, size, size)
        self.k = size / 32.0
        self.small = size < 32
        self.edge = 0.9 if size >= 32 else 1.25   # outline width in design units
        self.zoom = None                           # (factor, ox, oy) for details drawn larger

    def fill(self, shape, colour, alpha=1.0, clip=None):
        for k, ox, oy in ([self.zoom] if self.zoom else []) + [(self.k, 0.0, 0.0)]:
            if k == 1.0:
                continue
            shape = scaled(shape, k, ox, oy)
            clip = scaled(clip, k, ox, oy) if clip is not None else None
            if callable(colour):
                colour = unscaled(colour, k, ox, oy)
            if callable(alpha):
                alpha = unscaled(alpha, k, ox, oy)
        self.paint(shape, colour, alpha, clip)

    def part(self, shape, colour, outline=None, top=None, lift=0.45):
        """An object part: a darker outline and a fill lit from above."""
        self.fill(grow(shape, self.edge), outline if outline is not None else dark(colour))
        y0, y1 = shape.bbox[1], shape.bbox[3]
        self.fill(shape, vgrad(y0, y1, top if top is not None else light(colour, lift), colour))

    def gloss(self, shape, strength=0.45, depth=0.5):
        """A white sheen over the upper part of a shape, fading downwards."""
        y0, y1 = shape.bbox[1], shape.bbox[3]
        h = (y1 - y0) * depth
        self.fill(shape, WHITE, lambda x, y: strength * (1 - clamp((y - y0) / h)))

    def ball(self, cx, cy, r, colour, outline=None):
        """A shaded disc lit from the upper left."""
        c = circle(cx, cy, r)
        self.fill(grow(c, self.edge), outline if outline is not None else dark(colour, 0.5))
        self.fill(c, radial(cx - r * 0.35, cy - r * 0.4, r * 1.5, light(colour, 0.55), dark(colour, 0.82)))
        return c


# ---------------------------------------------------------------------------------------------
# Ordner: folders in colours and folders with a sign on the front.

FOLDER_COLOURS = [
    ('Ordner-Gelb', (247, 196, 68)), ('Ordner-Blau', (78, 146, 232)), ('Ordner-Gruen', (86, 182, 92)),
    ('Ordner-Rot', (226, 78, 70)), ('Ordner-Violett', (150, 104, 214)), ('Ordner-Orange', (246, 142, 48)),
    ('Ordner-Grau', (150, 160, 174)), ('Ordner-Tuerkis', (44, 182, 182)), ('Ordner-Rosa', (238, 126, 176)),
    ('Ordner-Braun', (176, 124, 80)),
]
FOLDER_YELLOW = (247, 196, 68)


def folder(cv, colour, sign=None):
    back = union(rrect(2.5, 5.5, 14, 11.5, 1.6), rrect(2.5, 8, 29.5, 27, 1.8))
    cv.fill(grow(back, cv.edge), dark(colour, 0.5))
    cv.fill(back, vgrad(5.5, 27, dark(colour, 0.9), dark(colour, 0.75)))
    paper = rrect(5, 9.8, 27, 22, 0.8)
    cv.fill(grow(paper, 0.6), (176, 184, 196))
    cv.fill(paper, WHITE)
    front = polygon([(2.5, 13), (29.5, 13), (29.5, 27), (2.5, 27)])
    front = intersect(front, rrect(2.5, 8, 29.5, 27, 1.8))
    cv.fill(grow(front, cv.edge), dark(colour, 0.5))
    cv.fill(front, vgrad(13, 27, light(colour, 0.4), colour))
    cv.fill(rrect(3.4, 13.6, 28.6, 14.8, 0.5), WHITE, 0.5)
    if sign is not None:
        # At 16 pixels the sign must be larger to stay readable.
        cv.zoom = (1.25, 16, 20) if cv.small else None
        sign(cv, dark(colour, 0.45))
        cv.zoom = None


def sign_note(cv, c):
    cv.fill(union(circle(12.6, 23.4, 2.1), circle(19.8, 22.2, 2.1), capsule(14.3, 23.2, 14.3, 16.6, 0.65),
                  capsule(21.5, 22.0, 21.5, 15.4, 0.65),
                  polygon([(13.7, 16.0), (22.1, 14.6), (22.1, 16.9), (13.7, 18.3)])), c)


def sign_picture(cv, c):
    cv.fill(rrect(9.5, 15.5, 22.5, 25.5, 0.8), c)
    cv.fill(box(10.8, 16.8, 21.2, 24.2), vgrad(16.8, 24.2, (150, 210, 255), (210, 236, 255)))
    cv.fill(circle(18.6, 19.0, 1.4), (255, 214, 60))
    cv.fill(polygon([(10.8, 24.2), (14.6, 19.4), (18.0, 24.2)]), (70, 160, 80))
    cv.fill(polygon([(15.0, 24.2), (18.4, 21.2), (21.2, 24.2)]), (110, 190, 100))


def sign_document(cv, c):
    page = polygon([(11.5, 15), (18.4, 15), (21, 17.6), (21, 26), (11.5, 26)])
    cv.fill(grow(page, 0.8), c)
    cv.fill(page, WHITE)
    for y in (18.6, 20.8, 23.0):
        cv.fill(capsule(13.4, y, 19.0, y, 0.45), light(c, 0.25))


def sign_star(cv, c):
    s = star(16, 20.4, 6.4, 2.7)
    cv.fill(grow(s, 0.8), c)
    cv.fill(s, vgrad(14, 26, (255, 246, 190), (255, 206, 40)))


def sign_download(cv, c):
    cv.fill(union(capsule(16, 15.2, 16, 20.5, 1.3), polygon([(11.4, 19.0), (20.6, 19.0), (16, 23.8)]),
                  capsule(10.5, 25.2, 21.5, 25.2, 0.9)), c)


def sign_lock(cv, c):
    cv.fill(ring(rrect(12.9, 14.6, 19.1, 22, 3.1), 1.5), c)
    cv.fill(rrect(11, 19, 21, 26.3, 1.2), c)
    cv.fill(union(circle(16, 21.8, 1.1), capsule(16, 22, 16, 24, 0.5)), light(c, 0.6))


def sign_globe(cv, c):
    g = circle(16, 20.2, 5.6)
    cv.fill(g, c)
    cv.fill(circle(16, 20.2, 4.6), (150, 206, 250))
    cv.fill(union(ring(ellipse(16, 20.2, 2.2, 4.6), 0.7), capsule(11.4, 20.2, 20.6, 20.2, 0.35),
                  capsule(12.2, 17.6, 19.8, 17.6, 0.3), capsule(12.2, 22.8, 19.8, 22.8, 0.3)), c, clip=g)


def sign_search(cv, c):
    cv.fill(union(ring(circle(14.6, 19.2, 3.6), 1.6), capsule(17.4, 22.0, 21.2, 25.8, 1.2)), c)
    cv.fill(circle(14.6, 19.2, 2.8), (214, 236, 255))


FOLDER_SIGNS = [
    ('Musik', sign_note), ('Bilder', sign_picture), ('Dokumente', sign_document),
    ('Favoriten', sign_star), ('Downloads', sign_download), ('Gesperrt', sign_lock),
    ('Netzwerk', sign_globe), ('Suche', sign_search),
]


# ---------------------------------------------------------------------------------------------
# Geraete: computer parts and media devices.

GREY = (120, 128, 140)
SILVER = (196, 202, 212)
CHARCOAL = (62, 68, 80)
SCREEN = vgrad(6, 22, (140, 204, 255), (38, 100, 196))


def screen_shine(cv, x0, y0, x1, y1):
    cv.fill(intersect(box(x0, y0, x1, y1), polygon([(x0, y0), (x1, y0), (x0, y1 - (y1 - y0) * 0.3)])),
            WHITE, 0.22)


def monitor(cv):
    cv.part(polygon([(13, 22.5), (19, 22.5), (20.4, 27.5), (11.6, 27.5)]), SILVER, GREY)
    cv.part(rrect(8, 26.5, 24, 29.5, 1.3), SILVER, GREY)
    cv.part(rrect(2.5, 3.5, 29.5, 23.5, 2), CHARCOAL, (40, 44, 54))
    cv.fill(rrect(4.6, 5.6, 27.4, 21.0, 0.6), SCREEN)
    screen_shine(cv, 4.6, 5.6, 27.4, 21.0)
    cv.fill(circle(26.2, 22.3, 0.55), (110, 230, 120))


def notebook(cv):
    lid = rrect(6, 4, 26, 20.5, 1.6)
    cv.part(lid, CHARCOAL, (40, 44, 54))
    cv.fill(rrect(7.6, 5.6, 24.4, 18.8, 0.4), vgrad(5, 19, (255, 196, 120), (226, 96, 120)))
    screen_shine(cv, 7.6, 5.6, 24.4, 18.8)
    base = polygon([(5, 20.5), (27, 20.5), (31, 26.5), (1, 26.5)])
    cv.part(grow(base, 0.5), SILVER, GREY, top=WHITE)
    for i in range(3):
        y = 21.8 + i * 1.4
        cv.fill(capsule(6.6 - i * 0.7, y, 25.4 + i * 0.7, y, 0.36), (150, 158, 170))
    cv.fill(rrect(13, 26.2, 19, 27.0, 0.3), (150, 158, 170))


def printer(cv):
    cv.part(box(9, 3, 23, 12), WHITE, (150, 160, 176))
    for y in (6, 8.4):
        cv.fill(capsule(11.4, y, 20.6, y, 0.4), (150, 170, 200))
    body = rrect(3, 10.5, 29, 23.5, 2.6)
    cv.part(body, (200, 206, 216), GREY, top=(246, 248, 251))
    cv.fill(rrect(6.5, 17.5, 25.5, 19.5, 0.8), (70, 76, 90))
    cv.fill(circle(25.5, 13.8, 1.1), (80, 210, 100))
    out = box(8.5, 18.5, 23.5, 29)
    cv.part(out, WHITE, (150, 160, 176))
    for y in (22.4, 24.6, 26.8):
        cv.fill(capsule(10.8, y, 21.2, y, 0.4), (120, 150, 210))


def floppy(cv):
    body = polygon([(3.5, 3.5), (25.5, 3.5), (28.5, 6.5), (28.5, 28.5), (3.5, 28.5)])
    cv.part(body, (60, 108, 196), (28, 54, 110))
    cv.part(box(10, 3.5, 23, 12.5), SILVER, GREY, top=WHITE)
    cv.fill(box(18.5, 5.3, 21, 10.7), (80, 88, 100))
    label = rrect(7, 16, 25, 28.5, 0.8)
    cv.part(label, WHITE, (40, 70, 130))
    for y in (20, 22.6, 25.2):
        cv.fill(capsule(9.5, y, 22.5, y, 0.4), (150, 170, 210))
    cv.fill(box(7, 16, 25, 17.8), (230, 90, 80))


def disc(cv):
    d = subtract(circle(16, 16, 13.5), circle(16, 16, 2.4))
    cv.fill(grow(d, cv.edge), (120, 130, 146))
    cv.fill(d, radial(12, 11, 20, (250, 252, 255), (186, 196, 210)))
    for colour, a0 in (((255, 120, 200), 200), ((120, 200, 255), 20), ((255, 230, 120), 110)):
        band = union(*[circle(*p, 2.2) for p in arc(16, 16, 9.5, 9.5, a0, a0 + 50, 8)])
        cv.fill(band, colour, 0.35, clip=d)
    cv.fill(ring(circle(16, 16, 5.2), 1.0), (150, 160, 176))
    cv.fill(subtract(circle(16, 16, 4.4), circle(16, 16, 2.4)), (220, 228, 238))


def harddisk(cv):
    top = polygon([(7, 7), (29, 7), (25, 12.5), (3, 12.5)])
    cv.part(top, (214, 220, 230), GREY, top=WHITE)
    front = box(3, 12.5, 25, 24.5)
    cv.part(front, (170, 178, 190), GREY)
    side = polygon([(25, 12.5), (29, 7), (29, 19), (25, 24.5)])
    cv.part(side, (130, 138, 152), (90, 98, 110))
    cv.fill(box(5.5, 17, 19, 20), (70, 76, 90))
    cv.fill(circle(22, 18.5, 1.2), (90, 220, 110))


def keyboard(cv):
    body = polygon([(4, 10), (28, 10), (31, 25), (1, 25)])
    cv.part(grow(body, 0.8), (214, 220, 230), GREY, top=WHITE)
    rows = [(12.6, 4.8, 27.2, 7), (16.4, 4.0, 28.0, 7), (20.2, 3.2, 28.8, 7)]
    for y, x0, x1, n in rows:
        step = (x1 - x0) / n
        for i in range(n):
            cv.fill(rrect(x0 + i * step + 0.35, y - 1.4, x0 + (i + 1) * step - 0.35, y + 1.6, 0.5),
                    (92, 100, 116))
    cv.fill(rrect(9.5, 22.8, 22.5, 24.4, 0.5), (92, 100, 116))


def mouse(cv):
    cv.fill(stroke([(16, 7.5)] + arc(20.5, 7.5, 4.5, 4, 180, 0, 10) + [(27, 3.5)], 1.2), (80, 88, 104))
    body = ellipse(16, 18.5, 8.5, 11)
    cv.part(body, (210, 216, 226), GREY, top=WHITE)
    cv.fill(capsule(16, 8, 16, 15, 0.35), GREY)
    cv.fill(capsule(7.6, 15.2, 24.4, 15.2, 0.35), GREY, clip=body)
    cv.fill(capsule(16, 10.2, 16, 12.8, 1.2), (70, 120, 210))
    cv.gloss(body, 0.5, 0.4)


def usb_stick(cv):
    def tilted(points):
        return rotated(points, 16, 16, 35)
    plug = polygon(tilted([(13, 2.5), (19, 2.5), (19, 10.5), (13, 10.5)]))
    cv.part(plug, SILVER, GREY, top=WHITE)
    for x in (14.4, 16.8):
        cv.fill(polygon(tilted([(x, 4.5), (x + 0.9, 4.5), (x + 0.9, 6), (x, 6)])), (80, 88, 100))
    body = polygon(tilted([(11, 10), (21, 10), (21, 29.5), (11, 29.5)]))
    cv.part(grow(body, 0.4), (226, 76, 96), (120, 30, 50))
    cv.fill(polygon(tilted([(12.6, 11.5), (14.4, 11.5), (14.4, 28), (12.6, 28)])), WHITE, 0.35)
    cv.fill(circle(*tilted([(18.5, 26.5)])[0], 0.9), (255, 230, 120))


def server(cv):
    tower = rrect(8, 2.5, 24, 29.5, 2)
    cv.part(tower, CHARCOAL, (36, 40, 50), top=(110, 118, 134))
    for y in (5.5, 10):
        cv.fill(rrect(10.5, y, 21.5, y + 3, 0.6), (140, 148, 162))
        cv.fill(capsule(12, y + 1.5, 17, y + 1.5, 0.4), (70, 76, 90))
    for i in range(4):
        cv.fill(capsule(11, 17 + i * 2, 21, 17 + i * 2, 0.4), (96, 104, 120))
    cv.fill(circle(12, 26.3, 1), (90, 220, 110))
    cv.fill(circle(15.5, 26.3, 1), (90, 170, 255))


def smartphone(cv):
    body = rrect(9, 2, 23, 30, 3)
    cv.part(body, (52, 56, 66), (30, 32, 40), top=(110, 116, 130))
    cv.fill(rrect(10.5, 5, 21.5, 25.5, 0.6), vgrad(5, 26, (110, 230, 210), (40, 120, 200)))
    for i in range(3):
        for j in range(4):
            x, y = 11.8 + i * 3.4, 7 + j * 4.4
            cv.fill(rrect(x, y, x + 2.4, y + 2.4, 0.7), WHITE, 0.75)
    cv.fill(circle(16, 27.7, 1.2), (150, 156, 170))


def telephone(cv):
    red = (214, 62, 58)
    base = polygon([(7.5, 15), (24.5, 15), (28.5, 28.5), (3.5, 28.5)])
    cv.part(grow(base, 1.2), red, (110, 26, 26))
    cv.fill(circle(16, 21.8, 5.2), (250, 240, 232))
    for i in range(8):
        a = math.radians(-60 + i * 36)
        cv.fill(circle(16 + 3.4 * math.cos(a), 21.8 + 3.4 * math.sin(a), 0.8), (130, 50, 50))
    handset = union(stroke(arc(16, 17, 12, 9, 152, 28, 12), 3.2),
                    ellipse(5.2, 12.4, 3.4, 2.6), ellipse(26.8, 12.4, 3.4, 2.6))
    cv.part(handset, red, (110, 26, 26))
    cv.gloss(handset, 0.35, 0.6)


def camera(cv):
    cv.part(rrect(9.5, 5, 19.5, 11, 1.5), CHARCOAL, (36, 40, 50))
    body = rrect(2.5, 8.5, 29.5, 27, 3)
    cv.part(body, (80, 86, 100), (36, 40, 50), top=(140, 148, 162))
    cv.fill(box(2.5, 13, 29.5, 22.5), (54, 58, 70), 0.6, clip=body)
    cv.fill(circle(16, 17.5, 7.4), (200, 206, 216))
    cv.fill(circle(16, 17.5, 6.2), (30, 32, 40))
    cv.fill(circle(16, 17.5, 4.6), radial(14.5, 16, 6, (120, 190, 255), (20, 40, 110)))
    cv.fill(circle(14.2, 15.6, 1.3), WHITE, 0.8)
    cv.fill(rrect(23.5, 10.5, 27.5, 12.5, 0.5), (250, 250, 230))
    cv.fill(circle(6.2, 11.2, 1.1), (240, 80, 70))


def speaker(cv):
    wood = (168, 112, 70)
    cv.part(rrect(7.5, 2, 24.5, 30, 2.2), wood, (90, 56, 32))
    for cx, cy, r in ((16, 8.8, 3.6), (16, 20.5, 6.8)):
        cv.fill(circle(cx, cy, r + 0.8), (60, 40, 28))
        cv.fill(circle(cx, cy, r), radial(cx - r * 0.3, cy - r * 0.3, r * 1.3, (120, 124, 136), (36, 38, 46)))
        cv.fill(circle(cx, cy, r * 0.35), (170, 176, 188))


def headphones(cv):
    band = stroke(arc(16, 17, 11.5, 12.5, 180, 0, 18), 2.6)
    cv.part(band, (70, 76, 90), (36, 40, 50), top=(150, 156, 170))
    for x in (3, 22):
        cup = rrect(x, 15, x + 7, 28.5, 3)
        cv.part(cup, (226, 72, 72), (110, 26, 26))
        cv.gloss(cup, 0.35, 0.5)


def microphone(cv):
    cv.fill(stroke(arc(16, 13.5, 7.5, 8, 200, 340, 12), 1.6), (80, 86, 100))
    cv.part(box(15, 21.5, 17, 27), SILVER, GREY)
    cv.part(rrect(9, 26.5, 23, 29.5, 1.3), (80, 86, 100), (36, 40, 50))
    head = rrect(10.5, 2, 21.5, 19, 5.5)
    cv.part(head, SILVER, GREY, top=WHITE)
    for y in (5, 7.5, 10, 12.5):
        cv.fill(capsule(11, y, 21, y, 0.35), (140, 148, 162), clip=head)
    cv.fill(box(10.5, 14.5, 21.5, 16), (70, 76, 90), clip=head)


def television(cv):
    cv.fill(union(capsule(16, 9, 9.5, 2.5, 0.55), capsule(16, 9, 23.5, 3, 0.55)), (80, 86, 100))
    body = rrect(2.5, 8.5, 29.5, 27.5, 3)
    cv.part(body, (180, 120, 72), (90, 56, 32))
    glass = rrect(5, 11, 22, 25, 3.2)
    cv.fill(grow(glass, 0.6), (60, 40, 28))
    cv.fill(glass, radial(11, 15, 13, (150, 210, 190), (40, 90, 90)))
    cv.fill(glass, WHITE, lambda x, y: 0.3 * (1 - clamp((y - 11) / 7)))
    for y in (14, 19):
        cv.fill(circle(25.8, y, 1.6), (230, 220, 200))
    cv.fill(box(24, 22.5, 27.6, 23.3), (90, 56, 32))
    cv.fill(box(5, 27.5, 8, 29.5), (60, 40, 28))
    cv.fill(box(24, 27.5, 27, 29.5), (60, 40, 28))


def radio(cv):
    cv.fill(capsule(24, 9, 28.5, 2.5, 0.55), (80, 86, 100))
    cv.fill(ring(rrect(9, 5, 23, 14, 2.5), 1.5), (80, 86, 100))
    body = rrect(2, 9.5, 30, 27.5, 3)
    cv.part(body, (40, 160, 160), (20, 80, 80))
    cv.fill(circle(10.5, 18.5, 6), (230, 236, 240))
    for i in range(-2, 3):
        for j in range(-2, 3):
            if i * i + j * j <= 5:
                cv.fill(circle(10.5 + i * 2.1, 18.5 + j * 2.1, 0.65), (70, 80, 96))
    cv.fill(rrect(18.5, 13, 27, 18, 0.6), (250, 236, 180))
    cv.fill(capsule(22, 13.6, 22, 17.4, 0.35), (220, 60, 50))
    cv.fill(circle(20.5, 22.5, 1.7), (230, 236, 240))
    cv.fill(circle(25.3, 22.5, 1.7), (230, 236, 240))


def gamepad(cv):
    body = union(circle(9, 18.5, 6.8), circle(23, 18.5, 6.8), rrect(8, 11, 24, 22.5, 4),
                 capsule(7, 20.5, 6, 25, 4.2), capsule(25, 20.5, 26, 25, 4.2))
    cv.part(body, (84, 92, 112), (36, 40, 54), top=(150, 158, 176))
    cv.fill(union(rrect(5.4, 16.3, 12.6, 19.2, 0.5), rrect(7.55, 14.2, 10.45, 21.3, 0.5)), (40, 44, 56))
    for (x, y), colour in (((23, 15.6), (250, 200, 60)), ((25.8, 18.4), (230, 70, 70)),
                           ((20.2, 18.4), (80, 150, 240)), ((23, 21.2), (90, 200, 100))):
        cv.fill(circle(x, y, 1.35), colour)
    cv.gloss(body, 0.25, 0.5)


# ---------------------------------------------------------------------------------------------
# Symbole: shapes and signs.

def flat_shape(colour):
    def draw(cv, shape):
        cv.part(shape, colour, dark(colour, 0.55), top=light(colour, 0.5))
        cv.gloss(shape, 0.35, 0.55)
    return draw


def shape_icon(make, colour):
    return lambda cv: flat_shape(colour)(cv, make())


def dice(cv):
    d = rrect(4, 4, 28, 28, 5)
    cv.fill(grow(d, cv.edge), (110, 120, 136))
    cv.fill(d, radial(10, 9, 28, WHITE, (206, 212, 222)))
    for x, y in ((10, 10), (22, 10), (16, 16), (10, 22), (22, 22)):
        cv.fill(circle(x, y, 2.3), (40, 44, 56))


def sphere(cv):
    cv.fill(ellipse(16, 27.6, 7.5, 1.8), (196, 202, 214))
    cv.ball(16, 14.5, 11, (40, 178, 170))
    cv.fill(ellipse(12, 9.5, 3.6, 2.4), WHITE, 0.6)


def sign_disc(colour, glyph):
    def draw(cv):
        cv.ball(16, 16, 13.5, colour)
        cv.gloss(circle(16, 16, 12.5), 0.3, 0.5)
        glyph(cv)
    return draw


def glyph_check(cv):
    cv.fill(stroke([(9.2, 16.6), (14, 21.4), (23, 11)], 3.6), WHITE)


def glyph_cross(cv):
    cv.fill(union(capsule(10.5, 10.5, 21.5, 21.5, 1.9), capsule(21.5, 10.5, 10.5, 21.5, 1.9)), WHITE)


def glyph_info(cv):
    cv.fill(union(circle(16, 9.2, 2.1), capsule(16, 14, 16, 22.5, 1.75), capsule(13.2, 23.2, 18.8, 23.2, 1.1),
                  capsule(13.6, 13.6, 15.8, 13.6, 1.1)), WHITE)


def glyph_question(cv):
    pts = arc(16, 11.5, 4.6, 4.2, 170, -60, 14) + [(16, 16.8), (16, 18.2)]
    cv.fill(union(stroke(pts, 3.2), circle(16, 23.4, 2)), WHITE)


def warning(cv):
    t = grow(polygon([(16, 4.5), (28, 26), (4, 26)]), 1.6)
    cv.part(t, (255, 204, 40), (150, 100, 10), top=(255, 236, 140))
    cv.fill(union(capsule(16, 11, 16, 18.5, 1.6), circle(16, 22.5, 1.7)), (50, 44, 30))


def plus_sign(cv):
    p = union(rrect(12.5, 4, 19.5, 28, 2.2), rrect(4, 12.5, 28, 19.5, 2.2))
    cv.part(p, (70, 176, 80), (30, 90, 40), top=(170, 230, 170))
    cv.gloss(p, 0.3, 0.5)


def minus_sign(cv):
    m = rrect(4, 12.5, 28, 19.5, 2.2)
    cv.part(m, (240, 130, 40), (130, 64, 10), top=(255, 200, 140))
    cv.gloss(m, 0.3, 0.5)


def arrow_shape(turn):
    pts = [(3.5, 12), (16, 12), (16, 5), (29, 16), (16, 27), (16, 20), (3.5, 20)]
    return polygon(rotated(pts, 16, 16, turn))


def arrow(turn, colour):
    def draw(cv):
        a = grow(arrow_shape(turn), 0.8)
        cv.part(a, colour, dark(colour, 0.5), top=light(colour, 0.55))
        cv.gloss(a, 0.3, 0.5)
    return draw


def refresh(cv):
    """A clockwise circle open at the upper left, its end pointing up into the gap."""
    colour = (36, 170, 150)
    cx, cy, r, end = 16, 17.5, 9.5, -185
    band = stroke(arc(cx, cy, r, r, 60, end, 40), 4.2)
    a = math.radians(end)
    ex, ey = cx + r * math.cos(a), cy - r * math.sin(a)
    dx, dy = math.sin(a), math.cos(a)
    head = polygon([(ex - dy * 5, ey + dx * 5), (ex + dx * 6, ey + dy * 6), (ex + dy * 5, ey - dx * 5)])
    shape = union(band, head)
    cv.part(shape, colour, dark(colour, 0.5), top=light(colour, 0.5))


def forbidden(cv):
    red = (222, 44, 44)
    r = subtract(circle(16, 16, 13.5), circle(16, 16, 9.6))
    bar = intersect(capsule(8, 8, 24, 24, 2.2), circle(16, 16, 10))
    cv.fill(circle(16, 16, 10), WHITE)
    shape = union(r, bar)
    cv.fill(grow(shape, cv.edge), (120, 20, 20))
    cv.fill(shape, vgrad(2.5, 29.5, (250, 110, 100), red))


# ---------------------------------------------------------------------------------------------
# Natur: weather and plants.

SUN = (255, 196, 40)


def sun_at(cv, cx, cy, r, rays=True):
    if rays:
        for i in range(8):
            a = math.radians(i * 45 + 22.5)
            pts = [(cx + (r + 1.6) * math.cos(a - 0.22), cy + (r + 1.6) * math.sin(a - 0.22)),
                   (cx + (r * 1.9) * math.cos(a), cy + (r * 1.9) * math.sin(a)),
                   (cx + (r + 1.6) * math.cos(a + 0.22), cy + (r + 1.6) * math.sin(a + 0.22))]
            cv.part(polygon(pts), (255, 150, 30), (200, 100, 10), top=(255, 200, 90))
    cv.ball(cx, cy, r, SUN, (200, 120, 10))


def sun(cv):
    sun_at(cv, 16, 16, 7.6)


def moon(cv):
    m = subtract(circle(14, 16, 12), circle(21, 11, 10))
    cv.part(m, (250, 214, 90), (170, 120, 20), top=(255, 246, 190))
    for x, y, r in ((24.5, 8, 3.6), (27.8, 17.5, 2.4)):
        cv.part(star(x, y, r, r * 0.45), (255, 226, 110), (170, 120, 20))


CLOUD = (236, 242, 250)
CLOUD_EDGE = (110, 128, 156)


def cloud_icon(cv):
    c = cloud(3.5, 24, 25)
    cv.part(c, CLOUD, CLOUD_EDGE, top=WHITE)
    cv.fill(c, (150, 170, 200), lambda x, y: 0.45 * clamp((y - 17) / 7))


def rain(cv):
    for x, y in ((10, 22), (17, 25), (24, 22)):
        cv.part(drop(x, y + 1.8, 2.2, y - 2.6), (60, 140, 230), (30, 70, 150), top=(170, 214, 255))
    c = cloud(4, 18, 24)
    cv.part(c, (200, 210, 224), (90, 104, 128), top=(246, 248, 252))


def snowflake(cv):
    blue = (96, 166, 236)
    parts = []
    for i in range(6):
        a = math.radians(i * 60 - 90)
        ux, uy = math.cos(a), math.sin(a)
        parts.append(capsule(16, 16, 16 + 12.5 * ux, 16 + 12.5 * uy, 1.1))
        bx, by = 16 + 7.8 * ux, 16 + 7.8 * uy
        for side in (-1, 1):
            b = a + side * math.radians(50)
            parts.append(capsule(bx, by, bx + 3.6 * math.cos(b), by + 3.6 * math.sin(b), 0.9))
    flake = union(*parts)
    cv.part(flake, blue, (40, 90, 160), top=(200, 230, 255))
    cv.fill(regular(16, 16, 3, 6), (220, 238, 255))


def thunderstorm(cv):
    bolt = polygon([(18, 12), (12, 22), (16, 22), (13.5, 30.5), (22, 18.5), (17.6, 18.5), (21, 12)])
    cv.part(bolt, (255, 210, 40), (170, 110, 10), top=(255, 246, 170))
    c = cloud(3.5, 17, 25)
    cv.part(c, (120, 130, 150), (60, 66, 84), top=(180, 188, 204))


def rainbow(cv):
    colours = [(232, 60, 60), (250, 150, 40), (250, 220, 60), (80, 190, 80), (60, 140, 230), (140, 90, 210)]
    upper = box(0, 0, 32, 23)
    cv.fill(intersect(circle(16, 23, 14.6), upper), (120, 120, 140), 0.6)
    for i, colour in enumerate(colours):
        r = 14 - i * 1.9
        cv.fill(intersect(subtract(circle(16, 23, r), circle(16, 23, r - 1.9)), upper), colour)
    for x in (1.5, 19.5):
        c = cloud(x, 27, 11)
        cv.part(c, CLOUD, CLOUD_EDGE, top=WHITE)


def sun_cloud(cv):
    sun_at(cv, 19.5, 12.5, 5.2)
    c = cloud(2.5, 27, 23)
    cv.part(c, CLOUD, CLOUD_EDGE, top=WHITE)
    cv.fill(c, (150, 170, 200), lambda x, y: 0.4 * clamp((y - 20) / 7))


def leaf(cv):
    green = (80, 176, 60)
    d = 1 / math.sqrt(2)
    off = 8.5
    blade = intersect(circle(16 - off * d, 16 - off * d, 15.5), circle(16 + off * d, 16 + off * d, 15.5))
    cv.fill(capsule(3.5, 28.5, 8, 24, 0.9), (90, 120, 40))
    cv.part(blade, green, (36, 90, 30), top=(170, 226, 110))
    cv.fill(capsule(7.5, 24.5, 25, 7, 0.5), (190, 236, 150), 0.9)
    for t in (0.3, 0.5, 0.7):
        x, y = 7.5 + 17.5 * t, 24.5 - 17.5 * t
        cv.fill(capsule(x, y, x - 4.2, y - 2.2, 0.35), (190, 236, 150), 0.8)
        cv.fill(capsule(x, y, x + 2.2, y + 4.2, 0.35), (190, 236, 150), 0.8)


def tree(cv):
    cv.part(polygon([(14, 18), (18, 18), (19, 29), (13, 29)]), (150, 96, 50), (80, 48, 20))
    crown = union(circle(16, 10, 7.5), circle(9.5, 15.5, 6), circle(22.5, 15.5, 6), circle(16, 17, 6.5))
    cv.part(crown, (70, 170, 70), (30, 90, 30), top=(160, 220, 120))
    for x, y in ((12, 9), (20, 13), (13, 17), (23, 18)):
        cv.fill(circle(x, y, 1.2), (200, 240, 160), 0.6)


def fir(cv):
    cv.part(box(14.2, 24, 17.8, 30), (150, 96, 50), (80, 48, 20))
    green = (40, 140, 80)
    for top, bottom, half in ((2.5, 12, 6), (7, 18.5, 9), (12, 25.5, 12)):
        t = polygon([(16, top), (16 + half, bottom), (16 - half, bottom)])
        cv.part(t, green, (20, 76, 40), top=(120, 200, 130))


def flower(cv):
    cv.fill(capsule(16, 16, 16, 30, 0.9), (70, 140, 50))
    cv.part(intersect(circle(22, 28, 6), circle(17, 20, 6)), (90, 176, 60), (40, 96, 30))
    pink = (240, 100, 160)
    for i in range(6):
        a = math.radians(i * 60 - 90)
        p = circle(16 + 6 * math.cos(a), 13 + 6 * math.sin(a), 4.4)
        cv.part(p, pink, (150, 40, 90), top=(255, 200, 226))
    cv.ball(16, 13, 3.6, (255, 200, 40), (170, 110, 10))


def water_drop(cv):
    d = drop(16, 19.5, 9.5, 2.5)
    cv.part(d, (50, 140, 230), (20, 70, 150), top=(150, 206, 255))
    cv.fill(ellipse(12.6, 18, 2, 3.8), WHITE, 0.55)


def mushroom(cv):
    cv.part(rrect(12, 15, 20, 29, 3.4), (244, 236, 220), (150, 130, 100), top=WHITE)
    cap = intersect(ellipse(16, 16, 14, 12.5), box(0, 0, 32, 16.5))
    cv.part(cap, (222, 50, 50), (110, 20, 20), top=(250, 130, 120))
    for x, y, r in ((10, 10, 1.8), (17, 6.5, 1.6), (22.5, 11, 2), (15.5, 13, 1.3), (6, 14.2, 1.1)):
        cv.fill(circle(x, y, r), WHITE)


def cactus(cv):
    pot = polygon([(9, 22), (23, 22), (21, 30), (11, 30)])
    green = (70, 160, 80)
    arms = union(stroke([(16, 14), (8, 14), (8, 8)], 4.4), stroke([(16, 17), (24, 17), (24, 10)], 4.4))
    cv.part(arms, green, (30, 90, 40), top=(150, 210, 140))
    main = rrect(12.5, 3, 19.5, 23, 3.5)
    cv.part(main, green, (30, 90, 40), top=(150, 210, 140))
    for y in (7, 11, 15, 19):
        cv.fill(capsule(16, y, 16, y + 1.6, 0.3), (200, 240, 190))
    cv.part(pot, (214, 110, 70), (120, 56, 30))
    cv.fill(box(8.5, 21, 23.5, 23.5), (190, 90, 56))


def apple(cv):
    cv.fill(stroke([(16, 10)] + arc(20, 10, 4, 6, 180, 120, 4), 1.3), (110, 70, 30))
    body = union(circle(11.5, 18, 8.5), circle(20.5, 18, 8.5), circle(16, 21.5, 8))
    body = subtract(body, circle(16, 7, 2.5))
    cv.part(body, (218, 40, 44), (110, 16, 20), top=(250, 120, 110))
    cv.fill(ellipse(10.5, 15, 2, 3.2), WHITE, 0.55)
    cv.part(intersect(circle(19, 10, 4.5), circle(24, 4, 4.5)), (90, 176, 60), (40, 96, 30))


# ---------------------------------------------------------------------------------------------
# Buero: the desk and the filing.

PAPER_EDGE = (120, 132, 152)
INK = (120, 150, 210)


def page(cv, x0, y0, x1, y1, fold=6):
    body = polygon([(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)])
    cv.fill(grow(body, cv.edge), PAPER_EDGE)
    cv.fill(body, vgrad(y0, y1, WHITE, (232, 238, 246)))
    corner = polygon([(x1 - fold, y0), (x1, y0 + fold), (x1 - fold, y0 + fold)])
    cv.fill(grow(corner, 0.5), PAPER_EDGE)
    cv.fill(corner, (206, 214, 228))


def document(cv):
    page(cv, 6, 2.5, 26, 29.5)
    for i, y in enumerate((10, 13, 16, 19, 22, 25)):
        cv.fill(capsule(9.5, y, 22.5 if i % 3 != 2 else 17, y, 0.55), INK)


def pencil_icon(cv):
    d = 1 / math.sqrt(2)
    k = cv.k
    pencil(cv, (4.5 * k, 27.5 * k), (d, -d), 32 * k, 4.2 * k, (90, 70, 40))


def clipboard(cv):
    board = rrect(5, 4, 27, 30, 2)
    cv.part(board, (186, 132, 80), (100, 64, 30), top=(220, 176, 120))
    cv.fill(box(8, 8, 24, 27.5), WHITE)
    for y in (14, 17.5, 21, 24.5):
        cv.fill(capsule(10.5, y, 21.5, y, 0.5), INK)
    cv.fill(stroke([(10.4, 11), (11.4, 12), (13.2, 9.8)], 0.9), (60, 170, 80))
    clip = rrect(10.5, 2, 21.5, 8.5, 1.6)
    cv.part(clip, SILVER, GREY, top=WHITE)
    cv.fill(rrect(14, 3.3, 18, 4.8, 0.7), (80, 88, 100))


def calendar(cv):
    body = rrect(4, 5, 28, 29.5, 2)
    cv.fill(grow(body, cv.edge), PAPER_EDGE)
    cv.fill(body, WHITE)
    cv.fill(intersect(body, box(4, 5, 28, 12)), vgrad(5, 12, (250, 110, 100), (214, 50, 50)))
    for x in (10.5, 21.5):
        cv.fill(capsule(x, 2.8, x, 8.4, 1.3), (80, 88, 100))
        cv.fill(capsule(x, 3.2, x, 8.0, 0.55), SILVER)
    for j in range(4):
        for i in range(5):
            x, y = 6.4 + i * 4.0, 14 + j * 3.7
            colour = (232, 70, 60) if (i, j) == (3, 2) else (196, 206, 222)
            cv.fill(rrect(x, y, x + 3.0, y + 2.7, 0.5), colour)


def envelope(cv):
    body = rrect(2.5, 7, 29.5, 25.5, 1.5)
    cv.part(body, (244, 238, 222), (140, 124, 96), top=WHITE)
    cv.fill(stroke([(3.3, 24.6), (13, 16.6)], 0.8), (176, 160, 130))
    cv.fill(stroke([(28.7, 24.6), (19, 16.6)], 0.8), (176, 160, 130))
    flap = polygon([(3, 7.6), (29, 7.6), (16, 18.8)])
    cv.fill(grow(flap, 0.6), (140, 124, 96))
    cv.fill(flap, vgrad(7.6, 18.8, (236, 228, 208), (222, 210, 184)))
    cv.ball(16, 17.4, 2.6, (200, 40, 40))


def clock(cv):
    face = circle(16, 16, 13.5)
    cv.fill(grow(face, cv.edge), (30, 50, 100))
    cv.fill(face, vgrad(2.5, 29.5, (80, 130, 220), (40, 80, 170)))
    inner = circle(16, 16, 11.2)
    cv.fill(inner, radial(13, 12, 16, WHITE, (220, 228, 240)))
    for i in range(12):
        a = math.radians(i * 30)
        r0 = 8.2 if i % 3 == 0 else 9.2
        cv.fill(capsule(16 + r0 * math.cos(a), 16 + r0 * math.sin(a),
                        16 + 10.2 * math.cos(a), 16 + 10.2 * math.sin(a), 0.5 if i % 3 == 0 else 0.35),
                (60, 70, 90))
    cv.fill(capsule(16, 16, 16, 8, 0.9), (30, 36, 50))
    cv.fill(capsule(16, 16, 21.5, 18.5, 0.9), (30, 36, 50))
    cv.fill(capsule(16, 16, 11, 22.5, 0.35), (220, 50, 50))
    cv.fill(circle(16, 16, 1.4), (220, 50, 50))


def sticky_note(cv):
    pts = rotated([(5, 5), (27, 5), (27, 22), (21, 28), (5, 28)], 16, 16, -6)
    note = polygon(pts)
    cv.part(note, (255, 226, 90), (170, 130, 20), top=(255, 244, 170))
    curl = polygon(rotated([(27, 22), (21, 28), (21.6, 22.6)], 16, 16, -6))
    cv.fill(curl, (226, 190, 60))
    for y in (12, 15.5, 19):
        a, b = rotated([(8.5, y), (23.5 if y < 19 else 18, y)], 16, 16, -6)
        cv.fill(capsule(a[0], a[1], b[0], b[1], 0.5), (190, 150, 60))
    cv.ball(15.5, 5.4, 2.6, (60, 130, 230))


def scissors(cv):
    blade = SILVER
    b1 = polygon([(12.5, 18.5), (25.5, 2.5), (27, 4), (15.5, 20.5)])
    b2 = polygon([(19.5, 18.5), (6.5, 2.5), (5, 4), (16.5, 20.5)])
    cv.part(b2, blade, GREY, top=WHITE)
    cv.part(b1, blade, GREY, top=WHITE)
    red = (220, 60, 60)
    for cx in (10, 22):
        r = subtract(circle(cx, 24.5, 5), circle(cx, 24.5, 2.7))
        cv.part(r, red, (110, 26, 26))
    cv.fill(circle(16, 17, 1.2), (80, 88, 100))


def binder(cv):
    blue = (52, 110, 200)
    cv.part(rrect(7, 2, 25, 30, 1.8), blue, (24, 52, 110))
    cv.fill(box(7.6, 2.6, 9.6, 29.4), dark(blue, 0.8))
    label = rrect(11, 5.5, 23, 16, 0.6)
    cv.part(label, WHITE, (24, 52, 110))
    for y in (8.5, 11, 13.5):
        cv.fill(capsule(13, y, 21, y, 0.45), (120, 130, 150))
    cv.fill(circle(17, 22.5, 3), (24, 52, 110))
    cv.fill(circle(17, 22.5, 2.1), (236, 240, 246))


def book(cv):
    green = (46, 150, 100)
    cv.part(polygon([(7, 25), (26, 25), (26, 29.5), (9, 29.5), (7, 27.5)]), WHITE, (90, 100, 116))
    for y in (26.6, 28.0):
        cv.fill(capsule(9.5, y, 25, y, 0.3), (190, 198, 210))
    cover = rrect(5.5, 2.5, 26, 25.5, 1.5)
    cv.part(cover, green, (20, 80, 50), top=(110, 200, 150))
    cv.fill(box(5.5, 2.5, 9, 25.5), (30, 110, 70), 0.8, clip=cover)
    cv.fill(rrect(12, 7, 23, 12.5, 0.6), (250, 236, 180))
    cv.fill(capsule(13.8, 9.8, 21.2, 9.8, 0.45), (150, 120, 60))


def calculator(cv):
    body = rrect(6, 2, 26, 30, 2.5)
    cv.part(body, (70, 76, 90), (36, 40, 50), top=(130, 138, 152))
    cv.fill(rrect(8.5, 4.5, 23.5, 10.5, 0.8), vgrad(4.5, 10.5, (200, 226, 190), (160, 196, 150)))
    cv.fill(capsule(14, 8.2, 21.5, 8.2, 0.6), (50, 70, 50))
    for j in range(4):
        for i in range(4):
            x, y = 8.5 + i * 3.9, 12.8 + j * 4.1
            colour = (250, 150, 50) if i == 3 else (226, 230, 238)
            cv.fill(rrect(x, y, x + 3.0, y + 3.1, 0.7), colour)


def paperclip(cv):
    pts = ([(19, 9), (19, 23.5)] + arc(16, 23.5, 3, 3, 0, -180, 10)[1:] + [(13, 6.5)] +
           arc(17.5, 6.5, 4.5, 4.5, 180, 0, 12)[1:] + [(22, 25)] + arc(16, 25, 6, 5.2, 0, -180, 12)[1:] +
           [(10, 12)])
    wire = stroke(rotated(pts, 16, 16, 28), 1.9)
    cv.fill(grow(wire, 0.8 if not cv.small else 1.0), (60, 80, 120))
    cv.fill(wire, (190, 206, 230))


def key(cv):
    gold = (232, 180, 50)
    bow = subtract(circle(9, 9, 6.8), circle(7.8, 7.8, 2.2))
    parts = [rotated(p, 9, 9, 45) for p in (
        [(14, 7.6), (29, 7.6), (29, 10.4), (14, 10.4)],
        [(22, 10), (24.5, 10), (24.5, 14.5), (22, 14.5)],
        [(26.2, 10), (28.8, 10), (28.8, 13.2), (26.2, 13.2)])]
    shape = union(bow, *[polygon(p) for p in parts])
    cv.part(shape, gold, (130, 90, 10), top=(255, 236, 160))


def chart(cv):
    cv.fill(union(capsule(4, 3, 4, 28, 0.7), capsule(4, 28, 29, 28, 0.7)), (70, 78, 96))
    for i, (h, colour) in enumerate(((9, (80, 150, 230)), (15, (90, 190, 100)), (11, (250, 170, 50)),
                                      (21, (230, 80, 80)))):
        x = 7 + i * 5.6
        cv.part(box(x, 27 - h, x + 4, 27), colour, dark(colour, 0.55), top=light(colour, 0.45))


def wastebasket(cv):
    bin_ = polygon([(6, 8), (26, 8), (23.5, 29), (8.5, 29)])
    cv.part(bin_, (150, 160, 176), (70, 78, 96), top=(214, 220, 230))
    for x0, x1 in ((10.5, 11.8), (15.5, 16), (21.5, 20.2)):
        cv.fill(capsule(x0, 11, x1, 26, 0.55), (100, 110, 126))
    cv.part(rrect(4, 5, 28, 9, 1.8), (170, 180, 196), (70, 78, 96), top=(230, 236, 244))
    cv.fill(polygon([(12, 5), (14, 1.8), (19, 2.6), (20, 5)]), WHITE)
    cv.fill(stroke([(12, 5), (14, 1.8), (19, 2.6), (20, 5)], 0.7), PAPER_EDGE)


def padlock(cv):
    cv.part(ring(rrect(9, 2.5, 23, 19, 7), 2.8), SILVER, GREY, top=WHITE)
    body = rrect(5.5, 13.5, 26.5, 29.5, 2.5)
    cv.part(body, (232, 180, 50), (130, 90, 10), top=(255, 232, 150))
    cv.fill(union(circle(16, 20.2, 2.3), polygon([(14.8, 21), (17.2, 21), (17.8, 25.8), (14.2, 25.8)])),
            (90, 60, 10))


# ---------------------------------------------------------------------------------------------
# The catalogue.

def folder_icon(colour, sign=None):
    return lambda cv: folder(cv, colour, sign)


CATALOG = [
    ('Ordner', [
        ('Farben', [(name, folder_icon(colour)) for name, colour in FOLDER_COLOURS]),
        ('Besondere', [(name, folder_icon(FOLDER_YELLOW, sign)) for name, sign in FOLDER_SIGNS]),
    ]),
    ('Geraete', [
        ('Computer', [('Monitor', monitor), ('Notebook', notebook), ('Drucker', printer),
                      ('Diskette', floppy), ('CD', disc), ('Festplatte', harddisk),
                      ('Tastatur', keyboard), ('Maus', mouse), ('USB-Stick', usb_stick),
                      ('Server', server)]),
        ('Medien', [('Handy', smartphone), ('Telefon', telephone), ('Kamera', camera),
                    ('Lautsprecher', speaker), ('Kopfhoerer', headphones), ('Mikrofon', microphone),
                    ('Fernseher', television), ('Radio', radio), ('Spielkonsole', gamepad)]),
    ]),
    ('Symbole', [
        ('Formen', [('Kreis', shape_icon(lambda: circle(16, 16, 13), (250, 126, 50))),
                    ('Quadrat', shape_icon(lambda: rrect(4, 4, 28, 28, 3), (70, 130, 230))),
                    ('Dreieck', shape_icon(lambda: grow(polygon([(16, 4.5), (28, 26.5), (4, 26.5)]), 1.2),
                                           (76, 178, 80))),
                    ('Stern', shape_icon(lambda: star(16, 17, 14, 6), (255, 198, 40))),
                    ('Herz', shape_icon(lambda: heart(16, 13, 7.2), (232, 52, 84))),
                    ('Raute', shape_icon(lambda: grow(polygon([(16, 3), (28, 16), (16, 29), (4, 16)]), 0.8),
                                         (40, 186, 210))),
                    ('Sechseck', shape_icon(lambda: regular(16, 16, 14, 6, 0), (150, 92, 212))),
                    ('Wuerfel', dice), ('Kugel', sphere)]),
        ('Zeichen', [('Haken', sign_disc((60, 176, 70), glyph_check)),
                     ('Kreuz', sign_disc((222, 56, 56), glyph_cross)),
                     ('Warnung', warning),
                     ('Info', sign_disc((50, 120, 220), glyph_info)),
                     ('Frage', sign_disc((130, 90, 210), glyph_question)),
                     ('Plus', plus_sign), ('Minus', minus_sign),
                     ('Pfeil-Rechts', arrow(0, (50, 120, 220))), ('Pfeil-Oben', arrow(-90, (240, 140, 40))),
                     ('Aktualisieren', refresh), ('Verboten', forbidden)]),
    ]),
    ('Natur', [
        ('Wetter', [('Sonne', sun), ('Mond', moon), ('Wolke', cloud_icon), ('Regen', rain),
                    ('Schnee', snowflake), ('Gewitter', thunderstorm), ('Regenbogen', rainbow),
                    ('Sonne-Wolke', sun_cloud)]),
        ('Pflanzen', [('Blatt', leaf), ('Baum', tree), ('Tanne', fir), ('Blume', flower),
                      ('Tropfen', water_drop), ('Pilz', mushroom), ('Kaktus', cactus), ('Apfel', apple)]),
    ]),
    ('Buero', [
        ('Schreibtisch', [('Dokument', document), ('Bleistift', pencil_icon), ('Klemmbrett', clipboard),
                          ('Kalender', calendar), ('Brief', envelope), ('Uhr', clock),
                          ('Notiz', sticky_note), ('Schere', scissors)]),
        ('Ablage', [('Aktenordner', binder), ('Buch', book), ('Rechner', calculator),
                    ('Bueroklammer', paperclip), ('Schluessel', key), ('Diagramm', chart),
                    ('Papierkorb', wastebasket), ('Schloss', padlock)]),
    ]),
]

# The 16-bit libraries: (file in the catalogue, sub-folders whose icons it holds, named groups).
NE_LIBRARIES = [
    ('Natur/Natur.icl', ['Natur/Wetter', 'Natur/Pflanzen'], True),
    ('Symbole/Symbole.nil', ['Symbole/Formen', 'Symbole/Zeichen'], False),
]
# The resource-only library the build links from the script written by --rc; it goes to the
# category folder of its name.
DLL_NAME = 'Buero'
DLL_FOLDERS = ['Buero/Schreibtisch', 'Buero/Ablage', 'Geraete/Computer']
SMALL_COUNT = 2   # icons per sub-folder with --small


def selected(small):
    """The catalogue as {'Category/Sub': [(name, draw)]}, in order."""
    out = {}
    for category, subs in CATALOG:
        for sub, icons in subs:
            out[category + '/' + sub] = icons[:SMALL_COUNT] if small else list(icons)
    return out


# ---------------------------------------------------------------------------------------------
# Rendering and file formats.

def icon_rows(cv):
    """Rows of colours (None = transparent): half-covered edge pixels blend towards LIGHT."""
    rows = []
    for y in range(cv.h):
        row = []
        for x in range(cv.w):
            a = cv.alpha(x, y)
            if a < 0.5:
                row.append(None)
                continue
            c = mix(LIGHT, cv.get(x, y), a) if a < 0.999 else cv.get(x, y)
            row.append(tuple(int(clamp(round(v), 0, 255)) for v in c))
        rows.append(row)
    return rows


_RENDERED = {}


def render(name, draw):
    """{size: rows} of one icon, drawn once per run."""
    if name not in _RENDERED:
        images = {}
        for size in (32, 16):
            cv = IconCanvas(size)
            draw(cv)
            images[size] = icon_rows(cv)
        _RENDERED[name] = images
    return _RENDERED[name]


def icon_file(images):
    return ico_bytes([(32, images[32]), (16, images[16])])


def ico_images(data):
    """The images of an icon file as (size, bytes), in directory order."""
    count = struct.unpack_from('<H', data, 4)[0]
    out = []
    for i in range(count):
        width, _, _, _, _, _, length, offset = struct.unpack_from('<BBBBHHII', data, 6 + 16 * i)
        out.append((width or 256, data[offset:offset + length]))
    return out


def pascal(text):
    raw = text.encode('ascii')
    return bytes((len(raw),)) + raw


def dos_stub(message):
    """An MZ header and a real-mode program that prints `message` and quits."""
    code = bytes((0x0E, 0x1F, 0xBA, 0x0E, 0x00, 0xB4, 0x09, 0xCD, 0x21, 0xB8, 0x01, 0x4C, 0xCD, 0x21))
    body = code + message.encode('ascii') + b'\r\n$'
    size = (64 + len(body) + 15) & ~15
    header = struct.pack('<2s13H', b'MZ', size % 512, (size + 511) // 512, 0, 4, 0x10, 0xFFFF, 0, 0xB8,
                         0, 0, 0, 0x40, 0)
    header += bytes(0x3C - len(header)) + struct.pack('<I', size)
    return (header + body).ljust(size, b'\0')


NE_SHIFT = 4                  # resource offsets and lengths count 16-byte units
NE_RESOURCE_FLAGS = 0x1030    # movable, pure, discardable


def ne_library(module, description, icons, named):
    """A 16-bit icon library: icons are (name, [(size, image bytes)]); the groups are named after
    the icons (upper case) or numbered from 1, the images numbered from 1 in order."""
    images, groups = [], []
    for name, imgs in icons:
        directory = struct.pack('<HHH', 0, 1, len(imgs))
        for size, blob in imgs:
            images.append(blob)
            directory += struct.pack('<BBBBHHIH', size % 256, size % 256, 0, 0, 1, 24, len(blob), len(images))
        groups.append((name.upper() if named else None, directory))

    types = [(0x8003, [(None, blob) for blob in images]), (0x800E, groups)]
    table_size = 2 + sum(8 + 12 * len(entries) for _, entries in types) + 2
    names = b''.join(pascal(n) for n, _ in groups if n is not None) + b'\0'
    resident = pascal(module.upper()) + struct.pack('<H', 0) + b'\0'
    imported = b'\0'
    entries = b'\0\0'
    nonresident = pascal(description) + struct.pack('<H', 0) + b'\0'

    stub = dos_stub('Diese Datei ist eine Symbolbibliothek.')
    ne = len(stub)
    rsrc = 0x40
    restab = rsrc + table_size + len(names)
    modtab = restab + len(resident)
    imptab = modtab
    enttab = imptab + len(imported)
    nrestab = ne + enttab + len(entries)
    data_at = (nrestab + len(nonresident) + 15) & ~15

    table = struct.pack('<H', NE_SHIFT)
    blobs = bytearray()
    at = data_at
    name_at = table_size
    for type_id, items in types:
        table += struct.pack('<HHI', type_id, len(items), 0)
        for i, (name, blob) in enumerate(items):
            if name is not None:
                rid = name_at
                name_at += 1 + len(name)
            else:
                rid = 0x8000 | (i + 1)
            units = (len(blob) + 15) >> NE_SHIFT
            table += struct.pack('<HHHHI', at >> NE_SHIFT, units, NE_RESOURCE_FLAGS, rid, 0)
            blobs += blob.ljust(units << NE_SHIFT, b'\0')
            at += units << NE_SHIFT
    table += struct.pack('<H', 0) + names
    assert len(table) == table_size + len(names) and at < (0x10000 << NE_SHIFT)

    header = struct.pack('<2sBBHHIHHHHIIHHHHHHHHIHHHBBHHHH',
                         b'NE', 5, 10, enttab, len(entries), 0, 0x8000, 0, 0, 0, 0, 0, 0, 0,
                         len(nonresident), rsrc, rsrc, restab, modtab, imptab, nrestab, 0, NE_SHIFT,
                         0, 2, 0, 0, 0, 0, 0x030A)
    assert len(header) == 0x40
    out = stub + header + table + resident + imported + entries + nonresident
    return out.ljust(data_at, b'\0') + bytes(blobs)


# ---------------------------------------------------------------------------------------------
# Writing.

class Writer:
    """Writes files and remembers them, so that stale icons of an earlier run can be removed."""

    def __init__(self):
        self.written = set()

    def write(self, path, data):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        old = None
        if os.path.exists(path):
            with open(path, 'rb') as f:
                old = f.read()
        if old != data:   # unchanged files keep their time: the build relinks only on change
            with open(path, 'wb') as f:
                f.write(data)
        self.written.add(os.path.normcase(os.path.abspath(path)))

    def prune(self, folder, extensions):
        for base, _, files in os.walk(folder):
            for name in files:
                path = os.path.normcase(os.path.abspath(os.path.join(base, name)))
                if name.lower().endswith(extensions) and path not in self.written:
                    os.remove(path)


def write_catalog(out, small, rc_dir):
    chosen = selected(small)
    writer = Writer()
    files = {}
    for key, icons in chosen.items():
        for name, draw in icons:
            data = icon_file(render(name, draw))
            files[name] = data
            writer.write(os.path.join(out, *key.split('/'), name + '.ico'), data)
    for path, keys, named in NE_LIBRARIES:
        icons = [(name, ico_images(files[name])) for key in keys for name, _ in chosen[key]]
        stem = os.path.splitext(os.path.basename(path))[0]
        writer.write(os.path.join(out, *path.split('/')),
                     ne_library(stem, 'Quillandora-Symbole: ' + stem, icons, named))
    os.makedirs(os.path.join(out, OWN_ICONS), exist_ok=True)
    for category, _ in CATALOG:
        writer.prune(os.path.join(out, category), WRITTEN_EXTENSIONS)

    if rc_dir:
        rc_writer = Writer()
        lines = ['// The icon groups of the demo library %s.dll, numbered in gallery order.' % DLL_NAME,
                 'LANGUAGE 0, 0', '']
        number = 0
        for key in DLL_FOLDERS:
            for name, _ in chosen[key]:
                number += 1
                rc_writer.write(os.path.join(rc_dir, name + '.ico'), files[name])
                lines.append('%d ICON "%s.ico"' % (number, name))
        rc_writer.write(os.path.join(rc_dir, DLL_NAME + '.rc'), ('\n'.join(lines) + '\n').encode('ascii'))
        rc_writer.prune(rc_dir, ('.ico',))


def hue_turn(rows, degrees, bright):
    """A colour variant of an icon: the hue turned about the grey axis, the brightness scaled."""
    a = math.radians(degrees)
    c, s = math.cos(a), math.sin(a)
    t = (1 - c) / 3.0
    r3 = math.sqrt(1 / 3.0) * s
    m = [(c + t, t - r3, t + r3), (t + r3, c + t, t - r3), (t - r3, t + r3, c + t)]
    out = []
    for row in rows:
        new = []
        for px in row:
            if px is None:
                new.append(None)
                continue
            new.append(tuple(int(clamp(round((m[i][0] * px[0] + m[i][1] * px[1] + m[i][2] * px[2]) * bright),
                                       0, 255)) for i in range(3)))
        out.append(new)
    return out


def write_bulk(out, count):
    """`count` icon files for load tests: a few drawings in ever new colours, all different."""
    chosen = selected(False)
    bases = [icons[0] for icons in chosen.values()]
    writer = Writer()
    for i in range(count):
        name, draw = bases[i % len(bases)]
        images = render(name, draw)
        turn, bright = (i // len(bases)) * 37 % 360, 1.0 - 0.05 * ((i // len(bases)) % 4)
        varied = {size: hue_turn(rows, turn, bright) for size, rows in images.items()}
        writer.write(os.path.join(out, 'Symbol%04d.ico' % (i + 1)), icon_file(varied))


# ---------------------------------------------------------------------------------------------
# The contact sheet: every icon at 2x, 1x and 16x16 on the gallery's light background.

def write_sheet(path):
    chosen = selected(False)
    cols, cell_w, cell_h, head = 10, 112, 92, 22
    rows_needed = sum(head + ((len(icons) + cols - 1) // cols) * cell_h for icons in chosen.values())
    w, h = 16 + cols * cell_w, 16 + rows_needed
    bg = (250, 251, 253)
    px = bytearray(bytes(bg) * (w * h))
    labels = []

    def put(x, y, c):
        i = (y * w + x) * 3
        px[i:i + 3] = bytes(c)

    def blit(rows, x0, y0, zoom):
        for y, row in enumerate(rows):
            for x, c in enumerate(row):
                if c is None:
                    continue
                for yy in range(zoom):
                    for xx in range(zoom):
                        put(x0 + x * zoom + xx, y0 + y * zoom + yy, c)

    y = 8
    for key, icons in chosen.items():
        labels.append((12, y + 15, key.replace('/', ' \\\\ '), 13))
        for x in range(8, w - 8):
            put(x, y + head - 3, (200, 208, 220))
        y += head
        for i, (name, draw) in enumerate(icons):
            images = render(name, draw)
            cx, cy = 8 + (i % cols) * cell_w, y + (i // cols) * cell_h
            blit(images[32], cx + 4, cy + 4, 2)
            blit(images[32], cx + 74, cy + 4, 1)
            blit(images[16], cx + 74, cy + 42, 1)
            labels.append((cx + 4, cy + 84, name, 11))
        y += ((len(icons) + cols - 1) // cols) * cell_h

    ppm = os.path.splitext(path)[0] + '.ppm'
    os.makedirs(os.path.dirname(os.path.abspath(ppm)), exist_ok=True)
    with open(ppm, 'wb') as f:
        f.write(b'P6\n%d %d\n255\n' % (w, h) + bytes(px))
    if path.lower().endswith('.ppm'):
        return
    cmd = ['convert', ppm, '-fill', '#20283a', '-font', 'DejaVu-Sans']
    for x, y0, text, size in labels:
        cmd += ['-pointsize', str(size), '-annotate', '+%d+%d' % (x, y0), text]
    try:
        subprocess.run(cmd + [path], check=True)
    except (OSError, subprocess.CalledProcessError):
        sys.exit('ImageMagick could not write %s; the sheet is in %s' % (path, ppm))
    os.remove(ppm)


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument('--out', help='the program folder to write the catalogue (or --bulk files) into')
    ap.add_argument('--small', action='store_true',
                    help='%d icons per sub-folder, for fast tests' % SMALL_COUNT)
    ap.add_argument('--rc', help="folder for the resource script and icons of %s.dll" % DLL_NAME)
    ap.add_argument('--bulk', type=int, metavar='N', help='write N icon files into --out instead')
    ap.add_argument('--sheet', metavar='FILE', help='write a contact sheet (.png needs ImageMagick, or .ppm)')
    args = ap.parse_args()
    if not (args.out or args.sheet):
        ap.error('nothing to do: give --out or --sheet')
    if args.out:
        if args.bulk is not None:
            write_bulk(args.out, args.bulk)
        else:
            write_catalog(args.out, args.small, args.rc)
    if args.sheet:
        write_sheet(args.sheet)


if __name__ == '__main__':
    main()
