// SPDX-License-Identifier: MIT
// The browser driver's parts that need no browser: the scenario reader (it
// must agree with the desktop driver's), the picture judgements, the frame
// comparison and the site server.

import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {test} from 'node:test';
import {fileURLToPath} from 'node:url';

import {dragMotion, FormatError, parseScenario} from './scenario_format.mjs';
import {compareFrames, judge} from './scenario_picture.mjs';
import {serveSite} from './toy_page.mjs';

const scenarios = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../scenarios');

test('every scenario file reads', () => {
  const files = ['.', 'phone'].flatMap((folder) =>
    fs
      .readdirSync(path.join(scenarios, folder))
      .filter((f) => f.endsWith('.scenario'))
      .map((f) => path.join(folder, f)),
  );
  assert.ok(files.some((f) => f.startsWith('phone')));
  for (const file of files) {
    assert.doesNotThrow(
      () => parseScenario(fs.readFileSync(path.join(scenarios, file), 'utf8')),
      file,
    );
  }
});

test('reads each kind of step', () => {
  const steps = parseScenario(
    '# a comment line\n' +
      '\n' +
      'click 50 150   # the curve palette\n' +
      'key x 54 times\n' +
      'drag right 599 299 to 599 0 to 180 0 by 24\n' +
      'expect piece stays near 427 190 within 60 size 19x55\n' +
      'expect no ball\n' +
      'expect colour 204 204 230 at 1 1\n' +
      'expect help 1 time\n' +
      'step until still\n' +
      'snapshot demo_course\n',
  );
  assert.equal(steps.length, 9);
  assert.deepEqual([steps[0].kind, steps[0].line, steps[0].text], ['click', 3, 'click 50 150']);
  assert.deepEqual(steps[0].points, [{x: 50, y: 150}]);
  assert.deepEqual([steps[1].key, steps[1].count], ['x', 54]);
  assert.deepEqual([steps[2].button, steps[2].points.length, steps[2].stride], [3, 3, 24]);
  const blob = steps[3];
  assert.deepEqual(
    [blob.held, blob.near, blob.absent, blob.within, blob.width, blob.height],
    [true, true, false, 60, 19, 55],
  );
  assert.deepEqual([steps[4].absent, steps[4].subject, steps[4].near], [true, 'ball', false]);
  assert.deepEqual(steps[5].rgb, [204, 204, 230]);
  assert.equal(steps[6].count, 1);
  assert.equal(steps[7].kind, 'stepUntilStill');
  assert.equal(steps[8].name, 'demo_course');
});

test('turns down every line of format_errors.txt and names its line', () => {
  const lines = fs.readFileSync(path.join(scenarios, 'format_errors.txt'), 'utf8').split('\n');
  let tried = 0;
  for (const line of lines) {
    const step = line.split('#')[0];
    if (step.trim() === '') continue;
    tried += 1;
    assert.throws(
      () => parseScenario(`move 1 1\n${step}\n`),
      (error) => error instanceof FormatError && error.message.startsWith('line 2: '),
      line,
    );
  }
  assert.ok(tried > 30);
  assert.throws(() => parseScenario('# only a comment\n\n'), FormatError);
});

// The same figures as the desktop reader's test: the demo script's arithmetic.
test('a drag moves in even steps that end on each point', () => {
  const [drag] = parseScenario('drag right 599 299 to 599 0 to 180 0 by 24\n');
  const motion = dragMotion(drag);
  assert.equal(motion.length, 12 + 17);
  assert.deepEqual(motion[0], {x: 599, y: 275});
  assert.deepEqual(motion[11], {x: 599, y: 0});
  assert.deepEqual(motion[12], {x: 575, y: 0});
  assert.deepEqual(motion[motion.length - 1], {x: 180, y: 0});
  const [nudge] = parseScenario('drag left 10 10 to 12 10 by 30\n');
  assert.deepEqual(dragMotion(nudge), [{x: 12, y: 10}]);
});

