#!/usr/bin/env python3
"""Glyph bitmaps for the pronunciation view: text sources to BMP, RC and a contact sheet.

The 70 glyphs live in resources/glyphs/<id>-<name>.txt as 32 lines of '.' (white)
and '#' (black). This tool checks them strictly and turns them into what the build
and the reviewers need:

  glyphs.py bmp   SRC_DIR OUT_DIR            write OUT_DIR/<id>.bmp (24-bit, bottom-up)
  glyphs.py rc    SRC_DIR OUT_FILE BMP_DIR   write '<id> BITMAP "<BMP_DIR>/<id>.bmp"' lines
  glyphs.py sheet SRC_DIR OUT.png            contact sheet of every glyph plus sample words
  glyphs.py cpp   SRC_DIR TABLE_CPP OUT.cpp  the same pixels and each glyph's IPA as a C++ table
                                             (deck/glyph_bitmaps.h)

The rows below are the one record of what each glyph is: its id, file, IPA, tokens and metrics.
The viewer's glyph table (pronunciation/glyph_table.cpp, TABLE_CPP above) is checked against
them before the C++ table is written, so the tokens, ids and IPA cannot drift apart.

Outputs are rewritten only when their bytes change, so a rebuild after an unrelated
edit does not touch them. Exit status: 0 on success, 1 on bad sources, 2 on bad usage.
"""

import os
import re
import sys

from common import Canvas as RgbCanvas
from common import bmp_file, bmp_info, bmp_rows, read_bytes, run_command, write_if_changed

HEIGHT = 32

# Where ink may stand. Cells are drawn edge to edge from one top row, so every glyph must sit on
# the same baseline, start in the same column and leave its last column blank.
BASELINE = 24
DESCENDERS = (27, 28)  # lowest ink row of g j p q y and the eng

LETTER_WIDTHS = [11, 12, 12, 12, 12, 10, 12, 12, 6, 7, 12, 6, 17,
                 12, 12, 12, 12, 9, 11, 10, 12, 13, 17, 11, 13, 11]
# First ink row of each letter; g j p q y descend, the others end on the baseline.
LETTER_TOPS = [14, 9, 14, 9, 14, 9, 11, 9, 9, 6, 9, 9, 14,
               14, 14, 14, 14, 14, 14, 11, 14, 14, 14, 14, 15, 14]

# Vowels with stress forms: (first id, file name, IPA, width, base token, short form, first ink row
# of the plain form, top row of the body all three share, top row of the accents). The acute form
# is first id + 1, the grave form first id + 2, and their IPA the plain form's followed by U+0301
# or U+0300. The plain phonetic i has its dot on row 11.
VOWELS = [
    (300, "a", "a", 11, "a0", "a", 14, 14, 9),
    (303, "script-a", "\u0251", 13, "a1", None, 13, 13, 9),
    (306, "turned-v", "\u028C", 13, "a2", None, 13, 13, 8),
    (309, "ash", "\u00E6", 20, "ae", None, 14, 14, 9),
    (312, "e", "e", 12, "e0", "e", 14, 14, 9),
    (315, "schwa", "\u0259", 12, "e1", None, 14, 14, 9),
    (318, "schwa-hook", "\u025A", 15, "e2", None, 14, 14, 9),
    (321, "i", "i", 6, "i0", "i", 11, 14, 9),
    (324, "small-cap-i", "\u026A", 6, "i1", None, 14, 14, 9),
    (328, "o", "o", 12, "o0", "o", 14, 14, 9),
    (331, "open-o", "\u0254", 12, "o1", None, 14, 14, 9),
    (334, "u", "u", 12, "u0", "u", 14, 14, 9),
]
STRESS_FORMS = [(1, "!", "-acute", "\u0301"), (2, "!!", "-grave", "\u0300")]

