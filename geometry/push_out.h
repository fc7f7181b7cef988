// SPDX-License-Identifier: MIT
#pragma once

#include "geometry/point3.h"

class Ball;
class Face;
class GrownBox;

// How far in front of a face a centre pushed out through it is left, in world
// units. Far above a float's spacing at the course's coordinates (about 1e-7),
// so the face's own test sees the centre in front and the next bounce off it
// takes its direction from a contact well clear of rounding; half of one
// tick's fall under gravity, so the ball sits within the height a resting ball
// hovers at; and a fiftieth of the ball's radius, a fifth of a pixel in the
// starting view.
constexpr double kPushOutMargin = 1e-3;

// If the ball's centre is behind or on every face plane of `box`, so that no
// face would see it coming in, moves it along the normal of the face it is
// least deep behind to kPushOutMargin in front of that face, takes the inward
// part out of its velocity and returns true. Otherwise, and when rounding
// leaves no move that the face sees in front, the ball is left as it was and
// the result is false.
bool pushOutOfBox(const GrownBox& box, Ball& ball);

// Sets `out` to p moved along the face's normal to kPushOutMargin in front of
// the face, the push doubled while rounding leaves it on or behind the plane;
// false when no such place is found.
bool placeInFrontOf(const Face& face, const Point3& p, Point3& out);
