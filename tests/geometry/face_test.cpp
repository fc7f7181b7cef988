// SPDX-License-Identifier: MIT
// The plane of a face: its normal and where a segment crosses it. These need
// no ball, so they run without a display.
#include "geometry/face.h"

#include <gtest/gtest.h>

namespace {

constexpr double kTol = 1e-6;

// The square y = 0.5, |x| <= 1, |z| <= 1, counter-clockwise seen from above.
Face upFace() {
    return Face(Point3(1, 0.5f, 1), Point3(1, 0.5f, -1), Point3(-1, 0.5f, -1), Point3(-1, 0.5f, 1));
}

TEST(FacePlane, NormalPointsToTheCounterClockwiseSide) {
    const Vector3 n = upFace().normal();
    EXPECT_FLOAT_EQ(n.x, 0.0f);
    EXPECT_FLOAT_EQ(n.y, 1.0f);
    EXPECT_FLOAT_EQ(n.z, 0.0f);
}

TEST(FacePlane, ReversedCornersReverseTheNormal) {
    const Face down(Point3(-1, 0.5f, 1), Point3(-1, 0.5f, -1), Point3(1, 0.5f, -1),
                    Point3(1, 0.5f, 1));
    EXPECT_FLOAT_EQ(down.normal().y, -1.0f);
}

TEST(FacePlane, CollinearFirstCornersGiveAZeroNormalAndNoCrossing) {
    const Face flat(Point3(0, 0, 0), Point3(1, 0, 0), Point3(2, 0, 0), Point3(0, 0, 1));
    const Vector3 n = flat.normal();
    EXPECT_EQ(n.x, 0.0f);
    EXPECT_EQ(n.y, 0.0f);
    EXPECT_EQ(n.z, 0.0f);
    EXPECT_EQ(flat.planeParam(Point3(0, 1, 0), Point3(0, -1, 0)), -1.0);
}

TEST(FacePlane, ParamIsTheFractionOfTheSegmentBeforeThePlane) {
    EXPECT_NEAR(upFace().planeParam(Point3(0, 0.55f, 0), Point3(0, 0.45f, 0)), 0.5, kTol);
    EXPECT_NEAR(upFace().planeParam(Point3(3, 1.5f, 0), Point3(3, 0.5f, 0)), 1.0, kTol);
}

TEST(FacePlane, ParamIsZeroOnThePlaneAndNegativeMovingAway) {
    const Face face = upFace();
    EXPECT_EQ(face.planeParam(Point3(0, 0.5f, 0), Point3(0, 0.4f, 0)), 0.0);
    // In front and moving out: negative, but not the -1 of a miss.
    EXPECT_NEAR(face.planeParam(Point3(0, 0.55f, 0), Point3(0, 0.65f, 0)), -0.5, kTol);
}

TEST(FacePlane, ParamMissesBehindParallelAndStill) {
    const Face face = upFace();
    EXPECT_EQ(face.planeParam(Point3(0, 0.4f, 0), Point3(0, 0.6f, 0)), -1.0);
    EXPECT_EQ(face.planeParam(Point3(0, 0.6f, 0), Point3(0.5f, 0.6f, 0)), -1.0);
    EXPECT_EQ(face.planeParam(Point3(0, 0.6f, 0), Point3(0, 0.6f, 0)), -1.0);
}

}  // namespace
