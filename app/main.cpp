// SPDX-License-Identifier: MIT
// ballcourse: build an obstacle course from blocks and curved ramps, and watch
// a ball fall and bounce through it.
//
// What GLUT leaves out here:
// - glutMainLoop never returns: the toy ends through Q (status 0) or when GLUT
//   ends the process, for instance when the window is closed.
// - A minimised window arrives only as a zero-sized reshape; the main window
//   then keeps its last projection and size.
// - Keys go to the window under the pointer, and the palettes take none, so a
//   key typed over a palette is lost.
// - The 20 ms timer is not a clock: the ball moves per tick, so a slow frame
//   slows the ball rather than making it jump.
#include <GL/freeglut.h>

#include "app/startup.h"

int main(int argc, char** argv) {
    startUp(&argc, argv);
    glutMainLoop();
    return 0;
}
