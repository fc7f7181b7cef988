// SPDX-License-Identifier: MIT
// The block: its defaults and its collision volume, the box grown by the
// ball's radius and placed by the parent's and the block's transforms.
#include "scene/block.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "geometry/push_out.h"
#include "scene/ball.h"

namespace {

constexpr double kTol = 1e-6;
constexpr float kRadius = 0.05f;

class BlockHit : public ::testing::Test {
  protected:
    // A ball of the application's size at `center` with step `step`.
    Ball& ballAt(Point3 center, Vector3 step) {
        ball = std::make_unique<Ball>(kRadius, 5.0f, center, Vector3());
        ball->setMotion(step);
        return *ball;
    }
    void expectKeptNormal(float x, float y, float z) const {
        ASSERT_NE(block.getKeptFace(), nullptr);
        const Vector3 n = block.getKeptFace()->normal();
        EXPECT_NEAR(n.x, x, kTol);
        EXPECT_NEAR(n.y, y, kTol);
        EXPECT_NEAR(n.z, z, kTol);
    }

    Block block;
    std::unique_ptr<Ball> ball;
};

void expectColour(const float* colour, float r, float g, float b, float a) {
    EXPECT_FLOAT_EQ(colour[0], r);
    EXPECT_FLOAT_EQ(colour[1], g);
    EXPECT_FLOAT_EQ(colour[2], b);
    EXPECT_FLOAT_EQ(colour[3], a);
}

TEST(BlockDefaults, NewBlockIsASmallOrangeBoxWithNoFaceAndNoParent) {
    const Block block;
    const Float3 s = block.getScale();
    EXPECT_FLOAT_EQ(s.x, 0.3f);
    EXPECT_FLOAT_EQ(s.y, 0.1f);
    EXPECT_FLOAT_EQ(s.z, 0.2f);
    const Material& m = block.getMaterial();
    expectColour(m.ambient, 0.8f, 0.5f, 0.1f, 1.0f);
    expectColour(m.diffuse, 0.1f, 0.1f, 0.1f, 1.0f);
    expectColour(m.specular, 0.4f, 0.4f, 0.1f, 0.0f);
    EXPECT_FLOAT_EQ(m.shininess, 0.1f);
    EXPECT_EQ(block.getParent(), nullptr);
    EXPECT_EQ(block.getKeptFace(), nullptr);
}

TEST(BlockDefaults, ResetGivesTheBaseDefaultsNotTheBlockOnes) {
    Block block;
    block.reset();
    EXPECT_FLOAT_EQ(block.getScale().x, 1.0f);
    EXPECT_FLOAT_EQ(block.getMaterial().ambient[0], 1.0f);
    EXPECT_FLOAT_EQ(block.getMaterial().shininess, 1.0f);
}

TEST_F(BlockHit, UnitBlockHitFromAboveKeepsTheTopFaceAndBouncesOffIt) {
    block.setScale(1, 1, 1);
    Ball& b = ballAt({0, 1, 0}, {0, -0.5f, 0});
    EXPECT_NEAR(block.hitDistance(&b), 0.45, kTol);
    expectKeptNormal(0, 1, 0);
    // Face 2 is A, B, F, E, so its first corner is A = (+e, +e, +e).
    EXPECT_FLOAT_EQ(block.getKeptFace()->corner(0).x, 0.55f);
    EXPECT_FLOAT_EQ(block.getKeptFace()->corner(0).z, 0.55f);

    block.resolveHit(&b);
    EXPECT_EQ(block.getKeptFace(), nullptr);
    // Mirrored to (0, 0.5, 0), less (0.5 + 0.1) / 5 of normal speed.
    EXPECT_NEAR(b.velocityVector().y, 0.38, kTol);
    EXPECT_NEAR(b.stepVector().y, 0.5, kTol);
}

TEST_F(BlockHit, DefaultBlockGrownBoxSpansItsScalePlusTheRadius) {
    struct Approach {
        Vector3 dir;
        float halfSpan;
    };
    const Approach approaches[] = {{{1, 0, 0}, 0.2f},  {{-1, 0, 0}, 0.2f}, {{0, 1, 0}, 0.1f},
                                   {{0, -1, 0}, 0.1f}, {{0, 0, 1}, 0.15f}, {{0, 0, -1}, 0.15f}};
    for (const Approach& a : approaches) {
        SCOPED_TRACE(testing::Message() << a.dir.x << " " << a.dir.y << " " << a.dir.z);
        // From 1 unit out along the axis, moving straight in.
        Ball& b = ballAt(Point3() + a.dir, a.dir * -2.0f);
        EXPECT_NEAR(block.hitDistance(&b), 1.0 - a.halfSpan, kTol);
        expectKeptNormal(a.dir.x, a.dir.y, a.dir.z);
    }
}

TEST_F(BlockHit, TurnedBlockCollidesAsTheTurnedBox) {
    block.setRotation(90, 0, 0, 1);
    // Turned 90 degrees about z, the block's thin y extent lies along x.
    Ball& b = ballAt({-1, 0, 0}, {1.5f, 0, 0});
    EXPECT_NEAR(block.hitDistance(&b), 0.9, kTol);
    // The face built as +y (face 2) now faces −x.
    expectKeptNormal(-1, 0, 0);
    EXPECT_NEAR(block.getKeptFace()->corner(0).x, -0.1, kTol);
}

TEST_F(BlockHit, ParentTransformComesBeforeTheBlocksOwn) {
    Block parent;
    parent.setScale(1, 1, 1);
    parent.setPosition(2, 0, 0);
    parent.setRotation(90, 0, 0, 1);
    block.setScale(1, 1, 1);
    block.setPosition(0.5f, 0, 0);
    block.setParent(&parent);
    // Parent · block puts the block's centre at (2, 0.5, 0).
    Ball& b = ballAt({2, 2, 0}, {0, -1.5f, 0});
    EXPECT_NEAR(block.hitDistance(&b), 2.0 - 1.05, 1e-5);
    expectKeptNormal(0, 1, 0);

    // Free-standing again, the block sits at (0.5, 0, 0), out of the ball's way.
    block.setParent(nullptr);
    EXPECT_EQ(block.hitDistance(&b), -1.0f);
}

TEST_F(BlockHit, BallStartingInsidePassesThrough) {
    block.setScale(1, 1, 1);
    for (Vector3 step : {Vector3(0, -1, 0), Vector3(0.3f, 0.2f, -2), Vector3(0, 0.01f, 0)}) {
        Ball& b = ballAt({0.1f, 0.2f, 0}, step);
        EXPECT_EQ(block.hitDistance(&b), -1.0f);
    }
    EXPECT_EQ(block.getKeptFace(), nullptr);
}

// Out through the nearest face, just far enough that the face then stops the
// ball coming back; only the inward part of the velocity goes, and the step
// keeps its length. A centre on a plane and behind the rest counts as inside.
TEST_F(BlockHit, PushOutLeavesThroughTheNearestFaceWithoutTheInwardMotion) {
    block.setScale(1, 1, 1);
    Ball& b = ballAt({0.2f, 0.54f, 0}, {0.03f, -0.04f, 0});
    ASSERT_TRUE(block.pushOut(&b));
    EXPECT_NEAR(b.center().y, 0.55 + kPushOutMargin, kTol);
    EXPECT_EQ(b.center().x, 0.2f);
    EXPECT_NEAR(b.velocityVector().x, 0.03, kTol);
    EXPECT_NEAR(b.velocityVector().y, 0.0, kTol);
    EXPECT_NEAR(b.stepVector().length(), 0.05, kTol);
    EXPECT_FALSE(block.pushOut(&b));
    b.setMotion({0, -0.01f, 0});
    EXPECT_NEAR(block.hitDistance(&b), kPushOutMargin, kTol);

    Ball& onPlane = ballAt({0.55f, 0.1f, 0}, {0.01f, 0, 0});
    ASSERT_TRUE(block.pushOut(&onPlane));
    EXPECT_NEAR(onPlane.center().x, 0.55 + kPushOutMargin, kTol);
    EXPECT_EQ(onPlane.velocityVector().x, 0.01f);
}

TEST_F(BlockHit, MissKeepsTheEarlierKeptFace) {
    Ball& b = ballAt({0, 1, 0}, {0, -1, 0});
    ASSERT_GE(block.hitDistance(&b), 0.0f);
    const Face* kept = block.getKeptFace();
    ASSERT_NE(kept, nullptr);

    Ball& shortOfIt = ballAt({0, 1, 0}, {0, -0.1f, 0});
    EXPECT_EQ(block.hitDistance(&shortOfIt), -1.0f);
    Ball& beside = ballAt({1, 1, 0}, {0, -2, 0});
    EXPECT_EQ(block.hitDistance(&beside), -1.0f);
    EXPECT_EQ(block.getKeptFace(), kept);
    expectKeptNormal(0, 1, 0);
}

TEST_F(BlockHit, LaterHitReplacesTheKeptFace) {
    Ball& fromAbove = ballAt({0, 1, 0}, {0, -1, 0});
    block.hitDistance(&fromAbove);
    Ball& fromSide = ballAt({1, 0, 0}, {-1, 0, 0});
    EXPECT_NEAR(block.hitDistance(&fromSide), 0.8, kTol);
    expectKeptNormal(1, 0, 0);
}

TEST_F(BlockHit, EqualDistancesAtAnEdgeKeepTheEarlierFace) {
    block.setScale(1, 1, 1);
    // Diagonally onto the edge shared by +x (face 0) and +y (face 2).
    Ball& b = ballAt({1, 1, 0}, {-1, -1, 0});
    EXPECT_NEAR(block.hitDistance(&b), 0.45 * std::sqrt(2.0), 1e-5);
    expectKeptNormal(1, 0, 0);
}

TEST_F(BlockHit, ResolveWithNoKeptFaceLeavesTheBallAlone) {
    Ball& b = ballAt({0, 1, 0}, {0, -0.1f, 0});
    block.resolveHit(&b);
    EXPECT_FLOAT_EQ(b.velocityVector().y, -0.1f);
    EXPECT_FLOAT_EQ(b.stepVector().y, -0.1f);
}

TEST_F(BlockHit, HitTestTouchesNoOpenGlState) {
    // Between callbacks the modelview is already current; the hit test neither
    // selects a mode nor uses the stack, so whatever is current stays so.
    Ball& b = ballAt({0, 1, 0}, {0, -1, 0});
    GLint depthBefore = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);
    glMatrixMode(GL_PROJECTION);
    ASSERT_GE(block.hitDistance(&b), 0.0f);
    GLint mode = 0, depth = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    glMatrixMode(GL_MODELVIEW);
    EXPECT_EQ(mode, GL_PROJECTION);
    EXPECT_EQ(depth, depthBefore);
}

