#!/usr/bin/env python3
"""Writes the bitmaps the image-panel tests load from their own resources, and an .rc for them.

usage: make_test_bitmaps.py OUT_DIR
"""
import os
import struct
import sys

KEY = (0, 255, 0)


def bmp8(width, height, palette, pixels, size_image=None, clr_used=256, bit_count=8,
         truncate_to=None):
    """A BMP file with an 8-bit palette; `pixels` is a list of rows, top row first."""
    row_bytes = (width + 3) // 4 * 4
    data = bytearray()
    for row in reversed(pixels):
        data += bytes(row) + bytes(row_bytes - len(row))
    if size_image is None:
        size_image = len(data)
    pal = bytearray(1024)
    for i, (r, g, b) in enumerate(palette):
        pal[4 * i:4 * i + 4] = bytes((b, g, r, 0))
    header = struct.pack('<IiiHHIIiiII', 40, width, height, 1, bit_count, 0, size_image, 0, 0,
                         clr_used, 0)
    body = header + bytes(pal) + bytes(data)
    if truncate_to is not None:
        body = body[:truncate_to]
    return b'BM' + struct.pack('<IHHI', 14 + len(body), 0, 0, 14 + 1064) + body


def solid(width, height, index):
    return [[index] * width for _ in range(height)]


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    # Palette entries 7 and 9 are both the key colour; 5 is a plain opaque colour.
    palette = [(0, 0, 0)] * 256
    palette[5] = (10, 20, 30)
    palette[6] = (200, 100, 50)
    palette[7] = KEY
    palette[9] = KEY
    files = {
        # 8 x 8 of one opaque colour: shows exactly where the image lands.
        601: bmp8(8, 8, palette, solid(8, 8, 5)),
        # Left half colour 5, right half the key twice over (entries 7 and 9), odd width for
        # row padding.
        602: bmp8(6, 4, palette, [[5, 5, 5, 7, 9, 7]] * 4),
        # Header and palette only, though biSizeImage promises pixels.
        603: bmp8(8, 8, palette, solid(8, 8, 5), truncate_to=1064),
        # 24 bits per pixel.
        604: b'BM' + struct.pack('<IHHI', 14 + 40 + 8 * 8 * 3, 0, 0, 54) +
        struct.pack('<IiiHHIIiiII', 40, 8, 8, 1, 24, 0, 8 * 8 * 3, 0, 0, 0, 0) +
        bytes(8 * 8 * 3),
        # A 16-colour palette declared: the panel only knows 256-entry ones.
        605: bmp8(8, 8, palette, solid(8, 8, 5), clr_used=16),
        # biSizeImage of zero.
        606: bmp8(8, 8, palette, solid(8, 8, 5), size_image=0),
        # biSizeImage too small for the padded rows.
        607: bmp8(6, 4, palette, [[5] * 6] * 4, size_image=16),
        # A second opaque image, for reloading over 601.
        608: bmp8(4, 4, palette, solid(4, 4, 6)),
    }
    lines = []
    for rid, data in sorted(files.items()):
        path = os.path.join(out, '%d.bmp' % rid)
        old = open(path, 'rb').read() if os.path.exists(path) else None
        if old != data:
            with open(path, 'wb') as f:
                f.write(data)
        lines.append('%d BITMAP "%s"' % (rid, path.replace('\\', '/')))
    rc = os.path.join(out, 'test_bitmaps.rc')
    text = '\n'.join(lines) + '\n'
    if not os.path.exists(rc) or open(rc).read() != text:
        with open(rc, 'w') as f:
            f.write(text)


if __name__ == '__main__':
    main()
