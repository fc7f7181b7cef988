// SPDX-License-Identifier: MIT
#include "geometry/push_out.h"

#include <cmath>

#include "geometry/centre_moves.h"
#include "geometry/grown_box.h"
#include "scene/ball.h"

namespace {

// Far from the origin a float's spacing outgrows the margin, and the rounded
// centre may land back on the plane; the push doubles until it clears it. 32
// doublings reach 4e6 world units, beyond the spacing at any coordinate a
// piece can be carried to.
constexpr int kMaxPushDoublings = 32;

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
    removeInwardVelocity(ball, &n, 1);
    return true;
}
