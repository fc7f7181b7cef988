// SPDX-License-Identifier: MIT
// Pictures as binary PPM files (P6, maxval 255), the form the desktop's
// captures are saved in: {width, height, rgb}, rows from the top.

import fs from 'node:fs';
import path from 'node:path';

export function writePpm(file, image) {
  fs.mkdirSync(path.dirname(file), {recursive: true});
  const header = Buffer.from(`P6\n${image.width} ${image.height}\n255\n`, 'latin1');
  fs.writeFileSync(file, Buffer.concat([header, Buffer.from(image.rgb)]));
}

// Throws when the file is not a binary PPM of maxval 255 or is cut short.
export function readPpm(file) {
  const data = fs.readFileSync(file);
  let at = 0;
  const token = () => {
    for (;;) {
      while (at < data.length && /\s/.test(String.fromCharCode(data[at]))) at += 1;
      if (data[at] !== 0x23) break; // '#' starts a comment line
      while (at < data.length && data[at] !== 0x0a) at += 1;
    }
    const start = at;
    while (at < data.length && !/\s/.test(String.fromCharCode(data[at]))) at += 1;
    return data.toString('latin1', start, at);
  };
  if (token() !== 'P6') throw new Error(`${file} is not a binary PPM`);
  const width = Number(token());
  const height = Number(token());
  const maxValue = Number(token());
  at += 1; // the single whitespace byte before the pixels
  const size = width * height * 3;
  if (!(width > 0 && height > 0) || maxValue !== 255 || data.length < at + size) {
    throw new Error(`${file} has an unexpected PPM header or is cut short`);
  }
  return {width, height, rgb: new Uint8Array(data.subarray(at, at + size))};
}