# (id, file name, IPA, width, tokens, first ink row, lowest ink rows). Both bracket pairs draw
# round brackets, so that is what they print.
OTHERS = [
    (327, "length-mark", "\u02D0", 7, [":", ";"], 13, (22,)),
    (337, "ezh", "\u0292", 12, ["g1"], 15, (30,)),
    (338, "eng", "\u014B", 13, ["ng"], 14, DESCENDERS),
    (339, "esh", "\u0283", 12, ["s1"], 7, (27,)),
    (340, "theta", "\u03B8", 12, ["s2"], 9, (BASELINE,)),
    (341, "eth", "\u00F0", 11, ["t1"], 9, (BASELINE,)),
    (350, "paren-left", "(", 8, ["(", "<"], 7, (26,)),
    (351, "paren-right", ")", 8, [")", ">"], 7, (26,)),
]

INDENTED = {115, 118, 318, 319, 320, 321, 327, 339}  # first ink in column 2, not 1


class Glyph:
    def __init__(self, gid, name, ipa, width, tokens, top, bottoms, body=None):
        self.id = gid
        self.name = name
        self.ipa = ipa          # what it draws, as IPA: a plain letter is itself
        self.width = width
        self.tokens = tokens
        self.top = top          # first ink row
        self.bottoms = bottoms  # the rows the lowest ink may be on
        self.left = 2 if gid in INDENTED else 1
        self.body = body        # a stress form's (plain form's id, top row of the shared body)

    @property
    def filename(self):
        return "%d-%s.txt" % (self.id, self.name)


def glyph_table():
    """All 70 glyphs, ordered by id."""
    glyphs = []
    for i, width in enumerate(LETTER_WIDTHS):
        letter = chr(ord("a") + i)
        bottoms = DESCENDERS if letter in "gjpqy" else (BASELINE,)
        glyphs.append(Glyph(107 + i, letter, letter, width, [letter], LETTER_TOPS[i], bottoms))
    for first, name, ipa, width, base, short, plain_top, body, accent_top in VOWELS:
        glyphs.append(Glyph(first, name, ipa, width, [base], plain_top, (BASELINE,)))
        for offset, suffix, stress, accent in STRESS_FORMS:
            tokens = [base + suffix] + ([short + suffix] if short else [])
            glyphs.append(Glyph(first + offset, name + stress, ipa + accent, width, tokens,
                                accent_top, (BASELINE,), (first, body)))
    for gid, name, ipa, width, tokens, top, bottoms in OTHERS:
        glyphs.append(Glyph(gid, name, ipa, width, tokens, top, bottoms))
    glyphs.sort(key=lambda g: g.id)
    return glyphs


def check_metrics(sources):
    """Raises SourceError for the first glyph that breaks a rule the view relies on."""
    for gid, rows in sorted(sources.items()):
        g = BY_ID[gid]
        inked = [y for y, row in enumerate(rows) if "#" in row]
        if not inked:
            raise SourceError("%s: no ink" % g.filename)
        first_col = min(row.index("#") for row in rows if "#" in row)
        checks = [(inked[0] == g.top, "first ink row %d, expected %d" % (inked[0], g.top)),
                  (inked[-1] in g.bottoms, "last ink row %d, expected %s"
                   % (inked[-1], " or ".join(map(str, g.bottoms)))),
                  (first_col == g.left, "first ink column %d, expected %d" % (first_col, g.left)),
                  (all(row[-1] == "." for row in rows), "ink in the last column")]
        for ok, what in checks:
            if not ok:
                raise SourceError("%s: %s" % (g.filename, what))
        if g.body:
            plain, body = g.body
            if rows[body:] != sources[plain][body:]:
                raise SourceError("%s: body differs from %s" % (g.filename, BY_ID[plain].filename))
            above, below = rows[body - 1], rows[body]
            if any(above[x] == "#" and "#" in below[max(x - 1, 0):x + 2] for x in range(len(above))):
                raise SourceError("%s: accent touches the body" % g.filename)


GLYPHS = glyph_table()
BY_ID = {g.id: g for g in GLYPHS}
TOKENS = {t: g.id for g in GLYPHS for t in g.tokens}
assert len(GLYPHS) == 70 and len(TOKENS) == 83


class SourceError(Exception):
    pass


