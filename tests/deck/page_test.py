#!/usr/bin/env python3
"""The page pelmo-deck writes, in a real browser (headless Chromium): one load of a small deck
with hostile text drives most checks; a 40,000-row deck checks the long shuffle and the size, and a
deck of some cards of 3,000 glyphs how the list grows.

    page_test.py PELMO_DECK SHUFFLE_ORDERS WORK_DIR [--screenshots DIR SAMPLE_DECK]
"""

import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tools"))
from browser import Browser, read_png  # noqa: E402

tool, orders_tool, work = sys.argv[1], sys.argv[2], os.path.abspath(sys.argv[3])
CARDS = [  # word, notation, meaning as the deck holds them; what each card must show
    ("hello", "he1lo0!u0", "こんにちは\\nやあ", "こんにちは\nやあ"),
    ("<script>window.pwned=1</script>", "s2[ae!][ng]k", '</textarea><b>&amp; "q" \'s\'',
     '</textarea><b>&amp; "q" \'s\''),
    ("</script><script>window.pwned=2</script>", "", "<!--<script>window.pwned=3</script>",
     "<!--<script>window.pwned=3</script>"),
    ('<img src=x onerror="window.pwned=4">', "ka0t", "考える\\\\n", "考える\\\n"),  # the \n goes first
    ("five!", "faiv", "5!", "5!"),
]
failures = []


def check(what, got, want):
    if got != want:
        failures.append("%s: got %.300r, want %.300r" % (what, got, want))


def run(*args):
    return subprocess.run(args, check=True, capture_output=True).stdout


def write_page(name, lines, *options):
    deck, page = os.path.join(work, name + ".csv"), os.path.join(work, name + ".html")
    with open(deck, "wb") as f:
        f.write("".join(",".join(c) + "\r\n" for c in lines).encode("cp932"))
    run(tool, "page", *options, deck, page)
    return deck, page


def shown(tab):
    return tab.eval("['counter', 'word', 'meaning'].map(id => document.getElementById(id)"
                    ".textContent)")


def hidden(tab, selector):
    return tab.eval("getComputedStyle(document.querySelector(%r)).visibility" % selector)


def small_deck(browser):
    title = "</title><script>window.pwned=5</script> & 'ß'"
    deck, page = write_page("small", [c[:3] for c in CARDS], "--title", title)
    tab = browser.open("file://" + page)
    check("title", tab.eval("document.title + document.querySelector('h1').textContent"), title * 2)
    check("card 1", shown(tab), ["1 / 5", CARDS[0][0], CARDS[0][3]])
    run(tool, "render", "--scale", "2", CARDS[0][1], os.path.join(work, "card1.png"))
    with open(os.path.join(work, "card1.png"), "rb") as f:
        want = read_png(f.read())
    got = read_png(tab.screenshot("#pron"))
    check("pronunciation size", got[:2], want[:2])
    check("pronunciation pixels differing",
          [(x, y) for y, row in enumerate(got[2]) for x, p in enumerate(row) if want[2][y][x] != p]
          if got[:2] == want[:2] else [], [])
    tab.key("ArrowLeft", "ArrowLeft", 37)
    check("< at card 1", shown(tab)[0], "5 / 5")
    tab.click("#next")
    check("> at card 5", shown(tab)[0], "1 / 5")
    for n, card in enumerate(CARDS[1:], 2):
        tab.key("ArrowRight", "ArrowRight", 39)
        check("card %d" % n, shown(tab), ["%d / 5" % n, card[0], card[3]])
    check("scripts run from the deck", tab.eval("window.pwned"), None)
    tab.key("1", "Digit1", 49, "1")
    tab.key("3", "Digit3", 51, "3")
    tab.key("ArrowRight", "ArrowRight", 39)
    check("word and meaning hidden on the next card",
          [hidden(tab, s) for s in ("#word", "#pron", "#meaning")]
          + [tab.eval("document.getElementById('hide-meaning').checked")],
          ["hidden", "visible", "hidden", True])
    tab.key("1", "Digit1", 49, "1")  # the word shown again, as printing checks
    # pelmo's order at the same position: card 3, Shuffle on, off, on again.
    words = [c[0] for c in CARDS]
    orders = [line.split("\t") for line in run(orders_tool, deck, "101").decode().splitlines()]
    tab.key("ArrowRight", "ArrowRight", 39)
    tab.key("ArrowRight", "ArrowRight", 39)
    for k, order in enumerate(orders):
        tab.click("#shuffle")
        check("order after switch %d" % k, [words[i] for i in tab.eval("pelmoOrder()")], order)
        check("card 3 after switch %d" % k, shown(tab)[1], order[2])
    tab.call("Page.printToPDF")  # printing lists every card first
    tab.call("Emulation.setEmulatedMedia", media="print")
    check("printed", tab.eval(
        "[...document.querySelectorAll('.bar > *, #cards, #list, thead, tbody tr')]"
        ".map(e => getComputedStyle(e).display + (e.matches('tr') ? ' ' + "
        "getComputedStyle(e).breakInside : ''))"),
        ["block", "none", "none", "none", "none", "none", "block", "table-header-group"]
        + ["table-row avoid"] * 5)
    check("printed words", tab.eval("[...document.querySelectorAll('td.w')].map(e => e.textContent)"),
          [words[int(i)] for i in tab.eval("pelmoOrder()")])
    check("printed meanings hidden", [hidden(tab, "td.m > div"), hidden(tab, "td.w > div")],
          ["hidden", "visible"])
    requests = [e["request"]["url"] for e in tab.events("Network.requestWillBeSent")]
    check("requests", [u for u in requests if not u.startswith("data:")], ["file://" + page])
    check("exceptions", tab.events("Runtime.exceptionThrown"), [])


