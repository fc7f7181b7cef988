// SPDX-License-Identifier: MIT
#pragma once

// Near and far clipping planes of the main view and the palettes, world units.
constexpr double kNearPlane = 1.0;
constexpr double kFarPlane = 20.0;

// GLUT reshape callback of the main window: stores the size for placement and
// picking and sets the 45-degree projection with near 1 and far 20. A height
// of zero (a minimised window) keeps the previous projection and size.
void reshapeMain(int width, int height);

// GLUT reshape callback of both palettes: the same projection at the palette's
// aspect ratio; stores nothing.
void reshapePalette(int width, int height);

// GLUT display callback of the main window: the scene through the orbit camera.
void displayMain();

struct AppState;

// Draws the ball, the current piece, then every placed piece of `state` under
// its list index as selection name. Shared by the display and the picking
// pass.
void drawScene(const AppState& state);
