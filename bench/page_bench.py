#!/usr/bin/env python3
"""Size and load time of the page pelmo-deck writes, for decks of 20,000 and 1,000,000 cards, and
the time its list takes to open for 300 cards of 3,000 glyphs each.

    page_bench.py PELMO_DECK WORK_DIR [CARDS...]

Each deck repeats the sample deck's cards, the word numbered so every card differs and the meaning
given a second line ("例 N"), about 50 bytes a card. The page's
size is compared with the deck's size as UTF-8 plus the fixed part (the page of a one-card deck);
the load time is from the start of navigation to the page's mark "pelmo-first-card", set once card
1 is on show, in headless Chromium, the median of three loads. The list's times are from the click
on "List" to the frame after its first rows are added, and to the frame in which it reaches two
window heights down (as far as it fills unscrolled), at 390 x 844, the median of three.

Study: the first question's time is from the mark "pelmo-first-card" to "pelmo-first-question"
in a page that opens in the Study view, with no progress (the median of three loads), and with a
year's history, 72,000 ratings of 4,000 cards, in storage: the first load replays it, the next
two find the states the first kept beside it; rating is the time from a click on
"Good" until the next question is laid out, the median of 300 ratings; and the bytes the stored
progress takes a card studied and a rating, as UTF-8, after those ratings.
"""

import json

import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tools"))
from browser import Browser  # noqa: E402

tool, work = sys.argv[1:3]
counts = [int(n) for n in sys.argv[3:]] or [20000, 1000000]
sample = os.path.join(os.path.dirname(__file__), "..", "examples", "pelmo.csv")
with open(sample, "rb") as f:
    base = [line.split(b",", 1) for line in f.read().split(b"\r\n") if line]
os.makedirs(work, exist_ok=True)


def page_of(name, lines):
    deck = os.path.join(work, name + ".csv")
    page = os.path.abspath(os.path.join(work, name + ".html"))
    with open(deck, "wb") as f:
        f.write(b"".join(lines))
    start = time.monotonic()
    subprocess.run([tool, "page", deck, page], check=True, stdout=subprocess.DEVNULL)
    return deck, page, time.monotonic() - start


# From the click on "List": [ms to the frame after the first rows, ms until the list is as long as
# it grows unscrolled, rows then].
OPEN_LIST = """new Promise((done) => {
  const rows = document.getElementById('table').rows, more = document.getElementById('more');
  const start = performance.now();
  document.getElementById('show-list').click();
  requestAnimationFrame(() => setTimeout(() => {
    const shown = performance.now() - start;
    const filled = () => more.getBoundingClientRect().top >= innerHeight * 2 ||
      rows.length - 1 === %d;
    const wait = () => filled() ? done([shown, performance.now() - start, rows.length - 1])
                                : requestAnimationFrame(wait);
    wait();
  }));
})"""


