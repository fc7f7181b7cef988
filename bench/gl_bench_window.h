#pragma once

// The hidden 600 by 600 GLUT window whose context the benchmarks run in.
int benchWindow();
