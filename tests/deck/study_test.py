#!/usr/bin/env python3
"""The deck page's Study view in a real browser (headless Chromium), against ts-fsrs run directly
in Node (fsrs_reference.js): the schedule of a few hundred seeded rating sequences, the learner's
4 a.m. day in two time zones and across a change of clocks, progress kept, saved, merged and
refused, storage that fails, and the page's promises in this view.

    study_test.py PELMO_DECK WORK_DIR
"""

import datetime
import json
import os
import random
import subprocess
import sys
import zoneinfo

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tools"))
from browser import Browser  # noqa: E402

tool, work = sys.argv[1], os.path.abspath(sys.argv[2])
os.makedirs(work, exist_ok=True)
here = os.path.dirname(os.path.abspath(__file__))
NAME = "study deck"
IPA = "kat"  # what the page draws for "ka0t", which every card here has
failures = []


def check(what, got, want):
    if got != want:
        failures.append("%s: got %.400r, want %.400r" % (what, got, want))


def write_page(name, lines, title=NAME):
    deck, page = os.path.join(work, name + ".csv"), os.path.join(work, name + ".html")
    with open(deck, "wb") as f:
        f.write("".join(",".join(c) + "\r\n" for c in lines).encode("cp932"))
    subprocess.run([tool, "page", "--title", title, deck, page], check=True, capture_output=True)
    return "file://" + page


def reference(sequences, retention=0.9):
    """For each sequence of (seconds, rating): per rating, the four previewed due times, then the
    state and due time after it."""
    return json.loads(subprocess.run(
        ["node", os.path.join(here, "fsrs_reference.js")], check=True, capture_output=True,
        input=json.dumps({"retention": retention, "sequences": sequences}).encode()).stdout)


def interval(ms):
    """The spans the rating buttons show: "1m", "10m", "5h", "3d", "2.1mo", "1.5y"."""
    minutes = ms / 60000
    if minutes < 59.5:
        return "%dm" % max(1, round(minutes))
    if minutes < 23.5 * 60:
        return "%dh" % round(minutes / 60)
    days = minutes / 1440
    if days < 30.5:
        return "%dd" % round(days)
    return ("%.1f" % (days / 30)).rstrip("0").rstrip(".") + "mo" if days < 365 else \
        ("%.1f" % (days / 365)).rstrip("0").rstrip(".") + "y"


def by_day(records):
    """Each card's ratings as sequences: {(word, direction): [(seconds, rating), ...]}."""
    seqs = {}
    for v in records:
        for j in range(0, len(v["ratings"]), 4):
            k, d, t, g = v["ratings"][j:j + 4]
            seqs.setdefault((v["cards"][k][0], d), set()).add((t, g))
    return {key: sorted(s) for key, s in seqs.items()}


def states_of(seqs, ipa, retention=0.9):
    """What the page should give for those sequences: sorted [word, ipa, direction, state, due]."""
    keys = sorted(seqs)
    out = reference([seqs[k] for k in keys], retention)
    return sorted([w, ipa, d, r[-1][1], r[-1][2]] for (w, d), r in zip(keys, out))


SAID = """window.said = new Promise((done) => new MutationObserver((m, o) => { o.disconnect();
  done(document.getElementById('study-said').textContent); }).observe(
  document.getElementById('study-said'), {childList: true, subtree: true, characterData: true})); 0"""


