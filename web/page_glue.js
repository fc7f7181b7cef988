// SPDX-License-Identifier: MIT
// The page's side of the browser platform layer: it turns the canvas's
// pointer, touch and key events, the command buttons, timers and animation
// frames into calls of the layer's exported C functions, sizes the canvas's
// drawing buffer to the screen's own pixels, and ends the toy cleanly when it
// exits.
//
// Reproduced: GLUT's event delivery as the desktop gives it: a key's press
// goes to the window under the pointer, and its release to that same window
// wherever the pointer is by then; a button held keeps sending motion to the
// window it was pressed in, even outside it; the wheel arrives as buttons 3
// and 4.
// A key held repeats as the desktop's keyboard repeats it (Z and X on their
// buttons). Touch arrives as the mouse events the toy takes:
//   - a tap (a finger lifted within kTapSlop of where it landed): motion to
//     the point, then a left press and release there;
//   - one finger moving, once past kTapSlop: motion with no button held;
//   - two fingers: a right press at their midpoint when the second lands,
//     motion of the midpoint while either moves, the right release when
//     either lifts; the rest of that touch sends nothing, so the turned piece
//     stays where it was turned.
// The browser's compatibility mouse events for a touch are cancelled at the
// touch's pointerdown, so no tap arrives twice. Positions arrive in the
// program's pixels, whatever size the canvas shows at and however many
// pixels its drawing buffer has.
// The drawing buffer is as many pixels across as the canvas shows device
// pixels (at most kMostDevicePixels to a CSS pixel): exactly, where a
// ResizeObserver reports the device-pixel-content-box, else the CSS width
// times devicePixelRatio, rounded. It follows the canvas when either
// changes: the observer reports a new device-pixel size whether the CSS size
// or the ratio changed; without it, a media query on the ratio says when the
// ratio alone changed (page zoom, another screen).
// What the toy holds (keys, mouse buttons, fingers, command buttons) is kept
// in one record, `held`. When the page loses the keyboard (the window blurs)
// or is hidden or left, letGoOfEverything ends all of it, as the player's
// letting go would: the releases would otherwise go to another tab or
// window, and the toy would go on swinging the camera or turning a piece.
// Not reproduced: special keys (arrows, function keys), which the toy does
// not use, and keys typed with Ctrl, Alt or Meta, left to the browser. The
// mouse's back and forward buttons are not GLUT's: they reach the toy as
// nothing, and never take the page back in history.
mergeInto(LibraryManager.library, {
  $BallcoursePage__deps: ['$runtimeKeepalivePop'],
  $BallcoursePage: {
    ended: false,
    timers: {}, // pending setTimeout handles, by handle
    frame: 0,
    pointer: null, // the last pointer position on the canvas, or null
    lastPixel: null, // the last pointer position, on the canvas or off it, or null
    listeners: [],
    // What the toy has been given as held, and is owed a release for.
    held: {
      keys: {}, // by physical key: {byte, window}, the window that took its press
      buttons: 0, // bit per GLUT button held by the mouse
      touch: null, // the touch under way: {fingers, count, pair, turning}, or null
      commands: {}, // command buttons held, by key: their repeat timer or 0
    },
    width: 0, // the program's window, in its pixels
    height: 0,
    observer: null, // the ResizeObserver the drawing buffer follows, or null

    // A finger that moves less than this, in CSS pixels, still taps.
    kTapSlop: 10,
    // A held Z or X repeats as an X server's keyboard does by default:
    // first after 660 ms, then 25 times a second.
    kRepeatDelayMs: 660,
    kRepeatIntervalMs: 40,
    kRepeatingKeys: 'zx',
    // More device pixels to a CSS pixel than this cost more fill than they
    // show on a phone's screen.
    kMostDevicePixels: 3,

    // Runs a call into the program. exit() inside it throws ExitStatus: the
    // main loop kept the runtime alive, so the exit is finished here, where
    // the loop stops; nothing escapes to the page as an uncaught exception.
    dispatch: function (call) {
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

    end: function (status) {
      BallcoursePage.ended = true;
      Object.keys(BallcoursePage.timers).forEach(function (t) {
        clearTimeout(Number(t));
      });
      BallcoursePage.timers = {};
      if (BallcoursePage.frame) cancelAnimationFrame(BallcoursePage.frame);
      Object.keys(BallcoursePage.held.commands).forEach(function (k) {
        clearTimeout(BallcoursePage.held.commands[k]);
      });
      BallcoursePage.held.commands = {};
      BallcoursePage.listeners.forEach(function (l) {
        l[0].removeEventListener(l[1], l[2], l[3]);
      });
      if (BallcoursePage.observer) BallcoursePage.observer.disconnect();
      runtimeKeepalivePop();
      try {
        exit(status); // runs the exit handlers, then Module.onExit
      } catch (e) {
        if (!(e instanceof ExitStatus)) throw e;
      }
    },

    listen: function (target, type, handler, options) {
      target.addEventListener(type, handler, options);
      BallcoursePage.listeners.push([target, type, handler, options]);
    },

    // The program's pixel under a pointer event, rows from the top.
    canvasPixel: function (event) {
      var page = BallcoursePage;
      var box = Module['canvas'].getBoundingClientRect();
      var x = ((event.clientX - box.left) * page.width) / box.width;
      var y = ((event.clientY - box.top) * page.height) / box.height;
      return {
        x: Math.floor(x),
        y: Math.floor(y),
        inside: x >= 0 && y >= 0 && x < page.width && y < page.height,
      };
    },

    // Draws what is due; the page learns of each drawing of the main window
    // and what it cost.
    drawFrame: function () {
      var start = performance.now();
      var drewMain = _ballcourse_animation_frame();
      if (drewMain && Module['onFrame']) Module['onFrame'](performance.now() - start);
    },

    // The drawing buffer's pixels across for a canvas `cssWidth` CSS pixels
    // wide that covers `exact` device pixels (0: not reported). An exact size
    // more than a pixel away from the CSS size times the ratio is of another
    // ratio, and not taken: Chromium's device emulation reports the real
    // screen's device pixels beside the emulated screen's ratio.
    bufferAcross: function (cssWidth, exact) {
      var ratio = window.devicePixelRatio || 1;
      var most = BallcoursePage.kMostDevicePixels;
      if (exact > 0 && ratio <= most && Math.abs(exact - cssWidth * ratio) <= 1) return exact;
      return Math.round(cssWidth * Math.min(ratio, most));
    },

    // The canvas covers other device pixels: the buffer follows, and is drawn
    // again at once, since resizing cleared it and the page is about to show
    // it.
    shownAt: function (across) {
      BallcoursePage.dispatch(function () {
        if (_ballcourse_canvas_shown(across)) BallcoursePage.drawFrame();
      });
    },

    followCanvas: function (canvas) {
      var page = BallcoursePage;
      if (typeof ResizeObserver === 'undefined') return; // the size at the start stays
      page.observer = new ResizeObserver(function (entries) {
        var entry = entries[entries.length - 1];
        var device = entry.devicePixelContentBoxSize;
        page.shownAt(page.bufferAcross(entry.contentRect.width, device ? device[0].inlineSize : 0));
      });
      try {
        page.observer.observe(canvas, {box: 'device-pixel-content-box'});
      } catch {
        page.observer.observe(canvas);
        page.watchRatio(canvas);
      }
    },

    // Without device pixels from the observer, a change of ratio alone
    // resizes nothing it sees; a query for the ratio now stops matching.
    watchRatio: function (canvas) {
      var page = BallcoursePage;
      var query = window.matchMedia('(resolution: ' + window.devicePixelRatio + 'dppx)');
      var changed = function () {
        query.removeListener(changed);
        if (page.ended) return;
        page.shownAt(page.bufferAcross(canvas.getBoundingClientRect().width, 0));
        page.watchRatio(canvas);
      };
      query.addListener(changed);
    },

    // The byte GLUT's keyboard callback gets, or -1 for a key it does not report.
    keyByte: function (event) {
      if (event.ctrlKey || event.altKey || event.metaKey) return -1;
      if (event.key.length === 1 && event.key.charCodeAt(0) < 128) return event.key.charCodeAt(0);
      var named = {Enter: 13, Escape: 27, Backspace: 8, Tab: 9, Delete: 127};
      return Object.hasOwn(named, event.key) ? named[event.key] : -1;
    },

    // A finger's place on the page and on the canvas.
    finger: function (event) {
      return {
        clientX: event.clientX,
        clientY: event.clientY,
        pixel: BallcoursePage.canvasPixel(event),
      };
    },

    // The canvas pixel halfway between the touch's first two fingers.
    midpoint: function (fingers) {
      var ids = Object.keys(fingers);
      var a = fingers[ids[0]],
        b = fingers[ids[1]];
      return BallcoursePage.canvasPixel({
        clientX: (a.clientX + b.clientX) / 2,
        clientY: (a.clientY + b.clientY) / 2,
      });
    },

    touchDown: function (e) {
      var page = BallcoursePage;
      var touch =
        page.held.touch || (page.held.touch = {fingers: {}, count: 0, pair: false, turning: false});
      if (touch.count === 2) return; // further fingers take no part
      var f = page.finger(e);
      f.startX = e.clientX;
      f.startY = e.clientY;
      f.carrying = false;
      touch.fingers[e.pointerId] = f;
      touch.count += 1;
      if (touch.count < 2) return; // a finger that lands moves nothing
      touch.pair = true;
      touch.turning = true;
      var m = page.midpoint(touch.fingers);
      page.dispatch(function () {
        _ballcourse_mouse_button(2, 1, m.x, m.y);
      });
    },

    touchMove: function (e) {
      var page = BallcoursePage;
      var touch = page.held.touch;
      var f = touch && touch.fingers[e.pointerId];
      if (!f) return;
      var now = page.finger(e);
      f.clientX = now.clientX;
      f.clientY = now.clientY;
      f.pixel = now.pixel;
      if (touch.pair) {
        if (!touch.turning) return;
        var m = page.midpoint(touch.fingers);
        page.dispatch(function () {
          _ballcourse_mouse_move(m.x, m.y);
        });
        return;
      }
      if (!f.carrying && Math.hypot(f.clientX - f.startX, f.clientY - f.startY) < page.kTapSlop)
        return;
      f.carrying = true;
      var p = f.pixel;
      page.lastPixel = p;
      if (!p.inside) return;
      page.pointer = p;
      page.dispatch(function () {
        _ballcourse_mouse_move(p.x, p.y);
      });
    },

    // A lifted finger (`lifted`), or one the browser took back (a cancel).
    touchUp: function (e, lifted) {
      var page = BallcoursePage;
      var touch = page.held.touch;
      var f = touch && touch.fingers[e.pointerId];
      if (!f) return;
      if (touch.turning) {
        touch.turning = false;
        var m = page.midpoint(touch.fingers);
        page.dispatch(function () {
          _ballcourse_mouse_button(2, 0, m.x, m.y);
        });
      } else if (lifted && !touch.pair && !f.carrying) {
        var p = page.canvasPixel(e);
        page.lastPixel = p;
        if (p.inside) {
          page.pointer = p;
          page.dispatch(function () {
            _ballcourse_mouse_move(p.x, p.y);
            _ballcourse_mouse_button(0, 1, p.x, p.y);
            _ballcourse_mouse_button(0, 0, p.x, p.y);
          });
        }
      }
      delete touch.fingers[e.pointerId];
      touch.count -= 1;
      if (touch.count === 0) page.held.touch = null;
    },

    // A command button's key to the main window, reported at the pointer's
    // last place on the canvas, or its middle.
    commandKey: function (key, down) {
      var page = BallcoursePage;
      var p = page.pointer || {x: page.width >> 1, y: page.height >> 1};
      BallcoursePage.dispatch(function () {
        _ballcourse_command_key(key.charCodeAt(0), down, p.x, p.y);
      });
    },

    commandDown: function (key) {
      var page = BallcoursePage;
      var commands = page.held.commands;
      if (Object.hasOwn(commands, key)) return;
      commands[key] = 0;
      page.commandKey(key, 1);
      if (page.kRepeatingKeys.indexOf(key) < 0) return;
      var repeat = function (delay) {
        commands[key] = setTimeout(function () {
          if (page.ended) return;
          page.commandKey(key, 1);
          repeat(page.kRepeatIntervalMs);
        }, delay);
      };
      repeat(page.kRepeatDelayMs);
    },

    commandUp: function (key) {
      var page = BallcoursePage;
      var commands = page.held.commands;
      if (!Object.hasOwn(commands, key)) return;
      clearTimeout(commands[key]);
      delete commands[key];
      page.commandKey(key, 0);
    },

    // A key pressed goes to the window under the pointer; the window that
    // takes it is owed its release. A key pressed with the pointer over no
    // window is dropped, and so is its release.
    keyDown: function (e) {
      var page = BallcoursePage;
      var p = page.pointer;
      if (p === null) return;
      if (e.key && e.key.indexOf('Arrow') === 0) e.preventDefault();
      var byte = page.keyByte(e);
      if (byte < 0) return;
      e.preventDefault(); // the toy's keys never scroll or search the page
      var code = e.code || e.key;
      page.dispatch(function () {
        var taker = _ballcourse_key_down(byte, p.x, p.y);
        // A repeat leaves the release with the window of the first press.
        if (taker && !Object.hasOwn(page.held.keys, code)) {
          page.held.keys[code] = {byte: byte, window: taker};
        }
      });
    },

    // A key let go, wherever the pointer is, with whatever Ctrl or Shift
    // held: the release of the key the toy holds, as it was pressed.
    keyUp: function (e) {
      var page = BallcoursePage;
      var code = e.code || e.key;
      if (!Object.hasOwn(page.held.keys, code)) return;
      e.preventDefault();
      page.releaseKey(code);
    },

    releaseKey: function (code) {
      var page = BallcoursePage;
      var key = page.held.keys[code];
      var p = page.lastPixel || {x: page.width >> 1, y: page.height >> 1};
      delete page.held.keys[code];
      page.dispatch(function () {
        _ballcourse_key_up(key.byte, key.window, p.x, p.y);
      });
    },

    // Ends everything the toy holds, as if the player had let go of it all:
    // each key's release to the window that took its press, each mouse
    // button's release where the pointer was last seen, every finger as a
    // cancelled touch, every command button let go.
    letGoOfEverything: function () {
      var page = BallcoursePage;
      var held = page.held;
      Object.keys(held.keys).forEach(page.releaseKey);
      var p = page.lastPixel || {x: page.width >> 1, y: page.height >> 1};
      [0, 1, 2].forEach(function (button) {
        if (!(held.buttons & (1 << button))) return;
        held.buttons &= ~(1 << button);
        page.dispatch(function () {
          _ballcourse_mouse_button(button, 0, p.x, p.y);
        });
      });
      if (held.touch) {
        Object.keys(held.touch.fingers).forEach(function (id) {
          page.touchUp({pointerId: id}, false);
        });
      }
      Object.keys(held.commands).forEach(page.commandUp);
    },

    // What is held now, as the page and the program each see it, for a
    // test to check that letting go left nothing behind.
    heldNow: function () {
      var held = BallcoursePage.held;
      return {
        keys: Object.keys(held.keys),
        buttons: held.buttons,
        programButtons: BallcoursePage.ended || ABORT ? 0 : _ballcourse_buttons_held(),
        fingers: held.touch ? held.touch.count : 0,
        commands: Object.keys(held.commands),
      };
    },

    install: function () {
      var page = BallcoursePage;
      var canvas = Module['canvas'];
      page.installMouse(canvas);
      page.installHistoryButtons();
      page.installWheel(canvas);
      page.installTouch(canvas);
      page.installCommandButtons();
      page.listen(window, 'keydown', page.keyDown);
      page.listen(window, 'keyup', page.keyUp);
      page.installLettingGo();
      page.followCanvas(canvas);
      page.installLeaving();
      Module['heldInput'] = page.heldNow;
    },

    cancel: function (e) {
      e.preventDefault();
    },

    installMouse: function (canvas) {
      var page = BallcoursePage;
      var held = page.held;
      var glutButton = function (button) {
        return button >= 0 && button <= 2;
      };
      page.listen(canvas, 'contextmenu', page.cancel);
      page.listen(canvas, 'mousedown', function (e) {
        e.preventDefault();
        if (!glutButton(e.button)) return;
        var p = page.canvasPixel(e);
        page.pointer = page.lastPixel = p;
        held.buttons |= 1 << e.button;
        page.dispatch(function () {
          _ballcourse_mouse_button(e.button, 1, p.x, p.y);
        });
      });
      page.listen(window, 'mouseup', function (e) {
        if (!glutButton(e.button) || !(held.buttons & (1 << e.button))) return;
        held.buttons &= ~(1 << e.button);
        var p = (page.lastPixel = page.canvasPixel(e));
        page.dispatch(function () {
          _ballcourse_mouse_button(e.button, 0, p.x, p.y);
        });
      });
      page.listen(window, 'mousemove', function (e) {
        var p = (page.lastPixel = page.canvasPixel(e));
        page.pointer = p.inside ? p : null;
        if (!p.inside && !held.buttons) return;
        page.dispatch(function () {
          _ballcourse_mouse_move(p.x, p.y);
        });
      });
      page.listen(canvas, 'mouseleave', function () {
        if (!held.buttons) page.pointer = null;
      });
    },

    // The back and forward buttons go back and forward in history when let
    // go, anywhere on the page, unless cancelled; the course would go.
    installHistoryButtons: function () {
      ['mousedown', 'mouseup', 'auxclick'].forEach(function (type) {
        BallcoursePage.listen(
          window,
          type,
          function (e) {
            if (e.button === 3 || e.button === 4) e.preventDefault();
          },
          true,
        );
      });
    },

    installWheel: function (canvas) {
      var page = BallcoursePage;
      page.listen(
        canvas,
        'wheel',
        function (e) {
          e.preventDefault();
          if (e.deltaY === 0) return; // a sideways swipe turns no wheel
          var p = page.canvasPixel(e);
          var button = e.deltaY < 0 ? 3 : 4;
          page.dispatch(function () {
            _ballcourse_mouse_button(button, 1, p.x, p.y);
            _ballcourse_mouse_button(button, 0, p.x, p.y);
          });
        },
        {passive: false},
      );
      // A sideways swipe anywhere on the page would go back in history too;
      // the page never scrolls sideways, so it loses nothing by this.
      page.listen(
        window,
        'wheel',
        function (e) {
          if (Math.abs(e.deltaX) > Math.abs(e.deltaY)) e.preventDefault();
        },
        {passive: false},
      );
    },

    // Cancelling pointerdown also stops the mouse events the browser would
    // make from the touch for pages that know only the mouse.
    installTouch: function (canvas) {
      var page = BallcoursePage;
      var touchOnly = function (handler) {
        return function (e) {
          if (e.pointerType === 'touch') handler(e);
        };
      };
      page.listen(
        canvas,
        'pointerdown',
        touchOnly(function (e) {
          e.preventDefault();
          canvas.setPointerCapture(e.pointerId);
          page.touchDown(e);
        }),
      );
      page.listen(canvas, 'pointermove', touchOnly(page.touchMove));
      page.listen(
        canvas,
        'pointerup',
        touchOnly(function (e) {
          page.touchUp(e, true);
        }),
      );
      page.listen(
        canvas,
        'pointercancel',
        touchOnly(function (e) {
          page.touchUp(e, false);
        }),
      );
    },

    // The command buttons: a key down when pressed, up when let go, by
    // mouse, pen or finger; a button used from the keyboard (Enter, Space)
    // gives a press and release at once.
    installCommandButtons: function () {
      var page = BallcoursePage;
      document.querySelectorAll('button[data-key]').forEach(function (button) {
        var letter = button.dataset.key;
        page.listen(button, 'pointerdown', function (e) {
          if (e.button !== 0) return;
          e.preventDefault();
          button.setPointerCapture(e.pointerId);
          page.commandDown(letter);
        });
        ['pointerup', 'pointercancel', 'lostpointercapture'].forEach(function (type) {
          page.listen(button, type, function () {
            page.commandUp(letter);
          });
        });
        page.listen(button, 'click', function (e) {
          if (e.detail !== 0) return; // a pointer's click: sent already
          page.commandDown(letter);
          page.commandUp(letter);
        });
        page.listen(button, 'contextmenu', page.cancel);
      });
    },

    // The page loses the keyboard (another window or tab takes it), is
    // hidden, or is left for another page: the releases of what the player
    // holds would go elsewhere, so the toy gets them now. Coming back needs
    // nothing.
    installLettingGo: function () {
      var page = BallcoursePage;
      page.listen(window, 'blur', page.letGoOfEverything);
      page.listen(window, 'pagehide', page.letGoOfEverything);
      page.listen(document, 'visibilitychange', function () {
        if (document.visibilityState === 'hidden') page.letGoOfEverything();
      });
    },

    // Leaving or reloading with pieces on the course asks first; a toy that
    // ended or stopped with an error has no course to keep.
    installLeaving: function () {
      var page = BallcoursePage;
      page.listen(window, 'beforeunload', function (e) {
        if (page.ended || ABORT || _ballcourse_course_pieces() === 0) return;
        e.preventDefault();
        e.returnValue = '';
      });
    },
  },

  ballcourse_page_open__deps: ['$BallcoursePage'],
  ballcourse_page_open: function (width, height) {
    var page = BallcoursePage;
    var canvas = Module['canvas'];
    canvas.width = page.width = width;
    canvas.height = page.height = height;
    page.install();
    return page.bufferAcross(canvas.getBoundingClientRect().width, 0);
  },

  ballcourse_page_set_title: function (title) {
    if (typeof document !== 'undefined') document.title = UTF8ToString(title);
  },

  ballcourse_page_request_frame__deps: ['$BallcoursePage'],
  ballcourse_page_request_frame: function () {
    var page = BallcoursePage;
    if (page.frame || page.ended) return;
    page.frame = requestAnimationFrame(function () {
      page.frame = 0;
      page.dispatch(page.drawFrame);
    });
  },

  ballcourse_page_set_timer__deps: ['$BallcoursePage'],
  ballcourse_page_set_timer: function (milliseconds, id) {
    var page = BallcoursePage;
    if (page.ended) return;
    var handle = setTimeout(function () {
      delete page.timers[handle];
      page.dispatch(function () {
        _ballcourse_timer(id);
      });
    }, milliseconds);
    page.timers[handle] = true;
  },

  // The driver's log to the console; the page (Module.onCannotDraw) says on
  // its status line that the toy cannot draw, and why.
  ballcourse_page_cannot_draw: function (what, log) {
    var words = UTF8ToString(what);
    var driverLog = UTF8ToString(log);
    console.error(
      'The toy cannot draw: ' + words + '. ' + (driverLog ? 'WebGL says:\n' + driverLog : ''),
    );
    if (Module['onCannotDraw']) Module['onCannotDraw'](words);
  },
});
