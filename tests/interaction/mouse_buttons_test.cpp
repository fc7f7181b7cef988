// SPDX-License-Identifier: MIT
#include "interaction/mouse_buttons.h"

#include "app/keyboard.h"
#include "interaction/placement.h"
#include "interaction/trackball.h"
#include "tests/interaction/interaction_fixture.h"

namespace {

const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// The interaction states, driven through the main window's callbacks the way
// GLUT delivers a user's presses, drags and keys.
class MouseStatesTest : public InteractionTest {
  protected:
    void press(int button, int x, int y) { onMouseButton(button, GLUT_DOWN, x, y); }
    void release(int button, int x, int y) { onMouseButton(button, GLUT_UP, x, y); }
    bool isIdentity(const Piece* piece) {
        const float* m = piece->rotationMatrix();
        return std::equal(m, m + 16, kIdentity);
    }
};

TEST_F(MouseStatesTest, EveryButtonEventRecordsThePickPoint) {
    onMouseButton(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 12, 34);
    EXPECT_EQ(state.pickX, 12);
    EXPECT_EQ(state.pickY, 34);
    release(GLUT_LEFT_BUTTON, 56, 78);
    EXPECT_EQ(state.pickX, 56);
    EXPECT_EQ(state.pickY, 78);
    onMouseButton(7, GLUT_DOWN, 9, 10);  // a further button GLUT may report
    EXPECT_EQ(state.pickX, 9);
    EXPECT_EQ(state.pickY, 10);
}

TEST_F(MouseStatesTest, IdleLeftPressPicksOrStaysIdle) {
    Block* block = placeBlock(0.0f, 0.0f, 0.0f);
    press(GLUT_LEFT_BUTTON, 20, 20);
    EXPECT_EQ(state.currentPiece, nullptr);
    press(GLUT_LEFT_BUTTON, 300, 300);
    EXPECT_EQ(state.currentPiece, block);
}

TEST_F(MouseStatesTest, ReleasesAndTheMiddleButtonChangeNothingElse) {
    Block* block = placeBlock(0.0f, 0.0f, 0.0f);
    release(GLUT_LEFT_BUTTON, 300, 300);
    onMouseButton(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 300, 300);
    onMouseButton(GLUT_MIDDLE_BUTTON, GLUT_UP, 300, 300);
    EXPECT_EQ(state.currentPiece, nullptr);
    state.currentPiece = block;
    release(GLUT_LEFT_BUTTON, 20, 20);
    onMouseButton(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 20, 20);
    EXPECT_EQ(state.currentPiece, block);
    EXPECT_EQ(state.trackballActive, 0);
}

TEST_F(MouseStatesTest, CarryingLeftPressDropsWithoutPicking) {
    Block* other = placeBlock(0.0f, 0.0f, 0.0f);
    Block* carried = carryBlock(0.0f, 0.0f, 0.0f);
    onPassiveMotion(450, 150);
    press(GLUT_LEFT_BUTTON, 300, 300);  // over the other piece
    EXPECT_EQ(state.currentPiece, nullptr);
    ASSERT_EQ(state.sceneList.size(), 2u);
    EXPECT_EQ(state.sceneList[1].get(), carried);
    EXPECT_NEAR(carried->getPosition().x, 0.8284271f, 1e-6f);
    // Dropped, it no longer follows the cursor; the next press picks.
    onPassiveMotion(10, 10);
    EXPECT_NEAR(carried->getPosition().x, 0.8284271f, 1e-6f);
    press(GLUT_LEFT_BUTTON, 300, 300);
    EXPECT_EQ(state.currentPiece, other);
}

TEST_F(MouseStatesTest, RightPressTurnsAndRightReleaseReturnsToCarrying) {
    Block* block = carryBlock(0.0f, 0.0f, 0.0f);
    press(GLUT_RIGHT_BUTTON, 300, 300);
    EXPECT_EQ(state.trackballActive, 1);
    // u = 2x/(W-1) - 1 and v = 2(H-y-1)/(H-1) - 1 in double, stored as floats.
    const Vector3 start = projectToSphere(static_cast<float>(2.0 * 300 / 599 - 1),
                                          static_cast<float>(2.0 * 299 / 599 - 1));
    EXPECT_FLOAT_EQ(state.trackballVector->x, start.x);
    EXPECT_FLOAT_EQ(state.trackballVector->y, start.y);
    EXPECT_FLOAT_EQ(state.trackballVector->z, start.z);

    onMotion(480, 300);  // a drag to the right turns the piece about +y
    EXPECT_FALSE(isIdentity(block));
    EXPECT_GT(block->rotationMatrix()[8], 0.3f);
    EXPECT_EQ(block->getPosition().x, 0.0f);  // turning does not carry

    release(GLUT_RIGHT_BUTTON, 480, 300);
    EXPECT_EQ(state.trackballActive, 0);
    EXPECT_TRUE(state.trackballVector.has_value());  // kept until the next drag
    EXPECT_EQ(state.currentPiece, block);
    onPassiveMotion(450, 150);
    EXPECT_NEAR(block->getPosition().x, 0.8284271f, 1e-6f);
}

TEST_F(MouseStatesTest, LeftPressDuringADragDropsAndLaterStepsTurnNothing) {
    Block* block = carryBlock(0.0f, 0.0f, 0.0f);
    press(GLUT_RIGHT_BUTTON, 300, 300);
    press(GLUT_LEFT_BUTTON, 300, 300);
    EXPECT_EQ(state.currentPiece, nullptr);
    EXPECT_EQ(state.trackballActive, 1);  // until the right release
    onMotion(480, 300);
    EXPECT_TRUE(isIdentity(block));
    EXPECT_NEAR(state.trackballVector->x, 2.0f * 480 / 599 - 1, 1e-6f);
    release(GLUT_RIGHT_BUTTON, 480, 300);
    EXPECT_EQ(state.trackballActive, 0);
}

TEST_F(MouseStatesTest, EraseDuringADragLeavesNothingToTurn) {
    placeBlock(0.0f, 0.0f, 0.0f);
    carryBlock(0.5f, 0.5f, 0.0f);
    press(GLUT_RIGHT_BUTTON, 300, 300);
    onKeyDown('e', 300, 300);
    EXPECT_EQ(state.currentPiece, nullptr);
    ASSERT_EQ(state.sceneList.size(), 1u);
    onMotion(480, 300);  // must not touch the destroyed piece
    EXPECT_TRUE(isIdentity(state.sceneList[0].get()));
    EXPECT_NEAR(state.trackballVector->x, 2.0f * 480 / 599 - 1, 1e-6f);
}

TEST_F(MouseStatesTest, RightPressWithoutACurrentPieceStartsNoDrag) {
    Block* block = placeBlock(0.0f, 0.0f, 0.0f);
    state.trackballVector = Vector3(0.0f, 1.0f, 0.0f);
    press(GLUT_RIGHT_BUTTON, 300, 300);
    EXPECT_EQ(state.trackballActive, 0);
    EXPECT_EQ(state.trackballVector->y, 1.0f);
    onMotion(480, 300);
    EXPECT_EQ(state.trackballVector->y, 1.0f);
    EXPECT_TRUE(isIdentity(block));
}

TEST_F(MouseStatesTest, RightReleaseAlwaysEndsTheDrag) {
    state.trackballActive = 1;
    release(GLUT_RIGHT_BUTTON, 0, 0);
    EXPECT_EQ(state.trackballActive, 0);
    release(GLUT_RIGHT_BUTTON, 0, 0);
    EXPECT_EQ(state.trackballActive, 0);
}

TEST_F(MouseStatesTest, ThinWindowRightPressStartsNoDrag) {
    carryBlock(0.0f, 0.0f, 0.0f);
    state.windowWidth = 1;
    press(GLUT_RIGHT_BUTTON, 0, 300);
    EXPECT_EQ(state.trackballActive, 0);
    EXPECT_FALSE(state.trackballVector.has_value());
}

}  // namespace
