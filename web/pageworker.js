// The page's engine in a worker of its own: the WebAssembly module and the
// lesson session live here, so that a step, however long, leaves the page
// free to answer. The build puts this file with the module into one
// function, vintropWorker() in vintrop-engine.js, which the page starts as a
// worker from that function's own text (a page opened from the disk may not
// start a worker from a file).
//
// The page sends requests {id, op, running, ...}; each gets one reply, in
// order, with the op's result and the snapshot the page draws from (the
// bowls, pair marks, totals, history and the transport's enabled states).
// Every message carries the worker's generation, its name, so that the
// page can drop what a worker it has since replaced still sent.
(function () {
  'use strict';
  const BOWL_FIELDS = 10;    // see LessonSession::kBowlFields
  const MARK_FIELDS = 11;    // see LessonSession::kMarkFields
  const generation = Number(self.name);
  let engine = null;
  let sentRows = null;       // the history rows last sent, as first serial and count

  function post(message, transfer = []) {
    message.gen = generation;
    self.postMessage(message, transfer);
  }

  // Requests wait for the module, then run one at a time in their order.
  let queue = VintropEngine().then((module) => { engine = module; });
  queue.catch((error) => post({ failed: String(error) }));
  self.onmessage = (event) => { queue = queue.then(() => answer(event.data)); };

  function answer(request) {
    try {
      const reply = Object.assign(ops[request.op](request) || {}, { id: request.id });
      // Before a lesson is open there is nothing to draw (a fresh worker's empty session).
      if (request.op === 'init') return post(reply);
      post(Object.assign(reply, snapshot(request.running)), [reply.bowls.buffer, reply.marks.buffer]);
    } catch (error) {
      // A fault of the module itself (a trap, memory that cannot grow): the
      // page replaces this worker.
      post({ id: request.id, fault: String(error && error.message || error) });
    }
  }

  const text = (pointer) => engine.UTF8ToString(pointer);
  // A copy: a later call may grow the module's memory and move the heap.
  const doubles = (pointer, count) => new Float64Array(engine.HEAPF64.buffer, pointer, count).slice();

  function clock(running) { engine._vp_set_clock(running ? 1 : 0, performance.now()); }

  // A copy of a string in the module's memory, for the caller to free.
  function cString(value) {
    const bytes = new TextEncoder().encode(value + '\0');
    const pointer = engine._malloc(bytes.length);
    engine.HEAPU8.set(bytes, pointer);
    return pointer;
  }

  function open(bytes) {
    if (bytes.length > engine._vp_max_file_bytes())
      return { ok: false, message: text(engine._vp_read_failed_text()), detail: text(engine._vp_too_large_text()) };
    const pointer = engine._malloc(Math.max(1, bytes.length));
    if (pointer === 0) return { ok: false, message: text(engine._vp_out_of_memory_text()) };
    let ok;
    try {
      engine.HEAPU8.set(bytes, pointer);
      ok = engine._vp_open(pointer, bytes.length) === 1;
    } finally {
      engine._free(pointer);
    }
    if (!ok) return { ok, message: text(engine._vp_message()), detail: text(engine._vp_message_detail()) };
    return { ok, interval: engine._vp_interval(), keepHistory: engine._vp_keep_history() === 1,
             refusal: text(engine._vp_step_refusal_text()) };
  }

  function step(forward, running) {
    clock(running);
    const ok = (forward ? engine._vp_step() : engine._vp_back()) === 1;
    return { ok, message: ok ? '' : text(engine._vp_message()) };
  }

  const ops = {
    // The page's separators; the limits and texts it needs before it sends a file; the bundled lessons.
    init({ group, decimal }) {
      const g = cString(group), d = cString(decimal);
      engine._vp_set_separators(g, d);
      engine._free(g);
      engine._free(d);
      return {
        maxFileBytes: engine._vp_max_file_bytes(), readFailed: text(engine._vp_read_failed_text()),
        tooLarge: text(engine._vp_too_large_text()),
        lessons: engine.FS.readdir('/lessons').filter((n) => n.endsWith('.vintrop')).sort(),
      };
    },
    open: ({ bytes }) => open(bytes),
    openLesson: ({ name }) => open(engine.FS.readFile('/lessons/' + name)),
    step: ({ running }) => step(true, running),
    back: ({ running }) => step(false, running),
    // While the page plays: up to `steps` steps, stopping at a failure or
    // once they have taken `budget` ms, so that the picture keeps moving.
    run({ steps, budget }) {
      const begin = performance.now();
      let result = { ok: true, message: '' };
      let taken = 0;
      while (taken < steps) {
        result = step(true, true);
        if (!result.ok) break;
        taken += 1;
        if (performance.now() - begin > budget) return Object.assign(result, { overBudget: true });
      }
      return result;
    },
    rewind() { engine._vp_rewind(); },
    settings({ vectors, history }) {
      engine._vp_set_vectors(vectors ? 1 : 0);
      engine._vp_set_keep_history(history ? 1 : 0);
    },
    clear() { engine._vp_history_clear(); },
    snapshot() {},
    state: () => ({ state: text(engine._vp_state_text()) }),
    // For the benchmark: n steps straight through the engine, and the ms they took.
    steps({ n }) {
      const begin = performance.now();
      for (let k = 0; k < n && engine._vp_step() === 1; ++k);
      return { ms: performance.now() - begin };
    },
  };

  // What the page draws until the next reply.
  function snapshot(running) {
    clock(running);
    const fixed = (v) => text(engine._vp_fixed_text(v));
    const totals = doubles(engine._vp_totals(), 3);
    const marks = engine._vp_marks();
    const s = {
      t: engine._vp_t(), box: [engine._vp_box_width(), engine._vp_box_height()],
      bowls: doubles(engine._vp_bowls(), engine._vp_count() * BOWL_FIELDS),
      marks: doubles(marks, engine._vp_mark_count() * MARK_FIELDS), fading: engine._vp_marks_fading() === 1,
      totals: [fixed(totals[0]), fixed(totals[1]), fixed(totals[2])],
      commands: [engine._vp_commands(0), engine._vp_commands(1)],   // stopped, running
      historyEnergy: text(engine._vp_history_energy_text()), historyCount: text(engine._vp_history_count_text()),
      firstSerial: engine._vp_history_first_serial(),
    };
    // The rows only when they changed since the last reply.
    const count = engine._vp_history_rows();
    const key = s.firstSerial + ',' + count;
    if (key !== sentRows) {
      sentRows = key;
      s.rows = [];
      for (let r = 0; r < count; ++r) s.rows.push(historyCells(r));
    }
    return s;
  }

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
})();
