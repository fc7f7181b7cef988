// SPDX-License-Identifier: MIT
// Entry point of the benchmarks: scene objects compute on the OpenGL matrix
// stack and the frame benchmark draws, so a hidden 600 by 600 GLUT window
// gives them a rendering context first.
#include <GL/freeglut.h>
#include <benchmark/benchmark.h>

#include "bench/bench_support.h"

namespace {

int gWindow = 0;

}  // namespace

int benchWindow() {
    return gWindow;
}

int main(int argc, char** argv) {
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(600, 600);
    gWindow = glutCreateWindow("ballcourse bench");
    glutHideWindow();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
