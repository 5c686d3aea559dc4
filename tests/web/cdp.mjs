// A headless Chromium driven over the DevTools protocol, for the page's check
// and its benchmark. It talks through the browser's debugging pipe (file
// descriptors 3 and 4, one JSON message per NUL), so it needs nothing beyond
// node's own modules, in any node from Debian's 18 on.
//
//   const browser = await launchChromium();
//   await browser.open('file:///…/index.html');       // waits for vintrop.ready
//   const t = await browser.evaluate('document.title');
//   await browser.close();
import { spawn } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

// One DevTools connection: commands and their replies by id, each command
// sent to the browser or to the page's session, and the page's events,
// which waitFor() can wait for.
class Connection {
  constructor(toBrowser, fromBrowser) {
    this.toBrowser = toBrowser;
    this.nextId = 1;
    this.pending = new Map();
    this.waiters = [];
    this.sessionId = undefined;
    this.closed = false;
    let text = '';
    fromBrowser.setEncoding('utf8');
    fromBrowser.on('data', (chunk) => {
      const parts = (text + chunk).split('\0');
      text = parts.pop();
      for (const part of parts) this.receive(JSON.parse(part));
    });
    // A browser that closes may never answer the last command: it fails, so
    // that nothing waits for ever (node would end with status 13).
    fromBrowser.on('close', () => {
      this.closed = true;
      for (const { reject, method } of this.pending.values()) reject(new Error(`${method}: the browser closed`));
      this.pending.clear();
    });
  }

  receive(message) {
    if (message.id !== undefined) {
      const waiting = this.pending.get(message.id);
      if (!waiting) return;
      this.pending.delete(message.id);
      if (message.error) waiting.reject(new Error(`${waiting.method}: ${message.error.message}`));
      else waiting.resolve(message.result);
      return;
    }
    if (message.sessionId !== this.sessionId) return;
    this.waiters = this.waiters.filter((w) => !(w.method === message.method && (w.resolve(message.params), true)));
  }

  // A command to the page (once attached), or to the browser itself.
  send(method, params = {}, toBrowser = false) {
    if (this.closed) return Promise.reject(new Error(`${method}: the browser closed`));
    const id = this.nextId++;
    const message = { id, method, params };
    if (!toBrowser && this.sessionId) message.sessionId = this.sessionId;
    return new Promise((resolve, reject) => {
      this.pending.set(id, { resolve, reject, method });
      this.toBrowser.write(JSON.stringify(message) + '\0');
    });
  }

  waitFor(method) { return new Promise((resolve) => this.waiters.push({ method, resolve })); }
}

// Starts Chromium headless with an empty profile and attaches to its first
// page. The locale is fixed (en-US) so that the page's numbers read the same
// on every machine; as in a user's browser, a page may read no other file.
export async function launchChromium({ binary = process.env.CHROMIUM || 'chromium', width = 1280, height = 800 } = {}) {
  const profile = mkdtempSync(join(tmpdir(), 'vintrop-chromium-'));
  const args = ['--headless', '--remote-debugging-pipe', `--user-data-dir=${profile}`, '--lang=en-US',
    '--no-first-run', '--no-default-browser-check', '--disable-gpu',
    `--window-size=${width},${height}`, 'about:blank'];
  // Chromium's sandbox refuses to start as root.
  if (process.getuid && process.getuid() === 0) args.unshift('--no-sandbox');
  const child = spawn(binary, args, { stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe'],
    env: { ...process.env, LANG: 'en_US.UTF-8' } });
  let errors = '';
  child.stderr.on('data', (chunk) => { errors = (errors + chunk).slice(-4000); });
  let exited = false;
  const gone = new Promise((resolve) => child.on('exit', () => { exited = true; resolve(); }));
  child.on('error', () => { exited = true; });
  // Killed if it has not quit by itself within five seconds; its profile goes once it is gone.
  const close = async () => {
    const timer = setTimeout(() => child.kill('SIGKILL'), exited ? 0 : 5000);
    await gone;
    clearTimeout(timer);
    rmSync(profile, { recursive: true, force: true, maxRetries: 5, retryDelay: 100 });
  };
  // A browser that cannot start or has gone closes the pipe; writing to it then fails quietly.
  child.stdio[3].on('error', () => {});
  const connection = new Connection(child.stdio[3], child.stdio[4]);
  try {
    const started = setTimeout(() => child.kill('SIGKILL'), 20000);
    const { targetInfos } = await connection.send('Target.getTargets', {}, true)
      .catch((e) => { throw new Error(`chromium did not start: ${e.message} ${errors}`); });
    clearTimeout(started);
    const page = targetInfos.find((t) => t.type === 'page');
    const { sessionId } = await connection.send('Target.attachToTarget', { targetId: page.targetId, flatten: true }, true);
    connection.sessionId = sessionId;
    await connection.send('Page.enable');
    await connection.send('Runtime.enable');
    await connection.send('Emulation.setLocaleOverride', { locale: 'en-US' });
    return new Browser(connection, async () => {
      await connection.send('Browser.close', {}, true).catch(() => {});
      await close();
    });
  } catch (e) {
    child.kill('SIGKILL');
    await close();
    throw e;
  }
}

class Browser {
  constructor(connection, close) {
    this.session = connection;
    this.close = close;
  }

  // A script run in every page opened from now on, before the page's own.
  beforeEachPage(source) { return this.session.send('Page.addScriptToEvaluateOnNewDocument', { source }); }

  // Loads the page and waits until its engine is ready.
  async open(url) {
    const loaded = this.session.waitFor('Page.loadEventFired');
    await this.session.send('Page.navigate', { url });
    await loaded;
    await this.evaluate('window.vintrop.ready.then(() => true)');
  }

  // The value of an expression in the page (a promise is awaited); a thrown
  // error comes back as an exception here.
  async evaluate(expression) {
    const reply = await this.session.send('Runtime.evaluate', { expression, awaitPromise: true, returnByValue: true });
    if (reply.exceptionDetails) {
      const d = reply.exceptionDetails;
      throw new Error(`in the page: ${d.exception ? d.exception.description || d.exception.value : d.text}`);
    }
    return reply.result.value;
  }

  // Calls a function in the page with arguments that JSON can carry.
  call(fn, ...args) { return this.evaluate(`(${fn})(...${JSON.stringify(args)})`); }

  async screenshot() {
    const { data } = await this.session.send('Page.captureScreenshot', { format: 'png' });
    return Buffer.from(data, 'base64');
  }
}
