// SPDX-License-Identifier: MIT
#include "app/orbit_camera.h"

#include <cmath>

#include "app/keyboard.h"
#include "tests/support/app_fixture.h"

namespace {

constexpr float kCentre = -1.5707964f;

class OrbitCameraTest : public AppTest {
  protected:
    void ticks(int n) {
        for (int i = 0; i < n; ++i) panStep(state);
    }
};

TEST_F(OrbitCameraTest, StartsOnThePositiveZAxisAtDistanceFour) {
    EXPECT_NEAR(state.cameraEye.x, 0.0f, 1e-6f);
    EXPECT_EQ(state.cameraEye.y, 0.0f);
    EXPECT_NEAR(state.cameraEye.z, 4.0f, 1e-6f);
    EXPECT_EQ(state.cameraAzimuth, kCentre);
}

TEST_F(OrbitCameraTest, PanRightStopsOneStepPastItsLimit) {
    state.panState = 1;
    ticks(23);
    EXPECT_EQ(state.cameraAzimuth, -0.7679444f);
    ticks(10);
    EXPECT_EQ(state.cameraAzimuth, -0.7679444f);
}

TEST_F(OrbitCameraTest, PanLeftStopsOneStepPastItsLimit) {
    state.panState = 2;
    ticks(23);
    EXPECT_EQ(state.cameraAzimuth, -2.3736486f);
    ticks(10);
    EXPECT_EQ(state.cameraAzimuth, -2.3736486f);
}

TEST_F(OrbitCameraTest, ReturnSnapsExactlyToTheCentreAndStays) {
    for (int side : {1, 2}) {
        state.panState = side;
        ticks(23);
        state.panState = 0;
        ticks(23);
        EXPECT_EQ(state.cameraAzimuth, kCentre) << "from side " << side;
        ticks(50);
        EXPECT_EQ(state.cameraAzimuth, kCentre) << "from side " << side;
    }
}

TEST_F(OrbitCameraTest, TheEyeStaysLevelAtTheCameraDistance) {
    state.panState = 1;
    for (int i = 0; i < 30; ++i) {
        panStep(state);
        const Point3& eye = state.cameraEye;
        EXPECT_EQ(eye.y, 0.0f);
        EXPECT_NEAR(std::hypot(eye.x, eye.z), 4.0, 1e-6);
    }
}

TEST_F(OrbitCameraTest, ElevationIsClampedToAQuarterTurn) {
    state.cameraElevation = 2.0f;
    computeEye(state);
    EXPECT_EQ(state.cameraElevation, 0.7853982f);
    state.cameraElevation = -2.0f;
    computeEye(state);
    EXPECT_EQ(state.cameraElevation, -0.7853982f);
}

TEST_F(OrbitCameraTest, ForwardAndBackwardStopPastTheirLimits) {
    for (int i = 0; i < 10; ++i) onKeyDown('w', 0, 0);
    EXPECT_EQ(state.cameraDistance, -1.9999995f);
    onKeyDown('W', 0, 0);
    EXPECT_EQ(state.cameraDistance, -1.9999995f);
    EXPECT_NEAR(state.cameraEye.z, 1.9999995f, 1e-6f);

    buildState();
    for (int i = 0; i < 31; ++i) onKeyDown('s', 0, 0);
    EXPECT_NEAR(state.cameraDistance, -10.2f, 1e-5f);
    const float farthest = state.cameraDistance;
    onKeyDown('S', 0, 0);
    EXPECT_EQ(state.cameraDistance, farthest);
}

TEST_F(OrbitCameraTest, LastPanKeyWinsAndAnyReleaseReturns) {
    onKeyDown('a', 0, 0);
    onKeyDown('D', 0, 0);
    EXPECT_EQ(state.panState, 1);
    onKeyUp('a', 0, 0);
    EXPECT_EQ(state.panState, 0);
    onKeyDown('d', 0, 0);
    onKeyUp('x', 0, 0);
    EXPECT_EQ(state.panState, 1);
}

}  // namespace
