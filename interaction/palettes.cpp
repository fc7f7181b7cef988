// SPDX-License-Identifier: MIT
#include "interaction/palettes.h"

#include <GL/freeglut.h>

#include "app/app_state.h"
#include "app/lighting.h"

namespace {

// The palettes' own view: the eye 3 units out on +z, looking at the origin.
constexpr double kPaletteEyeZ = 3.0;

bool isLeftPress(int button, int state) {
    return button == GLUT_LEFT_BUTTON && state == GLUT_DOWN;
}

// The frame tick's and the motion callbacks' redisplay requests go to the
// current window, so it must be the main window between events, not the
// palette GLUT made current for this one.
void returnToMainWindow() {
    glutSetWindow(app().mainWindow);
}

}  // namespace

void drawPalette(SceneObject& prototype) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPushMatrix();
    gluLookAt(0.0, 0.0, kPaletteEyeZ, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    glLightfv(GL_LIGHT0, GL_POSITION, kLightPosition);
    prototype.draw();
    glPopMatrix();
    glutSwapBuffers();
}

void displayBlockPalette() {
    drawPalette(*app().blockPrototype);
    returnToMainWindow();
}

void displayCurvePalette() {
    drawPalette(*app().curvePrototype);
    returnToMainWindow();
}

void addNewPiece(AppState& state, std::unique_ptr<Piece> piece) {
    state.currentPiece = piece.get();
    state.pieceAngle = 0.0f;
    state.sceneList.push_back(std::move(piece));
}

void onBlockPaletteMouse(int button, int state, int /*x*/, int /*y*/) {
    if (isLeftPress(button, state)) {
        addNewPiece(app(), std::make_unique<Block>());
    }
    returnToMainWindow();
}

void onCurvePaletteMouse(int button, int state, int /*x*/, int /*y*/) {
    if (isLeftPress(button, state)) {
        addNewPiece(app(), std::make_unique<Curve>());
    }
    returnToMainWindow();
}
