// ballcourse: build an obstacle course from blocks and curved ramps, and watch
// a ball fall and bounce through it.
//
// GLUT cannot report a window's minimising other than as a zero-sized reshape,
// which the main window ignores; the palettes never change size of their own.
#include <GL/freeglut.h>

#include "app/startup.h"

int main(int argc, char** argv) {
    startUp(&argc, argv);
    glutMainLoop();
    return 0;
}
