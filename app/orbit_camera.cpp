// SPDX-License-Identifier: MIT
#include "app/orbit_camera.h"

#include <GL/glu.h>

#include <cmath>

#include "app/app_state.h"
#include "geometry/angles.h"

namespace {

// Every limit is formed from the float π in double and stored as a float.
const float kElevationLimit = static_cast<float>(double(kPi) * 0.25);
const float kCentreAzimuth = static_cast<float>(-double(kPi) * 0.5);
const float kRightLimit = static_cast<float>(-double(kPi) * 0.25);
const float kLeftLimit = static_cast<float>(double(kPi) * -3.0 * 0.25);
// Two degrees: 2π formed as π + π, times the double 1/180.
const float kPanStep = static_cast<float>((double(kPi) + kPi) * (1.0 / 180.0));
const float kHalfPi = kPi * 0.5f;

float stepped(float azimuth, double delta) {
    return static_cast<float>(azimuth + delta);
}

}  // namespace

void computeEye(AppState& state) {
    if (state.cameraElevation > kElevationLimit) {
        state.cameraElevation = kElevationLimit;
    } else if (state.cameraElevation < -kElevationLimit) {
        state.cameraElevation = -kElevationLimit;
    }
    const double d = state.cameraDistance;
    const double e = state.cameraElevation;
    const double a = state.cameraAzimuth;
    state.cameraEye.x = static_cast<float>(std::cos(a) * std::cos(e) * d);
    state.cameraEye.y = static_cast<float>(std::sin(e) * d);
    state.cameraEye.z = static_cast<float>(std::cos(double(kHalfPi) - a) * std::cos(e) * d);
}

void applyCameraView(const AppState& state) {
    const Point3& eye = state.cameraEye;
    const Vector3& target = state.cameraTarget;
    gluLookAt(eye.x, eye.y, eye.z, target.x, target.y, target.z, 0.0, 1.0, 0.0);
}

void panStep(AppState& state) {
    float& azimuth = state.cameraAzimuth;
    switch (state.panState) {
        case 1:
            if (azimuth < kRightLimit) azimuth = stepped(azimuth, kPanStep);
            break;
        case 2:
            if (azimuth > kLeftLimit) azimuth = stepped(azimuth, -double(kPanStep));
            break;
        case 0:
            if (azimuth < kCentreAzimuth) {
                azimuth = stepped(azimuth, kPanStep);
            } else if (azimuth > kCentreAzimuth) {
                azimuth = stepped(azimuth, -double(kPanStep));
            }
            // Snap once within a step, so the swing ends exactly at the centre.
            if (std::fabs(double(azimuth) + double(kHalfPi)) < kPanStep) {
                azimuth = kCentreAzimuth;
            }
            break;
        default:
            break;
    }
    computeEye(state);
}
