// SPDX-License-Identifier: MIT
// The ball over many ticks among real pieces: it comes to rest on a block
// under it, rolls off turned blocks and curves, and never ends up inside a
// piece's grown box (the sphere sunk into the piece).
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "geometry/grown_box.h"
#include "geometry/simulation_step.h"
#include "scene/ball.h"
#include "scene/block.h"
#include "scene/curve.h"

namespace {

constexpr float kRadius = 0.05f;
// How deep inside a grown box the centre may be found, in unit-cube units:
// rounding in the contact point is far below this.
constexpr double kDepthTolerance = 1e-4;

// The block's world matrix, parent first, as the hit test forms it.
Matrix4 worldOf(const Block& block, const SceneObject* parent) {
    Matrix4 world = Matrix4::identity();
    if (parent != nullptr) {
        parent->appendTransform(world);
    }
    block.appendTransform(world);
    return world;
}

// Solves world · local = p for the affine part of `world`, in double.
void toLocal(const Matrix4& world, const Point3& p, double local[3]) {
    const float* m = world.m;
    const double a[3][3] = {{m[0], m[4], m[8]}, {m[1], m[5], m[9]}, {m[2], m[6], m[10]}};
    const double b[3] = {p.x - double(m[12]), p.y - double(m[13]), p.z - double(m[14])};
    const double det = a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
                       a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
                       a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
    for (int col = 0; col < 3; ++col) {
        double c[3][3];
        for (int r = 0; r < 3; ++r) {
            for (int k = 0; k < 3; ++k) {
                c[r][k] = k == col ? b[r] : a[r][k];
            }
        }
        local[col] = (c[0][0] * (c[1][1] * c[2][2] - c[1][2] * c[2][1]) -
                      c[0][1] * (c[1][0] * c[2][2] - c[1][2] * c[2][0]) +
                      c[0][2] * (c[1][0] * c[2][1] - c[1][1] * c[2][0])) /
                     det;
    }
}

// Whether p lies deeper than the tolerance inside the block's grown box.
bool insideGrownBox(const Block& block, const Point3& p) {
    double local[3];
    toLocal(worldOf(block, block.getParent()), p, local);
    const Float3 s = block.getScale();
    const float half[3] = {grownHalfExtent(kRadius, s.x), grownHalfExtent(kRadius, s.y),
                           grownHalfExtent(kRadius, s.z)};
    for (int i = 0; i < 3; ++i) {
        if (std::fabs(local[i]) >= half[i] - kDepthTolerance) {
            return false;
        }
    }
    return true;
}

class FallingBall : public ::testing::Test {
  protected:
    void SetUp() override { ball.setAcceleration(Vector3(0, -0.002f, 0)); }

    // Every block that the ball can hit: the free ones and the curves' members.
    std::vector<const Block*> blocks() const {
        std::vector<const Block*> all;
        for (const auto& piece : scene) {
            if (const auto* block = dynamic_cast<const Block*>(piece.get())) {
                all.push_back(block);
            } else if (const auto* curve = dynamic_cast<const Curve*>(piece.get())) {
                for (int i = 0; i < Curve::kBlockCount; ++i) {
                    all.push_back(&curve->block(i));
                }
            }
        }
        return all;
    }
    // Runs `ticks` steps and fails at the first tick that leaves the centre
    // inside a grown box.
    void runWithoutSinking(int ticks) {
        const std::vector<const Block*> all = blocks();
        for (int tick = 0; tick < ticks; ++tick) {
            simulationStep(ball, scene);
            for (size_t i = 0; i < all.size(); ++i) {
                const Point3 c = ball.center();
                ASSERT_FALSE(insideGrownBox(*all[i], c))
                    << "tick " << tick << ", block " << i << ", centre " << c.x << " " << c.y << " "
                    << c.z;
            }
        }
    }

    Ball ball{kRadius, 5.0f, Point3(0, 2, 0), Vector3(0, 0, 0)};
    SceneList scene;
};

TEST_F(FallingBall, ComesToRestOnTopOfABlockAndStaysThere) {
    scene.push_back(std::make_unique<Block>());
    constexpr int kSettleTicks = 1000;
    constexpr int kRestTicks = 2000;
    runWithoutSinking(kSettleTicks);
    // Resting: the centre hovers within one tick's fall of the grown top.
    const float top = 0.05f + kRadius;
    for (int tick = 0; tick < kRestTicks; ++tick) {
        simulationStep(ball, scene);
        const Point3 c = ball.center();
        ASSERT_GE(c.y, top) << "tick " << tick;
        ASSERT_LE(c.y, top + 0.002f) << "tick " << tick;
        ASSERT_EQ(c.x, 0.0f);
        ASSERT_EQ(c.z, 0.0f);
    }
}

TEST_F(FallingBall, RollsOffATurnedBlock) {
    auto block = std::make_unique<Block>();
    block->setScale(1.2f, 0.1f, 0.4f);
    block->setRotation(20, 0, 0, 1);
    scene.push_back(std::move(block));
    runWithoutSinking(1500);
    // The slope falls towards −x; the ball leaves it that way and keeps falling.
    EXPECT_LT(ball.center().x, -0.5f);
    EXPECT_LT(ball.center().y, -1.0f);
}

TEST_F(FallingBall, BouncesOffABlockTurnedAboutTwoAxes) {
    auto block = std::make_unique<Block>();
    block->setScale(1.2f, 0.4f, 0.8f);
    block->setRotation(50, 1, -1, 0);
    scene.push_back(std::move(block));
    runWithoutSinking(1500);
    // Knocked sideways off the tilted top, out of the plane z = 0 as well.
    EXPECT_GT(std::hypot(ball.center().x, ball.center().z), 1.0);
    EXPECT_GT(ball.center().z, 1.0f);
    EXPECT_LT(ball.center().y, -1.0f);
}

TEST_F(FallingBall, RunsDownTheOutsideOfACurve) {
    // Block 5 of the arc sits under the falling ball.
    auto curve = std::make_unique<Curve>();
    curve->setPosition(-0.383f, 0, 0);
    scene.push_back(std::move(curve));
    runWithoutSinking(1500);
    // The outer surface slopes down towards +x past block 0.
    EXPECT_GT(ball.center().x, 0.1f);
    EXPECT_LT(ball.center().y, -1.0f);
}

TEST_F(FallingBall, RollsAcrossAScaledTurnedCurve) {
    // The palette's curve: three times the size, turned about y and z.
    auto curve = std::make_unique<Curve>();
    curve->setScale(3, 3, 3);
    curve->setPosition(0.7f, 0.7f, 0);
    curve->setRotation(30, 0, 1, 0);
    curve->rotate(180, 0, 0, 1);
    scene.push_back(std::move(curve));
    runWithoutSinking(2000);
    EXPECT_GT(ball.center().x, 1.0f);
    EXPECT_LT(ball.center().y, -1.0f);
}

}  // namespace