def read_sources(src_dir):
    """Returns {id: list of 32 strings}; raises SourceError naming file and line."""
    try:
        names = sorted(os.listdir(src_dir))
    except OSError as e:
        raise SourceError("%s: cannot list directory: %s" % (src_dir, e.strerror))
    found = {}
    for fname in names:
        if not fname.endswith(".txt"):
            continue  # README and the like sit beside the glyphs
        path = os.path.join(src_dir, fname)
        m = re.match(r"^(\d+)-", fname)
        glyph = BY_ID.get(int(m.group(1))) if m else None
        if glyph is None:
            raise SourceError("%s: not a glyph of the table (expected <id>-<name>.txt)" % path)
        if fname != glyph.filename:
            raise SourceError("%s: glyph %d must be named %s" % (path, glyph.id, glyph.filename))
        found[glyph.id] = parse_source(path, glyph.width)
    missing = [g.filename for g in GLYPHS if g.id not in found]
    if missing:
        raise SourceError("%s: missing %s" % (src_dir, ", ".join(missing)))
    check_metrics(found)
    return found


def parse_source(path, width):
    data = read_bytes(path, SourceError)
    try:
        text = data.decode("ascii")
    except UnicodeDecodeError:
        raise SourceError("%s: not plain ASCII" % path)
    # A checkout with CRLF line ends must not break the build.
    text = text.replace("\r\n", "\n")
    if text.endswith("\n"):
        text = text[:-1]
    lines = text.split("\n")
    for n, line in enumerate(lines, 1):
        bad = re.search(r"[^.#]", line)
        if bad:
            raise SourceError("%s:%d: column %d: %r is neither '.' nor '#'"
                              % (path, n, bad.start() + 1, bad.group()))
        if len(line) != width:
            raise SourceError("%s:%d: %d pixels wide, expected %d" % (path, n, len(line), width))
    if len(lines) != HEIGHT:
        raise SourceError("%s:%d: %d lines, expected %d" % (path, len(lines), len(lines), HEIGHT))
    return lines


def encode_bmp(rows):
    """Uncompressed 24-bit BMP: '#' black, anything else white."""
    lines = [b"".join(b"\x00\x00\x00" if ch == "#" else b"\xff\xff\xff" for ch in line)
             for line in rows]
    pixels = bmp_rows(lines)
    return bmp_file(bmp_info(len(rows[0]), len(rows), 24, len(pixels)), b"", pixels)


def cmd_bmp(src_dir, out_dir):
    sources = read_sources(src_dir)
    for gid in sorted(sources):
        write_if_changed(os.path.join(out_dir, "%d.bmp" % gid), encode_bmp(sources[gid]))


def cmd_rc(src_dir, out_file, bmp_dir):
    sources = read_sources(src_dir)
    bmp_dir = bmp_dir.replace("\\", "/").rstrip("/")
    text = "".join('%d BITMAP "%s/%d.bmp"\n' % (gid, bmp_dir, gid) for gid in sorted(sources))
    write_if_changed(out_file, text.encode("ascii"))


def read_table_tokens(path):
    """The (token, id) rows of kEntries in the viewer's pronunciation/glyph_table.cpp."""
    data = read_bytes(path, SourceError)
    match = re.search(rb"kEntries = \{\{(.*?)\}\};", data, re.S)
    if not match:
        raise SourceError("%s: no kEntries table found" % path)
    row = rb'\{"([^"\\]*)", (\d+)\}'
    body = re.sub(rb"//[^\n]*", b"", match.group(1))
    leftover = re.sub(row, b"", body).translate(None, b" ,\r\n")
    if leftover:
        raise SourceError("%s: kEntries holds %r, which is no {\"token\", id} row"
                          % (path, leftover[:20].decode("latin-1")))
    return [(t.decode("ascii"), int(i)) for t, i in re.findall(row, body)]


def check_table(path):
    """Raises SourceError unless the viewer's glyph table holds exactly the tokens of GLYPHS."""
    rows = read_table_tokens(path)
    seen = {}
    for token, gid in rows:
        if token in seen:
            raise SourceError('%s: "%s" stands twice' % (path, token))
        seen[token] = gid
    for token, gid in rows:
        if token not in TOKENS:
            raise SourceError('%s: "%s" (glyph %d) is no token of tools/glyphs.py'
                              % (path, token, gid))
        if TOKENS[token] != gid:
            raise SourceError('%s: "%s" is glyph %d, but %s in tools/glyphs.py'
                              % (path, token, gid, BY_ID[TOKENS[token]].filename))
    for token, gid in sorted(TOKENS.items()):
        if token not in seen:
            raise SourceError('%s: lacks "%s" (%s)' % (path, token, BY_ID[gid].filename))


