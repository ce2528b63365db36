"""What the generators in tools/ share: writing outputs only when their bytes change,
BMP and PNG encoding, an RGB canvas, and the command-line frame of a tool."""

import os
import struct
import sys
import zlib


def read_bytes(path, error):
    """A whole file; a failure to read it becomes `error` with a one-line message."""
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError as e:
        raise error("%s: cannot read: %s" % (path, e.strerror))


def write_if_changed(path, data, make_parent=True):
    """Writes data unless the file already holds exactly it; returns True if written.
    With make_parent, a missing parent folder is created first."""
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                return False
    except OSError:
        pass
    parent = os.path.dirname(path)
    if make_parent and parent:
        os.makedirs(parent, exist_ok=True)
    # Written aside and moved in, so a failed run never leaves half a file.
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)
    return True


# ---------------------------------------------------------------------------
# BMP

def bmp_rows(rows):
    """Pixel rows (bytes each, top row first) stored bottom-up, each padded to 4 bytes."""
    out = bytearray()
    for row in reversed(rows):
        out += bytes(row) + b"\x00" * (-len(row) % 4)
    return bytes(out)


def bmp_palette(colours):
    """A full 256-entry colour table from up to 256 RGB triples; the rest are black."""
    if len(colours) > 256:
        raise ValueError("palette has %d colours" % len(colours))
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in colours)
    return table + b"\x00" * (4 * (256 - len(colours)))


def bmp_info(width, height, bit_count, size_image, colours_used=0, pixels_per_metre=2835):
    """The 40-byte BITMAPINFOHEADER of an uncompressed one-plane image (2835: 72 dpi)."""
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bit_count, 0, size_image,
                       pixels_per_metre, pixels_per_metre, colours_used, 0)


def bmp_file(info, palette, pixels):
    """A .bmp file: the file header, then info header, palette and pixels as given."""
    offset = 14 + len(info) + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + palette + pixels


# ---------------------------------------------------------------------------
# PNG and a canvas to draw one on

def encode_png(rows):
    """8-bit RGB PNG; rows: bytes-like of RGB triples, top row first."""
    width = len(rows[0]) // 3
    raw = b"".join(b"\x00" + bytes(row) for row in rows)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    ihdr = struct.pack(">IIBBBBB", width, len(rows), 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr)
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


class Canvas:
    """RGB pixels, top row first; each tool adds the drawing it needs."""

    def __init__(self, width, height, colour):
        self.width = width
        self.height = height
        self.px = [bytearray(bytes(colour) * width) for _ in range(height)]

    def fill(self, x, y, w, h, colour):
        c = bytes(colour)
        for yy in range(max(0, y), min(self.height, y + h)):
            x0, x1 = max(0, x), min(self.width, x + w)
            if x1 > x0:
                self.px[yy][x0 * 3:x1 * 3] = c * (x1 - x0)

    def png(self):
        return encode_png(self.px)


# ---------------------------------------------------------------------------
# Command line

def usage_error(usage):
    print(usage, file=sys.stderr)
    return 2


def run_command(prog, usage, commands, args, errors, *leading):
    """Runs the command args[0] with the arguments after it, preceded by `leading`.

    commands maps a name to (function, fewest arguments, most arguments). Returns the
    exit status: 2 with the usage on bad usage; 1 with 'PROG: error: ...' when the
    command raises one of `errors` (a tuple of exception classes) or an OSError; else 0.
    """
    if not args or args[0] not in commands:
        return usage_error(usage)
    func, fewest, most = commands[args[0]]
    if not fewest <= len(args) - 1 <= most:
        return usage_error(usage)
    try:
        func(*leading, *args[1:])
    except errors as e:
        print("%s: error: %s" % (prog, e), file=sys.stderr)
        return 1
    except OSError as e:
        print("%s: error: %s: %s" % (prog, e.filename or "", e.strerror), file=sys.stderr)
        return 1
    return 0
