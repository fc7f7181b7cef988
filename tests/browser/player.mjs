// SPDX-License-Identifier: MIT
// Carries out the steps of one scenario on one toy page, with the same
// waits and deadlines as the desktop driver (tests/e2e/scenario_e2e_test.cpp).
// Each step resolves to "" when it went as described, else to what went
// otherwise; the latest capture is kept for the failure report.

import {dragMotion, kMaxStillSteps} from './scenario_format.mjs';
import {judge} from './scenario_picture.mjs';
import {sleep} from './toy_page.mjs';

// The help text the toy prints at start and on H, spelled out here rather
// than taken from the program, so that a change to it shows as a failure.
export const kExpectedHelp =
  'Commands:\n' +
  'W - move camera forward\n' +
  'S - move camera backward\n' +
  'A - pan camera left\n' +
  'D - pan camera right\n' +
  'E - erase current piece\n' +
  'Z - rotate current piece CCW\n' +
  'X - rotate current piece CW\n' +
  'P - pause ball\n' +
  'O - advance ball 1 frame\n' +
  'R - reset ball\n' +
  'Left Mouse - place and select pieces\n' +
  'Right Mouse - rotate current piece using virtual trackball\n' +
  'Q - quit\n';

// The toy's words once it has ended by its own quit command.
export const kEndedStatus = 'The toy has ended.';

// How long an expectation is polled: a loaded machine or a cold shader cache
// can hold a frame back for seconds, and a ball let go above a block comes
// to rest on it after about 350 ticks, 7 s at full speed and far more on a
// busy machine, where the page's ticks slow down.
const kDeadlineMs = 30000;
// How long a picture that `stays` must keep meeting the expectation: 15 ticks.
const kHoldMs = 300;
// How long a single step waits for the picture to change before taking it
// that nothing moved: 15 ticks, ample for the toy to handle the O and run
// the tick that consumes it, so no two presses fall in the same tick.
const kTickWaitMs = 300;
// Steps in a row that change nothing, once the ball has moved, that mean it
// has come to rest.
const kStillSteps = 15;
// Two pictures this far apart that agree mean nothing is moving.
const kStillGapMs = 200;
const kPollMs = 50;

function samePicture(a, b) {
  return a.width === b.width && a.height === b.height && Buffer.compare(a.rgb, b.rgb) === 0;
}

export class Player {
  // `onSnapshot(name, picture)` receives each snapshot and resolves to "" or
  // a failure.
  constructor(toy, onSnapshot) {
    this.toy = toy;
    this.onSnapshot = onSnapshot;
    this.last = null;
    this.seen = '';
  }

  async play(step) {
    this.seen = '';
    const {toy} = this;
    const at = step.points[0];
    const times = async (action) => {
      for (let i = 0; i < step.count; i += 1) await action();
    };
    // The steps that only send input, and so always go as described.
    const inputs = {
      move: () => toy.move(at.x, at.y),
      click: () => toy.click(at.x, at.y),
      drag: () => this.drag(step),
      key: () => times(() => toy.key(step.key)),
      keyDown: () => toy.page.keyboard.down(step.key),
      keyUp: () => toy.page.keyboard.up(step.key),
      tap: () => toy.tap(at.x, at.y),
      swipe: () => toy.swipe(step.fingers, at, dragMotion(step)),
      button: () =>
        times(async () => {
          await toy.buttonDown(step.key);
          await toy.buttonUp(step.key);
        }),
      buttonDown: () => toy.buttonDown(step.key),
      buttonUp: () => toy.buttonUp(step.key),
      leave: () => toy.leave(),
    };
    if (Object.hasOwn(inputs, step.kind)) {
      await inputs[step.kind]();
      return '';
    }
    switch (step.kind) {
      case 'turn':
        return toy.turn();
      case 'switchTab':
        return toy.switchTab();
      case 'step':
        return this.singleSteps(step.count);
      case 'stepUntilStill':
        return this.stepUntilStill();
      case 'expectBlob':
      case 'expectColour':
      case 'expectPalettes':
        return this.expectPicture(step);
      case 'expectHelp':
        return this.expectHelp(step.count);
      case 'expectEnded':
        return this.expectEnded();
      case 'expectTitle':
        return this.expectTitle(step.title);
      case 'snapshot':
        return this.snapshot(step.name);
      default:
        return `unknown step ${step.kind}`;
    }
  }

