// SPDX-License-Identifier: MIT
// A face's hit distance and bounce against a ball coming at it. The ball is a
// scene object, so these run with a rendering context.
#include <gtest/gtest.h>

#include <cmath>

#include "geometry/face.h"
#include "scene/ball.h"

namespace {

constexpr double kTol = 1e-6;
constexpr float kMass = 5.0f;

// The square y = 0.5, |x| <= 1, |z| <= 1, facing up.
Face upFace() {
    return Face(Point3(1, 0.5f, 1), Point3(1, 0.5f, -1), Point3(-1, 0.5f, -1), Point3(-1, 0.5f, 1));
}

// A ball at `center` whose velocity and step are `step`.
class FaceHit : public ::testing::Test {
  protected:
    void place(Point3 center, Vector3 step, float mass = kMass) {
        ball = std::make_unique<Ball>(0.05f, mass, center, Vector3());
        ball->setMotion(step);
    }
    void expectVelocity(float x, float y, float z) const {
        const Vector3 v = ball->velocityVector();
        EXPECT_NEAR(v.x, x, kTol);
        EXPECT_NEAR(v.y, y, kTol);
        EXPECT_NEAR(v.z, z, kTol);
    }
    void expectStep(float x, float y, float z, double tol = kTol) const {
        const Vector3 s = ball->stepVector();
        EXPECT_NEAR(s.x, x, tol);
        EXPECT_NEAR(s.y, y, tol);
        EXPECT_NEAR(s.z, z, tol);
    }

