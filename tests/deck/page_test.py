#!/usr/bin/env python3
"""The page pelmo-deck writes, in a real browser (headless Chromium): one load of a small deck
with hostile text drives most checks; a 40,000-row deck checks the long shuffle and the size, and a
deck of some cards of 3,000 glyphs how the list grows.

On a touch-screen phone: peeking, swiping, the place kept across loads, the fit at phone sizes
and large text, the colours, and axe-core's accessibility rules.

    page_test.py PELMO_DECK SHUFFLE_ORDERS WORK_DIR [--screenshots DIR SAMPLE_DECK]
"""

import os
import re
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


SHOWN = "['counter', 'word', 'meaning'].map(id => document.getElementById(id).textContent)"


def shown(tab):
    return tab.eval(SHOWN)


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
    tab.click("#show-list")
    tab.eval(WATCH_ROWS)
    live = tab.eval(SCROLL_TO_END % 20000)
    check("the list scrolled through 20000 cards, holding at most 1000 rows (%d)" % live,
          [tab.eval("table.querySelector('tbody:last-child tr:last-child td').textContent"),
           live <= 1000], ["20000", True])
    printed = tab.eval("dispatchEvent(new Event('beforeprint')), document.querySelectorAll("
                       "'#table tbody:not(.unprinted) tr:not(.gap)').length")
    check("printed: the first few thousand cards (%d), and how many pages all would take" % printed,
          [2000 <= printed <= 5000, bool(re.fullmatch(r"The first %d of 40000 cards; all of them "
                                                      r"would take about \d+ pages\." % printed,
                                                      tab.eval("document.getElementById("
                                                               "'print-note').textContent")))],
          [True, True])


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


def ax_names(tab, role):
    """The accessible names of the page's nodes of that role, as a screen reader gets them."""
    return [n.get("name", {}).get("value") for n in tab.call("Accessibility.getFullAXTree")["nodes"]
            if not n.get("ignored") and n.get("role", {}).get("value") == role]


def covered(tab):
    return [hidden(tab, s) == "hidden" for s in ("#word", "#pron", "#meaning")]


def touch_deck(browser):
    # A tap on a cover shows that field for this card, a second covers it again; a sideways swipe
    # steps, a vertical one does not; Space shows every hidden field.
    _, page = write_page("touch", [c[:3] for c in CARDS])
    tab = browser.open("file://" + page, 390, 844, phone=True)
    tab.eval("localStorage.clear()")  # the small deck's page left its place there
    tab.navigate()
    check("the boxes' names", ax_names(tab, "checkbox"),
          ["Shuffle", "word", "pronunciation", "meaning"])
    tab.tap("label:has(#hide-meaning)")
    check("ticked: covered, announced", [covered(tab), ax_names(tab, "button")[-1]],
          [[False, False, True], "meaning hidden"])
    tab.tap(".meaning-field")
    check("a tap on the cover: shown, announced", [covered(tab), ax_names(tab, "button")[-1]],
          [[False, False, False], "meaning shown"])
    tab.tap(".meaning-field")
    check("a second tap: covered again", covered(tab), [False, False, True])
    card = tab.rect(".card")
    y = card["y"] + card["height"] / 2
    for what, points, counter, steps in [
            ("peeked, a swipe to the left", [(330, y), (200, y), (60, y)], "2 / 5", True),
            ("a swipe to the right", [(60, y), (330, y)], "1 / 5", True),
            ("a swipe to the right at card 1", [(60, y), (330, y)], "5 / 5", True),
            ("a vertical swipe", [(200, y + 150), (220, y - 150)], "5 / 5", False)]:
        tab.tap(".meaning-field")
        tab.touch(*points)
        check(what, [shown(tab)[0], covered(tab)[2],
                     tab.eval("document.getElementById('hide-meaning').checked")],
              [counter, steps, True])
    tab.tap("label:has(#hide-word)")
    tab.tap("#counter")  # away from the box, which Space would untick
    for n, want in enumerate([[False, False, False], [True, False, True]]):
        tab.key(" ", "Space", 32, " ")
        check("Space %d: every hidden field shown, then covered" % (n + 1), covered(tab), want)
    # A swipe that the browser took would have gone back to the blank page the tab began with.
    check("after the swipes", tab.eval("location.href"), "file://" + page)


