// SPDX-License-Identifier: MIT
#pragma once

#include <array>

#include "geometry/face.h"
#include "geometry/hit_bound.h"
#include "geometry/matrix4.h"

class Ball;

// A block's collision volume: its unit cube pushed out by the ball's radius on
// every side (square edges, not rounded ones), placed by the block's world
// matrix, as six faces whose normals point out of the box. A block keeps its
// box between hit tests and builds a new one whenever its own or its curve's
// transform, or the ball's radius, has changed, so it collides where it is
// drawn.
class GrownBox {
  public:
    static constexpr int kFaceCount = 6;

    // The nearest face that the ball's step meets; face and distance are -1
    // when it meets none.
    struct Hit {
        int face;
        float distance;
    };

    // world: the block's matrix, parent transform × block transform, column-
    // major. radius: the ball's, world units. sx, sy, sz: the block's own scale
    // (a parent's scale is not taken out, so under it the push-out scales too).
    GrownBox(const Matrix4& world, float radius, float sx, float sy, float sz);

    // Faces in test order: +x, −x, +y, −y, +z, −z of the block's axes.
    const Face& face(int i) const { return faces[i]; }

    // Smallest hit distance over the faces, in world units. Strict comparison,
    // so of equal distances the earlier face wins; NaN is never taken. With
    // `faceBounds`, HitBound::around(face(i)) for each face, a contact point
    // outside its face's bound is a miss without the inside test, as the test
    // would find: the answer is the same, only cheaper.
    Hit nearestHit(const Ball& ball, const HitBound* faceBounds = nullptr) const;

    // Whether p is behind, or no more than `clearance` world units in front
    // of, every face plane: at 0, whether the box holds p, where no face's hit
    // test sees it coming in. A NaN distance counts as in front, and a
    // collapsed box (no face normal) holds nothing.
    bool holds(const Point3& p, float clearance = 0.0f) const;

    // The face p leads out through: of the faces with a normal, the one with
    // the largest signed distance of p, so for a p the box holds the face it
    // is least deep behind; -1 for none. Strict, so the earlier of equal faces
    // wins.
    int exitFace(const Point3& p) const;

  private:
    std::array<Face, kFaceCount> faces;
};

// Half-extent of the grown box along one axis in unit-cube coordinates:
// 0.5 + radius / scale, rounded once to single precision.
float grownHalfExtent(float radius, float scale);