  async drag(step) {
    const {toy} = this;
    const end = step.points[step.points.length - 1];
    await toy.press(step.button, step.points[0].x, step.points[0].y);
    for (const p of dragMotion(step)) await toy.move(p.x, p.y);
    await toy.release(step.button, end.x, end.y);
  }

  // Captures until the picture differs from `before` or `ms` pass.
  async changedFrom(before, ms) {
    const deadline = Date.now() + ms;
    for (;;) {
      this.last = await this.toy.capture();
      if (!samePicture(this.last, before)) return true;
      if (Date.now() > deadline) return false;
      await sleep(kPollMs);
    }
  }

  // The picture once two captures kStillGapMs apart agree, or null.
  async stillPicture() {
    const start = Date.now();
    let still = await this.toy.capture();
    while (await this.changedFrom(still, kStillGapMs)) {
      still = this.last;
      if (Date.now() - start > kDeadlineMs) return null;
    }
    this.last = still;
    return still;
  }

  // One O press, then the change it makes or kTickWaitMs of nothing.
  async singleStep(before) {
    await this.toy.key('o');
    return (await this.changedFrom(before, kTickWaitMs)) ? this.last : null;
  }

  async singleSteps(count) {
    let before = await this.toy.capture();
    for (let i = 0; i < count; i += 1) before = (await this.singleStep(before)) ?? before;
    return '';
  }

  async stepUntilStill() {
    let before = await this.stillPicture();
    if (before === null) return 'the picture keeps changing; is the ball paused?';
    let moved = false;
    let unchanged = 0;
    let steps = 0;
    while (steps < kMaxStillSteps && (!moved || unchanged < kStillSteps)) {
      const after = await this.singleStep(before);
      if (after !== null) {
        before = after;
        moved = true;
        unchanged = 0;
      } else {
        unchanged += 1;
      }
      steps += 1;
    }
    if (!moved) return `nothing moved in ${steps} steps`;
    if (unchanged < kStillSteps) return `the ball was still moving after ${steps} steps`;
    return '';
  }

  async expectPicture(step) {
    const start = Date.now();
    let heldSince = start;
    let heldCaptures = 0;
    for (;;) {
      this.last = await this.toy.capture();
      const verdict = judge(step, this.last);
      this.seen = verdict.seen;
      if (verdict.met) {
        if (!step.held) return '';
        if (heldCaptures++ === 0) heldSince = Date.now();
        if (heldCaptures >= 2 && Date.now() - heldSince >= kHoldMs) return '';
      } else {
        heldCaptures = 0;
      }
      if (Date.now() - start > kDeadlineMs) {
        return verdict.met ? 'it did not stay so for 0.3 s' : `the picture shows ${verdict.seen}`;
      }
      await sleep(kPollMs);
    }
  }

  async expectHelp(times) {
    const wanted = kExpectedHelp.repeat(times);
    const deadline = Date.now() + kDeadlineMs;
    while (this.toy.output().length < wanted.length && Date.now() < deadline) await sleep(kPollMs);
    const output = this.toy.output();
    return output === wanted ? '' : `the output is:\n${output}`;
  }

  // The window's title is the page's.
  async expectTitle(title) {
    let seen = await this.toy.page.title();
    const deadline = Date.now() + kDeadlineMs;
    while (seen !== title && Date.now() < deadline) {
      await sleep(kPollMs);
      seen = await this.toy.page.title();
    }
    return seen === title ? '' : `the window's title is "${seen}"`;
  }

  async expectEnded() {
    let state = await this.toy.ended();
    const deadline = Date.now() + kDeadlineMs;
    while (!state.ended && Date.now() < deadline) {
      await sleep(kPollMs);
      state = await this.toy.ended();
    }
    if (!state.ended) return 'the toy still runs';
    return state.how === kEndedStatus ? '' : `the toy ended saying "${state.how}"`;
  }

  async snapshot(name) {
    const still = await this.stillPicture();
    if (still === null) return 'the picture did not come to rest';
    return this.onSnapshot(name, still);
  }
}
