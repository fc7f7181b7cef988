// SPDX-License-Identifier: MIT
// The grown box's size, corners and face order, without a ball.
#include "geometry/grown_box.h"

#include <gtest/gtest.h>

namespace {

constexpr float kRadius = 0.05f;
constexpr double kTol = 1e-6;

struct Axis {
    float x, y, z;
};
// The outward normals of faces 0 to 5 in the block's own axes.
constexpr Axis kOutward[GrownBox::kFaceCount] = {{1, 0, 0},  {-1, 0, 0}, {0, 1, 0},
                                                 {0, -1, 0}, {0, 0, 1},  {0, 0, -1}};

void expectNormal(const Face& face, const Axis& a) {
    EXPECT_NEAR(face.normal().x, a.x, kTol);
    EXPECT_NEAR(face.normal().y, a.y, kTol);
    EXPECT_NEAR(face.normal().z, a.z, kTol);
}

TEST(GrownBox, HalfExtentAddsTheRadiusInUnitCubeUnits) {
    EXPECT_FLOAT_EQ(grownHalfExtent(kRadius, 1.0f), 0.55f);
    EXPECT_FLOAT_EQ(grownHalfExtent(kRadius, 0.1f), 1.0f);
    EXPECT_EQ(grownHalfExtent(kRadius, 0.3f), static_cast<float>(0.5 + 0.05f / double(0.3f)));
    EXPECT_EQ(grownHalfExtent(0.0f, 0.3f), 0.5f);
}

TEST(GrownBox, FacesPointOutInTableOrder) {
    const GrownBox box(Matrix4::identity(), kRadius, 1, 1, 1);
    for (int i = 0; i < GrownBox::kFaceCount; ++i) {
        SCOPED_TRACE(i);
        expectNormal(box.face(i), kOutward[i]);
    }
}

TEST(GrownBox, FaceCornersFollowTheCornerTable) {
    const GrownBox box(Matrix4::identity(), kRadius, 1, 1, 1);
    // Face 2 is A, B, F, E: (+,+,+), (+,+,−), (−,+,−), (−,+,+).
    const float e = 0.55f;
    const float expected[4][3] = {{e, e, e}, {e, e, -e}, {-e, e, -e}, {-e, e, e}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(box.face(2).corner(i).x, expected[i][0]);
        EXPECT_EQ(box.face(2).corner(i).y, expected[i][1]);
        EXPECT_EQ(box.face(2).corner(i).z, expected[i][2]);
    }
}

TEST(GrownBox, ParentScaleGrowsThePushOutToo) {
    // A parent scale of 2 is not divided out of the half-extents.
    Matrix4 world = Matrix4::identity();
    world.scale(2, 2, 2);
    const GrownBox box(world, kRadius, 1, 1, 1);
    EXPECT_NEAR(box.face(2).corner(0).y, 1.1, kTol);
}

}  // namespace
