// SPDX-License-Identifier: MIT
#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "app/app_state.h"
#include "tests/support/gl_context.h"

// A freshly built program state in the hidden 600 by 600 test window, as
// start-up leaves it before the main loop: the camera at (0, 0, 4) looking at
// the origin, the ball at rest at its start above the view, no pieces.
class AppTest : public ::testing::Test {
  protected:
    void SetUp() override {
        app().mainWindow = testWindow();
        app().windowWidth = 600;
        app().windowHeight = 600;
        buildState();
        glViewport(0, 0, 600, 600);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
    // Pieces die with the test that made them, so none outlives what it refers to.
    void TearDown() override {
        app().currentPiece = nullptr;
        app().sceneList.clear();
    }

    AppState& state = app();
};
