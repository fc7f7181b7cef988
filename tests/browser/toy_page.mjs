// SPDX-License-Identifier: MIT
// Drives the browser build of the toy the way a user would: the static site
// served from 127.0.0.1 by a small server of the test's own, Debian's
// Chromium started headless through playwright-core, real pointer and key
// events through the DevTools protocol, and the canvas's pixels read back
// as the page shows them. Every wait has a deadline.

import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import {createRequire} from 'node:module';

// The page is 600 by 600 CSS pixels at device scale 1, beside its help text.
const kViewport = {width: 1000, height: 700};
const kCanvasSize = 600;
// How long the page may take to compile the program and draw its first
// frame, with the machine busy with other tests and the shader cache cold.
const kStartSeconds = 60;
const kPollMs = 50;

// WebGL on the CPU (SwiftShader through ANGLE), and nothing that reaches
// for the network or a profile of an earlier run: Playwright gives each
// launch a fresh temporary --user-data-dir of its own.
const kChromiumFlags = [
  '--headless=new', '--no-sandbox', '--use-gl=angle', '--use-angle=swiftshader',
  '--enable-unsafe-swiftshader', '--disable-gpu-sandbox', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
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
    close: () => new Promise((resolve) => server.close(resolve)),
  };
}

// Starts Debian's Chromium through the playwright-core installed in
// `modulesDir` (the build tree's copy; the source tree holds none).
export async function launchChromium(modulesDir, executablePath) {
  const require = createRequire(path.join(modulesDir, 'package.json'));
  const {chromium} = require('playwright-core');
  // The browser draws off screen: it has no business with the X server
  // that the desktop tests drive.
  const env = {...process.env};
  delete env.DISPLAY;
  return chromium.launch({
    executablePath, headless: true, args: kChromiumFlags, env, timeout: kStartSeconds * 1000,
  });
}

// One run of the toy in a fresh page of its own.
export class ToyPage {
  // Opens the page, waits until the toy has drawn its first frame and parks
  // the pointer over the main window at (500, 500), away from the palettes,
  // so that keys reach the toy.
  static async open(browser, url) {
    const context = await browser.newContext({viewport: kViewport, deviceScaleFactor: 1});
    const page = await context.newPage();
    const toy = new ToyPage(context, page);
    await page.goto(url);
    // An error thrown while loading ends the wait: the toy will not start.
    await eventually(async () => toy.errors.length > 0 ||
        (await page.evaluate(() => document.body.dataset.toy)) !== 'loading', kStartSeconds);
    const state = await page.evaluate(() => document.body.dataset.toy);
    if (state !== 'running') {
      const status = await page.locator('#status').textContent();
      await toy.close();
      throw new Error(`the toy did not start: after ${kStartSeconds} s at most the page is ` +
          `"${state}", its status "${status}"${toy.firstError()}`);
    }
    const box = await page.locator('#toy').boundingBox();
    if (Math.round(box.width) !== kCanvasSize || Math.round(box.height) !== kCanvasSize) {
      await toy.close();
      throw new Error(`the canvas shows at ${box.width}x${box.height} CSS pixels, not 600x600`);
    }
    // Whole CSS pixels: canvas pixel x is page x - left, rounded down.
    toy.left = Math.round(box.x);
    toy.top = Math.round(box.y);
    await toy.move(500, 500);
    return toy;
  }

  constructor(context, page) {
    this.context = context;
    this.page = page;
    this.left = 0;
    this.top = 0;
    this.lines = [];   // what the program printed, a line a console.log
    this.errors = [];  // what the page threw and did not catch
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

  // Pointer events at canvas pixel (x, y), from its top-left corner; button
  // 1 is left, 3 right, as the scenarios number them.
  async move(x, y) {
    await this.page.mouse.move(this.left + x, this.top + y);
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

  // A letter key; a capital arrives as the capital, as with Shift held.
  async key(letter) {
    await this.page.keyboard.press(letter);
  }
  async keyDown(letter) {
    await this.page.keyboard.down(letter);
  }
  async keyUp(letter) {
    await this.page.keyboard.up(letter);
  }

  // The canvas as the page shows it (on its white background): a copy onto a
  // 2-D canvas read with getImageData, passed over as base64.
  async capture() {
    const encoded = await this.page.evaluate(() => {
      const toy = document.getElementById('toy');
      const copy = window.scenarioCopy ??= document.createElement('canvas');
      copy.width = toy.width;
      copy.height = toy.height;
      const g = copy.getContext('2d', {willReadFrequently: true});
      g.fillStyle = '#fff';
      g.fillRect(0, 0, copy.width, copy.height);
      g.drawImage(toy, 0, 0);
      const rgba = g.getImageData(0, 0, copy.width, copy.height).data;
      let text = '';
      for (let i = 0; i < rgba.length; i += 0x8000) {
        text += String.fromCharCode.apply(null, rgba.subarray(i, i + 0x8000));
      }
      return {width: copy.width, height: copy.height, data: btoa(text)};
    });
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
