// SPDX-License-Identifier: MIT
// One simulation step: the nearest piece bounces the ball, passes repeat from
// the same centre until nothing is hit, and the ball advances once.
#include "geometry/simulation_step.h"

#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <limits>
#include <memory>

#include "scene/ball.h"
#include "scene/block.h"

namespace {

constexpr double kTol = 1e-6;
const Vector3 kGravityPerTick(0, -0.002f, 0);

// A piece that reports scripted hit distances, one per call (-1 once the
// script runs out), and counts the bounces it is asked for. Resolving stops
// the ball, as a dead stop against it would.
class ScriptedPiece : public Piece {
  public:
    explicit ScriptedPiece(std::deque<float> distances) : script(std::move(distances)) {}
    void drawShape() override {}
    float hitDistance(Ball*) override {
        ++asked;
        if (script.empty()) {
            return -1.0f;
        }
        const float d = script.front();
        script.pop_front();
        return d;
    }
    void resolveHit(Ball* ball) override {
        ++resolved;
        ball->setMotion(Vector3(0, 0, 0));
    }

    std::deque<float> script;
    int asked = 0;
    int resolved = 0;
};

// A piece that the ball meets at half its step whenever it moves at all, and
// that sends it straight back: only the resolution limit ends such a tick.
class WallEverywhere : public Piece {
  public:
    void drawShape() override {}
    float hitDistance(Ball* ball) override {
        const double length = ball->stepVector().length();
        return length > 0 ? static_cast<float>(length / 2) : -1.0f;
    }
    void resolveHit(Ball* ball) override {
        ++resolved;
        ball->setHeading(ball->velocityVector() * -1.0f);
    }
    int resolved = 0;
};

// Forwards to a real block and counts its resolutions.
class CountedBlock : public Block {
  public:
    void resolveHit(Ball* ball) override {
        ++resolved;
        Block::resolveHit(ball);
    }
    int resolved = 0;
};

class SimulationStep : public ::testing::Test {
  protected:
    void SetUp() override { ball.setAcceleration(kGravityPerTick); }
    template <typename T, typename... Args>
    T& add(Args&&... args) {
        auto piece = std::make_unique<T>(std::forward<Args>(args)...);
        T& ref = *piece;
        scene.push_back(std::move(piece));
        return ref;
    }
    void expectCenter(float x, float y, float z) const {
        EXPECT_NEAR(ball.center().x, x, kTol);
        EXPECT_NEAR(ball.center().y, y, kTol);
        EXPECT_NEAR(ball.center().z, z, kTol);
    }

