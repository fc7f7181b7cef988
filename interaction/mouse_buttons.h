#pragma once

// GLUT mouse callback of the main window. A left press drops the current piece,
// or picks one when there is none; a right press on a current piece starts a
// trackball drag and every right release ends one. x, y in window pixels from
// the top-left.
void onMouseButton(int button, int state, int x, int y);
