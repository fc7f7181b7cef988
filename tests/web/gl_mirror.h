// SPDX-License-Identifier: MIT
#pragma once

// One of the desktop's matrix stacks beside a web::MatrixStack that receives
// the same calls, so a test can run a call sequence on both and compare the
// tops bit for bit. Needs the test's rendering context.

#include <GL/gl.h>

#include <cstring>

#include "web/matrix_stack.h"

class GlMirror {
  public:
    // Mirrors the GL stack of `mode` (GL_MODELVIEW or GL_PROJECTION), first
    // bringing it to depth 1 with an identity whose flags Mesa has analysed
    // afresh, which is the state of a new web::MatrixStack. Mesa keeps a
    // matrix's flags through glLoadIdentity, so a plain glLoadIdentity would
    // carry over whatever earlier tests left.
    explicit GlMirror(GLenum mode) : mode_(mode), web_(32) {
        glMatrixMode(mode_);
        GLint depth = 0;
        glGetIntegerv(depthQuery(), &depth);
        for (; depth > 1; --depth) glPopMatrix();
        const float twice[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1};
        glLoadMatrixf(twice);
        glLoadMatrixf(web_.top());  // the identity, its flags marked for analysis
        glPushMatrix();             // which the push carries out
        glPopMatrix();
        while (glGetError() != GL_NO_ERROR) {
        }
    }

    web::MatrixStack& web() { return web_; }

    bool push() {
        glMatrixMode(mode_);
        glPushMatrix();
        return web_.push();
    }
    bool pop() {
        glMatrixMode(mode_);
        glPopMatrix();
        return web_.pop();
    }
    void loadIdentity() {
        glMatrixMode(mode_);
        glLoadIdentity();
        web_.loadIdentity();
    }
    void load(const float m[16]) {
        glMatrixMode(mode_);
        glLoadMatrixf(m);
        web_.load(m);
    }
    void load(const double m[16]) {
        glMatrixMode(mode_);
        glLoadMatrixd(m);
        web_.load(m);
    }
    void multiply(const float m[16]) {
        glMatrixMode(mode_);
        glMultMatrixf(m);
        web_.multiply(m);
    }
    void multiply(const double m[16]) {
        glMatrixMode(mode_);
        glMultMatrixd(m);
        web_.multiply(m);
    }
    void rotate(float angle, float x, float y, float z) {
        glMatrixMode(mode_);
        glRotatef(angle, x, y, z);
        web_.rotate(angle, x, y, z);
    }
    void translate(float x, float y, float z) {
        glMatrixMode(mode_);
        glTranslatef(x, y, z);
        web_.translate(x, y, z);
    }
    void scale(float x, float y, float z) {
        glMatrixMode(mode_);
        glScalef(x, y, z);
        web_.scale(x, y, z);
    }

    // The desktop's top matrix and stack depth.
    void desktopTop(float m[16]) const {
        glGetFloatv(mode_ == GL_MODELVIEW ? GL_MODELVIEW_MATRIX : GL_PROJECTION_MATRIX, m);
    }
    int desktopDepth() const {
        GLint depth = 0;
        glGetIntegerv(depthQuery(), &depth);
        return depth;
    }
    // True when both tops are equal bit for bit (the sign of zero counts).
    bool sameTop() const {
        float desktop[16];
        desktopTop(desktop);
        return std::memcmp(desktop, web_.top(), sizeof desktop) == 0;
    }

  private:
    GLenum depthQuery() const {
        return mode_ == GL_MODELVIEW ? GL_MODELVIEW_STACK_DEPTH : GL_PROJECTION_STACK_DEPTH;
    }

    GLenum mode_;
    web::MatrixStack web_;
};
