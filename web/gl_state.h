// SPDX-License-Identifier: MIT
// The fixed-function OpenGL state of one window, as the browser platform
// layer keeps it. Each GLUT window, a palette sub-window included, has its
// own, as each has its own rendering context on the desktop: its clear
// colour, lighting, material, matrices, viewport and render mode.
//
// Reproduced: the defaults OpenGL gives a new context for everything the
// program sets or reads; light 0 placed in eye coordinates by the modelview
// matrix in force when its position is given; normals used as given, not
// normalised, unless GL_NORMALIZE is enabled.
// Not reproduced: lights other than light 0, back materials, colour
// material, fog, textures, attenuation and spot lights (the program uses
// none; calls that set them are ignored).
#pragma once

#include <cstdint>

#include "web/matrix_stack.h"
#include "web/selection.h"

namespace web {

// OpenGL's minimum stack depths, which Mesa also gives.
constexpr int kModelviewStackDepth = 32;
constexpr int kProjectionStackDepth = 32;

struct LightState {
    float ambient[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float diffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};  // light 0's defaults
    float specular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    // In eye coordinates: the modelview matrix at the time it was given has
    // been applied. w = 0 is a direction, anything else a position.
    float eyePosition[4] = {0.0f, 0.0f, 1.0f, 0.0f};
};

struct MaterialState {
    float ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    float diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    float specular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float emission[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float shininess = 0.0f;
};

// What selects the stack that matrix calls change.
enum class MatrixMode { modelview, projection };

struct GlState {
    float clearColor[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    bool lighting = false;
    bool light0 = false;
    bool depthTest = false;
    bool normalize = false;
    bool smoothShading = true;
    float lightModelAmbient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    LightState light;
    MaterialState front;

    MatrixMode matrixMode = MatrixMode::modelview;
    MatrixStack modelview{kModelviewStackDepth};
    MatrixStack projection{kProjectionStackDepth};
    // x, y, width, height in the window's pixels, from its bottom-left corner.
    int viewport[4] = {0, 0, 0, 0};

    bool selecting = false;  // render mode GL_SELECT: draw nothing, record hits
    SelectionBuffer selection;

    MatrixStack& currentStack() {
        return matrixMode == MatrixMode::modelview ? modelview : projection;
    }
};

// The state that GL calls act on: the current window's. Never null once a
// window exists; before that, a spare state that nothing draws, so that a
// stray call before glutCreateWindow changes nothing that matters.
GlState& currentGl();
void makeGlCurrent(GlState* state);

}  // namespace web
