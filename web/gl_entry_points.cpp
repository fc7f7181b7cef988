// SPDX-License-Identifier: MIT
// The OpenGL 1.x calls the program makes, for the browser, acting on the
// current window's state (gl_state.h). The matrix calls compute on the CPU
// with the same single-precision arithmetic as the desktop's driver, since
// the program uses the modelview stack to compute its pieces' rotations and
// so the ball's path; drawing goes to the renderer, or to the selection
// records while the render mode is GL_SELECT.
//
// Reproduced: the calls and enumerants below with OpenGL's semantics,
// including stack overflow and underflow leaving the stack unchanged.
// Not reproduced: glGetError's error queue (errors are dropped, as the
// program never asks), and every call or enumerant not listed here.
#include <GL/gl.h>

#include <cstring>

#include "web/gl_state.h"
#include "web/glut_windows.h"
#include "web/renderer.h"

namespace {

web::GlState& gl() {
    return web::currentGl();
}

web::MatrixStack& stack() {
    return gl().currentStack();
}

bool* capability(GLenum cap) {
    switch (cap) {
        case GL_LIGHTING:
            return &gl().lighting;
        case GL_LIGHT0:
            return &gl().light0;
        case GL_DEPTH_TEST:
            return &gl().depthTest;
        case GL_NORMALIZE:
            return &gl().normalize;
        default:
            return nullptr;
    }
}

void copy4(float* to, const GLfloat* from) {
    std::memcpy(to, from, 4 * sizeof(float));
}

// The single-precision product the driver forms: m times the column p.
void transformPoint(const float* m, const GLfloat* p, float out[4]) {
    for (int i = 0; i < 4; ++i) {
        out[i] = m[i] * p[0] + m[4 + i] * p[1] + m[8 + i] * p[2] + m[12 + i] * p[3];
    }
}

GLuint* selectBuffer = nullptr;
GLsizei selectWords = 0;

}  // namespace

extern "C" {

void glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha) {
    const float c[4] = {red, green, blue, alpha};
    for (int i = 0; i < 4; ++i) {
        gl().clearColor[i] = c[i] < 0.0f ? 0.0f : (c[i] > 1.0f ? 1.0f : c[i]);
    }
}

void glClear(GLbitfield mask) {
    web::GlutWindow* window = web::currentWindow();
    if (window == nullptr) return;
    web::clearWindow(window->gl, window->rect, (mask & GL_COLOR_BUFFER_BIT) != 0,
                     (mask & GL_DEPTH_BUFFER_BIT) != 0);
}

void glEnable(GLenum cap) {
    if (bool* flag = capability(cap)) *flag = true;
}

void glDisable(GLenum cap) {
    if (bool* flag = capability(cap)) *flag = false;
}

GLboolean glIsEnabled(GLenum cap) {
    const bool* flag = capability(cap);
    return flag != nullptr && *flag ? GL_TRUE : GL_FALSE;
}

void glShadeModel(GLenum mode) {
    if (mode == GL_SMOOTH || mode == GL_FLAT) gl().smoothShading = mode == GL_SMOOTH;
}

void glFlush() {
    web::flushDrawing();
}
void glFinish() {
    web::flushDrawing();
}

GLenum glGetError() {
    return GL_NO_ERROR;
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    if (width < 0 || height < 0) return;  // GL_INVALID_VALUE
    int* v = gl().viewport;
    v[0] = x;
    v[1] = y;
    v[2] = width;
    v[3] = height;
}

void glGetIntegerv(GLenum pname, GLint* params) {
    if (pname == GL_VIEWPORT) {
        std::memcpy(params, gl().viewport, 4 * sizeof(GLint));
    } else if (pname == GL_MODELVIEW_STACK_DEPTH) {
        params[0] = gl().modelview.depth();
    } else if (pname == GL_PROJECTION_STACK_DEPTH) {
        params[0] = gl().projection.depth();
    } else if (pname == GL_MATRIX_MODE) {
        params[0] = gl().matrixMode == web::MatrixMode::modelview ? GL_MODELVIEW : GL_PROJECTION;
    }
}

void glGetFloatv(GLenum pname, GLfloat* params) {
    if (pname == GL_MODELVIEW_MATRIX) {
        std::memcpy(params, gl().modelview.top(), 16 * sizeof(float));
    } else if (pname == GL_PROJECTION_MATRIX) {
        std::memcpy(params, gl().projection.top(), 16 * sizeof(float));
    } else if (pname == GL_COLOR_CLEAR_VALUE) {
        std::memcpy(params, gl().clearColor, 4 * sizeof(float));
    }
}