def long_deck(browser):
    lines = [("w%d" % i, "ka0t", "考える%d" % i) for i in range(40000)]
    deck, page = write_page("long", lines)
    _, one = write_page("one", [("a", "", "")])
    utf8 = sum(len(",".join(c).encode()) + 2 for c in lines)
    fixed = os.path.getsize(one)
    check("page size within twice the deck plus the glyphs",
          os.path.getsize(page) <= 2 * utf8 + fixed, True)
    tab = browser.open("file://" + page)
    check("card 1 of 40000, titled by the file", shown(tab) + [tab.eval("document.title")],
          ["1 / 40000", "w0", "考える0", "long.csv"])
    tab.click("#shuffle")
    want = run(orders_tool, deck, "1").decode().split()  # no word holds a space
    check("order of 40000", ["w%d" % i for i in tab.eval("pelmoOrder()")] == want, True)


# Counts the rows of each addition to the list; then scrolls to the list's end each frame until
# it reaches card N, for 40 s at most (within the browser's own 60 s), and gives the most rows
# the list held in any frame.
WATCH_ROWS = """const table = document.getElementById('table'), steps = [];
new MutationObserver((records) => records.forEach((r) => r.addedNodes.forEach((n) =>
  steps.push(n.rows.length)))).observe(table, {childList: true});"""
SCROLL_TO_END = """new Promise((done) => {
  let most = 0;
  const end = setTimeout(() => done(most), 40000);
  const toEnd = () => {
    most = Math.max(most, document.querySelectorAll('#table tr:not(.gap)').length);
    if (table.querySelector('tbody:last-child tr:last-child td').textContent === '%d') {
      clearTimeout(end);
      done(most);
    } else {
      scrollTo(0, 1e9);
      requestAnimationFrame(toEnd);
    }
  };
  toEnd();
})"""
ROWS = ("[...document.querySelectorAll('#table tbody tr:not(.gap)')]"
        ".map(tr => [...tr.cells].map(td => td.textContent))")


def heavy_deck(browser):
    # Ten cards of 3,000 glyphs, then short ones: a step of the list is an amount of work, so a
    # step of long cards is a few rows, one of short cards many, and the list still ends whole.
    lines = [("h%d" % i, "ka0t" * 1000 if i < 10 else "ka0t", "m%d" % i) for i in range(300)]
    _, page = write_page("heavy", lines)
    tab = browser.open("file://" + page, 390, 844)
    tab.eval(WATCH_ROWS)
    tab.click("#show-list")
    tab.eval(SCROLL_TO_END % 300)
    steps = tab.eval("steps")
    check("rows of the steps of the list %r: the first, of long cards, 1 to 10; one of short cards "
          "50 or more" % steps, 1 <= steps[0] <= 10 and max(steps) >= 50, True)
    check("the list printed whole after scrolling to its end", tab.eval(
        "dispatchEvent(new Event('beforeprint')), " + ROWS),
        [[str(i + 1), "h%d" % i, "", "m%d" % i] for i in range(300)])
    tab.call("Page.close")
    tab = browser.open("file://" + page, 390, 844)
    check("rows printed from the card view", tab.eval(
        "dispatchEvent(new Event('beforeprint')), " + ROWS + ".length"), 300)


def screenshots(browser, folder, sample):
    page = os.path.join(work, "sample.html")
    run(tool, "page", sample, page)
    tab = browser.open("file://" + page, 900, 560)
    tab.click("#next")
    with open(os.path.join(folder, "page-cards.png"), "wb") as f:
        f.write(tab.screenshot())
    tab.click("#hide-meaning")
    tab.click("#show-list")
    with open(os.path.join(folder, "page-list.png"), "wb") as f:
        f.write(tab.screenshot())


with Browser() as b:
    if len(sys.argv) == 7 and sys.argv[4] == "--screenshots":
        screenshots(b, sys.argv[5], sys.argv[6])
    else:
        small_deck(b)
        long_deck(b)
        heavy_deck(b)
print("\n".join(failures) or "page test passed")
sys.exit(1 if failures else 0)
