// A headless Chromium driven over the DevTools protocol, for the page's check
// and its benchmark: no packages beyond node's own (node 20 needs
// --experimental-websocket for the global WebSocket).
//
//   const browser = await launchChromium();
//   await browser.open('file:///…/index.html');       // waits for vintrop.ready
//   const t = await browser.evaluate('document.title');
//   await browser.close();
import { spawn } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Waits until read() gives a value other than undefined, or throws after `ms`.
async function poll(read, ms, what) {
  const end = Date.now() + ms;
  for (;;) {
    const value = read();
    if (value !== undefined) return value;
    if (Date.now() > end) throw new Error(`timed out waiting for ${what}`);
    await sleep(50);
  }
}

// One DevTools connection to one page target: commands and their replies by
// id, and the events seen, which waitFor() can wait for.
class Session {
  constructor(socket) {
    this.socket = socket;
    this.nextId = 1;
    this.pending = new Map();
    this.waiters = [];
    socket.addEventListener('message', (event) => this.receive(JSON.parse(event.data)));
    // A browser that closes may never answer the last command: it fails, so
    // that nothing waits for ever (node would end with status 13).
    socket.addEventListener('close', () => {
      for (const { reject, method } of this.pending.values()) reject(new Error(`${method}: the browser closed`));
      this.pending.clear();
    });
  }

  receive(message) {
    if (message.id !== undefined) {
      const { resolve, reject, method } = this.pending.get(message.id);
      this.pending.delete(message.id);
      if (message.error) reject(new Error(`${method}: ${message.error.message}`));
      else resolve(message.result);
      return;
    }
    this.waiters = this.waiters.filter((w) => !(w.method === message.method && (w.resolve(message.params), true)));
  }

  send(method, params = {}) {
    const id = this.nextId++;
    return new Promise((resolve, reject) => {
      this.pending.set(id, { resolve, reject, method });
      this.socket.send(JSON.stringify({ id, method, params }));
    });
  }

  waitFor(method) { return new Promise((resolve) => this.waiters.push({ method, resolve })); }
}

// Starts Chromium headless with an empty profile and connects to its first
// page. The locale is fixed (en-US) so that the page's numbers read the same
// on every machine.
export async function launchChromium({ binary = process.env.CHROMIUM || 'chromium', width = 1280, height = 800 } = {}) {
  if (typeof WebSocket === 'undefined') throw new Error('no WebSocket in this node: run it with --experimental-websocket');
  const profile = mkdtempSync(join(tmpdir(), 'vintrop-chromium-'));
  const args = ['--headless', '--remote-debugging-port=0', `--user-data-dir=${profile}`, '--lang=en-US',
    '--no-first-run', '--no-default-browser-check', '--disable-gpu', '--allow-file-access-from-files',
    `--window-size=${width},${height}`, 'about:blank'];
  // Chromium's sandbox refuses to start as root.
  if (process.getuid && process.getuid() === 0) args.unshift('--no-sandbox');
  const child = spawn(binary, args, { stdio: ['ignore', 'ignore', 'pipe'], env: { ...process.env, LANG: 'en_US.UTF-8' } });
  let errors = '';
  child.stderr.on('data', (chunk) => { errors = (errors + chunk).slice(-4000); });
  let exited = false;
  const gone = new Promise((resolve) => child.on('exit', () => { exited = true; resolve(); }));
  // Killed if it has not quit by itself within five seconds; its profile goes once it is gone.
  const close = async () => {
    const timer = setTimeout(() => child.kill('SIGKILL'), exited ? 0 : 5000);
    await gone;
    clearTimeout(timer);
    rmSync(profile, { recursive: true, force: true, maxRetries: 5, retryDelay: 100 });
  };
  try {
    const port = await poll(() => {
      if (exited) throw new Error(`chromium exited: ${errors}`);
      try { return readFileSync(join(profile, 'DevToolsActivePort'), 'utf8').split('\n')[0] || undefined; } catch { return undefined; }
    }, 20000, 'chromium to start');
    const targets = await (await fetch(`http://127.0.0.1:${port}/json/list`)).json();
    const target = targets.find((t) => t.type === 'page');
    const socket = new WebSocket(target.webSocketDebuggerUrl);
    await new Promise((resolve, reject) => {
      socket.addEventListener('open', resolve);
      socket.addEventListener('error', () => reject(new Error('could not connect to chromium')));
    });
    const session = new Session(socket);
    await session.send('Page.enable');
    await session.send('Runtime.enable');
    await session.send('Emulation.setLocaleOverride', { locale: 'en-US' });
    return new Browser(session, async () => {
      await session.send('Browser.close').catch(() => {});
      socket.close();
      await close();
    });
  } catch (e) {
    child.kill('SIGKILL');
    await close();
    throw e;
  }
}

class Browser {
  constructor(session, close) {
    this.session = session;
    this.close = close;
  }

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
