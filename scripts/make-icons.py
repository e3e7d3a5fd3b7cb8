#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws Tessaly's artwork into data/icons/: the program icon (PNG sizes and SVG), the five toolbar
pictures (55 x 24, with @2x versions). The up and down buttons draw the style's own arrows.

Run from the repository root with Debian's python3-pil: /usr/bin/python3 scripts/make-icons.py
"""
import os
from PIL import Image, ImageDraw, ImageFont

OUT = "data/icons"
SUPER = 8  # drawn this much larger, then reduced, for smooth edges

# The program icon: a rounded tile holding a 2 x 2 quilt of squares, each split into two triangles.
BACK = "#1d3c4f"
TRIANGLES = [
    # (square column, row, which half, colour)
    (0, 0, "upper", "#f2b134"), (0, 0, "lower", "#ed553b"),
    (1, 0, "upper", "#3caea3"), (1, 0, "lower", "#f6e7c1"),
    (0, 1, "upper", "#3caea3"), (0, 1, "lower", "#f6e7c1"),
    (1, 1, "upper", "#f2b134"), (1, 1, "lower", "#ed553b"),
]
ICON = 256.0
RADIUS = 44.0
MARGIN = 36.0
GAP = 8.0


def triangle_points(col, row, half):
    cell = (ICON - 2 * MARGIN - GAP) / 2
    x0 = MARGIN + col * (cell + GAP)
    y0 = MARGIN + row * (cell + GAP)
    x1, y1 = x0 + cell, y0 + cell
    # Alternate the diagonal so the four squares form a pinwheel.
    if (col + row) % 2 == 0:
        return [(x0, y0), (x1, y0), (x0, y1)] if half == "upper" else [(x1, y0), (x1, y1), (x0, y1)]
    return [(x0, y0), (x1, y0), (x1, y1)] if half == "upper" else [(x0, y0), (x1, y1), (x0, y1)]


def write_svg(path):
    parts = [
        '<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">',
        "  <title>Tessaly</title>",
        f'  <rect x="8" y="8" width="240" height="240" rx="{RADIUS:g}" ry="{RADIUS:g}" fill="{BACK}"/>',
    ]
    for col, row, half, colour in TRIANGLES:
        pts = " ".join(f"{x:g},{y:g}" for x, y in triangle_points(col, row, half))
        parts.append(f'  <polygon points="{pts}" fill="{colour}"/>')
    parts.append("</svg>")
    with open(path, "w") as f:
        f.write("\n".join(parts) + "\n")


def program_icon(size):
    s = size * SUPER
    k = s / ICON
    img = Image.new("RGBA", (s, s), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    d.rounded_rectangle([8 * k, 8 * k, 248 * k, 248 * k], radius=RADIUS * k, fill=BACK)
    for col, row, half, colour in TRIANGLES:
        d.polygon([(x * k, y * k) for x, y in triangle_points(col, row, half)], fill=colour)
    return img.resize((size, size), Image.LANCZOS)


INK = (40, 52, 64, 255)
ACCENT = (32, 99, 155, 255)
WARM = (237, 85, 59, 255)


def toolbar_picture(name, scale):
    w, h = 55 * scale * SUPER, 24 * scale * SUPER
    u = scale * SUPER  # one picture pixel
    img = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    cx, cy = w / 2, h / 2
    if name == "timer":
        r = 9.5 * u
        d.ellipse([cx - r, cy - r, cx + r, cy + r], fill=(255, 255, 255, 255), outline=INK, width=int(1.6 * u))
        for i in range(12):
            import math
            a = math.radians(i * 30)
            d.line([cx + 7.2 * u * math.sin(a), cy - 7.2 * u * math.cos(a),
                    cx + 8.4 * u * math.sin(a), cy - 8.4 * u * math.cos(a)], fill=INK, width=int(0.9 * u))
        d.line([cx, cy, cx, cy - 6.5 * u], fill=INK, width=int(1.5 * u))
        d.line([cx, cy, cx + 4.5 * u, cy + 2 * u], fill=WARM, width=int(1.5 * u))
    elif name == "display":
        d.rounded_rectangle([cx - 11 * u, cy - 9.5 * u, cx + 11 * u, cy + 5.5 * u], radius=1.5 * u,
                            fill=INK)
        d.rectangle([cx - 9.5 * u, cy - 8 * u, cx + 9.5 * u, cy + 4 * u], fill=(120, 190, 230, 255))
        d.polygon([(cx - 9.5 * u, cy + 4 * u), (cx - 3 * u, cy - 3 * u), (cx + 1 * u, cy + 1 * u),
                   (cx + 4 * u, cy - 1.5 * u), (cx + 9.5 * u, cy + 4 * u)], fill=(60, 150, 90, 255))
        d.ellipse([cx + 4 * u, cy - 7 * u, cx + 7 * u, cy - 4 * u], fill=(246, 213, 92, 255))
        d.rectangle([cx - 1.5 * u, cy + 5.5 * u, cx + 1.5 * u, cy + 8 * u], fill=INK)
        d.rectangle([cx - 6 * u, cy + 8 * u, cx + 6 * u, cy + 9.5 * u], fill=INK)
    elif name == "mode":
        # Two crossing arrows: the list order or a shuffle.
        lw = int(1.8 * u)
        d.line([cx - 11 * u, cy - 5 * u, cx - 4 * u, cy - 5 * u, cx + 4 * u, cy + 5 * u, cx + 8 * u, cy + 5 * u],
               fill=ACCENT, width=lw, joint="curve")
        d.line([cx - 11 * u, cy + 5 * u, cx - 4 * u, cy + 5 * u, cx + 4 * u, cy - 5 * u, cx + 8 * u, cy - 5 * u],
               fill=WARM, width=lw, joint="curve")
        for y, colour in ((cy + 5 * u, ACCENT), (cy - 5 * u, WARM)):
            d.polygon([(cx + 7 * u, y - 4 * u), (cx + 12 * u, y), (cx + 7 * u, y + 4 * u)], fill=colour)
    elif name == "caption":
        font = ImageFont.truetype("/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf", int(17 * u))
        d.text((cx, cy - 1 * u), "Aa", font=font, fill=INK, anchor="mm")
        d.line([cx - 11 * u, cy + 9.5 * u, cx + 11 * u, cy + 9.5 * u], fill=WARM, width=int(1.5 * u))
    elif name == "multiple":
        for i, shade in enumerate(((200, 200, 200, 255), (225, 225, 225, 255), (255, 255, 255, 255))):
            x0 = cx - 11 * u + i * 3.5 * u
            y0 = cy - 9.5 * u + i * 3 * u
            d.rectangle([x0, y0, x0 + 15 * u, y0 + 12.5 * u], fill=shade, outline=INK, width=int(1.1 * u))
        x0, y0 = cx - 4 * u, cy - 3.5 * u
        d.polygon([(x0 + 1.5 * u, y0 + 11 * u), (x0 + 6 * u, y0 + 5 * u), (x0 + 9 * u, y0 + 8.5 * u),
                   (x0 + 11 * u, y0 + 6.5 * u), (x0 + 13.5 * u, y0 + 11 * u)], fill=(60, 150, 90, 255))
        d.ellipse([x0 + 9.5 * u, y0 + 1.5 * u, x0 + 12 * u, y0 + 4 * u], fill=WARM)
    return img.resize((55 * scale, 24 * scale), Image.LANCZOS)


def main():
    os.makedirs(OUT, exist_ok=True)
    write_svg(os.path.join(OUT, "tessaly.svg"))
    for size in (16, 22, 24, 32, 48, 64, 128, 256):
        program_icon(size).save(os.path.join(OUT, f"tessaly-{size}.png"), optimize=True)
    for name in ("timer", "display", "mode", "caption", "multiple"):
        toolbar_picture(name, 1).save(os.path.join(OUT, f"toolbar-{name}.png"), optimize=True)
        toolbar_picture(name, 2).save(os.path.join(OUT, f"toolbar-{name}@2x.png"), optimize=True)


if __name__ == "__main__":
    main()
