// SPDX-License-Identifier: MIT
#include "geometry/centre_moves.h"

#include "scene/ball.h"

bool isZero(const Vector3& v) {
    return v.x == 0.0f && v.y == 0.0f && v.z == 0.0f;
}

Point3 movedAlong(const Point3& p, const Vector3& n, double push) {
    return Point3(static_cast<float>(p.x + n.x * push), static_cast<float>(p.y + n.y * push),
                  static_cast<float>(p.z + n.z * push));
}

void removeInwardVelocity(Ball& ball, const Vector3* normals, int count) {
    Vector3 velocity = ball.velocityVector();
    bool changed = false;
    for (int i = 0; i < count; ++i) {
        const double inward = velocity.dot(normals[i]);
        if (inward < 0.0) {
            velocity -= normals[i] * static_cast<float>(inward);
            changed = true;
        }
    }
    if (changed) {
        ball.setHeading(velocity);
    }
}
