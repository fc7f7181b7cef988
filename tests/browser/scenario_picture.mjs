// SPDX-License-Identifier: MIT
// What a scenario's expectations see in a picture of the main window (the
// canvas): the pieces' orange and the ball's red, blobs of them, single
// pixels and the palettes. tests/e2e/scenario_picture.h judges the desktop's
// window the same way. A picture is {width, height, rgb}, rows from the top,
// three bytes a pixel.

export const kPaletteSize = 100;
// How far a blob's mean may lie from where it is expected, and its size
// from the size expected, in pixels: a frame's rounding moves an edge by one.
export const kPositionTolerance = 4;
export const kSizeTolerance = 4;
export const kColourTolerance = 3;
// Fewest pixels that make a piece, a ball, a palette's prototype: a block
// shows about 1000 pixels, the ball about 250.
export const kMinPiecePixels = 300;
export const kMinBallPixels = 50;
export const kMinPrototypePixels = 300;

// The lit orange of blocks and curves (ambient 0.8, 0.5, 0.1 under grey light).
export function isPiece(r, g, b) {
  return r >= 150 && g >= 80 && g <= 200 && b <= 90 && r - g >= 40;
}
// The ball's red, from its shaded side (115, 0, 0) to its highlight (230, 56, 56).
export function isBall(r, g, b) {
  return r >= 60 && g <= 80 && b <= 80 && r - g >= 60;
}

function inPalette(x, y) {
  return x < kPaletteSize && y < 2 * kPaletteSize;
}

// The pixels of one colour in [x0, x1) x [y0, y1), with their mean and
// bounding box; `skipPalettes` leaves the palettes' squares out.
export function measure(image, match, x0, y0, x1, y1, skipPalettes) {
  const r = {count: 0, x: NaN, y: NaN, left: 0, top: 0, right: -1, bottom: -1};
  let sumX = 0;
  let sumY = 0;
  for (let y = Math.max(0, y0); y < Math.min(image.height, y1); y += 1) {
    for (let x = Math.max(0, x0); x < Math.min(image.width, x1); x += 1) {
      if (skipPalettes && inPalette(x, y)) continue;
      const at = (y * image.width + x) * 3;
      if (!match(image.rgb[at], image.rgb[at + 1], image.rgb[at + 2])) continue;
      if (r.count++ === 0) {
        r.left = r.right = x;
        r.top = r.bottom = y;
      }
      sumX += x;
      sumY += y;
      r.left = Math.min(r.left, x);
      r.right = Math.max(r.right, x);
      r.top = Math.min(r.top, y);
      r.bottom = Math.max(r.bottom, y);
    }
  }
  if (r.count > 0) {
    r.x = sumX / r.count;
    r.y = sumY / r.count;
  }
  r.width = r.right - r.left + 1;
  r.height = r.bottom - r.top + 1;
  return r;
}

export function describe(r) {
  if (r.count === 0) return 'no such pixel';
  return (
    `${r.count} such pixels, mean (${r.x.toFixed(1)}, ${r.y.toFixed(1)}), ` +
    `${r.width}x${r.height} from (${r.left}, ${r.top})`
  );
}

// A blob expectation on one picture (holding is the driver's to watch):
// {met, seen}, whether the picture meets it and what it shows of it.
export function judgeBlob(step, image) {
  const piece = step.subject === 'piece';
  const match = piece ? isPiece : isBall;
  let [x0, y0, x1, y1] = [0, 0, image.width, image.height];
  if (step.near) {
    const at = step.points[0];
    [x0, y0, x1, y1] = [
      at.x - step.within,
      at.y - step.within,
      at.x + step.within + 1,
      at.y + step.within + 1,
    ];
  }
  const r = measure(image, match, x0, y0, x1, y1, true);
  if (step.absent) return {met: r.count === 0, seen: describe(r)};
  let met = r.count >= (piece ? kMinPiecePixels : kMinBallPixels);
  if (met && step.near) {
    met =
      Math.abs(r.x - step.points[0].x) <= kPositionTolerance &&
      Math.abs(r.y - step.points[0].y) <= kPositionTolerance;
  }
  if (met && step.width > 0) {
    met =
      Math.abs(r.width - step.width) <= kSizeTolerance &&
      Math.abs(r.height - step.height) <= kSizeTolerance;
  }
  return {met, seen: describe(r)};
}

export function judgeColour(step, image) {
  const {x, y} = step.points[0];
  if (x >= image.width || y >= image.height) return {met: false, seen: 'a smaller picture'};
  const at = (y * image.width + x) * 3;
  const got = [image.rgb[at], image.rgb[at + 1], image.rgb[at + 2]];
  const met = got.every((level, i) => Math.abs(level - step.rgb[i]) <= kColourTolerance);
  return {met, seen: `colour ${got.join(' ')}`};
}

export function judgePalettes(image) {
  const block = measure(image, isPiece, 0, 0, kPaletteSize, kPaletteSize, false);
  const curve = measure(image, isPiece, 0, kPaletteSize, kPaletteSize, 2 * kPaletteSize, false);
  return {
    met: block.count >= kMinPrototypePixels && curve.count >= kMinPrototypePixels,
    seen: `block palette: ${describe(block)}; curve palette: ${describe(curve)}`,
  };
}

// Any picture expectation (blob, colour, palettes) of a step.
export function judge(step, image) {
  switch (step.kind) {
    case 'expectBlob':
      return judgeBlob(step, image);
    case 'expectColour':
      return judgeColour(step, image);
    case 'expectPalettes':
      return judgePalettes(image);
    default:
      return {met: false, seen: 'not a picture expectation'};
  }
}

// Pixels of two pictures that differ by more than `levels` in any channel:
// their count and the first of them in reading order, or null.
export function compareFrames(reference, image, levels) {
  if (reference.width !== image.width || reference.height !== image.height) {
    throw new Error(
      `a ${image.width}x${image.height} picture against a ` +
        `${reference.width}x${reference.height} one`,
    );
  }
  let count = 0;
  let first = null;
  const mask = new Uint8Array(image.width * image.height);
  for (let i = 0; i < mask.length; i += 1) {
    const a = reference.rgb.subarray(i * 3, i * 3 + 3);
    const b = image.rgb.subarray(i * 3, i * 3 + 3);
    if (
      Math.abs(a[0] - b[0]) > levels ||
      Math.abs(a[1] - b[1]) > levels ||
      Math.abs(a[2] - b[2]) > levels
    ) {
      mask[i] = 1;
      count += 1;
      if (first === null) {
        first = {
          x: i % image.width,
          y: Math.floor(i / image.width),
          reference: [...a],
          image: [...b],
        };
      }
    }
  }
  return {count, first, mask};
}
