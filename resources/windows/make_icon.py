#!/usr/bin/env python3
"""Writes tarnivo.ico: the program's icon, 16x16 and 32x32, 256 colours.

A yellow folder with a green arrow going into it, drawn from shapes so the
two sizes stay alike. Run it again after changing the drawing:
    python3 resources/windows/make_icon.py resources/windows/tarnivo.ico
"""
import struct
import sys

PALETTE = [
    (0, 0, 0),        # 0 transparent (masked)
    (0, 0, 0),        # 1 outline
    (255, 255, 224),  # 2 highlight
    (255, 222, 96),   # 3 folder face
    (192, 150, 32),   # 4 folder shade
    (0, 160, 0),      # 5 arrow
    (0, 96, 0),       # 6 arrow edge
    (255, 255, 255),  # 7 white
]


def draw(size):
    s = size / 32.0
    px = [[0] * size for _ in range(size)]

    def rect(x0, y0, x1, y1, c):
        for y in range(int(round(y0 * s)), int(round(y1 * s))):
            for x in range(int(round(x0 * s)), int(round(x1 * s))):
                if 0 <= x < size and 0 <= y < size:
                    px[y][x] = c

    # Folder: tab, body, outline, shade.
    rect(2, 8, 13, 12, 1)
    rect(3, 9, 12, 12, 2)
    rect(2, 11, 30, 29, 1)
    rect(3, 12, 29, 28, 3)
    rect(3, 12, 29, 14, 2)
    rect(3, 26, 29, 28, 4)
    rect(27, 12, 29, 28, 4)
    # Arrow pointing down into the folder: shaft and head.
    rect(13, 1, 21, 13, 6)
    rect(14, 2, 20, 13, 5)
    for i in range(7):
        rect(9 + i, 13 + i, 25 - i, 14 + i, 6)
        rect(10 + i, 13 + i, 24 - i, 14 + i, 5)
    return px


def image(size):
    px = draw(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 8, 0, 0, 0, 0, 256, 0)
    palette = b''.join(struct.pack('BBBB', b, g, r, 0) for r, g, b in PALETTE)
    palette += b'\0' * (1024 - len(palette))
    row_bytes = (size + 3) & ~3
    xor = b''.join(bytes(px[y]) + b'\0' * (row_bytes - size) for y in reversed(range(size)))
    mask_row = ((size + 31) // 32) * 4
    mask = b''
    for y in reversed(range(size)):
        bits = bytearray(mask_row)
        for x in range(size):
            if px[y][x] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    return header + palette + xor + mask


def main(path):
    images = [image(16), image(32)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip((16, 32), images):
        out += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 8, len(data), offset)
        offset += len(data)
    out += b''.join(images)
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'tarnivo.ico')
