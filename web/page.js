// The page: a lesson from the bundled list, a file picker or a dropped file,
// run by the engine compiled to WebAssembly and drawn on a canvas, with the
// program's transport, keys, collision history and totals. Viewing and
// running only; lessons are edited in the desktop program. The lesson's
// rules (the history's rows and panels, the pair marks, the transport's
// enabled states, the number texts, the file limit) are the C++ session's,
// the same code as the desktop program's: this script asks and draws.
//
// The engine runs in a worker (pageworker.js, reached through
// enginelink.js), so that the page answers while a step runs, however long:
// a step of thousands of bowls on one spot takes seconds. Every picture is
// drawn from the last snapshot the worker sent. A step cannot be
// interrupted: STOP, REW and opening a lesson cancel one under way by
// replacing the worker with a fresh one, which opens the lesson again.
'use strict';

(function () {
  const BOWL_FIELDS = 10;    // id, x, y, Vx, Vy, M, r, Color, momentum vector dx, dy
  const MARK_FIELDS = 11;    // see LessonSession::kMarkFields
  const FRAME_BUDGET_MS = 40;   // the steps of one frame stop here, so that the picture moves on
  const BUSY_DELAY_MS = 250;    // a step or an opening under way this long is said on the page
  const CANCEL_GRACE_MS = 250;  // STOP and REW let a step under way end this long before cancelling it
  const ENGINE_FAILED = 'This browser cannot run the simulation: it needs WebAssembly with exceptions ' +
    '(Chrome or Edge 97, Firefox 100, Safari 16 or later).';
  const FAULT = 'The simulation stopped on a fault and starts again';
  const STEPPING = 'Step under way; STOP cancels it.';
  const OPENING = 'Opening…';
  const FEW_BOWLS = 100;     // lessons up to this many bowls open with numbers and vectors shown
  const TRANSPORT = ['rew', 'back', 'play', 'pause', 'stop', 'step'];   // vp_commands' bits, in order

  const $ = (id) => document.getElementById(id);
  const canvas = $('scene');
  const rows = $('rows');
  let link = null;           // the worker
  let limits = null;         // the file limit and its texts, from the first worker
  let separators = null;     // the browser's locale separators, for every worker
  let shown = null;          // the worker's last snapshot: everything drawn comes from it
  let historyRows = [];      // the history's rows as the worker last sent them
  let lesson = null;         // the lesson open, as opened: what a cancelled step gives back
  let running = false;
  let lastFrame = 0;
  let due = 0;
  let reading = 0;           // files being read
  let busyTimer = 0;
  let idleWaiters = [];
  let faultsInARow = 0;
  let readyNow, readyFailed;   // settle `ready`: the first lesson open, or the engine cannot run here
  const ready = new Promise((resolve, reject) => { readyNow = resolve; readyFailed = reject; });
  // The history's rows are the session's; only the rows in sight are in
  // the table, so a full history costs no more to show than a short one.
  let rowHeight = 0;       // px, measured on the last rows shown
  let frameRequested = false;
  let openRequest = 0;     // counts the opens asked for; only the newest applies

  // --- the worker ---------------------------------------------------------------
  // A request to the worker, which answers with a snapshot; `done(reply)`
  // runs once it is shown.
  function send(op, fields = {}, done = null) {
    const request = link.send(op, Object.assign({ running }, fields));
    request.done = done;
    settle();
    return request;
  }

  function received(reply, request) {
    faultsInARow = 0;
    if (reply.bowls) show(reply);
    if (request.done) request.done(reply);
    settle();
  }

  function show(reply) {
    shown = reply;
    setText('tip', 't=' + reply.t);
    ['total-energy', 'total-px', 'total-py'].forEach((id, k) => setText(id, reply.totals[k]));
    // Written only when they change: a panel rewritten costs a layout and
    // an announcement to a screen reader, for the same text.
    setText('history-energy', reply.historyEnergy);
    setText('history-count', reply.historyCount);
    if (reply.rows) {
      // New rows: the newest in sight, as the program's history scrolls.
      historyRows = reply.rows;
      renderRows(historyRows.length);
      const scroller = $('scroller');
      scroller.scrollTop = scroller.scrollHeight;
    }
  }

  // A fresh worker in place of the one under way, which may be in the
  // middle of a step: the lesson at its start, with the page's settings.
  function restart() {
    link.start();
    const restoring = [send('init', separators)];
    if (lesson) restoring.push(sendOpen(lesson, (reply) => { if (!reply.ok) showMessage(reply.message); }));
    restoring.push(sendSettings());
    for (const request of restoring) request.restoring = true;
  }

  // The worker failed on a request (a fault of the module itself): a fresh
  // one, without the lesson when it was the lesson that failed again.
  function faulted(why, request) {
    running = false;
    showMessage(FAULT, why);
    if (++faultsInARow > 2) return;
    if (request.restoring) lesson = null;
    restart();
  }

  function engineFailed(why) {
    showMessage(ENGINE_FAILED);
    readyFailed(new Error(why));
  }

  function sendSettings() {
    return send('settings', { vectors: $('vectors').checked, history: $('trace').checked });
  }

  // After each request and reply: the buttons, the busy state, a frame, and
  // whoever waits for the page to be idle.
  function settle() {
    refreshCommands();
    showBusy();
    requestFrame();
    if (link.idle() && reading === 0) {
      const waiters = idleWaiters;
      idleWaiters = [];
      for (const resolve of waiters) resolve();
    }
  }

  // The buttons say at once that a step or an opening is under way
  // (refreshCommands); the status says it when it lasts.
  function showBusy() {
    clearTimeout(busyTimer);
    const request = link.longPending();
    const wait = request ? request.sent + BUSY_DELAY_MS - performance.now() : 0;
    if (wait > 0) busyTimer = setTimeout(showBusy, wait);
    const status = !request || wait > 0 ? '' : request.kind === 'step' ? STEPPING : OPENING;
    setText('status', status);
    document.body.classList.toggle('busy', status !== '');
  }

  // The browser's locale separators, for every number the session writes.
  function localeSeparators() {
    const parts = new Intl.NumberFormat(undefined).formatToParts(1234567.5);
    const part = (type, fallback) => (parts.find((p) => p.type === type) || { value: fallback }).value;
    return { group: part('group', ','), decimal: part('decimal', '.') };
  }

  function showMessage(message, detail) {
    const box = $('message');
    box.textContent = detail ? message + ' — ' + detail : message;
    box.hidden = !message;
  }

  // --- opening ------------------------------------------------------------------
  function sendOpen(scenario, done) {
    return scenario.bytes ? send('open', { bytes: scenario.bytes }, done) : send('openLesson', { name: scenario.name }, done);
  }

  // Opens a scenario, {name, bytes} or a bundled lesson's {name, bundled};
  // the lesson shown stays when it cannot be read. A step under way is
  // cancelled first.
  function openScenario(scenario) {
    running = false;
    const request = link.longPending();
    if (request && request.kind === 'step') restart();
    sendOpen(scenario, (reply) => opened(reply, scenario));
  }

  function opened(reply, scenario) {
    const name = scenario.name;
    if (!reply.ok) {
      showMessage(reply.message, reply.detail === undefined ? '' : name + ': ' + reply.detail);
      return;
    }
    lesson = scenario;
    // A lesson too large to step says so at once, in the words its first step would give.
    showMessage(reply.refusal);
    document.title = name + ' - Vintrop';
    if (scenario.bundled) $('lessons').value = name;
    else $('lessons').selectedIndex = -1;   // no bundled lesson is shown while a file is open
    $('interval').value = reply.interval;
    showInterval();
    $('trace').checked = reply.keepHistory;
    $('history').hidden = !reply.keepHistory;
    // Numbers and vectors on a crowd hide the bowls: a gas opens without them.
    const count = reply.bowls.length / BOWL_FIELDS;
    const few = count <= FEW_BOWLS;
    $('vectors').checked = few;
    $('numbers').checked = few;
    sendSettings();
    $('bowl-count').textContent = count + ' bowls, box ' + reply.box[0] + ' × ' + reply.box[1];
  }

  function showInterval() { $('interval-text').textContent = $('interval').value + ' ms'; }

  function openFile(file) {
    if (!file || !limits) return;
    if (file.size > limits.maxFileBytes) {
      showMessage(limits.readFailed, file.name + ': ' + limits.tooLarge);
      return;
    }
    // A file is read while the page goes on: a lesson chosen or a file
    // dropped meanwhile is the newer request, and this one is dropped.
    const request = ++openRequest;
    reading += 1;
    file.arrayBuffer().then((buffer) => {
      if (request === openRequest) openScenario({ name: file.name, bytes: new Uint8Array(buffer) });
    }, () => {
      if (request === openRequest) showMessage(limits.readFailed, file.name + ': the file could not be read.');
    }).finally(() => {
      reading -= 1;
      settle();
    });
  }

  function openLesson(name) {
    ++openRequest;
    openScenario({ name, bundled: true });
  }

  function lessonTitle(name) {
    const words = name.replace(/\.vintrop$/, '').replace(/-/g, ' ');
    return words.charAt(0).toUpperCase() + words.slice(1);
  }

  // --- transport ---------------------------------------------------------------
  // A failing step stops the run and says why.
  function stepped(reply) {
    if (reply.ok) return;
    running = false;
    showMessage(reply.message);
  }

  // STOP and REW: the lesson's start. A step under way is given a moment to
  // end, so that a run's history stays (a cancelled step starts it again);
  // one that lasts longer is cancelled.
  function rewind() {
    const request = link.longPending();
    if (!request || request.kind !== 'step') {
      send('rewind');
      return;
    }
    const generation = link.generation;
    const cancel = setTimeout(() => { if (link.generation === generation) restart(); settle(); }, CANCEL_GRACE_MS);
    send('rewind', {}, () => clearTimeout(cancel));
  }

  const commands = {
    rew: rewind,
    back() { send('back', {}, stepped); },
    play() { running = true; due = 0; lastFrame = performance.now(); requestFrame(); },
    pause() { running = false; send('snapshot'); },   // the pair marks shown whole again
    stop() { running = false; rewind(); },
    step() { send('step', {}, stepped); },
  };

  // Every command's enabled state, set in one place after anything changes:
  // the session's for the lesson shown, and while a step is under way only
  // what cancels it, while an opening is under way none.
  function refreshCommands() {
    const bits = shown ? shown.commands[running ? 1 : 0] : 0;
    const on = {};
    TRANSPORT.forEach((id, k) => { on[id] = (bits & (1 << k)) !== 0; });
    const request = link && link.longPending();
    if (request) {
      const stepping = request.kind === 'step';
      on.back = on.play = on.step = false;
      on.stop = stepping;
      on.rew = stepping && !running;
      on.pause = on.pause && stepping;
    }
    for (const id of TRANSPORT) $(id).disabled = !on[id];
    $('lessons').disabled = $('open').disabled = limits === null;
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

  // While running, at each frame and at each reply: the steps due since the
  // last time at the chosen interval, as many as fit in the frame's budget.
  // Two requests stay under way, so that the worker steps while the page
  // draws. At a frame, a fading mark asks for a new snapshot even with no
  // step due.
  function askSteps(atFrame) {
    if (!running || link.pending.length >= 2) return;
    const now = performance.now();
    due += (now - lastFrame) / Number($('interval').value);
    lastFrame = now;
    if (due < 1 && !(atFrame && shown.fading)) return;
    const steps = Math.floor(due);
    due -= steps;
    send('run', { steps, budget: FRAME_BUDGET_MS }, (reply) => {
      if (reply.overBudget) due = 0;
      stepped(reply);
      askSteps(false);
    });
  }

  function frame() {
    frameRequested = false;
    askSteps(true);
    draw();
    if (running) requestFrame();
  }

  // --- the history ------------------------------------------------------------
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
    const count = historyRows.length;
    const firstSerial = shown ? shown.firstSerial : 0;
    first = Math.max(0, Math.min(first, count - inSight));
    const last = Math.min(count, first + inSight);
    const fragment = document.createDocumentFragment();
    fragment.appendChild(spacer(first * h));
    for (let r = first; r < last; ++r) {
      const tr = document.createElement('tr');
      tr.setAttribute('aria-rowindex', String(r + 2));   // the header is row 1
      if (Math.floor((firstSerial + r) / 2) % 2 === 0) tr.className = 'stripe';
      for (const cell of historyRows[r]) tr.insertCell().textContent = cell;
      fragment.appendChild(tr);
    }
    fragment.appendChild(spacer((count - last) * h));
    rows.replaceChildren(fragment);
    rows.parentElement.setAttribute('aria-rowcount', String(count + 1));
    if (last > first) rowHeight = rows.rows[1].getBoundingClientRect().height || rowHeight;
  }

  function setText(id, value) {
    const element = $(id);
    if (element.textContent !== value) element.textContent = value;
  }

  function showHistory() {
    $('history').hidden = !$('trace').checked;
    if (limits) sendSettings();
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

  // The picture fits the stage whatever the window; line widths and text grow with it.
  function draw() {
    if (!shown) return;
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
    const [boxWidth, boxHeight] = shown.box;
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
    const b = shown.bowls;
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
    const m = shown.marks;
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
    $('vectors').addEventListener('change', () => { if (limits) sendSettings(); requestFrame(); });
    $('numbers').addEventListener('change', requestFrame);
    $('trace').addEventListener('change', showHistory);
    $('clear').addEventListener('click', () => { if (limits) send('clear'); });
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
      if (event.dataTransfer && event.dataTransfer.files.length > 0) openFile(event.dataTransfer.files[0]);
    });
    window.addEventListener('resize', requestFrame);
    document.addEventListener('fullscreenchange', requestFrame);
  }

  // The first worker: the bundled lessons in the list, and the first of
  // them open. A browser without WebAssembly, or without its exceptions,
  // says so on the page.
  function start() {
    separators = localeSeparators();
    try {
      link = new EngineLink(vintropWorker, { reply: received, failed: engineFailed, fault: faulted });
      link.start();
    } catch (error) {
      engineFailed(String(error));
      return;
    }
    send('init', separators, (reply) => {
      limits = reply;
      const names = reply.lessons;
      for (const name of names) $('lessons').add(new Option(lessonTitle(name), name));
      const wanted = new URLSearchParams(location.search).get('lesson');
      const first = names.includes(wanted) ? wanted : names.includes('equal-masses-head-on.vintrop')
        ? 'equal-masses-head-on.vintrop' : names[0];
      if (first) openLesson(first);
    });
    whenIdle().then(readyNow);
  }

  function whenIdle() {
    return new Promise((resolve) => {
      idleWaiters.push(resolve);
      if (link) settle();
    });
  }

  // A request whose reply's `field` is the promise's value.
  function ask(op, fields, field) {
    return new Promise((resolve, reject) => {
      const request = send(op, fields, (reply) => resolve(reply[field]));
      request.dropped = () => reject(new Error(`${op}: cancelled`));
    });
  }

  // For scripts that drive the page (its tests and its benchmark): when it
  // is ready (the first lesson open), when it has nothing under way, the
  // bowls' state in the runner's words, and n steps forward straight
  // through the engine (no drawing, no history rows on the way), resolving
  // to the milliseconds they took.
  window.vintrop = {
    ready,
    settled: whenIdle,
    state: () => ask('state', {}, 'state'),
    steps(n) {
      running = false;
      return ask('steps', { n }, 'ms');
    },
  };
  wire();
  refreshCommands();
  start();
})();
