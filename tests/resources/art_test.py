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
URL = "https://pelmo.example.org/"


def run(*args):
    return subprocess.run([sys.executable, TOOL] + list(args), capture_output=True, text=True)


class Art(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp()
        self.out = os.path.join(self.dir, "out")

    def tearDown(self):
        shutil.rmtree(self.dir)

    def refused(self, result, words, case):
        self.assertEqual(result.returncode, 1, case)
        self.assertIn(words, result.stderr, case)

    def test_writes_what_its_check_accepts_and_only_rewrites_changed_files(self):
        self.assertEqual(run("all", self.dir).returncode, 0)
        self.assertEqual(run("check", self.dir).returncode, 0)
        banner = os.path.join(self.dir, "banner.bmp")
        os.utime(banner, (1000000000, 1000000000))
        self.assertEqual(run("banner", URL, banner).returncode, 0)
        self.assertEqual(os.stat(banner).st_mtime, 1000000000)
        # A host name in capitals is drawn as the lower-case one it means.
        self.assertEqual(run("banner", "https://PELMO.example.org/", self.out).returncode, 0)
        with open(banner, "rb") as a, open(self.out, "rb") as b:
            self.assertEqual(a.read(), b.read())

    def test_check_refuses_bitmaps_the_panels_could_not_take(self):
        for name, offset, value, words in (
                ("cover.bmp", 14 + 32, 16, "biClrUsed 16"),
                ("signature.bmp", 14 + 20, 0, "biSizeImage 0"),
                ("banner.bmp", 14 + 40 + 4 * 200, 0x0000FF00, "2 palette entries are the key"),
                ("banner.bmp", 14 + 40 + 4 * 16, 0x0040E040, "close to the key")):
            self.assertEqual(run("all", self.dir).returncode, 0)
            with open(os.path.join(self.dir, name), "r+b") as f:
                f.seek(offset)
                f.write(struct.pack("<I", value))
            self.refused(run("check", self.dir), words, words)

    def test_refuses_addresses_it_cannot_draw_and_writes_nothing(self):
        self.assertEqual(run("banner", "http://www.example.com/~user/cards?id=42", self.out)
                         .returncode, 0)
        os.remove(self.out)
        for url, words in (("https://example.org/" + "x" * 60, "does not fit"),
                           ("https://example.org/a b", "cannot draw ' '"),
                           ("https://example.org/Cards", "capital"), ("", "empty")):
            self.refused(run("banner", url, self.out), words, url)
            self.assertFalse(os.path.exists(self.out))
        for args in (["banner"], ["paint", "x"], []):
            self.assertEqual(run(*args).returncode, 2, args)

    def test_refuses_each_broken_source_naming_it(self):
        src = os.path.join(self.dir, "src")
        for name, old, new, command, words in (
                ("font-large.txt", "\n.#####.\n", "\n.##x##.\n", "banner", "font-large.txt:"),
                ("font-small.txt", "\n.##.\n", "\n.##..\n", "banner", "pixels wide"),
                ("font-small.txt", "[%]", "[z]", "banner", "drawn twice"),
                ("font-small.txt", "[#]", "\0", "banner", "no glyph for #"),
                ("font-large.txt", "[.]\n..\n", "[.]\n", "banner", "rows, expected 14"),
                ("icon-32.txt", "KOOOO", "KOQOO", "icon", "icon-32.txt:"),
                ("icon-16.txt", "................\n", "...............\n", "icon",
                 "pixels wide, expected 16"),
                ("icon-48.txt", ". = none\n", ". = none\nz = 1 2 3\n", "icon", "never used: z"),
                ("signature.txt", "end\n", "", "signature", "signature.txt:"),
                ("signature.txt", "stroke underline\n", "stroke underline\n  500 10 1\n",
                 "signature", "out of range")):
            shutil.rmtree(src, ignore_errors=True)
            shutil.copytree(SOURCES, src)
            with open(os.path.join(src, name)) as f:
                text = f.read()
            self.assertIn(old, text)
            # "\0" marks a cut: the rest of the file from there is dropped.
            text = text.replace(old, new, 1)
            text = text[:text.index("\0")] if "\0" in text else text
            with open(os.path.join(src, name), "w") as f:
                f.write(text)
            args = ["--src", src, command] + (["https://x.org/"] if command == "banner" else [])
            self.refused(run(*args, self.out), words, words)
            self.assertFalse(os.path.exists(self.out))


if __name__ == "__main__":
    unittest.main()
