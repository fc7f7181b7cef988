// One whole frame as the toy runs it every 20 ms: the tick (camera swing and
// simulation step) and the main display, finished on the renderer, over a
// course of blocks and curves the ball keeps bouncing on. The frame budget is
// 20 ms.
#include <GL/freeglut.h>
#include <benchmark/benchmark.h>

#include <memory>

#include "app/app_state.h"
#include "app/frame_tick.h"
#include "app/main_window.h"
#include "bench/bench_support.h"

namespace {

// A staircase of pieces across the view, alternating blocks and curves, each
// turned a little, so that a good part of them are on screen.
void buildCourse(AppState& state, int pieces) {
    for (int i = 0; i < pieces; ++i) {
        std::unique_ptr<Piece> piece = alternatingPiece(i);
        piece->setPosition(-1.5f + 0.1f * (i % 30), 1.2f - 0.08f * i, 0.0f);
        piece->setRotation(-10.0f + i, 0.0f, 0.0f, 1.0f);
        state.sceneList.push_back(std::move(piece));
    }
}

void wholeFrame(benchmark::State& bench) {
    AppState& state = app();
    state.mainWindow = benchWindow();
    glutSetWindow(state.mainWindow);
    buildState();
    reshapeMain(600, 600);
    buildCourse(state, static_cast<int>(bench.range(0)));
    for (auto _ : bench) {
        // Keep the ball over the course, so every tick tests real hits.
        if (state.ball->center().y < -2.0f) {
            state.ball->setMotion(Vector3(0.0f, 0.0f, 0.0f));
            state.ball->setCenter(kBallStart);
        }
        advanceFrame(state);
        displayMain();
        glFinish();
    }
    state.sceneList.clear();
}
BENCHMARK(wholeFrame)->Arg(0)->Arg(10)->Arg(40)->Unit(benchmark::kMillisecond);

}  // namespace
