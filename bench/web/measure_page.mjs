// SPDX-License-Identifier: MIT
// Measures the browser build's page in headless Chromium on SwiftShader:
//   - the first frame: milliseconds from the start of the page's load to the
//     first drawing of the main window (the page's data-toy turning
//     "running"), each load in a fresh browser with a fresh profile, on a
//     desktop's window and on an emulated phone (390 by 844, touch) at device
//     scale 3, where the canvas's drawing buffer is 1,122 pixels square, at
//     scale 2 (748, what a cap of two device pixels to a CSS pixel would
//     draw on that phone) and at scale 1 (374);
//   - on the desktop and on the phone at each scale, frames with the ball
//     alone, then with 100 blocks and 100 curves put on
//     the canvas by real pointer input (palette presses, moves, drops): the
//     main window's drawings a second (Module.onFrame calls), the toy's ticks
//     a second (its 20 ms timers that fired), the CPU time of
//     each drawing, the browser's own frame rate (requestAnimationFrame), the
//     page's main-thread time (DevTools' Performance metrics) and the CPU
//     time of every browser process (/proc), per drawing;
//   - the page's folder: its bytes, and its bytes gzipped.
// The page is served from 127.0.0.1, and Chromium started with the flags
// and on the devices, that the browser tests use (tests/browser/toy_page.mjs).
//
// Usage: node measure_page.mjs --site DIR --out DIR [--chromium PATH]
//          [--loads N] [--seconds S]
// Needs playwright-core on NODE_PATH. Prints the figures and writes them to
// OUT/page.json (the phones' under "phone"), with screenshots of the
// 200-piece course: OUT/course200.png on the desktop and
// OUT/course200-phone-scale1.png, -scale2.png and -scale3.png on the phone.

import fs from 'node:fs';
import {createRequire} from 'node:module';
import os from 'node:os';
import path from 'node:path';
import {parseArgs} from 'node:util';
import zlib from 'node:zlib';

import {kChromiumFlags, kDesktop, kPhone, serveSite} from '../../tests/browser/toy_page.mjs';

// From NODE_PATH, which a module's import does not search.
const {chromium} = createRequire(import.meta.url)('playwright-core');

const kCanvasSize = 600;
const kBlockPalette = [50, 50];
const kCurvePalette = [50, 150];
// The palettes fill x < 100, y < 200 of the canvas; pieces are dropped on a
// 20 by 10 grid over the rest of the main window.
const kColumns = 20;
const kRows = 10;
// The phone at its own device scale, and at 2 and 1.
const kPhones = [1, 2, 3].map((deviceScaleFactor) => ({...kPhone, deviceScaleFactor}));

const kUsage =
  'usage: measure_page.mjs --site DIR --out DIR [--chromium PATH] [--loads N] [--seconds S]';

// The options, with loads a whole number and seconds a number, both above 0.
function parseArguments(argv) {
  let values;
  try {
    ({values} = parseArgs({
      args: argv,
      options: {
        site: {type: 'string'},
        out: {type: 'string'},
        chromium: {type: 'string', default: '/usr/bin/chromium'},
        loads: {type: 'string', default: '5'},
        seconds: {type: 'string', default: '5'},
      },
    }));
  } catch (error) {
    throw new Error(`${error.message}\n${kUsage}`);
  }
  const loads = Number(values.loads);
  const seconds = Number(values.seconds);
  if (!values.site || !values.out || !Number.isInteger(loads) || loads < 1 || !(seconds > 0)) {
    throw new Error(kUsage);
  }
  return {...values, loads, seconds};
}

// Records, from the page's first script on, when the page first said
// "running"; and while `recording` is set, each Module.onFrame call (time and
// CPU milliseconds, once wrapOnFrame has run), requestAnimationFrame times,
// and the times of the 20 ms timers that fired: the toy's ticks, which the
// page's glue arms with setTimeout.
function instrumentPage() {
  const probe = {
    firstFrame: null,
    frames: [],
    animationFrames: [],
    ticks: [],
    recording: false,
  };
  window.__probe = probe;
  new MutationObserver(() => {
    if (probe.firstFrame === null && document.body.dataset.toy === 'running') {
      probe.firstFrame = performance.now();
    }
  }).observe(document, {attributes: true, subtree: true, attributeFilter: ['data-toy']});
  probe.wrapOnFrame = () => {
    const pageOnFrame = window.Module.onFrame;
    window.Module.onFrame = function (ms) {
      if (probe.recording) probe.frames.push([performance.now(), ms]);
      return pageOnFrame.apply(this, arguments);
    };
  };
  const pageSetTimeout = window.setTimeout;
  window.setTimeout = function (callback, delay, ...rest) {
    if (delay !== 20 || typeof callback !== 'function') {
      return pageSetTimeout.call(this, callback, delay, ...rest);
    }
    return pageSetTimeout.call(
      this,
      function () {
        if (probe.recording) probe.ticks.push(performance.now());
        return callback.apply(this, arguments);
      },
      delay,
      ...rest,
    );
  };
  const animationFrame = (time) => {
    if (probe.recording) probe.animationFrames.push(time);
    requestAnimationFrame(animationFrame);
  };
  requestAnimationFrame(animationFrame);
}

