// SPDX-License-Identifier: MIT
// Drives the browser build of the toy the way a user would: the static site
// served from 127.0.0.1 by a small server of the test's own, Debian's
// Chromium started headless through playwright-core, real pointer, touch and
// key events through the DevTools protocol, and the canvas's pixels read
// back as the page shows them. Every wait has a deadline.

import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import {createRequire} from 'node:module';
import {fileURLToPath} from 'node:url';

// Where the page tests find the site, playwright-core, the browser, and
// where they keep pictures of failures; CTest sets each (CMakeLists.txt).
export const repository = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const setting = (name, otherwise) => process.env[name] ?? otherwise;
export const site = setting('BALLCOURSE_WEB_SITE', path.join(repository, 'build-web'));
export const modules = setting(
  'BALLCOURSE_NODE_MODULES',
  path.join(repository, 'build/browser-tests'),
);
export const artefacts = setting(
  'BALLCOURSE_ARTEFACT_DIR',
  path.join(repository, 'build/test-artefacts'),
);
export const chromiumPath = setting('BALLCOURSE_CHROMIUM', '/usr/bin/chromium');

// The browsers the page is opened in: a desktop's window, where the canvas
// shows at 600 by 600 CSS pixels beside the command buttons and the help,
// and a phone in portrait, touch only, where it fills the width.
export const kDesktop = {viewport: {width: 1000, height: 700}, deviceScaleFactor: 1};
export const kPhone = {
  viewport: {width: 390, height: 844},
  deviceScaleFactor: 3,
  isMobile: true,
  hasTouch: true,
};
const kCanvasSize = 600; // the program's window, in its own pixels
// The canvas's drawing buffer has this many pixels to a CSS pixel at most.
const kMostDevicePixels = 3;
const kPhoneCanvasLeast = 340; // CSS pixels
const kCommandKeys = 'WSADEZXPORHQ';
const kLeastButton = 44; // CSS pixels, a fingertip
// The most room, in CSS pixels, between the finger hint and the command help
// under it: more shows as an empty band.
const kMostHintGap = 24;
// Two fingers on the canvas are this far apart, in canvas pixels.
const kFingerGap = 80;
// How long the page may take to compile the program and draw its first
// frame, with the machine busy with other tests and the shader cache cold.
const kStartSeconds = 60;
const kPollMs = 50;

// WebGL on the CPU (SwiftShader through ANGLE), and nothing that reaches
// for the network or a profile of an earlier run: Playwright gives each
// launch a fresh temporary --user-data-dir of its own. The page's benchmark
// starts its browsers with these flags, its server and these devices too.
export const kChromiumFlags = [
  '--headless=new',
  '--no-sandbox',
  '--use-gl=angle',
  '--use-angle=swiftshader',
  '--enable-unsafe-swiftshader',
  '--disable-gpu-sandbox',
  '--no-first-run',
  '--disable-background-networking',
  '--disable-component-update',
  '--disable-sync',
  '--disable-quic',
];

const kContentTypes = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.wasm': 'application/wasm',
  '.png': 'image/png',
  '.svg': 'image/svg+xml',
  '.ico': 'image/x-icon',
  '.json': 'application/json',
  '.webmanifest': 'application/manifest+json',
};

export function sleep(ms) {
  return new Promise((resolve) => setTimeout(resolve, ms));
}

// Polls `condition` (which may be async) until it is true or `seconds`
// pass; true if it held.
export async function eventually(condition, seconds) {
  const deadline = Date.now() + seconds * 1000;
  for (;;) {
    if (await condition()) return true;
    if (Date.now() > deadline) return false;
    await sleep(kPollMs);
  }
}

