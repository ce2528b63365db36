#!/usr/bin/env python3
"""Writes the bitmaps the image-panel tests load from their own resources, and an .rc for them.

usage: make_test_bitmaps.py OUT_DIR
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'tools'))
from common import bmp_file, bmp_info, bmp_palette, bmp_rows, write_if_changed  # noqa: E402

KEY = (0, 255, 0)


def bmp8(width, height, palette, pixels, size_image=None, clr_used=256, header_only=False):
    """A BMP file with an 8-bit palette; `pixels` is a list of rows, top row first.
    The defaults make a well-formed file; the options spoil it the ways the tests need."""
    data = bmp_rows(pixels)
    if size_image is None:
        size_image = len(data)
    info = bmp_info(width, height, 8, size_image, colours_used=clr_used, pixels_per_metre=0)
    return bmp_file(info, bmp_palette(palette), b'' if header_only else data)


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
        603: bmp8(8, 8, palette, solid(8, 8, 5), header_only=True),
        # 24 bits per pixel.
        604: bmp_file(bmp_info(8, 8, 24, 8 * 8 * 3, pixels_per_metre=0), b'', bytes(8 * 8 * 3)),
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
        write_if_changed(path, data)
        lines.append('%d BITMAP "%s"' % (rid, path.replace('\\', '/')))
    rc = os.path.join(out, 'test_bitmaps.rc')
    text = '\n'.join(lines) + '\n'
    # Text mode rather than write_if_changed: the list keeps the host's line ends.
    if not os.path.exists(rc) or open(rc).read() != text:
        with open(rc, 'w') as f:
            f.write(text)


if __name__ == '__main__':
    main()
