// SPDX-License-Identifier: MIT
#include "geometry/leaving_planes.h"

#include "geometry/rounding.h"
#include "scene/ball.h"

Point3 movedAlong(const Point3& p, const Vector3& n, double push) {
    return Point3(rounded(p.x + n.x * push), rounded(p.y + n.y * push), rounded(p.z + n.z * push));
}

Point3 movedAlong(const Point3& p, const Vector3& n0, double a, const Vector3& n1, double b) {
    return Point3(rounded(p.x + a * n0.x + b * n1.x), rounded(p.y + a * n0.y + b * n1.y),
                  rounded(p.z + a * n0.z + b * n1.z));
}

void removeInwardVelocity(Ball& ball, const Vector3* normals, int count) {
    Vector3 velocity = ball.velocityVector();
    bool changed = false;
    for (int i = 0; i < count; ++i) {
        const double inward = velocity.dot(normals[i]);
        if (inward < 0.0) {
            velocity -= normals[i] * rounded(inward);
            changed = true;
        }
    }
    if (changed) {
        ball.setHeading(velocity);
    }
}