async function launch(options, device = kDesktop) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'ballcourse-measure-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: options.chromium,
    headless: false, // --headless=new is among the flags
    args: kChromiumFlags,
    ...device,
  });
  await context.addInitScript(instrumentPage);
  return {context, profile};
}

async function close({context, profile}) {
  await context.close();
  fs.rmSync(profile, {recursive: true, force: true});
}

// The page, once it has drawn its first frame, and the list of the errors it
// throws from then on (checkErrors fails on any).
async function openToy(context, url) {
  const page = context.pages()[0] || (await context.newPage());
  const errors = [];
  page.on('pageerror', (error) => errors.push(String(error)));
  await page.goto(url, {waitUntil: 'commit'});
  try {
    await page.waitForFunction(() => window.__probe && window.__probe.firstFrame !== null, null, {
      timeout: 30000,
    });
  } catch {
    throw new Error(`the toy drew no frame within 30 s; page errors: ${errors.join('; ')}`);
  }
  checkErrors(errors);
  return {page, errors};
}

function checkErrors(errors) {
  if (errors.length > 0) throw new Error(`the page failed: ${errors.join('; ')}`);
}

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  const half = Math.floor(sorted.length / 2);
  return sorted.length % 2 ? sorted[half] : (sorted[half - 1] + sorted[half]) / 2;
}

function percentile(values, fraction) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.min(sorted.length - 1, Math.floor(fraction * sorted.length))];
}

// The browser's processes: the one whose command line names `profile`, and
// every process below it. Keyed by pid: the kind (--type=, or "browser") and
// the CPU milliseconds used so far.
function browserProcesses(profile) {
  const processes = new Map();
  for (const entry of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(entry)) continue;
    try {
      const stat = fs.readFileSync(`/proc/${entry}/stat`, 'utf8');
      const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      // Chromium rewrites its children's command lines into one string.
      const cmdline = fs.readFileSync(`/proc/${entry}/cmdline`, 'utf8').split(/[\0 ]/);
      processes.set(Number(entry), {
        parent: Number(fields[1]),
        // utime and stime, in clock ticks (100 a second on Linux).
        cpuMs: (Number(fields[11]) + Number(fields[12])) * 10,
        type: (cmdline.find((a) => a.startsWith('--type=')) || '--type=browser').slice(7),
        root:
          cmdline.some((a) => a === `--user-data-dir=${profile}`) &&
          !cmdline.some((a) => a.startsWith('--type=')),
      });
    } catch {
      // The process ended while being read.
    }
  }
  const ours = new Map();
  for (const [pid, process] of processes) {
    for (let p = pid, q = process; q; p = q.parent, q = processes.get(p)) {
      if (q.root) {
        ours.set(pid, process);
        break;
      }
    }
  }
  return ours;
}

// CPU milliseconds used between two readings of browserProcesses, by kind.
function cpuByKind(before, after) {
  const byKind = {total: 0};
  for (const [pid, process] of after) {
    const used = process.cpuMs - (before.has(pid) ? before.get(pid).cpuMs : 0);
    byKind[process.type] = (byKind[process.type] || 0) + used;
    byKind.total += used;
  }
  return byKind;
}

async function mainThreadMetrics(session) {
  const {metrics} = await session.send('Performance.getMetrics');
  return Object.fromEntries(metrics.map((m) => [m.name, m.value]));
}

