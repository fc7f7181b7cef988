// SPDX-License-Identifier: MIT
// Reads the user scenarios of tests/scenarios/ (the format is described in
// the README there): one step a line. The desktop driver reads the same
// files with tests/e2e/scenario_format.h; the two must agree. The touch
// screen's steps (tap, swipe, button, buttondown, buttonup, turn) and the
// page's (leave, switch tab) are the browser's alone: the scenarios in
// tests/scenarios/phone/ and the browser's own tests use them, and only the
// browser driver plays those.

export const kWindowSize = 600;
// Half-side of the square a blob is looked for in, unless `within` says.
export const kDefaultWithin = 40;
// The longest that `step until still` goes on stepping.
export const kMaxStillSteps = 400;

export class FormatError extends Error {}

// The words of one line, read left to right; every read names the line in
// its error.
class Words {
  constructor(text, line) {
    this.words = text.split(/\s+/).filter((w) => w !== '');
    this.at = 0;
    this.line = line;
  }

  done() {
    return this.at >= this.words.length;
  }
  peek() {
    return this.done() ? '' : this.words[this.at];
  }
  take(word) {
    if (this.peek() !== word) return false;
    this.at += 1;
    return true;
  }
  expect(word) {
    if (!this.take(word)) this.fail(`expected "${word}"`);
  }
  word(what) {
    if (this.done()) this.fail(`expected ${what}`);
    return this.words[this.at++];
  }
  number(what, low, high) {
    const text = this.word(what);
    if (!/^[0-9]{1,6}$/.test(text)) this.fail(`expected ${what}, found "${text}"`);
    const value = Number(text);
    if (value < low || value > high) this.fail(`${what} ${text} is outside ${low}..${high}`);
    return value;
  }
  point() {
    const x = this.number('x', 0, kWindowSize - 1);
    return {x, y: this.number('y', 0, kWindowSize - 1)};
  }
  letter() {
    const text = this.word('a key letter');
    if (!/^[A-Za-z]$/.test(text)) this.fail(`a key is one letter, not "${text}"`);
    return text;
  }
  // An optional trailing "N times" (or "1 time").
  times() {
    if (this.done()) return 1;
    const n = this.number('a count', 1, 10000);
    const word = n === 1 ? 'time' : 'times';
    if (!this.take(word)) this.fail(`expected "${word}"`);
    return n;
  }
  end() {
    if (!this.done()) this.fail(`unexpected "${this.peek()}"`);
  }
  fail(message) {
    throw new FormatError(`line ${this.line}: ${message}`);
  }
}

function buttonNamed(words) {
  const name = words.word('left or right');
  if (name === 'left') return 1;
  if (name === 'right') return 3;
  return words.fail(`a button is left or right, not "${name}"`);
}

// expect [no] piece|ball [stays] [near X Y] [within R] [size WxH]
function readBlob(words, step) {
  step.kind = 'expectBlob';
  step.absent = words.take('no');
  const subject = words.word('piece or ball');
  if (subject !== 'piece' && subject !== 'ball') {
    words.fail(`expected piece or ball, found "${subject}"`);
  }
  step.subject = subject;
  step.held = words.take('stays');
  if (words.take('near')) {
    step.near = true;
    step.points.push(words.point());
  }
  while (!words.done()) {
    if (words.take('within')) {
      step.within = words.number('a radius', 1, kWindowSize);
    } else if (words.take('size')) {
      const size = words.word('a size WxH');
      const match = /^([0-9]{1,4})x([0-9]{1,4})$/.exec(size);
      if (!match) words.fail(`a size is WxH in pixels, not "${size}"`);
      step.width = Number(match[1]);
      step.height = Number(match[2]);
    } else {
      words.fail(`unexpected "${words.peek()}"`);
    }
  }
  if (step.absent && step.width > 0) words.fail('"no" takes no "size"');
  if (!step.near && (step.within !== kDefaultWithin || step.width > 0)) {
    words.fail('"within" and "size" need "near X Y"');
  }
}