// Serves the files under `root` on 127.0.0.1, on a port the system picks;
// nothing outside `root` is served. Resolves to {url, close()}.
export async function serveSite(root) {
  const top = path.resolve(root);
  const server = http.createServer((request, response) => {
    const reply = (status, type, body) => {
      response.writeHead(status, {'Content-Type': type, 'Cache-Control': 'no-store'});
      response.end(request.method === 'HEAD' ? undefined : body);
    };
    if (request.method !== 'GET' && request.method !== 'HEAD') {
      reply(405, 'text/plain', 'only GET and HEAD\n');
      return;
    }
    let name;
    try {
      name = decodeURIComponent(new URL(request.url, 'http://127.0.0.1').pathname);
    } catch {
      reply(400, 'text/plain', 'bad path\n');
      return;
    }
    if (name.endsWith('/')) name += 'index.html';
    const file = path.resolve(top, `.${name}`);
    if (!file.startsWith(top + path.sep)) {
      reply(403, 'text/plain', 'outside the site\n');
      return;
    }
    fs.readFile(file, (error, body) => {
      if (error) {
        reply(404, 'text/plain', 'not found\n');
      } else {
        reply(200, kContentTypes[path.extname(file)] ?? 'application/octet-stream', body);
      }
    });
  });
  await new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(0, '127.0.0.1', resolve);
  });
  return {
    url: `http://127.0.0.1:${server.address().port}/`,
    // Ends kept-alive connections too: a page must not reach a closed server.
    // Closing it again does nothing.
    close: () =>
      new Promise((resolve) => {
        server.close(resolve);
        server.closeAllConnections();
      }),
  };
}

// Starts Debian's Chromium through the playwright-core installed in
// `modulesDir` (the build tree's copy; the source tree holds none).
export async function launchChromium(modulesDir = modules, executablePath = chromiumPath) {
  const require = createRequire(path.join(modulesDir, 'package.json'));
  const {chromium} = require('playwright-core');
  // The browser draws off screen: it has no business with the X server
  // that the desktop tests drive.
  const env = {...process.env};
  delete env.DISPLAY;
  return chromium.launch({
    executablePath,
    headless: true,
    args: kChromiumFlags,
    env,
    timeout: kStartSeconds * 1000,
  });
}

// Run in the page before its own scripts: WebGL offers no
// ANGLE_instanced_arrays, as on browsers without it, so that the toy draws
// its shapes one by one. Extension names are matched without case, as
// WebGL matches them; window.instancingRefused records that the page asked.
function hideInstancing() {
  const hidden = 'angle_instanced_arrays';
  const webgl = WebGLRenderingContext.prototype;
  const getExtension = webgl.getExtension;
  const getSupportedExtensions = webgl.getSupportedExtensions;
  webgl.getExtension = function (name) {
    if (String(name).toLowerCase() !== hidden) return getExtension.call(this, name);
    window.instancingRefused = true;
    return null;
  };
  webgl.getSupportedExtensions = function () {
    const names = getSupportedExtensions.call(this);
    return names && names.filter((name) => name.toLowerCase() !== hidden);
  };
}

// One run of the toy in a fresh page of its own.
export class ToyPage {
  // Opens the page on `device`, waits until the toy has drawn its first
  // frame, checks that the page fits the screen (layoutProblem) and, with a
  // mouse, parks the pointer over the main window at (500, 500), away from
  // the palettes, so that keys reach the toy. With `withoutInstancing`, the
  // page's WebGL lacks instanced drawing (hideInstancing).
  static async open(browser, url, device = kDesktop, {withoutInstancing = false} = {}) {
    const context = await browser.newContext(device);
    if (withoutInstancing) await context.addInitScript(hideInstancing);
    const page = await context.newPage();
    const toy = new ToyPage(context, page, device);
    const fail = async (message) => {
      await toy.close();
      throw new Error(message);
    };
    await page.goto(url);
    // An error thrown while loading ends the wait: the toy will not start.
    if (!(await toy.started())) {
      const state = await page.evaluate(() => document.body.dataset.toy);
      const status = await page.locator('#status').textContent();
      await fail(
        `the toy did not start: after ${kStartSeconds} s at most the page is ` +
          `"${state}", its status "${status}"${toy.firstError()}`,
      );
    }
    // A page that never asked for instancing would take the same path either way.
    if (withoutInstancing && !(await page.evaluate(() => window.instancingRefused === true))) {
      await fail('the page never asked for ANGLE_instanced_arrays, so hiding it tests nothing');
    }
    const box = await page.locator('#toy').boundingBox();
    const problem = (await toy.layoutProblem(box)) || (await toy.bufferProblem());
    if (problem)
      await fail(`on a ${device.viewport.width}x${device.viewport.height} screen ${problem}`);
    toy.place(box);
    if (!device.hasTouch) await toy.move(500, 500);
    return toy;
  }

