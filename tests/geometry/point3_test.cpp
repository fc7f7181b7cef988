// SPDX-License-Identifier: MIT
#include "geometry/point3.h"

#include <gtest/gtest.h>

#include "tests/support/expect_geometry.h"

namespace {

TEST(Point3Arithmetic, DifferenceIsAPointThatCanOffsetAnother) {
    const Point3 difference = Point3(1, 2, 3) - Point3(1, 1, 1);
    expectPoint(difference, 0, 1, 2);
    expectPoint(Point3(1, 2, 3) + difference, 1, 3, 5);
}

TEST(Point3Arithmetic, AddsVectorsAndScales) {
    Point3 p(1, 2, 3);
    expectPoint(p + Vector3(0.5f, -1, 2), 1.5f, 1, 5);
    p += Vector3(-1, -2, -3);
    expectPoint(p, 0, 0, 0);
    expectPoint(Point3(1, -2, 0.5f) * 4.0f, 4, -8, 2);
}

TEST(Point3Distance, IsTheEuclideanDistanceInDouble) {
    EXPECT_DOUBLE_EQ(distance(Point3(1, 1, 1), Point3(1, 4, 5)), 5.0);
    EXPECT_DOUBLE_EQ(distance(Point3(2, 2, 2), Point3(2, 2, 2)), 0.0);
}

TEST(Point3Transform, AppliesAColumnMajorMatrixWithoutDividingByW) {
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    Point3 unchanged(0.25f, -3, 7);
    unchanged.transform(identity);
    expectPoint(unchanged, 0.25f, -3, 7);

    const float translation[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1};
    Point3 origin;
    origin.transform(translation);
    expectPoint(origin, 1, 2, 3);

    const float doubling[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1};
    Point3 ones(1, 1, 1);
    ones.transform(doubling);
    expectPoint(ones, 2, 2, 2);

    // A w row of (0, 0, 0, 4) would halve everything if w were divided out.
    const float projective[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 4};
    Point3 kept(1, 2, 3);
    kept.transform(projective);
    expectPoint(kept, 1, 2, 3);
}

TEST(Point3Transform, MapsAxesThroughAQuarterTurnAboutZ) {
    const float quarterTurn[16] = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    Point3 p(1, 0, 0);
    p.transform(quarterTurn);
    expectPoint(p, 0, 1, 0);
}

}  // namespace