// A white window with an orange 54 by 18 block centred on (400, 200) and an
// orange square in the block palette.
function pictureWithBlock() {
  const image = {width: 600, height: 600, rgb: new Uint8Array(600 * 600 * 3).fill(255)};
  const paint = (x0, y0, x1, y1, rgb) => {
    for (let y = y0; y < y1; y += 1) {
      for (let x = x0; x < x1; x += 1) image.rgb.set(rgb, (y * 600 + x) * 3);
    }
  };
  paint(373, 191, 427, 209, [230, 150, 40]);
  paint(30, 30, 70, 70, [230, 150, 40]);
  return image;
}

function expectation(line) {
  return parseScenario(`${line}\n`)[0];
}

test('a blob is found where it is, with its size, palettes left out', () => {
  const image = pictureWithBlock();
  const met = (line) => judge(expectation(line), image).met;
  // The mean is (399.5, 199.5): within 4 pixels, not 5.
  assert.ok(met('expect piece near 400 200 size 54x18'));
  assert.ok(met('expect piece near 403 203 size 58x22'));
  assert.ok(!met('expect piece near 405 200'));
  assert.ok(!met('expect piece near 400 200 size 59x18'));
  assert.ok(!met('expect piece near 400 200 size 54x13'));
  assert.ok(!met('expect no piece'));
  assert.ok(met('expect no piece near 200 450'));
  assert.ok(met('expect no ball'));
  assert.ok(!met('expect ball'));
  // Within 30 the square holds part of the block only: its mean shifts.
  assert.ok(!met('expect piece near 380 200 within 30'));
  assert.match(
    judge(expectation('expect piece near 400 200'), image).seen,
    /^972 such pixels, mean \(399\.5, 199\.5\), 54x18 from \(373, 191\)$/,
  );
  assert.ok(!met('expect palettes'), 'the curve palette shows no prototype');
  assert.ok(met('expect colour 255 255 255 at 0 599'));
  assert.ok(met('expect colour 227 153 37 at 400 200'));
  assert.ok(!met('expect colour 226 150 40 at 400 200'));
});

test('frames differ where a channel differs by more than the levels', () => {
  const a = {width: 3, height: 2, rgb: new Uint8Array(18).fill(100)};
  const b = {width: 3, height: 2, rgb: Uint8Array.from(a.rgb)};
  b.rgb[1 * 3 + 2] = 108; // (1, 0): blue 8 levels off, the same by the rule
  b.rgb[2 * 3 + 0] = 91; // (2, 0): red 9 levels off
  b.rgb[4 * 3 + 1] = 120; // (1, 1): green 20 off
  const {count, first, mask} = compareFrames(a, b, 8);
  assert.equal(count, 2);
  assert.deepEqual(first, {x: 2, y: 0, reference: [100, 100, 100], image: [91, 100, 100]});
  assert.deepEqual([...mask], [0, 0, 1, 0, 1, 0]);
  assert.throws(() => compareFrames(a, {width: 2, height: 3, rgb: a.rgb}, 8));
});

test('the site server serves the folder and nothing outside it', async () => {
  const top = fs.mkdtempSync(path.join(os.tmpdir(), 'site-'));
  const site = path.join(top, 'site');
  fs.mkdirSync(site);
  fs.writeFileSync(path.join(site, 'index.html'), '<p>toy</p>');
  fs.writeFileSync(path.join(site, 'ballcourse.wasm'), Buffer.from([0, 97, 115, 109]));
  fs.writeFileSync(path.join(top, 'secret.txt'), 'not for the page');
  const server = await serveSite(site);
  try {
    assert.match(server.url, /^http:\/\/127\.0\.0\.1:[0-9]+\/$/);
    const page = await fetch(server.url);
    assert.equal(page.status, 200);
    assert.match(page.headers.get('content-type'), /^text\/html/);
    assert.equal(await page.text(), '<p>toy</p>');
    const wasm = await fetch(`${server.url}ballcourse.wasm`);
    assert.equal(wasm.headers.get('content-type'), 'application/wasm');
    assert.equal((await fetch(`${server.url}missing.js`)).status, 404);
    const escape = await fetch(`${server.url}..%2fsecret.txt`);
    assert.equal(escape.status, 403);
    assert.equal((await fetch(server.url, {method: 'POST'})).status, 405);
  } finally {
    await server.close();
    fs.rmSync(top, {recursive: true, force: true});
  }
});
