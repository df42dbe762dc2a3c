#!/usr/bin/env python3
"""Writes install.ico, the setup program's icon: a distribution disk in the background's
blue-to-black blend, with a silver shutter and a white label carrying a blue "Z".
Sizes 16, 32 and 48 pixels, 32-bit with alpha.   usage: make_icon.py [out.ico]"""
import struct
import sys


def pixel(x, y):
    """Colour (r, g, b, a) at the centre of unit-square coordinates x, y (0..1, y down)."""
    # Outside the disk's body, or in the notch cut from its top-right corner: transparent.
    if not (0.06 <= x <= 0.94 and 0.06 <= y <= 0.94):
        return (0, 0, 0, 0)
    if x + (0.94 - y) > 0.94 + 0.82:  # the corner notch
        return (0, 0, 0, 0)
    # A one-unit dark outline.
    edge = min(x - 0.06, 0.94 - x, y - 0.06, 0.94 - y, (0.94 + 0.82) - (x + 0.94 - y))
    if edge < 0.035:
        return (0, 0, 40, 255)
    # The shutter: silver, with its slot.
    if 0.28 <= x <= 0.72 and y <= 0.36:
        if 0.52 <= x <= 0.62 and 0.12 <= y <= 0.30:
            return (40, 40, 60, 255)
        return (200, 200, 210, 255)
    # The label with a blue "Z" of three strokes.
    if 0.20 <= x <= 0.80 and 0.50 <= y <= 0.90:
        u = (x - 0.20) / 0.60
        v = (y - 0.50) / 0.40
        stroke = 0.16
        if 0.15 <= u <= 0.85 and (0.12 <= v <= 0.12 + stroke + 0.06 or 0.70 <= v <= 0.88):
            return (0, 0, 200, 255)
        if 0.12 <= v <= 0.88 and 0.15 <= u <= 0.85 and abs((1 - v) - ((u - 0.15) / 0.70)) < stroke:
            return (0, 0, 200, 255)
        return (255, 255, 255, 255)
    # The body: blue at the top to near black at the bottom.
    t = (y - 0.06) / 0.88
    return (0, 0, int(round(255 - t * 200)), 255)


def image(size):
    rows = []
    for row in range(size - 1, -1, -1):  # bottom-up, as bitmaps are stored
        line = bytearray()
        for col in range(size):
            r, g, b, a = pixel((col + 0.5) / size, (row + 0.5) / size)
            line += bytes((b, g, r, a))
        rows.append(bytes(line))
    xor = b"".join(rows)
    mask_row = ((size + 31) // 32) * 4
    mask = bytes(mask_row * size)  # all opaque by mask; the alpha channel decides
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + mask


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "install.ico"
    sizes = [16, 32, 48]
    images = [image(s) for s in sizes]
    data = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for size, img in zip(sizes, images):
        data += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    data += b"".join(images)
    with open(out, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
