// SPDX-License-Identifier: MIT
#include "interaction/trackball.h"

#include <limits>

#include "interaction/trackball_coordinates.h"
#include "tests/interaction/interaction_fixture.h"
#include "tests/support/expect_geometry.h"

namespace {

// Column-major rotation by `degrees` about +y, as OpenGL stores it.
void rotationAboutY(float degrees, float* m) {
    const double r = degrees * 3.14159265358979 / 180.0;
    const float c = static_cast<float>(std::cos(r));
    const float s = static_cast<float>(std::sin(r));
    const float values[16] = {c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1};
    std::copy(values, values + 16, m);
}

const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

TEST(TrackballCoordinates, CornersMapToTheUnitSquare) {
    const auto topLeft = trackballCoordinates(0, 0, 600, 600);
    ASSERT_TRUE(topLeft.has_value());
    EXPECT_FLOAT_EQ(topLeft->u, -1.0f);
    EXPECT_FLOAT_EQ(topLeft->v, 1.0f);
    const auto bottomRight = trackballCoordinates(599, 599, 600, 600);
    ASSERT_TRUE(bottomRight.has_value());
    EXPECT_FLOAT_EQ(bottomRight->u, 1.0f);
    EXPECT_FLOAT_EQ(bottomRight->v, -1.0f);
}

TEST(TrackballCoordinates, NoneForWindowsUnderTwoPixels) {
    EXPECT_FALSE(trackballCoordinates(0, 0, 1, 600).has_value());
    EXPECT_FALSE(trackballCoordinates(0, 0, 600, 1).has_value());
    EXPECT_FALSE(trackballCoordinates(0, 0, 0, 0).has_value());
    EXPECT_TRUE(trackballCoordinates(0, 0, 2, 2).has_value());
}

TEST(ProjectToSphere, InsideOnAndOutsideTheCircle) {
    expectVector(projectToSphere(0.0f, 0.0f), 0.0f, 0.0f, 1.0f);
    expectVector(projectToSphere(1.0f, 0.0f), 1.0f, 0.0f, 0.0f);
    expectVector(projectToSphere(2.0f, 0.0f), 1.0f, 0.0f, 0.0f);
    expectVector(projectToSphere(-1.0f, -1.0f), -0.7071068f, -0.7071068f, 0.0f);
    expectVector(projectToSphere(0.6f, 0.0f), 0.6f, 0.0f, 0.8f);
}

TEST(WholeDegreesBetween, TruncatesAndTurnsNotANumberIntoZero) {
    EXPECT_EQ(wholeDegreesBetween(Vector3(0, 0, 1), Vector3(0.6f, 0, 0.8f)), 36.0f);
    // π radians over the float π, which is slightly larger, is just under 180.
    EXPECT_EQ(wholeDegreesBetween(Vector3(1, 0, 0), Vector3(-1, 0, 0)), 179.0f);
    // A zero operand makes the angle 0/0.
    EXPECT_EQ(wholeDegreesBetween(Vector3(0, 0, 0), Vector3(0, 0, 1)), 0.0f);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(wholeDegreesBetween(Vector3(nan, 0, 0), Vector3(0, 0, 1)), 0.0f);
}

class DragStepTest : public InteractionTest {
  protected:
    void SetUp() override {
        InteractionTest::SetUp();
        piece = carryBlock(0.0f, 0.0f, 0.0f);
        state.trackballVector = Vector3(0.0f, 0.0f, 1.0f);
    }
    Block* piece = nullptr;
};

TEST_F(DragStepTest, DragRightFromTheCentreTurnsWholeDegreesAboutY) {
    dragStep(state, 0.6f, 0.0f);
    float expected[16];
    rotationAboutY(36.0f, expected);
    expectRotationEq(piece->rotationMatrix(), expected, 1e-5f);
    expectVector(*state.trackballVector, 0.6f, 0.0f, 0.8f);
}

TEST_F(DragStepTest, JustUnderThirtyDegreesTurnsTwentyNine) {
    dragStep(state, 0.5f, 0.0f);
    float expected[16];
    rotationAboutY(29.0f, expected);
    expectRotationEq(piece->rotationMatrix(), expected, 1e-5f);
}

TEST_F(DragStepTest, StepUnderOneDegreeTurnsNothingButMovesThePoint) {
    const float u = static_cast<float>(std::sin(0.9 * 3.14159265358979 / 180.0));
    dragStep(state, u, 0.0f);
    expectRotationEq(piece->rotationMatrix(), kIdentity, 0.0f);
    expectVector(*state.trackballVector, u, 0.0f, static_cast<float>(std::sqrt(1.0 - u * u)));
}

TEST_F(DragStepTest, OneRayOutsideTheCircleGivesNoTurn) {
    state.trackballVector = projectToSphere(1.5f, 1.5f);
    dragStep(state, 3.0f, 3.0f);
    expectRotationEq(piece->rotationMatrix(), kIdentity, 0.0f);
}

TEST_F(DragStepTest, OppositeEquatorPointsHaveAZeroAxisAndTurnNothing) {
    state.trackballVector = projectToSphere(2.0f, 0.0f);
    dragStep(state, -2.0f, 0.0f);
    EXPECT_TRUE(allFinite(piece->rotationMatrix(), 16));
    expectRotationEq(piece->rotationMatrix(), kIdentity, 0.0f);
    expectVector(*state.trackballVector, -1.0f, 0.0f, 0.0f);
}

TEST_F(DragStepTest, WithoutACurrentPieceOnlyThePointMoves) {
    state.currentPiece = nullptr;
    dragStep(state, 0.6f, 0.0f);
    expectRotationEq(piece->rotationMatrix(), kIdentity, 0.0f);
    expectVector(*state.trackballVector, 0.6f, 0.0f, 0.8f);
}

TEST_F(DragStepTest, WithoutAPreviousPointTheFirstStepOnlyStoresOne) {
    state.trackballVector.reset();
    dragStep(state, 0.6f, 0.0f);
    expectRotationEq(piece->rotationMatrix(), kIdentity, 0.0f);
    ASSERT_TRUE(state.trackballVector.has_value());
    expectVector(*state.trackballVector, 0.6f, 0.0f, 0.8f);
}

using DragToTest = DragStepTest;

TEST_F(DragToTest, RunsOnlyWhileADragIsActive) {
    state.trackballActive = 0;
    EXPECT_FALSE(dragTo(state, 599, 300));
    expectVector(*state.trackballVector, 0.0f, 0.0f, 1.0f);
    expectRotationEq(piece->rotationMatrix(), kIdentity, 0.0f);

    state.trackballActive = 1;
    EXPECT_TRUE(dragTo(state, 599, 300));
    EXPECT_GT(std::fabs(piece->rotationMatrix()[8]), 0.5f);  // turned about y
}

TEST_F(DragToTest, DegenerateWindowsSkipTheStep) {
    state.trackballActive = 1;
    const int sizes[][2] = {{1, 600}, {600, 1}, {0, 0}, {1, 1}};
    for (const auto& size : sizes) {
        state.windowWidth = size[0];
        state.windowHeight = size[1];
        EXPECT_FALSE(dragTo(state, 0, 0));
        onMotion(0, 0);
        expectVector(*state.trackballVector, 0.0f, 0.0f, 1.0f);
        EXPECT_TRUE(allFinite(piece->rotationMatrix(), 16));
        expectRotationEq(piece->rotationMatrix(), kIdentity, 0.0f);
    }
}

}  // namespace
