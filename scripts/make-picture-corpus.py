#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the picture loader's seed corpus (tests/fuzz/pictures/): one tiny picture of each format Qt reads
here, the same cut short, and hostile JPEGs: one repeating its last scan thousands of times, and ones whose
header claims 20000 x 20000 or 65500 x 65500 pixels over a few hundred bytes. Needs python3-pil.

    scripts/make-picture-corpus.py [folder]
"""
import io
import struct
import sys
import zlib
from pathlib import Path

from PIL import Image, ImageDraw


def picture(mode="RGB", size=(24, 16)):
    """Quadrants under a diagonal, so that orientation, channels and scaling all show."""
    image = Image.new("RGB", size, (255, 0, 0))
    draw = ImageDraw.Draw(image)
    w, h = size
    draw.rectangle((w // 2, 0, w, h // 2), fill=(0, 0, 255))
    draw.rectangle((0, h // 2, w // 2, h), fill=(0, 255, 0))
    draw.rectangle((w // 2, h // 2, w, h), fill=(255, 255, 0))
    draw.line((0, 0, w, h), fill=(255, 255, 255))
    return image.convert(mode)


def saved(image, fmt, **options):
    out = io.BytesIO()
    image.save(out, fmt, **options)
    return out.getvalue()


def claim_jpeg(data, width, height):
    """The JPEG with its frame header saying another size; the scans are left as they are."""
    for sof in (b"\xff\xc0", b"\xff\xc2"):
        at = data.find(sof)
        if at >= 0:
            return data[: at + 5] + struct.pack(">HH", height, width) + data[at + 9 :]
    raise ValueError("no frame header")


def scan_flood(data, repeats):
    """A progressive JPEG with its last scan repeated: each copy is a pass over the whole picture."""
    last = data.rfind(b"\xff\xda")
    end = data.rfind(b"\xff\xd9")
    return data[:end] + data[last:end] * repeats + data[end:]


def claim_png(data, width, height):
    """The PNG with its header chunk saying another size, its checksum made again."""
    ihdr = data[12:29]
    ihdr = ihdr[:4] + struct.pack(">II", width, height) + ihdr[12:]
    return data[:12] + ihdr + struct.pack(">I", zlib.crc32(ihdr)) + data[33:]


def main():
    folder = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).parent.parent / "tests/fuzz/pictures")
    folder.mkdir(parents=True, exist_ok=True)
    exif = Image.Exif()
    exif[0x0112] = 6  # turned a quarter: shown upright by turning it clockwise
    seeds = {
        "baseline.jpg": saved(picture(), "JPEG", quality=90),
        "progressive.jpg": saved(picture(), "JPEG", quality=90, progressive=True),
        "grayscale.jpg": saved(picture("L"), "JPEG", quality=90),
        "cmyk.jpg": saved(picture("CMYK"), "JPEG", quality=90),
        "turned.jpg": saved(picture(), "JPEG", quality=90, exif=exif.tobytes()),
        "picture.png": saved(picture("RGBA"), "PNG"),
        "picture.gif": saved(picture("P"), "GIF"),
        "picture.bmp": saved(picture(), "BMP"),
        "picture.tif": saved(picture(), "TIFF", compression="tiff_lzw"),
        "picture.webp": saved(picture(), "WEBP", quality=80),
        "picture.ico": saved(picture("RGBA"), "ICO", sizes=[(16, 16)]),
        # With an empty identification field its first bytes read as a WBMP to Qt, which takes it for one.
        "picture.tga": saved(picture(), "TGA", id_section=b"Tessaly"),
    }
    hostile = {}
    for name, data in seeds.items():
        hostile["cut-" + name] = data[: len(data) * 2 // 3]
    # A flat picture needs a few bytes a scan however large it is: the flood costs time, not file size.
    flat = saved(Image.new("RGB", (1024, 1024), (90, 120, 150)), "JPEG", quality=90, progressive=True)
    hostile["scan-flood.jpg"] = scan_flood(flat, 3000)
    progressive = seeds["progressive.jpg"]
    hostile["claims-20000.jpg"] = claim_jpeg(progressive, 20000, 20000)[:521]
    hostile["claims-65500.jpg"] = claim_jpeg(progressive, 65500, 65500)[:1024]
    hostile["baseline-claims-20000.jpg"] = claim_jpeg(seeds["baseline.jpg"], 20000, 20000)
    hostile["claims-20000.png"] = claim_png(seeds["picture.png"], 20000, 20000)
    for name, data in {**seeds, **hostile}.items():
        (folder / name).write_bytes(data)


if __name__ == "__main__":
    main()