// The kept face is released when replaced, when resolved and with the block;
// under AddressSanitizer a leak or a second free of it fails these.
TEST(BlockLifetime, DestroyingABlockThatHoldsAFaceReleasesIt) {
    auto block = std::make_unique<Block>();
    Ball ball(kRadius, 5.0f, Point3(0, 1, 0), Vector3());
    ball.setMotion(Vector3(0, -1, 0));
    ASSERT_GE(block->hitDistance(&ball), 0.0f);
    ASSERT_NE(block->getKeptFace(), nullptr);
    block.reset();
}

TEST(BlockLifetime, ReplacedAndResolvedFacesAreReleasedOnce) {
    auto block = std::make_unique<Block>();
    Ball ball(kRadius, 5.0f, Point3(0, 1, 0), Vector3());
    ball.setMotion(Vector3(0, -1, 0));
    ASSERT_GE(block->hitDistance(&ball), 0.0f);
    ASSERT_GE(block->hitDistance(&ball), 0.0f);
    block->resolveHit(&ball);
    ASSERT_EQ(block->getKeptFace(), nullptr);
    block->resolveHit(&ball);
    ball.setMotion(Vector3(0, -1, 0));
    ASSERT_GE(block->hitDistance(&ball), 0.0f);
    block.reset();
}

}  // namespace
