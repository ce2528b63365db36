'use strict';
(() => {
  const data = JSON.parse(document.getElementById('deck').textContent);
  const cards = data.cards;  // word, glyph indices, meaning: three strings a card, in file order
  const count = cards.length / 3;
  const glyphs = data.glyphs;  // [x in the sprite, width, IPA], by glyph index
  const root = document.documentElement;
  root.style.setProperty('--sprite', 'url(' + data.sprite + ')');
  root.style.setProperty('--sw', String(data.spriteWidth));

  const $ = (id) => document.getElementById(id);
  const listView = $('list');
  const cardView = $('cards');
  const studyView = $('study');
  const table = $('table');
  const more = $('more');
  const hideBoxes = [$('hide-word'), $('hide-pron'), $('hide-meaning')];
  const hideClasses = ['hide-word', 'hide-pron', 'hide-meaning'];
  const fieldNames = ['word', 'pronunciation', 'meaning'];
  const fields = [...cardView.querySelectorAll('.field')];
  const covers = fields.map((f) => f.querySelector('.cover'));

  // What the page keeps in this browser, one JSON value for each purpose under "pelmo/", the
  // deck's identity (which pelmo-deck writes into the page: the same cards, the same identity) and
  // the purpose's name, so two decks never share. `valid` says whether a value read back is one
  // this page wrote. Where the browser keeps nothing (some file:// pages, private windows) or
  // holds something unreadable, the page says so (`trouble`, given the exception, or null for a
  // value it cannot read) and goes on without; what it could not read, it never overwrites. The
  // study view keeps its progress under the deck's name instead (`deck`), which survives edits.
  let cannotRemember = false;
  function forgetful() {
    if (cannotRemember) return;
    cannotRemember = true;
    $('note').textContent = 'This page cannot remember where you were in this browser.';
  }
  function kept(name, valid, deck = data.deck, trouble = forgetful) {
    const key = 'pelmo/' + deck + '/' + name;
    let unreadable = false;
    let last = null;  // the text this page last read or wrote there
    return {
      read() {
        let value;
        try {
          const text = window.localStorage.getItem(key);
          if (text === null) return null;
          value = JSON.parse(text);
          last = text;
        } catch (e) {
          unreadable = true;
          trouble(e);
          return null;
        }
        if (!valid(value)) {
          unreadable = true;
          trouble(null);
          return null;
        }
        return value;
      },
      // Whether it was written; a quiet write leaves a failure to its caller.
      write(value, quiet = false) {
        if (unreadable) return false;
        try {
          const text = JSON.stringify(value);
          window.localStorage.setItem(key, text);
          last = text;
          return true;
        } catch (e) {
          if (!quiet) trouble(e);
          return false;
        }
      },
      key,
      // Whether another page (another tab) wrote there since this one last read or wrote it.
      changedElsewhere() {
        try {
          const text = window.localStorage.getItem(key);
          return text !== null && text !== last;
        } catch (e) {
          return false;
        }
      },
    };
  }

  let order = fileOrder();
  let index = 1;  // the position on show, from 1, as pelmo counts

  function fileOrder() {
    const o = new Int32Array(count);
    for (let i = 0; i < count; ++i) o[i] = i;
    return o;
  }

  // pelmo's generator: it starts at 1 with every run and is never reseeded, so the same
  // switches give the same orders as the viewer. A page that remembers goes on with its run.
  let randomState = 1;
  let shuffledFrom = null;  // the generator's state before the shuffle on show, if one is
  const advance = (state) => (Math.imul(state, 214013) + 2531011) >>> 0;
  function nextRandom() {
    randomState = advance(randomState);
    return (randomState >>> 16) & 0x7fff;
  }

  // pelmo's shuffle, draw for draw. Past 32767 rows one draw cannot reach every position: the
  // bound and the draw are widened by 15 set bits at a time, without drawing again.
  function shuffle(o, draw = nextRandom) {
    for (let k = 1; k < o.length; ++k) {
      const m = k + 1;
      let x = draw();
      if (m > 0x7fff) {
        let bound = 0x7fff;
        while (bound < m && bound !== 0xffffffff) {
          bound = ((bound << 15) | 0x7fff) >>> 0;
          x = ((x << 15) | 0x7fff) >>> 0;
        }
      }
      const j = x % m;
      if (j !== k) {
        const t = o[k];
        o[k] = o[j];
        o[j] = t;
      }
    }
  }

  // Where the learner is: the view, the position, the hide boxes and the generator, from which
  // the order on show follows (a shuffle draws one value a card but the first).
  const isState = (s) => Number.isInteger(s) && s >= 0 && s <= 0xffffffff;
  const place = kept('place', (p) => p !== null && typeof p === 'object' &&
    typeof p.list === 'boolean' && (p.study === undefined || typeof p.study === 'boolean') && Number.isInteger(p.index) && p.index >= 1 &&
    p.index <= count && Array.isArray(p.hide) && p.hide.length === 3 &&
    p.hide.every((h) => typeof h === 'boolean') && isState(p.random) &&
    (p.shuffledFrom === null || (isState(p.shuffledFrom) && (() => {
      let s = p.shuffledFrom;
      for (let k = 1; k < count; ++k) s = advance(s);
      return s === p.random;
    })())));
  function remember() {
    place.write({list: !listView.hidden, study: !studyView.hidden, index, hide: hideBoxes.map((b) => b.checked),
      random: randomState, shuffledFrom});
  }

  // The glyphs edge to edge, each a window on the sprite; the IPA is what a screen reader says.
  function drawPronunciation(box, ids) {
    const spans = document.createDocumentFragment();
    let ipa = '';
    for (let i = 0; i < ids.length; ++i) {
      const g = glyphs[ids.charCodeAt(i) - 48];
      const span = document.createElement('span');
      span.className = 'g';
      span.style.setProperty('--x', g[0]);
      span.style.setProperty('--w', g[1]);
      spans.appendChild(span);
      ipa += g[2];
    }
    box.replaceChildren(spans);
    box.setAttribute('aria-label', ipa ? 'pronunciation ' + ipa : 'no pronunciation');
  }

  // A hidden field is under its cover; a tap on the cover shows it for this card only, and a tap
  // on the field covers it again. The cover is a button named for what it hides.
  let peeked = [false, false, false];
  function drawCovers() {
    hideBoxes.forEach((box, k) => {
      const covered = box.checked && !peeked[k];
      document.body.classList.toggle(hideClasses[k], box.checked);
      fields[k].classList.toggle('covered', covered);
      covers[k].hidden = !box.checked;
      covers[k].firstChild.textContent = fieldNames[k] + (covered ? ' hidden' : ' shown');
    });
  }
  function peek(k, shown) {
    if (hideBoxes[k].checked) peeked[k] = shown;
  }

  function showCard() {
    const c = order[index - 1] * 3;
    $('counter').textContent = index + ' / ' + count;
    $('word').textContent = cards[c];
    drawPronunciation($('pron'), cards[c + 1]);
    $('meaning').textContent = cards[c + 2];
    $('meaning').scrollTop = 0;
    peeked = [false, false, false];
    drawCovers();
    remember();
  }

  function step(by) {
    index += by;
    if (index < 1) index = count;
    if (index > count) index = 1;
    showCard();
  }

  // The list grows a step at a time as it is scrolled, one step a frame until it reaches well
  // below the window, so a deck of a million cards opens at once and the page never stalls;
  // printing lists the cards it prints first. A step is an amount of work, not of rows: each row
  // costs its elements, its glyphs and its characters, so that a step of cards of thousands of
  // glyphs is a row or two, and one of short cards a hundred. It adds a row at least. Each step
  // is a row group of its own, and a group far out of the window gives up its rows for one empty
  // row of their height, and takes them back as it nears: scrolled through, however far, the list
  // holds about the same number of rows.
  const stepWork = 5000;
  const rowWork = 20;  // the elements of a row, whatever it holds
  const stepRows = 100;
  const groups = [];  // {first, end, body, height: the height it kept when released, or 0}
  let listed = 0;
  function cell(className, fill) {
    const td = document.createElement('td');
    td.className = className;
    const inner = document.createElement('div');
    fill(inner);
    td.appendChild(inner);
    return td;
  }
  function makeRows(first, end) {
    const made = document.createDocumentFragment();
    for (let r = first; r < end; ++r) {
      const c = order[r] * 3;
      const tr = document.createElement('tr');
      const n = document.createElement('td');
      n.className = 'n';
      n.textContent = String(r + 1);
      tr.append(n,
        cell('w', (d) => { d.textContent = cards[c]; }),
        cell('p', (d) => {
          const pron = document.createElement('div');
          pron.className = 'pron';
          pron.setAttribute('role', 'img');
          drawPronunciation(pron, cards[c + 1]);
          d.appendChild(pron);
        }),
        cell('m', (d) => {
          d.lang = 'ja';  // Japanese forms of the characters Chinese shares
          d.textContent = cards[c + 2];
        }));
      made.appendChild(tr);
    }
    return made;
  }
  function extendList() {
    let end = listed;
    for (let work = 0; end < count && work < stepWork && end - listed < stepRows; ++end) {
      const c = order[end] * 3;
      work += rowWork + cards[c].length + cards[c + 1].length + cards[c + 2].length;
    }
    const body = document.createElement('tbody');
    body.appendChild(makeRows(listed, end));
    table.appendChild(body);
    groups.push({first: listed, end, body, height: 0});
    listed = end;
  }
  function release(g) {
    g.height = g.body.getBoundingClientRect().height;
    const gap = document.createElement('tr');
    gap.className = 'gap';
    gap.setAttribute('aria-hidden', 'true');
    gap.style.height = g.height + 'px';
    g.body.replaceChildren(gap);
  }
  function restore(g) {
    g.body.replaceChildren(makeRows(g.first, g.end));
    g.height = 0;
  }
  let printing = false;
  let nextStep = 0;  // the frame that takes the next step, while one is awaited
  function fillList() {
    if (nextStep || listView.hidden || printing) return;
    // Every box read before any is changed, so that the page is laid out once a frame.
    const far = window.innerHeight * 4;
    const near = window.innerHeight * 2;
    const boxes = groups.map((g) => g.body.getBoundingClientRect());
    const moreTop = more.getBoundingClientRect().top;
    let changed = false;
    groups.forEach((g, k) => {
      const away = Math.max(boxes[k].top - window.innerHeight, -boxes[k].bottom);
      if (!g.height && away > far) {
        release(g);
      } else if (g.height && away < near) {
        restore(g);
        changed = true;
      }
    });
    if (listed < count && moreTop < near) {
      extendList();
      changed = true;
    }
    if (changed) {
      nextStep = requestAnimationFrame(() => {
        nextStep = 0;
        fillList();
      });
    }
  }
  function resetList() {
    cancelAnimationFrame(nextStep);
    nextStep = 0;
    groups.forEach((g) => g.body.remove());
    groups.length = 0;
    listed = 0;
    fillList();
  }

  // Printed, the list holds every card up to a few thousand; past that, the first few thousand,
  // and says how many pages the whole deck would take, rather than build a million rows.
  const printRows = 3000;
  const rowsPerPage = 25;  // of one-line cards with a pronunciation, on A4 or Letter
  window.addEventListener('beforeprint', () => {
    printing = true;
    while (listed < Math.min(count, printRows)) extendList();
    groups.forEach((g) => {
      if (g.height && g.first < printRows) restore(g);
      g.body.classList.toggle('unprinted', g.first >= printRows);
    });
    const printed = groups.reduce((n, g) => (g.first < printRows ? g.end : n), 0);
    $('print-note').textContent = printed < count ? 'The first ' + printed + ' of ' + count +
      ' cards; all of them would take about ' + Math.ceil(count / rowsPerPage) + ' pages.' : '';
  });
  window.addEventListener('afterprint', () => {
    printing = false;
    fillList();
  });

  function showView(view) {
    listView.hidden = view !== 'list';
    cardView.hidden = view !== 'cards';
    studyView.hidden = view !== 'study';
    document.body.classList.toggle('listing', view === 'list');
    document.body.classList.toggle('studying', view === 'study');
    for (const v of ['cards', 'list', 'study']) {
      $('show-' + v).setAttribute('aria-pressed', String(view === v));
    }
    fillList();
    if (view === 'study') study.open();
    remember();
  }

  $('prev').addEventListener('click', () => step(-1));
  $('next').addEventListener('click', () => step(1));
  $('show-cards').addEventListener('click', () => showView('cards'));
  $('show-list').addEventListener('click', () => showView('list'));
  $('show-study').addEventListener('click', () => showView('study'));
  $('shuffle').addEventListener('change', (e) => {
    // Like pelmo: on shuffles the rows as they stand, off restores the file order, and the
    // position stays.
    if (e.target.checked) {
      shuffledFrom = randomState;
      shuffle(order);
    } else {
      shuffledFrom = null;
      order = fileOrder();
    }
    showCard();
    resetList();
  });
  hideBoxes.forEach((box) => box.addEventListener('change', () => {
    drawCovers();
    remember();
  }));
  fields.forEach((field, k) => field.addEventListener('click', () => {
    peek(k, !peeked[k]);
    drawCovers();
  }));
  document.addEventListener('keydown', (e) => {
    if (e.altKey || e.ctrlKey || e.metaKey || e.isComposing) return;
    const k = '123'.indexOf(e.key);
    const onControl = e.target.closest && e.target.closest('button, input, label, a, select, summary');
    if (!studyView.hidden) {
      // In Study, 1 to 4 rate; nothing is taken from a field being typed in.
      // (the Study button, just pressed, is no control to press again).
      if (e.target.closest && e.target.closest('input, select') ||
          !study.key(e.key, onControl && onControl.id !== 'show-study')) return;
    } else if (k >= 0 && e.key.length === 1) {
      hideBoxes[k].click();
    } else if ((e.key === 'ArrowLeft' || e.key === 'ArrowRight') && !cardView.hidden) {
      step(e.key === 'ArrowLeft' ? -1 : 1);
    } else if ((e.key === ' ' || e.key === 'Enter') && !cardView.hidden && !onControl &&
               hideBoxes.some((b) => b.checked)) {
      // Every hidden field shown, or, when all are, covered again.
      const shown = !hideBoxes.every((b, j) => !b.checked || peeked[j]);
      hideBoxes.forEach((b, j) => peek(j, shown));
      drawCovers();
    } else {
      return;
    }
    e.preventDefault();
  });

  // A sideways swipe on the card steps as "<" and ">" do; the page takes sideways moves there
  // for itself (touch-action), so the browser's own back gesture does not start from the card.
  let touch = null;
  cardView.addEventListener('touchstart', (e) => {
    touch = e.touches.length === 1 ? {x: e.touches[0].clientX, y: e.touches[0].clientY} : null;
  }, {passive: true});
  cardView.addEventListener('touchend', (e) => {
    if (!touch) return;
    const dx = e.changedTouches[0].clientX - touch.x;
    const dy = e.changedTouches[0].clientY - touch.y;
    touch = null;
    if (Math.abs(dx) >= 40 && Math.abs(dx) > 2 * Math.abs(dy)) step(dx < 0 ? 1 : -1);
  }, {passive: true});
  cardView.addEventListener('touchcancel', () => { touch = null; }, {passive: true});

  window.addEventListener('scroll', fillList, {passive: true});
  window.addEventListener('resize', fillList);

  // Study: the deck scheduled by FSRS (ts-fsrs, put into the page beside this script). Every
  // rating is recorded (card, direction, time, rating); each card's state is what replaying its
  // ratings through the scheduler gives, so two records merge by their union. A card is its word
  // and pronunciation (as IPA), so a deck written again with other meanings keeps its progress,
  // and the record of a card since removed stays in it.
  const study = (() => {
    const {fsrs, generatorParameters, createEmptyCard} = window.FSRS;
    const FORMAT = 'pelmo progress';
    const VERSION = 1;
    const grades = [...$('grades').querySelectorAll('button')];
    // "Now", in ms since 1970: the clock, unless a test has set window.pelmoTime.
    const now = () => (typeof window.pelmoTime === 'number' ? window.pelmoTime : Date.now());
    // The learner's day starts at 4 a.m., local time; day n after the one of start.
    function dayOf(t, n = 0) {
      const d = new Date(t);
      if (d.getHours() < 4) d.setDate(d.getDate() - 1);
      d.setDate(d.getDate() + n);
      d.setHours(4, 0, 0, 0);
      return d.getTime();
    }

    const ipaOf = (i) => {
      let ipa = '';
      const ids = cards[i * 3 + 1];
      for (let j = 0; j < ids.length; ++j) ipa += glyphs[ids.charCodeAt(j) - 48][2];
      return ipa;
    };
    const keyOf = (i) => cards[i * 3] + '\t' + ipaOf(i);
    let byKey = null;  // the deck's cards by key, made only when a record's hint misses
    function findCard(key, hint) {
      if (Number.isInteger(hint) && hint >= 0 && hint < count && keyOf(hint) === key) return hint;
      if (!byKey) {
        byKey = new Map();
        for (let i = count - 1; i >= 0; --i) byKey.set(keyOf(i), i);
      }
      const i = byKey.get(key);
      return i === undefined ? -1 : i;
    }

    // The record: its cards (word, IPA, where in this deck or -1) and its ratings, four numbers
    // each: card, direction (0 English → Japanese, 1 Japanese → English), time in whole seconds,
    // rating (1 Again to 4 Easy).
    const rec = {words: [], ipas: [], at: [], index: new Map(), r: [], seen: new Set(), before: []};
    function cardId(word, ipa, hint) {
      const key = word + '\t' + ipa;
      let k = rec.index.get(key);
      if (k === undefined) {
        k = rec.words.length;
        rec.words.push(word);
        rec.ipas.push(ipa);
        rec.at.push(findCard(key, hint));
        rec.index.set(key, k);
      }
      return k;
    }
    function addRating(k, d, t, g) {
      const id = k + ',' + d + ',' + t + ',' + g;
      if (rec.seen.has(id)) return false;
      rec.seen.add(id);
      rec.r.push(k, d, t, g);
      return true;
    }
    const record = () => ({format: FORMAT, version: VERSION, deck: data.name,
      cards: rec.words.map((w, k) => [w, rec.ipas[k], rec.at[k]]), ratings: rec.r});
    // Why a value is no record of this deck's progress, or '' when it is one.
    function fault(v) {
      if (v === null || typeof v !== 'object' || v.format !== FORMAT) {
        return 'this is not a progress file of a pelmo deck page';
      }
      if (!Number.isInteger(v.version) || v.version < 1) return 'its version is not a number';
      if (v.version > VERSION) {
        return 'it was written by a newer page (progress version ' + v.version +
          '; this page reads version ' + VERSION + ')';
      }
      if (v.deck !== data.name) {
        return 'it is the progress of another deck, \u201c' + String(v.deck) +
          '\u201d, not of \u201c' + data.name + '\u201d';
      }
      const n = Array.isArray(v.cards) ? v.cards.length : -1;
      if (n < 0 || !v.cards.every((c) => Array.isArray(c) && c.length === 3 &&
          typeof c[0] === 'string' && typeof c[1] === 'string' && Number.isInteger(c[2])) ||
          !Array.isArray(v.ratings) || v.ratings.length % 4 ||
          !v.ratings.every((x, j) => Number.isInteger(x) && x >= [0, 0, 0, 1][j % 4] &&
            x <= [n - 1, 1, 1e11, 4][j % 4])) {
        return 'its cards or ratings are malformed';
      }
      return '';
    }

    // Settings, kept beside the record.
    const settings = {direction: 0, retention: 0.9, newPerDay: 20, shuffled: false};
    const isSettings = (v) => v !== null && typeof v === 'object' && [0, 1].includes(v.direction) &&
      typeof v.retention === 'number' && v.retention >= 0.7 && v.retention <= 0.97 &&
      Number.isInteger(v.newPerDay) && v.newPerDay >= 0 && typeof v.shuffled === 'boolean';

    // Storage that fails: said at once, the session's ratings kept in the page, Save offered.
    const warn = $('study-note');
    function trouble(e) {
      const why = e === null ? 'The progress this browser holds for this deck cannot be read ' +
        '(a newer page may have written it); it is left as it is, and'
        : e && e.name === 'QuotaExceededError' ? 'This browser\u2019s storage is full, so'
        : 'This browser keeps nothing for this page, so';
      warn.textContent = why + ' your ratings are kept only while this page is open. ' +
        'Save progress to keep them.';
      $('more-study').open = true;
    }
    const deckKey = 'study:' + data.name;
    const progress = kept('progress', (v) => !fault(v), deckKey, trouble);
    const choices = kept('settings', isSettings, deckKey, trouble);

    let scheduler = null;
    let states = [new Map(), new Map()];  // per direction: record card → {k, at, card, first, last}
    function apply(j) {
      const [k, d, t, g] = rec.r.slice(4 * j, 4 * j + 4);
      let s = states[d].get(k);
      if (!s) {
        s = {k, at: rec.at[k], card: createEmptyCard(new Date(t * 1000)), first: t, last: t};
        states[d].set(k, s);
      }
      rec.before[j] = s.card.state;
      s.card = scheduler.next(s.card, new Date(t * 1000), g).card;
      s.last = t;
    }
    const newScheduler = () => fsrs(generatorParameters({request_retention: settings.retention,
      enable_fuzz: true}));
    function replay() {
      scheduler = newScheduler();
      states = [new Map(), new Map()];
      const r = rec.r;
      const order = Array.from({length: r.length / 4}, (_, j) => j);
      order.sort((a, b) => r[4 * a] - r[4 * b] || r[4 * a + 1] - r[4 * b + 1] ||
        r[4 * a + 2] - r[4 * b + 2] || r[4 * a + 3] - r[4 * b + 3]);
      order.forEach(apply);
    }
    // Another record's cards and ratings added to this one; the number of ratings new here.
    function merge(v) {
      const ids = v.cards.map((c) => cardId(c[0], c[1], c[2]));
      let added = 0;
      for (let j = 0; j < v.ratings.length; j += 4) {
        added += addRating(ids[v.ratings[j]], v.ratings[j + 1], v.ratings[j + 2], v.ratings[j + 3]);
      }
      return added;
    }
    // Written soon after a rating, off the rating's frame, and before the page goes.
    let unsaved = false;
    function save() {
      if (!unsaved) return;
      unsaved = false;
      // Another tab of this deck may have rated since: its ratings join these before the write,
      // so that neither loses any.
      if (progress.changedElsewhere()) {
        const other = progress.read();
        if (other && merge(other)) replay();
      }
      const v = record();
      // Where storage runs short, the states kept beside the record give way to it.
      if (!progress.write(v, true)) {
        dropStates();
        progress.write(v);
      }
    }

    // What replaying the record gave, kept beside it, so that a long history opens at once
    // (replaying a year of ratings takes seconds). Only ever a copy: it is used when it was made
    // from exactly these ratings, in this order, at this retention, and anything else is
    // replayed as before.
    const statesKey = 'pelmo/' + deckKey + '/states';
    const FIELDS = [...new Set([...Object.keys(createEmptyCard(new Date(0))), 'last_review'])];
    const isDate = (f) => f === 'due' || f === 'last_review';
    let statesOf = '';  // what the states kept were made from
    function madeFrom() {
      let h = 0;
      for (let j = 0; j < rec.r.length; ++j) h = (Math.imul(h, 31) + rec.r[j]) >>> 0;
      return rec.r.length + ':' + h + ':' + settings.retention;
    }
    function dropStates() {
      statesOf = '';
      try {
        window.localStorage.removeItem(statesKey);
      } catch (e) { /* nothing kept, nothing to drop */ }
    }
    function keepStates() {
      save();
      const of = madeFrom();
      if (!opened || of === statesOf) return;
      const rows = [];
      states.forEach((m, d) => m.forEach((st) => rows.push([d, st.k, st.first, st.last,
        ...FIELDS.map((f) => (st.card[f] instanceof Date ? st.card[f].getTime()
          : st.card[f] === undefined ? null : st.card[f]))])));
      try {
        window.localStorage.setItem(statesKey,
          JSON.stringify({of, before: rec.before.join(''), rows}));
        statesOf = of;
      } catch (e) {
        dropStates();
      }
    }
    function restoreStates() {
      try {
        const v = JSON.parse(window.localStorage.getItem(statesKey));
        const of = madeFrom();
        if (!v || v.of !== of || typeof v.before !== 'string' ||
            v.before.length !== rec.r.length / 4 || !Array.isArray(v.rows)) return false;
        const restored = [new Map(), new Map()];
        for (const row of v.rows) {
          const [d, k, first, last] = row;
          if (row.length !== 4 + FIELDS.length || (d !== 0 && d !== 1) || !Number.isInteger(k) ||
              k < 0 || k >= rec.words.length) return false;
          const card = {};
          FIELDS.forEach((f, j) => {
            const x = row[4 + j];
            card[f] = isDate(f) && x !== null ? new Date(x) : x === null ? undefined : x;
          });
          restored[d].set(k, {k, at: rec.at[k], card, first, last});
        }
        scheduler = newScheduler();
        states = restored;
        rec.before = Array.from(v.before, Number);
        statesOf = of;
        return true;
      } catch (e) {
        return false;
      }
    }
    // Saved and kept when the page goes, or goes out of sight (where a phone may end it unasked).
    window.addEventListener('pagehide', keepStates);
    document.addEventListener('visibilitychange', () => {
      if (document.visibilityState === 'hidden') keepStates();
    });
    function changed() {
      if (!unsaved) setTimeout(save, 0);
      unsaved = true;
    }

    let opened = false;
    let newOrder = null;  // the deck's cards in the order new ones are taken, or null: the deck's
    const cursor = [0, 0];  // per direction, where the search for a new card starts
    let shown = null;  // {i: the deck's card, d, s: its state or null, preview when answered}
    function studied(i, d) {
      if (!rec.index.size) return false;
      const k = rec.index.get(keyOf(i));
      return k !== undefined && states[d].has(k);
    }
    function nextNew(d) {
      for (; cursor[d] < count; ++cursor[d]) {
        const i = newOrder ? newOrder[cursor[d]] : cursor[d];
        if (!studied(i, d)) return i;
      }
      return -1;
    }
    // What is due now in the direction studied: learning cards due, then reviews due today,
    // then new cards up to the day's limit; and how many of each are left.
    function due(t) {
      const d = settings.direction;
      const end = dayOf(t, 1);
      const today = dayOf(t) / 1000;
      let learn = null;
      let review = null;
      let learning = 0;
      let reviews = 0;
      let started = 0;
      for (const s of states[d].values()) {
        if (s.first >= today) ++started;
        if (s.at < 0) continue;
        const when = s.card.due.getTime();
        if (s.card.state === 2) {
          if (when < end) ++reviews;
          if (when < end && (!review || when < review.card.due.getTime())) review = s;
        } else if (when <= t) {
          ++learning;
          if (!learn || when < learn.card.due.getTime()) learn = s;
        }
      }
      const left = Math.max(0, settings.newPerDay - started);
      const fresh = left ? nextNew(d) : -1;
      return {next: learn || review || (fresh >= 0 ? {at: fresh, card: null} : null),
        learning, reviews, fresh: fresh >= 0 ? left : 0, moreNew: fresh >= 0 || (!left &&
          nextNew(d) >= 0), end};
    }

    const field = (id) => $(id).parentElement;
    function pick() {
      const t = now();
      const q = due(t);
      $('study-counts').textContent = 'Learning ' + q.learning + ' \u00b7 Review ' + q.reviews +
        ' \u00b7 New ' + q.fresh;
      $('session').hidden = !q.next;
      $('done').hidden = !!q.next;
      shown = q.next && {i: q.next.at, d: settings.direction, s: q.next.card ? q.next : null};
      if (shown) ask();
      else showDone(t, q);
      summarise();
    }
    function ask() {
      const c = shown.i * 3;
      const english = shown.d === 0;
      $('s-word').textContent = english ? cards[c] : '';
      drawPronunciation($('s-pron'), english ? cards[c + 1] : '');
      $('s-meaning').textContent = english ? '' : cards[c + 2];
      $('s-meaning').scrollTop = 0;
      for (const [id, asked] of [['s-word', english], ['s-pron', english],
        ['s-meaning', !english]]) field(id).classList.toggle('pending', !asked);
      $('question').setAttribute('aria-label', english ? 'Question: the meaning of this word'
        : 'Question: the word for this meaning');
      // The focus, if on a rating, goes to what takes its place.
      const focused = $('grades').contains(document.activeElement);
      $('reveal').hidden = false;
      $('grades').hidden = true;
      if (focused) $('reveal').focus({preventScroll: true});
      showListen();
    }
    function reveal() {
      if (!shown || shown.preview) return;
      const c = shown.i * 3;
      $('s-word').textContent = cards[c];
      drawPronunciation($('s-pron'), cards[c + 1]);
      $('s-meaning').textContent = cards[c + 2];
      for (const id of ['s-word', 's-pron', 's-meaning']) field(id).classList.remove('pending');
      $('question').setAttribute('aria-label', 'Answer');
      const t = Math.floor(now() / 1000) * 1000;
      const card = shown.s ? shown.s.card : createEmptyCard(new Date(t));
      shown.preview = scheduler.repeat(card, new Date(t));
      grades.forEach((b, g) => {
        b.lastElementChild.textContent = interval(shown.preview[g + 1].card.due.getTime() - t);
      });
      const focused = document.activeElement === $('reveal');
      $('reveal').hidden = true;
      $('grades').hidden = false;
      if (focused) grades[2].focus({preventScroll: true});
      showListen();
    }
    // "1m", "10m", "5h", "3d", "2.1mo", "1.5y".
    function interval(ms) {
      const minutes = ms / 60000;
      if (minutes < 59.5) return Math.max(1, Math.round(minutes)) + 'm';
      if (minutes < 23.5 * 60) return Math.round(minutes / 60) + 'h';
      const days = minutes / 1440;
      if (days < 30.5) return Math.round(days) + 'd';
      if (days < 365) return +(days / 30).toFixed(1) + 'mo';
      return +(days / 365).toFixed(1) + 'y';
    }
    function rate(g) {
      if (!shown || !shown.preview) return;
      const t = Math.floor(now() / 1000);
      const k = cardId(cards[shown.i * 3], ipaOf(shown.i), shown.i);
      const s = states[shown.d].get(k);
      if (addRating(k, shown.d, t, g)) {
        if (s && t < s.last) replay();  // the clock went back: in time order again
        else apply(rec.r.length / 4 - 1);
        changed();
      }
      pick();
    }

    function when(t, at) {
      const pad = (n) => String(n).padStart(2, '0');
      const d = new Date(at);
      const clock = pad(d.getHours()) + ':' + pad(d.getMinutes());
      const day = Math.round((new Date(at).setHours(12, 0, 0, 0) -
        new Date(t).setHours(12, 0, 0, 0)) / 864e5);  // calendar days
      return day === 0 ? 'today at ' + clock : day === 1 ? 'tomorrow at ' + clock
        : 'on ' + d.getFullYear() + '-' + pad(d.getMonth() + 1) + '-' + pad(d.getDate()) +
          ' at ' + clock;
    }
    let wake = 0;
    function showDone(t, q) {
      let review = Infinity;
      const counts = new Array(14).fill(0);
      const days = counts.map((_, n) => dayOf(t, n + 1));
      for (const s of states[settings.direction].values()) {
        if (s.at < 0) continue;
        const at = s.card.due.getTime();
        if (at > t) review = Math.min(review, at);
        const n = days.findIndex((end) => at < end);
        if (n >= 0) ++counts[n];
      }
      // New cards and reviews said apart: the chart counts only the reviews.
      const next = Math.min(review, q.moreNew ? q.end : Infinity);
      const reviewDue = 'the next review is due ' + when(t, review);
      $('next-due').textContent = next === Infinity
        ? 'Nothing is due, and no card is new: every card is studied.'
        : 'Nothing is due now. ' + (q.moreNew ? 'New cards come ' + when(t, q.end) +
          (review < Infinity ? '; ' + reviewDue : '') : 'T' + reviewDue.slice(1)) + '.';
      const most = Math.max(1, ...counts);
      $('chart').replaceChildren(...counts.map((n, k) => {
        const li = document.createElement('li');
        const bar = document.createElement('span');
        bar.className = 'col';
        bar.style.setProperty('--h', String(n / most));
        const num = document.createElement('span');
        num.className = 'n';
        num.textContent = String(n);
        const day = document.createElement('span');
        day.className = 'day';
        day.textContent = k ? String(new Date(days[k - 1]).getDate()) : 'today';
        li.append(num, bar, day);
        li.setAttribute('aria-label', (k ? 'in ' + k + (k > 1 ? ' days' : ' day') : 'today') +
          ': ' + n);
        return li;
      }));
      clearTimeout(wake);
      if (next !== Infinity && typeof window.pelmoTime !== 'number') {
        wake = setTimeout(() => studyView.hidden || pick(), Math.min(next - t + 500, 2 ** 31 - 1));
      }
    }

    function summarise() {
      if (!$('more-study').open) return;
      const d = settings.direction;
      const t = now();
      const today = dayOf(t) / 1000;
      const month = t / 1000 - 30 * 86400;
      const day = [0, 0, 0];  // today's ratings of new, learning and review cards
      let reviews = 0;
      let remembered = 0;
      for (let j = 0; j < rec.r.length; j += 4) {
        if (rec.r[j + 1] !== d) continue;
        const before = rec.before[j / 4];
        if (rec.r[j + 2] >= today) ++day[before === 0 ? 0 : before === 2 ? 2 : 1];
        if (before === 2 && rec.r[j + 2] >= month) {
          ++reviews;
          remembered += rec.r[j + 3] > 1;
        }
      }
      const by = [0, 0, 0];
      const seen = new Set();
      for (const s of states[d].values()) {
        if (s.at < 0 || seen.has(s.at)) continue;
        seen.add(s.at);
        ++by[s.card.state === 2 ? 2 : 1];
      }
      by[0] = count - seen.size;
      const rows = [['Today', day[2] + ' reviews, ' + day[0] + ' new cards, ' + day[1] +
        ' learning steps'],
        ['Cards', by[0] + ' new, ' + by[1] + ' learning, ' + by[2] + ' review'],
        ['Remembered, 30 days', reviews ? Math.round(100 * remembered / reviews) + '% of ' +
          reviews + ' reviews' : 'no reviews yet']];
      $('summary').replaceChildren(...rows.flatMap(([name, value]) => {
        const dt = document.createElement('dt');
        dt.textContent = name;
        const dd = document.createElement('dd');
        dd.textContent = value;
        return [dt, dd];
      }));
    }

    // Listen: the word in an English voice, where the browser has one.
    const english = () => ('speechSynthesis' in window ? speechSynthesis.getVoices() : [])
      .find((v) => /^en([-_]|$)/i.test(v.lang));
    function showListen() {
      $('listen').hidden = !english() || !shown || (shown.d === 1 && !shown.preview);
    }
    if ('speechSynthesis' in window) speechSynthesis.addEventListener('voiceschanged', showListen);
    $('listen').addEventListener('click', () => {
      const voice = english();
      if (!voice || !shown) return;
      const said = new SpeechSynthesisUtterance(cards[shown.i * 3]);
      said.voice = voice;
      said.lang = voice.lang;
      speechSynthesis.cancel();
      speechSynthesis.speak(said);
    });

    function useSettings() {
      $('direction').value = String(settings.direction);
      $('retention').value = settings.retention.toFixed(2);
      $('new-per-day').value = String(settings.newPerDay);
      $('new-order').value = settings.shuffled ? 'shuffled' : 'deck';
      newOrder = null;
      if (settings.shuffled) {
        // A fixed shuffle, pelmo's generator from its start: the same on every device.
        newOrder = fileOrder();
        let state = 1;
        shuffle(newOrder, () => ((state = advance(state)) >>> 16) & 0x7fff);
      }
      cursor[0] = cursor[1] = 0;
    }
    function setting(id, read) {
      $(id).addEventListener('change', () => {
        const was = JSON.stringify(settings);
        read($(id));
        if (!isSettings(settings)) Object.assign(settings, JSON.parse(was));
        const retention = JSON.parse(was).retention !== settings.retention;
        useSettings();
        if (retention) replay();
        choices.write(settings);
        pick();
      });
    }
    setting('direction', (e) => { settings.direction = Number(e.value); });
    setting('retention', (e) => { settings.retention = Math.round(Number(e.value) * 100) / 100; });
    setting('new-per-day', (e) => { settings.newPerDay = Number(e.value); });
    setting('new-order', (e) => { settings.shuffled = e.value === 'shuffled'; });

    const said = (text) => { $('study-said').textContent = text; };
    $('save').addEventListener('click', () => {
      const link = document.createElement('a');
      link.href = URL.createObjectURL(new Blob([JSON.stringify(record())],
        {type: 'application/json'}));
      link.download = data.name.replace(/[\\/:*?"<>|\x00-\x1f]/g, '_') + '.progress.json';
      document.body.appendChild(link);
      link.click();
      link.remove();
      setTimeout(() => URL.revokeObjectURL(link.href), 60000);
    });
    $('load').addEventListener('change', async (e) => {
      const file = e.target.files[0];
      e.target.value = '';
      if (!file) return;
      let v;
      try {
        v = JSON.parse(await file.text());
      } catch (x) {
        v = null;
      }
      const why = fault(v);
      if (why) {
        said('Not loaded: ' + why + '. Nothing was changed.');
        return;
      }
      const added = merge(v);
      if (added) {
        replay();
        changed();
        save();
      }
      said('Loaded ' + file.name + ': ' + added + ' new ratings of ' + v.ratings.length / 4 + '.');
      pick();
    });
    $('more-study').addEventListener('toggle', summarise);
    $('question').addEventListener('click', reveal);
    $('reveal').addEventListener('click', reveal);
    grades.forEach((b, g) => b.addEventListener('click', () => rate(g + 1)));
    // Another tab of the same deck rated cards: theirs joins this one's.
    window.addEventListener('storage', (e) => {
      if (!opened || e.key !== progress.key || !e.newValue) return;
      try {
        const v = JSON.parse(e.newValue);
        if (!fault(v) && merge(v)) {
          replay();
          if (!shown || !shown.preview) pick();
        }
      } catch (x) { /* not ours to read */ }
    });

    return {
      open() {
        if (!opened) {
          opened = true;
          Object.assign(settings, choices.read() || {});
          useSettings();
          const v = progress.read();
          if (v) merge(v);
          if (!restoreStates()) replay();
          pick();
          performance.mark('pelmo-first-question');
        } else if (!shown || !shown.preview) {
          pick();
        }
      },
      // A key in the study view: Space and Enter show the answer, 1 to 4 rate; whether taken.
      key(key, onControl) {
        const g = '1234'.indexOf(key);
        if (g >= 0 && key.length === 1 && shown && shown.preview) rate(g + 1);
        else if ((key === ' ' || key === 'Enter') && !onControl && shown && !shown.preview) reveal();
        else return false;
        return true;
      },
      // For tests: each studied card's key, direction, state and due time.
      states: () => states.flatMap((m, d) => [...m.values()].map((s) =>
        [rec.words[s.k], rec.ipas[s.k], d, s.card.state, s.card.due.getTime()])),
    };
  })();
  window.pelmoStudy = study.states;


  // For the curious and for tests: the card numbers (from 0, in file order) in the order shown.
  window.pelmoOrder = () => Array.from(order);

  const was = place.read();
  if (was) {
    hideBoxes.forEach((b, k) => { b.checked = was.hide[k]; });
    index = was.index;
    if (was.shuffledFrom !== null) {
      $('shuffle').checked = true;
      randomState = shuffledFrom = was.shuffledFrom;
      shuffle(order);
    }
    randomState = was.random;
  } else {
    $('shuffle').checked = false;
    hideBoxes.forEach((b) => { b.checked = false; });
  }
  showCard();
  performance.mark('pelmo-first-card');
  if (was && (was.study || was.list)) showView(was.study ? 'study' : 'list');
})();
