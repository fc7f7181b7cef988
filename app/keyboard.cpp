// SPDX-License-Identifier: MIT
#include "app/keyboard.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <array>
#include <cstdlib>

#include "app/app_state.h"
#include "app/help.h"
#include "app/orbit_camera.h"

namespace {

// The camera moves in steps of 0.2 while inside (-10, -2); the limit is tested
// before the step, so it can be passed by less than one step.
constexpr double kCameraStep = 0.2;
constexpr float kNearestDistance = -2.0f;
constexpr float kFarthestDistance = -10.0f;
constexpr float kPieceAngleStep = 3.0f;  // degrees per Z or X press

void moveCamera(AppState& state, double delta) {
    state.cameraDistance = static_cast<float>(state.cameraDistance + delta);
}

void moveCameraForward(AppState& state) {
    if (state.cameraDistance < kNearestDistance) moveCamera(state, kCameraStep);
    computeEye(state);
    glutPostRedisplay();
}

void moveCameraBackward(AppState& state) {
    if (state.cameraDistance > kFarthestDistance) moveCamera(state, -kCameraStep);
    computeEye(state);
    glutPostRedisplay();
}

void panLeft(AppState& state) {
    state.panState = 2;
}

void panRight(AppState& state) {
    state.panState = 1;
}

void eraseCurrentPiece(AppState& state) {
    if (state.currentPiece != nullptr) {
        SceneList& list = state.sceneList;
        auto found = std::find_if(list.begin(), list.end(), [&](const auto& piece) {
            return piece.get() == state.currentPiece;
        });
        if (found != list.end()) {
            list.erase(found);  // destroys the piece; later pieces shift down one name
        }
        state.currentPiece = nullptr;
    }
    glutPostRedisplay();
}

// setRotation replaces the whole rotation: after Z or X the piece is turned
// about z by exactly pieceAngle, whatever the trackball did before.
void turnCurrentPiece(AppState& state, float delta) {
    state.pieceAngle += delta;
    if (state.currentPiece != nullptr) {
        state.currentPiece->setRotation(state.pieceAngle, 0.0f, 0.0f, 1.0f);
    }
    glutPostRedisplay();
}

void turnCounterClockwise(AppState& state) {
    turnCurrentPiece(state, kPieceAngleStep);
}

void turnClockwise(AppState& state) {
    turnCurrentPiece(state, -kPieceAngleStep);
}

void togglePause(AppState& state) {
    state.paused = !state.paused;
}

void requestStep(AppState& state) {
    state.stepRequested = true;
}

void resetBall(AppState& state) {
    state.ball->setMotion(Vector3(0.0f, 0.0f, 0.0f));
    state.ball->setCenter(kBallStart);
    glutPostRedisplay();
}

void showHelp(AppState& /*state*/) {
    printHelp();
}

void quit(AppState& /*state*/) {
    std::exit(0);
}

using Command = void (*)(AppState&);

// One entry per character from 'A' to 'z'; both cases of a letter share it.
constexpr int kTableSize = 'z' - 'A' + 1;

constexpr std::array<Command, kTableSize> buildCommandTable() {
    std::array<Command, kTableSize> table{};
    const struct {
        char letter;
        Command command;
    } bindings[] = {
        {'W', moveCameraForward}, {'S', moveCameraBackward}, {'A', panLeft},
        {'D', panRight},          {'E', eraseCurrentPiece},  {'Z', turnCounterClockwise},
        {'X', turnClockwise},     {'P', togglePause},        {'O', requestStep},
        {'R', resetBall},         {'H', showHelp},           {'Q', quit},
    };
    for (const auto& binding : bindings) {
        table[binding.letter - 'A'] = binding.command;
        table[binding.letter - 'A' + ('a' - 'A')] = binding.command;
    }
    return table;
}

constexpr std::array<Command, kTableSize> kCommands = buildCommandTable();

}  // namespace

void onKeyDown(unsigned char key, int /*x*/, int /*y*/) {
    if (key < 'A' || key > 'z') {
        return;
    }
    const Command command = kCommands[key - 'A'];
    if (command != nullptr) {
        command(app());
    }
}

void onKeyUp(unsigned char key, int /*x*/, int /*y*/) {
    const bool panKey = key == 'A' || key == 'a' || key == 'D' || key == 'd';
    if (panKey) {
        app().panState = 0;
    }
}
