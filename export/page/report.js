(function () {
'use strict';
var root = document.documentElement, table = document.getElementById('dateien');
if (!table || !table.tHead || !table.tBodies.length) { root.classList.remove('skript'); return; }
var body = table.tBodies[0], heads = table.tHead.rows[0].cells, columns = heads.length;
var rows = Array.prototype.slice.call(body.rows), count = rows.length;

// A file's chart drawn as the window draws it (core/TendencyChart, core/ThrowEngine):
// the grid, then a 2 x 2 dot per throw of a side, the position 2 pixels further
// left for the left side and right for the right, a row of 2 pixels further down
// per throw, from the top again after 200 throws, each pass in a colour of its own.
// Colours are the window's 0x00BBGGRR made opaque: an ImageData pixel's bytes read
// as one little-endian number.
var W = 203, H = 401, BACK = 0xFFE0E0E0, ZERO_LINE = 0xFFFFFFFF, GRID = 0xFFC0C0C0;
var PASSES = [0xFF000000, 0xFFFF0000, 0xFF808000];
function drawChart(canvas, packed, throws) {
  canvas.width = W; canvas.height = H;
  var context = canvas.getContext('2d'), image = context.createImageData(W, H);
  var px = new Uint32Array(image.data.buffer);
  px.fill(BACK);
  function line(x, colour) { for (var y = 0; y < H; y++) px[y * W + x - 1] = px[y * W + x] = colour; }
  line(100, ZERO_LINE);
  [80, 120, 60, 140, 40, 160, 20, 180].forEach(function (x) { line(x, GRID); });
  var bytes = atob(packed), spalte = 100, zeile = 0, pass = 0;
  for (var i = 0; i < throws; i++) {
    var kind = bytes.charCodeAt(i >> 2) >> 2 * (i & 3) & 3;
    zeile += 2;
    if (zeile > 400) { zeile = 2; pass = Math.min(pass + 1, 2); }
    if (kind < 2) continue;  // a zero, or a throw of neither side
    spalte += kind === 2 ? -2 : 2;
    for (var x = spalte - 1; x <= spalte; x++)
      if (x >= 0 && x < W) px[(zeile - 1) * W + x] = px[zeile * W + x] = PASSES[pass];
  }
  context.putImageData(image, 0, 0);
}

// A row's chart while it is in view; the pictures written into the page stay.
function enter(row) {
  var cell = row.cells[1];
  if (!cell || cell.firstChild) return;
  var label = 'Diagramm von ' + row.cells[0].textContent, chart;
  if (cell.hasAttribute('data-w')) {
    chart = document.createElement('canvas');
    chart.setAttribute('role', 'img');
    chart.setAttribute('aria-label', label);
    drawChart(chart, cell.getAttribute('data-w'), Number(cell.getAttribute('data-n')));
  } else if (cell.hasAttribute('data-p')) {
    chart = new Image(W, H);
    chart.alt = label;
    chart.src = 'data:image/png;base64,' + cell.getAttribute('data-p');
  } else {
    return;
  }
  chart.className = 'diagramm';
  cell.appendChild(chart);
}
function leave(row) {
  var cell = row.cells[1];
  if (cell && (cell.hasAttribute('data-w') || cell.hasAttribute('data-p'))) cell.textContent = '';
}

// Only the rows in view are in the document, between two empty rows as tall as
// the rows above and below them: an archive of ten thousands of files lays out,
// sorts and scrolls as fast as one of a few.
var order = [], heights = new Float64Array(count), offsets = new Float64Array(count + 1);
var first = 0, last = -1, shown = [], printing = false;
for (var i = 0; i < count; i++) order.push(i);
function spacer() {
  var row = document.createElement('tr'), cell = document.createElement('td');
  row.className = 'platz';
  row.setAttribute('aria-hidden', 'true');
  cell.colSpan = columns;
  row.appendChild(cell);
  return row;
}
var above = spacer(), below = spacer();
function sum() { for (var p = 0; p < count; p++) offsets[p + 1] = offsets[p] + heights[order[p]]; }
function place(row, height) {
  row.style.display = height > 0 ? '' : 'none';
  row.firstChild.style.height = height + 'px';
}
function at(y) {  // the position of the row that holds height y
  var low = 0, high = count;
  while (low < high) { var mid = (low + high) >> 1; if (offsets[mid + 1] <= y) low = mid + 1; else high = mid; }
  return Math.min(low, count - 1);
}
function render(always) {
  if (printing || count === 0) return;
  var top = -body.getBoundingClientRect().top, from = at(Math.max(0, top) - 400),
      to = Math.min(at(top + window.innerHeight + 400), from + 300);
  if (!always && from === first && to === last) return;
  var fragment = document.createDocumentFragment(), now = [], p;
  for (p = from; p <= to; p++) now.push(order[p]);
  var staying = new Set(now);
  shown.forEach(function (r) { if (!staying.has(r)) leave(rows[r]); });
  shown = now;
  fragment.appendChild(above);
  for (p = from; p <= to; p++) {
    var row = rows[order[p]];
    row.setAttribute('aria-rowindex', p + 2);
    row.classList.toggle('g', p % 2 === 1);
    enter(row);
    fragment.appendChild(row);
  }
  fragment.appendChild(below);
  body.textContent = '';
  body.appendChild(fragment);
  first = from; last = to;
  // Rows measured as they are drawn; the others are taken to be as high.
  var changed = false;
  for (p = from; p <= to; p++) {
    var h = rows[order[p]].offsetHeight;
    if (h !== heights[order[p]]) { heights[order[p]] = h; changed = true; }
  }
  if (changed) sum();
  place(above, offsets[from]);
  place(below, offsets[count] - offsets[to + 1]);
}
function start() {
  table.classList.add('fenster', 'sortierbar');
  table.setAttribute('aria-rowcount', count + 1 + (table.tFoot ? table.tFoot.rows.length : 0));
  if (table.tFoot && table.tFoot.rows.length) table.tFoot.rows[0].setAttribute('aria-rowindex', count + 2);
  if (count === 0) return;
  body.textContent = '';
  body.appendChild(rows[0]);
  enter(rows[0]);
  shown = [0];
  heights.fill(rows[0].offsetHeight);
  sum();
  render(true);
}

// Sorting: each column's keys are read once, texts ranked once in German order,
// so that a sort compares numbers. Numbers come before texts, empty cells last;
// equal keys keep the page's order.
var collator = new Intl.Collator('de', {numeric: true}), keys = [];
function keysOf(c) {
  if (keys[c]) return keys[c];
  var kinds = new Uint8Array(count), values = new Float64Array(count), small = new Float64Array(count);
  var texts = [], ranks = new Map();
  for (var r = 0; r < count; r++) {
    var cell = rows[r].cells[c], s = cell ? cell.textContent.trim() : '', n = Number(s);
    if (s === '') kinds[r] = 2;
    else if (isFinite(n)) {
      values[r] = n;
      if (n === 0) {  // below the doubles ("3.5e-1234"): ordered by their decimal logarithm
        var e = /^([0-9.]+)e-([0-9]+)$/.exec(s);
        small[r] = e && Number(e[1]) > 0 ? Math.log10(Number(e[1])) - Number(e[2]) : -Infinity;
      }
    } else { kinds[r] = 1; texts[r] = s; ranks.set(s, 0); }
  }
  var distinct = Array.from(ranks.keys()).sort(collator.compare);
  for (var k = 0; k < distinct.length; k++) ranks.set(distinct[k], k);
  for (r = 0; r < count; r++) if (kinds[r] === 1) values[r] = ranks.get(texts[r]);
  return keys[c] = {kinds: kinds, values: values, small: small};
}
function sort(c) {
  var up = heads[c].getAttribute('aria-sort') !== 'ascending', sign = up ? 1 : -1, key = keysOf(c);
  var kinds = key.kinds, values = key.values, small = key.small;
  for (var k = 0; k < columns; k++) heads[k].removeAttribute('aria-sort');
  heads[c].setAttribute('aria-sort', up ? 'ascending' : 'descending');
  order.sort(function (a, b) {
    return kinds[a] - kinds[b] || sign * (values[a] - values[b] || small[a] - small[b]) || a - b;
  });
  sum();
  render(true);
}
Array.prototype.forEach.call(heads, function (head, c) {
  if (c === 1) return;  // the pictures
  head.tabIndex = 0;
  head.title = 'Nach dieser Spalte sortieren';
  head.addEventListener('click', function () { sort(c); });
  head.addEventListener('keydown', function (e) {
    if (e.key === 'Enter' || e.key === ' ') { e.preventDefault(); sort(c); }
  });
});

var pending = false, again = false;
function later(always) {
  again = again || always;
  if (pending) return;
  pending = true;
  requestAnimationFrame(function () { pending = false; render(again); again = false; });
}
window.addEventListener('scroll', function () { later(false); }, {passive: true});
window.addEventListener('resize', function () { later(true); });
// A printout holds every row, in the order shown.
window.addEventListener('beforeprint', function () {
  printing = true;
  var fragment = document.createDocumentFragment();
  for (var p = 0; p < count; p++) {
    rows[order[p]].classList.toggle('g', p % 2 === 1);
    fragment.appendChild(rows[order[p]]);
  }
  body.textContent = '';
  body.appendChild(fragment);
});
window.addEventListener('afterprint', function () { printing = false; render(true); });

try { start(); } catch (error) {
  // The rows as the page holds them, rather than none.
  table.classList.remove('fenster');
  root.classList.remove('skript');
  body.textContent = '';
  rows.forEach(function (row) { body.appendChild(row); });
  throw error;
}
})();
