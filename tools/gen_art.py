#!/usr/bin/python3
"""Draws the program's artwork: the icon (32 x 32, 16 colours) and the
splash picture (172 x 77, 256 colours). Needs Pillow and the IPA and
Liberation fonts; the outputs are kept in app/res/.

    tools/gen_art.py app/res
"""
import struct
import sys
from pathlib import Path

from PIL import Image, ImageDraw, ImageFont

# The 16 colours of the standard Windows palette.
VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
         (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
         (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def cassette(d, x, y, w, h, body, label, window, reel, hole):
    """A compact cassette seen from the front, in a box at (x, y)."""
    d.rounded_rectangle([x, y, x + w - 1, y + h - 1], radius=max(2, w // 12), fill=body,
                        outline=(0, 0, 0))
    lx, ly, lw, lh = x + w // 10, y + h // 8, w - 2 * (w // 10), h // 2
    d.rectangle([lx, ly, lx + lw - 1, ly + lh - 1], fill=label)
    wy = ly + lh // 4
    d.rectangle([lx + lw // 5, wy, lx + lw - lw // 5 - 1, wy + lh // 2], fill=window)
    r = max(2, lh // 4)
    for cx in (lx + lw // 3, lx + lw - lw // 3 - 1):
        cy = wy + lh // 4
        d.ellipse([cx - r, cy - r, cx + r, cy + r], fill=reel)
        d.ellipse([cx - r // 2, cy - r // 2, cx + r // 2, cy + r // 2], fill=hole)
    # The trapezoid at the bottom edge with the tape guides.
    by = y + h - h // 4
    d.polygon([(x + w // 5, y + h - 1), (x + w // 4, by), (x + w - w // 4 - 1, by),
               (x + w - w // 5 - 1, y + h - 1)], fill=window, outline=(0, 0, 0))


def icon(out):
    img = Image.new("RGB", (32, 32), (0, 0, 0))
    d = ImageDraw.Draw(img)
    cassette(d, 1, 5, 30, 22, body=(128, 128, 128), label=(255, 255, 255),
             window=(0, 0, 0), reel=(255, 255, 255), hole=(0, 0, 0))
    d.rectangle([4, 8, 27, 9], fill=(255, 0, 0))  # the label's stripe
    pixels = [VGA16.index(min(VGA16, key=lambda c: sum((a - b) ** 2 for a, b in zip(c, p))))
              for p in img.getdata()]
    # Transparent outside the cassette's body (the black corners).
    mask = [1 if (p == 0 and not inside(i % 32, i // 32)) else 0 for i, p in enumerate(pixels)]
    xor = bytearray()
    for row in range(31, -1, -1):  # bottom-up
        line = pixels[row * 32:(row + 1) * 32]
        xor += bytes((line[i] << 4) | line[i + 1] for i in range(0, 32, 2))
    andm = bytearray()
    for row in range(31, -1, -1):
        bits = mask[row * 32:(row + 1) * 32]
        for i in range(0, 32, 8):
            v = 0
            for b in bits[i:i + 8]:
                v = (v << 1) | b
            andm.append(v)
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in VGA16)
    header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 4, 0, len(xor) + len(andm), 0, 0, 16, 0)
    data = header + palette + bytes(xor) + bytes(andm)
    ico = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 32, 32, 16, 0, 1, 4, len(data), 22)
    (out / "ztp.ico").write_bytes(ico + data)


def inside(x, y):
    return 1 <= x <= 30 and 5 <= y <= 26


def splash(out):
    w, h = 172, 77
    img = Image.new("RGB", (w, h))
    d = ImageDraw.Draw(img)
    for y in range(h):  # night blue, lighter towards the bottom
        t = y / (h - 1)
        d.line([(0, y), (w, y)], fill=(int(10 + 30 * t), int(20 + 60 * t), int(90 + 110 * t)))
    cassette(d, 8, 14, 52, 34, body=(70, 70, 80), label=(250, 240, 200), window=(30, 30, 30),
             reel=(235, 235, 235), hole=(40, 40, 40))
    d.rectangle([14, 20, 53, 22], fill=(220, 40, 40))
    # A disc behind the cassette's corner.
    d.ellipse([40, 36, 66, 62], fill=(200, 205, 215), outline=(120, 120, 140))
    d.ellipse([50, 46, 56, 52], fill=(40, 60, 120))
    bold = ImageFont.truetype("/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf", 24)
    small = ImageFont.truetype("/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf", 11)
    jp = ImageFont.truetype("/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf", 11)
    d.text((75, 9), "ZTP", font=bold, fill=(0, 0, 0))
    d.text((73, 7), "ZTP", font=bold, fill=(255, 230, 0))
    d.text((125, 16), "for win32", font=small, fill=(255, 255, 255))
    d.text((74, 40), "最適テープ計算", font=jp, fill=(255, 255, 255))
    d.text((74, 56), "ver 1.0.0.1", font=small, fill=(190, 210, 255))
    img.convert("P", palette=Image.ADAPTIVE, colors=256).save(out / "splash.bmp")


if __name__ == "__main__":
    out = Path(sys.argv[1] if len(sys.argv) > 1 else "app/res")
    out.mkdir(parents=True, exist_ok=True)
    icon(out)
    splash(out)
