// SPDX-License-Identifier: MIT
#include "geometry/wedge_push_out.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "geometry/grown_box.h"
#include "geometry/leaving_planes.h"
#include "geometry/push_out.h"
#include "geometry/rounding.h"
#include "scene/ball.h"

namespace {

// A wedged centre's exits. A place is clear of a box when it is more than
// this in front of one of its faces: half the margin, so that an exit left
// kPushOutMargin in front of its own planes passes whatever the rounding, and
// a place the hit test would read as on a plane does not.
constexpr float kClearance = rounded(kPushOutMargin / 2);
// Two planes nearer parallel than this (the square of the sine of the angle
// between their normals) meet far off or not at all: no edge between them.
constexpr double kMinSineSquared = 1e-6;
// The planes of this many boxes near the centre are tried as exits, those
// holding it first: a funnel's two arms, a curve's overlapping members and a
// block pressed into them, with some to spare. Every box near it still bars
// the exits that land in it.
constexpr int kMaxExitBoxes = 6;
// The outward search tries 26 directions (to the faces, edges and corners of
// a cube) on this many spheres out to the reach: at the ball's radius of
// 0.05, a sphere every quarter of a radius.
constexpr int kSearchSpheres = 32;

// A place clear of every box, how far it lies from the start, and the normals
// of the planes the centre left through.
struct Exit {
    Point3 place;
    double distance = std::numeric_limits<double>::infinity();
    std::array<Vector3, 2> normals;
    int normalCount = 0;
};

struct WedgeSearch {
    Point3 start;
    double reach;
    // The boxes that may hold a place within the reach of the start: every
    // other one has the start farther than that in front of one of its faces.
    std::vector<const GrownBox*> near;
    std::vector<const Face*> planes;
    // Per plane: whether it is its box's exit face for the start.
    std::vector<bool> leading;
    Exit best;
    std::function<bool(const Point3&)> allowed;
};

WedgeSearch searchAround(const std::vector<const GrownBox*>& boxes, const Point3& start,
                         double reach) {
    WedgeSearch search{start, reach, {}, {}, {}, {}, {}};
    const float nearBy = rounded(reach) + kClearance;
    for (const GrownBox* box : boxes) {
        if (box->holds(start, nearBy)) {
            search.near.push_back(box);
        }
    }
    // Those holding the start go first, in the course's order.
    std::stable_partition(search.near.begin(), search.near.end(),
                          [&start](const GrownBox* box) { return box->holds(start); });
    const size_t exitBoxes = std::min(search.near.size(), size_t(kMaxExitBoxes));
    for (size_t b = 0; b < exitBoxes; ++b) {
        const int lead = search.near[b]->exitFace(start);
        for (int i = 0; i < GrownBox::kFaceCount; ++i) {
            if (!isZero(search.near[b]->face(i).normal())) {
                search.planes.push_back(&search.near[b]->face(i));
                search.leading.push_back(i == lead);
            }
        }
    }
    return search;
}

// Takes q if it is nearer than the best exit so far and clear of every box.
void tryExit(WedgeSearch& search, const Point3& q, const Vector3* normals, int count) {
    const double d = distance(q, search.start);
    if (!(d < search.best.distance)) {
        return;
    }
    for (const GrownBox* box : search.near) {
        if (box->holds(q, kClearance)) {
            return;
        }
    }
    if (search.allowed && !search.allowed(q)) {
        return;
    }
    search.best = Exit{q, d, {{normals[0], count > 1 ? normals[1] : Vector3()}}, count};
}

// Each plane's exit: the start moved along its normal to the margin in front.
void exitsThroughFaces(WedgeSearch& search, bool leadingOnly) {
    for (size_t i = 0; i < search.planes.size(); ++i) {
        if (leadingOnly && !search.leading[i]) {
            continue;
        }
        const Face* face = search.planes[i];
        const double push = kPushOutMargin - face->signedDistance(search.start);
        if (std::fabs(push) <= search.reach) {
            const Vector3 n = face->normal();
            tryExit(search, movedAlong(search.start, n, push), &n, 1);
        }
    }
}

// Each pair of planes' exit: the point nearest the start on the line where
// the planes, moved out by the margin, meet.
void exitsThroughEdges(WedgeSearch& search, bool leadingOnly) {
    const Point3& p = search.start;
    for (size_t i = 0; i < search.planes.size(); ++i) {
        for (size_t j = i + 1; j < search.planes.size(); ++j) {
            if (leadingOnly && !(search.leading[i] && search.leading[j])) {
                continue;
            }
            const Vector3 n[2] = {search.planes[i]->normal(), search.planes[j]->normal()};
            const double c = n[0].dot(n[1]);
            const double det = 1.0 - c * c;
            if (!(det > kMinSineSquared)) {
                continue;
            }
            // p moved a along n0 and b along n1 lies the margin in front of
            // both planes.
            const double r0 = kPushOutMargin - search.planes[i]->signedDistance(p);
            const double r1 = kPushOutMargin - search.planes[j]->signedDistance(p);
            const double a = (r0 - c * r1) / det, b = (r1 - c * r0) / det;
            if (!(a * a + b * b + 2.0 * a * b * c <= search.reach * search.reach)) {
                continue;
            }
            tryExit(search, movedAlong(p, n[0], a, n[1], b), n, 2);
        }
    }
}

// Spheres of growing radius around the start, for a pocket no face or edge
// leads out of; the first that has a clear place gives it.
void searchOutward(WedgeSearch& search) {
    for (int sphere = 1; sphere <= kSearchSpheres; ++sphere) {
        const double radius = search.reach * sphere / kSearchSpheres;
        for (int k = 0; k < 27; ++k) {
            // The 3 by 3 by 3 grid's offsets -1, 0 and 1 along each axis.
            const int dx = k % 3 - 1, dy = k / 3 % 3 - 1, dz = k / 9 - 1;
            Vector3 direction(static_cast<float>(dx), static_cast<float>(dy),
                              static_cast<float>(dz));
            if (isZero(direction)) {
                continue;
            }
            direction.normalize();
            tryExit(search, movedAlong(search.start, direction, radius), &direction, 1);
        }
        if (search.best.normalCount > 0) {
            return;
        }
    }
}

}  // namespace

