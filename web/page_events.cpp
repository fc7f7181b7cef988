// SPDX-License-Identifier: MIT
// The page's events handed to the GLUT callbacks of the right window, as the
// desktop's window system hands them: the window under the pointer gets a
// key's press and a button's press; the window a key's press went to gets
// its release, wherever the pointer is by then; the window a button's press
// went to keeps the pointer (motion and the release) until every button is
// up; coordinates are the window's own.
// The page's command buttons have no place on the canvas: their keys go to
// the top-level window, as a key typed over it would.
// Animation frames run the reshapes and displays that are due. When the
// canvas comes to show at another size in device pixels, its drawing buffer
// follows and every window is drawn again; the windows keep their size in
// the program's pixels, so no window is reshaped.
#include <GL/freeglut.h>
#include <emscripten.h>

#include <vector>

#include "web/glut_windows.h"
#include "web/renderer.h"

namespace {

int grabbedWindow = 0;  // the window a held button was pressed in, or 0
int buttonsHeld = 0;    // one bit per GLUT button

// Runs `call` with `window` current and then the previous window current
// again, as GLUT does around a reshape or a display.
template <typename Call>
void withWindow(web::GlutWindow& window, Call call) {
    web::GlutWindow* previous = web::currentWindow();
    web::setCurrentWindow(window.id);
    call();
    if (previous != nullptr) web::setCurrentWindow(previous->id);
}

void reshape(web::GlutWindow& window) {
    window.needsReshape = false;
    const int width = window.rect.width, height = window.rect.height;
    withWindow(window, [&] {
        if (window.callbacks.reshape != nullptr) {
            window.callbacks.reshape(width, height);
        } else {
            glViewport(0, 0, width, height);  // GLUT's own reshape
        }
    });
}

void display(web::GlutWindow& window) {
    window.needsDisplay = false;
    if (window.callbacks.display != nullptr) {
        withWindow(window, [&] { window.callbacks.display(); });
    }
}

// An input callback runs with its window current and leaves it so; a window
// without that callback takes nothing and stays as it was, so passing over a
// palette does not steal the current window from the main one.
template <typename Callback, typename... Args>
void invoke(web::GlutWindow* window, Callback callback, Args... args) {
    if (window == nullptr || callback == nullptr) return;
    web::setCurrentWindow(window->id);
    callback(args...);
}

}  // namespace

extern "C" {

// Draws what is due; returns 1 when the top-level window was drawn.
EMSCRIPTEN_KEEPALIVE int ballcourse_animation_frame() {
    int drewTop = 0;
    std::vector<int> redrawn;
    for (web::GlutWindow* window : web::windowsInDrawingOrder()) {
        // A parent's clear paints over its sub-windows' rectangles too.
        for (int id : redrawn) {
            if (window->parent == id) window->needsDisplay = true;
        }
        if (window->needsReshape) reshape(*window);
        if (window->needsDisplay) {
            display(*window);
            redrawn.push_back(window->id);
            if (window->parent == 0) drewTop = 1;
        }
    }
    web::flushDrawing();  // for a display that does not swap
    return drewTop;
}

// The canvas shows `across` device pixels wide now. Returns 1 when its
// drawing buffer was resized, and so cleared: every window is then due to
// be drawn, which the page does at once, before it shows the buffer.
EMSCRIPTEN_KEEPALIVE int ballcourse_canvas_shown(int across) {
    if (!web::sizeDrawingBuffer(across)) return 0;
    for (web::GlutWindow* window : web::windowsInDrawingOrder()) window->needsDisplay = true;
    return 1;
}

EMSCRIPTEN_KEEPALIVE void ballcourse_mouse_button(int button, int down, int x, int y) {
    const int bit = 1 << button;
    web::GlutWindow* window = nullptr;
    if (down != 0) {
        window = buttonsHeld != 0 ? web::findWindow(grabbedWindow) : web::windowAt(x, y);
        if (window == nullptr) return;
        grabbedWindow = window->id;
        buttonsHeld |= bit;
    } else {
        if ((buttonsHeld & bit) == 0) return;
        buttonsHeld &= ~bit;
        window = web::findWindow(grabbedWindow);
        if (buttonsHeld == 0) grabbedWindow = 0;
        if (window == nullptr) return;
    }
    invoke(window, window->callbacks.mouse, button, down != 0 ? GLUT_DOWN : GLUT_UP,
           x - window->rect.left, y - window->rect.top);
}

EMSCRIPTEN_KEEPALIVE void ballcourse_mouse_move(int x, int y) {
    if (buttonsHeld != 0) {
        web::GlutWindow* window = web::findWindow(grabbedWindow);
        if (window != nullptr) {
            invoke(window, window->callbacks.motion, x - window->rect.left, y - window->rect.top);
        }
        return;
    }
    web::GlutWindow* window = web::windowAt(x, y);
    if (window != nullptr) {
        invoke(window, window->callbacks.passiveMotion, x - window->rect.left,
               y - window->rect.top);
    }
}

// A key pressed with the pointer at canvas pixel (x, y): to the window there.
// Returns that window's id, which its key-up goes to, or 0 when the pixel is
// in no window and the key is dropped.
EMSCRIPTEN_KEEPALIVE int ballcourse_key_down(int key, int x, int y) {
    web::GlutWindow* window = web::windowAt(x, y);
    if (window == nullptr) return 0;
    invoke(window, window->callbacks.keyboard, static_cast<unsigned char>(key),
           x - window->rect.left, y - window->rect.top);
    return window->id;
}

// A key let go: to `window`, the one that took its key-down, wherever the
// pointer (x, y) is by then, as a window that has the keyboard hears the
// release even with the pointer outside it.
EMSCRIPTEN_KEEPALIVE void ballcourse_key_up(int key, int window, int x, int y) {
    web::GlutWindow* target = web::findWindow(window);
    if (target == nullptr) return;
    invoke(target, target->callbacks.keyboardUp, static_cast<unsigned char>(key),
           x - target->rect.left, y - target->rect.top);
}

// The mouse buttons the toy holds down, a bit per GLUT button: what the page
// checks its own record against.
EMSCRIPTEN_KEEPALIVE int ballcourse_buttons_held() {
    return buttonsHeld;
}

// A command button's key: to the top-level window wherever the pointer is,
// with (x, y) the canvas pixel reported as the pointer's position.
EMSCRIPTEN_KEEPALIVE void ballcourse_command_key(int key, int down, int x, int y) {
    web::GlutWindow* window = web::topWindow();
    if (window == nullptr) return;
    invoke(window, down != 0 ? window->callbacks.keyboard : window->callbacks.keyboardUp,
           static_cast<unsigned char>(key), x - window->rect.left, y - window->rect.top);
}

}  // extern "C"
