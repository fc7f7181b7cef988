// SPDX-License-Identifier: MIT
// The wedged ball's way out, on grown boxes built by hand. No rendering
// context is current here: the ball's constructor then keeps the identity
// rotation it starts with, and nothing here reads the rotation.
#include "geometry/wedge_push_out.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "geometry/grown_box.h"
#include "scene/ball.h"

namespace {

constexpr float kRadius = 0.05f;
constexpr double kDegree = 3.14159265358979 / 180;
// Each arm of the V leans this far from the vertical.
constexpr double kHalfAngle = 15 * kDegree;

// A block of size (sx, sy, sz) centred on (x, y, z), turned `degrees` about z.
GrownBox block(float x, float y, float z, float sx, float sy, float sz, double degrees = 0) {
    const float c = float(std::cos(degrees * kDegree)), s = float(std::sin(degrees * kDegree));
    const float turn[16] = {c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    Matrix4 world = Matrix4::identity();
    world.translate(x, y, z);
    world.multiply(turn);
    world.scale(sx, sy, sz);
    return GrownBox(world, kRadius, sx, sy, sz);
}

// Two arms 1 long and 0.1 thick rising from a shared tip at the origin. Grown,
// they overlap up to their inner faces' crease, 0.1 / sin(15°) above the tip.
std::vector<GrownBox> vee() {
    const float ax = float(0.5 * std::sin(kHalfAngle)), ay = float(0.5 * std::cos(kHalfAngle));
    return {block(ax, ay, 0, 1, 0.1f, 0.4f, 75), block(-ax, ay, 0, 1, 0.1f, 0.4f, 105)};
}

std::vector<const GrownBox*> pointers(const std::vector<GrownBox>& boxes) {
    std::vector<const GrownBox*> all;
    for (const GrownBox& box : boxes) all.push_back(&box);
    return all;
}

// Outside a box: in front of at least one of its faces.
bool outsideEvery(const std::vector<GrownBox>& boxes, const Point3& p) {
    for (const GrownBox& box : boxes) {
        bool outside = false;
        for (int i = 0; i < GrownBox::kFaceCount; ++i) outside |= box.face(i).signedDistance(p) > 0;
        if (!outside) return false;
    }
    return true;
}

// A ball whose velocity and step are both `velocity`.
struct FallingBall : Ball {
    FallingBall(const Point3& centre, const Vector3& velocity)
        : Ball(kRadius, 5, centre, velocity) {
        setMotion(velocity);
    }
};

TEST(WedgePushOut, LeavesAVUpItsCreaseNotThroughItsNearerTip) {
    // From 0.15 up, the tip's way out (0.2 down) is nearer than the crease's
    // (0.24 up), and out through an arm's outer side nearer still.
    const std::vector<GrownBox> boxes = vee();
    const Point3 start(0, 0.15f, 0);
    FallingBall ball(start, Vector3(0, -0.1f, 0));
    ASSERT_TRUE(pushOutOfWedge(pointers(boxes), start, ball));
    const Point3 p = ball.center();
    EXPECT_TRUE(outsideEvery(boxes, p));
    EXPECT_NEAR(p.x, 0.0, 1e-6);
    EXPECT_GT(p.y, 0.1 / std::sin(kHalfAngle));
    EXPECT_NEAR(p.y, (0.1 + 1e-3) / std::sin(kHalfAngle), 1e-5);
    // Less of the fall into the crease, no more speed, the step as long as it was.
    EXPECT_GT(ball.velocityVector().y, -0.09f);
    EXPECT_LT(ball.velocityVector().length(), 0.1);
    EXPECT_NEAR(ball.stepVector().length(), 0.1, 1e-6);
}

TEST(WedgePushOut, LeavesACentreInsideNoBoxAsItWas) {
    const std::vector<GrownBox> boxes = vee();
    // The start is in the crease, but the centre now stands above it.
    FallingBall ball(Point3(0, 0.6f, 0), Vector3(0.02f, -0.1f, 0));
    EXPECT_FALSE(pushOutOfWedge(pointers(boxes), Point3(0, 0.15f, 0), ball));
    EXPECT_FALSE(pushOutOfWedge({}, Point3(0, 0.15f, 0), ball));
    EXPECT_EQ(ball.center().y, 0.6f);
    EXPECT_EQ(ball.velocityVector().x, 0.02f);
    EXPECT_EQ(ball.stepVector().y, -0.1f);
}

TEST(WedgePushOut, SearchesOutwardFromACornerOfThreeWalls) {
    // Every face and edge out of the corner leads into the third wall; only
    // the diagonal leads out, on the first sphere clear of all three.
    const std::vector<GrownBox> boxes = {block(0, -0.5f, 0, 3, 1, 3), block(-0.5f, 0, 0, 1, 3, 3),
                                         block(0, 0, -0.5f, 3, 3, 1)};
    const Point3 start(0.01f, 0.01f, 0.01f);
    FallingBall ball(start, Vector3(0, -0.1f, 0));
    ASSERT_TRUE(pushOutOfWedge(pointers(boxes), start, ball));
    const Point3 p = ball.center();
    EXPECT_TRUE(outsideEvery(boxes, p));
    // Sphere 6 of 32 out to four diameters, along (1, 1, 1).
    const double along = 0.01 + 4 * 2 * kRadius * 6 / 32 / std::sqrt(3.0);
    for (const float c : {p.x, p.y, p.z}) EXPECT_NEAR(c, along, 1e-6);
    const Vector3 v = ball.velocityVector();
    EXPECT_NEAR(double(v.x) + v.y + v.z, 0.0, 1e-6);
}

TEST(WedgePushOut, SendsTheBallBackFromASealedPocketWithItsMotionStopped) {
    // Six walls 1 thick round a hollow 0.04 wide: grown, they fill it, and the
    // nearest place outside them is farther than the reach.
    std::vector<GrownBox> boxes;
    for (float side : {-1.0f, 1.0f}) {
        const float w = 0.52f * side;
        boxes.push_back(block(w, 0, 0, 1, 3.04f, 3.04f));
        boxes.push_back(block(0, w, 0, 3.04f, 1, 3.04f));
        boxes.push_back(block(0, 0, w, 3.04f, 3.04f, 1));
    }
    const Point3 start(0, 0, 0);
    FallingBall ball(Point3(0.03f, 0, 0), Vector3(0.1f, -0.1f, 0));
    ASSERT_TRUE(pushOutOfWedge(pointers(boxes), start, ball));
    for (const float c : {ball.center().x, ball.center().y, ball.center().z}) EXPECT_EQ(c, 0.0f);
    EXPECT_EQ(ball.velocityVector().length(), 0.0);
    EXPECT_EQ(ball.stepVector().length(), 0.0);
}

}  // namespace
