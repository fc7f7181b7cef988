// SPDX-License-Identifier: MIT
// The curve: its ten blocks laid on the arc, and its hit test and bounce
// through the nearest of them.
#include "scene/curve.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "scene/ball.h"

namespace {

constexpr double kTol = 1e-6;

class CurveHit : public ::testing::Test {
  protected:
    Ball& ballAt(Point3 center, Vector3 step) {
        ball = std::make_unique<Ball>(0.05f, 5.0f, center, Vector3());
        ball->setMotion(step);
        return *ball;
    }
    // Moves every block but `keep` far out of the ball's way.
    void clearAllBut(std::initializer_list<int> keep) {
        for (int i = 0; i < Curve::kBlockCount; ++i) {
            if (std::find(keep.begin(), keep.end(), i) == keep.end()) {
                curve.block(i).setPosition(100, 100, 100);
            }
        }
    }

    Curve curve;
    std::unique_ptr<Ball> ball;
};

TEST(CurveBuild, BlocksLieOnTheArcEightDegreesApart) {
    const Curve curve;
    const Float3 first = curve.block(0).getPosition();
    EXPECT_FLOAT_EQ(first.x, 0.5f);
    EXPECT_FLOAT_EQ(first.y, 0.0f);
    const float* r0 = curve.block(0).rotationMatrix();
    EXPECT_FLOAT_EQ(r0[0], 1.0f);
    EXPECT_FLOAT_EQ(r0[1], 0.0f);

    const Float3 last = curve.block(9).getPosition();
    EXPECT_NEAR(last.x, 0.154508, kTol);
    EXPECT_NEAR(last.y, 0.475528, kTol);
    EXPECT_EQ(last.z, 0.0f);
    // Turned 72 degrees about z: its x axis points radially outward.
    const float* r9 = curve.block(9).rotationMatrix();
    EXPECT_NEAR(r9[0], std::cos(72 * M_PI / 180), kTol);
    EXPECT_NEAR(r9[1], std::sin(72 * M_PI / 180), kTol);
    EXPECT_NEAR(r9[10], 1.0, kTol);
}

TEST(CurveBuild, BlockEightSitsWhereTheDoubleCosineAndSinePutIt) {
    // 64 degrees: the angle is formed in double and stored as a float, and its
    // cosine and sine are taken in double, each rounded once. The float cosine
    // is one ulp lower here (0.219185516).
    const float angle = static_cast<float>(3.1415927f * 64.0 * 0.0055555557f);
    const Float3 p = Curve().block(8).getPosition();
    EXPECT_EQ(p.x, static_cast<float>(0.5 * std::cos(double(angle))));
    EXPECT_EQ(p.x, 0x1.c0e458p-3f);  // 0.219185531
    EXPECT_EQ(p.y, 0x1.cc2ebep-2f);  // 0.449397057
}

TEST(CurveBuild, EveryBlockIsSmallAndHasTheCurveAsParent) {
    const Curve curve;
    for (int i = 0; i < Curve::kBlockCount; ++i) {
        SCOPED_TRACE(i);
        const Float3 s = curve.block(i).getScale();
        EXPECT_FLOAT_EQ(s.x, 0.1f);
        EXPECT_FLOAT_EQ(s.y, 0.1f);
        EXPECT_FLOAT_EQ(s.z, 0.2f);
        EXPECT_EQ(curve.block(i).getParent(), &curve);
        const Float3 p = curve.block(i).getPosition();
        EXPECT_NEAR(std::hypot(p.x, p.y), 0.5, kTol);
        EXPECT_NEAR(std::atan2(p.y, p.x), 8 * i * M_PI / 180, 1e-6);
    }
    EXPECT_FLOAT_EQ(curve.getScale().x, 1.0f);
    EXPECT_FLOAT_EQ(curve.getPosition().x, 0.0f);
    EXPECT_FLOAT_EQ(curve.rotationMatrix()[0], 1.0f);
    EXPECT_TRUE(curve.getChildren().empty());
}

TEST_F(CurveHit, BallFromOutsideMeetsTheBlockWhoseFaceReachesFurthest) {
    // Along y = 0 from +x: block 1's outer face, turned 8 degrees, stands out
    // to x = 0.6 / cos 8° and is met before block 0's at x = 0.6.
    Ball& b = ballAt({2, 0, 0}, {-2, 0, 0});
    EXPECT_NEAR(curve.hitDistance(&b), 2 - 0.6 / std::cos(8 * M_PI / 180), 1e-5);
    EXPECT_EQ(curve.getNearestBlock(), 1);
    EXPECT_NE(curve.block(0).getKeptFace(), nullptr);
}

TEST_F(CurveHit, BlocksArePlacedByTheCurvesTransform) {
    curve.setPosition(1, 2, 0);
    curve.setScale(2, 2, 2);
    // Block 0 now sits at (2, 2, 0), 0.2 by 0.2 by 0.4 with a push-out of 0.1:
    // coming up from below, the ball meets it first.
    Ball& b = ballAt({2, 1, 0}, {0, 1, 0});
    EXPECT_NEAR(curve.hitDistance(&b), 1 - 0.2, 1e-5);
    EXPECT_EQ(curve.getNearestBlock(), 0);
}

TEST_F(CurveHit, EqualDistancesChooseTheLowerIndex) {
    clearAllBut({3, 5});
    for (int i : {5, 3}) {
        curve.block(i).setPosition(0, 0, 0);
        curve.block(i).setRotation(0, 0, 0, 1);
    }
    Ball& b = ballAt({0, 1, 0}, {0, -1, 0});
    EXPECT_NEAR(curve.hitDistance(&b), 0.9, kTol);
    EXPECT_EQ(curve.getNearestBlock(), 3);
}

TEST_F(CurveHit, NoHitReturnsMinusOneAndLeavesTheNearestBlock) {
    Ball& hit = ballAt({2, 0, 0}, {-2, 0, 0});
    ASSERT_GE(curve.hitDistance(&hit), 0.0f);
    ASSERT_EQ(curve.getNearestBlock(), 1);
    Ball& miss = ballAt({0, 0, 3}, {0, 0, 1});
    EXPECT_EQ(curve.hitDistance(&miss), -1.0f);
    EXPECT_EQ(curve.getNearestBlock(), 1);
}

TEST_F(CurveHit, ResolveBouncesOffTheChosenBlockAndLeavesTheOthersFaces) {
    clearAllBut({4, 6});
    curve.block(4).setPosition(0, 0, 0);
    curve.block(4).setRotation(0, 0, 0, 1);
    curve.block(6).setPosition(0, -0.5f, 0);
    curve.block(6).setRotation(0, 0, 0, 1);
    // Block 6 lies farther down the same path, so it keeps a face too.
    Ball& b = ballAt({0, 1, 0}, {0, -2, 0});
    EXPECT_NEAR(curve.hitDistance(&b), 0.9, kTol);
    ASSERT_EQ(curve.getNearestBlock(), 4);
    ASSERT_NE(curve.block(6).getKeptFace(), nullptr);

    curve.resolveHit(&b);
    EXPECT_EQ(curve.block(4).getKeptFace(), nullptr);
    EXPECT_NE(curve.block(6).getKeptFace(), nullptr);
    EXPECT_GT(b.velocityVector().y, 0.0f);
}

}  // namespace
