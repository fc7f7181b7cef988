// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <vector>

#include "geometry/point3.h"

class Ball;
class GrownBox;

// How far from where it stood a wedged ball's centre is looked for a place
// clear of every box, in the ball's diameters: past the far side of two
// palette blocks' arms pressed together (each 0.2 thick, grown), short of
// carrying the ball across the course.
constexpr double kWedgeReachDiameters = 4.0;

// For a centre that the push-outs leave inside one of `boxes`, as in a gap
// narrower than the ball between overlapping boxes: moves it to a place
// outside every box near `start`, the centre before the push-outs, and takes
// away the velocity into the planes it left through. With no such place within
// kWedgeReachDiameters the ball goes back to `start` with its motion stopped.
// Returns false, the ball unchanged, when the centre is inside no box.
// With `allowed`, only places that it accepts are taken, wherever the centre
// is; when none is found the ball is left as it was and the result is false.
bool pushOutOfWedge(const std::vector<const GrownBox*>& boxes, const Point3& start, Ball& ball,
                    const std::function<bool(const Point3&)>& allowed = {});
