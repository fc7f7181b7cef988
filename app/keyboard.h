// SPDX-License-Identifier: MIT
#pragma once

// GLUT keyboard callback of the main window; only the key is read. Twelve
// command letters in either case; every other byte is ignored.
void onKeyDown(unsigned char key, int x, int y);

// GLUT keyboard-up callback: releasing A or D returns the camera to the centre.
void onKeyUp(unsigned char key, int x, int y);
