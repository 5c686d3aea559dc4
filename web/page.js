// The page: a lesson from the bundled list, a file picker or a dropped file,
// run by the engine compiled to WebAssembly and drawn on a canvas, with the
// program's transport, keys, collision history and totals. Viewing and
// running only; lessons are edited in the desktop program. The lesson's
// rules (the history's rows and panels, the pair marks, the transport's
// enabled states, the number texts, the file limit) are the C++ session's,
// the same code as the desktop program's: this script asks and draws.
'use strict';

(function () {
  const BOWL_FIELDS = 10;    // id, x, y, Vx, Vy, M, r, Color, momentum vector dx, dy
  const MARK_FIELDS = 11;    // see LessonSession::kMarkFields
  const FRAME_BUDGET_MS = 40;   // steps taken per frame stop here, so the page stays responsive
  const ENGINE_FAILED = 'This browser cannot run the simulation: it needs WebAssembly with exceptions ' +
    '(Chrome or Edge 95, Firefox 100, Safari 15.2 or later).';
  const FEW_BOWLS = 100;     // lessons up to this many bowls open with numbers and vectors shown

  const $ = (id) => document.getElementById(id);
  const canvas = $('scene');
  const rows = $('rows');
  let engine = null;
  let running = false;
  let lastFrame = 0;
  let due = 0;
  // The history's rows are the session's; only the rows in sight are in
  // the table, so a full history costs no more to show than a short one.
  let rowHeight = 0;       // px, measured on the last rows shown
  let shownRows = '';      // the rows the table was last written for (first serial and count)
  let frameRequested = false;
  let openRequest = 0;     // counts the opens asked for; only the newest applies

  // --- the engine -----------------------------------------------------------
  function heapDoubles(pointer, count) { return new Float64Array(engine.HEAPF64.buffer, pointer, count); }
  function bowls() { return heapDoubles(engine._vp_bowls(), engine._vp_count() * BOWL_FIELDS); }
  function text(pointer) { return engine.UTF8ToString(pointer); }
  function fixed(v) { return text(engine._vp_fixed_text(v)); }

  // The browser's locale separators, for every number the session writes.
  function setSeparators() {
    const parts = new Intl.NumberFormat(undefined).formatToParts(1234567.5);
    const part = (type, fallback) => (parts.find((p) => p.type === type) || { value: fallback }).value;
    const group = cString(part('group', ','));
    const decimal = cString(part('decimal', '.'));
    engine._vp_set_separators(group, decimal);
    engine._free(group);
    engine._free(decimal);
  }

  // A copy of a string in the module's memory, for the caller to free.
  function cString(value) {
    const bytes = new TextEncoder().encode(value + '\0');
    const pointer = engine._malloc(bytes.length);
    engine.HEAPU8.set(bytes, pointer);
    return pointer;
  }

  function showMessage(message, detail) {
    const box = $('message');
    box.textContent = detail ? message + ' — ' + detail : message;
    box.hidden = !message;
  }

  // Opens scenario text (bytes); the lesson shown stays when it cannot be read.
  function openBytes(bytes, name) {
    stopRunning();
    if (bytes.length > engine._vp_max_file_bytes()) {
      showMessage(text(engine._vp_read_failed_text()), (name ? name + ': ' : '') + text(engine._vp_too_large_text()));
      return false;
    }
    const pointer = engine._malloc(Math.max(1, bytes.length));
    if (pointer === 0) {
      showMessage(text(engine._vp_out_of_memory_text()));
      refreshCommands();
      return false;
    }
    let ok;
    try {
      engine.HEAPU8.set(bytes, pointer);
      ok = engine._vp_open(pointer, bytes.length) === 1;
    } finally {
      engine._free(pointer);
    }
    if (!ok) {
      showMessage(text(engine._vp_message()), (name ? name + ': ' : '') + text(engine._vp_message_detail()));
      refreshCommands();
      return false;
    }
    showMessage('');
    document.title = (name ? name + ' - ' : '') + 'Vintrop';
    $('interval').value = engine._vp_interval();
    showInterval();
    $('trace').checked = engine._vp_keep_history() === 1;
    // Numbers and vectors on a crowd hide the bowls: a gas opens without them.
    const few = engine._vp_count() <= FEW_BOWLS;
    $('vectors').checked = few;
    $('numbers').checked = few;
    engine._vp_set_vectors(few ? 1 : 0);
    showHistory();
    $('bowl-count').textContent = engine._vp_count() + ' bowls, box ' + engine._vp_box_width() + ' × ' +
      engine._vp_box_height();
    redraw();
    refreshCommands();
    return true;
  }

  function showInterval() { $('interval-text').textContent = $('interval').value + ' ms'; }

  function openFile(file) {
    if (!file) return;
    if (file.size > engine._vp_max_file_bytes()) {
      showMessage(text(engine._vp_read_failed_text()), file.name + ': ' + text(engine._vp_too_large_text()));
      return;
    }
    // A file is read while the page goes on: a lesson chosen or a file
    // dropped meanwhile is the newer request, and this one is dropped.
    const request = ++openRequest;
    // The list shows no bundled lesson while one of the user's files is open.
    const opened = (bytes) => {
      if (request === openRequest && openBytes(bytes, file.name)) $('lessons').selectedIndex = -1;
    };
    file.arrayBuffer().then((buffer) => opened(new Uint8Array(buffer)), () => {
      if (request === openRequest) showMessage(text(engine._vp_read_failed_text()), file.name + ': the file could not be read.');
    });
  }

  function openLesson(name) {
    ++openRequest;
    const bytes = engine.FS.readFile('/lessons/' + name);
    if (openBytes(bytes, name)) $('lessons').value = name;
  }

  function lessonTitle(name) {
    const words = name.replace(/\.vintrop$/, '').replace(/-/g, ' ');
    return words.charAt(0).toUpperCase() + words.slice(1);
  }

  // --- transport ---------------------------------------------------------------
  // One step forward or back; a failing step stops the run and says why.
  function takeStep(forward) {
    engine._vp_set_clock(running ? 1 : 0, performance.now());
    const ok = forward ? engine._vp_step() === 1 : engine._vp_back() === 1;
    if (!ok) {
      stopRunning();
      showMessage(text(engine._vp_message()));
    }
    return ok;
  }

  function stopRunning() { running = false; }

  const commands = {
    rew() { engine._vp_rewind(); redraw(); },
    back() { takeStep(false); redraw(); },
    play() { running = true; due = 0; lastFrame = performance.now(); redraw(); requestFrame(); },
    pause() { stopRunning(); redraw(); },
    stop() { stopRunning(); engine._vp_rewind(); redraw(); },
    step() { takeStep(true); redraw(); },
  };

  // Every command's enabled state, set in one place after anything changes.
  function refreshCommands() {
    const bits = engine ? engine._vp_commands(running ? 1 : 0) : 0;
    ['rew', 'back', 'play', 'pause', 'stop', 'step'].forEach((id, k) => { $(id).disabled = (bits & (1 << k)) === 0; });
    $('lessons').disabled = $('open').disabled = engine === null;
  }

  function run(name) {
    if ($(name).disabled) return;
    if (name !== 'back' && name !== 'step') showMessage('');
    commands[name]();
    refreshCommands();
  }

  function requestFrame() {
    if (frameRequested) return;
    frameRequested = true;
    requestAnimationFrame(frame);
  }

  // While running: the steps due since the last frame at the chosen
  // interval, as many as fit in the frame's budget, then one picture.
  function frame(now) {
    frameRequested = false;
    if (running) {
      due += (now - lastFrame) / Number($('interval').value);
      lastFrame = now;
      const start = performance.now();
      while (due >= 1 && running) {
        due -= 1;
        if (!takeStep(true)) break;
        if (performance.now() - start > FRAME_BUDGET_MS) { due = 0; break; }
      }
      refreshCommands();
    }
    draw(now);
    if (running) requestFrame();
  }

  // --- the history ------------------------------------------------------------
  function historyCells(row) {
    const cells = [];
    for (let c = 0; c < engine._vp_history_columns(); ++c) {
      const cell = text(engine._vp_history_cell(row, c));
      // A sum past the float range ends the row there, as the program's table does.
      if (cell === '') break;
      cells.push(cell);
    }
    return cells;
  }

  function spacer(height) {
    const tr = document.createElement('tr');
    tr.className = 'spacer';
    tr.setAttribute('aria-hidden', 'true');
    const td = tr.insertCell();
    td.colSpan = 11;
    td.style.height = height + 'px';
    return tr;
  }

  // Writes the rows in sight, from `first` (the scroll position's when not
  // given), between spacers as tall as the rows above and below them.
  function renderRows(first) {
    const h = rowHeight || 20;
    const scroller = $('scroller');
    const inSight = Math.ceil(Math.max(scroller.clientHeight, h) / h) + 8;
    if (first === undefined) first = Math.floor(scroller.scrollTop / h) - 4;
    const count = engine ? engine._vp_history_rows() : 0;
    const firstSerial = engine ? engine._vp_history_first_serial() : 0;
    first = Math.max(0, Math.min(first, count - inSight));
    const last = Math.min(count, first + inSight);
    const fragment = document.createDocumentFragment();
    fragment.appendChild(spacer(first * h));
    for (let r = first; r < last; ++r) {
      const tr = document.createElement('tr');
      tr.setAttribute('aria-rowindex', String(r + 2));   // the header is row 1
      if (Math.floor((firstSerial + r) / 2) % 2 === 0) tr.className = 'stripe';
      for (const cell of historyCells(r)) tr.insertCell().textContent = cell;
      fragment.appendChild(tr);
    }
    fragment.appendChild(spacer((count - last) * h));
    rows.replaceChildren(fragment);
    rows.parentElement.setAttribute('aria-rowcount', String(count + 1));
    if (last > first) rowHeight = rows.rows[1].getBoundingClientRect().height || rowHeight;
  }

  // After new rows: the newest in sight, as the program's history scrolls,
  // and the panels.
  function showRows() {
    const count = engine._vp_history_rows();
    const now = engine._vp_history_first_serial() + ',' + count;
    if (now !== shownRows) {
      shownRows = now;
      renderRows(count);
      const scroller = $('scroller');
      scroller.scrollTop = scroller.scrollHeight;
    }
    // Written only when they change: a frame that rewrites a panel costs a
    // layout and an announcement to a screen reader, for the same text.
    setText('history-energy', text(engine._vp_history_energy_text()));
    setText('history-count', text(engine._vp_history_count_text()));
  }

  function setText(id, value) {
    const element = $(id);
    if (element.textContent !== value) element.textContent = value;
  }

  function showHistory() {
    if (!engine) return;
    $('history').hidden = !$('trace').checked;
    engine._vp_set_keep_history($('trace').checked ? 1 : 0);
  }

  // --- drawing ---------------------------------------------------------------
  const fills = new Map();   // a bowl's colour as the canvas takes it, made once
  function fillOf(value) {
    let fill = fills.get(value);
    if (fill === undefined) {
      fill = colour(value);
      if (fills.size < 4096) fills.set(value, fill);
    }
    return fill;
  }

  function colour(value, alpha = 1) {
    return `rgba(${value & 255}, ${(value >> 8) & 255}, ${(value >> 16) & 255}, ${alpha})`;
  }

  function redraw() {
    if (!engine) return;
    collectTotals();
    draw(performance.now());
  }

  function collectTotals() {
    const totals = heapDoubles(engine._vp_totals(), 3);
    $('total-energy').textContent = fixed(totals[0]);
    $('total-px').textContent = fixed(totals[1]);
    $('total-py').textContent = fixed(totals[2]);
    $('tip').textContent = 't=' + engine._vp_t();
  }

  // The picture fits the stage whatever the window; line widths and text grow with it.
  function draw(now) {
    if (!engine) return;
    if (running) collectTotals();
    engine._vp_set_clock(running ? 1 : 0, now);
    showRows();
    const ratio = window.devicePixelRatio || 1;
    const width = Math.max(1, Math.round(canvas.clientWidth * ratio));
    const height = Math.max(1, Math.round(canvas.clientHeight * ratio));
    if (canvas.width !== width || canvas.height !== height) {
      canvas.width = width;
      canvas.height = height;
    }
    const g = canvas.getContext('2d');
    g.setTransform(1, 0, 0, 1, 0, 0);
    g.fillStyle = '#202020';
    g.fillRect(0, 0, width, height);
    const boxWidth = engine._vp_box_width();
    const boxHeight = engine._vp_box_height();
    const scale = Math.min(width / boxWidth, height / boxHeight);
    const left = (width - boxWidth * scale) / 2;
    const top = (height - boxHeight * scale) / 2;
    g.fillStyle = '#000';
    g.fillRect(left, top, boxWidth * scale, boxHeight * scale);
    g.save();
    g.beginPath();
    g.rect(left, top, boxWidth * scale, boxHeight * scale);
    g.clip();
    // Lines at least two screen pixels wide, wider on a large picture.
    const line = Math.round(ratio * Math.max(2, Math.min(canvas.clientWidth, canvas.clientHeight) / 250));
    const toX = (x) => left + x * scale;
    const toY = (y) => top + y * scale;
    const b = bowls();
    const vectors = $('vectors').checked;
    const numbers = $('numbers').checked;

    // The disks in order, then all their outlines in one stroke: a crowd of
    // thousands draws in a fraction of the time.
    const outlines = new Path2D();
    for (let k = 0; k < b.length; k += BOWL_FIELDS) {
      const x = toX(b[k + 1]), y = toY(b[k + 2]), r = Math.max(b[k + 6] * scale, 0.5);
      g.beginPath();
      g.arc(x, y, r, 0, 2 * Math.PI);
      g.fillStyle = fillOf(b[k + 7]);
      g.fill();
      outlines.moveTo(x + r, y);
      outlines.arc(x, y, r, 0, 2 * Math.PI);
    }
    g.lineWidth = Math.max(1, line / 2);
    g.strokeStyle = '#000';
    g.stroke(outlines);
    if (vectors) {
      for (let k = 0; k < b.length; k += BOWL_FIELDS) {
        const dx = b[k + 8], dy = b[k + 9];
        if (isFinite(dx) && isFinite(dy) && (dx !== 0 || dy !== 0)) arrow(g, toX(b[k + 1]), toY(b[k + 2]), toX(b[k + 1] + dx), toY(b[k + 2] + dy), '#fff', line, false);
      }
      drawMarks(g, toX, toY, line);
    }
    if (numbers) {
      const size = Math.round(ratio * Math.max(14, Math.min(canvas.clientWidth, canvas.clientHeight) / 30));
      g.font = `bold ${size}px system-ui, sans-serif`;
      g.textBaseline = 'top';
      g.lineJoin = 'round';
      g.lineWidth = Math.max(2, size / 6);
      for (let k = 0; k < b.length; k += BOWL_FIELDS) {
        // Black on a light bowl, white on a dark one, with a rim of the
        // other so that the part past a small disk reads on the black box.
        const c = b[k + 7];
        const light = 0.299 * (c & 255) + 0.587 * ((c >> 8) & 255) + 0.114 * ((c >> 16) & 255) >= 128;
        const label = String(b[k]);
        g.strokeStyle = light ? '#fff' : '#000';
        g.strokeText(label, toX(b[k + 1]), toY(b[k + 2]));
        g.fillStyle = light ? '#000' : '#fff';
        g.fillText(label, toX(b[k + 1]), toY(b[k + 2]));
      }
    }
    g.restore();
  }

  // A line with an arrowhead, on a black rim so that it shows over a disk of its own colour.
  function arrow(g, x1, y1, x2, y2, stroke, width, dashed) {
    const length = Math.hypot(x2 - x1, y2 - y1);
    const head = Math.min(length, 4 * width + 4);
    const ux = (x2 - x1) / (length || 1);
    const uy = (y2 - y1) / (length || 1);
    for (const rim of [true, false]) {
      g.strokeStyle = rim ? '#000' : stroke;
      g.fillStyle = g.strokeStyle;
      g.lineWidth = width + (rim ? 2 : 0);
      g.setLineDash(dashed && !rim ? [3 * width, 2 * width] : []);
      g.beginPath();
      g.moveTo(x1, y1);
      g.lineTo(x2 - ux * head * 0.6, y2 - uy * head * 0.6);
      g.stroke();
      g.setLineDash([]);
      g.beginPath();
      g.moveTo(x2, y2);
      g.lineTo(x2 - ux * head - uy * head * 0.45, y2 - uy * head + ux * head * 0.45);
      g.lineTo(x2 - ux * head + uy * head * 0.45, y2 - uy * head - ux * head * 0.45);
      g.closePath();
      g.fill();
      if (rim) g.stroke();
    }
  }

  // The pairs' momentum before the impact (dashed, first bowl's colour) and
  // after it (solid, second bowl's colour), from the midpoint of the
  // centres, as the session keeps them: fading while running, whole while
  // stopped on their step.
  function drawMarks(g, toX, toY, line) {
    const pointer = engine._vp_marks();
    const m = heapDoubles(pointer, engine._vp_mark_count() * MARK_FIELDS);
    for (let k = 0; k < m.length; k += MARK_FIELDS) {
      const [x, y, bx, by, ax, ay, hasBefore, hasAfter, c1, c2, opacity] = m.subarray(k, k + MARK_FIELDS);
      g.globalAlpha = opacity;
      if (hasBefore) arrow(g, toX(x), toY(y), toX(bx), toY(by), colour(c1), line, true);
      if (hasAfter) arrow(g, toX(x), toY(y), toX(ax), toY(ay), colour(c2), line, false);
    }
    g.globalAlpha = 1;
  }

  // --- keys, files, start-up ------------------------------------------------------
  // The desktop program's keys, taken from the browser where it lets the page have them.
  const keys = {
    F5: 'play', F9: 'pause', F8: 'step', 'Ctrl+z': 'back', 'Ctrl+r': 'rew', 'Ctrl+q': 'stop',
  };
  function keyName(event) {
    const k = event.key.length === 1 ? event.key.toLowerCase() : event.key;
    return (event.ctrlKey || event.metaKey ? 'Ctrl+' : '') + (event.altKey ? 'Alt+' : '') + k;
  }

  function toggleFullScreen() {
    if (document.fullscreenElement) document.exitFullscreen();
    else $('stage').requestFullscreen().catch(() => {});
  }

  function wire() {
    for (const name of Object.keys(commands)) $(name).addEventListener('click', () => run(name));
    $('interval').addEventListener('input', showInterval);
    $('vectors').addEventListener('change', () => { if (engine) engine._vp_set_vectors($('vectors').checked ? 1 : 0); redraw(); });
    $('numbers').addEventListener('change', redraw);
    $('trace').addEventListener('change', showHistory);
    $('clear').addEventListener('click', () => {
      if (!engine) return;
      engine._vp_history_clear();
      showRows();
    });
    $('full').addEventListener('click', toggleFullScreen);
    $('scroller').addEventListener('scroll', () => renderRows());
    $('open').addEventListener('click', () => $('file').click());
    $('file').addEventListener('change', () => { openFile($('file').files[0]); $('file').value = ''; });
    $('lessons').addEventListener('change', () => openLesson($('lessons').value));
    document.addEventListener('keydown', (event) => {
      const name = keyName(event);
      if (keys[name]) { event.preventDefault(); run(keys[name]); }
      else if (name === 'Ctrl+o') { event.preventDefault(); $('file').click(); }
      else if (name === 'F11') { event.preventDefault(); toggleFullScreen(); }
    });
    const stage = $('stage');
    document.addEventListener('dragover', (event) => { event.preventDefault(); stage.classList.add('dragging'); });
    document.addEventListener('dragleave', () => stage.classList.remove('dragging'));
    document.addEventListener('drop', (event) => {
      event.preventDefault();
      stage.classList.remove('dragging');
      if (engine && event.dataTransfer && event.dataTransfer.files.length > 0) openFile(event.dataTransfer.files[0]);
    });
    window.addEventListener('resize', () => { if (engine) draw(performance.now()); });
    document.addEventListener('fullscreenchange', () => { if (engine) draw(performance.now()); });
  }

  function start(module) {
    engine = module;
    setSeparators();
    const names = engine.FS.readdir('/lessons').filter((n) => n.endsWith('.vintrop')).sort();
    for (const name of names) $('lessons').add(new Option(lessonTitle(name), name));
    const wanted = new URLSearchParams(location.search).get('lesson');
    const first = names.includes(wanted) ? wanted : names.includes('equal-masses-head-on.vintrop')
      ? 'equal-masses-head-on.vintrop' : names[0];
    if (first) openLesson(first);
    refreshCommands();
  }

  // The engine, or the reason it cannot run here, said on the page: a
  // browser without WebAssembly fails at once, one without its exceptions
  // when it compiles the module.
  function loadEngine() {
    const failed = (error) => {
      showMessage(ENGINE_FAILED);
      throw error;
    };
    try {
      return VintropEngine().then(start, failed);
    } catch (error) {
      return Promise.reject(error).catch(failed);
    }
  }

  wire();
  refreshCommands();
  // For scripts that drive the page (its tests and its benchmark): when it
  // is ready, the bowls' state in the runner's words, and n steps forward
  // straight through the engine (no drawing, no history rows on the way),
  // returning the milliseconds they took.
  window.vintrop = {
    ready: loadEngine(),
    state: () => text(engine._vp_state_text()),
    steps(n) {
      stopRunning();
      const begin = performance.now();
      for (let k = 0; k < n && engine._vp_step() === 1; ++k);
      const ms = performance.now() - begin;
      redraw();
      refreshCommands();
      return ms;
    },
  };
})();
