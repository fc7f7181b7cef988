// SPDX-License-Identifier: MIT
#include "interaction/mouse_buttons.h"

#include <GL/freeglut.h>

#include "app/app_state.h"
#include "interaction/picking.h"
#include "interaction/trackball.h"

namespace {

void leftButton(AppState& state, int buttonState) {
    if (buttonState != GLUT_DOWN) {
        return;
    }
    // A drop never picks, even over another piece: the next press does.
    if (state.currentPiece != nullptr) {
        state.currentPiece = nullptr;
    } else {
        pickPiece(state);
    }
}

void rightButton(AppState& state, int buttonState, int x, int y) {
    if (buttonState == GLUT_UP) {
        state.trackballActive = 0;
    } else if (buttonState == GLUT_DOWN) {
        beginDrag(state, x, y);
    }
}

}  // namespace

void pressMouseButton(AppState& state, int button, int buttonState, int x, int y) {
    state.pickX = x;
    state.pickY = y;
    if (button == GLUT_LEFT_BUTTON) {
        leftButton(state, buttonState);
    } else if (button == GLUT_RIGHT_BUTTON) {
        rightButton(state, buttonState, x, y);
    }
}

void onMouseButton(int button, int state, int x, int y) {
    pressMouseButton(app(), button, state, x, y);
}
