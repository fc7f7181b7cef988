// SPDX-License-Identifier: MIT
// The direct single-precision products against the modelview stack they
// stand in for: a block's world matrix (parent then block) and a point
// carried by a matrix. Both must agree with the stack bit for bit.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <random>

#include "geometry/matrix4.h"
#include "geometry/point3.h"
#include "scene/block.h"

namespace {

constexpr int kTrials = 2000;

class MatrixStack : public ::testing::Test {
  protected:
    float uniform(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); }
    // A random placement, scale and two successive turns, as a user's piece gets.
    void randomise(SceneObject& object) {
        object.setPosition(uniform(-3, 3), uniform(-3, 3), uniform(-3, 3));
        object.setScale(uniform(0.05f, 3), uniform(0.05f, 3), uniform(0.05f, 3));
        object.setRotation(uniform(-360, 360), uniform(-1, 1), uniform(-1, 1), uniform(-1, 1));
        object.rotate(uniform(-180, 180), uniform(-1, 1), uniform(-1, 1), uniform(-1, 1));
    }
    // Records and prints the largest difference seen in a suite of trials.
    void report(const char* what, float largest) {
        RecordProperty(what, testing::PrintToString(largest));
        std::cout << what << ": largest difference " << largest << "\n";
    }

    std::mt19937 rng{20240607u};
};

TEST_F(MatrixStack, BlockWorldMatrixEqualsTheStackProduct) {
    Block parent;
    Block block;
    float largest = 0.0f;
    int unequal = 0;
    glMatrixMode(GL_MODELVIEW);
    for (int trial = 0; trial < kTrials; ++trial) {
        randomise(parent);
        randomise(block);
        Matrix4 direct = Matrix4::identity();
        parent.appendTransform(direct);
        block.appendTransform(direct);

        float stack[16];
        glPushMatrix();
        glLoadIdentity();
        parent.applyTransform();
        block.applyTransform();
        glGetFloatv(GL_MODELVIEW_MATRIX, stack);
        glPopMatrix();

        for (int i = 0; i < 16; ++i) {
            largest = std::max(largest, std::fabs(direct.m[i] - stack[i]));
            unequal += direct.m[i] != stack[i];
        }
    }
    report("worldMatrixDifference", largest);
    EXPECT_EQ(unequal, 0);
    EXPECT_EQ(largest, 0.0f);
}

// The stack procedure for a point: identity, times m, times the matrix whose
// first column is (x, y, z, 1), and the first column read back.
Point3 transformOnStack(const float m[16], const Point3& p) {
    float column[16] = {p.x, p.y, p.z, 1};
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glMultMatrixf(m);
    glMultMatrixf(column);
    glGetFloatv(GL_MODELVIEW_MATRIX, column);
    glPopMatrix();
    return Point3(column[0], column[1], column[2]);
}

TEST_F(MatrixStack, PointTransformEqualsTheStackProduct) {
    Block parent;
    Block block;
    float largest = 0.0f;
    int unequal = 0;
    for (int trial = 0; trial < kTrials; ++trial) {
        // Half the matrices are real world matrices, half arbitrary floats
        // (with a projective bottom row, which the point ignores).
        float m[16];
        if (trial % 2 == 0) {
            randomise(parent);
            randomise(block);
            Matrix4 world = Matrix4::identity();
            parent.appendTransform(world);
            block.appendTransform(world);
            std::copy(world.m, world.m + 16, m);
        } else {
            for (float& v : m) {
                v = uniform(-10, 10);
            }
        }
        const Point3 p(uniform(-2, 2), uniform(-2, 2), uniform(-2, 2));
        Point3 direct = p;
        direct.transform(m);
        const Point3 stack = transformOnStack(m, p);
        for (float d : {direct.x - stack.x, direct.y - stack.y, direct.z - stack.z}) {
            largest = std::max(largest, std::fabs(d));
            unequal += d != 0.0f;
        }
    }
    report("pointTransformDifference", largest);
    EXPECT_EQ(unequal, 0);
    EXPECT_EQ(largest, 0.0f);
}

}  // namespace
