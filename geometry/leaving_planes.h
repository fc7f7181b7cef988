// SPDX-License-Identifier: MIT
#pragma once

#include "geometry/point3.h"
#include "geometry/vector3.h"

class Ball;

// Leaving a box through its face planes: the centre moved along their
// normals, and the velocity into them taken away.

// p moved `push` world units along n, each coordinate rounded once.
Point3 movedAlong(const Point3& p, const Vector3& n, double push);

// p moved a along n0 and b along n1 (p + a·n0 + b·n1), each coordinate summed
// in that order and rounded once: the way out through two planes at once.
Point3 movedAlong(const Point3& p, const Vector3& n0, double a, const Vector3& n1, double b);

// Takes away the part of the ball's velocity along each of the `count`
// normals that points in, normal by normal; the step takes the new direction
// at its old length, as after a bounce. No inward part, no change.
void removeInwardVelocity(Ball& ball, const Vector3* normals, int count);
