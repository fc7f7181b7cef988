// SPDX-License-Identifier: MIT
#include "app/app_state.h"

#include "app/orbit_camera.h"

namespace {

// The ball's colours: a dark red with a pale highlight.
const float kBallAmbient[4] = {0.5f, 0.0f, 0.0f, 1.0f};
const float kBallDiffuse[4] = {0.5f, 0.0f, 0.0f, 1.0f};
const float kBallSpecular[4] = {0.7f, 0.6f, 0.6f, 1.0f};
constexpr float kBallShininess = 0.25f;
constexpr float kBallRadius = 0.05f;
constexpr float kBallMass = 5.0f;

// The acceleration is per tick: gravity scaled by the 20 ms tick, over 1000.
constexpr float kTickMilliseconds = 20.0f;
constexpr float kMillisecondsPerSecond = 1000.0f;

void buildBall(AppState& state) {
    state.ball = std::make_unique<Ball>(kBallRadius, kBallMass, kBallStart, Vector3(0, 0, 0));
    state.ball->setMaterial(Material{kBallAmbient, kBallDiffuse, kBallSpecular, kBallShininess});
    state.ball->setAcceleration(state.gravity * kTickMilliseconds / kMillisecondsPerSecond);
}

void buildPrototypes(AppState& state) {
    state.blockPrototype = std::make_unique<Block>();
    state.blockPrototype->setScale(1.2f, 0.4f, 0.8f);
    state.blockPrototype->setRotation(50.0f, 1.0f, -1.0f, 0.0f);

    state.curvePrototype = std::make_unique<Curve>();
    state.curvePrototype->setScale(3.0f, 3.0f, 3.0f);
    state.curvePrototype->setPosition(0.7f, 0.7f, 0.0f);
    state.curvePrototype->setRotation(30.0f, 0.0f, 1.0f, 0.0f);
    state.curvePrototype->rotate(180.0f, 0.0f, 0.0f, 1.0f);
}

}  // namespace

AppState& app() {
    static AppState state;
    return state;
}

void buildState() {
    AppState& state = app();
    AppState fresh;
    fresh.mainWindow = state.mainWindow;
    fresh.windowWidth = state.windowWidth;
    fresh.windowHeight = state.windowHeight;
    // The fresh record holds the camera's, the run state's and the picking
    // defaults; only the eye and the owned objects need building.
    state = std::move(fresh);
    computeEye(state);
    buildBall(state);
    buildPrototypes(state);
}
