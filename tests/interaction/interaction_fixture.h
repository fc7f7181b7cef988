// SPDX-License-Identifier: MIT
#pragma once

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "interaction/palettes.h"
#include "scene/block.h"
#include "tests/support/app_fixture.h"

// The program's fresh state, with ways to put blocks into the scene.
class InteractionTest : public AppTest {
  protected:
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