  // Where the canvas shows on the page, from its bounding box.
  place(box) {
    [this.left, this.top, this.scale] = [box.x, box.y, box.width / kCanvasSize];
  }

  // What is wrong with the canvas's drawing buffer, or "": it is square and
  // as many pixels across as the canvas shows device pixels (its CSS width
  // times the ratio, within the pixel that the browser's own rounding may
  // take), at most kMostDevicePixels to a CSS pixel.
  async bufferProblem() {
    const {width, height, css, ratio} = await this.page.evaluate(() => {
      const toy = document.getElementById('toy');
      return {
        width: toy.width,
        height: toy.height,
        css: toy.getBoundingClientRect().width,
        ratio: window.devicePixelRatio,
      };
    });
    const across = css * Math.min(ratio, kMostDevicePixels);
    if (Math.abs(width - across) <= 1 && height === width) return '';
    return (
      `the drawing buffer is ${width}x${height} for a canvas of ${css} CSS pixels at ` +
      `${ratio} device pixels each`
    );
  }

  // The phone turned on its side, or back upright: the screen's width and
  // height swap. Resolves to "" once the drawing buffer has followed the
  // canvas to its new size, else to what it is.
  async turn() {
    const {width, height} = this.page.viewportSize();
    await this.page.setViewportSize({width: height, height: width});
    await eventually(async () => (await this.bufferProblem()) === '', 10);
    this.place(await this.page.locator('#toy').boundingBox());
    return this.bufferProblem();
  }

  // Waits until the toy draws or fails to start; true if it runs.
  async started() {
    await eventually(
      async () =>
        this.errors.length > 0 ||
        (await this.page.evaluate(() => document.body.dataset.toy)) !== 'loading',
      kStartSeconds,
    );
    return (await this.page.evaluate(() => document.body.dataset.toy)) === 'running';
  }

  // What is wrong with how the page fits its screen, or "": the canvas is
  // 600 by 600 CSS pixels on a desktop, and on a touch screen square, at
  // least kPhoneCanvasLeast wide and as wide as the page's margins allow,
  // with the buttons under it; the twelve command buttons, each with its
  // key, are a fingertip's size at least and in the first screenful; and
  // nothing scrolls sideways.
  async layoutProblem(box) {
    const {viewport, hasTouch} = this.device;
    const size = `${box.width}x${box.height} CSS pixels`;
    if (
      !hasTouch &&
      (Math.round(box.width) !== kCanvasSize || Math.round(box.height) !== kCanvasSize)
    ) {
      return `the canvas shows at ${size}, not 600x600`;
    }
    if (
      hasTouch &&
      (Math.abs(box.width - box.height) > 1 ||
        box.width < kPhoneCanvasLeast ||
        box.width < viewport.width - 2 * box.x - 1)
    ) {
      return `the canvas shows at ${size} from x = ${box.x}, not a square that fills the width`;
    }
    const page = await this.page.evaluate(() => ({
      scrollWidth: document.documentElement.scrollWidth,
      hintGap:
        document.getElementById('help').getBoundingClientRect().top -
        document.getElementById('touch-help').getBoundingClientRect().bottom,
      buttons: [...document.querySelectorAll('button[aria-keyshortcuts]')].map((b) => {
        const r = b.getBoundingClientRect();
        return {
          key: b.getAttribute('aria-keyshortcuts'),
          top: r.top,
          bottom: r.bottom,
          width: r.width,
          height: r.height,
        };
      }),
    }));
    if (page.scrollWidth > viewport.width) {
      return `the page is ${page.scrollWidth} CSS pixels wide and scrolls sideways`;
    }
    const keys = page.buttons.map((b) => b.key).join('');
    if (keys !== kCommandKeys) return `the command buttons are for "${keys}"`;
    for (const b of page.buttons) {
      if (b.width < kLeastButton || b.height < kLeastButton) {
        return `the ${b.key} button is ${b.width}x${b.height} CSS pixels`;
      }
      if (b.bottom > viewport.height) return `the ${b.key} button is below the first screen`;
      if (hasTouch && b.top < box.y + box.height)
        return `the ${b.key} button is not under the canvas`;
    }
    if (hasTouch && page.hintGap > kMostHintGap) {
      return `${page.hintGap} CSS pixels stand empty between the finger hint and the help`;
    }
    return '';
  }

