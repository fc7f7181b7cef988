// How long the ball's hit tests take: one block, one curve (ten blocks), and a
// whole simulation step over a scene of twenty pieces.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/bench_support.h"
#include "geometry/simulation_step.h"
#include "scene/ball.h"
#include "scene/block.h"
#include "scene/curve.h"
#include "scene/scene_list.h"

namespace {

constexpr float kRadius = 0.05f;
constexpr float kMass = 5.0f;
constexpr int kScenePieces = 20;

// Puts the ball just above a block at the origin, falling onto its top.
void startFalling(Ball& ball) {
    ball.setCenter(Point3(0.0f, 0.2f, 0.0f));
    ball.setMotion(Vector3(0.0f, -0.15f, 0.0f));
}

void blockHitDistance(benchmark::State& state) {
    Block block;
    Ball ball(kRadius, kMass, Point3(), Vector3());
    startFalling(ball);
    for (auto _ : state) {
        benchmark::DoNotOptimize(block.hitDistance(&ball));
    }
}
BENCHMARK(blockHitDistance);

void curveHitDistance(benchmark::State& state) {
    Curve curve;
    curve.setPosition(-0.38f, -0.2f, 0.0f);
    Ball ball(kRadius, kMass, Point3(), Vector3());
    startFalling(ball);
    for (auto _ : state) {
        benchmark::DoNotOptimize(curve.hitDistance(&ball));
    }
}
BENCHMARK(curveHitDistance);

// Half blocks, half curves along x, the ball bouncing on the block at the
// origin; its motion is restored every iteration so each step does the same work.
void simulationStepOverScene(benchmark::State& state) {
    SceneList scene;
    for (int i = 0; i < kScenePieces; ++i) {
        std::unique_ptr<Piece> piece = alternatingPiece(i);
        piece->setPosition(0.5f * i, 0.0f, 0.0f);
        scene.push_back(std::move(piece));
    }
    Ball ball(kRadius, kMass, Point3(), Vector3());
    for (auto _ : state) {
        startFalling(ball);
        simulationStep(ball, scene);
    }
}
BENCHMARK(simulationStepOverScene);

}  // namespace
