// SPDX-License-Identifier: MIT
#include "app/startup.h"

#include <GL/freeglut.h>

#include "app/app_state.h"
#include "app/frame_tick.h"
#include "app/help.h"
#include "app/keyboard.h"
#include "app/lighting.h"
#include "app/main_window.h"
#include "interaction/mouse_buttons.h"
#include "interaction/palettes.h"
#include "interaction/placement.h"
#include "interaction/trackball.h"

namespace {

constexpr int kMainWidth = 600;
constexpr int kMainHeight = 600;
constexpr int kMainLeft = 100;
constexpr int kMainTop = 100;
constexpr int kPaletteSize = 100;

int createMainWindow() {
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(kMainWidth, kMainHeight);
    glutInitWindowPosition(kMainLeft, kMainTop);
    const int window = glutCreateWindow("My Window");
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glutDisplayFunc(displayMain);
    glutKeyboardFunc(onKeyDown);
    glutKeyboardUpFunc(onKeyUp);
    glutReshapeFunc(reshapeMain);
    glutMouseFunc(onMouseButton);
    glutMotionFunc(onMotion);
    glutPassiveMotionFunc(onPassiveMotion);
    initLighting();
    glEnable(GL_DEPTH_TEST);
    return window;
}

// A palette sub-window at (0, top) of the main window, with its own lighting.
void createPalette(int mainWindow, int top, const float clear[3], void (*display)(),
                   void (*mouse)(int, int, int, int)) {
    glutCreateSubWindow(mainWindow, 0, top, kPaletteSize, kPaletteSize);
    glClearColor(clear[0], clear[1], clear[2], 1.0f);
    glutDisplayFunc(display);
    glutReshapeFunc(reshapePalette);
    glutMouseFunc(mouse);
    initLighting();
    glEnable(GL_DEPTH_TEST);
}

const float kBlockPaletteClear[3] = {0.8f, 0.8f, 0.9f};
const float kCurvePaletteClear[3] = {0.8f, 0.9f, 0.8f};

}  // namespace

void createWindows(int* argc, char** argv) {
    glutInit(argc, argv);
    AppState& state = app();
    state.windowWidth = kMainWidth;
    state.windowHeight = kMainHeight;
    state.mainWindow = createMainWindow();
    createPalette(state.mainWindow, 0, kBlockPaletteClear, displayBlockPalette,
                  onBlockPaletteMouse);
    createPalette(state.mainWindow, kPaletteSize, kCurvePaletteClear, displayCurvePalette,
                  onCurvePaletteMouse);
}

void startUp(int* argc, char** argv) {
    createWindows(argc, argv);
    // The palettes' contexts were current last; the prototypes only need one.
    buildState();
    printHelp();
    glutSetWindow(app().mainWindow);
    glutTimerFunc(kFrameMilliseconds, frameTick, 1);
}
