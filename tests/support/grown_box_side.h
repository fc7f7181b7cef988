// SPDX-License-Identifier: MIT
#pragma once

// Where the ball's centre stands against the pieces' grown boxes, worked out
// in double from the faces' planes rather than with the hit test's own
// single-precision sums.
#include <algorithm>
#include <cmath>

#include "tests/support/straightforward_hit_test.h"

// Above: the box lies straight under the centre; below: straight over it;
// beside: the vertical line through the centre misses it; inside: behind all
// six face planes.
enum class Side { kBeside, kAbove, kBelow, kInside };

inline Side sideOf(const GrownBox& box, const Point3& c) {
    // The heights over c between which the vertical line is behind every plane.
    double lo = -HUGE_VAL, hi = HUGE_VAL;
    for (int i = 0; i < GrownBox::kFaceCount; ++i) {
        const Vector3 n = box.face(i).normal();
        const Point3& c0 = box.face(i).corner(0);
        const double d = double(n.x) * (double(c.x) - c0.x) + double(n.y) * (double(c.y) - c0.y) +
                         double(n.z) * (double(c.z) - c0.z);
        if (n.y > 0.0f) {
            hi = std::min(hi, -d / n.y);
        } else if (n.y < 0.0f) {
            lo = std::max(lo, -d / n.y);
        } else if (d >= 0.0) {
            return Side::kBeside;
        }
    }
    if (!(lo < hi)) return Side::kBeside;
    if (hi <= 0.0) return Side::kAbove;
    if (lo >= 0.0) return Side::kBelow;
    return Side::kInside;
}
