#!/usr/bin/env python3
"""Build examples/pelmo.csv (Shift-JIS, CR LF) from its UTF-8 source.

    python3 tools/make_sample_deck.py            # check the source, write the deck
    python3 tools/make_sample_deck.py --check    # check only; fail if the deck is stale

Source: tools/deck_source/sample_deck.tsv, one card per line with three TAB-separated
columns (word, pronunciation, meaning). Lines starting with "#" and blank lines are
left out. The deck gets the same cards in the same order as "word,pronunciation,meaning"
lines in code page 932, each ending in CR LF, with no byte-order mark and no header.

The source is refused (exit status 1, with file and line) when a card
  - does not have exactly three non-empty columns;
  - holds an ASCII comma or double quote (they would split or quote the line),
    a control character, or a character that code page 932 cannot encode
    in two bytes or as plain ASCII (half-width katakana included: the viewer takes
    every byte from 0x80 up as the first of two);
  - holds a backslash in the word or the pronunciation, or in the meaning one that
    is not part of the escapes \\n (line break) or \\\\ (backslash);
  - has, in the meaning, a character whose second byte is 0x5C followed directly by
    "n" or a backslash (the viewer would read that byte as the start of an escape);
  - has a pronunciation with anything that would not draw: every token must be in
    the glyph table, and only spaces may stand between tokens;
  - uses one of the plain letters a, c, e, i, o, q, u, x, y, which stand for no sound
    in the notation, other than as the letter of an alphabet card ("Q q" drawn as
    "q (kju0!:)");
  - has more than one primary stress, or repeats an earlier word.
It is also refused when any of the 70 glyphs is never drawn by the whole deck.
"""

import os
import sys

# Token text -> bitmap id: the 83 entries the pronunciation view knows.
from glyphs import TOKENS as TABLE

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SOURCE = os.path.join(ROOT, "tools", "deck_source", "sample_deck.tsv")
DECK = os.path.join(ROOT, "examples", "pelmo.csv")

ALL_IDS = sorted(set(TABLE.values()))
PRIMARY = {v for k, v in TABLE.items() if k.endswith("!") and not k.endswith("!!")}

# Plain letters that stand for no English sound in the notation: a vowel letter here is
# almost always a slip (an unbracketed "ae", a missing digit). They may only appear in
# the alphabet cards, whose word is "X x" and whose pronunciation is "x (name)".
NON_SOUND_LETTERS = {TABLE[ch] for ch in "aceioquxy"}

START = set("abcdefghijklmnopqrstuvwxyz()<>:;")
CONTINUATION = set("0123456789!")


def scan(notation):
    """Cut a notation into tokens the way the pronunciation view does.

    Returns (ids, problems): the ids drawn, and a description of every token,
    bracketed key or other byte that draws nothing (spaces excepted).
    """
    data = bytearray(notation.encode("cp932"))
    for n, b in enumerate(data):  # fold A-Z, leaving two-byte characters alone
        if 0x41 <= b <= 0x5A:
            data[n] = b + 0x20
    text = bytes(data)
    ids, problems = [], []
    i = 0
    while i < len(text):
        c = text[i]
        ch = chr(c)
        if c >= 0x80:
            problems.append("two-byte character at %d" % i)
            i += 2
        elif ch in START:
            j = i
            while j + 1 < len(text) and j + 1 - i < 5 and chr(text[j + 1]) in CONTINUATION:
                j += 1
            token = text[i:j + 1].decode("ascii")
            if token in TABLE:
                ids.append(TABLE[token])
            else:
                problems.append("token %r is not in the glyph table" % token)
            i = j + 1
        elif ch == "[":
            k = i + 1
            while k < len(text) and text[k] != 0x5D:
                k += 2 if text[k] >= 0x80 else 1
            if k >= len(text):
                problems.append("unmatched '[' at %d" % i)
                i += 1
                continue
            key = text[i + 1:k].decode("cp932", "replace")
            if key in TABLE:
                ids.append(TABLE[key])
            else:
                problems.append("bracketed key %r is not in the glyph table" % key)
            i = k + 1
        else:
            if ch != " ":
                problems.append("%r at %d draws nothing" % (ch, i))
            i += 1
    return ids, problems


def is_alphabet_card(word, notation):
    """A card for a letter: word "Q q", pronunciation "q (kju0!:)"."""
    return (len(word) == 3 and "A" <= word[0] <= "Z" and word[1] == " "
            and word[2] == word[0].lower() and notation.startswith(word[2] + " (")
            and notation.endswith(")"))


def meaning_problems(meaning):
    problems = []
    n = 0
    while n < len(meaning):
        ch = meaning[n]
        nxt = meaning[n + 1] if n + 1 < len(meaning) else ""
        if ch == "\\":
            if nxt in ("n", "\\"):
                n += 2
                continue
            problems.append("lone backslash at %d (write \\n or \\\\)" % n)
        else:
            raw = ch.encode("cp932")
            if len(raw) == 2 and raw[1] == 0x5C and nxt in ("n", "\\"):
                problems.append("%r (second byte 0x5C) is followed by %r, which the"
                                " viewer would read as an escape" % (ch, nxt))
        n += 1
    return problems


