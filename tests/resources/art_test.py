#!/usr/bin/env python3
"""Checks tools/art.py end to end: what it writes, and what it refuses.

Run it directly (python3 tests/resources/art_test.py); it needs nothing beyond Python.
"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
TOOL = os.path.join(ROOT, "tools", "art.py")
SOURCES = os.path.join(ROOT, "resources", "art")


def run(*args):
    return subprocess.run([sys.executable, TOOL] + list(args),
                          capture_output=True, text=True)


def bmp_info(path):
    with open(path, "rb") as f:
        data = f.read()
    info = struct.unpack_from("<IiiHHIIiiII", data, 14)
    return data, info


class Outputs(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.mkdtemp()
        result = run("all", cls.dir)
        assert result.returncode == 0, result.stderr

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.dir)

    def test_check_accepts_what_all_writes(self):
        result = run("check", self.dir)
        self.assertEqual(result.returncode, 0, result.stderr)

    def test_panel_bitmaps_are_header_palette_pixels(self):
        for name, (w, h) in (("banner.bmp", (227, 34)), ("signature.bmp", (144, 47)),
                             ("cover.bmp", (256, 64))):
            data, info = bmp_info(os.path.join(self.dir, name))
            size, width, height, planes, bpp, compression, size_image = info[:7]
            stride = (w + 3) & ~3
            self.assertEqual((size, width, height, planes, bpp, compression),
                             (40, w, h, 1, 8, 0), name)
            self.assertIn(info[9], (0, 256), name)
            self.assertEqual(size_image, stride * h, name)
            self.assertEqual(len(data), 14 + 40 + 1024 + size_image, name)

    def test_banner_key_is_palette_entry_zero_only(self):
        data, _ = bmp_info(os.path.join(self.dir, "banner.bmp"))
        palette = [tuple(data[54 + 4 * i:54 + 4 * i + 3]) for i in range(256)]
        self.assertEqual(palette[0], (0, 255, 0))  # stored blue, green, red
        self.assertEqual(palette.count((0, 255, 0)), 1)
        pixels = data[54 + 1024:]
        self.assertGreater(sum(1 for p in pixels if p != 0), 500)

    def test_cover_corners_and_centre(self):
        data, _ = bmp_info(os.path.join(self.dir, "cover.bmp"))
        palette = [tuple(reversed(data[54 + 4 * i:54 + 4 * i + 3])) for i in range(256)]
        pixels = data[54 + 1024:]

        def at(x, y):  # bottom-up rows of 256 bytes
            return palette[pixels[(63 - y) * 256 + x]]

        for x, y in ((0, 0), (255, 0), (0, 63), (255, 63)):
            self.assertEqual(at(x, y), (192, 192, 192))
        self.assertEqual(at(128, 32), (128, 128, 128))

    def test_icon_has_16_32_and_48(self):
        with open(os.path.join(self.dir, "icon.ico"), "rb") as f:
            data = f.read()
        self.assertEqual(struct.unpack_from("<HHH", data, 0), (0, 1, 3))
        sizes = [data[6 + 16 * i] for i in range(3)]
        self.assertEqual(sizes, [16, 32, 48])

    def test_rerun_leaves_files_alone(self):
        path = os.path.join(self.dir, "banner.bmp")
        os.utime(path, (1000000000, 1000000000))
        self.assertEqual(run("banner", "https://pelmo.example.org/", path).returncode, 0)
        self.assertEqual(os.stat(path).st_mtime, 1000000000)


class Banner(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp()
        self.out = os.path.join(self.dir, "b.bmp")

    def tearDown(self):
        shutil.rmtree(self.dir)

    def test_forty_characters_fit(self):
        result = run("banner", "http://www.example.com/~user/cards?id=42", self.out)
        self.assertEqual(result.returncode, 0, result.stderr)

    def test_host_in_capitals_is_drawn_in_lower_case(self):
        a = run("banner", "https://PELMO.example.org/", self.out)
        self.assertEqual(a.returncode, 0, a.stderr)
        with open(self.out, "rb") as f:
            upper = f.read()
        run("banner", "https://pelmo.example.org/", self.out)
        with open(self.out, "rb") as f:
            self.assertEqual(f.read(), upper)

    def test_refusals(self):
        for url, words in (("https://example.org/" + "x" * 60, "does not fit"),
                           ("https://example.org/a b", "cannot draw ' '"),
                           ("https://example.org/Cards", "capital"),
                           ("", "empty")):
            result = run("banner", url, self.out)
            self.assertEqual(result.returncode, 1, url)
            self.assertIn(words, result.stderr)
            self.assertFalse(os.path.exists(self.out))

    def test_usage(self):
        self.assertEqual(run("banner").returncode, 2)
        self.assertEqual(run("paint", "x").returncode, 2)
        self.assertEqual(run().returncode, 2)


class Sources(unittest.TestCase):
    """Each broken source is refused with its file and line."""

    def setUp(self):
        self.src = tempfile.mkdtemp()
        for name in os.listdir(SOURCES):
            shutil.copy(os.path.join(SOURCES, name), self.src)
        self.out = os.path.join(self.src, "out")

    def tearDown(self):
        shutil.rmtree(self.src)

    def spoil(self, name, old, new):
        path = os.path.join(self.src, name)
        with open(path) as f:
            text = f.read()
        self.assertIn(old, text)
        with open(path, "w") as f:
            f.write(text.replace(old, new, 1))

    def refused(self, command, words):
        result = run("--src", self.src, command, *(["https://x.org/"] if command == "banner"
                                                    else []), self.out)
        self.assertEqual(result.returncode, 1, result.stderr)
        self.assertIn(words, result.stderr)
        self.assertFalse(os.path.exists(self.out))

    def test_sources_as_shipped_are_accepted(self):
        result = run("--src", self.src, "all", self.out)
        self.assertEqual(result.returncode, 0, result.stderr)

    def test_font_stray_character(self):
        self.spoil("font-large.txt", "\n.#####.\n", "\n.##x##.\n")
        self.refused("banner", "font-large.txt:")

    def test_font_ragged_row(self):
        self.spoil("font-small.txt", "\n.##.\n", "\n.##..\n")
        self.refused("banner", "pixels wide")

    def test_font_glyph_drawn_twice(self):
        self.spoil("font-small.txt", "[%]", "[z]")
        self.refused("banner", "drawn twice")

    def test_font_missing_glyph(self):
        path = os.path.join(self.src, "font-small.txt")
        with open(path) as f:
            text = f.read()
        with open(path, "w") as f:
            f.write(text[:text.index("[#]")])
        self.refused("banner", "no glyph for #")

    def test_font_short_glyph(self):
        self.spoil("font-large.txt", "[.]\n..\n", "[.]\n")
        self.refused("banner", "rows, expected 14")

    def test_icon_unknown_colour(self):
        self.spoil("icon-32.txt", "KOOOO", "KOQOO")
        self.refused("icon", "icon-32.txt:")

    def test_icon_wrong_size(self):
        self.spoil("icon-16.txt", "................\n", "...............\n")
        self.refused("icon", "pixels wide, expected 16")

    def test_icon_unused_legend_entry(self):
        self.spoil("icon-48.txt", ". = none\n", ". = none\nz = 1 2 3\n")
        self.refused("icon", "never used: z")

    def test_signature_unclosed_stroke(self):
        self.spoil("signature.txt", "end\n", "")
        self.refused("signature", "signature.txt:")

    def test_signature_point_off_the_page(self):
        self.spoil("signature.txt", "stroke underline\n", "stroke underline\n  500 10 1\n")
        self.refused("signature", "out of range")


class Check(unittest.TestCase):
    """The read-back check catches bitmaps the panel loader could not take."""

    def setUp(self):
        self.dir = tempfile.mkdtemp()
        self.assertEqual(run("all", self.dir).returncode, 0)

    def tearDown(self):
        shutil.rmtree(self.dir)

    def patch(self, name, offset, fmt, value):
        path = os.path.join(self.dir, name)
        with open(path, "r+b") as f:
            f.seek(offset)
            f.write(struct.pack(fmt, value))

    def failed(self, words):
        result = run("check", self.dir)
        self.assertEqual(result.returncode, 1)
        self.assertIn(words, result.stderr)

    def test_short_palette(self):
        self.patch("cover.bmp", 14 + 32, "<I", 16)
        self.failed("biClrUsed 16")

    def test_missing_image_size(self):
        self.patch("signature.bmp", 14 + 20, "<I", 0)
        self.failed("biSizeImage 0")

    def test_second_green_entry(self):
        self.patch("banner.bmp", 14 + 40 + 4 * 200, "<I", 0x0000FF00)
        self.failed("2 palette entries are the key colour")

    def test_green_tinted_lettering(self):
        # Palette entry 16 is the frame colour; a greenish one would fringe on screen.
        self.patch("banner.bmp", 14 + 40 + 4 * 16, "<I", 0x0040E040)
        self.failed("close to the key")


if __name__ == "__main__":
    unittest.main()
