// SPDX-License-Identifier: MIT
#pragma once

#include <cmath>

#include "geometry/point3.h"
#include "geometry/vector3.h"

class Face;
class GrownBox;

// A sphere around every contact point that a set of faces can accept. A step
// that stays outside it meets none of those faces, so their exact tests, which
// would all report -1, can be skipped.
class HitBound {
  public:
    // A bound that every step may meet, until one is built.
    HitBound() = default;
    // A sphere of `reach` world units around (x, y, z), margins included.
    HitBound(double x, double y, double z, double reach) : cx(x), cy(y), cz(z), reach(reach) {}

    // Around the six faces of a grown box, wide enough for the faces' inside
    // tolerance.
    static HitBound around(const GrownBox& box);
    // Around one face, likewise.
    static HitBound around(const Face& face);
    // Around `count` bounds, each of which already carries its own margin.
    static HitBound around(const HitBound* bounds, int count);

    // False only when the segment from p to p + step certainly passes outside
    // the sphere; true whenever anything is not a finite number.
    bool mayMeet(const Point3& p, const Vector3& step) const {
        const double sx = step.x, sy = step.y, sz = step.z;
        const double dx = cx - p.x, dy = cy - p.y, dz = cz - p.z;
        const double stepLength = magnitude(sx, sy, sz);  // at least |step|
        const double within = reach + kRoundingSlack * (magnitude(p.x, p.y, p.z) + stepLength);
        // Every point of the segment lies within |step| of p: far pieces end here.
        const double dd = dx * dx + dy * dy + dz * dz;
        const double farther = within + stepLength;
        if (dd > farther * farther) {
            return false;
        }
        // The point of the segment nearest the centre, at p + t·step.
        const double ss = sx * sx + sy * sy + sz * sz;
        const double ds = dx * sx + dy * sy + dz * sz;
        double t = 0.0;
        if (ds > 0.0) {
            t = ds < ss ? ds / ss : 1.0;
        }
        const double ex = dx - t * sx, ey = dy - t * sy, ez = dz - t * sz;
        // Any NaN fails the comparison, and then the faces are tested.
        return !(ex * ex + ey * ey + ez * ez > within * within);
    }

    // False only when the point certainly lies outside the sphere.
    bool holds(const Point3& h) const {
        const double dx = h.x - cx, dy = h.y - cy, dz = h.z - cz;
        const double within = reach + kRoundingSlack * magnitude(h.x, h.y, h.z);
        return !(dx * dx + dy * dy + dz * dz > within * within);
    }

    // False only when every point within `distance` world units of p
    // certainly lies outside the sphere.
    bool near(const Point3& p, double distance) const {
        const double dx = p.x - cx, dy = p.y - cy, dz = p.z - cz;
        const double within = reach + distance + kRoundingSlack * magnitude(p.x, p.y, p.z);
        return !(dx * dx + dy * dy + dz * dz > within * within);
    }

    // The contact point is rounded off the exact segment by a few float ulps of
    // the coordinates involved (under 5e-7 of their size), and these tests'
    // own double arithmetic adds far less; 1e-6 of every magnitude in play
    // covers both.
    static constexpr double kRoundingSlack = 1e-6;

  private:
    static double magnitude(double x, double y, double z) {
        return std::fabs(x) + std::fabs(y) + std::fabs(z);
    }

    double cx = 0.0, cy = 0.0, cz = 0.0;
    // World units from the centre within which an accepted contact can lie,
    // margins included.
    double reach = HUGE_VAL;
};
