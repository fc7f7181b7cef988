// SPDX-License-Identifier: MIT
#include "interaction/palettes.h"

#include "app/keyboard.h"
#include "scene/curve.h"
#include "tests/interaction/interaction_fixture.h"

namespace {

// A hidden sub-window of the test window stands in for a palette: GLUT makes
// the palette current before it calls the palette's callbacks.
int paletteWindow() {
    static int window = 0;
    if (window == 0) {
        window = glutCreateSubWindow(testWindow(), 0, 0, 100, 100);
        testWindow();
    }
    return window;
}

class PaletteTest : public InteractionTest {
  protected:
    void SetUp() override {
        InteractionTest::SetUp();
        glutSetWindow(paletteWindow());
    }
    void TearDown() override {
        testWindow();
        InteractionTest::TearDown();
    }

    void expectMainWindowCurrent() { EXPECT_EQ(glutGetWindow(), state.mainWindow); }
};

TEST_F(PaletteTest, BlockPaletteLeftPressAddsOneCurrentBlockAtTheOrigin) {
    placeBlock(0.5f, 0.5f, 0.0f);
    onBlockPaletteMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 70, 20);
    expectMainWindowCurrent();
    ASSERT_EQ(state.sceneList.size(), 2u);
    Piece* added = state.sceneList[1].get();
    EXPECT_EQ(state.currentPiece, added);
    EXPECT_NE(dynamic_cast<Block*>(added), nullptr);
    EXPECT_EQ(added->getPosition().x, 0.0f);
    EXPECT_EQ(added->getPosition().y, 0.0f);
    EXPECT_EQ(added->getPosition().z, 0.0f);
}

TEST_F(PaletteTest, CurvePaletteLeftPressAddsOneCurrentCurve) {
    onCurvePaletteMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 5, 95);
    expectMainWindowCurrent();
    ASSERT_EQ(state.sceneList.size(), 1u);
    EXPECT_NE(dynamic_cast<Curve*>(state.sceneList[0].get()), nullptr);
    EXPECT_EQ(state.currentPiece, state.sceneList[0].get());
}

TEST_F(PaletteTest, OtherButtonsAndReleasesAddNothingButReturnToTheMainWindow) {
    const int events[][2] = {{GLUT_LEFT_BUTTON, GLUT_UP},
                             {GLUT_RIGHT_BUTTON, GLUT_DOWN},
                             {GLUT_RIGHT_BUTTON, GLUT_UP},
                             {GLUT_MIDDLE_BUTTON, GLUT_DOWN},
                             {3, GLUT_DOWN}};
    for (const auto& event : events) {
        glutSetWindow(paletteWindow());
        onBlockPaletteMouse(event[0], event[1], 50, 50);
        expectMainWindowCurrent();
        glutSetWindow(paletteWindow());
        onCurvePaletteMouse(event[0], event[1], 50, 50);
        expectMainWindowCurrent();
    }
    EXPECT_TRUE(state.sceneList.empty());
    EXPECT_EQ(state.currentPiece, nullptr);
}

TEST_F(PaletteTest, ANewPieceReplacesTheCurrentOneAndZCountsFromZero) {
    Block* earlier = carryBlock(0.4f, -0.3f, 0.0f);
    state.pieceAngle = 30.0f;
    state.trackballActive = 1;
    onBlockPaletteMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 50, 50);
    ASSERT_EQ(state.sceneList.size(), 2u);
    EXPECT_EQ(state.sceneList[0].get(), earlier);
    EXPECT_EQ(earlier->getPosition().x, 0.4f);
    EXPECT_EQ(state.pieceAngle, 0.0f);
    EXPECT_EQ(state.trackballActive, 1);  // the palette leaves the drag alone

    onKeyDown('z', 300, 300);
    EXPECT_EQ(state.pieceAngle, 3.0f);
    const float* m = state.currentPiece->rotationMatrix();
    const double r = 3.0 * 3.14159265358979 / 180.0;
    EXPECT_NEAR(m[0], std::cos(r), 1e-6);
    EXPECT_NEAR(m[1], std::sin(r), 1e-6);
}

TEST_F(PaletteTest, TwoClicksLeaveTheFirstPieceAtTheOriginAndCarryTheSecond) {
    onCurvePaletteMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 50, 50);
    glutSetWindow(paletteWindow());
    onCurvePaletteMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 50, 50);
    ASSERT_EQ(state.sceneList.size(), 2u);
    EXPECT_EQ(state.currentPiece, state.sceneList[1].get());
    EXPECT_EQ(state.sceneList[0]->getPosition().x, 0.0f);
}

TEST_F(PaletteTest, DisplaysReturnToTheMainWindowWithTheMatrixBalanced) {
    displayBlockPalette();
    expectMainWindowCurrent();
    glutSetWindow(paletteWindow());
    displayCurvePalette();
    expectMainWindowCurrent();

    glutSetWindow(paletteWindow());
    float modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    expectRotationEq(modelview, identity, 0.0f);
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
    // The prototypes are drawn, never added to the scene.
    EXPECT_TRUE(state.sceneList.empty());
}

}  // namespace