PLACE = ("[document.getElementById('list').hidden, pelmoOrder(), ...%s, ...['shuffle', 'hide-word',"
         " 'hide-pron', 'hide-meaning'].map(id => document.getElementById(id).checked), "
         "document.getElementById('note').textContent]" % SHOWN)
NO_STORAGE = ("Object.defineProperty(window, 'localStorage', "
              "{get() { throw new DOMException('denied', 'SecurityError'); }})")


def remembering(browser):
    # The place is back after a reload and in a page written again from the same deck, not in
    # another deck's; shuffled again after the reload, the order is pelmo's second.
    lines = [c[:3] for c in CARDS]
    deck, page = write_page("keep", lines)
    _, again = write_page("keep-again", lines, "--title", "again")
    _, other = write_page("other", lines[:4])
    orders = [line.split("\t") for line in run(orders_tool, deck, "101").decode().splitlines()]
    words = [c[0] for c in CARDS]
    tab = browser.open("file://" + page, 360, 740, phone=True)
    tab.eval("localStorage.clear()")
    tab.navigate()
    for control in ("#shuffle", "#next", "#next", "#hide-word", "#show-list"):
        tab.tap(control)
    left = tab.eval(PLACE)
    check("the place left", [left[0], [words[i] for i in left[1]], left[2], left[5:]],
          [False, orders[0], "3 / 5", [True, True, False, False, ""]])
    for name, url in (("reloaded", None), ("written again", "file://" + again)):
        tab.navigate(url)
        check(name, tab.eval(PLACE), left)
    tab.tap("#show-cards")
    tab.tap("#shuffle")
    tab.tap("#shuffle")
    check("shuffled again", [words[i] for i in tab.eval("pelmoOrder()")], orders[2])
    tab.navigate("file://" + other)
    check("another deck", tab.eval(PLACE),
          [True, [0, 1, 2, 3], "1 / 4", CARDS[0][0], CARDS[0][3]] + [False] * 4 + [""])
    # Storage that holds garbage, or none at all: the page works from card 1, says so once, and
    # leaves the garbage as it was.
    key = tab.eval("Object.keys(localStorage).find(k => localStorage.getItem(k).includes("
                   "'\"index\":3'))")
    tab.eval("localStorage.setItem(%r, '{\"list\": tru')" % key)
    tab.navigate("file://" + page)
    for what, prepare in (("garbage", None), ("no storage", NO_STORAGE)):
        if prepare:
            tab.call("Page.addScriptToEvaluateOnNewDocument", source=prepare)
            tab.navigate()
        tab.tap("#next")
        tab.tap("label:has(#hide-meaning)")
        place = tab.eval(PLACE)
        check(what, [place[0], place[2], place[5:9], place[9].count("remember")],
              [True, "2 / 5", [False, False, False, True], 1])
    check("exceptions without storage", tab.events("Runtime.exceptionThrown"), [])
    tab.call("Page.close")
    tab = browser.open("file://" + page)
    check("the garbage kept", tab.eval("localStorage.getItem(%r)" % key), '{"list": tru')


