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
  const rows = $('rows');
  const more = $('more');
  const hideBoxes = [$('hide-word'), $('hide-pron'), $('hide-meaning')];
  const hideClasses = ['hide-word', 'hide-pron', 'hide-meaning'];

  let order = fileOrder();
  let index = 1;  // the position on show, from 1, as pelmo counts

  function fileOrder() {
    const o = new Int32Array(count);
    for (let i = 0; i < count; ++i) o[i] = i;
    return o;
  }

  // pelmo's generator: it starts at 1 with every run and is never reseeded, so the same
  // switches give the same orders as the viewer.
  let randomState = 1;
  function nextRandom() {
    randomState = (Math.imul(randomState, 214013) + 2531011) >>> 0;
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

  function showCard() {
    const c = order[index - 1] * 3;
    $('counter').textContent = index + ' / ' + count;
    $('word').textContent = cards[c];
    drawPronunciation($('pron'), cards[c + 1]);
    $('meaning').textContent = cards[c + 2];
  }

  function step(by) {
    index += by;
    if (index < 1) index = count;
    if (index > count) index = 1;
    showCard();
  }

  // The list grows a step at a time as it is scrolled, one step a frame until it reaches well
  // below the window, so a deck of a million cards opens at once and the page never stalls;
  // printing lists everything first. A step is an amount of work, not of rows: each row costs its
  // elements, its glyphs and its characters, so that a step of cards of thousands of glyphs is a
  // row or two, and one of short cards a hundred or more. It adds a row at least.
  const stepWork = 5000;
  const rowWork = 20;  // the elements of a row, whatever it holds
  let listed = 0;
  function cell(className, fill) {
    const td = document.createElement('td');
    td.className = className;
    const inner = document.createElement('div');
    fill(inner);
    td.appendChild(inner);
    return td;
  }
  function extendList(budget) {
    const rowsToAdd = document.createDocumentFragment();
    for (let work = 0; listed < count && work < budget; ++listed) {
      const c = order[listed] * 3;
      work += rowWork + cards[c].length + cards[c + 1].length + cards[c + 2].length;
      const tr = document.createElement('tr');
      const n = document.createElement('td');
      n.className = 'n';
      n.textContent = String(listed + 1);
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
      rowsToAdd.appendChild(tr);
    }
    rows.appendChild(rowsToAdd);
  }
  let nextStep = 0;  // the frame that takes the next step, while one is awaited
  function fillList() {
    if (nextStep || listView.hidden || listed >= count ||
        more.getBoundingClientRect().top >= window.innerHeight * 2) {
      return;
    }
    extendList(stepWork);
    nextStep = requestAnimationFrame(() => {
      nextStep = 0;
      fillList();
    });
  }
  function resetList() {
    cancelAnimationFrame(nextStep);
    nextStep = 0;
    rows.replaceChildren();
    listed = 0;
    fillList();
  }

  function showView(list) {
    listView.hidden = !list;
    cardView.hidden = list;
    $('show-cards').setAttribute('aria-pressed', String(!list));
    $('show-list').setAttribute('aria-pressed', String(list));
    fillList();
  }

  $('prev').addEventListener('click', () => step(-1));
  $('next').addEventListener('click', () => step(1));
  $('show-cards').addEventListener('click', () => showView(false));
  $('show-list').addEventListener('click', () => showView(true));
  $('shuffle').addEventListener('change', (e) => {
    // Like pelmo: on shuffles the rows as they stand, off restores the file order, and the
    // position stays.
    if (e.target.checked) {
      shuffle(order);
    } else {
      order = fileOrder();
    }
    showCard();
    resetList();
  });
  hideBoxes.forEach((box, k) => {
    box.addEventListener('change', () => document.body.classList.toggle(hideClasses[k], box.checked));
  });
  document.addEventListener('keydown', (e) => {
    if (e.altKey || e.ctrlKey || e.metaKey || e.isComposing) return;
    const k = '123'.indexOf(e.key);
    if (k >= 0 && e.key.length === 1) {
      hideBoxes[k].click();
    } else if ((e.key === 'ArrowLeft' || e.key === 'ArrowRight') && !cardView.hidden) {
      step(e.key === 'ArrowLeft' ? -1 : 1);
    } else {
      return;
    }
    e.preventDefault();
  });
  window.addEventListener('scroll', fillList, { passive: true });
  window.addEventListener('resize', fillList);
  window.addEventListener('beforeprint', () => extendList(Infinity));

  // For the curious and for tests: the card numbers (from 0, in file order) in the order shown.
  window.pelmoOrder = () => Array.from(order);

  showCard();
  performance.mark('pelmo-first-card');
})();
