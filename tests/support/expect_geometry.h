// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include "geometry/point3.h"
#include "geometry/vector3.h"

// Component-wise comparisons of points and vectors within a tolerance that
// covers single-precision rounding of values near 1.
constexpr float kGeometryTolerance = 1e-6f;

inline void expectVector(const Vector3& v, float x, float y, float z,
                         float tolerance = kGeometryTolerance) {
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

inline void expectPoint(const Point3& p, float x, float y, float z,
                        float tolerance = kGeometryTolerance) {
    EXPECT_NEAR(p.x, x, tolerance);
    EXPECT_NEAR(p.y, y, tolerance);
    EXPECT_NEAR(p.z, z, tolerance);
}
