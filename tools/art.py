#!/usr/bin/env python3
"""The program's pictures other than the glyphs: banner, signature, cover panel, icon.

Sources live in resources/art/ as text (bitmap fonts, pen strokes, icon pixel grids);
this tool checks them strictly and turns them into resource files:

  art.py banner URL OUT.bmp     the link banner (bitmap 200): URL in orange on the green key
  art.py signature OUT.bmp      the signature (bitmap 201)
  art.py cover OUT.bmp          the grey cover panel (bitmap 210)
  art.py icon OUT.ico           the program icon (icon group 101): 16, 32 and 48 pixels
  art.py all OUTDIR [URL]       all four as OUTDIR/banner.bmp, signature.bmp, cover.bmp, icon.ico
  art.py check DIR              read those four back from DIR and verify their format
  art.py preview OUTDIR         PNG previews for review, as the program would show them

Option --src DIR (before the command) reads the sources from DIR instead.

The panel bitmaps are 8 bits per pixel with a full 256-entry palette and biSizeImage
filled in, because the panel loader copies header and palette as one 1064-byte block and
takes the pixels right after it. Outputs are rewritten only when their bytes change.
Exit status: 0 on success, 1 on bad sources, a URL that does not fit or a failed check,
2 on bad usage.
"""

import math
import os
import re
import struct
import sys

from common import Canvas as RgbCanvas
from common import (bmp_file, bmp_info, bmp_palette, bmp_rows, read_bytes, run_command, usage_error,
                    write_if_changed)

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_SRC = os.path.join(os.path.dirname(HERE), "resources", "art")
DEFAULT_URL = "https://pelmo.example.org/"

# Colours the panels depend on.
KEY = (0, 255, 0)              # banner ground, made transparent by the program
BUTTON_FACE = (212, 208, 200)  # what shows through the key on a classic desktop
INK_ORANGE = (226, 101, 10)    # banner lettering: dark enough to read on the button face
FRAME_ORANGE = (240, 150, 70)  # banner frame, lighter so the address leads
SIGNATURE_GROUND = (212, 208, 204)
SIGNATURE_INK = (0, 0, 0)
COVER_GROUND = (192, 192, 192)
COVER_PANEL = (128, 128, 128)

BANNER_SIZE = (227, 34)
SIGNATURE_SIZE = (144, 47)
COVER_SIZE = (256, 64)
ICON_SIZES = (16, 32, 48)
REQUIRED_ICON_SIZES = (16, 32)

# Banner frame: a rounded outline along the edge, and the room kept free inside it.
FRAME_RADIUS = 9
FRAME_THICKNESS = 2
FRAME_INSET = 0
TEXT_PADDING = 5

URL_CHARS = "abcdefghijklmnopqrstuvwxyz0123456789.:/-_~?=&%#"
FONT_FILES = ("font-large.txt", "font-small.txt")  # tried in this order

LEVELS = 16  # anti-aliasing shades between ground and ink

BMP_HEADER_BYTES = 14
INFO_BYTES = 40
PALETTE_BYTES = 1024


class SourceError(Exception):
    pass


class UsageError(Exception):
    pass


# ---------------------------------------------------------------------------
# Small helpers

def read_text(path):
    """A source file as a list of lines; ASCII only, LF or CRLF."""
    data = read_bytes(path, SourceError)
    try:
        text = data.decode("ascii")
    except UnicodeDecodeError as e:
        raise SourceError("%s: byte %d is not plain ASCII" % (path, e.start))
    text = text.replace("\r\n", "\n")
    if "\r" in text or "\t" in text:
        raise SourceError("%s: stray carriage return or tab" % path)
    if text.endswith("\n"):
        text = text[:-1]
    return text.split("\n")


def parse_int(path, n, word, lo, hi, what):
    if not re.fullmatch(r"-?\d+", word):
        raise SourceError("%s:%d: %s must be a whole number, not %r" % (path, n, what, word))
    value = int(word)
    if not lo <= value <= hi:
        raise SourceError("%s:%d: %s %d out of range %d..%d" % (path, n, what, value, lo, hi))
    return value


def parse_float(path, n, word, lo, hi, what):
    if not re.fullmatch(r"-?\d+(\.\d+)?", word):
        raise SourceError("%s:%d: %s must be a number, not %r" % (path, n, what, word))
    value = float(word)
    if not lo <= value <= hi:
        raise SourceError("%s:%d: %s %s out of range %s..%s" % (path, n, what, word, lo, hi))
    return value


def strip_comment(line):
    return line.split(";", 1)[0].rstrip()


def blend(ground, ink, t):
    return tuple(int(round(g + (i - g) * t)) for g, i in zip(ground, ink))


def ramp(ground, ink):
    """LEVELS + 1 colours from ground (index 0) to ink (index LEVELS)."""
    return [blend(ground, ink, k / LEVELS) for k in range(LEVELS + 1)]


