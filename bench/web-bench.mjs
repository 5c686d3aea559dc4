// Steps per second of the engine in the web page (headless Chromium) beside
// the native runner, on crowds of 1,000 and 10,000 bowls:
//
//   node bench/web-bench.mjs NATIVE_BUILD [WEB_BUILD]
//
// Each scene is written as a scenario file and dropped on the page, then
// stepped through window.vintrop.steps(n), which takes the steps in one loop
// without drawing. The runner's time is its wall time for --steps N less its
// time for --steps 0 (reading the file), its output thrown away; it prints a
// line per collision, which the page does not, so the native column carries
// that cost too. Both sides must end in the same state: the figures are for
// the same work. Last, the steps per second the page takes while it plays
// at 1 ms, drawing every frame; the mixed crowd with a pile plays with the
// history shown.
import { spawnSync } from 'node:child_process';
import { mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { launchChromium } from '../tests/web/cdp.mjs';

const [nativeBuild, webBuild = fileURLToPath(new URL('../build-web', import.meta.url))] = process.argv.slice(2);
if (!nativeBuild) {
  console.error('usage: node bench/web-bench.mjs NATIVE_BUILD [WEB_BUILD]');
  process.exit(64);
}
const runner = join(resolve(nativeBuild), 'runner/vintrop-run');
const pageUrl = pathToFileURL(join(resolve(webBuild), 'page/index.html')).href;
const WIDTH = 28800, HEIGHT = 16200;   // twips: a 1920 x 1080 screen at 96 dpi, as the engine benchmarks use
const RADIUS_OF_MASS_1 = Math.cbrt(0.75 * 100000 * 3.14);

// n bowls of mass 1 on a jittered lattice filling the box (so none overlap),
// moving at up to 40 twips a step along each axis, from a fixed seed.
function crowd(n) {
  let seed = 12345;
  const random = () => { seed = (seed * 1103515245 + 12345) % 2147483648; return seed / 2147483648; };
  const cols = Math.ceil(Math.sqrt((n * WIDTH) / HEIGHT));
  const rows = Math.ceil(n / cols);
  const dx = WIDTH / cols, dy = HEIGHT / rows;
  const jitter = Math.max(0, (Math.min(dx, dy) - 2 * RADIUS_OF_MASS_1 - 2) / 2);
  const lines = ['50', '0', '0', String(n)];
  for (let k = 0; k < n; ++k) {
    const x = ((k % cols) + 0.5) * dx + (2 * random() - 1) * jitter;
    const y = (Math.floor(k / cols) + 0.5) * dy + (2 * random() - 1) * jitter;
    lines.push('1', x.toFixed(1), y.toFixed(1), ((2 * random() - 1) * 40).toFixed(2), ((2 * random() - 1) * 40).toFixed(2));
  }
  lines.push('[options]', `BoxWidth=${WIDTH}`, `BoxHeight=${HEIGHT}`);
  return lines.join('\n') + '\n';
}

// The unfriendly scene: n bowls of four masses (1 to 64, so four sizes) on a
// lattice wide enough for the largest, at up to 40 twips a step, and 40 more
// of mass 1 piled on one spot in the middle, all touching each other.
function mixedCrowd(n) {
  let seed = 2026;
  const random = () => { seed = (seed * 1103515245 + 12345) % 2147483648; return seed / 2147483648; };
  const cols = Math.ceil(Math.sqrt(n * 1.5)), rows = Math.ceil(n / cols), gap = 520;
  const lines = ['50', '0', '0', String(n + 40)];
  for (let k = 0; k < n; ++k)
    lines.push(String(4 ** (k % 4)), String(300 + gap * (k % cols)), String(300 + gap * Math.floor(k / cols)),
      ((2 * random() - 1) * 40).toFixed(2), ((2 * random() - 1) * 40).toFixed(2));
  for (let k = 0; k < 40; ++k)
    lines.push('1', String((gap * cols) / 2), String((gap * rows) / 2), ((2 * random() - 1) * 4).toFixed(2), ((2 * random() - 1) * 4).toFixed(2));
  lines.push('[options]', `BoxWidth=${gap * cols + 100}`, `BoxHeight=${gap * rows + 100}`);
  return lines.join('\n') + '\n';
}

function nativeSeconds(file, steps) {
  const begin = process.hrtime.bigint();
  const r = spawnSync(runner, [file, '--steps', String(steps)], { stdio: ['ignore', 'ignore', 'inherit'] });
  if (r.status !== 0) throw new Error(`${runner} ${file} --steps ${steps}: exit ${r.status}`);
  return Number(process.hrtime.bigint() - begin) / 1e9;
}

function nativeState(file, steps) {
  const r = spawnSync(runner, [file, '--steps', String(steps)], { encoding: 'utf8', maxBuffer: 1 << 28 });
  return r.stdout.split('\n').filter((l) => l.startsWith('bowl,') || l.startsWith('end,')).join('\n') + '\n';
}

// bowls, steps, the scene, whether it plays with the history shown
const scenes = [[1000, 4000, crowd, false], [10000, 400, crowd, false], [10000, 200, mixedCrowd, true]];
const scratch = mkdtempSync(join(tmpdir(), 'vintrop-web-bench-'));
const browser = await launchChromium();
let status = 0;
try {
  await browser.open(pageUrl);
  console.log('scene      bowls   steps   page steps/s   native steps/s   page/native   playing, steps/s');
  for (const [n, steps, scene, history] of scenes) {
    const name = `${scene.name}-${n}.vintrop`;
    const text = scene(n);
    const file = join(scratch, name);
    writeFileSync(file, text);
    const title = await browser.call(async (t, f) => {
      const files = new DataTransfer();
      files.items.add(new File([t], f));
      document.dispatchEvent(new DragEvent('drop', { dataTransfer: files, cancelable: true }));
      for (let k = 0; k < 250 && !document.title.startsWith(f); ++k) await new Promise((r) => setTimeout(r, 20));
      return document.title;
    }, text, name);
    if (!title.startsWith(name)) throw new Error(`the page did not open ${name}: ${await browser.evaluate("document.getElementById('message').textContent")}`);
    const pageMs = await browser.call((k) => window.vintrop.steps(k), steps);
    // Running as a class sees it: PLAY at 1 ms for three seconds, each frame
    // drawn (numbers and vectors off, as a crowd opens), the history shown
    // for the scene that asks for it.
    const played = await browser.call(async (history) => {
      const $ = (id) => document.getElementById(id);
      if ($('trace').checked !== history) $('trace').click();
      const interval = $('interval');
      interval.value = '1';
      interval.dispatchEvent(new Event('input'));
      const t0 = Number($('tip').textContent.slice(2));
      const begin = performance.now();
      $('play').click();
      await new Promise((r) => setTimeout(r, 3000));
      $('pause').click();
      const seconds = (performance.now() - begin) / 1000;
      await window.vintrop.settled();   // the steps asked for before PAUSE
      return (Number($('tip').textContent.slice(2)) - t0) / seconds;
    }, history);
    await browser.evaluate("document.getElementById('rew').click(); true");
    await browser.call((k) => window.vintrop.steps(k), steps);
    const native = Math.min(...[1, 2, 3].map(() => nativeSeconds(file, steps))) -
      Math.min(...[1, 2, 3].map(() => nativeSeconds(file, 0)));
    const pageRate = steps / (pageMs / 1000);
    const nativeRate = steps / native;
    console.log(`${scene.name.padEnd(10)} ${String(n).padStart(5)}  ${String(steps).padStart(6)}  ${pageRate.toFixed(0).padStart(13)}  ` +
      `${nativeRate.toFixed(0).padStart(15)}  ${(pageRate / nativeRate).toFixed(2).padStart(11)}  ${played.toFixed(0).padStart(16)}`);
    if ((await browser.evaluate('vintrop.state()')) !== nativeState(file, steps)) {
      console.log(`    the page and the runner end in different states on ${name}`);
      status = 1;
    }
  }
} finally {
  await browser.close();
  rmSync(scratch, { recursive: true, force: true });
}
process.exit(status);
