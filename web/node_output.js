// SPDX-License-Identifier: MIT
// Standard output and error of a program run in node (the course transcript),
// written synchronously.
//
// Emscripten prints through console.log, which queues what a pipe cannot take
// at once; the program's exit then ends node before the queue drains, and a
// slow reader gets a transcript cut short. Each line here is in the pipe
// before print returns, so exit loses nothing, whatever the reader's speed.
//
// fs.writeSync may write part of a buffer, and on a descriptor that node has
// made non-blocking it fails with EAGAIN while the pipe is full: both are
// waited out here, briefly and without spinning, until every byte is written.
(function () {
  const fs = require('fs');
  const pause = new Int32Array(new SharedArrayBuffer(4));

  function writeAll(fd, text) {
    const bytes = Buffer.from(text);
    let written = 0;
    while (written < bytes.length) {
      try {
        written += fs.writeSync(fd, bytes, written, bytes.length - written);
      } catch (error) {
        if (error.code !== 'EAGAIN') throw error;
        Atomics.wait(pause, 0, 0, 1);
      }
    }
  }

  Module['print'] = (line) => writeAll(1, line + '\n');
  Module['printErr'] = (line) => writeAll(2, line + '\n');
})();
