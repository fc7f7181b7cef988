// SPDX-License-Identifier: MIT
#pragma once

struct AppState;

// Clamps the elevation to [-π/4, π/4] and recomputes cameraEye from the
// distance, elevation and azimuth (radians).
void computeEye(AppState& state);

// Multiplies gluLookAt(eye, target, up +y) onto the current matrix; does not
// load the identity first.
void applyCameraView(const AppState& state);

// One tick of the swing for panState (1 right, 2 left, 0 back to the centre,
// where it snaps to exactly -π/2), then computeEye.
void panStep(AppState& state);