  constructor(context, page, device) {
    this.context = context;
    this.page = page;
    this.device = device;
    this.left = 0; // the canvas's place on the page and CSS pixels per canvas pixel
    this.top = 0;
    this.scale = 1;
    this.session = null; // the DevTools session that touches are sent through
    this.otherTab = null; // the tab that `switchTab` brings to the front
    this.lines = []; // what the program printed, a line a console.log
    this.errors = []; // what the page threw and did not catch
    page.on('console', (message) => {
      if (message.type() === 'log') this.lines.push(message.text());
    });
    page.on('pageerror', (error) => this.errors.push(String(error)));
  }

  // The first error the page threw, and how many followed, for a message.
  firstError() {
    if (this.errors.length === 0) return '';
    const more = this.errors.length > 1 ? ` (and ${this.errors.length - 1} more)` : '';
    return `; the page threw: ${this.errors[0]}${more}`;
  }

  async close() {
    await this.context.close();
  }

  // Page coordinates of the middle of canvas pixel (x, y), from its
  // top-left corner.
  at(x, y) {
    return {x: this.left + (x + 0.5) * this.scale, y: this.top + (y + 0.5) * this.scale};
  }

  // Pointer events at canvas pixel (x, y); button 1 is left, 3 right, as
  // the scenarios number them.
  async move(x, y) {
    const p = this.at(x, y);
    await this.page.mouse.move(p.x, p.y);
  }
  async click(x, y) {
    await this.move(x, y);
    await this.page.mouse.down({button: 'left'});
    await this.page.mouse.up({button: 'left'});
  }
  async press(button, x, y) {
    await this.move(x, y);
    await this.page.mouse.down({button: button === 3 ? 'right' : 'left'});
  }
  async release(button, x, y) {
    await this.move(x, y);
    await this.page.mouse.up({button: button === 3 ? 'right' : 'left'});
  }

  // The mouse pointer off the canvas, onto the command help beside it.
  async leave() {
    const box = await this.page.locator('#help').boundingBox();
    await this.page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
  }

  // Another tab comes to the front and the page loses the keyboard (a real
  // blur), then the page comes back; nothing held is let go first. Resolves
  // to "" or what went otherwise. Playwright tells every page it has the
  // focus whatever is in front, so that is turned off for this page first.
  async switchTab() {
    this.session ??= await this.context.newCDPSession(this.page);
    await this.session.send('Emulation.setFocusEmulationEnabled', {enabled: false});
    this.otherTab ??= await this.context.newPage();
    const focused = (wanted) =>
      eventually(async () => (await this.page.evaluate(() => document.hasFocus())) === wanted, 10);
    await this.otherTab.bringToFront();
    if (!(await focused(false))) return 'the page kept the focus with another tab in front';
    await this.page.bringToFront();
    return (await focused(true)) ? '' : 'the page did not get the focus back';
  }

