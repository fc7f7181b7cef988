#pragma once

// GLUT display callbacks of the two palettes: each shows its prototype through
// a fixed view, then makes the main window current again.
void displayBlockPalette();
void displayCurvePalette();

// GLUT mouse callbacks of the two palettes: a left press creates a new piece at
// the origin, appends it to the scene list and makes it current. Every event
// ends with the main window current again.
void onBlockPaletteMouse(int button, int state, int x, int y);
void onCurvePaletteMouse(int button, int state, int x, int y);
