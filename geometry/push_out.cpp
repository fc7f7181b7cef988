// SPDX-License-Identifier: MIT
#include "geometry/push_out.h"

#include "geometry/grown_box.h"
#include "geometry/leaving_planes.h"
#include "scene/ball.h"

namespace {

// Far from the origin a float's spacing outgrows the margin, and the rounded
// centre may land back on the plane; the push doubles until it clears it. 32
// doublings reach 4e6 world units, beyond the spacing at any coordinate a
// piece can be carried to.
constexpr int kMaxPushDoublings = 32;

}  // namespace

bool pushOutOfBox(const GrownBox& box, Ball& ball) {
    const Point3 p = ball.center();
    const int exit = box.holds(p) ? box.exitFace(p) : -1;
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
    removeInwardVelocity(ball, &n, 1);
    return true;
}