def list_of_long_cards(count=300, glyphs=3000):
    _, page, _ = page_of("long-cards", [b"h%d,%s,m%d\r\n" % (i, b"ka0t" * (glyphs // 3), i)
                                        for i in range(count)])
    times = []
    with Browser(timeout=300) as browser:
        for _ in range(3):
            tab = browser.open("file://" + page, 390, 844)
            tab.eval("localStorage.clear()")  # else it opens in the list the last load left
            tab.navigate()
            times.append(tab.eval(OPEN_LIST % count))
            tab.call("Page.close")
    print("%d cards of %d glyphs: list's first rows shown %.0f ms after the click, the list as long "
          "as it grows unscrolled (%d rows) after %.0f ms (medians of %s)"
          % (count, glyphs, statistics.median(t[0] for t in times), times[0][2],
             statistics.median(t[1] for t in times),
             ", ".join("%.0f/%.0f" % (t[0], t[1]) for t in times)))


# A history of `cards` cards of the deck, `per` ratings each a day apart, as the page stores it.
HISTORY = """(() => {
  const d = JSON.parse(document.getElementById('deck').textContent), cards = [], ratings = [];
  for (let k = 0; k < %d; ++k) {
    const i = k * 5, ids = d.cards[i * 3 + 1];
    cards.push([d.cards[i * 3], [...ids].map((c) => d.glyphs[c.charCodeAt(0) - 48][2]).join(''), i]);
    for (let r = 0; r < %d; ++r) ratings.push(k, 0, 1767261600 + r * 86400 + k, 3);
  }
  localStorage.setItem('pelmo/study:' + d.name + '/progress', JSON.stringify({format:
    'pelmo progress', version: 1, deck: d.name, cards, ratings}));
})()"""
FIRST_QUESTION = ("performance.getEntriesByName('pelmo-first-question')[0].startTime - "
                  "performance.getEntriesByName('pelmo-first-card')[0].startTime")
# The median ms from a click on "Good" to the next question laid out, over n ratings.
RATE = """(() => {
  const n = document.getElementById('new-per-day');
  n.value = '100000';
  n.dispatchEvent(new Event('change'));
  const times = [];
  for (let k = 0; k < %d; ++k) {
    document.getElementById('reveal').click();
    const start = performance.now();
    document.querySelector('#grades [data-grade="3"]').click();
    void document.getElementById('s-word').getBoundingClientRect().height;
    times.push(performance.now() - start);
  }
  return times.sort((a, b) => a - b)[times.length >> 1];
})()"""
# The stored progress: [UTF-8 bytes of its cards, cards, bytes of its ratings, ratings].
STORED = """new Promise((done) => setTimeout(() => {
  const v = JSON.parse(localStorage.getItem(Object.keys(localStorage).find((k) =>
    k.endsWith('/progress'))));
  const bytes = (x) => new TextEncoder().encode(JSON.stringify(x)).length;
  done([bytes(v.cards), v.cards.length, bytes(v.ratings), v.ratings.length / 4]);
}))"""


def study(page, count):
    times = {}
    with Browser(timeout=300) as browser:
        tab = browser.open("file://" + page)
        tab.click("#show-study")  # remembered: each load from now on opens in Study
        for history in (False, True):
            if history:
                tab.eval(HISTORY % (4000, 18))
            loads = []
            for _ in range(3):
                tab.navigate()
                loads.append(tab.eval(FIRST_QUESTION))
            times[history] = loads
        rating = tab.eval(RATE % 300)
        stored = tab.eval(STORED)
    print("%9d cards, Study: first question %.0f ms after card 1 with no progress (%s); with "
          "72,000 ratings of 4,000 cards %.0f ms replayed, then %s ms from the kept states; "
          "rating to the next question %.2f ms (median of 300); stored %.1f bytes a card studied "
          "(%d), %.1f bytes a rating (%d)"
          % (count, statistics.median(times[False]), ", ".join("%.0f" % t for t in times[False]),
             times[True][0], " and ".join("%.0f" % t for t in times[True][1:]), rating,
             stored[0] / stored[1], stored[1], stored[2] / stored[3], stored[3]))


_, one, _ = page_of("one", [b"a,,\r\n"])
fixed = os.path.getsize(one)
print("fixed part (page of a one-card deck): %d bytes" % fixed)
for count in counts:
    lines = [b"%s-%07d,%s\\n\x97\xe1 %d\r\n" % (base[i % len(base)][0], i, base[i % len(base)][1], i)
             for i in range(count)]
    deck, page, written = page_of("deck%d" % count, lines)
    utf8 = len(b"".join(lines).decode("cp932").encode("utf-8"))
    size = os.path.getsize(page)
    loads = []
    with Browser(timeout=300) as browser:
        for _ in range(3):
            tab = browser.open("file://" + page)
            loads.append(tab.eval("performance.getEntriesByName('pelmo-first-card')[0].startTime"))
            assert tab.eval("document.getElementById('counter').textContent") == "1 / %d" % count
            tab.call("Page.close")
    print("%9d cards: deck %d bytes (UTF-8 %d), page %d bytes = %.3f x UTF-8 + fixed (limit 2), "
          "written in %.2f s; card 1 shown %.0f ms after navigation (median of %s)"
          % (count, os.path.getsize(deck), utf8, size, (size - fixed) / utf8, written,
             statistics.median(loads), ", ".join("%.0f" % t for t in loads)))
    study(page, count)
list_of_long_cards()