// Drawings of the main window over `seconds`, with what each cost.
async function measureFrames(page, session, profile, seconds) {
  const cpuBefore = browserProcesses(profile);
  const metricsBefore = await mainThreadMetrics(session);
  await page.evaluate(() => {
    window.__probe.frames = [];
    window.__probe.animationFrames = [];
    window.__probe.ticks = [];
    window.__probe.recording = true;
  });
  const start = Date.now();
  await page.waitForTimeout(seconds * 1000);
  const probe = await page.evaluate(() => {
    window.__probe.recording = false;
    return {
      frames: window.__probe.frames,
      animationFrames: window.__probe.animationFrames,
      ticks: window.__probe.ticks,
    };
  });
  const wallMs = Date.now() - start;
  const metricsAfter = await mainThreadMetrics(session);
  const cpu = cpuByKind(cpuBefore, browserProcesses(profile));

  const frames = probe.frames;
  if (frames.length < 2) throw new Error('the toy drew fewer than two frames');
  const spanMs = frames[frames.length - 1][0] - frames[0][0];
  const drawn = frames.length;
  const cpuMs = frames.map((f) => f[1]);
  const raf = probe.animationFrames;
  const rafIntervals = raf.slice(1).map((t, i) => t - raf[i]);
  const ticks = probe.ticks;
  const rate = (times) => (times.length - 1) / ((times[times.length - 1] - times[0]) / 1000);
  const perDrawing = (ms) => ms / drawn;
  return {
    seconds: wallMs / 1000,
    drawings: drawn,
    drawingsPerSecond: (drawn - 1) / (spanMs / 1000),
    ticksPerSecond: ticks.length > 1 ? rate(ticks) : 0,
    cpuMsMedian: median(cpuMs),
    cpuMsMean: cpuMs.reduce((a, b) => a + b, 0) / drawn,
    cpuMsP95: percentile(cpuMs, 0.95),
    animationFramesPerSecond: rate(raf),
    animationFrameIntervalMedian: median(rafIntervals),
    animationFrameIntervalP95: percentile(rafIntervals, 0.95),
    mainThreadTaskMsPerDrawing: perDrawing(
      1000 * (metricsAfter.TaskDuration - metricsBefore.TaskDuration),
    ),
    mainThreadScriptMsPerDrawing: perDrawing(
      1000 * (metricsAfter.ScriptDuration - metricsBefore.ScriptDuration),
    ),
    processCpuMsPerDrawing: Object.fromEntries(
      Object.entries(cpu).map(([kind, ms]) => [kind, perDrawing(ms)]),
    ),
  };
}

// A left press at the program's pixel (x, y) of the canvas at `box`, the
// pointer moved there first.
async function pressAt(page, box, x, y, steps) {
  const scale = box.width / kCanvasSize;
  await page.mouse.move(box.x + x * scale, box.y + y * scale, {steps});
  await page.mouse.down();
  await page.mouse.up();
}

// 100 blocks and 100 curves, alternately, each taken from its palette, carried
// across the canvas and dropped on the next place of the grid.
async function buildCourse(page, box) {
  let placed = 0;
  for (let row = 0; row < kRows; ++row) {
    for (let column = 0; column < kColumns; ++column) {
      const palette = placed % 2 === 0 ? kBlockPalette : kCurvePalette;
      await pressAt(page, box, palette[0], palette[1], 1);
      const x = 130 + column * 22;
      const y = 40 + row * 58;
      await pressAt(page, box, x, y, 4);
      ++placed;
    }
  }
  return placed;
}

async function measureFirstFrames(options, url, device) {
  const samples = [];
  for (let i = 0; i < options.loads; ++i) {
    const browser = await launch(options, device);
    try {
      const {page} = await openToy(browser.context, url);
      samples.push(await page.evaluate(() => window.__probe.firstFrame));
    } finally {
      await close(browser);
    }
  }
  return {samples, median: median(samples), min: Math.min(...samples), max: Math.max(...samples)};
}

// The canvas's place on the page, and its drawing buffer's size.
async function canvasOf(page) {
  const box = await page.locator('#toy').boundingBox();
  const buffer = await page.evaluate(() => {
    const toy = document.getElementById('toy');
    return {width: toy.width, height: toy.height};
  });
  return {box, buffer};
}

// The ball alone, then the 200 pieces, on `device`; the course's screenshot
// goes to OUT/`picture`.
async function measureCourse(options, url, device, picture) {
  const browser = await launch(options, device);
  try {
    const {page, errors} = await openToy(browser.context, url);
    const {box, buffer} = await canvasOf(page);
    if (
      device === kDesktop &&
      (Math.round(box.width) !== kCanvasSize || Math.round(box.height) !== kCanvasSize)
    ) {
      throw new Error(`the canvas is ${box.width} by ${box.height}, not ${kCanvasSize}`);
    }
    const session = await browser.context.newCDPSession(page);
    await session.send('Performance.enable');
    await page.evaluate(() => window.__probe.wrapOnFrame());
    // The toy settles (start-up work, shader compiles) before anything counts.
    await page.waitForTimeout(1000);
    const ballAlone = await measureFrames(page, session, browser.profile, options.seconds);
    const placed = await buildCourse(page, box);
    // The pointer rests below the canvas, so that no motion reaches the toy.
    await page.mouse.move(box.x + box.width / 2, box.y + box.height + 40);
    await page.waitForTimeout(1000);
    const course = await measureFrames(page, session, browser.profile, options.seconds);
    course.buffer = buffer;
    await page.locator('#toy').screenshot({path: path.join(options.out, picture)});
    checkErrors(errors);
    const state = await page.evaluate(() => document.body.dataset.toy);
    if (state !== 'running') throw new Error(`the toy is ${state} after the course`);
    return {ballAlone, course: {pieces: placed, ...course}};
  } finally {
    await close(browser);
  }
}

