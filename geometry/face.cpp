// SPDX-License-Identifier: MIT
#include "geometry/face.h"

#include <cmath>

#include "geometry/angles.h"
#include "geometry/rounding.h"
#include "scene/ball.h"

namespace {

constexpr double kNoHit = -1.0;
// Twice the single-precision π, so a flat angle sum compares against the same
// 2π that the rest of the system uses.
constexpr double kTwoPi = 2.0 * double(kPi);
// How far the corner angles may sum from 2π for the contact point to count as
// inside; a point a hair outside an edge still passes.
constexpr double kInsideTolerance = 0.01;
// The normal speed a bounce always takes away, before dividing by the mass.
constexpr double kBounceLoss = 0.1;

}  // namespace

Face::Face(const Point3& c0, const Point3& c1, const Point3& c2, const Point3& c3) {
    corners[0] = c0;
    corners[1] = c1;
    corners[2] = c2;
    corners[3] = c3;
    const Vector3 u = (c2 - c0).asVector();
    const Vector3 v = (c1 - c0).asVector();
    unitNormal = v.cross(u);
    unitNormal.normalize();
}

double Face::hitDistance(const Ball& ball) const {
    const Point3 p = ball.center();
    const Point3 q = p + ball.stepVector();
    Point3 h;
    if (!planeContact(p, q, h) || !holds(h)) {
        return kNoHit;
    }
    return distance(h, p);
}

bool Face::holds(const Point3& contact) const {
    Vector3 toCorner[4];
    for (int i = 0; i < 4; ++i) {
        toCorner[i] = (corners[i] - contact).asVector();
    }
    // The angles that the edges subtend at the contact sum to 2π only inside the
    // quad. A contact exactly on a corner gives NaN, which fails the test.
    float sum = rounded(toCorner[0].angle(toCorner[1]));
    sum = rounded(toCorner[1].angle(toCorner[2]) + sum);
    sum = rounded(toCorner[2].angle(toCorner[3]) + sum);
    const double total = toCorner[3].angle(toCorner[0]) + sum;
    return std::fabs(total - kTwoPi) < kInsideTolerance;
}

void Face::bounce(Ball& ball) const {
    const Point3 p = ball.center();
    const Vector3 step = ball.stepVector();
    const Point3 q = p + step;
    const Point3 h = contactAt(p, q, rounded(planeParam(p, q)));
    const Vector3& n = unitNormal;

    // Mirror the incoming displacement in the plane, at the step's length.
    const Vector3 back = (p - h).asVector();
    const float k = rounded(2.0 * back.dot(n));
    Vector3 reflected = back * -1.0f + n * k;
    reflected.setLength(rounded(step.length()));

    // Take speed out of the normal part, never more than all of it.
    const double vn = reflected.dot(n);
    Vector3 normalLoss = n * rounded(vn);
    const float mass = ball.mass;
    if (mass != 0.0f) {
        normalLoss = n * rounded(n.dot(reflected) / mass + kBounceLoss / mass);
    }
    if (vn < rounded(normalLoss.length())) {
        normalLoss.setLength(rounded(vn));
    }

    Vector3 velocity(0.0f, 0.0f, 0.0f);
    velocity += reflected;
    velocity -= normalLoss;
    ball.setHeading(velocity);
}
