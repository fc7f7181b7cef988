// SPDX-License-Identifier: MIT
#include "scene/ball.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "tests/support/expect_geometry.h"
#include "tests/support/gl_context.h"

namespace {

class BallTest : public ::testing::Test {
  protected:
    void SetUp() override { testWindow(); }
    Ball ball{0.05f, 5.0f, Point3(0, 2, 0), Vector3(0, 0, 0)};
};

TEST_F(BallTest, FallsFromRestOneTickBehindItsVelocity) {
    ball.setAcceleration(Vector3(0, -0.002f, 0));
    ball.advance();
    expectPoint(ball.center(), 0, 2, 0);
    expectVector(ball.velocityVector(), 0, -0.002f, 0);
    expectVector(ball.stepVector(), 0, -0.002f, 0);
    ball.advance();
    expectPoint(ball.center(), 0, 1.998f, 0);
    expectVector(ball.velocityVector(), 0, -0.004f, 0);
    expectVector(ball.stepVector(), 0, -0.004f, 0);
    ball.advance();
    expectPoint(ball.center(), 0, 1.994f, 0);
}

TEST_F(BallTest, AGivenVelocityFirstMovesTheBallOnTheSecondAdvance) {
    Ball moving(0.05f, 5.0f, Point3(0, 0, 0), Vector3(1, 0, 0));
    moving.advance();
    expectPoint(moving.center(), 0, 0, 0);
    moving.advance();
    expectPoint(moving.center(), 1, 0, 0);
}

TEST_F(BallTest, SetMotionSetsVelocityAndStep) {
    ball.setMotion(Vector3(0.1f, -0.2f, 0.3f));
    expectVector(ball.velocityVector(), 0.1f, -0.2f, 0.3f);
    expectVector(ball.stepVector(), 0.1f, -0.2f, 0.3f);
    ball.advance();
    expectPoint(ball.center(), 0.1f, 1.8f, 0.3f);
}

TEST_F(BallTest, SetHeadingTurnsTheStepAndKeepsItsLength) {
    ball.setMotion(Vector3(0, -0.5f, 0));
    ball.setHeading(Vector3(3, 0, 4));
    expectVector(ball.stepVector(), 0.3f, 0, 0.4f);
    expectVector(ball.velocityVector(), 3, 0, 4);
    expectPoint(ball.center(), 0, 2, 0);
}

TEST_F(BallTest, SetHeadingWithAZeroStepOrAZeroVelocity) {
    ball.setHeading(Vector3(3, 0, 4));
    expectVector(ball.stepVector(), 0, 0, 0);
    expectVector(ball.velocityVector(), 3, 0, 4);

    ball.setMotion(Vector3(0, -0.5f, 0));
    ball.setHeading(Vector3(0, 0, 0));
    expectVector(ball.stepVector(), 0, 0, 0);
    expectVector(ball.velocityVector(), 0, 0, 0);
}

TEST_F(BallTest, AccessorsReturnCopies) {
    ball.setMotion(Vector3(0, 1, 0));
    Point3 center = ball.center();
    center.y = 50;
    Vector3 step = ball.stepVector();
    step.x = 7;
    expectPoint(ball.center(), 0, 2, 0);
    expectVector(ball.stepVector(), 0, 1, 0);
}

TEST_F(BallTest, DrawingLeavesTheModelviewMatrixAsItWas) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    GLint depthBefore = 0, depthAfter = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);
    ball.draw();
    float after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
    EXPECT_EQ(depthAfter, depthBefore);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(after[i], (i % 5 == 0) ? 1.0f : 0.0f);
}

}  // namespace
