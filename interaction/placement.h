// SPDX-License-Identifier: MIT
#pragma once

#include <optional>

struct AppState;

// A point of the placement plane z = 0, in world units.
struct PlanePoint {
    float x;
    float y;
};

// Half the height of the view in the plane z = 0: -tan(22.5°) · cameraDistance,
// positive for the negative distances the camera uses. The half-angle is a
// fixed 22.5 degrees, not the field of view.
double placementHalfHeight(float cameraDistance);

// The point of the plane z = 0 under window pixel (x, y), y counted from the
// top, for the camera on the +z axis at -cameraDistance: x maps to
// T(2x - W)/H and the bottom-up row yb = H - y - 1 to T(2yb - H)/H. Empty for
// a window of height 0, which has no such point.
std::optional<PlanePoint> placementPoint(int x, int y, int width, int height, float cameraDistance);

// Moves the current piece, if any, to the placement point under (x, y); its
// rotation is kept and its z becomes 0. No current piece or no point: no change.
void carryCurrentPiece(AppState& state, int x, int y);

// GLUT passive-motion callback: carryCurrentPiece on the application state,
// then a redisplay request in every case.
void onPassiveMotion(int x, int y);