def field_problems(field, name):
    problems = []
    if not field:
        problems.append("%s is empty" % name)
    for ch in field:
        if ch in ',"':
            problems.append("%s holds %r" % (name, ch))
        elif ord(ch) < 0x20 or ord(ch) == 0x7F:
            problems.append("%s holds control character %r" % (name, ch))
        else:
            try:
                raw = ch.encode("cp932")
            except UnicodeEncodeError:
                problems.append("%s holds %r (U+%04X), not in code page 932"
                                % (name, ch, ord(ch)))
                continue
            if not (len(raw) == 1 and raw[0] < 0x80 or len(raw) == 2):
                problems.append("%s holds %r, a single byte above 0x7F" % (name, ch))
            elif raw.decode("cp932") != ch:
                problems.append("%s holds %r (U+%04X), which code page 932 stores as %r"
                                % (name, ch, ord(ch), raw.decode("cp932")))
    return problems


def read_cards(path):
    """Return the cards as (line number, word, notation, meaning); exit on errors."""
    with open(path, "rb") as f:
        raw = f.read()
    if raw.startswith(b"\xef\xbb\xbf"):
        raw = raw[3:]
    text = raw.decode("utf-8")
    cards, errors, seen = [], [], {}
    for number, line in enumerate(text.split("\n"), 1):
        line = line.rstrip("\r")
        if not line.strip() or line.startswith("#"):
            continue
        columns = line.split("\t")
        where = "%s:%d" % (os.path.relpath(path, ROOT), number)
        if len(columns) != 3:
            errors.append("%s: %d columns, expected 3" % (where, len(columns)))
            continue
        word, notation, meaning = columns
        problems = []
        problems += field_problems(word, "word")
        problems += field_problems(notation, "pronunciation")
        problems += field_problems(meaning, "meaning")
        if "\\" in word or "\\" in notation:
            problems.append("backslash in the word or the pronunciation")
        if not problems:
            problems += meaning_problems(meaning)
            ids, scan_problems = scan(notation)
            problems += scan_problems
            if sum(1 for i in ids if i in PRIMARY) > 1:
                problems.append("more than one primary stress")
            letters = [i for i in ids if i in NON_SOUND_LETTERS]
            if is_alphabet_card(word, notation):
                letters = letters[1:] if ids[0] == TABLE[word[2]] else letters
            if letters:
                problems.append("plain letter %s stands for no sound (write a vowel as"
                                " a0, e0, i1 ..., and ash as [ae])"
                                % ", ".join(chr(i - 107 + 97) for i in letters))
        if word in seen:
            problems.append("repeats the word of line %d" % seen[word])
        seen.setdefault(word, number)
        errors += ["%s: %s: %s" % (where, word, p) for p in problems]
        cards.append((number, word, notation, meaning))
    if errors:
        sys.stderr.write("\n".join(errors) + "\n")
        sys.exit(1)
    if not cards:
        sys.stderr.write("%s: no cards\n" % path)
        sys.exit(1)
    return cards


def main(argv):
    check_only = argv[1:] == ["--check"]
    if argv[1:] and not check_only:
        sys.stderr.write("usage: make_sample_deck.py [--check]\n")
        return 2
    cards = read_cards(SOURCE)
    used = {}
    for _, word, notation, _ in cards:
        for i in scan(notation)[0]:
            used[i] = used.get(i, 0) + 1
    unused = [i for i in ALL_IDS if i not in used]
    tokens_for = {}
    for k, v in TABLE.items():
        tokens_for.setdefault(v, k)
    deck = b"".join(("%s,%s,%s" % (w, p, m)).encode("cp932") + b"\r\n"
                    for _, w, p, m in cards)
    with_breaks = sum(1 for c in cards if "\\n" in c[3])

    print("cards: %d (%d with a line break in the meaning)" % (len(cards), with_breaks))
    print("glyphs drawn: %d of %d" % (len(ALL_IDS) - len(unused), len(ALL_IDS)))
    rare = sorted(used, key=lambda i: (used[i], i))[:8]
    print("least used: " + ", ".join("%s (%d) x%d" % (tokens_for[i], i, used[i])
                                      for i in rare))
    if unused:
        print("unused: " + ", ".join("%s (%d)" % (tokens_for[i], i) for i in unused))
        return 1

    old = None
    if os.path.exists(DECK):
        with open(DECK, "rb") as f:
            old = f.read()
    if check_only:
        if old != deck:
            print("%s is out of date; run tools/make_sample_deck.py" % os.path.relpath(DECK, ROOT))
            return 1
        print("%s is up to date (%d bytes)" % (os.path.relpath(DECK, ROOT), len(deck)))
        return 0
    if old != deck:
        os.makedirs(os.path.dirname(DECK), exist_ok=True)
        with open(DECK, "wb") as f:
            f.write(deck)
        print("wrote %s (%d bytes)" % (os.path.relpath(DECK, ROOT), len(deck)))
    else:
        print("%s unchanged (%d bytes)" % (os.path.relpath(DECK, ROOT), len(deck)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