class Study:
    """One tab on a page, in the Study view, its clock set by the test."""

    def __init__(self, browser, url, zone=None, width=1000, height=700, phone=False, dark=False,
                 before=None, clear=True):
        self.tab = browser.open("about:blank", width, height, phone=phone, dark=dark)
        if zone:
            self.tab.call("Emulation.setTimezoneOverride", timezoneId=zone)
        if before:
            self.tab.call("Page.addScriptToEvaluateOnNewDocument", source=before)
        self.tab.navigate(url)
        if clear:
            self.tab.eval("localStorage.clear()")
            self.tab.navigate()

    def at(self, seconds):
        """The clock set, and the view opened (again), which takes the queue anew."""
        self.tab.eval("window.pelmoTime = %d" % (seconds * 1000))
        self.tab.click("#show-study")
        return self

    def text(self, id_):
        return self.tab.eval("document.getElementById(%r).textContent" % id_)

    def rate(self, grade):
        """Space, then the rating's key; the spans the buttons showed."""
        self.tab.key(" ", "Space", 32, " ")
        spans = self.tab.eval("[...document.querySelectorAll('#grades button span')]"
                              ".map(s => s.textContent)")
        self.tab.key(str(grade), "Digit%d" % grade, 48 + grade, str(grade))
        return spans

    def states(self):
        return sorted(self.tab.eval("pelmoStudy()"))

    def stored(self):
        self.tab.eval("new Promise((done) => setTimeout(done))")  # after the page's own write
        return self.tab.eval("localStorage.getItem('pelmo/study:' + "
                             "document.title + '/progress')")

    def setting(self, id_, value):
        self.tab.eval("(e => { e.value = %r; e.dispatchEvent(new Event('change')); })"
                      "(document.getElementById(%r))" % (value, id_))

    def load(self, path):
        self.tab.eval(SAID)
        node = self.tab.call("Runtime.evaluate", expression="document.getElementById('load')")
        self.tab.call("DOM.setFileInputFiles", files=[path],
                      objectId=node["result"]["objectId"])
        return self.tab.eval("window.said")

    def save(self, folder):
        """Save progress, into folder; the file's JSON."""
        b = self.tab.browser
        b.call("Browser.setDownloadBehavior", behavior="allow", downloadPath=folder,
               eventsEnabled=True)
        self.tab.eval("document.getElementById('save').click()")
        done = b.wait_for("Browser.downloadProgress", None, lambda e: e["state"] == "completed")
        with open(done["filePath"]) as f:
            return dict(json.load(f), path=done["filePath"])


def t_of(zone, *when):
    return int(datetime.datetime(*when, tzinfo=zoneinfo.ZoneInfo(zone)).timestamp())


def schedule(browser):
    # A few hundred seeded sequences across months, loaded as a progress file: the states and due
    # times the page gives equal ts-fsrs's, at the default retention and at another.
    rng = random.Random(18)
    lines = [("w%d" % n, "ka0t", "m%d" % n) for n in range(300)]
    url = write_page("schedule", lines)
    cards, ratings, seqs = [], [], {}
    for n in range(300):
        d, t = rng.randint(0, 1), t_of("UTC", 2026, 1, 1) + rng.randint(0, 90 * 86400)
        cards.append(["w%d" % n, IPA, n])
        for _ in range(rng.randint(3, 12)):
            g = rng.choice([1, 2, 3, 3, 3, 4])
            ratings += [n, d, t, g]
            seqs.setdefault(("w%d" % n, d), []).append((t, g))
            t += rng.choice([rng.randint(30, 1800), rng.randint(3600, 86400),
                             rng.randint(86400, 60 * 86400)])
    path = os.path.join(work, "schedule.json")
    with open(path, "w") as f:
        json.dump({"format": "pelmo progress", "version": 1, "deck": NAME, "cards": cards,
                   "ratings": ratings}, f)
    s = Study(browser, url).at(t_of("UTC", 2026, 6, 1))
    check("the sequences loaded", s.load(path).startswith("Loaded"), True)
    for retention in (0.9, 0.8):
        s.setting("retention", "%.2f" % retention)
        check("300 sequences at retention %.2f" % retention, s.states(),
              states_of(seqs, IPA, retention))
    return s.tab


