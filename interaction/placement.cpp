// SPDX-License-Identifier: MIT
#include "interaction/placement.h"

#include <GL/freeglut.h>

#include <cmath>

#include "app/app_state.h"
#include "geometry/angles.h"

namespace {

// 22.5 degrees in radians, formed as π · 22.5 / 180 and stored as a float:
// half of the camera's 45-degree view.
const float kPlacementHalfAngle = static_cast<float>(double(kPi) * 22.5 / 180.0);

}  // namespace

double placementHalfHeight(float cameraDistance) {
    return -std::tan(double(kPlacementHalfAngle)) * cameraDistance;
}

std::optional<PlanePoint> placementPoint(int x, int y, int width, int height,
                                         float cameraDistance) {
    if (height <= 0) {
        return std::nullopt;
    }
    const double t = placementHalfHeight(cameraDistance);
    const double h = height;
    const double bottomUpY = h - y - 1.0;
    // Both axes divide by the height: the visible half-width is T·W/H.
    const double px = 2.0 * t * x / h - width * t / h;
    const double py = 2.0 * t * bottomUpY / h - t;
    return PlanePoint{static_cast<float>(px), static_cast<float>(py)};
}

void carryCurrentPiece(AppState& state, int x, int y) {
    if (state.currentPiece == nullptr) {
        return;
    }
    const auto point =
        placementPoint(x, y, state.windowWidth, state.windowHeight, state.cameraDistance);
    if (point) {
        state.currentPiece->setPosition(point->x, point->y, 0.0f);
    }
}

void onPassiveMotion(int x, int y) {
    carryCurrentPiece(app(), x, y);
    glutPostRedisplay();
}
