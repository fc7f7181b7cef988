// SPDX-License-Identifier: MIT
// A seeded storm of random input on the phone's page, with a mouse and a
// keyboard besides the touch screen: the pointer in and off the canvas,
// buttons pressed and let go in any order, the wheel, every command key but
// Q let go anywhere or never, one to three fingers landing, moving, lifting
// or cancelled, the screen turned or its scale changed, another tab brought
// to the front. After every lull, once the storm has let go of all it holds,
// neither the page nor the program holds a key, button, finger or command
// button, and nothing was thrown; afterwards the toy still plays a course.
//
// Run by CTest with the page tests' environment (toy_page.mjs), and:
//   BALLCOURSE_STORM_EVENTS  events to send; set, all of them are sent however
//                            long it takes [1500, or fewer once kStormSeconds pass]
//   BALLCOURSE_STORM_SEED    the generator's seed [27]
// A failure keeps the events sent in test-artefacts/storm/seed-SEED.log.

import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import {after, before, test} from 'node:test';

import {Player} from './player.mjs';
import {writePpm} from './ppm.mjs';
import {parseScenario} from './scenario_format.mjs';
import {isBall, measure} from './scenario_picture.mjs';
import * as harness from './toy_page.mjs';

const {kPhone, sleep, ToyPage} = harness;
const kEvents = Number(process.env.BALLCOURSE_STORM_EVENTS || 1500);
const kSeed = Number(process.env.BALLCOURSE_STORM_SEED || 27);
// The default storm stops sending here, however many events are left, so that
// a busy machine does not stretch it; a longer run asks for its events.
const kStormSeconds = process.env.BALLCOURSE_STORM_EVENTS ? Infinity : 40;
const kKeys = 'wsadezxporh';
// The course played afterwards, with the ball running at its start.
const kCourse = 'tests/scenarios/ball_rests_on_block.scenario';
// Long enough for a frame, and for a falling ball to move: 15 ticks.
const kStillMs = 300;
const kQuitButton = 11; // the last of the command buttons
const kButtonBits = {left: 1, middle: 4, right: 2}; // as DevTools counts them
const kMouseButtons = Object.keys(kButtonBits);

