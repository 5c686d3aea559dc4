// The page's side of the engine's worker (pageworker.js): one worker at a
// time, started from the text of vintropWorker() in vintrop-engine.js, its
// requests answered one by one in their order. Starting a worker terminates
// the one before, cancelling whatever it was doing; anything it had already
// sent carries an older generation and is dropped.
'use strict';

class EngineLink {
  // `source`: the worker's function. `handlers`: reply(reply, request) for
  // each reply, failed(why) when the module cannot start in this browser,
  // fault(why, request) when it failed on a request and must be replaced.
  constructor(source, handlers) {
    this.url = URL.createObjectURL(new Blob([`(${source})();`], { type: 'text/javascript' }));
    this.handlers = handlers;
    this.worker = null;
    this.generation = 0;
    this.nextId = 1;
    this.pending = [];   // requests sent to the current worker and not yet answered, oldest first
  }

  // A fresh worker in place of the current one; the requests it had not
  // answered are dropped (each one's dropped() is called).
  start() {
    if (this.worker) this.worker.terminate();
    const dropped = this.pending;
    this.pending = [];
    const generation = ++this.generation;
    this.worker = new Worker(this.url, { name: String(generation) });
    this.worker.onmessage = (event) => this.receive(event.data);
    this.worker.onerror = (event) => {
      event.preventDefault();
      if (generation === this.generation) this.handlers.failed(event.message || 'the worker stopped');
    };
    for (const request of dropped) if (request.dropped) request.dropped();
  }

  // Sends a request; the object returned stands for it until its reply:
  // its kind ('step' or 'open' for those that may take long, else null)
  // and when it was sent (ms of performance.now()).
  send(op, fields) {
    const request = { id: this.nextId++, op, kind: EngineLink.KINDS[op] || null, sent: performance.now() };
    this.pending.push(request);
    this.worker.postMessage(Object.assign({}, fields, { id: request.id, op }));
    return request;
  }

  receive(reply) {
    if (reply.gen !== this.generation) return;   // from a worker since replaced
    if (reply.failed !== undefined) {
      this.handlers.failed(reply.failed);
      return;
    }
    if (this.pending.length === 0 || this.pending[0].id !== reply.id) return;
    const request = this.pending.shift();
    if (reply.fault !== undefined) this.handlers.fault(reply.fault, request);
    else this.handlers.reply(reply, request);
  }

  // The oldest request under way that may take long, or null.
  longPending() { return this.pending.find((r) => r.kind !== null) || null; }
  idle() { return this.pending.length === 0; }
}

// Requests that may take long: steps, which STOP and REW cancel, and openings.
EngineLink.KINDS = { step: 'step', back: 'step', run: 'step', steps: 'step', init: 'open', open: 'open',
                     openLesson: 'open' };
