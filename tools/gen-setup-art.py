#!/usr/bin/env python3
"""Draws setup.exe's artwork: the 32 x 32 program icon (a cassette) and the
75 x 25 banner of the finish page. Writes setup/setup.ico and setup/qh.bmp."""
import os
import struct

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "setup")

# 5 x 7 letters for the banner.
FONT = {
    "Z": ["11111", "00001", "00010", "00100", "01000", "10000", "11111"],
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "P": ["11110", "10001", "10001", "11110", "10000", "10000", "10000"],
}


def cassette(x, y):
    """RGBA of the icon at (x, y), y from the top."""
    clear = (0, 0, 0, 0)
    if not (1 <= x <= 30 and 5 <= y <= 26):
        return clear
    # Rounded corners of the shell.
    if (x in (1, 30)) and (y in (5, 26)):
        return clear
    edge = x in (1, 30) or y in (5, 26)
    if edge:
        return (20, 20, 40, 255)
    # Yellow label across the top with a blue stripe.
    if 7 <= y <= 11 and 4 <= x <= 27:
        return (30, 60, 200, 255) if y == 9 else (250, 220, 40, 255)
    # Window with two reels.
    if 13 <= y <= 20 and 6 <= x <= 25:
        for cx in (10.5, 21.5):
            d2 = (x - cx) ** 2 + (y - 16.5) ** 2
            if d2 <= 1.2:
                return (255, 255, 255, 255)
            if d2 <= 9.5:
                return (120, 70, 30, 255)
        return (170, 200, 230, 255)
    # Trapezoid at the bottom with the tape head holes.
    if y >= 22 and 8 <= x <= 23:
        if y == 24 and x in (11, 20):
            return (20, 20, 40, 255)
        return (90, 90, 110, 255)
    return (50, 50, 80, 255)


def write_ico(path):
    size = 32
    pixels = b""
    for y in range(size - 1, -1, -1):  # bottom-up
        for x in range(size):
            r, g, b, a = cassette(x, y)
            pixels += bytes((b, g, r, a))
    mask = b""
    for y in range(size - 1, -1, -1):
        bits = 0
        for x in range(size):
            if cassette(x, y)[3] == 0:
                bits |= 1 << (31 - x)
        mask += struct.pack(">I", bits)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(pixels) + len(mask), 0, 0, 0, 0)
    image = header + pixels + mask
    ico = struct.pack("<HHH", 0, 1, 1)
    ico += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(ico + image)


def write_banner(path):
    w, h = 75, 25
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            # Blue to black, like the title backdrop, with a yellow frame.
            blue = max(0, 255 - x * 3)
            px = (0, 0, blue)
            if x in (0, w - 1) or y in (0, h - 1):
                px = (250, 220, 40)
            row.append(px)
        rows.append(row)
    # "ZTP" in 2x scaled letters with a black shadow.
    text = "ZTP"
    scale = 2
    total = len(text) * 5 * scale + (len(text) - 1) * 3
    left, top = (w - total) // 2, (h - 7 * scale) // 2
    for shadow, colour in ((1, (0, 0, 0)), (0, (255, 255, 0))):
        for i, ch in enumerate(text):
            ox = left + i * (5 * scale + 3) + shadow
            for gy, line in enumerate(FONT[ch]):
                for gx, bit in enumerate(line):
                    if bit != "1":
                        continue
                    for sy in range(scale):
                        for sx in range(scale):
                            x, y = ox + gx * scale + sx, top + shadow + gy * scale + sy
                            if 0 < x < w - 1 and 0 < y < h - 1:
                                rows[y][x] = colour
    stride = (w * 3 + 3) // 4 * 4
    data = b""
    for y in range(h - 1, -1, -1):
        line = b"".join(bytes((b, g, r)) for (r, g, b) in rows[y])
        data += line + b"\0" * (stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(head + info + data)


if __name__ == "__main__":
    write_ico(os.path.join(HERE, "setup.ico"))
    write_banner(os.path.join(HERE, "qh.bmp"))
