// SPDX-License-Identifier: MIT
#include "geometry/push_out.h"

#include <cmath>

#include "geometry/grown_box.h"
#include "scene/ball.h"

namespace {

// Far from the origin a float's spacing outgrows the margin, and the rounded
// centre may land back on the plane; the push doubles until it clears it. 32
// doublings reach 4e6 world units, beyond the spacing at any coordinate a
// piece can be carried to.
constexpr int kMaxPushDoublings = 32;

bool isZero(const Vector3& v) {
    return v.x == 0.0f && v.y == 0.0f && v.z == 0.0f;
}

// The face that p is least deep behind, or -1 when p is in front of some face
// (or a distance is not a number), or every face's normal is zero. Strict, so
// of equally deep faces the earlier one in the box's table wins.
int exitFace(const GrownBox& box, const Point3& p) {
    int exit = -1;
    float least = -HUGE_VALF;
    for (int i = 0; i < GrownBox::kFaceCount; ++i) {
        const Face& face = box.face(i);
        const float d = face.signedDistance(p);
        if (!(d <= 0.0f)) {
            return -1;
        }
        // A zero normal (a collapsed box) points nowhere to move along.
        if (d > least && !isZero(face.normal())) {
            least = d;
            exit = i;
        }
    }
    return exit;
}

// p moved `push` world units along n, each coordinate rounded once.
Point3 movedAlong(const Point3& p, const Vector3& n, double push) {
    return Point3(static_cast<float>(p.x + n.x * push), static_cast<float>(p.y + n.y * push),
                  static_cast<float>(p.z + n.z * push));
}

// Takes away the part of the velocity along n when it points in; the step
// takes the new direction at its old length, as after a bounce.
void removeInwardVelocity(Ball& ball, const Vector3& n) {
    Vector3 velocity = ball.velocityVector();
    const double inward = velocity.dot(n);
    if (!(inward < 0.0)) {
        return;
    }
    velocity -= n * static_cast<float>(inward);
    ball.setHeading(velocity);
}

}  // namespace

bool pushOutOfBox(const GrownBox& box, Ball& ball) {
    const Point3 p = ball.center();
    const int exit = exitFace(box, p);
    if (exit < 0) {
        return false;
    }
    const Face& face = box.face(exit);
    const Vector3 n = face.normal();
    double push = kPushOutMargin - face.signedDistance(p);
    Point3 out = movedAlong(p, n, push);
    for (int doublings = 0; !(face.signedDistance(out) > 0.0f); ++doublings) {
        if (doublings == kMaxPushDoublings) {
            return false;
        }
        push *= 2.0;
        out = movedAlong(p, n, push);
    }
    ball.setCenter(out);
    removeInwardVelocity(ball, n);
    return true;
}
