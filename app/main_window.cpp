// SPDX-License-Identifier: MIT
#include "app/main_window.h"

#include <GL/freeglut.h>

#include "app/app_state.h"
#include "app/lighting.h"
#include "app/orbit_camera.h"

namespace {

constexpr double kMainFieldOfView = 45.0;  // degrees, vertical

void setProjection(double fieldOfView, int width, int height) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fieldOfView, double(width) / double(height), kNearPlane, kFarPlane);
    glMatrixMode(GL_MODELVIEW);
    glViewport(0, 0, width, height);
}

}  // namespace

void reshapeMain(int width, int height) {
    // A minimised window reports a height of zero, which has no aspect ratio:
    // keep the last projection and the size that placement and picking use.
    if (width <= 0 || height <= 0) {
        return;
    }
    AppState& state = app();
    state.windowWidth = width;
    state.windowHeight = height;
    setProjection(kMainFieldOfView, width, height);
}

void reshapePalette(int width, int height) {
    if (width <= 0 || height <= 0) {
        return;
    }
    setProjection(app().fieldOfView, width, height);
}

void displayMain() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    const AppState& state = app();
    applyCameraView(state);
    glLightfv(GL_LIGHT0, GL_POSITION, kLightPosition);
    drawScene(state);
    glPopMatrix();
    glutSwapBuffers();
}

void drawScene(const AppState& state) {
    state.ball->draw();
    // The current piece is also in the list, so it is drawn twice, identically.
    if (state.currentPiece != nullptr) {
        state.currentPiece->draw();
    }
    for (std::size_t i = 0; i < state.sceneList.size(); ++i) {
        glLoadName(static_cast<GLuint>(i));
        state.sceneList[i]->draw();
    }
}
