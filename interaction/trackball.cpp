// SPDX-License-Identifier: MIT
#include "interaction/trackball.h"

#include <GL/freeglut.h>

#include <cmath>

#include "app/app_state.h"
#include "geometry/angles.h"
#include "interaction/trackball_coordinates.h"

namespace {

// Degrees per radian, formed from the single-precision π.
constexpr double kDegreesPerRadian = 180.0 / double(kPi);

}  // namespace

Vector3 projectToSphere(float u, float v) {
    const float d = static_cast<float>(double(u) * u + double(v) * v);
    // The rim counts as inside: (1, 0) gives z = 0, the same as outside.
    const float z = d <= 1.0f ? static_cast<float>(std::sqrt(1.0 - d)) : 0.0f;
    Vector3 point(u, v, z);
    point.normalize();
    return point;
}

float wholeDegreesBetween(const Vector3& from, const Vector3& to) {
    const double degrees = std::trunc(from.angle(to) * kDegreesPerRadian);
    // Rounding can push the cosine of two parallel points past 1, which makes
    // the angle NaN; such points are the same point for the drag.
    return std::isnan(degrees) ? 0.0f : static_cast<float>(degrees);
}

bool beginDrag(AppState& state, int x, int y) {
    if (state.currentPiece == nullptr) {
        return false;
    }
    const auto point = trackballCoordinates(x, y, state.windowWidth, state.windowHeight);
    if (!point) {
        return false;
    }
    state.trackballVector = projectToSphere(point->u, point->v);
    state.trackballActive = 1;
    return true;
}

void dragStep(AppState& state, float u, float v) {
    const Vector3 current = projectToSphere(u, v);
    if (state.trackballVector && state.currentPiece != nullptr) {
        const Vector3 axis = state.trackballVector->cross(current);
        const float angle = wholeDegreesBetween(*state.trackballVector, current);
        // OpenGL leaves a turn about a zero axis undefined; identical or
        // opposite sphere points give one, and they mean no turn.
        if (angle != 0.0f && !isZero(axis)) {
            state.currentPiece->rotate(angle, axis.x, axis.y, axis.z);
        }
    }
    state.trackballVector = current;
}

bool dragTo(AppState& state, int x, int y) {
    if (state.trackballActive != 1) {
        return false;
    }
    const auto point = trackballCoordinates(x, y, state.windowWidth, state.windowHeight);
    if (!point) {
        return false;
    }
    dragStep(state, point->u, point->v);
    return true;
}

void onMotion(int x, int y) {
    if (dragTo(app(), x, y)) {
        glutPostRedisplay();
    }
}