// mulberry32: a small generator whose whole state is its seed.
function generator(seed) {
  let a = seed >>> 0;
  return () => {
    a = (a + 0x6d2b79f5) >>> 0;
    let t = Math.imul(a ^ (a >>> 15), 1 | a);
    t = (t + Math.imul(t ^ (t >>> 7), 61 | t)) ^ t;
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}

class Storm {
  constructor(toy, session, random) {
    Object.assign(this, {toy, session, random, log: [], keys: new Set(), buttons: 0});
    this.fingers = new Map(); // id: page point
    this.pointer = toy.at(300, 300);
  }

  below(n) {
    return Math.floor(this.random() * n);
  }
  pick(list) {
    return list[this.below(list.length)];
  }
  onCanvas() {
    return this.toy.at(this.below(600), this.below(600));
  }
  // Whether `p` is on the Q button, which would end the toy.
  onQuit(p) {
    const q = this.quit;
    return p.x >= q.x && p.x <= q.x + q.width && p.y >= q.y && p.y <= q.y + q.height;
  }
  // Anywhere on the screen but the Q button.
  anywhere() {
    const {width, height} = this.toy.page.viewportSize();
    for (;;) {
      const p = {x: this.random() * width, y: this.random() * height};
      if (!this.onQuit(p)) return p;
    }
  }

  // A finger lands off the canvas only on a command button, where it
  // scrolls nothing: the page stays where the storm expects it.
  onButton() {
    const box = this.pick(this.commandBoxes);
    return {x: box.x + this.random() * box.width, y: box.y + this.random() * box.height};
  }

  mouse(type, extra = {}) {
    const event = {type, ...this.pointer, buttons: this.buttons, ...extra};
    return this.session.send('Input.dispatchMouseEvent', event);
  }
  // DevTools lifts the fingers a touchEnd names, and all for none.
  touches(type, fingers = this.fingers) {
    const touchPoints = [...fingers].map(([id, p]) => ({...p, id}));
    return this.session.send('Input.dispatchTouchEvent', {type, touchPoints});
  }

  // The screen's layout changed: where the canvas and the Q button are now.
  async relayout() {
    this.toy.place(await this.toy.page.locator('#toy').boundingBox());
    const buttons = this.toy.page.locator('#commands button');
    const boxes = await Promise.all((await buttons.all()).map((b) => b.boundingBox()));
    [this.quit] = boxes.splice(kQuitButton, 1);
    this.commandBoxes = boxes;
  }

  // One random event; returns its description for the log.
  async event() {
    const roll = this.below(100);
    if (roll < 22) {
      this.pointer = this.below(10) < 7 ? this.onCanvas() : this.anywhere();
      await this.mouse('mouseMoved');
      return `mouse to ${this.pointer.x.toFixed(0)}, ${this.pointer.y.toFixed(0)}`;
    }
    if (roll < 34) {
      // A mouse's button goes down only when it is up, and up when down;
      // the three buttons' presses and releases come in any order.
      const button = this.pick(kMouseButtons);
      const press = !(this.buttons & kButtonBits[button]);
      this.buttons ^= kButtonBits[button];
      await this.mouse(press ? 'mousePressed' : 'mouseReleased', {button, clickCount: 1});
      return `${button} ${press ? 'pressed' : 'released'}`;
    }
    if (roll < 38) {
      this.pointer = this.onCanvas();
      const deltaY = this.pick([-120, 120]);
      await this.mouse('mouseWheel', {deltaX: 0, deltaY});
      return `wheel ${deltaY}`;
    }
    if (roll < 60) {
      const [key, way] = [this.pick(kKeys), this.pick(['down', 'up'])];
      this.keys[way === 'down' ? 'add' : 'delete'](key);
      await this.toy.page.keyboard[way](key);
      return `key ${key} ${way}`;
    }
    if (roll < 96) return this.touchEvent();
    if (roll < 97) return `turned: ${(await this.toy.turn()) || 'buffer followed'}`;
    if (roll < 98) return this.rescale();
    return this.switchTab();
  }

  // The player lets go of everything in the other tab: its releases never
  // reach the page.
  async switchTab() {
    const problem = await this.toy.switchTab();
    this.keys.clear();
    this.buttons = 0;
    this.fingers.clear();
    return `tab switched, all let go there: ${problem || 'focus lost and back'}`;
  }

  async touchEvent() {
    const roll = this.below(10);
    if ((roll < 3 || this.fingers.size === 0) && this.fingers.size < 3) {
      const id = [1, 2, 3].find((i) => !this.fingers.has(i));
      this.fingers.set(id, this.below(5) === 0 ? this.onButton() : this.onCanvas());
      await this.touches('touchStart');
      return `finger ${id} down`;
    }
    if (roll < 7 && this.fingers.size > 0) {
      for (const [id, p] of this.fingers) {
        const to = {x: p.x + this.below(81) - 40, y: p.y + this.below(81) - 40};
        if (!this.onQuit(to)) this.fingers.set(id, to);
      }
      await this.touches('touchMove');
      return 'fingers moved';
    }
    if (roll < 9 && this.fingers.size > 0) {
      const id = this.pick([...this.fingers.keys()]);
      const lifted = new Map([[id, this.fingers.get(id)]]);
      this.fingers.delete(id);
      await this.touches('touchEnd', lifted);
      return `finger ${id} lifted`;
    }
    this.fingers.clear();
    await this.touches('touchCancel');
    return 'touch cancelled';
  }

  async rescale() {
    const deviceScaleFactor = this.pick([1, 1.5, 2, 3]);
    await this.session.send('Emulation.setDeviceMetricsOverride', {
      ...this.toy.page.viewportSize(),
      deviceScaleFactor,
      mobile: true,
    });
    await sleep(100);
    return `scale ${deviceScaleFactor}: ${(await this.toy.bufferProblem()) || 'buffer followed'}`;
  }

  // Lets go of everything the storm holds, wherever the pointer is.
  async letGo() {
    for (const key of this.keys) await this.toy.page.keyboard.up(key);
    this.keys.clear();
    for (const button of kMouseButtons.filter((b) => this.buttons & kButtonBits[b])) {
      this.buttons &= ~kButtonBits[button];
      await this.mouse('mouseReleased', {button, clickCount: 1});
    }
    if (this.fingers.size === 0) return;
    this.fingers.clear();
    await this.touches('touchEnd');
  }
}

// What the page and the program still hold, or "" for nothing.
async function stillHeld(toy) {
  const held = await toy.page.evaluate(() => window.Module.heldInput());
  const any =
    held.keys.length || held.buttons || held.programButtons || held.fingers || held.commands.length;
  return any ? `still held: ${JSON.stringify(held)}` : '';
}

// Erases the pieces the storm left, each picked where it shows; returns how
// many are left.
async function erasePieces(toy, random) {
  const pieces = () => toy.page.evaluate(() => window.Module._ballcourse_course_pieces());
  // A piece's own orange, dimmed to its ambient light on faces turned away.
  const orange = (r, g, b) => r >= 100 && r - g >= 30 && g - b >= 30;
  for (let tries = 3 * (await pieces()) + 10; tries > 0; tries -= 1) {
    await toy.key('e');
    if ((await pieces()) === 0) break;
    const {width, rgb} = await toy.capture();
    const shown = [];
    for (let i = 0; i < rgb.length / 3; i += 1) {
      const [x, y] = [i % width, Math.floor(i / width)];
      if ((x >= 100 || y >= 200) && orange(...rgb.subarray(3 * i, 3 * i + 3))) shown.push({x, y});
    }
    const p = shown.length > 0 && shown[Math.floor(random() * shown.length)];
    await (p ? toy.click(p.x, p.y) : sleep(100));
  }
  return pieces();
}

// Clears the course, seen first from as far as the camera goes, where the
// ball's start shows too, then from the starting distance again; sets the
// ball running if the storm left it paused. Returns the pieces left.
async function clearCourse(toy, random) {
  await toy.move(500, 500);
  for (let i = 0; i < 60; i += 1) await toy.key('s');
  await erasePieces(toy, random);
  const ballAt = async () => {
    const ball = measure(await toy.capture(), isBall, 0, 0, 600, 600, true);
    return `${ball.x.toFixed(1)}, ${ball.y.toFixed(1)}`;
  };
  await toy.key('r');
  await sleep(kStillMs);
  const start = await ballAt();
  await sleep(kStillMs);
  if ((await ballAt()) === start) await toy.key('p');
  for (let i = 0; i < 31; i += 1) await toy.key('w');
  return erasePieces(toy, random);
}

let server = null;
let browser = null;

before(async () => {
  server = await harness.serveSite(harness.site);
  browser = await harness.launchChromium();
});

after(async () => {
  await browser?.close();
  await server?.close();
});

test(`a storm of input (seed ${kSeed}) leaves the toy playing`, {timeout: 300000}, async (t) => {
  const toy = await ToyPage.open(browser, server.url, kPhone);
  const random = generator(kSeed);
  const storm = new Storm(toy, await toy.context.newCDPSession(toy.page), random);
  await storm.relayout();
  const start = Date.now();
  let sent = 0;
  try {
    let lull = 30 + storm.below(30);
    while (sent < kEvents && Date.now() - start < kStormSeconds * 1000) {
      const what = await storm.event();
      storm.log.push(`${sent}: ${what}`);
      sent += 1;
      if (what.startsWith('turned') || what.startsWith('scale')) await storm.relayout();
      if (sent < lull && sent < kEvents) continue;
      await storm.letGo();
      storm.log.push(`${sent}: lull, everything let go`);
      const state = await toy.page.evaluate(() => document.body.dataset.toy);
      assert.equal(state + toy.firstError(), 'running', `after event ${sent}`);
      assert.equal(await stillHeld(toy), '', `after event ${sent}`);
      await storm.relayout();
      lull = sent + 30 + storm.below(30);
    }
    const seconds = ((Date.now() - start) / 1000).toFixed(1);
    t.diagnostic(`storm: seed ${kSeed}, ${sent} of ${kEvents} events in ${seconds} s`);

    // The course played after the storm: a block in the ball's path, and the
    // ball, let go from its start, comes to rest on it.
    await storm.relayout();
    // A piece that no pick reaches may stay; the course is played beside it.
    const left = await clearCourse(toy, random);
    t.diagnostic(`storm: ${left} pieces left on the course`);
    const player = new Player(toy, () => '');
    const course = fs.readFileSync(path.join(harness.repository, kCourse), 'utf8');
    for (const step of parseScenario(course)) {
      assert.equal(await player.play(step), '', step.text);
    }
  } catch (error) {
    const file = path.join(harness.artefacts, 'storm', `seed-${kSeed}`);
    fs.mkdirSync(path.dirname(file), {recursive: true});
    fs.writeFileSync(`${file}.log`, `${storm.log.join('\n')}\n`);
    if (!toy.page.isClosed()) writePpm(`${file}.ppm`, await toy.capture());
    throw new Error(`${error.message}\n  events and picture: ${file}.log, .ppm`, {cause: error});
  } finally {
    await toy.close();
  }
});