def level(coverage):
    return int(round(max(0.0, min(1.0, coverage)) * LEVELS))


# ---------------------------------------------------------------------------
# 8-bit BMP and ICO encoding

def stride8(width):
    return (width + 3) & ~3


def encode_bmp8(pixels, palette):
    """pixels: rows of palette indices, top row first. palette: up to 256 RGB triples;
    the rest of the 256 entries are black so the table is always complete."""
    body = bmp_rows(pixels)
    info = bmp_info(len(pixels[0]), len(pixels), 8, len(body), colours_used=256)
    return bmp_file(info, bmp_palette(palette), body)


def encode_ico(images):
    """images: list of (size, rows of RGBA tuples). 32-bit images with an AND mask."""
    count = len(images)
    blobs = []
    for size, rows in images:
        xor = bytearray()
        for row in reversed(rows):
            for r, g, b, a in row:
                xor += bytes((b, g, r, a)) if a else b"\x00\x00\x00\x00"
        mask_stride = ((size + 31) // 32) * 4
        mask = bytearray()
        for row in reversed(rows):
            bits = bytearray(mask_stride)
            for x, (_, _, _, a) in enumerate(row):
                if a == 0:
                    bits[x >> 3] |= 0x80 >> (x & 7)
            mask += bits
        info = bmp_info(size, size * 2, 32, len(xor) + len(mask), pixels_per_metre=0)
        blobs.append(info + bytes(xor) + bytes(mask))
    out = bytearray(struct.pack("<HHH", 0, 1, count))
    offset = 6 + 16 * count
    for (size, _), blob in zip(images, blobs):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    return bytes(out)


# ---------------------------------------------------------------------------
# Anti-aliased shapes, by supersampling

def rounded_rect_contains(x, y, x0, y0, x1, y1, r):
    if x < x0 or x > x1 or y < y0 or y > y1:
        return False
    dx = max(x0 + r - x, 0.0, x - (x1 - r))
    dy = max(y0 + r - y, 0.0, y - (y1 - r))
    return dx * dx + dy * dy <= r * r


def rounded_rect_coverage(width, height, rect, radius, samples=8):
    """Coverage 0..1 of each pixel by a rounded rectangle with whole-pixel edges.
    Only the pixels near the corners need sampling; the rest are wholly in or out."""
    x0, y0, x1, y1 = rect
    cover = [[0.0] * width for _ in range(height)]
    offsets = [(k + 0.5) / samples for k in range(samples)]
    for y in range(max(0, y0), min(height, y1)):
        for x in range(max(0, x0), min(width, x1)):
            near_x = x < x0 + radius or x >= x1 - radius
            near_y = y < y0 + radius or y >= y1 - radius
            if not (near_x and near_y):
                cover[y][x] = 1.0
                continue
            hits = 0
            for sy in offsets:
                for sx in offsets:
                    if rounded_rect_contains(x + sx, y + sy, x0, y0, x1, y1, radius):
                        hits += 1
            cover[y][x] = hits / (samples * samples)
    return cover


# ---------------------------------------------------------------------------
# Banner fonts

class Font:
    def __init__(self, path, height, baseline, spacing, glyphs):
        self.path = path
        self.height = height
        self.baseline = baseline
        self.spacing = spacing
        self.glyphs = glyphs  # char -> list of row strings

    def ink_top(self):
        """Highest ink row of any glyph: where ascenders and digits start."""
        return min(r for g in self.glyphs.values() for r, row in enumerate(g) if "#" in row)

    def ink_bottom(self):
        return max(r for g in self.glyphs.values() for r, row in enumerate(g) if "#" in row)

    def width(self, text, spacing):
        return sum(len(self.glyphs[c][0]) for c in text) + spacing * (len(text) - 1)


def parse_font(path):
    lines = read_text(path)
    settings = {}
    glyphs = {}
    current = None  # (char, first line number, rows)

    def finish():
        if current is None:
            return
        ch, start, rows = current
        height = settings["height"]
        if len(rows) != height:
            raise SourceError("%s:%d: glyph %r has %d rows, expected %d"
                              % (path, start, ch, len(rows), height))
        if not any("#" in row for row in rows):
            raise SourceError("%s:%d: glyph %r has no ink" % (path, start, ch))
        glyphs[ch] = rows

    for n, raw in enumerate(lines, 1):
        if raw.startswith(";"):
            continue
        if current is None and not raw.startswith("["):
            line = strip_comment(raw)
            if not line:
                continue
            words = line.split()
            if len(words) != 2 or words[0] not in ("height", "baseline", "spacing"):
                raise SourceError("%s:%d: expected 'height N', 'baseline N' or 'spacing N'"
                                  % (path, n))
            if words[0] in settings:
                raise SourceError("%s:%d: %s given twice" % (path, n, words[0]))
            settings[words[0]] = parse_int(path, n, words[1], 0, 64, words[0])
            continue
        if raw.startswith("["):
            for key in ("height", "baseline", "spacing"):
                if key not in settings:
                    raise SourceError("%s:%d: '%s' must come before the first glyph"
                                      % (path, n, key))
            if not settings["baseline"] < settings["height"]:
                raise SourceError("%s: baseline must be a row of the glyph" % path)
            if len(raw) != 3 or raw[2] != "]":
                raise SourceError("%s:%d: a glyph starts with a line '[c]' naming one character"
                                  % (path, n))
            finish()
            ch = raw[1]
            if ch not in URL_CHARS:
                raise SourceError("%s:%d: %r is not a character the banner draws" % (path, n, ch))
            if ch in glyphs:
                raise SourceError("%s:%d: glyph %r drawn twice" % (path, n, ch))
            current = (ch, n, [])
            continue
        if raw == "":
            continue  # blank lines part glyphs; a short glyph is caught by its row count
        rows = current[2]
        bad = re.search(r"[^.#]", raw)
        if bad:
            raise SourceError("%s:%d: column %d: %r is neither '.' nor '#'"
                              % (path, n, bad.start() + 1, bad.group()))
        if rows and len(raw) != len(rows[0]):
            raise SourceError("%s:%d: %d pixels wide, the glyph's first row is %d"
                              % (path, n, len(raw), len(rows[0])))
        if len(rows) == settings["height"]:
            raise SourceError("%s:%d: glyph %r has more than %d rows"
                              % (path, n, current[0], settings["height"]))
        rows.append(raw)
    finish()
    if not glyphs:
        raise SourceError("%s: no glyphs" % path)
    missing = [c for c in URL_CHARS if c not in glyphs]
    if missing:
        raise SourceError("%s: no glyph for %s" % (path, " ".join(missing)))
    return Font(path, settings["height"], settings["baseline"], settings["spacing"], glyphs)


def load_fonts(src):
    return [parse_font(os.path.join(src, name)) for name in FONT_FILES]


# ---------------------------------------------------------------------------
# Banner

def check_url(url):
    if not url:
        raise SourceError("the banner address is empty")
    bad = sorted(set(c for c in url if c.lower() not in URL_CHARS))
    if bad:
        raise SourceError("the banner cannot draw %s in %r; it draws a-z, 0-9 and %s"
                          % (", ".join(repr(c) for c in bad), url, URL_CHARS[36:]))
    # Host names are case-blind and the faces are lower case only; refuse rather than
    # show an address that would differ from the one opened.
    upper = [c for c in url if c.isupper()]
    host = re.match(r"^[a-z]+://[^/]*", url, re.I)
    if upper and (not host or any(c.isupper() for c in url[host.end():])):
        raise SourceError("the banner has no capital letters; %r has some outside the host name"
                          % url)
    return url.lower()


def banner_layout(url, fonts):
    """Chooses face and spacing; returns (font, spacing, left, top)."""
    width, height = BANNER_SIZE
    edge = FRAME_INSET + FRAME_THICKNESS + TEXT_PADDING
    room_w = width - 2 * edge
    # Ink may use the rows inside the frame less one blank row at top and bottom.
    first_row = FRAME_INSET + FRAME_THICKNESS + 1
    last_row = height - 1 - first_row
    tried = []
    for font in fonts:
        # Centre the band from the tallest letters to the baseline: descenders hang below
        # it the way they do in any line of text.
        top_ink = font.ink_top()
        band = font.baseline + 1 - top_ink
        top = (height - band) // 2 - top_ink
        bottom_ink = max(r for c in url for r, row in enumerate(font.glyphs[c]) if "#" in row)
        if top + top_ink < first_row or top + bottom_ink > last_row:
            tried.append("%s: too tall" % os.path.basename(font.path))
            continue
        for spacing in range(font.spacing, 0, -1):
            text_w = font.width(url, spacing)
            tried.append("%s spacing %d: %d pixels"
                         % (os.path.basename(font.path), spacing, text_w))
            if text_w <= room_w:
                return font, spacing, (width - text_w) // 2, top
    raise SourceError("the address %r does not fit the %d-pixel banner (room for %d): %s"
                      % (url, width, room_w, "; ".join(tried)))


def render_banner(url, src):
    url = check_url(url)
    fonts = load_fonts(src)
    font, spacing, left, top = banner_layout(url, fonts)
    width, height = BANNER_SIZE
    # Palette: 0 the key; then frame shades and lettering. Edge shades blend toward the
    # button face, which is what shows around them once the key is made transparent.
    palette = [KEY] + ramp(BUTTON_FACE, FRAME_ORANGE)[1:] + [INK_ORANGE]
    ink_index = len(palette) - 1
    outer = (FRAME_INSET, FRAME_INSET, width - FRAME_INSET, height - FRAME_INSET)
    t = FRAME_THICKNESS
    inner = (outer[0] + t, outer[1] + t, outer[2] - t, outer[3] - t)
    cover_out = rounded_rect_coverage(width, height, outer, FRAME_RADIUS)
    cover_in = rounded_rect_coverage(width, height, inner, FRAME_RADIUS - t)
    pixels = [[level(cover_out[y][x] - cover_in[y][x]) for x in range(width)]
              for y in range(height)]
    x = left
    for c in url:
        glyph = font.glyphs[c]
        for r, row in enumerate(glyph):
            for k, p in enumerate(row):
                if p == "#":
                    pixels[top + r][x + k] = ink_index
        x += len(glyph[0]) + spacing
    return pixels, palette


# ---------------------------------------------------------------------------
# Signature: smooth pen strokes through hand-placed points

def parse_strokes(path):
    lines = read_text(path)
    settings = {}
    strokes = []
    current = None
    for n, raw in enumerate(lines, 1):
        line = strip_comment(raw)
        if not line:
            continue
        words = line.split()
        if words[0] in ("slant", "baseline", "pen"):
            if current is not None:
                raise SourceError("%s:%d: '%s' inside a stroke" % (path, n, words[0]))
            if len(words) != 2:
                raise SourceError("%s:%d: '%s' takes one number" % (path, n, words[0]))
            if words[0] in settings:
                raise SourceError("%s:%d: %s given twice" % (path, n, words[0]))
            limits = {"slant": (-1.0, 1.0), "baseline": (0.0, 47.0), "pen": (0.3, 8.0)}[words[0]]
            settings[words[0]] = parse_float(path, n, words[1], limits[0], limits[1], words[0])
        elif words[0] == "stroke":
            if current is not None:
                raise SourceError("%s:%d: 'stroke' before the previous one's 'end'" % (path, n))
            if len(words) != 2:
                raise SourceError("%s:%d: 'stroke' takes a name" % (path, n))
            current = (words[1], n, [])
        elif words[0] == "end":
            if current is None or len(words) != 1:
                raise SourceError("%s:%d: 'end' without a stroke" % (path, n))
            if len(current[2]) < 2:
                raise SourceError("%s:%d: stroke %s needs two points or more"
                                  % (path, n, current[0]))
            strokes.append(current)
            current = None
        else:
            if current is None:
                raise SourceError("%s:%d: a point outside a stroke" % (path, n))
            if len(words) not in (2, 3):
                raise SourceError("%s:%d: a point is 'x y' or 'x y width'" % (path, n))
            px = parse_float(path, n, words[0], -20.0, 164.0, "x")
            py = parse_float(path, n, words[1], -10.0, 57.0, "y")
            if len(words) == 3:
                w = parse_float(path, n, words[2], 0.0, 8.0, "width")
            elif current[2]:
                w = current[2][-1][2]
            elif "pen" in settings:
                w = settings["pen"]
            else:
                raise SourceError("%s:%d: no width given and no 'pen' set" % (path, n))
            current[2].append((px, py, w))
    if current is not None:
        raise SourceError("%s:%d: stroke %s has no 'end'" % (path, current[1], current[0]))
    if not strokes:
        raise SourceError("%s: no strokes" % path)
    for key in ("slant", "baseline"):
        if key not in settings:
            raise SourceError("%s: '%s' is not set" % (path, key))
    return settings, strokes


def catmull_rom(points, steps_per_unit=6.0):
    """Samples a uniform Catmull-Rom curve through the points, so a stroke passes
    exactly where it was placed; the width changes linearly along each span."""
    pts = [points[0]] + list(points) + [points[-1]]
    out = []
    for i in range(1, len(pts) - 2):
        p0, p1, p2, p3 = pts[i - 1], pts[i], pts[i + 1], pts[i + 2]
        span = math.hypot(p2[0] - p1[0], p2[1] - p1[1])
        steps = max(2, int(span * steps_per_unit))
        for s in range(steps):
            t = s / steps
            t2, t3 = t * t, t * t * t
            vals = []
            for k in range(2):
                vals.append(0.5 * ((2 * p1[k]) + (-p0[k] + p2[k]) * t
                                   + (2 * p0[k] - 5 * p1[k] + 4 * p2[k] - p3[k]) * t2
                                   + (-p0[k] + 3 * p1[k] - 3 * p2[k] + p3[k]) * t3))
            w = p1[2] + (p2[2] - p1[2]) * t
            out.append((vals[0], vals[1], w))
    out.append(points[-1])
    return out


def render_strokes(size, settings, strokes, samples=4):
    width, height = size
    slant = settings["slant"]
    base = settings["baseline"]
    sw, sh = width * samples, height * samples
    hit = [bytearray(sw) for _ in range(sh)]
    for _, _, points in strokes:
        for x, y, w in catmull_rom(points):
            # Lean the letters by shearing about the baseline.
            cx = (x + slant * (base - y)) * samples
            cy = y * samples
            r = max(w, 0.15) * samples / 2.0
            r2 = r * r
            for yy in range(max(0, int(cy - r)), min(sh, int(cy + r) + 2)):
                dy = yy + 0.5 - cy
                span = r2 - dy * dy
                if span < 0:
                    continue
                half = math.sqrt(span)
                x0 = max(0, int(math.ceil(cx - half - 0.5)))
                x1 = min(sw - 1, int(math.floor(cx + half - 0.5)))
                if x1 >= x0:
                    hit[yy][x0:x1 + 1] = b"\x01" * (x1 - x0 + 1)
    cover = []
    n = samples * samples
    for y in range(height):
        row = []
        for x in range(width):
            total = 0
            for yy in range(y * samples, (y + 1) * samples):
                total += sum(hit[yy][x * samples:(x + 1) * samples])
            row.append(total / n)
        cover.append(row)
    return cover


def render_signature(src):
    settings, strokes = parse_strokes(os.path.join(src, "signature.txt"))
    cover = render_strokes(SIGNATURE_SIZE, settings, strokes)
    palette = ramp(SIGNATURE_GROUND, SIGNATURE_INK)
    return [[level(c) for c in row] for row in cover], palette


# ---------------------------------------------------------------------------
# Cover panel

COVER_RADIUS = 12
COVER_INSET = 0


def render_cover():
    width, height = COVER_SIZE
    rect = (COVER_INSET, COVER_INSET, width - COVER_INSET, height - COVER_INSET)
    cover = rounded_rect_coverage(width, height, rect, COVER_RADIUS)
    palette = ramp(COVER_GROUND, COVER_PANEL)
    return [[level(c) for c in row] for row in cover], palette


# ---------------------------------------------------------------------------
# Icon

def parse_icon(path, size):
    lines = read_text(path)
    legend = {}
    grid = []
    grid_start = None
    for n, raw in enumerate(lines, 1):
        if grid_start is None:
            if raw.startswith(";"):
                continue
            line = strip_comment(raw)
            if not line:
                continue
            m = re.fullmatch(r"(\S) = (.+)", line)
            if m:
                ch, value = m.group(1), m.group(2).split()
                if ch in legend:
                    raise SourceError("%s:%d: %r defined twice" % (path, n, ch))
                if value == ["none"]:
                    legend[ch] = (0, 0, 0, 0)
                elif len(value) in (3, 4):
                    rgba = [parse_int(path, n, v, 0, 255, "colour") for v in value]
                    if len(rgba) == 3:
                        rgba.append(255)
                    legend[ch] = tuple(rgba)
                else:
                    raise SourceError("%s:%d: a colour is 'c = R G B', 'c = R G B A' or 'c = none'"
                                      % (path, n))
                continue
            grid_start = n
        if raw == "" and n == len(lines):
            continue
        grid.append((n, raw))
    if not legend:
        raise SourceError("%s: no colour legend" % path)
    if len(grid) != size:
        raise SourceError("%s: the picture has %d rows, expected %d" % (path, len(grid), size))
    used = set()
    rows = []
    for n, line in grid:
        if len(line) != size:
            raise SourceError("%s:%d: %d pixels wide, expected %d" % (path, n, len(line), size))
        for col, ch in enumerate(line):
            if ch not in legend:
                raise SourceError("%s:%d: column %d: %r is not in the legend"
                                  % (path, n, col + 1, ch))
            used.add(ch)
        rows.append([legend[ch] for ch in line])
    unused = sorted(set(legend) - used)
    if unused:
        raise SourceError("%s: legend entries never used: %s" % (path, " ".join(unused)))
    return rows


def render_icon(src):
    return [(s, parse_icon(os.path.join(src, "icon-%d.txt" % s), s)) for s in ICON_SIZES]


# ---------------------------------------------------------------------------
# Reading back and checking

class CheckError(Exception):
    pass


def read_bmp8(path, size):
    data = read_bytes(path, CheckError)
    offset = BMP_HEADER_BYTES + INFO_BYTES + PALETTE_BYTES
    if len(data) < offset or data[:2] != b"BM":
        raise CheckError("%s: not a BMP file" % path)
    _, file_size, _, _, bits_at = struct.unpack_from("<2sIHHI", data, 0)
    (info_size, width, height, planes, bpp, compression, size_image,
     _, _, colours_used, _) = struct.unpack_from("<IiiHHIIiiII", data, BMP_HEADER_BYTES)
    if file_size != len(data):
        raise CheckError("%s: header says %d bytes, file has %d" % (path, file_size, len(data)))
    if info_size != INFO_BYTES:
        raise CheckError("%s: info header is %d bytes, must be 40" % (path, info_size))
    if (width, height) != size:
        raise CheckError("%s: %dx%d, must be %dx%d" % (path, width, height, size[0], size[1]))
    if planes != 1 or bpp != 8 or compression != 0:
        raise CheckError("%s: must be one plane, 8 bits per pixel, uncompressed" % path)
    if colours_used not in (0, 256):
        raise CheckError("%s: biClrUsed %d, the palette must have all 256 entries"
                         % (path, colours_used))
    if size_image != stride8(width) * height:
        raise CheckError("%s: biSizeImage %d, padded rows need %d"
                         % (path, size_image, stride8(width) * height))
    if bits_at != offset or len(data) != offset + size_image:
        raise CheckError("%s: pixels must follow the 256-entry palette directly" % path)
    palette = []
    for i in range(256):
        b, g, r, reserved = data[BMP_HEADER_BYTES + INFO_BYTES + 4 * i:][:4]
        if reserved:
            raise CheckError("%s: palette entry %d has a non-zero reserved byte" % (path, i))
        palette.append((r, g, b))
    stride = stride8(width)
    rows = []
    for y in range(height):
        start = offset + (height - 1 - y) * stride
        rows.append(list(data[start:start + width]))
        if any(data[start + width:start + stride]):
            raise CheckError("%s: row %d has non-zero padding" % (path, y))
    return [[palette[i] for i in row] for row in rows], palette


def check_banner(path):
    rows, palette = read_bmp8(path, BANNER_SIZE)
    if palette.count(KEY) != 1:
        raise CheckError("%s: %d palette entries are the key colour, must be one"
                         % (path, palette.count(KEY)))
    colours = [c for row in rows for c in row]
    if rows[0][0] != KEY:
        raise CheckError("%s: the corner must be the key colour %r" % (path, KEY))
    letters = [c for c in colours if c != KEY]
    if not letters:
        raise CheckError("%s: nothing but the key colour" % path)
    for c in set(letters):
        # Anything green-tinged would show as a fringe once the key turns transparent.
        if c[1] > c[0] + 24 and c[1] > c[2] + 24:
            raise CheckError("%s: colour %r is close to the key" % (path, c))
    ink = [c for c in letters if c == INK_ORANGE]
    if not ink:
        raise CheckError("%s: no lettering in %r" % (path, INK_ORANGE))


def check_signature(path):
    rows, _ = read_bmp8(path, SIGNATURE_SIZE)
    for x, y in ((0, 0), (143, 0), (0, 46), (143, 46)):
        if rows[y][x] != SIGNATURE_GROUND:
            raise CheckError("%s: corner (%d, %d) must be the ground %r"
                             % (path, x, y, SIGNATURE_GROUND))
    dark = sum(1 for row in rows for c in row if sum(c) < 60)
    if dark < 100:
        raise CheckError("%s: only %d dark pixels; the signature is missing" % (path, dark))


def check_cover(path):
    rows, _ = read_bmp8(path, COVER_SIZE)
    w, h = COVER_SIZE
    for x, y in ((0, 0), (w - 1, 0), (0, h - 1), (w - 1, h - 1)):
        if rows[y][x] != COVER_GROUND:
            raise CheckError("%s: corner (%d, %d) is %r, must be %r"
                             % (path, x, y, rows[y][x], COVER_GROUND))
    if rows[h // 2][w // 2] != COVER_PANEL:
        raise CheckError("%s: centre is %r, must be %r" % (path, rows[h // 2][w // 2], COVER_PANEL))
    for c in set(c for row in rows for c in row):
        if not (c[0] == c[1] == c[2] and 128 <= c[0] <= 192):
            raise CheckError("%s: colour %r is not a grey between the two" % (path, c))


def check_icon(path):
    data = read_bytes(path, CheckError)
    if len(data) < 6:
        raise CheckError("%s: too short for an icon" % path)
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if reserved != 0 or kind != 1 or count == 0 or len(data) < 6 + 16 * count:
        raise CheckError("%s: not an icon file" % path)
    sizes = []
    for i in range(count):
        w, h, colours, res, planes, bpp, length, offset = struct.unpack_from(
            "<BBBBHHII", data, 6 + 16 * i)
        w, h = w or 256, h or 256
        if w != h or offset + length > len(data) or length < INFO_BYTES:
            raise CheckError("%s: image %d: bad directory entry" % (path, i))
        info = struct.unpack_from("<IiiHHIIiiII", data, offset)
        if info[0] != INFO_BYTES or info[1] != w or info[2] != 2 * h or info[4] != 32:
            raise CheckError("%s: image %d: header must be 40 bytes, %dx%d doubled, 32 bits"
                             % (path, i, w, h))
        want = INFO_BYTES + w * h * 4 + ((w + 31) // 32) * 4 * h
        if length != want:
            raise CheckError("%s: image %d: %d bytes, expected %d" % (path, i, length, want))
        sizes.append(w)
    for s in REQUIRED_ICON_SIZES:
        if s not in sizes:
            raise CheckError("%s: no %dx%d image" % (path, s, s))


OUTPUT_NAMES = (("banner.bmp", check_banner), ("signature.bmp", check_signature),
                ("cover.bmp", check_cover), ("icon.ico", check_icon))


# ---------------------------------------------------------------------------
# Previews

class Canvas(RgbCanvas):
    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.px[y][x * 3:x * 3 + 3] = bytes(colour)

    def image(self, x, y, rows, scale=1):
        """rows: RGB triples, or None for 'leave what is there'."""
        for r, row in enumerate(rows):
            for c, colour in enumerate(row):
                if colour is not None:
                    self.fill(x + c * scale, y + r * scale, scale, scale, colour)

    def text(self, x, y, s, font, colour=(60, 60, 60)):
        for ch in s.lower():
            if ch == " ":
                x += 3
                continue
            glyph = font.glyphs[ch]
            for r, row in enumerate(glyph):
                for k, p in enumerate(row):
                    if p == "#":
                        self.put(x + k, y + r, colour)
            x += len(glyph[0]) + font.spacing


def as_rgb(pixels, palette):
    return [[palette[i] for i in row] for row in pixels]


def panel_draw(pixels, palette, dst_w, dst_h, ground=BUTTON_FACE):
    """The banner as the panel paints it: the key is transparent over the button face.
    Shrinking follows the device context's default stretch mode, which ANDs the merged
    source pixels; the key is black in the image by then, so merged edges darken."""
    src_h, src_w = len(pixels), len(pixels[0])
    key_indices = {i for i, c in enumerate(palette) if c == KEY}

    def groups(src, dst):
        if dst >= src:
            return [[min(src - 1, j * src // dst)] for j in range(dst)]
        return [list(range(j * src // dst, (j + 1) * src // dst)) for j in range(dst)]

    out = []
    for ys in groups(src_h, dst_h):
        row = []
        for xs in groups(src_w, dst_w):
            mask = 1
            image = (255, 255, 255)
            for y in ys:
                for x in xs:
                    i = pixels[y][x]
                    is_key = i in key_indices
                    mask &= 1 if is_key else 0
                    c = (0, 0, 0) if is_key else palette[i]
                    image = tuple(a & b for a, b in zip(image, c))
            row.append(ground if mask else image)
        out.append(row)
    return out


def scaled(rows, w, h):
    """Nearest-neighbour stretch, for showing how a panel fills other rectangles."""
    sh, sw = len(rows), len(rows[0])
    return [[rows[y * sh // h][x * sw // w] for x in range(w)] for y in range(h)]


def rest_margin(w, h):
    """The banner's inset at rest: a tenth of its smaller side, at least one pixel."""
    return max(1, min(w, h) // 10)


def banner_in_control(pixels, palette, cw, ch, hover):
    m = 0 if hover else rest_margin(cw, ch)
    out = [[BUTTON_FACE] * cw for _ in range(ch)]
    for r, row in enumerate(panel_draw(pixels, palette, cw - 2 * m, ch - 2 * m)):
        out[r + m][m:m + len(row)] = row
    return out


# Controls the banner gets: at the default 640x480 window, and a smaller one.
PREVIEW_CONTROLS = ((252, 44), (227, 34))


def preview_banner(src, out_dir, label_font):
    long_url = "http://www.example.com/~user/cards?id=42"
    z = 3
    cw, ch = PREVIEW_CONTROLS[0]
    w, h = BANNER_SIZE
    block = 14 + ch + 12 + 2 * (14 + ch * z + 12) + 14 + h * z + 12
    canvas = Canvas(2 * 16 + cw * z, 12 + 2 * block, BUTTON_FACE)
    y = 12
    for url in (DEFAULT_URL, long_url):
        pixels, palette = render_banner(url, src)
        canvas.text(16, y, "1x  %dx%d control  hover  rest    %dx%d control  rest    %s"
                    % (cw, ch, PREVIEW_CONTROLS[1][0], PREVIEW_CONTROLS[1][1], url), label_font)
        y += 14
        x = 16
        for (bw, bh), hover in ((PREVIEW_CONTROLS[0], True), (PREVIEW_CONTROLS[0], False),
                                (PREVIEW_CONTROLS[1], False)):
            canvas.image(x, y, banner_in_control(pixels, palette, bw, bh, hover))
            x += bw + 16
        y += ch + 12
        for caption, hover in (("3x  hover", True), ("3x  rest", False)):
            canvas.text(16, y, caption, label_font)
            y += 14
            canvas.image(16, y, banner_in_control(pixels, palette, cw, ch, hover), z)
            y += ch * z + 12
        canvas.text(16, y, "3x  bitmap with its key", label_font)
        y += 14
        canvas.image(16, y, as_rgb(pixels, palette), z)
        y += h * z + 12
    write_if_changed(os.path.join(out_dir, "banner.png"), canvas.png())


def preview_signature(src, out_dir, label_font):
    pixels, palette = render_signature(src)
    rows = as_rgb(pixels, palette)
    w, h = SIGNATURE_SIZE
    canvas = Canvas(16 + w + 16 + w * 4 + 16, 16 + h * 4 + 16, (255, 255, 255))
    canvas.text(16, 2, "1x and 4x", label_font)
    canvas.image(16, 16, rows, 1)
    canvas.image(16 + w + 16, 16, rows, 4)
    write_if_changed(os.path.join(out_dir, "signature.png"), canvas.png())


def preview_cover(out_dir, label_font):
    pixels, palette = render_cover()
    rows = as_rgb(pixels, palette)
    w, h = COVER_SIZE
    canvas = Canvas(16 + w * 2 + 16 + 390 + 16, 16 + 28 + 12 + 40 + 12 + 160 + 16, BUTTON_FACE)
    canvas.text(16, 4, "2x", label_font)
    canvas.image(16, 16, rows, 2)
    x = 16 + w * 2 + 16
    canvas.text(x, 4, "over the three fields at 600x400", label_font)
    y = 16
    for fh in (28, 40, 160):
        canvas.image(x, y, scaled(rows, 390, fh))
        y += fh + 12
    write_if_changed(os.path.join(out_dir, "cover.png"), canvas.png())


def over(ground, rgba):
    r, g, b, a = rgba
    return blend(ground, (r, g, b), a / 255.0)


def preview_icon(src, out_dir, label_font):
    images = render_icon(src)
    grounds = [(255, 255, 255), BUTTON_FACE, (58, 110, 165), (30, 30, 30)]
    z = 6
    band = 12 + 48 * z + 12
    width = 16 + sum(s + 12 for s, _ in images) + sum(s * z + 16 for s, _ in images)
    canvas = Canvas(width, 12 + len(grounds) * band, BUTTON_FACE)
    canvas.text(16, 2, "1x each size  then 6x  on four grounds", label_font)
    for gi, ground in enumerate(grounds):
        y = 12 + gi * band
        canvas.fill(0, y, canvas.width, band - 4, ground)
        x = 16
        flats = [(s, [[over(ground, p) for p in row] for row in rows]) for s, rows in images]
        for size, flat in flats:
            canvas.image(x, y + 12, flat)
            x += size + 12
        for size, flat in flats:
            canvas.image(x, y + 12, flat, z)
            x += size * z + 16
    write_if_changed(os.path.join(out_dir, "icon.png"), canvas.png())


# ---------------------------------------------------------------------------
# Commands

def cmd_banner(src, url, out):
    pixels, palette = render_banner(url, src)
    write_if_changed(out, encode_bmp8(pixels, palette))


def cmd_signature(src, out):
    pixels, palette = render_signature(src)
    write_if_changed(out, encode_bmp8(pixels, palette))


def cmd_cover(src, out):
    pixels, palette = render_cover()
    write_if_changed(out, encode_bmp8(pixels, palette))


def cmd_icon(src, out):
    write_if_changed(out, encode_ico(render_icon(src)))


def cmd_all(src, out_dir, url=DEFAULT_URL):
    cmd_banner(src, url, os.path.join(out_dir, "banner.bmp"))
    cmd_signature(src, os.path.join(out_dir, "signature.bmp"))
    cmd_cover(src, os.path.join(out_dir, "cover.bmp"))
    cmd_icon(src, os.path.join(out_dir, "icon.ico"))


def cmd_check(src, directory):
    for name, check in OUTPUT_NAMES:
        check(os.path.join(directory, name))


def cmd_preview(src, out_dir):
    os.makedirs(out_dir, exist_ok=True)
    label_font = parse_font(os.path.join(src, FONT_FILES[-1]))
    preview_banner(src, out_dir, label_font)
    preview_signature(src, out_dir, label_font)
    preview_cover(out_dir, label_font)
    preview_icon(src, out_dir, label_font)


USAGE = """usage: art.py [--src DIR] COMMAND ...
  art.py banner URL OUT.bmp
  art.py signature OUT.bmp
  art.py cover OUT.bmp
  art.py icon OUT.ico
  art.py all OUTDIR [URL]
  art.py check DIR
  art.py preview OUTDIR"""

COMMANDS = {
    "banner": (cmd_banner, 2, 2),
    "signature": (cmd_signature, 1, 1),
    "cover": (cmd_cover, 1, 1),
    "icon": (cmd_icon, 1, 1),
    "all": (cmd_all, 1, 2),
    "check": (cmd_check, 1, 1),
    "preview": (cmd_preview, 1, 1),
}


def main(argv):
    args = argv[1:]
    src = DEFAULT_SRC
    if args[:1] == ["--src"]:
        if len(args) < 2:
            return usage_error(USAGE)
        src = args[1]
        args = args[2:]
    return run_command("art.py", USAGE, COMMANDS, args, (SourceError, CheckError), src)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
