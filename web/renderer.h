// SPDX-License-Identifier: MIT
// Draws the fixed-function pictures of every window into the page's one
// WebGL canvas: each window is a rectangle of the canvas, and each draw or
// clear is scissored to its rectangle, as a desktop window clips to itself.
// The canvas's drawing buffer has the screen's own pixels, which may be more
// than the program's: the program's rectangles are scaled to it where they
// are sent to WebGL, and nowhere else.
//
// Reproduced: OpenGL's per-vertex lighting with light 0 (ambient, diffuse
// and specular terms, a positional or directional light, the infinite
// viewer, one-sided lighting) evaluated as Mesa's fixed-function vertex
// program does, colours interpolated across each triangle; the depth test
// GL_LESS; normals used unnormalised unless GL_NORMALIZE is on.
// Not reproduced: rasterisation rules bit for bit (edge pixels may differ),
// flat shading, blending, anything the program does not draw with.
#pragma once

#include <string>
#include <vector>

#include "web/gl_state.h"

namespace web {

// A window's rectangle in the program's pixels, from the canvas's top-left
// corner.
struct CanvasRect {
    int left;
    int top;
    int width;
    int height;
};

// A triangle list in the renderer's buffers; made once per shape.
struct GpuMesh {
    unsigned buffer = 0;
    int vertexCount = 0;
};

// Why the renderer cannot draw: a few words for the page to show, and the
// driver's own log of it (empty when the driver wrote none).
struct RendererFailure {
    std::string what;
    std::string log;
};

// Opens WebGL on the canvas matching `selector` (e.g. "#toy"), of the
// program's width by height, keeping its drawing buffer between frames so
// the page can read it at any time. False, with why in `failure`, when the
// browser gives no WebGL context or the driver does not compile or link the
// renderer's shaders; nothing is drawn then.
bool openRenderer(const char* selector, int canvasWidth, int canvasHeight,
                  RendererFailure& failure);

// Sizes the drawing buffer to `across` pixels for the program's width, and
// as many down its height at the same scale; what was drawn is cleared.
// False, and nothing changed, when that is its size already or `across` < 1.
bool sizeDrawingBuffer(int across);

// Uploads a triangle list: 3 floats of position and 3 of normal per vertex.
GpuMesh uploadMesh(const std::vector<float>& positions, const std::vector<float>& normals);

// glClear for the window at `rect`: its colour buffer if `colour`, its depth
// buffer if `depth`, within the window only.
void clearWindow(const GlState& gl, const CanvasRect& rect, bool colour, bool depth);

// Draws `mesh` with the state's matrices, lighting and material, through its
// viewport, within the window. Draws alike in a row are held back and sent
// as one; a clear, or flushDrawing, sends them.
void drawMesh(const GlState& gl, const CanvasRect& rect, const GpuMesh& mesh);

// Sends the draws held back: at the end of a window's drawing.
void flushDrawing();

}  // namespace web