void glMatrixMode(GLenum mode) {
    if (mode == GL_MODELVIEW) gl().matrixMode = web::MatrixMode::modelview;
    if (mode == GL_PROJECTION) gl().matrixMode = web::MatrixMode::projection;
}

void glPushMatrix() {
    stack().push();
}
void glPopMatrix() {
    stack().pop();
}
void glLoadIdentity() {
    stack().loadIdentity();
}
void glLoadMatrixf(const GLfloat* m) {
    stack().load(m);
}
void glLoadMatrixd(const GLdouble* m) {
    stack().load(m);
}
void glMultMatrixf(const GLfloat* m) {
    stack().multiply(m);
}
void glMultMatrixd(const GLdouble* m) {
    stack().multiply(m);
}
void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    stack().rotate(angle, x, y, z);
}
void glRotated(GLdouble angle, GLdouble x, GLdouble y, GLdouble z) {
    stack().rotate(float(angle), float(x), float(y), float(z));
}
void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    stack().translate(x, y, z);
}
void glTranslated(GLdouble x, GLdouble y, GLdouble z) {
    stack().translate(float(x), float(y), float(z));
}
void glScalef(GLfloat x, GLfloat y, GLfloat z) {
    stack().scale(x, y, z);
}
void glScaled(GLdouble x, GLdouble y, GLdouble z) {
    stack().scale(float(x), float(y), float(z));
}

void glLightfv(GLenum light, GLenum pname, const GLfloat* params) {
    if (light != GL_LIGHT0) return;
    web::LightState& l = gl().light;
    switch (pname) {
        case GL_AMBIENT:
            copy4(l.ambient, params);
            break;
        case GL_DIFFUSE:
            copy4(l.diffuse, params);
            break;
        case GL_SPECULAR:
            copy4(l.specular, params);
            break;
        // The position is fixed in eye space when given: the modelview matrix
        // then in force carries it there, so a light given after the view
        // transform stays put in the world.
        case GL_POSITION:
            transformPoint(gl().modelview.top(), params, l.eyePosition);
            break;
        default:
            break;
    }
}

void glLightModelfv(GLenum pname, const GLfloat* params) {
    if (pname == GL_LIGHT_MODEL_AMBIENT) copy4(gl().lightModelAmbient, params);
}

void glMaterialfv(GLenum face, GLenum pname, const GLfloat* params) {
    if (face != GL_FRONT && face != GL_FRONT_AND_BACK) return;  // back faces are never lit
    web::MaterialState& m = gl().front;
    switch (pname) {
        case GL_AMBIENT:
            copy4(m.ambient, params);
            break;
        case GL_DIFFUSE:
            copy4(m.diffuse, params);
            break;
        case GL_SPECULAR:
            copy4(m.specular, params);
            break;
        case GL_EMISSION:
            copy4(m.emission, params);
            break;
        case GL_AMBIENT_AND_DIFFUSE:
            copy4(m.ambient, params);
            copy4(m.diffuse, params);
            break;
        case GL_SHININESS:
            glMaterialf(face, pname, params[0]);
            break;
        default:
            break;
    }
}

void glMaterialf(GLenum face, GLenum pname, GLfloat param) {
    if ((face != GL_FRONT && face != GL_FRONT_AND_BACK) || pname != GL_SHININESS) return;
    // OpenGL accepts exponents from 0 to 128 and refuses the rest.
    if (param >= 0.0f && param <= 128.0f) gl().front.shininess = param;
}

void glSelectBuffer(GLsizei size, GLuint* buffer) {
    if (size < 0 || gl().selecting) return;  // GL_INVALID_VALUE, GL_INVALID_OPERATION
    selectBuffer = buffer;
    selectWords = size;
}

GLint glRenderMode(GLenum mode) {
    web::GlState& state = gl();
    GLint result = 0;
    if (state.selecting) {
        result = state.selection.finish();
        state.selecting = false;
    }
    if (mode == GL_SELECT) {
        if (selectBuffer == nullptr) return result;  // GL_INVALID_OPERATION
        state.selection.start(selectBuffer, selectWords);
        state.selecting = true;
    }
    return result;
}

void glInitNames() {
    if (gl().selecting) gl().selection.initNames();
}
void glPushName(GLuint name) {
    if (gl().selecting) gl().selection.pushName(name);
}
void glPopName() {
    if (gl().selecting) gl().selection.popName();
}
void glLoadName(GLuint name) {
    if (gl().selecting) gl().selection.loadName(name);
}

}  // extern "C"
