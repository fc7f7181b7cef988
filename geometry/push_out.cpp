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

bool placeInFrontOf(const Face& face, const Point3& p, Point3& out) {
    const Vector3 n = face.normal();
    double push = kPushOutMargin - face.signedDistance(p);
    out = movedAlong(p, n, push);
    for (int doublings = 0; !(face.signedDistance(out) > 0.0f); ++doublings) {
        if (doublings == kMaxPushDoublings) {
            return false;
        }
        push *= 2.0;
        out = movedAlong(p, n, push);
    }
    return true;
}

bool pushOutOfBox(const GrownBox& box, Ball& ball) {
    const Point3 p = ball.center();
    const int exit = box.holds(p) ? box.exitFace(p) : -1;
    Point3 out;
    if (exit < 0 || !placeInFrontOf(box.face(exit), p, out)) {
        return false;
    }
    const Vector3 n = box.face(exit).normal();
    ball.setCenter(out);
    removeInwardVelocity(ball, &n, 1);
    return true;
}