    Face face = upFace();
    std::unique_ptr<Ball> ball;
};

TEST_F(FaceHit, StraightHitBouncesWithTheNormalSpeedReduced) {
    place({0, 0.55f, 0}, {0, -0.1f, 0});
    EXPECT_NEAR(face.planeParam(ball->center(), ball->center() + ball->stepVector()), 0.5, kTol);
    EXPECT_NEAR(face.hitDistance(*ball), 0.05, kTol);
    face.bounce(*ball);
    expectVelocity(0, 0.06f, 0);
    expectStep(0, 0.1f, 0);
}

TEST_F(FaceHit, ObliqueHitKeepsTheTangentialSpeedAndTheStepLength) {
    place({0, 0.55f, 0}, {0.05f, -0.1f, 0});
    EXPECT_NEAR(face.hitDistance(*ball), std::sqrt(0.025 * 0.025 + 0.05 * 0.05), kTol);
    face.bounce(*ball);
    expectVelocity(0.05f, 0.06f, 0);
    EXPECT_NEAR(ball->stepVector().length(), std::sqrt(0.05 * 0.05 + 0.1 * 0.1), kTol);
    expectStep(0.0716f, 0.0859f, 0, 1e-4);
}

TEST_F(FaceHit, SlowBallStopsDead) {
    place({0, 0.51f, 0}, {0, -0.02f, 0});
    EXPECT_NEAR(face.hitDistance(*ball), 0.01, kTol);
    face.bounce(*ball);
    expectVelocity(0, 0, 0);
    expectStep(0, 0, 0);
}

TEST_F(FaceHit, BallJustAboveTheStoppingSpeedBouncesFeebly) {
    place({0, 0.51f, 0}, {0, -0.03f, 0});
    face.bounce(*ball);
    expectVelocity(0, 0.004f, 0);
    expectStep(0, 0.03f, 0);
}

TEST_F(FaceHit, MassOneOrZeroTakesTheWholeNormalPart) {
    for (float mass : {1.0f, 0.0f}) {
        SCOPED_TRACE(mass);
        place({0, 0.55f, 0}, {0, -0.1f, 0}, mass);
        face.bounce(*ball);
        expectVelocity(0, 0, 0);
        expectStep(0, 0, 0);
    }
}

TEST_F(FaceHit, MassZeroObliqueHitSlidesAlongTheFace) {
    place({0, 0.55f, 0}, {0.05f, -0.1f, 0}, 0.0f);
    face.bounce(*ball);
    expectVelocity(0.05f, 0, 0);
    expectStep(std::sqrt(0.05f * 0.05f + 0.1f * 0.1f), 0, 0, 1e-6);
}

// Each way the centre can fail to meet the face within the quad and the step.
TEST_F(FaceHit, MissesReportMinusOne) {
    struct Miss {
        const char* why;
        Point3 center;
        Vector3 step;
    };
    const Miss misses[] = {
        {"behind the plane", {0, 0.4f, 0}, {0, 0.2f, 0}},
        {"on the plane", {0, 0.5f, 0}, {0, -0.1f, 0}},
        {"stops short", {0, 0.7f, 0}, {0, -0.1f, 0}},
        {"moving away", {0, 0.55f, 0}, {0, 0.1f, 0}},
        {"parallel", {0, 0.55f, 0}, {0.1f, 0, 0.1f}},
        {"zero step", {0, 0.55f, 0}, {0, 0, 0}},
        {"outside the quad", {1.01f, 0.6f, 0}, {0, -0.2f, 0}},
        {"far outside", {3, 0.6f, -2}, {0, -0.2f, 0}},
        {"through a corner", {1, 0.6f, 1}, {0, -0.2f, 0}},
    };
    for (const Miss& miss : misses) {
        SCOPED_TRACE(miss.why);
        place(miss.center, miss.step);
        EXPECT_EQ(face.hitDistance(*ball), -1.0);
    }
}

// A step that ends exactly on the plane must be a hit: the next tick would
// start on the plane (no hit) and the ball would fall through.
TEST_F(FaceHit, StepEndingExactlyOnThePlaneIsAHitAtTheFullLength) {
    place({0, 0.6f, 0}, {0, -0.1f, 0});
    ASSERT_EQ(face.planeParam(ball->center(), ball->center() + ball->stepVector()), 1.0);
    EXPECT_NEAR(face.hitDistance(*ball), 0.1, kTol);
    face.bounce(*ball);
    expectVelocity(0, 0.06f, 0);
    expectStep(0, 0.1f, 0);
}

TEST_F(FaceHit, ContactOnAnEdgeOrAHairOutsideItIsInside) {
    place({1, 0.6f, 0}, {0, -0.2f, 0});
    EXPECT_NEAR(face.hitDistance(*ball), 0.1, kTol);
    place({1.0001f, 0.6f, 0}, {0, -0.2f, 0});
    EXPECT_NEAR(face.hitDistance(*ball), 0.1, kTol);
}

TEST_F(FaceHit, ReversedFaceIsHitOnlyFromBelow) {
    const Face down(Point3(-1, 0.5f, 1), Point3(-1, 0.5f, -1), Point3(1, 0.5f, -1),
                    Point3(1, 0.5f, 1));
    place({0, 0.55f, 0}, {0, -0.1f, 0});
    EXPECT_EQ(down.hitDistance(*ball), -1.0);
    place({0, 0.45f, 0}, {0, 0.1f, 0});
    EXPECT_NEAR(down.hitDistance(*ball), 0.05, kTol);
    down.bounce(*ball);
    expectVelocity(0, -0.06f, 0);
}

TEST_F(FaceHit, TiltedFaceBouncesAboutItsOwnNormal) {
    // The plane x + y = 0 seen from the (1, 1, 0) side: a ball falling on it
    // is mirrored to +x, then loses its normal part and slides down the slope.
    const float h = std::sqrt(0.5f);
    const Face tilted(Point3(-1, 1, -1), Point3(-1, 1, 1), Point3(1, -1, 1), Point3(1, -1, -1));
    EXPECT_NEAR(tilted.normal().x, h, kTol);
    EXPECT_NEAR(tilted.normal().y, h, kTol);
    place({0, 0.1f, 0}, {0, -0.2f, 0}, 0.0f);
    EXPECT_NEAR(tilted.hitDistance(*ball), 0.1, kTol);
    tilted.bounce(*ball);
    // Mass 0: the normal part goes, the tangential (0.1, -0.1) stays.
    expectVelocity(0.1f, -0.1f, 0);
}

}  // namespace
