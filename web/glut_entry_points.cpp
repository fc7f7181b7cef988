// SPDX-License-Identifier: MIT
// The GLUT calls the program makes, for the browser: windows and sub-windows
// on one canvas (glut_windows.h), callbacks, timers, the main loop, and the
// solid sphere and cube drawn as the desktop library draws them.
//
// Reproduced: glutMainLoop never returns to its caller; glutPostRedisplay
// marks the current window, drawn at the next animation frame; timers fire
// once each, after their delay, without changing the current window; the
// window title becomes the page's title.
// Not reproduced: display modes (the canvas is always double-buffered RGB
// with depth), the window position, command-line options, and every GLUT
// call the program does not make.
#include <GL/freeglut.h>
#include <emscripten.h>

#include <map>
#include <tuple>

#include "web/glut_windows.h"
#include "web/page.h"
#include "web/renderer.h"
#include "web/solid_shapes.h"

namespace {

int initialWidth = 300;  // GLUT's default window size
int initialHeight = 300;

struct Timer {
    void (*callback)(int);
    int value;
};
std::map<int, Timer> timers;
int nextTimer = 1;

// Each shape is built and uploaded once, on first use.
struct Shape {
    web::Mesh mesh;
    web::GpuMesh gpu;
};
std::map<std::tuple<double, int, int>, Shape> shapes;

template <typename Build>
const Shape& shape(std::tuple<double, int, int> key, Build build) {
    auto found = shapes.find(key);
    if (found == shapes.end()) {
        Shape made{build(), {}};
        made.gpu = web::uploadMesh(made.mesh.positions, made.mesh.normals);
        found = shapes.emplace(key, std::move(made)).first;
    }
    return found->second;
}

// In selection mode a shape only records hits; otherwise it is drawn.
void drawShape(const Shape& s) {
    web::GlutWindow* window = web::currentWindow();
    if (window == nullptr) return;
    web::GlState& gl = window->gl;
    if (gl.selecting) {
        gl.selection.triangles(s.mesh.positions.data(),
                               static_cast<int>(s.mesh.positions.size() / 3), gl.projection.top(),
                               gl.modelview.top());
    } else {
        web::drawMesh(gl, window->rect, s.gpu);
    }
}

template <typename Setter>
void setCallback(Setter set) {
    if (web::GlutWindow* window = web::currentWindow()) set(window->callbacks);
}

}  // namespace

extern "C" {

void glutInit(int* /*argc*/, char** /*argv*/) {}
void glutInitDisplayMode(unsigned int /*mode*/) {}
void glutInitWindowPosition(int /*x*/, int /*y*/) {}

void glutInitWindowSize(int width, int height) {
    if (width > 0 && height > 0) {
        initialWidth = width;
        initialHeight = height;
    }
}

int glutCreateWindow(const char* title) {
    const int id = web::createTopWindow(initialWidth, initialHeight);
    if (id == 0) return 0;
    const int across = ballcourse_page_open(initialWidth, initialHeight);
    ballcourse_page_set_title(title);
    web::RendererFailure failure;
    if (!web::openRenderer("#toy", initialWidth, initialHeight, failure)) {
        ballcourse_page_cannot_draw(failure.what.c_str(), failure.log.c_str());
    }
    web::sizeDrawingBuffer(across);
    ballcourse_page_request_frame();
    return id;
}

int glutCreateSubWindow(int window, int x, int y, int width, int height) {
    const int id = web::createSubWindow(window, x, y, width, height);
    if (id != 0) ballcourse_page_request_frame();
    return id;
}

void glutSetWindow(int window) {
    web::setCurrentWindow(window);
}

int glutGetWindow() {
    const web::GlutWindow* window = web::currentWindow();
    return window != nullptr ? window->id : 0;
}

void glutDisplayFunc(void (*callback)()) {
    setCallback([callback](web::GlutCallbacks& c) { c.display = callback; });
}
void glutReshapeFunc(void (*callback)(int, int)) {
    setCallback([callback](web::GlutCallbacks& c) { c.reshape = callback; });
}
void glutKeyboardFunc(void (*callback)(unsigned char, int, int)) {
    setCallback([callback](web::GlutCallbacks& c) { c.keyboard = callback; });
}
void glutKeyboardUpFunc(void (*callback)(unsigned char, int, int)) {
    setCallback([callback](web::GlutCallbacks& c) { c.keyboardUp = callback; });
}
void glutMouseFunc(void (*callback)(int, int, int, int)) {
    setCallback([callback](web::GlutCallbacks& c) { c.mouse = callback; });
}
void glutMotionFunc(void (*callback)(int, int)) {
    setCallback([callback](web::GlutCallbacks& c) { c.motion = callback; });
}
void glutPassiveMotionFunc(void (*callback)(int, int)) {
    setCallback([callback](web::GlutCallbacks& c) { c.passiveMotion = callback; });
}

void glutPostRedisplay() {
    if (web::GlutWindow* window = web::currentWindow()) {
        window->needsDisplay = true;
        ballcourse_page_request_frame();
    }
}

// The canvas keeps its drawing buffer and the page shows it when the
// animation frame ends, so a swap only sends the draws held back.
void glutSwapBuffers() {
    web::flushDrawing();
}

// time: milliseconds until the callback, as the header names it.
void glutTimerFunc(unsigned int time, void (*callback)(int), int value) {
    if (callback == nullptr) return;
    const int id = nextTimer++;
    timers[id] = Timer{callback, value};
    ballcourse_page_set_timer(time, id);
}

// Events arrive from the page from now on; the runtime stays alive for them
// and this call, like the desktop's, does not come back.
void glutMainLoop() {
    emscripten_exit_with_live_runtime();
}

void glutSolidSphere(GLdouble radius, GLint slices, GLint stacks) {
    drawShape(shape(std::make_tuple(radius, slices, stacks),
                    [&] { return web::solidSphere(radius, slices, stacks); }));
}

void glutSolidCube(GLdouble size) {
    // Stacks of -1 keep the cube's key apart from any sphere's.
    drawShape(shape(std::make_tuple(size, -1, -1), [&] { return web::solidCube(size); }));
}

EMSCRIPTEN_KEEPALIVE void ballcourse_timer(int id) {
    const auto found = timers.find(id);
    if (found == timers.end()) return;
    const Timer timer = found->second;
    timers.erase(found);
    timer.callback(timer.value);
}

}  // extern "C"