def day(browser, zone, start):
    # New cards limited to 2 a day: at 03:30, two taken, none left; at 04:01, two again. Reviews
    # are due on the learner's day of their due time, just before 4 a.m. not yet, just after yes
    # (New York's clocks change on 8 March). What the buttons show and what the page keeps are
    # ts-fsrs's for the same ratings; a reload loses nothing.
    url = write_page("day", [("d%d" % n, "ka0t", "m%d" % n) for n in range(8)])
    s = Study(browser, url, zone)
    t0 = t_of(zone, *start, 3, 30)
    s.at(t0)
    s.setting("new-per-day", "2")
    shown = [s.rate(4), s.rate(4)]
    check("%s 03:30, two new cards rated" % zone, s.text("study-counts"),
          "Learning 0 · Review 0 · New 0")
    check("%s, when next" % zone, s.text("next-due").split(";")[0],
          "Nothing is due now. New cards come today at 04:00")
    check("%s 04:01" % zone, s.at(t0 + 31 * 60).text("study-counts"),
          "Learning 0 · Review 0 · New 2")
    shown.append(s.rate(1))
    s.at(t0 + 33 * 60)
    shown.append(s.rate(3))
    seqs = by_day([json.loads(s.stored())])
    keys = sorted(seqs)
    check("%s: the spans shown" % zone, shown,
          [[interval(due - t * 1000) for due in r[0]]
           for k, out in zip(keys, reference([seqs[k] for k in keys]))
           for (t, _), r in zip(seqs[k], out)])
    check("%s: the states kept" % zone, s.states(), states_of(seqs, IPA))
    states = s.states()
    s.tab.navigate()
    check("%s: after a reload" % zone, s.states(), states)
    # The reload took the states kept beside the record; a rating goes on from them as ts-fsrs
    # does from the whole record. Kept states that do not match the record are replayed over.
    s.at(t0 + 40 * 60).rate(3)
    seqs = by_day([json.loads(s.stored())])
    check("%s: rated after a reload" % zone, s.states(), states_of(seqs, IPA))
    states = s.states()
    s.tab.navigate()
    s.tab.eval("(k => { const v = JSON.parse(localStorage.getItem(k)); v.rows[0][0] = 7; "
               "localStorage.setItem(k, JSON.stringify(v)); })('pelmo/study:%s/states')" % NAME)
    s.tab.navigate()
    check("%s: kept states not the record's" % zone, s.states(), states)
    local = zoneinfo.ZoneInfo(zone)
    dues = [st[4] // 1000 for st in states if st[3] == 2]
    for due in dues:
        d = datetime.datetime.fromtimestamp(due, local)
        start4 = int(d.replace(hour=4, minute=0, second=0).timestamp()) - (86400 if d.hour < 4
                                                                             else 0)
        for probe in (start4 - 60, start4 + 60):
            p = datetime.datetime.fromtimestamp(probe, local)
            end = p.replace(hour=4, minute=0, second=0) + datetime.timedelta(days=p.hour >= 4)
            want = sum(x < int(end.timestamp()) for x in dues)
            check("%s: reviews due at %s" % (zone, p.isoformat()),
                  s.at(probe).text("study-counts").split(" · ")[1], "Review %d" % want)
    return s


def progress(browser):
    # Two profiles study different cards (and one card both, an hour apart) and save; a third
    # loads both: the union, and the states of replaying the union. Then the deck written again with a meaning edited and a card
    # removed: nothing lost. Files of another deck, of a newer version, or no JSON: refused.
    lines = [("p%d" % n, "ka0t", "m%d" % n) for n in range(40)]
    url = write_page("progress", lines)
    files = []
    for n, (setting, value) in enumerate((("direction", "0"), ("new-order", "shuffled"))):
        with Browser() as other:
            s = Study(other, url).at(t_of("UTC", 2026, 2, 1, 9 + n))
            s.setting(setting, value)
            for g in (3, 4):
                s.rate(g)
            folder = os.path.join(work, "saved%d" % n)
            os.makedirs(folder, exist_ok=True)
            files.append(s.save(folder))
    check("the two studied p0 and p1, p12 and p1", [c[0] for f in files for c in f["cards"]],
          ["p0", "p1", "p12", "p1"])
    s = Study(browser, url).at(t_of("UTC", 2026, 2, 2, 12))
    for f in files:
        check("loaded", s.load(f["path"]), "Loaded study deck.progress.json: 2 new ratings of 2.")
    union = states_of(by_day(files), IPA)
    check("the union, and loaded again", [s.states(), s.load(files[0]["path"])],
          [union, "Loaded study deck.progress.json: 0 new ratings of 2."])
    edited = [(w, p, m + "!") for w, p, m in lines]
    edited = [c for c in edited if c[0] != files[1]["cards"][0][0]]
    s.tab.navigate(write_page("progress-edited", edited))
    check("written again: the states", s.at(t_of("UTC", 2026, 2, 2, 12)).states(), union)
    os.makedirs(os.path.join(work, "saved2"), exist_ok=True)
    kept = s.save(os.path.join(work, "saved2"))
    check("written again: the removed card's ratings saved", by_day([kept]),
          by_day(files))
    stored = s.stored()
    for what, content, said in [
            ("another deck", dict(kept, deck="other"), "it is the progress of another deck, "
             "“other”, not of “study deck”"),
            ("a newer version", dict(kept, version=2), "it was written by a newer page "
             "(progress version 2; this page reads version 1)"),
            ("garbage", "{\"format\": \"pelmo progress\", \"vers", "this is not a progress "
             "file of a pelmo deck page")]:
        path = os.path.join(work, "refused.json")
        with open(path, "w") as f:
            f.write(content if isinstance(content, str) else json.dumps(content))
        check("refused: " + what, [s.load(path), s.states(), s.stored()],
              ["Not loaded: %s. Nothing was changed." % said, union, stored])


FULL = """(() => { const set = Storage.prototype.setItem;
  Storage.prototype.setItem = function (k, v) {
    if (k.endsWith('/progress') && v.length > %d)
      throw new DOMException('full', 'QuotaExceededError');
    return set.call(this, k, v); }; })()"""
DEAF = "window.addEventListener('storage', (e) => e.stopImmediatePropagation(), true)"


def two_tabs(browser):
    # Two tabs of one deck, the second deaf to the first's writes (as when they cross): each
    # rating is kept all the same.
    url = write_page("tabs", [("t%d" % n, "ka0t", "m%d" % n) for n in range(3)], "tabs")
    a = Study(browser, url).at(t_of("UTC", 2026, 3, 1))
    b = Study(browser, url, before=DEAF, clear=False).at(t_of("UTC", 2026, 3, 1, 0, 1))
    a.rate(3)
    a.stored()
    b.rate(4)
    check("two tabs: both ratings kept", len(json.loads(b.stored())["ratings"]) // 4, 2)


NO_STORAGE = ("Object.defineProperty(window, 'localStorage', "
              "{get() { throw new DOMException('denied', 'SecurityError'); }})")


def failing_storage(browser):
    # Storage that refuses: the learner told at once, ratings go on in the page, what was stored
    # is left whole. Full is full once the record outgrows what it was.
    # A title of its own: tabs of the other cases, still open, keep theirs.
    url = write_page("failing", [("f%d" % n, "ka0t", "m%d" % n) for n in range(5)], "failing")
    s = Study(browser, url).at(t_of("UTC", 2026, 3, 1))
    s.rate(3)
    stored = s.stored()
    for what, script, said in [("full", FULL % len(stored), "storage is full"),
                               ("disabled", NO_STORAGE, "keeps nothing for this page")]:
        t = Study(browser, url, before=script, clear=False).at(t_of("UTC", 2026, 3, 1, 1))
        t.rate(3)
        t.rate(3)
        t.tab.eval("new Promise((done) => setTimeout(done))")  # after the page's own write
        check("storage %s: told, the session goes on" % what,
              [said in t.text("study-note"), len(t.states()),
               t.tab.eval("document.getElementById('more-study').open")], [True, 2, True])
        t.tab.call("Page.close")
    check("storage full or disabled: what was stored kept", s.stored(), stored)


def promises(browser):
    # Hostile text shows as text; keys and taps; Listen only with an English voice; no request
    # leaves the page; axe-core, light and dark, and the fit at phone sizes, in every state of
    # the view.
    hostile = ("<img src=x onerror=\"window.pwned=1\">", "ka0t", "</script><b>&amp;")
    url = write_page("hostile", [hostile, ("next", "", "二")])
    voice = ("speechSynthesis.getVoices = () => [{lang: 'en-GB', name: 'E'}]; "
             "window.SpeechSynthesisUtterance = class { constructor(text) { this.text = text; } };"
             "speechSynthesis.speak = (u) => { window.spoken = [u.text, u.lang]; };")
    s = Study(browser, url, phone=True, width=390, height=844, before=voice)
    s.at(t_of("UTC", 2026, 4, 1))
    s.tab.tap("#question")
    check("a tap shows the answer; hostile text as text",
          [s.text("s-word"), s.text("s-meaning"), s.tab.eval("window.pwned"),
           s.tab.eval("document.getElementById('grades').hidden")],
          [hostile[0], hostile[2], None, False])
    s.tab.tap("#listen")
    check("Listen, in an English voice", s.tab.eval("window.spoken"), [hostile[0], "en-GB"])
    s.tab.tap("#grades [data-grade='3']")
    s.tab.key("1", "Digit1", 49, "1")  # no answer shown: no rating, and no hide box
    s.tab.key("Enter", "Enter", 13, "\r")  # on "Show answer", which took the focus from "Good"
    s.tab.key("1", "Digit1", 49, "1")
    check("taps and keys", [[st[0], st[3]] for st in s.states()] +
          [s.tab.eval("document.getElementById('hide-word').checked")],
          [[hostile[0], 1], ["next", 1], False])
    requests = [e["request"]["url"] for e in s.tab.events("Network.requestWillBeSent")]
    check("requests", {u for u in requests if not u.startswith("data:")}, {url})
    check("exceptions", s.tab.events("Runtime.exceptionThrown"), [])
    s.tab.call("Page.close")
    plain = Study(browser, url).at(t_of("UTC", 2026, 4, 1))
    check("no Listen without an English voice", plain.tab.eval(
        "document.getElementById('listen').hidden"), True)
    with open(os.path.join(here, "..", "..", "node_modules", "axe-core", "axe.min.js")) as f:
        axe = f.read()
    for dark, (width, height) in [(False, (360, 740)), (True, (390, 844))]:
        s = Study(browser, url, phone=True, width=width, height=height, dark=dark)
        s.tab.eval(axe)
        s.at(t_of("UTC", 2026, 4, 1))
        for state in ("question", "answer", "done"):
            if state == "answer":
                s.tab.key(" ", "Space", 32, " ")
            if state == "done":
                s.tab.key("4", "Digit4", 52, "4")
                s.rate(4)
                s.tab.eval("document.getElementById('more-study').open = true")
            what = "%s, %dx%d, %s" % ("dark" if dark else "light", width, height, state)
            check("axe-core, " + what, s.tab.eval(AXE), [])
            check("fit, " + what, s.tab.eval(FIT), [])
        s.tab.call("Page.close")


AXE = """axe.run(document, {resultTypes: ['violations']}).then((r) => r.violations
  .filter((v) => v.impact === 'serious' || v.impact === 'critical')
  .map((v) => v.id + ': ' + v.nodes.map((n) => n.target.join(' ')).join(', ')))"""
# Wider than the screen, or a control seen under 44 x 44.
FIT = """(() => {
  const faults = [];
  if (document.documentElement.scrollWidth > innerWidth) faults.push('wider than the screen');
  for (const e of document.querySelectorAll('#study button, #study label, #study summary')) {
    const r = e.getBoundingClientRect();
    if (r.width && (r.width < 44 || r.height < 44)) faults.push('small: ' + e.textContent);
  }
  return faults;
})()"""


with Browser() as b:
    schedule(b)
    day(b, "America/New_York", (2026, 3, 1))
    day(b, "Asia/Tokyo", (2026, 3, 1))
    progress(b)
    two_tabs(b)
    failing_storage(b)
    promises(b)
print("\n".join(failures) or "study test passed")
sys.exit(1 if failures else 0)
