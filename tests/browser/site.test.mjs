// SPDX-License-Identifier: MIT
// The page as a site and an app, in headless Chromium: it installs, starts
// again without its server after one visit, is not left by accident, and
// starts again after Q from a button of its own; it draws the same picture
// at twice the pixels; and each build's service worker keeps every file of
// the site under a version of that build's own.
//
// Run by CTest (tests/browser/CMakeLists.txt), with the environment of
// scenarios.test.mjs (BALLCOURSE_WEB_SITE, BALLCOURSE_NODE_MODULES,
// BALLCOURSE_CHROMIUM).

import assert from 'node:assert/strict';
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {after, before, test} from 'node:test';

import {Player} from './player.mjs';
import {parseScenario} from './scenario_format.mjs';
import {compareFrames} from './scenario_picture.mjs';
import {
  eventually,
  kDesktop,
  kPhone,
  launchChromium,
  repository,
  serveSite,
  site,
  ToyPage,
} from './toy_page.mjs';

// Installing the worker fetches the whole site again; on a busy machine
// that can take a while.
const kWorkerSeconds = 60;
const kTestTimeoutMs = 240000;

let browser = null;

before(async () => {
  assert.ok(
    fs.existsSync(path.join(site, 'service_worker.js')),
    `no service worker in ${site}: build it with make web`,
  );
  browser = await launchChromium();
});

after(async () => {
  await browser?.close();
});

// Serves the site to a fresh page of the toy on `device` and resolves to
// what `body(toy, server)` does; closes both however it goes.
async function withToy(device, body) {
  const server = await serveSite(site);
  try {
    const toy = await ToyPage.open(browser, server.url, device);
    try {
      return await body(toy, server);
    } finally {
      await toy.close();
    }
  } finally {
    await server.close();
  }
}

function pageTest(name, device, body) {
  test(name, {timeout: kTestTimeoutMs}, () => withToy(device, body));
}

// Plays scenario steps given as text, each as written.
async function play(toy, text) {
  const player = new Player(toy, () => '');
  for (const step of parseScenario(text)) assert.equal(await player.play(step), '', step.text);
}

// Records the type of the last dialog the page opened, and dismisses it.
function dialogs(page) {
  const seen = {type: ''};
  page.on('dialog', (dialog) => {
    seen.type = dialog.type();
    dialog.dismiss();
  });
  return seen;
}

pageTest('installs, and starts without its server after one visit', kPhone, async (toy, server) => {
  const session = await toy.context.newCDPSession(toy.page);
  // The test's fresh profile is an incognito one, where Chromium offers
  // no app to install whatever the page; any other reason fails.
  const {installabilityErrors} = await session.send('Page.getInstallabilityErrors');
  assert.deepEqual(
    installabilityErrors.filter((e) => e.errorId !== 'in-incognito'),
    [],
  );
  const activated = () =>
    toy.page.evaluate(
      async () => (await navigator.serviceWorker.getRegistration())?.active?.state === 'activated',
    );
  assert.ok(
    await eventually(activated, kWorkerSeconds),
    `no service worker took charge within ${kWorkerSeconds} s`,
  );
  await server.close();
  await assert.rejects(fetch(server.url), 'the server still answers');
  await toy.page.reload();
  assert.ok(await toy.started(), `offline, the toy did not start${toy.firstError()}`);
});

pageTest(
  'the back button does not leave the page, and leaving a course asks first',
  kDesktop,
  async (toy) => {
    const {page} = toy;
    const address = page.url();
    const session = await toy.context.newCDPSession(page);
    // On the canvas and beside it; the page before this one is about:blank.
    for (const x of [toy.left + 300, toy.left + 700]) {
      for (const type of ['mousePressed', 'mouseReleased']) {
        const y = toy.top + 300;
        await session.send('Input.dispatchMouseEvent', {type, x, y, button: 'back', clickCount: 1});
      }
    }
    assert.ok(!(await eventually(() => page.url() !== address, 2)), `went to ${page.url()}`);

    // A block on the course: leaving asks, and staying keeps the toy.
    const asked = dialogs(page);
    await toy.click(50, 50);
    await page.close({runBeforeUnload: true});
    assert.ok(await eventually(() => asked.type === 'beforeunload', 10), 'leaving did not ask');
    assert.ok(!page.isClosed());
    assert.ok(await toy.started());

    // The block erased, the page closes without asking.
    asked.type = '';
    await toy.move(500, 500);
    await toy.key('e');
    await page.close({runBeforeUnload: true});
    assert.ok(await eventually(() => page.isClosed(), 10), 'the page did not close');
    assert.equal(asked.type, '');
  },
);

