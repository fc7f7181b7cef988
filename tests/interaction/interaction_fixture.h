#pragma once

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "app/app_state.h"
#include "interaction/palettes.h"
#include "scene/block.h"
#include "tests/support/gl_context.h"

// A fresh application state in the hidden 600 by 600 test window: the camera
// at (0, 0, 4) looking at the origin, an empty scene list, the ball at its
// start above the view.
class InteractionTest : public ::testing::Test {
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

    // Appends a block at (x, y, z) without making it current.
    Block* placeBlock(float x, float y, float z) {
        auto block = std::make_unique<Block>();
        block->setPosition(x, y, z);
        Block* raw = block.get();
        state.sceneList.push_back(std::move(block));
        return raw;
    }

    // Appends a block at (x, y, z) as the current piece, as a palette click does.
    Block* carryBlock(float x, float y, float z) {
        auto block = std::make_unique<Block>();
        block->setPosition(x, y, z);
        Block* raw = block.get();
        addNewPiece(state, std::move(block));
        return raw;
    }

    AppState& state = app();
};

inline bool allFinite(const float* values, int count) {
    for (int i = 0; i < count; ++i) {
        if (!std::isfinite(values[i])) return false;
    }
    return true;
}

inline void expectRotationEq(const float* actual, const float* expected, float tolerance) {
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(actual[i], expected[i], tolerance) << "matrix element " << i;
    }
}
