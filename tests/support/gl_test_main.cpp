// The test entry point: a hidden 600 by 600 GLUT window gives every test a
// current rendering context; listing the tests opens no window.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include "tests/support/gl_context.h"

namespace {

int gWindow = 0;

class GlContextEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        int argc = 1;
        char name[] = "ballcourse-tests";
        char* argv[] = {name, nullptr};
        glutInit(&argc, argv);
        glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
        glutInitWindowSize(600, 600);
        gWindow = glutCreateWindow("ballcourse tests");
        glutHideWindow();
    }
};

}  // namespace

int testWindow() {
    glutSetWindow(gWindow);
    return gWindow;
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new GlContextEnvironment);
    return RUN_ALL_TESTS();
}