// Where a wedged centre goes, tried in this order; the first step that finds
// places clear of every box near the start gives the nearest of them:
// 1. out through each box's leading face (the one the start is least deep
//    behind, or for a box that does not hold it farthest in front of), or
//    through the edge where two such faces meet. In a funnel these are the
//    arms' inner faces, whose crease lies above the ball, while the nearest
//    way out over every plane may lie through the funnel's tip, below it;
// 2. out through any face of the boxes near the start, or any edge of two;
// 3. outward from the start, sphere by sphere, for a pocket that no face or
//    edge leads out of;
// 4. back to the start, with the motion stopped.
bool pushOutOfWedge(const std::vector<const GrownBox*>& boxes, const Point3& start, Ball& ball,
                    const std::function<bool(const Point3&)>& allowed) {
    const Point3 p = ball.center();
    if (!allowed && std::none_of(boxes.begin(), boxes.end(),
                                 [&p](const GrownBox* box) { return box->holds(p); })) {
        return false;
    }
    const double reach = kWedgeReachDiameters * 2.0 * double(ball.radius);
    Exit exit;
    if (reach > 0.0 && reach < HUGE_VAL) {
        WedgeSearch search = searchAround(boxes, start, reach);
        search.allowed = allowed;
        exitsThroughFaces(search, true);
        exitsThroughEdges(search, true);
        if (search.best.normalCount == 0) {
            exitsThroughFaces(search, false);
            exitsThroughEdges(search, false);
        }
        if (search.best.normalCount == 0) {
            searchOutward(search);
        }
        exit = search.best;
    }
    if (exit.normalCount == 0) {
        if (allowed) {
            return false;
        }
        ball.setCenter(start);
        ball.setMotion(Vector3(0.0f, 0.0f, 0.0f));
        return true;
    }
    ball.setCenter(exit.place);
    removeInwardVelocity(ball, exit.normals.data(), exit.normalCount);
    return true;
}
