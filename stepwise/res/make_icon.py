#!/usr/bin/env python3
"""Writes Stepwise's icon: a teal disc with three white steps, at 16, 32 and 48 pixels,
32-bit colour with an alpha channel. Usage: make_icon.py OUT.ico"""
import struct
import sys


def pixel(size, x, y):
    """BGRA of one pixel, y counted from the top."""
    c = (size - 1) / 2.0
    dx, dy = x - c, y - c
    r = size / 2.0 - 0.5
    if dx * dx + dy * dy > r * r:
        return (0, 0, 0, 0)
    # Three steps rising to the right, in the lower two thirds of the disc.
    u, v = x / size, y / size
    step = min(int((u - 0.2) / 0.2), 2) if 0.2 <= u < 0.8 else -1
    if step >= 0 and v >= 0.7 - 0.15 * step and v < 0.8:
        return (255, 255, 255, 255)
    return (128, 128, 0, 255)  # teal, RGB(0, 128, 128)


def image(size):
    rows = []
    for y in range(size - 1, -1, -1):  # bottom-up
        rows.append(b"".join(bytes(pixel(size, x, y)) for x in range(size)))
    xor = b"".join(rows)
    mask_stride = ((size + 31) // 32) * 4
    and_mask = bytes(mask_stride * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(xor) + len(and_mask), 0, 0, 0, 0)
    return header + xor + and_mask


def main():
    sizes = [16, 32, 48]
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(sys.argv[1], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
