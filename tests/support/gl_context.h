// SPDX-License-Identifier: MIT
#pragma once

// The tests that call OpenGL share one hidden GLUT window, created once per
// test process before the first test runs (so listing tests needs no display).
// It is left current; its id is returned for tests that make it current again.
int testWindow();
