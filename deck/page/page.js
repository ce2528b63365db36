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
  // holds something unreadable, the page says so once and goes on without; what it could not
  // read, it never overwrites.
  let cannotRemember = false;
  function forgetful() {
    if (cannotRemember) return;
    cannotRemember = true;
    $('note').textContent = 'This page cannot remember where you were in this browser.';
  }
  function kept(name, valid) {
    const key = 'pelmo/' + data.deck + '/' + name;
    let unreadable = false;
    return {
      read() {
        let value;
        try {
          const text = window.localStorage.getItem(key);
          if (text === null) return null;
          value = JSON.parse(text);
        } catch (e) {
          value = undefined;
        }
        if (value === undefined || !valid(value)) {
          unreadable = true;
          forgetful();
          return null;
        }
        return value;
      },
      write(value) {
        if (unreadable) return;
        try {
          window.localStorage.setItem(key, JSON.stringify(value));
        } catch (e) {
          forgetful();
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
  function shuffle(o) {
    for (let k = 1; k < o.length; ++k) {
      const m = k + 1;
      let x = nextRandom();
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
    typeof p.list === 'boolean' && Number.isInteger(p.index) && p.index >= 1 &&
    p.index <= count && Array.isArray(p.hide) && p.hide.length === 3 &&
    p.hide.every((h) => typeof h === 'boolean') && isState(p.random) &&
    (p.shuffledFrom === null || (isState(p.shuffledFrom) && (() => {
      let s = p.shuffledFrom;
      for (let k = 1; k < count; ++k) s = advance(s);
      return s === p.random;
    })())));
  function remember() {
    place.write({list: !listView.hidden, index, hide: hideBoxes.map((b) => b.checked),
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

  function showView(list) {
    listView.hidden = !list;
    cardView.hidden = list;
    document.body.classList.toggle('listing', list);
    $('show-cards').setAttribute('aria-pressed', String(!list));
    $('show-list').setAttribute('aria-pressed', String(list));
    fillList();
    remember();
  }

  $('prev').addEventListener('click', () => step(-1));
  $('next').addEventListener('click', () => step(1));
  $('show-cards').addEventListener('click', () => showView(false));
  $('show-list').addEventListener('click', () => showView(true));
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
    const onControl = e.target.closest && e.target.closest('button, input, label, a');
    if (k >= 0 && e.key.length === 1) {
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
  if (was && was.list) showView(true);
})();
