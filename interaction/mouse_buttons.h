// SPDX-License-Identifier: MIT
#pragma once

struct AppState;

// A mouse-button event of the main window at window pixel (x, y), y counted
// from the top. Records (x, y) as the pick point for every event; then a left
// press drops the current piece where it stands, or picks one when there is
// none; a right press on a current piece starts a trackball drag; every right
// release ends one. Other buttons and releases change nothing more.
void pressMouseButton(AppState& state, int button, int buttonState, int x, int y);

// GLUT mouse callback of the main window: pressMouseButton on the application
// state. Requests no redisplay; the frame tick redraws.
void onMouseButton(int button, int state, int x, int y);