def c_string(text):
    """A C string literal of text's UTF-8, non-ASCII bytes as octal escapes (which, unlike hex
    ones, cannot run on into the character after them)."""
    out = ""
    for byte in text.encode("utf-8"):
        char = chr(byte)
        out += "\\" + char if char in '"\\' else char if 0x20 <= byte < 0x7F else "\\%03o" % byte
    return '"%s"' % out


def cmd_cpp(src_dir, table_cpp, out_file):
    """Each glyph as its IPA and 32 row masks, bit x set where column x is black; first checks
    that the viewer's glyph table gives each glyph the tokens these rows do."""
    check_table(table_cpp)
    sources = read_sources(src_dir)
    lines = ["// Generated by tools/glyphs.py from resources/glyphs. Do not edit.",
             '#include "deck/glyph_bitmaps.h"',
             "",
             "namespace pelmo::deck {",
             "",
             "const GlyphBitmap kGlyphBitmaps[kGlyphBitmapCount] = {"]
    for gid in sorted(sources):
        g = BY_ID[gid]
        masks = [sum(1 << x for x, ch in enumerate(row) if ch == "#") for row in sources[gid]]
        lines.append("    {%d, %d, %s, {  // %s" % (gid, g.width, c_string(g.ipa), g.name))
        for i in range(0, HEIGHT, 8):
            lines.append("      " + ", ".join("0x%05X" % m for m in masks[i:i + 8]) + ",")
        lines.append("    }},")
    lines += ["};", "", "}  // namespace pelmo::deck", ""]
    write_if_changed(out_file, "\n".join(lines).encode("ascii"))


# ---------------------------------------------------------------------------
# Contact sheet

