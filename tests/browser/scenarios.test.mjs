// SPDX-License-Identifier: MIT
// Plays user scenarios of tests/scenarios/ in the browser build of the toy,
// one node:test test per file, in one headless Chromium with a fresh page
// for each. A scenario's `snapshot NAME` compares the page's still picture
// with the one the desktop driver saved under the same name.
//
// Run by CTest (tests/browser/CMakeLists.txt); by hand, after
// `make web` and an `npm ci` in build/browser-tests:
//   node --test tests/browser/scenarios.test.mjs
// Environment (defaults in brackets):
//   BALLCOURSE_WEB_SITE      the static folder of the page [build-web]
//   BALLCOURSE_NODE_MODULES  where playwright-core is installed [build/browser-tests]
//   BALLCOURSE_ARTEFACT_DIR  pictures of failures and snapshots [build/test-artefacts]
//   BALLCOURSE_SCENARIOS     the scenario files, ':'-separated [every one]
//   BALLCOURSE_CHROMIUM      the browser [/usr/bin/chromium]
//   BALLCOURSE_DEVICE        "phone" plays on a phone's touch screen [a desktop]
//   BALLCOURSE_WITHOUT_INSTANCING  "1": the page's WebGL lacks instanced
//                            drawing, so the toy draws shapes one by one [unset]

import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import {after, before, test} from 'node:test';

import {Player} from './player.mjs';
import {readPpm, writePpm} from './ppm.mjs';
import {parseScenario} from './scenario_format.mjs';
import {compareFrames} from './scenario_picture.mjs';
import {
  artefacts,
  kDesktop,
  kPhone,
  launchChromium,
  repository,
  serveSite,
  site,
  ToyPage,
} from './toy_page.mjs';

const device = process.env.BALLCOURSE_DEVICE === 'phone' ? kPhone : kDesktop;
const withoutInstancing = process.env.BALLCOURSE_WITHOUT_INSTANCING === '1';

// A snapshot matches the desktop's when at most this share of its pixels
// differ by more than this many levels in a channel: the two builds
// rasterise the same triangles, but the edges of a few may fall on the
// other side of a pixel's centre.
const kDifferentLevels = 8;
const kMostDifferentShare = 0.01;
// The whole scenario, stepping included; the slowest (the demo course) takes
// under a minute.
const kScenarioTimeoutMs = 240000;

function scenarioFiles() {
  if (process.env.BALLCOURSE_SCENARIOS) {
    return process.env.BALLCOURSE_SCENARIOS.split(':').filter((f) => f !== '');
  }
  const folder = path.join(repository, 'tests/scenarios');
  return fs
    .readdirSync(folder)
    .filter((f) => f.endsWith('.scenario'))
    .sort()
    .map((f) => path.join(folder, f));
}

// Compares a snapshot with the desktop's picture of the same name; keeps
// the browser's picture, and a map of the pixels that differ, beside it.
function compareWithDesktop(t, name, picture) {
  const frames = path.join(artefacts, 'frames');
  const browserFile = path.join(frames, 'browser', `${name}.ppm`);
  writePpm(browserFile, picture);
  const desktopFile = path.join(frames, 'desktop', `${name}.ppm`);
  if (!fs.existsSync(desktopFile)) {
    return (
      `no desktop picture ${desktopFile}: the desktop driver saves it when it plays the ` +
      'same scenario, which must run first'
    );
  }
  const desktop = readPpm(desktopFile);
  const {count, first, mask} = compareFrames(desktop, picture, kDifferentLevels);
  const total = picture.width * picture.height;
  const share = count / total;
  const figure =
    `${name}: ${count} of ${total} pixels (${(100 * share).toFixed(2)}%) differ ` +
    `from the desktop's by more than ${kDifferentLevels} levels; at most ` +
    `${100 * kMostDifferentShare}% may`;
  t.diagnostic(figure);
  console.log(figure);
  if (share <= kMostDifferentShare) return '';
  // The browser's picture, with every differing pixel painted magenta.
  const marked = {width: picture.width, height: picture.height, rgb: Uint8Array.from(picture.rgb)};
  mask.forEach((differs, i) => {
    if (differs) marked.rgb.set([255, 0, 255], i * 3);
  });
  const markedFile = path.join(frames, 'browser', `${name}-differences.ppm`);
  writePpm(markedFile, marked);
  return (
    `${figure}\n  first difference at (${first.x}, ${first.y}): desktop ` +
    `${first.reference.join(' ')}, browser ${first.image.join(' ')}\n` +
    `  desktop: ${desktopFile}\n  browser: ${browserFile}\n  differences: ${markedFile}`
  );
}

let server = null;
let browser = null;

before(async () => {
  assert.ok(
    fs.existsSync(path.join(site, 'index.html')),
    `no page at ${site}/index.html: build it with make web`,
  );
  server = await serveSite(site);
  browser = await launchChromium();
});

after(async () => {
  await browser?.close();
  await server?.close();
});

for (const file of scenarioFiles()) {
  const name = path.basename(file, '.scenario');
  const where = path.relative(repository, file);
  test(name, {timeout: kScenarioTimeoutMs}, async (t) => {
    const steps = parseScenario(fs.readFileSync(file, 'utf8'));
    const toy = await ToyPage.open(browser, server.url, device, {withoutInstancing});
    try {
      const player = new Player(toy, (shot, picture) => compareWithDesktop(t, shot, picture));
      for (const step of steps) {
        let failure = await player.play(step);
        if (!failure && toy.errors.length > 0) failure = toy.firstError().slice(2);
        if (process.env.BALLCOURSE_SCENARIO_TRACE) {
          console.log(`${step.line}: ${step.text} -> ${player.seen}`);
        }
        if (!failure) continue;
        // The first difference ends the scenario: what follows builds on it.
        let saved = '';
        if (player.last !== null) {
          saved = path.join(artefacts, 'browser', name, `line-${step.line}.ppm`);
          writePpm(saved, player.last);
        }
        assert.fail(
          `${where}:${step.line}: ${step.text}\n  ${failure}` +
            (saved ? `\n  picture: ${saved}` : ''),
        );
      }
    } finally {
      await toy.close();
    }
  });
}