# What does not fit: pronunciations cut off by their cell or the screen, words and headings
# broken across lines though narrower than the screen, controls under 44 x 44, a page wider than
# the screen, and in the card view a page that scrolls or a long meaning that does not.
FIT = """(() => {
  const faults = [];
  const seen = (e) => {
    for (let a = e; a; a = a.parentElement) if (getComputedStyle(a).clipPath !== 'none') return false;
    return getComputedStyle(e).visibility !== 'hidden' && !e.closest('[hidden]');
  };
  for (const p of document.querySelectorAll('.pron')) {
    const r = p.getBoundingClientRect(), c = p.closest('td, .field').getBoundingClientRect();
    if (seen(p) && (r.right > Math.min(c.right, innerWidth) + .5 || r.left < c.left - .5))
      faults.push('cut: ' + p.getAttribute('aria-label'));
  }
  for (const e of document.querySelectorAll('h1, th, #word, td.w > div, .bar label, button')) {
    const texts = document.createTreeWalker(e, NodeFilter.SHOW_TEXT);
    for (let t; seen(e) && (t = texts.nextNode());) {
      for (const m of t.data.matchAll(/\\S+/g)) {
        const range = document.createRange();
        range.setStart(t, m.index);
        range.setEnd(t, m.index + m[0].length);
        const lines = [...range.getClientRects()];
        if (new Set(lines.map((r) => Math.round(r.top))).size > 1 &&
            lines.reduce((w, r) => w + r.width, 0) < innerWidth) faults.push('broken: ' + m[0]);
      }
    }
  }
  for (const e of document.querySelectorAll('button, label')) {
    const r = e.getBoundingClientRect();
    if (seen(e) && (r.width < 44 || r.height < 44)) faults.push('small: ' + e.textContent);
  }
  if (document.documentElement.scrollWidth > innerWidth) faults.push('wider than the screen');
  const meaning = document.getElementById('meaning');
  if (seen(meaning) && %s && (document.documentElement.scrollHeight > innerHeight ||
      meaning.scrollHeight <= meaning.clientHeight)) faults.push('the card does not fit');
  return faults;
})()"""


def fit(browser, sample):
    # The sample deck's cards of the longest pronunciations, after one of a long meaning.
    with open(sample, "rb") as f:
        lines = [line.decode("cp932").split(",") for line in f.read().split(b"\r\n") if line]
    lines = [("university", "ju0!!:ni1ve2!:se1ti0", "大学\\n" * 40)] + sorted(
        lines, key=lambda c: -len(c[1]))[:12]
    _, page = write_page("fit", lines)
    for width, height, text in [(360, 740, 100), (390, 844, 100), (844, 390, 100),
                                (360, 740, 200), (390, 844, 200)]:
        tab = browser.open("file://" + page, width, height, phone=True, text=text)
        for view in ("#show-cards", "#show-list"):
            tab.tap(view)
            check("fit at %d x %d, text %d%%, %s" % (width, height, text, view[6:]),
                  tab.eval(FIT % ("true" if text == 100 else "false")), [])
        check("key hints at %d x %d" % (width, height),
              tab.eval("getComputedStyle(document.querySelector('kbd')).display"), "none")
        tab.call("Page.close")
    return page


# Each cover against the ground around it, at least 3:1; text is axe-core's to check.
COVERS = """(() => {
  const rgb = (e) => getComputedStyle(e).backgroundColor.match(/[\\d.]+/g).map(Number);
  const ground = (e) => {
    for (; e; e = e.parentElement) if (rgb(e).length === 3 || rgb(e)[3] > 0) return rgb(e);
  };
  const lum = (c) => c.slice(0, 3).map((v) => (v /= 255) <= .03928 ? v / 12.92 :
    ((v + .055) / 1.055) ** 2.4).reduce((s, v, k) => s + v * [.2126, .7152, .0722][k], 0);
  return [...document.querySelectorAll('.covered, body.hide-meaning td.m')]
    .filter((e) => e.getClientRects().length).map((e) => {
      const [a, b] = [lum(rgb(e)), lum(ground(e.parentElement))].sort((x, y) => y - x);
      return Math.round((a + .05) / (b + .05) * 10) / 10;
    }).filter((r) => r < 3);
})()"""
AXE = """axe.run(document, {resultTypes: ['violations']}).then((r) => r.violations
  .filter((v) => v.impact === 'serious' || v.impact === 'critical')
  .map((v) => v.id + ': ' + v.nodes.map((n) => n.target.join(' ')).join(', ')))"""