# A small label font, 5 pixels wide and 9 high: rows 0-6 above the baseline,
# rows 7-8 for descenders. Only what the labels need.
LABEL_FONT_ROWS = 9
LABEL_FONT = {
    "0": [".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."],
    "1": ["..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "2": [".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"],
    "3": ["#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."],
    "4": ["...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."],
    "5": ["#####", "#....", "####.", "....#", "....#", "#...#", ".###."],
    "6": ["..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."],
    "7": ["#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."],
    "8": [".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."],
    "9": [".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."],
    "a": ["", "", ".###.", "....#", ".####", "#...#", ".####"],
    "b": ["#....", "#....", "####.", "#...#", "#...#", "#...#", "####."],
    "c": ["", "", ".####", "#....", "#....", "#....", ".####"],
    "d": ["....#", "....#", ".####", "#...#", "#...#", "#...#", ".####"],
    "e": ["", "", ".###.", "#...#", "#####", "#....", ".####"],
    "f": ["..##.", ".#...", "####.", ".#...", ".#...", ".#...", ".#..."],
    "g": ["", "", ".####", "#...#", "#...#", "#...#", ".####", "....#", ".###."],
    "h": ["#....", "#....", "####.", "#...#", "#...#", "#...#", "#...#"],
    "i": ["..#..", "", ".##..", "..#..", "..#..", "..#..", ".###."],
    "j": ["...#.", "", "..##.", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.."],
    "k": ["#....", "#....", "#..#.", "#.#..", "##...", "#.#..", "#..#."],
    "l": [".##..", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "m": ["", "", "##.#.", "#.#.#", "#.#.#", "#.#.#", "#.#.#"],
    "n": ["", "", "####.", "#...#", "#...#", "#...#", "#...#"],
    "o": ["", "", ".###.", "#...#", "#...#", "#...#", ".###."],
    "p": ["", "", "####.", "#...#", "#...#", "#...#", "####.", "#....", "#...."],
    "q": ["", "", ".####", "#...#", "#...#", "#...#", ".####", "....#", "....#"],
    "r": ["", "", "#.##.", "##..#", "#....", "#....", "#...."],
    "s": ["", "", ".####", "#....", ".###.", "....#", "####."],
    "t": [".#...", ".#...", "####.", ".#...", ".#...", ".#..#", "..##."],
    "u": ["", "", "#...#", "#...#", "#...#", "#..##", ".##.#"],
    "v": ["", "", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    "w": ["", "", "#...#", "#...#", "#.#.#", "#.#.#", ".#.#."],
    "x": ["", "", "#...#", ".#.#.", "..#..", ".#.#.", "#...#"],
    "y": ["", "", "#...#", "#...#", "#...#", "#...#", ".####", "....#", ".###."],
    "z": ["", "", "#####", "...#.", "..#..", ".#...", "#####"],
    "(": ["...#.", "..#..", ".#...", ".#...", ".#...", "..#..", "...#."],
    ")": [".#...", "..#..", "...#.", "...#.", "...#.", "..#..", ".#..."],
    "<": ["", "...#.", "..#..", ".#...", "..#..", "...#.", ""],
    ">": ["", ".#...", "..#..", "...#.", "..#..", ".#...", ""],
    "[": [".###.", ".#...", ".#...", ".#...", ".#...", ".#...", ".###."],
    "]": [".###.", "...#.", "...#.", "...#.", "...#.", "...#.", ".###."],
    ":": ["", "", ".##..", ".##..", "", ".##..", ".##.."],
    ";": ["", "", ".##..", ".##..", "", ".##..", ".##..", ".#..."],
    "!": ["..#..", "..#..", "..#..", "..#..", "..#..", "", "..#.."],
    "-": ["", "", "", ".###.", "", "", ""],
    " ": [],
}

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
PAPER = (236, 236, 232)   # sheet background, so each white cell shows its own extent
GUIDE = (120, 150, 220)   # ticks at rows 9, 14 and 24 beside each cell
BORDER = (128, 128, 128)  # the view's one-pixel frame in the samples

SCALE = 3
LABEL_SCALE = 2

# Rows of the contact sheet: the letters, the vowels with their stress forms, the rest.
SHEET_ROWS = [
    list(range(107, 120)),
    list(range(120, 133)),
    list(range(300, 312)),
    list(range(312, 324)),
    list(range(324, 337)),
    [337, 338, 339, 340, 341, 350, 351],
]

# Sample words drawn the way the pronunciation view draws them.
SAMPLES = [
    ("thought", "s2o1!:t"),
    ("measure", "me0!g1e2"),
    ("sing", "si[ng]"),
    ("cat", "k[ae!]t"),
    ("father", "fa1!t1e2"),
    ("cup", "ka2!p"),
    ("more", "mo1!:(r)"),
    ("think", "s2i1![ng]k"),
    ("ice", "a0!i1s"),
    ("go", "go0!u"),
    ("usually", "ju!:g1u0e1li0"),
    ("pronunciation", "pre1na2!!nsie0!i1s1e1n"),
]


class Canvas(RgbCanvas):
    def frame(self, x, y, w, h, colour):
        self.fill(x, y, w, 1, colour)
        self.fill(x, y + h - 1, w, 1, colour)
        self.fill(x, y, 1, h, colour)
        self.fill(x + w - 1, y, 1, h, colour)

    def bitmap(self, x, y, rows, scale):
        for r, line in enumerate(rows):
            for c, ch in enumerate(line):
                self.fill(x + c * scale, y + r * scale, scale, scale,
                          BLACK if ch == "#" else WHITE)

    def text(self, x, y, s, scale=LABEL_SCALE, colour=BLACK):
        for ch in s:
            for r, line in enumerate(LABEL_FONT[ch]):
                for c, p in enumerate(line):
                    if p == "#":
                        self.fill(x + c * scale, y + r * scale, scale, scale, colour)
            x += 6 * scale


def text_width(s, scale=LABEL_SCALE):
    return len(s) * 6 * scale


def scan_notation(text):
    """Notation to glyph ids: lower-case, start character plus up to four digits or '!',
    or a bracketed key; anything else draws nothing."""
    starts = set("abcdefghijklmnopqrstuvwxyz()<>:;")
    data = text.lower()
    ids = []
    i = 0
    while i < len(data):
        c = data[i]
        if c in starts:
            j = i + 1
            while j < len(data) and j - i < 5 and (data[j].isdigit() or data[j] == "!"):
                j += 1
            if data[i:j] in TOKENS:
                ids.append(TOKENS[data[i:j]])
            i = j
        elif c == "[":
            k = data.find("]", i)
            if k < 0:
                i += 1
                continue
            if data[i + 1:k] in TOKENS:
                ids.append(TOKENS[data[i + 1:k]])
            i = k + 1
        else:
            i += 1
    return ids


def cmd_sheet(src_dir, out_png):
    sources = read_sources(src_dir)
    margin, gap = 16, 10
    line_h = LABEL_FONT_ROWS * LABEL_SCALE
    tick = 5  # guide ticks stand out this far left of each cell
    pitch = tick + max(g.width for g in GLYPHS) * SCALE + gap
    sheet_w = 2 * margin + pitch * max(len(r) for r in SHEET_ROWS) - gap
    labels_h = 3 * line_h + 4
    row_h = labels_h + HEIGHT * SCALE + 2 * gap

    sample_rows = (len(SAMPLES) + 1) // 2
    sample_h = line_h + 4 + (HEIGHT + 2) * SCALE + 2 * gap
    grid_h = row_h * len(SHEET_ROWS)
    height = margin + grid_h + line_h + gap + sample_rows * sample_h + margin
    canvas = Canvas(sheet_w, height, PAPER)

    for r, ids in enumerate(SHEET_ROWS):
        y = margin + r * row_h
        for c, gid in enumerate(ids):
            g = BY_ID[gid]
            x = margin + c * pitch
            # The id, then each token on a line of its own.
            for n, label in enumerate([str(gid)] + g.tokens):
                canvas.text(x + tick, y + n * line_h, label)
            top = y + labels_h
            canvas.bitmap(x + tick, top, sources[gid], SCALE)
            for row in (9, 14, 24):
                canvas.fill(x, top + row * SCALE + SCALE // 2, tick - 1, 1, GUIDE)

    y0 = margin + grid_h
    canvas.text(margin, y0, "as drawn in the pronunciation view")
    y0 += line_h + gap
    column_w = (sheet_w - 2 * margin) // 2
    for n, (word, notation) in enumerate(SAMPLES):
        x = margin + (n // sample_rows) * column_w
        y = y0 + (n % sample_rows) * sample_h
        ids = scan_notation(notation)
        canvas.text(x, y, word + "  " + notation)
        top = y + line_h + 4
        # The view: a one-pixel frame round a white client area, glyphs from column 5.
        client_w = 5 + sum(BY_ID[i].width for i in ids) + 8
        canvas.fill(x, top, (client_w + 2) * SCALE, (HEIGHT + 2) * SCALE, BORDER)
        canvas.fill(x + SCALE, top + SCALE, client_w * SCALE, HEIGHT * SCALE, WHITE)
        col = 5
        for gid in ids:
            canvas.bitmap(x + SCALE + col * SCALE, top + SCALE, sources[gid], SCALE)
            col += BY_ID[gid].width
    # Only the sheet has never created its folder; a missing one stays an error.
    write_if_changed(out_png, canvas.png(), make_parent=False)


USAGE = """usage:
  glyphs.py bmp   SRC_DIR OUT_DIR
  glyphs.py rc    SRC_DIR OUT_FILE BMP_DIR
  glyphs.py sheet SRC_DIR OUT.png
  glyphs.py cpp   SRC_DIR TABLE_CPP OUT.cpp"""

COMMANDS = {"bmp": (cmd_bmp, 2, 2), "rc": (cmd_rc, 3, 3), "sheet": (cmd_sheet, 2, 2),
            "cpp": (cmd_cpp, 3, 3)}


def main(argv):
    return run_command("glyphs.py", USAGE, COMMANDS, argv[1:], (SourceError,))


if __name__ == "__main__":
    sys.exit(main(sys.argv))