pageTest(
  '"Start again" after Q brings the toy back with an empty course',
  kDesktop,
  async (toy) => {
    const {page} = toy;
    const asked = dialogs(page);
    await play(toy, 'click 50 50\nclick 300 400\nkey q\nexpect ended\n');
    assert.equal(await page.locator('#commands button:enabled').count(), 0);
    await Promise.all([
      page.waitForEvent('load'),
      page.getByRole('button', {name: 'Start again'}).click(),
    ]);
    assert.ok(await toy.started(), `the toy did not start again${toy.firstError()}`);
    assert.equal(asked.type, '', 'starting again asked before leaving');
    await play(toy, 'expect palettes\nexpect no piece stays\n');
  },
);

pageTest(
  'a key or button let go off the canvas or in another tab is let go in the toy',
  kDesktop,
  async (toy) => {
    // D let go over the help, A held while another tab is in front: the
    // camera swings back each time to the unswung picture.
    await play(
      toy,
      'click 50 50\nmove 400 200\nclick 400 200\nmove 500 500\n' +
        'keydown d\nexpect piece stays near 362 209 size 57x23\nleave\nkeyup d\n' +
        'expect piece stays near 400 200 size 59x23\nmove 500 500\n' +
        'keydown a\nexpect piece stays near 377 189 size 73x31\nswitch tab\n' +
        'expect piece stays near 400 200 size 59x23\n',
    );
    // A right drag tips a new block over, and is cut by a switch of tab
    // before its release: plain motion then carries the block, still tipped.
    await play(toy, 'click 50 50\nmove 300 300\nexpect piece near 300 300 size 56x18\n');
    await toy.press(3, 300, 300);
    for (let y = 270; y >= 120; y -= 30) await toy.move(300, y);
    await play(toy, 'switch tab\nmove 450 450\nexpect piece near 450 450 within 60 size 62x31\n');
    assert.equal(toy.firstError(), '');
  },
);

test(
  'at scale 2 the picture, shrunk back, is the scale-1 picture apart from its edges',
  {timeout: kTestTimeoutMs},
  async () => {
    const kLevels = 8; // as the comparison with the desktop allows
    const pictures = [];
    for (const deviceScaleFactor of [1, 2]) {
      // The ball held at its start, a block and a curve on the course.
      const picture = await withToy({...kDesktop, deviceScaleFactor}, async (toy) => {
        await play(
          toy,
          'key p\nkey r\nclick 50 50\nclick 300 400\nclick 50 150\n' +
            'click 420 250\nexpect piece stays near 300 400\nexpect palettes\n',
        );
        return toy.capture();
      });
      pictures.push(picture);
    }
    const [one, two] = pictures;
    // An edge: a pixel of the scale-1 picture beside one of another colour.
    const shifted = (by) => compareFrames(one, {...one, rgb: one.rgb.subarray(3 * by)}, kLevels);
    const [right, below] = [shifted(1).mask, shifted(one.width).mask];
    const edge = (i) => right[i] || right[i - 1] || below[i] || below[i - one.width];
    const {mask} = compareFrames(one, two, kLevels);
    const apart = mask.reduce((n, differs, i) => n + (differs && !edge(i) ? 1 : 0), 0);
    assert.equal(apart, 0, `${apart} pixels away from the edges differ`);
  },
);

// The site's worker, as the build writes it, with its version and files.
function writeWorker(folder) {
  execFileSync('cmake', [
    `-DSITE=${folder}`,
    `-DWORKER=${path.join(repository, 'web/service_worker.js')}`,
    '-P',
    path.join(repository, 'web/site_version.cmake'),
  ]);
  const worker = fs.readFileSync(path.join(folder, 'service_worker.js'), 'utf8');
  return {
    version: /const kCache = '(ballcourse-[0-9a-f]{16})';/.exec(worker)?.[1],
    files: /const kFiles = \[(.*)\];/.exec(worker)?.[1],
  };
}

test('a build that changes any file gets a new version listing every file', () => {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'ballcourse-site-'));
  try {
    for (const name of ['index.html', 'ballcourse.js', 'ballcourse.wasm']) {
      fs.writeFileSync(path.join(folder, name), `${name} of the first build`);
    }
    const first = writeWorker(folder);
    assert.ok(first.version);
    assert.equal(first.files, "'ballcourse.js', 'ballcourse.wasm', 'index.html'");
    assert.deepEqual(writeWorker(folder), first, 'the same files, the same version');
    fs.appendFileSync(path.join(folder, 'ballcourse.wasm'), '!');
    const second = writeWorker(folder);
    assert.notEqual(second.version, first.version);
    assert.equal(second.files, first.files);
  } finally {
    fs.rmSync(folder, {recursive: true, force: true});
  }
});