function siteSize(dir) {
  const files = fs.readdirSync(dir).filter((f) => fs.statSync(path.join(dir, f)).isFile());
  const sizes = files.map((f) => {
    const data = fs.readFileSync(path.join(dir, f));
    return {file: f, bytes: data.length, gzipBytes: zlib.gzipSync(data, {level: 9}).length};
  });
  return {
    files: sizes,
    bytes: sizes.reduce((a, s) => a + s.bytes, 0),
    gzipBytes: sizes.reduce((a, s) => a + s.gzipBytes, 0),
  };
}

function print(results) {
  const f = (value, digits = 1) => value.toFixed(digits);
  const lines = [];
  const first = results.firstFrame;
  const phones = [1, 2, 3].map((scale) => [
    `on the phone at scale ${scale}`,
    results.phone[`scale${scale}`],
  ]);
  for (const [where, m] of [['', first], ...phones.map(([w, p]) => [` ${w}`, p.firstFrame])]) {
    lines.push(
      `First frame after the load starts${where}: median ${f(m.median, 0)} ms ` +
        `(${m.samples.length} fresh loads, ${f(m.min, 0)} to ${f(m.max, 0)} ms)`,
    );
  }
  const courses = [['', results]].concat(phones.map(([w, p]) => [` ${w}`, p]));
  for (const [label, m] of courses.flatMap(([where, r]) => [
    [`Ball alone${where}`, r.ballAlone],
    [
      `${r.course.pieces} pieces${where} (buffer ${r.course.buffer.width}x` +
        `${r.course.buffer.height})`,
      r.course,
    ],
  ])) {
    lines.push(
      `${label}: ${f(m.drawingsPerSecond)} drawings/s, ${f(m.ticksPerSecond)} ticks/s ` +
        `over ${f(m.seconds)} s; ` +
        `CPU per drawing median ${f(m.cpuMsMedian, 2)} ms, mean ${f(m.cpuMsMean, 2)}, ` +
        `95th percentile ${f(m.cpuMsP95, 2)}`,
    );
    const kinds = Object.entries(m.processCpuMsPerDrawing)
      .filter(([kind]) => kind !== 'total')
      .map(([kind, ms]) => `${kind} ${f(ms, 2)}`)
      .join(', ');
    lines.push(
      `  browser frames ${f(m.animationFramesPerSecond)}/s (interval median ` +
        `${f(m.animationFrameIntervalMedian)} ms, 95th percentile ` +
        `${f(m.animationFrameIntervalP95)} ms); page main thread ` +
        `${f(m.mainThreadTaskMsPerDrawing, 2)} ms per drawing (script ` +
        `${f(m.mainThreadScriptMsPerDrawing, 2)})`,
    );
    lines.push(
      `  CPU of all browser processes per drawing: ` +
        `${f(m.processCpuMsPerDrawing.total, 2)} ms (${kinds})`,
    );
  }
  const site = results.site;
  lines.push(
    `Folder: ${(site.bytes / 1e6).toFixed(3)} MB, gzipped ` +
      `${(site.gzipBytes / 1e6).toFixed(3)} MB (` +
      site.files.map((s) => `${s.file} ${s.bytes}`).join(', ') +
      ' bytes)',
  );
  console.log(lines.join('\n'));
}

async function main() {
  const options = parseArguments(process.argv.slice(2));
  fs.mkdirSync(options.out, {recursive: true});
  const server = await serveSite(options.site);
  const url = server.url;
  try {
    const results = {site: siteSize(options.site)};
    results.firstFrame = await measureFirstFrames(options, url);
    results.phone = {};
    for (const phone of kPhones) {
      const scale = phone.deviceScaleFactor;
      results.phone[`scale${scale}`] = {
        firstFrame: await measureFirstFrames(options, url, phone),
        ...(await measureCourse(options, url, phone, `course200-phone-scale${scale}.png`)),
      };
    }
    // The phone at its own scale, as the summary reads it.
    results.phoneFirstFrame = results.phone.scale3.firstFrame;
    Object.assign(results, await measureCourse(options, url, kDesktop, 'course200.png'));
    fs.writeFileSync(path.join(options.out, 'page.json'), JSON.stringify(results, null, 2));
    print(results);
  } finally {
    await server.close();
  }
}

main().catch((error) => {
  console.error(`measure_page: ${error.stack || error}`);
  process.exit(1);
});
