// SPDX-License-Identifier: MIT
// Usage: node scripts/browser_screenshot.mjs OUT.png [SCENARIO [LINE]]
// Plays a scenario (the demo course by default) in the browser build of the
// toy, as the browser tests do, and saves a picture of the whole page: the
// README's picture of the toy in a browser tab. With BALLCOURSE_DEVICE=phone
// the page is on a phone in portrait, as the phone scenarios play it, and
// the picture has the phone's own pixels, three to a CSS pixel, the canvas
// drawn at 1,122 by 1,122:
//   node scripts/browser_screenshot.mjs docs/ballcourse-phone.png \
//       tests/scenarios/phone/touch_and_buttons.scenario 22
// The picture is taken at the scenario's snapshot, or after the step on
// LINE. Needs `make web` and the browser tests' node modules
// (build/browser-tests, installed by make test).
import fs from 'node:fs';
import path from 'node:path';
import {fileURLToPath} from 'node:url';

import {Player} from '../tests/browser/player.mjs';
import {parseScenario} from '../tests/browser/scenario_format.mjs';
import {kDesktop, kPhone, launchChromium, serveSite, ToyPage} from '../tests/browser/toy_page.mjs';

const repository = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..');
const out = process.argv[2];
const scenario = process.argv[3] ?? path.join(repository, 'tests/scenarios/demo_course.scenario');
const site = process.env.BALLCOURSE_WEB_SITE ?? path.join(repository, 'build-web');
const modules = process.env.BALLCOURSE_NODE_MODULES ?? path.join(repository, 'build/browser-tests');
const lastLine = Number(process.argv[4] ?? Infinity);
const phone = process.env.BALLCOURSE_DEVICE === 'phone';

const server = await serveSite(site);
const browser = await launchChromium(modules, '/usr/bin/chromium');
try {
  const toy = await ToyPage.open(browser, server.url, phone ? kPhone : kDesktop);
  // Snapshots are for comparing builds; here the course only has to be played.
  const player = new Player(toy, () => '');
  // The picture is taken at the scenario's snapshot, before it quits the toy.
  for (const step of parseScenario(fs.readFileSync(scenario, 'utf8'))) {
    const failure = await player.play(step);
    if (failure) throw new Error(`line ${step.line}: ${step.text}: ${failure}`);
    if (step.kind === 'snapshot' || step.line >= lastLine) break;
  }
  if (!phone) await toy.page.setViewportSize({width: 1160, height: 632});
  await toy.page.screenshot({path: out, scale: phone ? 'device' : 'css'});
  await toy.close();
} finally {
  await browser.close();
  await server.close();
}
