#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws the pictures shipped in data/: two tessellations and the picture shown for a broken entry.

Run from the repository root with Debian's python3-pil: /usr/bin/python3 scripts/make-sample-pictures.py
"""
import math
from PIL import Image, ImageDraw

W, H = 800, 600


def lerp(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def triangles(path, top, bottom, line):
    img = Image.new("RGB", (W, H))
    d = ImageDraw.Draw(img)
    side = 80
    h = side * math.sqrt(3) / 2
    rows = int(H / h) + 2
    for r in range(rows):
        y0, y1 = r * h, (r + 1) * h
        for c in range(-1, int(W / side) * 2 + 3):
            x = c * side / 2 - (side / 2 if r % 2 else 0)
            up = c % 2 == 0
            pts = [(x, y1), (x + side / 2, y0), (x + side, y1)] if up else [(x, y0), (x + side / 2, y1), (x + side, y0)]
            t = min(1.0, max(0.0, (y0 / H) * 0.8 + (0.2 if up else 0.0) + (c % 5) * 0.02))
            d.polygon(pts, fill=lerp(top, bottom, t), outline=line)
    img.convert("P", palette=Image.ADAPTIVE, colors=64).save(path)


def hexagons(path, inner, outer, line):
    img = Image.new("RGB", (W, H))
    d = ImageDraw.Draw(img)
    rad = 46
    dx, dy = rad * math.sqrt(3), rad * 1.5
    cx0, cy0 = W / 2, H / 2
    for r in range(-1, int(H / dy) + 2):
        for c in range(-1, int(W / dx) + 2):
            x = c * dx + (dx / 2 if r % 2 else 0)
            y = r * dy
            dist = min(1.0, math.hypot(x - cx0, y - cy0) / math.hypot(cx0, cy0))
            pts = [(x + rad * math.cos(math.radians(60 * k + 30)), y + rad * math.sin(math.radians(60 * k + 30)))
                   for k in range(6)]
            d.polygon(pts, fill=lerp(inner, outer, dist), outline=line)
    img.convert("P", palette=Image.ADAPTIVE, colors=64).save(path)


def broken(path):
    img = Image.new("RGB", (W, H), (60, 60, 66))
    d = ImageDraw.Draw(img)
    # A picture frame torn in two: what the program shows when a picture cannot be read.
    d.rectangle([250, 170, 550, 430], outline=(220, 220, 220), width=10)
    d.polygon([(265, 415), (350, 300), (400, 360), (440, 320), (535, 415)], fill=(140, 140, 150))
    d.ellipse([455, 200, 505, 250], fill=(200, 200, 200))
    d.line([(380, 160), (420, 230), (385, 300), (430, 370), (395, 440)], fill=(60, 60, 66), width=18)
    img.convert("P", palette=Image.ADAPTIVE, colors=16).save(path, "BMP")


triangles("data/image1.gif", (38, 84, 124), (239, 71, 111), (20, 30, 48))
hexagons("data/image2.gif", (255, 209, 102), (6, 214, 160), (17, 59, 71))
broken("data/badimage.bmp")
