// SPDX-License-Identifier: MIT
// One whole frame as the toy runs it every 20 ms (the tick, the main display
// and the renderer finishing it) over courses of 10 to 1,000 pieces, beside a
// bare loop that draws the same cubes and sphere with the same materials and
// nothing else; and a pick over the same courses. The frame budget is 20 ms.
#include <GL/freeglut.h>
#include <benchmark/benchmark.h>

#include <vector>

#include "app/app_state.h"
#include "app/frame_tick.h"
#include "app/lighting.h"
#include "app/main_window.h"
#include "app/orbit_camera.h"
#include "bench/bench_support.h"
#include "geometry/matrix4.h"
#include "interaction/picking.h"

namespace {

// A fresh state in the benchmark window, lit as start-up lights the main
// window, with `pieces` scattered over the view.
AppState& stateWithCourse(int pieces) {
    AppState& state = app();
    state.mainWindow = benchWindow();
    glutSetWindow(state.mainWindow);
    buildState();
    initLighting();
    glEnable(GL_DEPTH_TEST);
    reshapeMain(600, 600);
    state.sceneList = scatteredCourse(pieces, 1.5f, 1.4f, 0.5f);
    return state;
}

// 10 to 1,000 pieces (200 is 100 curves and 100 blocks), timed on the wall
// clock because the renderer works in threads of its own. The warm-up keeps
// one-off work out of the figures: the renderer compiling its shaders and the
// pieces building their collision boxes on the first tick.
void drawnCourses(benchmark::internal::Benchmark* b) {
    b->Arg(10)->Arg(100)->Arg(200)->Arg(1000)->MinWarmUpTime(0.5);
    b->Unit(benchmark::kMillisecond)->UseRealTime();
}

// Ticks over the course of bench.range(0) pieces, then calls draw(state).
// The ball moves the same way whatever draws it, so every loop draws the
// sphere where the toy would.
template <class Draw>
void runFrames(benchmark::State& bench, Draw draw) {
    AppState& state = stateWithCourse(static_cast<int>(bench.range(0)));
    for (auto _ : bench) {
        // Keep the ball over the course, so every tick tests real hits.
        if (state.ball->center().y < -2.0f) {
            state.ball->setMotion(Vector3(0.0f, 0.0f, 0.0f));
            state.ball->setCenter(kBallStart);
        }
        advanceFrame(state);
        draw(state);
    }
    state.sceneList.clear();
}

void wholeFrame(benchmark::State& bench) {
    runFrames(bench, [](AppState&) {
        displayMain();
        glFinish();
    });
}
BENCHMARK(wholeFrame)->Apply(drawnCourses);

// The tick alone, over the same courses: the part of the frame that is not
// drawing.
void tickOnly(benchmark::State& bench) {
    runFrames(bench, [](AppState&) {});
}
BENCHMARK(tickOnly)->Arg(10)->Arg(100)->Arg(200)->Arg(1000)->Unit(benchmark::kMicrosecond);

// What the display draws, reduced to its cubes and the sphere: each with its
// modelview matrix computed beforehand and its material.
struct BareShape {
    Matrix4 placement;
    Material material;
};

std::vector<BareShape> bareCubes(const SceneList& pieces) {
    std::vector<BareShape> cubes;
    for (const auto& piece : pieces) {
        Matrix4 placed = Matrix4::identity();
        piece->appendTransform(placed);
        if (const auto* curve = dynamic_cast<const Curve*>(piece.get())) {
            for (int i = 0; i < Curve::kBlockCount; ++i) {
                Matrix4 member = placed;
                curve->block(i).appendTransform(member);
                cubes.push_back({member, curve->block(i).getMaterial()});
            }
        } else {
            cubes.push_back({placed, piece->getMaterial()});
        }
    }
    return cubes;
}

void bareLoop(benchmark::State& bench) {
    std::vector<BareShape> cubes;
    runFrames(bench, [&cubes](AppState& state) {
        if (cubes.empty()) {
            cubes = bareCubes(state.sceneList);
        }
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glPushMatrix();
        applyCameraView(state);
        glLightfv(GL_LIGHT0, GL_POSITION, kLightPosition);
        glPushMatrix();
        const Point3 c = state.ball->center();
        glTranslatef(c.x, c.y, c.z);
        state.ball->getMaterial().apply();
        glutSolidSphere(state.ball->radius, 30, 30);
        glPopMatrix();
        for (const BareShape& cube : cubes) {
            glPushMatrix();
            glMultMatrixf(cube.placement.m);
            cube.material.apply();
            glutSolidCube(1.0);
            glPopMatrix();
        }
        glPopMatrix();
        glutSwapBuffers();
        glFinish();
    });
}
BENCHMARK(bareLoop)->Apply(drawnCourses);

// A left press in the middle of the view, where the course is densest.
void pick(benchmark::State& bench) {
    AppState& state = stateWithCourse(static_cast<int>(bench.range(0)));
    state.pickX = 300;
    state.pickY = 300;
    for (auto _ : bench) {
        state.currentPiece = nullptr;
        pickPiece(state);
        benchmark::DoNotOptimize(state.currentPiece);
    }
    state.sceneList.clear();
}
BENCHMARK(pick)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
