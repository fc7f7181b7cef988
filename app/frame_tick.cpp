// SPDX-License-Identifier: MIT
#include "app/frame_tick.h"

#include <GL/freeglut.h>

#include "app/app_state.h"
#include "app/orbit_camera.h"
#include "geometry/simulation_step.h"

void advanceFrame(AppState& state) {
    panStep(state);
    // Several O presses between two ticks give one step: the request is a flag.
    if (!state.paused || state.stepRequested) {
        simulationStep(*state.ball, state.sceneList);
        state.stepRequested = false;
    }
    glutPostRedisplay();
}

void frameTick(int /*value*/) {
    advanceFrame(app());
    glutTimerFunc(kFrameMilliseconds, frameTick, 1);
}
