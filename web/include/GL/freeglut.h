// SPDX-License-Identifier: MIT
// The freeglut header the program includes, for the browser build: the
// standard GLUT declarations that Emscripten ships, which the browser
// platform layer in web/ defines.
#pragma once

#include <GL/freeglut_std.h>
