// SPDX-License-Identifier: MIT
// GLUT's windows on one canvas: the top-level window is the whole canvas
// and each sub-window a rectangle of it, drawn over its parent. Each window
// has its own callbacks and its own OpenGL state.
//
// Reproduced: window identifiers from 1, the current window that GL and
// glutPostRedisplay act on, a reshape before a window's first display,
// sub-windows drawn after (over) their parent and hit first by the pointer.
// Not reproduced: more than one top-level window (a second one gets 0),
// moving, resizing, hiding or destroying windows.
#pragma once

#include <vector>

#include "web/gl_state.h"
#include "web/renderer.h"

namespace web {

struct GlutCallbacks {
    void (*display)() = nullptr;
    void (*reshape)(int, int) = nullptr;
    void (*keyboard)(unsigned char, int, int) = nullptr;
    void (*keyboardUp)(unsigned char, int, int) = nullptr;
    void (*mouse)(int, int, int, int) = nullptr;
    void (*motion)(int, int) = nullptr;
    void (*passiveMotion)(int, int) = nullptr;
};

struct GlutWindow {
    int id = 0;
    int parent = 0;               // 0 for the top-level window
    CanvasRect rect{0, 0, 0, 0};  // on the canvas, from its top-left corner
    GlutCallbacks callbacks;
    GlState gl;
    bool needsReshape = true;
    bool needsDisplay = true;
};

// Creates the top-level window of width by height; its identifier, or 0 when
// there is one already.
int createTopWindow(int width, int height);
// Creates a sub-window at (x, y) of its parent, width by height; its
// identifier, or 0 for a parent that does not exist.
int createSubWindow(int parent, int x, int y, int width, int height);

// The window with identifier `id`, or null.
GlutWindow* findWindow(int id);
// The top-level window, or null before it is created.
GlutWindow* topWindow();
// The current window, or null before the first one is created.
GlutWindow* currentWindow();
// Makes window `id` current, with its GL state; an unknown id changes nothing.
void setCurrentWindow(int id);

// The window under canvas pixel (x, y): the last-created sub-window that
// holds it, else the top-level window; null outside the canvas.
GlutWindow* windowAt(int x, int y);
// Every window in drawing order: each parent before its sub-windows.
std::vector<GlutWindow*> windowsInDrawingOrder();

}  // namespace web
