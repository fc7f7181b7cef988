// SPDX-License-Identifier: MIT
#pragma once

#include "geometry/point3.h"
#include "geometry/vector3.h"

class Ball;

// The moves of the ball's centre that the push-out and the wedge's exit share.

// Whether every component of v is zero: a collapsed box's face normal, which
// points nowhere to move along.
bool isZero(const Vector3& v);

// p moved `push` world units along n, each coordinate rounded once.
Point3 movedAlong(const Point3& p, const Vector3& n, double push);

// Takes away the part of the ball's velocity along each of the `count`
// normals that points in, normal by normal; the step takes the new direction
// at its old length, as after a bounce. No inward part, no change.
void removeInwardVelocity(Ball& ball, const Vector3* normals, int count);
