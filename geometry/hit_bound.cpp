// SPDX-License-Identifier: MIT
#include "geometry/hit_bound.h"

#include <algorithm>
#include <cmath>

#include "geometry/face.h"
#include "geometry/grown_box.h"

namespace {

// Why a face's contact can lie outside it, and how far. A contact point at
// distance d from a face of diameter D sees the face inside a cone of half-angle
// atan(D/d), so the corner angles it sums (the perimeter of the face as seen
// from it) total at most 2π·D/√(D² + d²). The inside test accepts sums down to
// 2π − 0.01 (less a few float roundings), which caps d at 0.0568·D. A face is
// no wider than a sphere around its corners, D ≤ 2·radius, so an accepted
// contact lies within 1.114·radius of the centre: 1.125 covers it.
constexpr double kFaceToleranceReach = 1.125;

// The sphere around `count` points: the middle of their extent, and the
// largest distance from it with the tolerance's reach. A NaN, once in, stays,
// and such a bound never lets a test be skipped.
template <class Corner>
HitBound aroundCorners(int count, Corner corner) {
    double lo[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL};
    double hi[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (int i = 0; i < count; ++i) {
        const Point3& c = corner(i);
        const double p[3] = {c.x, c.y, c.z};
        for (int k = 0; k < 3; ++k) {
            lo[k] = std::min(lo[k], p[k]);
            hi[k] = std::max(hi[k], p[k]);
        }
    }
    const double x = 0.5 * (lo[0] + hi[0]), y = 0.5 * (lo[1] + hi[1]), z = 0.5 * (lo[2] + hi[2]);
    double radius = 0.0;
    for (int i = 0; i < count; ++i) {
        const Point3& c = corner(i);
        const double r = std::hypot(c.x - x, c.y - y, c.z - z);
        radius = r > radius || std::isnan(r) ? r : radius;
    }
    return HitBound(x, y, z,
                    kFaceToleranceReach * radius +
                        HitBound::kRoundingSlack * (std::fabs(x) + std::fabs(y) + std::fabs(z)));
}

}  // namespace

HitBound HitBound::around(const GrownBox& box) {
    return aroundCorners(4 * GrownBox::kFaceCount,
                         [&box](int i) -> const Point3& { return box.face(i / 4).corner(i % 4); });
}

HitBound HitBound::around(const Face& face) {
    return aroundCorners(4, [&face](int i) -> const Point3& { return face.corner(i); });
}

HitBound HitBound::around(const HitBound* bounds, int count) {
    double lo[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL};
    double hi[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (int b = 0; b < count; ++b) {
        const double c[3] = {bounds[b].cx, bounds[b].cy, bounds[b].cz};
        for (int k = 0; k < 3; ++k) {
            lo[k] = std::min(lo[k], c[k] - bounds[b].reach);
            hi[k] = std::max(hi[k], c[k] + bounds[b].reach);
        }
    }
    const double x = 0.5 * (lo[0] + hi[0]), y = 0.5 * (lo[1] + hi[1]), z = 0.5 * (lo[2] + hi[2]);
    double reach = 0.0;
    for (int b = 0; b < count; ++b) {
        const HitBound& s = bounds[b];
        const double r = std::hypot(s.cx - x, s.cy - y, s.cz - z) + s.reach;
        reach = r > reach || std::isnan(r) ? r : reach;
    }
    return HitBound(
        x, y, z, reach + HitBound::kRoundingSlack * (std::fabs(x) + std::fabs(y) + std::fabs(z)));
}