def looks(browser, page):
    # Light and dark, both views, shown and hidden: axe-core finds no serious or critical
    # violation, the covers stand out, and the pronunciation stays black on white.
    with open(os.path.join(os.path.dirname(__file__), "..", "..", "node_modules", "axe-core",
                           "axe.min.js")) as f:
        axe = f.read()  # put there by scripts/setup
    for dark in (False, True):
        tab = browser.open("file://" + page, 390, 844, phone=True, dark=dark)
        tab.eval(axe)
        for view in ("#show-cards", "#show-list"):
            tab.tap(view)
            for hide in (False, True):
                if tab.eval("document.getElementById('hide-meaning').checked") != hide:
                    for box in ("word", "pron", "meaning"):
                        tab.tap("label:has(#hide-%s)" % box)
                what = "%s, %s, %s" % ("dark" if dark else "light", view[6:],
                                       "hidden" if hide else "shown")
                check("axe-core, " + what, tab.eval(AXE), [])
                check("covers under 3:1, " + what, tab.eval(COVERS), [])
        check("pronunciation, " + what, tab.eval(
            "['backgroundColor', 'borderTopColor'].map(p => getComputedStyle("
            "document.querySelector('td.p .pron'))[p])"), ["rgb(255, 255, 255)", "rgb(0, 0, 0)"])
        tab.call("Page.close")


def screenshots(browser, folder, sample):
    # The README's pictures: each view on a desktop, the cards on a phone, and the list on a
    # phone in dark mode; the second card, its meaning hidden.
    page = os.path.join(work, "sample.html")
    run(tool, "page", sample, page)
    for cards, lists, width, height, phone, dark in [("cards", "list", 900, 560, False, False),
                                                     ("phone-cards", None, 390, 844, True, False),
                                                     (None, "phone-list", 390, 844, True, True)]:
        tab = browser.open("file://" + page, width, height, phone=phone, dark=dark)
        tab.eval("localStorage.clear()")
        tab.navigate()
        tab.click("#next")
        tab.click("#hide-meaning")
        for name, view in ((cards, "#show-cards"), (lists, "#show-list")):
            tab.click(view)
            if name:
                with open(os.path.join(folder, "page-%s.png" % name), "wb") as f:
                    f.write(tab.screenshot())
        tab.call("Page.close")
    # Study on a phone: a card answered, its ratings' intervals shown; then, in dark mode, a first
    # day studied (20 new cards, their learning steps done) and the chart of what is due.
    for name, dark in (("phone-study", False), ("phone-study-done", True)):
        tab = browser.open("file://" + page, 390, 844, phone=True, dark=dark)
        tab.eval("localStorage.clear(); window.pelmoTime = Date.UTC(2026, 0, 5, 10)")
        tab.click("#show-study")
        for k in range(40 if dark else 0):
            if k == 20:
                tab.eval("window.pelmoTime += 15 * 60000")
                tab.click("#show-study")
            grade = 3 if k % 3 or k >= 20 else 4  # a third of the new cards Easy, the rest Good
            tab.key(" ", "Space", 32, " ")
            tab.key(str(grade), "Digit%d" % grade, 48 + grade, str(grade))
        if dark:
            tab.eval("document.getElementById('more-study').open = true")
        else:
            tab.key(" ", "Space", 32, " ")
        with open(os.path.join(folder, "page-%s.png" % name), "wb") as f:
            f.write(tab.screenshot())
        tab.call("Page.close")


with Browser() as b:
    if len(sys.argv) == 7 and sys.argv[4] == "--screenshots":
        screenshots(b, sys.argv[5], sys.argv[6])
    else:
        small_deck(b)
        long_deck(b)
        heavy_deck(b)
        touch_deck(b)
        remembering(b)
        looks(b, fit(b, os.path.join(os.path.dirname(__file__), "..", "..", "examples",
                                     "pelmo.csv")))
print("\n".join(failures) or "page test passed")
sys.exit(1 if failures else 0)
