// SPDX-License-Identifier: MIT
// The page's side of the browser platform layer: it turns the canvas's
// pointer and key events, timers and animation frames into calls of the
// layer's exported C functions, and ends the toy cleanly when it exits.
//
// Reproduced: GLUT's event delivery as the desktop gives it: keys go to the
// window under the pointer; a button held keeps sending motion to the window
// it was pressed in, even outside it; the wheel arrives as buttons 3 and 4.
// Not reproduced: special keys (arrows, function keys), which the toy does
// not use, and keys typed with Ctrl, Alt or Meta, left to the browser.
mergeInto(LibraryManager.library, {
  $BallcoursePage__deps: ['$runtimeKeepalivePop'],
  $BallcoursePage: {
    ended: false,
    timers: {},      // pending setTimeout handles, by handle
    frame: 0,
    pointer: null,   // the last pointer position on the canvas, or null
    buttons: 0,      // bit per GLUT button held
    listeners: [],

    // Runs a call into the program. exit() inside it throws ExitStatus: the
    // main loop kept the runtime alive, so the exit is finished here, where
    // the loop stops; nothing escapes to the page as an uncaught exception.
    dispatch: function(call) {
      if (BallcoursePage.ended) return;
      try {
        call();
      } catch (e) {
        if (e instanceof ExitStatus) {
          BallcoursePage.end(e.status);
        } else if (e !== 'unwind') {
          throw e;
        }
      }
    },

    end: function(status) {
      BallcoursePage.ended = true;
      Object.keys(BallcoursePage.timers).forEach(function(t) { clearTimeout(Number(t)); });
      BallcoursePage.timers = {};
      if (BallcoursePage.frame) cancelAnimationFrame(BallcoursePage.frame);
      BallcoursePage.listeners.forEach(function(l) { l[0].removeEventListener(l[1], l[2], l[3]); });
      runtimeKeepalivePop();
      try {
        exit(status);  // runs the exit handlers, then Module.onExit
      } catch (e) {
        if (!(e instanceof ExitStatus)) throw e;
      }
    },

    listen: function(target, type, handler, options) {
      target.addEventListener(type, handler, options);
      BallcoursePage.listeners.push([target, type, handler, options]);
    },

    // Canvas pixel of a pointer event, rows from the top.
    canvasPixel: function(event) {
      var canvas = Module['canvas'];
      var box = canvas.getBoundingClientRect();
      var x = (event.clientX - box.left) * canvas.width / box.width;
      var y = (event.clientY - box.top) * canvas.height / box.height;
      return {x: Math.floor(x), y: Math.floor(y),
              inside: x >= 0 && y >= 0 && x < canvas.width && y < canvas.height};
    },

    // The byte GLUT's keyboard callback gets, or -1 for a key it does not report.
    keyByte: function(event) {
      if (event.ctrlKey || event.altKey || event.metaKey) return -1;
      if (event.key.length === 1 && event.key.charCodeAt(0) < 128) return event.key.charCodeAt(0);
      var named = {'Enter': 13, 'Escape': 27, 'Backspace': 8, 'Tab': 9, 'Delete': 127};
      return named.hasOwnProperty(event.key) ? named[event.key] : -1;
    },

    install: function() {
      var page = BallcoursePage;
      var canvas = Module['canvas'];
      page.listen(canvas, 'contextmenu', function(e) { e.preventDefault(); });
      page.listen(canvas, 'mousedown', function(e) {
        e.preventDefault();
        var p = page.canvasPixel(e);
        page.pointer = p;
        page.buttons |= 1 << e.button;
        page.dispatch(function() { _ballcourse_mouse_button(e.button, 1, p.x, p.y); });
      });
      page.listen(window, 'mouseup', function(e) {
        if (!(page.buttons & (1 << e.button))) return;
        page.buttons &= ~(1 << e.button);
        var p = page.canvasPixel(e);
        page.dispatch(function() { _ballcourse_mouse_button(e.button, 0, p.x, p.y); });
      });
      page.listen(window, 'mousemove', function(e) {
        var p = page.canvasPixel(e);
        page.pointer = p.inside ? p : null;
        if (!p.inside && !page.buttons) return;
        page.dispatch(function() { _ballcourse_mouse_move(p.x, p.y); });
      });
      page.listen(canvas, 'mouseleave', function() { if (!page.buttons) page.pointer = null; });
      page.listen(canvas, 'wheel', function(e) {
        e.preventDefault();
        var p = page.canvasPixel(e);
        var button = e.deltaY < 0 ? 3 : 4;
        page.dispatch(function() {
          _ballcourse_mouse_button(button, 1, p.x, p.y);
          _ballcourse_mouse_button(button, 0, p.x, p.y);
        });
      }, {passive: false});
      var key = function(down) {
        return function(e) {
          var p = page.pointer;
          if (p === null) return;  // keys go to the window under the pointer: none
          if (e.key && e.key.indexOf('Arrow') === 0) e.preventDefault();
          var byte = page.keyByte(e);
          if (byte < 0) return;
          e.preventDefault();  // the toy's keys never scroll or search the page
          page.dispatch(function() { _ballcourse_key(byte, down, p.x, p.y); });
        };
      };
      page.listen(window, 'keydown', key(1));
      page.listen(window, 'keyup', key(0));
    },
  },

  ballcourse_page_open__deps: ['$BallcoursePage'],
  ballcourse_page_open: function(width, height) {
    var canvas = Module['canvas'];
    canvas.width = width;
    canvas.height = height;
    BallcoursePage.install();
  },

  ballcourse_page_set_title: function(title) {
    if (typeof document !== 'undefined') document.title = UTF8ToString(title);
  },

  ballcourse_page_request_frame__deps: ['$BallcoursePage'],
  ballcourse_page_request_frame: function() {
    var page = BallcoursePage;
    if (page.frame || page.ended) return;
    page.frame = requestAnimationFrame(function() {
      page.frame = 0;
      page.dispatch(function() {
        var start = performance.now();
        var drewMain = _ballcourse_animation_frame();
        // The page learns of each drawing of the main window and what it cost.
        if (drewMain && Module['onFrame']) Module['onFrame'](performance.now() - start);
      });
    });
  },

  ballcourse_page_set_timer__deps: ['$BallcoursePage'],
  ballcourse_page_set_timer: function(milliseconds, id) {
    var page = BallcoursePage;
    if (page.ended) return;
    var handle = setTimeout(function() {
      delete page.timers[handle];
      page.dispatch(function() { _ballcourse_timer(id); });
    }, milliseconds);
    page.timers[handle] = true;
  },
});
