// SPDX-License-Identifier: MIT
#include "geometry/grown_box.h"

#include <cmath>
#include <limits>

#include "geometry/rounding.h"
#include "scene/ball.h"

namespace {

// Corners of the grown box, named as in the face table below.
enum Corner { A, B, C, D, E, F, G, H, kCornerCount };

// Each face's corners in the order that makes its normal point outwards.
constexpr int kFaceCorners[GrownBox::kFaceCount][4] = {
    {D, C, B, A},  // +x
    {E, F, G, H},  // −x
    {A, B, F, E},  // +y
    {H, G, C, D},  // −y
    {A, E, H, D},  // +z
    {C, G, F, B},  // −z
};

std::array<Face, GrownBox::kFaceCount> buildFaces(const Matrix4& world, float ex, float ey,
                                                  float ez) {
    Point3 corner[kCornerCount] = {
        {+ex, +ey, +ez}, {+ex, +ey, -ez}, {+ex, -ey, -ez}, {+ex, -ey, +ez},
        {-ex, +ey, +ez}, {-ex, +ey, -ez}, {-ex, -ey, -ez}, {-ex, -ey, +ez},
    };
    for (Point3& p : corner) {
        p.transform(world.m);
    }
    auto face = [&corner](int i) {
        const int* c = kFaceCorners[i];
        return Face(corner[c[0]], corner[c[1]], corner[c[2]], corner[c[3]]);
    };
    return {face(0), face(1), face(2), face(3), face(4), face(5)};
}

}  // namespace

float grownHalfExtent(float radius, float scale) {
    return rounded(0.5 + double(radius) / double(scale));
}

GrownBox::GrownBox(const Matrix4& world, float radius, float sx, float sy, float sz)
    : faces(buildFaces(world, grownHalfExtent(radius, sx), grownHalfExtent(radius, sy),
                       grownHalfExtent(radius, sz))) {}

GrownBox::Hit GrownBox::nearestHit(const Ball& ball, const HitBound* faceBounds) const {
    const float none = std::numeric_limits<float>::max();
    Hit nearest{-1, none};
    // Face::hitDistance in its two halves, with the step's end point formed
    // once for all six faces.
    const Point3 p = ball.center();
    const Point3 q = p + ball.stepVector();
    for (int i = 0; i < kFaceCount; ++i) {
        Point3 h;
        if (!faces[i].planeContact(p, q, h) || (faceBounds != nullptr && !faceBounds[i].holds(h)) ||
            !faces[i].holds(h)) {
            continue;
        }
        const double d = distance(h, p);
        if (d >= 0.0 && rounded(d) < nearest.distance) {
            nearest = Hit{i, rounded(d)};
        }
    }
    if (nearest.face < 0) {
        nearest.distance = -1.0f;
    }
    return nearest;
}

bool GrownBox::holds(const Point3& p, float clearance) const {
    bool anyNormal = false;
    for (const Face& face : faces) {
        if (!(face.signedDistance(p) <= clearance)) {
            return false;
        }
        anyNormal = anyNormal || !isZero(face.normal());
    }
    return anyNormal;
}

int GrownBox::exitFace(const Point3& p) const {
    int exit = -1;
    float most = -HUGE_VALF;
    for (int i = 0; i < kFaceCount; ++i) {
        const float d = faces[i].signedDistance(p);
        // A zero normal (a collapsed box) points nowhere to move along.
        if (d > most && !isZero(faces[i].normal())) {
            most = d;
            exit = i;
        }
    }
    return exit;
}
