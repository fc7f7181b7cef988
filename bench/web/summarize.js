// SPDX-License-Identifier: MIT
// Prints the page's figures beside the desktop's, from one `make bench`:
// the frames with 100 blocks and 100 curves (the desktop's from its Google
// Benchmark table), the first frame and the page's folder, each beside its
// goal.
//
// Usage: node summarize.js --desktop FILE --page FILE
// A missing desktop table leaves its figure empty.
'use strict';

const fs = require('fs');

const kUnits = {ns: 1e-6, us: 1e-3, ms: 1, s: 1e3}; // to milliseconds
const kFirstFrameGoalMs = 1500;
const kFolderGoalBytes = 1.5e6;
const kTicksPerSecond = 50;

// Name -> milliseconds per iteration, {wall, cpu} (the Time and CPU
// columns), of every line of a benchmark table; an aggregate's median stands
// for its benchmark.
function readTable(file) {
  const times = new Map();
  if (!file || !fs.existsSync(file)) return times;
  const line = /^(\S+)\s+([\d.e+]+) (ns|us|ms|s)\s+([\d.e+]+) (ns|us|ms|s)\s+\d+/;
  for (const text of fs.readFileSync(file, 'utf8').split('\n')) {
    const match = line.exec(text);
    if (!match) continue;
    const name = match[1].replace(/_median$/, '');
    if (/_(mean|stddev|cv)$/.test(name)) continue;
    if (match[1].endsWith('_median') || !times.has(name)) {
      times.set(name, {
        wall: Number(match[2]) * kUnits[match[3]],
        cpu: Number(match[4]) * kUnits[match[5]],
      });
    }
  }
  return times;
}

function formatMs(ms) {
  if (ms === undefined) return '-';
  if (ms >= 1) return `${ms.toPrecision(3)} ms`;
  if (ms >= 1e-3) return `${(ms * 1e3).toPrecision(3)} us`;
  return `${(ms * 1e6).toPrecision(3)} ns`;
}

function main() {
  const args = {};
  const argv = process.argv.slice(2);
  for (let i = 0; i < argv.length; i += 2) args[argv[i].replace(/^--/, '')] = argv[i + 1];
  if (!args.page) throw new Error('usage: summarize.js --desktop FILE --page FILE');
  const desktop = readTable(args.desktop);
  const page = JSON.parse(fs.readFileSync(args.page, 'utf8'));

  const out = [];
  out.push('Desktop beside browser');

  const frame = [...desktop].find(([name]) => name.startsWith('wholeFrame/200/'));
  const c = page.course;
  out.push(
    `Frames with ${c.pieces} pieces (100 blocks, 100 curves; the toy ticks ` +
      `${kTicksPerSecond} times a second):`,
  );
  out.push(
    `  desktop, llvmpipe: a whole frame (tick, display, glFinish) takes ` +
      `${frame ? formatMs(frame[1].wall) : '-'} on the wall clock`,
  );
  out.push(
    `  browser, SwiftShader: ${c.drawingsPerSecond.toFixed(1)} drawings and ` +
      `${c.ticksPerSecond.toFixed(1)} ticks a second; ` +
      `the toy's CPU time per drawing ${c.cpuMsMedian.toFixed(2)} ms median, ` +
      `${c.cpuMsMean.toFixed(2)} ms mean; all browser processes' CPU time per drawing ` +
      `${c.processCpuMsPerDrawing.total.toFixed(1)} ms; browser frames ` +
      `${c.animationFramesPerSecond.toFixed(1)} a second`,
  );
  const b = page.ballAlone;
  out.push(
    `  browser, the ball alone: ${b.drawingsPerSecond.toFixed(1)} drawings and ` +
      `${b.ticksPerSecond.toFixed(1)} ticks a second, ` +
      `${b.processCpuMsPerDrawing.total.toFixed(1)} ms of browser CPU time per drawing`,
  );
  const verdict = (ok) => (ok ? 'within the goal' : 'OVER the goal');
  for (const [where, frame] of [
    ['', page.firstFrame],
    [' on a phone', page.phoneFirstFrame],
  ]) {
    if (!frame) continue;
    out.push(
      `First frame after the page starts loading${where}: ${frame.median.toFixed(0)} ms ` +
        `median of ${frame.samples.length} fresh loads (goal ${kFirstFrameGoalMs} ms: ` +
        `${verdict(frame.median <= kFirstFrameGoalMs)})`,
    );
  }
  out.push(
    `Page folder: ${(page.site.bytes / 1e6).toFixed(3)} MB, gzipped ` +
      `${(page.site.gzipBytes / 1e6).toFixed(3)} MB (goal ${kFolderGoalBytes / 1e6} MB: ` +
      `${verdict(page.site.bytes <= kFolderGoalBytes)})`,
  );
  // The timer re-arms after each tick, so even an idle page ticks a little
  // under 50 a second: the ball alone shows what the timer gives.
  out.push(
    `Ticks and drawings a second with ${c.pieces} pieces: ` +
      `${c.ticksPerSecond.toFixed(1)} and ${c.drawingsPerSecond.toFixed(1)} ` +
      `(goal ${kTicksPerSecond}; the ball alone: ${b.ticksPerSecond.toFixed(1)} and ` +
      `${b.drawingsPerSecond.toFixed(1)})`,
  );
  console.log(out.join('\n'));
}

try {
  main();
} catch (error) {
  console.error(`summarize: ${error.message}`);
  process.exit(1);
}
