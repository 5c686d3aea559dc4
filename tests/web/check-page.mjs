// Drives the web page in headless Chromium through its own controls and
// compares what it shows with the native runner on the same scenarios:
//
//   node tests/web/check-page.mjs NATIVE_RUNNER PAGE_FOLDER
//
// - served by a web server, then from the disk: no breach of its CSP;
// - every bundled lesson, opened from the list: its state at t = 0, after
//   STEP pressed N times, after BACK K times (or BACK disabled where the
//   lesson is below 100 % elasticity and the runner refuses --back), after REW;
// - PLAY at the shortest interval, PAUSE, and the state at the step shown,
//   then STOP back at the start;
//   PLAY after a long pause takes only the steps due since it was pressed;
// - malformed files dropped on the page: the program's message with the
//   reader's line and error, and the lesson shown before still stepping;
// - the history rows of one collision, two decimals and grouped thousands.
// - the benchmark's vintrop.steps(n) against the runner;
// - a step of minutes: the page answers meanwhile, and STOP, Ctrl+Q, a lesson
//   or a file cancel it; a scenario too large to step says so as it opens;
// - a seeded random walk over every control, key and file drop, in any order.
// Prints each difference and a summary; exits 1 on any difference.
import { spawnSync } from 'node:child_process';
import { mkdtempSync, readdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { extname, join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { launchChromium } from './cdp.mjs';

const [nativeRunner, pageFolder] = process.argv.slice(2);
if (!nativeRunner || !pageFolder) {
  console.error('usage: node tests/web/check-page.mjs NATIVE_RUNNER PAGE_FOLDER');
  process.exit(64);
}
const examples = fileURLToPath(new URL('../../examples', import.meta.url));
const scratch = mkdtempSync(join(tmpdir(), 'vintrop-check-page-'));
const started = Date.now();
let checks = 0;
let failures = 0;

function fail(label, lines) {
  failures += 1;
  console.log(`DIFFERS  ${label}`);
  for (const line of lines) console.log(`    ${line}`);
}

// One comparison; a multi-line text shows its first differing line.
function expect(label, got, want) {
  checks += 1;
  if (typeof want === 'object') [got, want] = [JSON.stringify(got), JSON.stringify(want)];
  if (got === want) return;
  const g = String(got).split('\n');
  const w = String(want).split('\n');
  const k = g.findIndex((line, i) => line !== w[i]);
  const at = k < 0 ? g.length : k;
  fail(label, g.length + w.length > 2 ? [`line ${at + 1}: page  ${g[at]}`, `line ${at + 1}: wanted ${w[at]}`]
    : [`page   ${JSON.stringify(got)}`, `wanted ${JSON.stringify(want)}`]);
}

function runner(file, ...args) {
  const r = spawnSync(nativeRunner, [file, ...args.map(String)], { encoding: 'utf8', maxBuffer: 1 << 28 });
  if (r.error) throw r.error;
  return r;
}

// The runner's bowl and end lines after `args`, as vintrop.state() gives them.
function runnerState(file, ...args) {
  const r = runner(file, ...args);
  if (r.status !== 0) throw new Error(`${nativeRunner} ${file} ${args.join(' ')}: exit ${r.status}: ${r.stderr}`);
  return r.stdout.split('\n').filter((l) => l.startsWith('bowl,') || l.startsWith('end,')).join('\n') + '\n';
}

// --- in the page -------------------------------------------------------------
const browser = await launchChromium();
const page = {
  state: () => browser.evaluate('vintrop.state()'),
  tip: () => browser.evaluate("document.getElementById('tip').textContent"),
  disabled: (id) => browser.call((i) => document.getElementById(i).disabled, id),
  // Clicks a control `times` times, as a user would, each once the page is
  // idle again; a disabled button ignores it.
  press: (id, times = 1) => browser.call(async (i, n) => {
    for (let k = 0; k < n; ++k) { document.getElementById(i).click(); await vintrop.settled(); }
  }, id, times),
  choose: (name) => browser.call(async (n) => {
    const list = document.getElementById('lessons');
    list.value = n;
    list.dispatchEvent(new Event('change'));
    await vintrop.settled();
    return document.title;
  }, name),
  message: () => browser.evaluate("(({ hidden, textContent }) => ({ hidden, text: textContent }))(document.getElementById('message'))"),
  rows: () => browser.evaluate("[...document.getElementById('rows').rows].filter((r) => r.className !== 'spacer').map((r) => [...r.cells].map((c) => c.textContent).join(','))"),
  text: (id) => browser.call((i) => document.getElementById(i).textContent, id),
  // Drops a file on the box, as from a file manager, and waits until the
  // page has opened it or refused it.
  drop: (text, name) => browser.call(async (t, n) => {
    const files = new DataTransfer();
    files.items.add(new File([t], n, { type: 'text/plain' }));
    document.getElementById('scene').dispatchEvent(new DragEvent('drop', { dataTransfer: files, bubbles: true, cancelable: true }));
    await vintrop.settled();
  }, text, name),
  transport: () => browser.evaluate("['rew', 'back', 'play', 'pause', 'stop', 'step'].map((id) => document.getElementById(id).disabled)"),
};

// The page's folder over HTTP, as a school's web server serves it.
const server = createServer((request, response) => {
  const path = join(resolve(pageFolder), new URL(request.url, 'http://page').pathname.replace(/\/$/, '/index.html'));
  const type = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css' }[extname(path)];
  try { response.writeHead(200, { 'Content-Type': type }).end(readFileSync(path)); } catch { response.writeHead(404).end(); }
});
await new Promise((done) => server.listen(0, '127.0.0.1', done));

try {
  // --- the Content-Security-Policy: served, then from the disk ---------------
  // Every breach is recorded as the page reports it; there must be none
  // after the page has run its lessons, whichever way it was opened.
  await browser.beforeEachPage(`window.breaches = [];
    document.addEventListener('securitypolicyviolation', (e) => breaches.push(e.violatedDirective + ' ' + e.blockedURI));`);
  {
    const name = 'two-and-two-cradle.vintrop';
    await browser.open(`http://127.0.0.1:${server.address().port}/?lesson=${name}`);
    await page.press('step', 40);
    expect(`served: ${name}: STEP x40`, await page.state(), runnerState(join(examples, name), '--steps', 40));
    expect('served: no breach of the policy', await browser.evaluate('breaches'), []);
  }
  await browser.open(pathToFileURL(join(resolve(pageFolder), 'index.html')).href);

  // --- every lesson: STEP, BACK, REW ---------------------------------------
  const lessons = await browser.evaluate("[...document.getElementById('lessons').options].map((o) => o.value)");
  expect('the bundled lessons are the examples', lessons.join(' '),
    readdirSync(examples).filter((n) => n.endsWith('.vintrop')).sort().join(' '));
  const lessonStart = Date.now();
  for (const name of lessons) {
    const file = join(examples, name);
    // The gases of 2,000 bowls take a few steps; the rest go well past their first collision.
    const crowd = readFileSync(file, 'utf8').split('\n').length > 1000;
    const [n, k] = crowd ? [10, 5] : [150, 100];
    await page.choose(name);
    expect(`${name}: opened`, await page.state(), runnerState(file, '--steps', 0));
    expect(`${name}: its interval`, await page.text('interval-text'), `${readFileSync(file, 'utf8').split(/\r?\n/)[0].trim()} ms`);
    await page.press('step', n);
    expect(`${name}: t after STEP x${n}`, await page.tip(), `t=${n}`);
    expect(`${name}: STEP x${n}`, await page.state(), runnerState(file, '--steps', n));
    const refusesBack = runner(file, '--steps', 1, '--back', 1).status === 64;
    expect(`${name}: BACK disabled`, await page.disabled('back'), refusesBack);
    await page.press('back', k);
    expect(`${name}: BACK x${k}`, await page.state(), refusesBack ? runnerState(file, '--steps', n)
      : runnerState(file, '--steps', n, '--back', k));
    await page.press('rew');
    expect(`${name}: REW`, await page.state(), runnerState(file, '--steps', 0));
    expect(`${name}: t after REW`, await page.tip(), 't=0');
  }
  const lessonSeconds = (Date.now() - lessonStart) / 1000;

  // --- PLAY then PAUSE -------------------------------------------------------
  {
    const name = 'row-struck-at-one-end.vintrop';
    await page.choose(name);
    await browser.evaluate("(() => { const i = document.getElementById('interval'); i.value = '1'; i.dispatchEvent(new Event('input')); })()");
    await page.press('play');
    await new Promise((r) => setTimeout(r, 400));
    await page.press('pause');
    const t = Number((await page.tip()).slice(2));
    checks += 1;
    if (!(t > 0)) fail(`${name}: PLAY for 400 ms`, [`the page shows ${await page.tip()}`]);
    expect(`${name}: PLAY, PAUSE at t=${t}`, await page.state(), runnerState(join(examples, name), '--steps', t));
    // STOP puts the bowls back where they started, as REW does.
    await page.press('stop');
    expect(`${name}: STOP after PAUSE`, await page.state(), runnerState(join(examples, name), '--steps', 0));
  }

  // --- PLAY takes only the steps due since it was pressed ---------------------
  // After a long pause, PLAY at 100 ms may take no step for time spent
  // paused, nor one ahead of time: at most one step per whole 100 ms between
  // PLAY and PAUSE, as the page's own clock measures them.
  {
    const name = 'row-struck-at-one-end.vintrop';
    await page.choose(name);
    const run = await browser.call(async () => {
      const click = (id) => document.getElementById(id).click();
      const tip = () => Number(document.getElementById('tip').textContent.slice(2));
      const wait = (ms) => new Promise((r) => setTimeout(r, ms));
      const interval = document.getElementById('interval');
      interval.value = '1';
      interval.dispatchEvent(new Event('input'));
      click('play');
      await wait(100);
      click('pause');
      await vintrop.settled();
      await wait(1500);
      interval.value = '100';
      interval.dispatchEvent(new Event('input'));
      const t0 = tip();
      const start = performance.now();
      click('play');
      await wait(350);
      click('pause');
      const allowed = Math.floor((performance.now() - start) / 100);
      await vintrop.settled();
      return { steps: tip() - t0, allowed };
    });
    checks += 1;
    if (!(run.steps >= 1 && run.steps <= run.allowed))
      fail(`${name}: PLAY at 100 ms after a pause`, [`${run.steps} steps, at most ${run.allowed} due`]);
    await page.press('rew');
  }

  // --- the benchmark's steps(n): the same steps as STEP, and the page shows where it is
  {
    const name = 'two-and-two-cradle.vintrop';
    await page.choose(name);
    await browser.evaluate('vintrop.steps(150)');
    expect(`${name}: vintrop.steps(150)`, await page.state(), runnerState(join(examples, name), '--steps', 150));
    expect(`${name}: t after vintrop.steps(150)`, await page.tip(), 't=150');
  }

  // --- malformed files dropped on the page ----------------------------------
  {
    const name = 'equal-masses-head-on.vintrop';
    const file = join(examples, name);
    await page.choose(name);
    await page.press('step', 60);
    const broken = [
      ['mismatch.vintrop', '50\n0\nabc\n2\n'],
      ['short.vintrop', '50\n0\n-1\n2\n10\n'],
      ['bad-option.vintrop', '50\n0\n-1\n1\n10\n100\n100\n0\n0\n[options]\nBoxWidth=wide\n'],
    ];
    for (const [brokenName, text] of broken) {
      // The runner says "NAME: line L: DESCRIPTION (error N)"; the page says it in the program's words.
      writeFileSync(join(scratch, brokenName), text);
      const said = runner(join(scratch, brokenName)).stderr.trim();
      const [, line, description, number] = said.match(/: line (\d+): (.*) \(error (\d+)\)$/) || [];
      checks += 1;
      if (!line) { fail(`${brokenName}: the runner reads it`, [said]); continue; }
      await page.drop(text, brokenName);
      expect(`${brokenName}: message`, await page.message(), { hidden: false,
        text: `Errore lettura Dati — ${brokenName}: Line ${line}: Errore ${number}: ${description} Vintrop` });
      expect(`${brokenName}: the lesson stays`, await page.state(), runnerState(file, '--steps', 60));
    }
    await page.press('step', 40);
    expect(`${name}: steps on after the refused files`, await page.state(), runnerState(file, '--steps', 100));
  }

  // --- the history of one collision ------------------------------------------
  {
    // Bowl 1 (mass 10, at 3 twips a step) meets bowl 2 (mass 5, at rest):
    // after it they move at 1 and 4, the pair's momentum stays 30. The
    // lesson's pair is 1,000 at 15 and 100 at rest: a sum past a thousand.
    const cases = [
      { name: 'history-check.vintrop', dropped: true,
        text: '50\n0\n-1\n2\n10\n3000\n2115\n3\n0\n5\n3300\n2115\n0\n0\n[options]\nBoxWidth=8085\nBoxHeight=4230\nClassroomColours=1\n',
        before: '1,2,10,3.00,0.00,5,0.00,0.00,30.00,0.00', after: '-,-,-, - ,1.00,0.00, - ,4.00,0.00,30.00,0.00',
        energy: '45.00' },
      { name: 'heavy-hits-light-at-rest.vintrop',
        before: '1,2,1000,15.00,0.00,100,0.00,0.00,15,000.00,0.00',
        after: '-,-,-, - ,12.27,0.00, - ,27.27,0.00,15,000.00,0.00', energy: '112,500.00' },
    ];
    for (const c of cases) {
      const file = c.dropped ? join(scratch, c.name) : join(examples, c.name);
      if (c.dropped) {
        writeFileSync(file, c.text);
        await page.drop(c.text, c.name);
      } else {
        await page.choose(c.name);
      }
      const out = runner(file, '--steps', 400).stdout;
      const [, t] = out.match(/^collision,(\d+),1,2,/m) || [];
      checks += 1;
      if (!t) { fail(`${c.name}: a collision of 1 and 2 in 400 steps`, [out.slice(0, 200)]); continue; }
      expect(`${c.name}: Trace History ticked`, await browser.evaluate("document.getElementById('trace').checked"), true);
      await page.press('step', Number(t) + 5);
      expect(`${c.name}: history rows`, (await page.rows()).join('\n'), `${t},${c.before}\n${c.after}`);
      expect(`${c.name}: Tot. Collisions`, await page.text('history-count'), '1');
      expect(`${c.name}: (1/2 MV^2)t`, await page.text('history-energy'), c.energy);
    }
  }

  // --- a seeded random walk over what a user can do, in any order ----------
  // After every action: no error in the page, the step shown is the
  // engine's, and the transport's enabled states fit the run state. At the
  // end REW must give the lesson's own start back, whatever came before.
  {
    await browser.evaluate("window.walkErrors = []; addEventListener('error', (e) => walkErrors.push(e.message)); true");
    let seed = 2026;
    const pick = (list) => { seed = (seed * 1103515245 + 12345) % 2147483648; return list[seed % list.length]; };
    const small = lessons.filter((n) => !n.startsWith('gas') && !n.startsWith('equipartition'));
    const keys = [['F5', false], ['F9', false], ['F8', false], ['z', true], ['r', true], ['q', true]];
    const actions = [
      () => page.press(pick(['rew', 'back', 'play', 'pause', 'stop', 'step', 'clear'])),
      () => browser.call((k, ctrl) => document.dispatchEvent(new KeyboardEvent('keydown', { key: k, ctrlKey: ctrl, cancelable: true })), ...pick(keys)),
      () => page.choose(pick(small)),
      () => page.press(pick(['trace', 'vectors', 'numbers'])),
      () => browser.call((v) => { const i = document.getElementById('interval'); i.value = v; i.dispatchEvent(new Event('input')); }, pick(['1', '7', '50'])),
      () => page.drop('50\n0\nabc\n', 'walk-broken.vintrop'),
      () => new Promise((r) => setTimeout(r, pick([0, 20, 60]))),
    ];
    for (let k = 0; k < 300; ++k) {
      await pick(actions)();
      const seen = await browser.evaluate(`(async () => {
        await vintrop.settled();
        const on = (id) => !document.getElementById(id).disabled;
        const t = Number((await vintrop.state()).match(/^end,(-?\\d+),/m)[1]);
        const running = on('pause');
        return { errors: walkErrors.join('; '), tip: document.getElementById('tip').textContent === 't=' + t,
                 transport: running ? !on('play') && !on('step') && !on('back') && !on('rew') && on('stop')
                                    : on('play') === on('step') && on('stop') === (t !== 0) && on('rew') === (t !== 0) };
      })()`);
      expect(`walk, action ${k}`, seen, { errors: '', tip: true, transport: true });
      if (seen.errors || !seen.tip || !seen.transport) break;
    }
    await page.press('pause');
    const name = await browser.evaluate("document.getElementById('lessons').value");
    await page.press('rew');
    await page.press('step', 30);
    expect(`walk: REW then STEP x30 on ${name}`, await page.state(), runnerState(join(examples, name), '--steps', 30));
  }

  // --- a step of minutes, and what may happen while it runs ------------------
  // 32,766 bowls on one spot take a minute or more over their first step.
  // While it runs the page must answer and say so, with only STOP and REW
  // on. Each action below must cancel it (the page idle within CANCELLED_MS)
  // and give the lesson it names at t = 0, the pile with its buttons; one
  // bowl more, and the page says at once that it cannot step.
  {
    const CANCELLED_MS = 15000;
    const pile = ['50', '0', '0', '32766', ...Array(32766).fill('1\n4000\n2000\n0\n0')].join('\n') + '\n';
    const [pileFile, small] = [join(scratch, 'pile.vintrop'), 'row-struck-at-one-end.vintrop'];
    writeFileSync(pileFile, pile);
    const cases = [
      ['STOP', () => page.press('stop'), pileFile],
      ['Ctrl+Q', () => browser.evaluate("document.dispatchEvent(new KeyboardEvent('keydown', { key: 'q', ctrlKey: true }))"), pileFile],
      ['a lesson chosen', () => page.choose(small), join(examples, small)],
      ['a file dropped', () => page.drop(readFileSync(join(examples, small), 'utf8'), 'dropped.vintrop'), join(examples, small)],
      ['STOP, then a lesson at once', () => browser.evaluate("document.getElementById('stop').click()").then(() => page.choose(small)),
        join(examples, small)],
    ];
    for (const [what, act, file] of cases) {
      await page.drop(pile, 'pile.vintrop');
      const opened = await page.transport();
      await browser.evaluate("document.getElementById('step').click()");
      const during = await browser.evaluate(`new Promise((r) => setTimeout(r, 400)).then(() =>
        [document.getElementById('status').textContent, document.getElementById('tip').textContent])`);
      expect(`during a step, then ${what}: the page answers`, { during, transport: await page.transport() },
        { during: ['Step under way; STOP cancels it.', 't=0'], transport: [false, true, true, true, false, true] });
      const acted = Date.now();
      await act().then(() => browser.evaluate('vintrop.settled()'));
      checks += 1;
      if (Date.now() - acted > CANCELLED_MS) fail(`${what} during a step: cancels it`, [`idle after ${Date.now() - acted} ms`]);
      expect(`${what} during a step: the lesson at its start`, await page.state(), runnerState(file, '--steps', 0));
      if (file === pileFile) expect(`${what} during a step: the buttons as opened`, await page.transport(), opened);
    }
    // Presses while a step is under way are refused, not kept for later.
    await browser.evaluate(`['step', 'step'].forEach((id) => document.getElementById(id).click());
      document.dispatchEvent(new KeyboardEvent('keydown', { key: 'F8' })); vintrop.settled()`);
    expect(`${small}: STEP, STEP and F8 at once`, await page.tip(), 't=1');

    // One bowl more than a step can take: said as it opens, in the runner's words.
    const [name, tooMany] = ['too-many.vintrop', pile.replace('\n32766\n', '\n32767\n') + '1\n4000\n2000\n0\n0\n'];
    writeFileSync(join(scratch, name), tooMany);
    const [, description, number] = runner(join(scratch, name), '--steps', 1).stderr.trim().match(/: ([^:]+) \(error (\d+)\)$/) || [];
    await page.drop(tooMany, name);
    expect(`${name}: message`, await page.message(), { hidden: false, text: `Errore ${number}: ${description} Vintrop` });
    expect(`${name}: PLAY and STEP disabled`, [await page.disabled('play'), await page.disabled('step')], [true, true]);
  }


  expect('from the disk: no breach of the policy', await browser.evaluate('breaches'), []);
  const seconds = ((Date.now() - started) / 1000).toFixed(1);
  console.log(`check-page: ${checks} checks, ${checks - failures} agree, ${failures} differ; ${lessons.length} lessons ` +
    `(${lessonSeconds.toFixed(1)} s), ${seconds} s in all`);
} catch (e) {
  failures += 1;
  console.log(`check-page: stopped: ${e.message}`);
} finally {
  server.close();
  await browser.close();
  rmSync(scratch, { recursive: true, force: true });
}
process.exit(failures === 0 ? 0 : 1);
