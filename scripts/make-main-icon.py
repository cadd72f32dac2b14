#!/usr/bin/env python3
"""Writes stub/app/MainIcon.ico, the stub's program icon: 32 x 32 pixels, 32 bits, a white
box-and-arrow on the blue of the message box's side band. Run again only to change it."""
import os
import struct

SIZE = 32
BLUE = (152, 78, 0, 255)  # B, G, R, A: RGB(0, 78, 152)
WHITE = (255, 255, 255, 255)
CLEAR = (0, 0, 0, 0)


def pixel(x, y):
    # Rounded square background.
    corner = 5
    dx = max(corner - x, x - (SIZE - 1 - corner), 0)
    dy = max(corner - y, y - (SIZE - 1 - corner), 0)
    if dx * dx + dy * dy > corner * corner:
        return CLEAR
    # An open box with a downward arrow into it.
    if 18 <= y <= 25 and x in (7, 8, 23, 24):
        return WHITE
    if 24 <= y <= 25 and 7 <= x <= 24:
        return WHITE
    if 5 <= y <= 15 and 14 <= x <= 17:
        return WHITE
    if 15 <= y <= 21 and abs(x - 15.5) <= 21 - y:
        return WHITE
    return BLUE


def main():
    rows = []
    for y in range(SIZE - 1, -1, -1):  # bottom-up rows
        rows.append(b"".join(bytes(pixel(x, y)) for x in range(SIZE)))
    xor = b"".join(rows)
    and_mask = bytes(SIZE * SIZE // 8)  # transparency comes from the alpha channel
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(and_mask),
                         0, 0, 0, 0)
    image = header + xor + and_mask
    icon = struct.pack("<HHH", 0, 1, 1)
    icon += struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "stub", "app", "MainIcon.ico")
    with open(path, "wb") as f:
        f.write(icon + image)


if __name__ == "__main__":
    main()
