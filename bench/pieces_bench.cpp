// SPDX-License-Identifier: MIT
// How long the ball's hit tests take, the cached path beside the
// straightforward one (box and faces rebuilt at every call) in the same run:
// one block and one curve with the ball far away, a pass over 10,000 blocks,
// a block with the ball all around it, and whole simulation steps over a
// course that the ball bounces through, alone and with a piece carried
// across the ball every tick.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

#include "bench/bench_support.h"
#include "geometry/simulation_step.h"
#include "scene/ball.h"
#include "tests/support/straightforward_hit_test.h"

namespace {

constexpr float kRadius = 0.05f;
constexpr float kMass = 5.0f;
const Vector3 kAcceleration(0.0f, -0.002f, 0.0f);

// A ball falling past, well clear of anything near the origin.
struct FarBall : Ball {
    FarBall() : Ball(kRadius, kMass, Point3(5.0f, 5.0f, 0.0f), Vector3()) {
        setMotion(Vector3(0.01f, -0.1f, 0.0f));
    }
};

void blockFarCached(benchmark::State& state) {
    Block block;
    FarBall ball;
    for (auto _ : state) {
        benchmark::DoNotOptimize(block.hitDistance(&ball));
    }
}
BENCHMARK(blockFarCached);

void blockFarStraightforward(benchmark::State& state) {
    Block block;
    FarBall ball;
    std::unique_ptr<Face> kept;
    for (auto _ : state) {
        benchmark::DoNotOptimize(straightforwardBlockHit(block, ball, kept));
    }
}
BENCHMARK(blockFarStraightforward);

void curveFarCached(benchmark::State& state) {
    Curve curve;
    FarBall ball;
    for (auto _ : state) {
        benchmark::DoNotOptimize(curve.hitDistance(&ball));
    }
}
BENCHMARK(curveFarCached);

void curveFarStraightforward(benchmark::State& state) {
    Curve curve;
    FarBall ball;
    StraightforwardHits reference;
    for (auto _ : state) {
        benchmark::DoNotOptimize(reference.hitDistance(curve, ball));
    }
}
BENCHMARK(curveFarStraightforward);

// 10,000 blocks in a 6-unit cube, the ball falling beside it.
std::vector<std::unique_ptr<Block>> scatteredBlocks() {
    std::mt19937 rng(3);
    const UniformFloat unit(-3.0f, 3.0f);
    std::vector<std::unique_ptr<Block>> blocks;
    for (int i = 0; i < 10000; ++i) {
        auto block = std::make_unique<Block>();
        // One draw a declarator, last argument first (see scatteredCourse).
        const float z = unit(rng), y = unit(rng), x = unit(rng);
        block->setPosition(x, y, z);
        const float axisY = unit(rng), axisX = unit(rng), angle = 30.0f * unit(rng);
        block->setRotation(angle, axisX, axisY, 1.0f);
        blocks.push_back(std::move(block));
    }
    return blocks;
}

void passOver10000BlocksCached(benchmark::State& state) {
    auto blocks = scatteredBlocks();
    FarBall ball;
    for (auto _ : state) {
        for (auto& block : blocks) {
            benchmark::DoNotOptimize(block->hitDistance(&ball));
        }
    }
}
BENCHMARK(passOver10000BlocksCached)->Unit(benchmark::kMicrosecond);

void passOver10000BlocksStraightforward(benchmark::State& state) {
    auto blocks = scatteredBlocks();
    FarBall ball;
    std::unique_ptr<Face> kept;
    for (auto _ : state) {
        for (auto& block : blocks) {
            benchmark::DoNotOptimize(straightforwardBlockHit(*block, ball, kept));
        }
    }
}
BENCHMARK(passOver10000BlocksStraightforward)->Unit(benchmark::kMicrosecond);

// Steps that start around a unit block and aim at points near it: some hit a
// face, some pass just beside it, some start inside.
struct Throw {
    Point3 center;
    Vector3 step;
};

std::vector<Throw> throwsAround() {
    std::mt19937 rng(5);
    const UniformFloat unit(-1.0f, 1.0f);
    std::vector<Throw> throws;
    for (int i = 0; i < 64; ++i) {
        const float aimZ = unit(rng), aimY = unit(rng), aimX = unit(rng);
        const Point3 aim(0.7f * aimX, 0.7f * aimY, 0.7f * aimZ);
        const float offsetZ = unit(rng), offsetY = unit(rng), offsetX = unit(rng);
        const Vector3 offset(offsetX, offsetY, offsetZ);
        throws.push_back({aim + offset * 0.8f, offset * -1.2f});
    }
    return throws;
}

// Runs `hit` once per throw, the ball set to it first.
template <class Hit>
void throwAround(benchmark::State& state, Hit hit) {
    const std::vector<Throw> throws = throwsAround();
    Ball ball(kRadius, kMass, Point3(), Vector3());
    for (auto _ : state) {
        for (const Throw& t : throws) {
            ball.setCenter(t.center);
            ball.setMotion(t.step);
            benchmark::DoNotOptimize(hit(ball));
        }
    }
    state.SetItemsProcessed(state.iterations() * throws.size());
}

void blockAmongCached(benchmark::State& state) {
    Block block;
    block.setScale(1.0f, 1.0f, 1.0f);
    throwAround(state, [&block](Ball& ball) { return block.hitDistance(&ball); });
}
BENCHMARK(blockAmongCached);

void blockAmongStraightforward(benchmark::State& state) {
    Block block;
    block.setScale(1.0f, 1.0f, 1.0f);
    std::unique_ptr<Face> kept;
    throwAround(state, [&](Ball& ball) { return straightforwardBlockHit(block, ball, kept); });
}
BENCHMARK(blockAmongStraightforward);

// 100 curves and 100 blocks in a 6 by 5 by 1 slab; the ball drops through it
// from above and starts again from the top when it leaves or every 150 ticks,
// so that it does not spend the run wedged in one place. Both paths give the
// very same path, so they do the same work tick for tick.
// With `carried`, one more palette block is carried with the ball every tick,
// swiped to and fro across it 0.16 world units (29 pixels at the starting
// camera) a tick, as a quick hand does: it sweeps through the ball every few
// ticks.
template <class Step>
void courseSteps(benchmark::State& state, Step step, bool carried = false) {
    SceneList course = scatteredCourse(200, 3.0f, 2.5f, 0.5f);
    Piece* hand = nullptr;
    if (carried) {
        course.push_back(std::make_unique<Block>());
        hand = course.back().get();
    }
    Ball ball(kRadius, kMass, Point3(), Vector3());
    ball.setAcceleration(kAcceleration);
    std::mt19937 rng(9);
    const UniformFloat unit(-1.0f, 1.0f);
    int tick = 0;
    for (auto _ : state) {
        const Point3 c = ball.center();
        if (tick++ % 150 == 0 || c.y < -3.0f || std::fabs(c.x) > 3.5f || std::fabs(c.z) > 1.0f) {
            const float z = 0.4f * unit(rng), x = 2.5f * unit(rng);
            ball.setCenter(Point3(x, 3.0f, z));
            ball.setMotion(Vector3(0.02f * unit(rng), 0.0f, 0.0f));
        }
        if (hand != nullptr) {
            // Across and back: -0.4 to 0.4 of the ball's x in six swipes.
            const int phase = tick % 10;
            const float offset = 0.16f * float(phase < 5 ? phase : 10 - phase) - 0.4f;
            hand->setPosition(c.x + offset, c.y - 0.02f, c.z);
        }
        step(ball, course);
    }
}

void simulationStepCourseCached(benchmark::State& state) {
    courseSteps(state, [](Ball& ball, const SceneList& course) { simulationStep(ball, course); });
}
BENCHMARK(simulationStepCourseCached)->Iterations(3000)->Unit(benchmark::kMicrosecond);

void simulationStepCourseStraightforward(benchmark::State& state) {
    StraightforwardHits reference;
    courseSteps(state, [&reference](Ball& ball, const SceneList& course) {
        reference.simulationStep(ball, course);
    });
}
BENCHMARK(simulationStepCourseStraightforward)->Iterations(3000)->Unit(benchmark::kMicrosecond);

void simulationStepCarriedCached(benchmark::State& state) {
    courseSteps(
        state, [](Ball& ball, const SceneList& course) { simulationStep(ball, course); }, true);
}
BENCHMARK(simulationStepCarriedCached)->Iterations(3000)->Unit(benchmark::kMicrosecond);

void simulationStepCarriedStraightforward(benchmark::State& state) {
    StraightforwardHits reference;
    courseSteps(
        state,
        [&reference](Ball& ball, const SceneList& course) {
            reference.simulationStep(ball, course);
        },
        true);
}
BENCHMARK(simulationStepCarriedStraightforward)->Iterations(3000)->Unit(benchmark::kMicrosecond);

}  // namespace
