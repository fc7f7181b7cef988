// SPDX-License-Identifier: MIT
#pragma once

#include <optional>

// A cursor position in trackball coordinates: u from -1 at the left pixel
// column to +1 at the right one, v from -1 at the bottom row to +1 at the top.
struct TrackballPoint {
    float u;
    float v;
};

// Trackball coordinates of window pixel (x, y), y counted from the top as GLUT
// reports it, in a window of width by height pixels: u = 2x/(W-1) - 1 and
// v = 2(H-y-1)/(H-1) - 1, in double and stored as floats. Empty when the
// window is less than two pixels wide or high, where the mapping divides by
// zero; callers then skip their step.
std::optional<TrackballPoint> trackballCoordinates(int x, int y, int width, int height);
