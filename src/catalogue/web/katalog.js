// The catalogue page: lists the films of data.js, sorts by each column, searches with every
// keystroke by Kinora's rule and shows one film's details. Every text of a film goes into the
// page as text (textContent), never as markup.
(function () {
  'use strict';
  var films = window.KINORA_FILME || [];
  // The fields the search looks in: actors, country, description, storage place, genre,
  // director, web page, year, title (original title and mark are not searched).
  var SEARCHED = ['a', 'l', 'b', 'd', 'g', 'r', 'w', 'j', 't'];

  // Per film its searched fields upper-cased, each followed by a NUL, so that a word is
  // found within one field and never across two.
  var upper = films.map(function (f) {
    return (SEARCHED.map(function (k) { return f[k] || ''; }).join('\u0000') + '\u0000').toUpperCase();
  });
  var hasText = films.map(function (f) {
    return SEARCHED.some(function (k) { return (f[k] || '') !== ''; });
  });

  function fold(s) { return s.toLowerCase(); }
  function containsFolded(text, part) { return fold(text).indexOf(fold(part)) >= 0; }

  // A mark's range: "7" is 7 or more, "7-8" from 7 to under 8, "-" none.
  var NUMBER = /^\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?\s*$/;
  function markNumber(text) {
    text = text.replace(/,/g, '.');
    if (!NUMBER.test(text)) return null;
    var n = parseFloat(text);
    return isFinite(n) ? n : null;
  }
  function markRange(value) {
    if (value === '-') return { none: true };
    var dash = value.indexOf('-', 1);
    var from = markNumber(dash < 0 ? value : value.slice(0, dash));
    if (from === null) return null;
    if (dash < 0) return { none: false, from: from, below: 0 };
    var below = markNumber(value.slice(dash + 1));
    if (below === null || below <= from) return null;
    return { none: false, from: from, below: below };
  }
  function inRange(range, mark, hasMark) {
    if (range.none) return !hasMark;
    return hasMark && (mark >= range.from || range.from <= 0) && (range.below === 0 || mark < range.below);
  }
  function genresOf(genre) {
    return genre.split(',').map(function (g) { return g.trim(); }).filter(function (g) { return g !== ''; });
  }
  function decadeOf(year) {
    var y = year.trim();
    if (!/^[0-9]{4}/.test(y) || /^[0-9]{5}/.test(y)) return -1;
    return Math.floor(parseInt(y.slice(0, 4), 10) / 10) * 10;
  }
  function matchesPart(text, part) {
    return part === '' ? text.trim() === '' : containsFolded(text, part);
  }
  function sameFolded(a, b) { return fold(a) === fold(b); }

  // The words of the form key:value that filter on the own data or one field, as Kinora's
  // search box reads them; null for any other word.
  function keyFilter(word) {
    var colon = word.indexOf(':');
    if (colon <= 0 || colon === word.length - 1) return null;
    var key = word.slice(0, colon).toLowerCase();
    var value = word.slice(colon + 1);
    var text = value === '-' ? '' : value.replace(/_/g, ' ');
    var yes = fold(value) === 'ja', no = fold(value) === 'nein';
    if (key === 'gesehen' && (yes || no)) return function (f) { return !!f.s === yes; };
    if (key === 'verliehen') {
      if (yes || no) return function (f) { return !!f.v === yes; };
      return function (f) { return matchesPart(f.v || '', text); };
    }
    if (key === 'medium') return function (f) { return matchesPart(f.e || '', text); };
    if (key === 'genre') return function (f) {
      var genres = genresOf(f.g);
      if (text === '') return genres.length === 0;
      return genres.some(function (g) { return sameFolded(g, text); });
    };
    if (key === 'land') return function (f) {
      return text === '' ? f.l.trim() === '' : sameFolded(f.l.trim(), text);
    };
    if (key === 'ort') return function (f) {
      return text === '' ? f.d.trim() === '' : sameFolded(f.d.trim(), text);
    };
    if (key === 'jahr' && /^[0-9]*$/.test(text)) return function (f) {
      var decade = decadeOf(f.j);
      return text === '' ? decade < 0 : decade >= 0 && f.j.trim().indexOf(text) === 0;
    };
    if (key === 'note' || key === 'bewertung') {
      var range = markRange(value);
      if (range === null) return null;
      if (key === 'note') return function (f) { return inRange(range, (f.n || 0) / 2, !!f.n); };
      return function (f) { return inRange(range, f.m / 100, f.m !== 0); };
    }
    return null;
  }

  // The indexes of the films matching the search text: every word occurs in one searched
  // field (case ignored as upper-casing ignores it, "ß" as "SS"), or passes its filter.
  function search(text) {
    var found = [];
    var i;
    for (i = 0; i < films.length; ++i) found.push(i);
    if (text === '') return found;
    var words = text.split(' ').filter(function (w, k, all) { return all.indexOf(w) === k; });
    for (var w = 0; w < words.length && found.length > 0; ++w) {
      var word = words[w];
      var filter = keyFilter(word);
      var kept = [];
      if (filter) {
        kept = found.filter(function (k) { return hasText[k] && filter(films[k]); });
      } else if (word === '') {
        kept = found.filter(function (k) { return hasText[k]; });
      } else {
        var u = word.toUpperCase();
        if (u.indexOf('\u0000') >= 0) {
          kept = found.filter(function (k) {
            return SEARCHED.some(function (f) { return (films[k][f] || '').toUpperCase().indexOf(u) >= 0; });
          });
        } else {
          kept = found.filter(function (k) { return upper[k].indexOf(u) >= 0; });
        }
      }
      found = kept;
    }
    return found;
  }

  var markFormat = new Intl.NumberFormat('de-DE', { maximumFractionDigits: 2 });
  function markText(rating) { return rating ? markFormat.format(rating / 100) : ''; }

  var body = document.getElementById('filme');
  var box = document.getElementById('suche');
  var count = document.getElementById('anzahl');
  var details = document.getElementById('details');
  var rows = []; // each film's row, made when it is first shown
  var order = films.map(function (f, i) { return i; }); // every film in the sort order
  var wanted = new Uint8Array(films.length); // whether film i matches the search
  var shown = []; // the matching films in the sort order
  var rendered = 0; // how many of them the table holds: the rest follow while scrolling
  var PAGE = 150;
  var selected = -1;

  function cell(text, className) {
    var td = document.createElement('td');
    td.textContent = text;
    if (className) td.className = className;
    return td;
  }

  function rowOf(i) {
    if (rows[i]) return rows[i];
    var f = films[i];
    var tr = document.createElement('tr');
    tr.tabIndex = 0;
    tr.dataset.index = String(i);
    tr.appendChild(cell(f.t));
    tr.appendChild(cell(f.j));
    tr.appendChild(cell(f.g, 'breit'));
    tr.appendChild(cell(f.l, 'breit'));
    tr.appendChild(cell(markText(f.m), 'zahl'));
    rows[i] = tr;
    return tr;
  }

  // A table of 10 000 rows takes the browser a second to lay out: it holds the first rows
  // of the result, and the next ones join when the list is scrolled or walked to its end.
  function more() {
    var end = Math.min(shown.length, rendered + PAGE);
    if (end === rendered) return false;
    var fragment = document.createDocumentFragment();
    for (var k = rendered; k < end; ++k) fragment.appendChild(rowOf(shown[k]));
    body.appendChild(fragment);
    rendered = end;
    return true;
  }

  function render() {
    shown = order.filter(function (i) { return wanted[i]; });
    body.replaceChildren();
    rendered = 0;
    more();
    count.textContent = shown.length === 1 ? '1 Film' : shown.length + ' Filme';
  }

  var collator = new Intl.Collator('de', { numeric: true, sensitivity: 'base' });
  var sortKey = 't', ascending = true;

  function sortRows() {
    order.sort(function (a, b) {
      var c = sortKey === 'm' ? films[a].m - films[b].m : collator.compare(films[a][sortKey], films[b][sortKey]);
      if (c === 0) c = collator.compare(films[a].t, films[b].t) || a - b;
      return ascending ? c : -c;
    });
    document.querySelectorAll('th').forEach(function (th) {
      if (th.dataset.spalte === sortKey) th.setAttribute('aria-sort', ascending ? 'ascending' : 'descending');
      else th.removeAttribute('aria-sort');
    });
    render();
  }

  function filter() {
    wanted.fill(0);
    search(box.value).forEach(function (i) { wanted[i] = 1; });
    render();
  }

  function addField(list, label, value) {
    if (!value) return;
    var dt = document.createElement('dt');
    dt.textContent = label;
    var dd = document.createElement('dd');
    dd.textContent = value;
    list.appendChild(dt);
    list.appendChild(dd);
  }

  function showDetails(i) {
    var f = films[i];
    if (selected >= 0) rows[selected].classList.remove('gewaehlt');
    selected = i;
    rows[i].classList.add('gewaehlt');
    details.replaceChildren();
    var close = document.createElement('button');
    close.type = 'button';
    close.id = 'schliessen';
    close.textContent = 'Schließen';
    close.addEventListener('click', function () { details.hidden = true; rows[i].focus(); });
    details.appendChild(close);
    if (f.c) {
      var img = document.createElement('img');
      img.src = f.c;
      img.alt = 'Cover von ' + f.t;
      details.appendChild(img);
    }
    var h = document.createElement('h2');
    h.textContent = f.t;
    details.appendChild(h);
    var list = document.createElement('dl');
    addField(list, 'Originaltitel', f.o);
    addField(list, 'Jahr', f.j);
    addField(list, 'Land', f.l);
    addField(list, 'Genre', f.g);
    addField(list, 'Regie', f.r);
    addField(list, 'Darsteller', (f.a || '').replace(/\r\n/g, '\n'));
    addField(list, 'Bewertung', markText(f.m));
    addField(list, 'Speicherort', f.d);
    addField(list, 'Medium', f.e);
    addField(list, 'Gesehen', f.s ? new Date(f.s + 'T12:00:00').toLocaleDateString('de-DE') : '');
    addField(list, 'Verliehen an', f.v);
    addField(list, 'Eigene Note', f.n ? markFormat.format(f.n / 2) : '');
    addField(list, 'Beschreibung', f.b === '#nv' ? '(keine Beschreibung)' : (f.b || '').replace(/\r\n/g, '\n'));
    details.appendChild(list);
    // Only an address of the web is a link: "javascript:" and the like stay text.
    if (/^https?:\/\//i.test(f.w || '')) {
      var a = document.createElement('a');
      a.href = f.w;
      a.rel = 'noreferrer noopener';
      a.textContent = 'Seite des Films';
      details.appendChild(a);
    }
    details.hidden = false;
  }

  body.addEventListener('click', function (e) {
    var tr = e.target.closest('tr');
    if (tr) showDetails(Number(tr.dataset.index));
  });
  body.addEventListener('keydown', function (e) {
    var tr = e.target.closest('tr');
    if (!tr) return;
    if (e.key === 'Enter' || e.key === ' ') {
      e.preventDefault();
      showDetails(Number(tr.dataset.index));
    } else if (e.key === 'ArrowDown' || e.key === 'ArrowUp') {
      e.preventDefault();
      if (e.key === 'ArrowDown' && !tr.nextElementSibling) more();
      var next = e.key === 'ArrowDown' ? tr.nextElementSibling : tr.previousElementSibling;
      if (next) next.focus();
    }
  });
  document.querySelectorAll('th button').forEach(function (button) {
    button.addEventListener('click', function () {
      var key = button.parentElement.dataset.spalte;
      ascending = key === sortKey ? !ascending : true;
      sortKey = key;
      sortRows();
    });
  });
  box.addEventListener('input', filter);
  document.addEventListener('keydown', function (e) {
    if (e.key === 'Escape' && !details.hidden) details.hidden = true;
  });

  new IntersectionObserver(function (entries) {
    if (entries[0].isIntersecting) more();
  }, { rootMargin: '0px 0px 600px 0px' }).observe(document.getElementById('mehr'));

  // The column headers stay in sight below the search line, however high it wraps.
  var header = document.querySelector('header');
  function placeHeaders() {
    document.documentElement.style.setProperty('--kopf', header.offsetHeight + 'px');
  }
  window.addEventListener('resize', placeHeaders);
  placeHeaders();

  wanted.fill(1);
  sortRows();
  window.kinoraKatalog = { search: search };
})();