  // Fingers on the touch screen: `points` are every finger down, in page
  // coordinates, each with its id; none lifts them all.
  async touch(type, points) {
    this.session ??= await this.context.newCDPSession(this.page);
    await this.session.send('Input.dispatchTouchEvent', {type, touchPoints: points});
  }
  async tap(x, y) {
    await this.touch('touchStart', [{...this.at(x, y), id: 1}]);
    await this.touch('touchEnd', []);
  }
  // One finger, or two side by side about it, landing on `from`, moved
  // through `motion` (canvas pixels) and lifted.
  async swipe(fingers, from, motion) {
    const place = (p) => {
      if (fingers === 1) return [{...this.at(p.x, p.y), id: 1}];
      const half = kFingerGap / 2;
      return [
        {...this.at(p.x - half, p.y), id: 1},
        {...this.at(p.x + half, p.y), id: 2},
      ];
    };
    const landing = place(from);
    await this.touch('touchStart', landing.slice(0, 1));
    if (fingers === 2) await this.touch('touchStart', landing);
    for (const p of motion) await this.touch('touchMove', place(p));
    await this.touch('touchEnd', []);
  }

  // The command button of a key, pressed by a finger and let go.
  async buttonDown(letter) {
    const box = await this.page
      .locator(`button[aria-keyshortcuts="${letter.toUpperCase()}"]`)
      .boundingBox();
    await this.touch('touchStart', [{x: box.x + box.width / 2, y: box.y + box.height / 2, id: 1}]);
  }
  async buttonUp() {
    await this.touch('touchEnd', []);
  }

  // A letter key; a capital arrives as the capital, as with Shift held.
  async key(letter) {
    await this.page.keyboard.press(letter);
  }

  // The canvas as the page shows it (on its white background), shrunk to the
  // program's 600 by 600 pixels by taking the drawing buffer's pixel nearest
  // each, so that no blend of two colours makes a third (the ball's red and
  // the white would make the pieces' orange): a copy onto a 2-D canvas read
  // with getImageData, passed over as base64.
  async capture() {
    const encoded = await this.page.evaluate((size) => {
      const toy = document.getElementById('toy');
      const copy = (window.scenarioCopy ??= document.createElement('canvas'));
      copy.width = size;
      copy.height = size;
      const g = copy.getContext('2d', {willReadFrequently: true});
      g.fillStyle = '#fff';
      g.fillRect(0, 0, copy.width, copy.height);
      g.imageSmoothingEnabled = false;
      g.drawImage(toy, 0, 0, copy.width, copy.height);
      const rgba = g.getImageData(0, 0, copy.width, copy.height).data;
      let text = '';
      for (let i = 0; i < rgba.length; i += 0x8000) {
        text += String.fromCharCode.apply(null, rgba.subarray(i, i + 0x8000));
      }
      return {width: copy.width, height: copy.height, data: btoa(text)};
    }, kCanvasSize);
    const rgba = Buffer.from(encoded.data, 'base64');
    const rgb = new Uint8Array(encoded.width * encoded.height * 3);
    for (let i = 0, j = 0; i < rgba.length; i += 4, j += 3) {
      rgb[j] = rgba[i];
      rgb[j + 1] = rgba[i + 1];
      rgb[j + 2] = rgba[i + 2];
    }
    return {width: encoded.width, height: encoded.height, rgb};
  }

  // Everything the program has printed so far, each line ended.
  output() {
    return this.lines.map((line) => `${line}\n`).join('');
  }

  // {ended, how}: whether the page says the toy has ended, and its words.
  async ended() {
    return this.page.evaluate(() => ({
      ended: document.body.dataset.toy === 'ended',
      how: document.getElementById('status').textContent,
    }));
  }
}