function readExpectation(words, step) {
  if (words.take('colour')) {
    step.kind = 'expectColour';
    step.rgb = [0, 1, 2].map(() => words.number('a colour level', 0, 255));
    words.expect('at');
    step.points.push(words.point());
  } else if (words.take('palettes')) {
    step.kind = 'expectPalettes';
  } else if (words.take('help')) {
    step.kind = 'expectHelp';
    if (words.done()) words.fail('expected how many times');
    step.count = words.times();
  } else if (words.take('ended')) {
    step.kind = 'expectEnded';
  } else if (words.take('title')) {
    step.kind = 'expectTitle';
    const parts = [words.word('a title')];
    while (!words.done()) parts.push(words.word('a title'));
    step.title = parts.join(' ');
  } else {
    readBlob(words, step);
  }
  words.end();
}

// One line as a step, or null for a blank or comment line.
export function parseLine(raw, line) {
  const text = raw.split('#')[0].trim();
  const words = new Words(text, line);
  if (words.done()) return null;
  const step = {
    kind: '',
    line,
    text,
    points: [],
    button: 1,
    fingers: 1,
    stride: 0,
    key: '',
    count: 1,
    subject: 'piece',
    absent: false,
    held: false,
    near: false,
    within: kDefaultWithin,
    width: 0,
    height: 0,
    rgb: [0, 0, 0],
    name: '',
    title: '',
  };
  const verb = words.word('a step');
  if (verb === 'move' || verb === 'click' || verb === 'tap') {
    step.kind = verb;
    step.points.push(words.point());
  } else if (verb === 'drag' || verb === 'swipe') {
    step.kind = verb;
    if (verb === 'drag') step.button = buttonNamed(words);
    else step.fingers = words.take('two') ? 2 : 1;
    step.points.push(words.point());
    while (words.take('to')) step.points.push(words.point());
    if (step.points.length < 2) words.fail(`a ${verb} goes from one point "to" another`);
    words.expect('by');
    step.stride = words.number('the pixels between motion events', 1, kWindowSize);
  } else if (verb === 'key' || verb === 'button') {
    step.kind = verb;
    step.key = words.letter();
    step.count = words.times();
  } else if (
    verb === 'keydown' ||
    verb === 'keyup' ||
    verb === 'buttondown' ||
    verb === 'buttonup'
  ) {
    step.kind = {
      keydown: 'keyDown',
      keyup: 'keyUp',
      buttondown: 'buttonDown',
      buttonup: 'buttonUp',
    }[verb];
    step.key = words.letter();
  } else if (verb === 'turn' || verb === 'leave') {
    step.kind = verb;
  } else if (verb === 'switch') {
    words.expect('tab');
    step.kind = 'switchTab';
  } else if (verb === 'step') {
    if (words.take('until')) {
      words.expect('still');
      step.kind = 'stepUntilStill';
    } else {
      step.kind = 'step';
      step.count = words.times();
    }
  } else if (verb === 'expect') {
    readExpectation(words, step);
  } else if (verb === 'snapshot') {
    step.kind = 'snapshot';
    step.name = words.word('a name');
    if (!/^[a-z0-9_-]+$/.test(step.name)) {
      words.fail("a snapshot's name is lower-case letters, digits, _ and -");
    }
  } else {
    words.fail(`unknown step "${verb}"`);
  }
  words.end();
  return step;
}

// Every step of a scenario file's text, in order; throws FormatError at the
// first line that is not one, and for a file with no step at all.
export function parseScenario(text) {
  const steps = [];
  text.split('\n').forEach((raw, index) => {
    const step = parseLine(raw, index + 1);
    if (step !== null) steps.push(step);
  });
  if (steps.length === 0) throw new FormatError('the scenario has no step');
  return steps;
}

// The motion events of a drag (or a swipe) after its press at points[0]: along each
// straight line to the next point, n = round(length / stride) events (one at
// least), the i-th at start + (end - start) * i / n in whole pixels
// (truncated toward zero), so the last lands on the line's end.
export function dragMotion(drag) {
  const motion = [];
  let from = drag.points[0];
  for (const to of drag.points.slice(1)) {
    const dx = to.x - from.x;
    const dy = to.y - from.y;
    const n = Math.max(1, Math.floor(Math.sqrt(dx * dx + dy * dy) / drag.stride + 0.5));
    for (let i = 1; i <= n; i += 1) {
      motion.push({x: from.x + Math.trunc((dx * i) / n), y: from.y + Math.trunc((dy * i) / n)});
    }
    from = to;
  }
  return motion;
}