    Ball ball{0.05f, 5.0f, Point3(0, 2, 0), Vector3(0, 0, 0)};
    SceneList scene;
};

TEST_F(SimulationStep, EmptySceneOnlyAdvances) {
    ball.setMotion(Vector3(0.1f, 0, 0));
    simulationStep(ball, scene);
    expectCenter(0.1f, 2, 0);
    EXPECT_NEAR(ball.velocityVector().y, -0.002, kTol);
    EXPECT_NEAR(ball.stepVector().x, 0.1, kTol);
}

TEST_F(SimulationStep, StepMeetingNothingTakesOnePass) {
    ScriptedPiece& piece = add<ScriptedPiece>(std::deque<float>{-1.0f});
    ball.setMotion(Vector3(0, -0.1f, 0));
    simulationStep(ball, scene);
    EXPECT_EQ(piece.asked, 1);
    EXPECT_EQ(piece.resolved, 0);
    expectCenter(0, 1.9f, 0);
}

TEST_F(SimulationStep, OfEquallyNearPiecesTheEarlierIsResolved) {
    ScriptedPiece& first = add<ScriptedPiece>(std::deque<float>{0.3f});
    ScriptedPiece& second = add<ScriptedPiece>(std::deque<float>{0.3f});
    ball.setMotion(Vector3(0, -1, 0));
    simulationStep(ball, scene);
    EXPECT_EQ(first.resolved, 1);
    EXPECT_EQ(second.resolved, 0);
    EXPECT_EQ(second.asked, 2);
}

TEST_F(SimulationStep, NearerLaterPieceWins) {
    ScriptedPiece& far = add<ScriptedPiece>(std::deque<float>{0.5f});
    ScriptedPiece& near = add<ScriptedPiece>(std::deque<float>{0.0f});
    simulationStep(ball, scene);
    EXPECT_EQ(far.resolved, 0);
    EXPECT_EQ(near.resolved, 1);
}

TEST_F(SimulationStep, PieceReportingMinusOneOrNaNIsNeverResolved) {
    // The second piece hits in the first pass, loses to the first, and then
    // reports -1: its stale hit must not be resolved.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    ScriptedPiece& nearer = add<ScriptedPiece>(std::deque<float>{0.1f, -1.0f});
    ScriptedPiece& stale = add<ScriptedPiece>(std::deque<float>{0.2f, -1.0f});
    ScriptedPiece& undefined = add<ScriptedPiece>(std::deque<float>{nan, nan});
    simulationStep(ball, scene);
    EXPECT_EQ(nearer.resolved, 1);
    EXPECT_EQ(stale.resolved, 0);
    EXPECT_EQ(undefined.resolved, 0);
    EXPECT_EQ(stale.asked, 2);
}

TEST_F(SimulationStep, TenthResolutionStopsTheBallForTheTick) {
    WallEverywhere& wall = add<WallEverywhere>();
    ball.setMotion(Vector3(0.3f, 0.4f, 0));
    simulationStep(ball, scene);
    EXPECT_EQ(wall.resolved, kMaxResolutionsPerStep);
    // Stopped, then advanced: the centre is where it began and the motion is
    // one tick of acceleration.
    expectCenter(0, 2, 0);
    EXPECT_NEAR(ball.velocityVector().y, -0.002, kTol);
    EXPECT_NEAR(ball.stepVector().y, -0.002, kTol);
    EXPECT_EQ(ball.velocityVector().x, 0.0f);
}

TEST_F(SimulationStep, BallBetweenTwoCloseWallsStopsAfterTenBounces) {
    // Walls 0.8 apart with a step of length 2: every pass meets the opposite
    // wall, and the ball's normal speed never drops low enough to stop it.
    CountedBlock& right = add<CountedBlock>();
    CountedBlock& left = add<CountedBlock>();
    for (CountedBlock* wall : {&right, &left}) {
        wall->setScale(0.1f, 2, 2);
    }
    right.setPosition(0.5f, 0, 0);
    left.setPosition(-0.5f, 0, 0);
    ball.setCenter(Point3(0, 0, 0));
    ball.setMotion(Vector3(2, 0.01f, 0));
    simulationStep(ball, scene);
    EXPECT_EQ(right.resolved + left.resolved, kMaxResolutionsPerStep);
    EXPECT_EQ(right.resolved, 5);
    expectCenter(0, 0, 0);
    EXPECT_NEAR(ball.velocityVector().y, -0.002, kTol);
    EXPECT_EQ(ball.velocityVector().x, 0.0f);
}

TEST_F(SimulationStep, BallLandingExactlyOnATopFaceBouncesInsteadOfFallingThrough) {
    add<Block>();
    // The grown top of the default block is at y = 0.1: the step ends on it.
    ball.setCenter(Point3(0, 0.2f, 0));
    ball.setMotion(Vector3(0, -0.1f, 0));
    simulationStep(ball, scene);
    expectCenter(0, 0.3f, 0);
    EXPECT_NEAR(ball.velocityVector().y, 0.06 - 0.002, kTol);
    for (int tick = 0; tick < 200; ++tick) {
        simulationStep(ball, scene);
        ASSERT_GE(ball.center().y, 0.1f) << "tick " << tick;
    }
}

}  // namespace
