// SPDX-License-Identifier: MIT
// The test entry point: a hidden 600 by 600 GLUT window gives every test a
// current rendering context; listing the tests opens no window.
#include <GL/freeglut.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <link.h>

#include <string>
#include <vector>

#include "tests/support/gl_context.h"

namespace {

int gWindow = 0;

// The OpenGL driver is a plugin that the X library unloads when the display
// closes at exit, before the leak checker runs; its frames in a leak report
// would then show only as an unknown module, and no suppression could name
// it. Pinning every library loaded by then keeps them all symbolised.
// The names are gathered first: dlopen inside the walk could take the
// loader's lock that the walk holds.
void keepLoadedLibrariesResident() {
    std::vector<std::string> names;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* found) {
            if (info->dlpi_name != nullptr && info->dlpi_name[0] != '\0') {
                static_cast<std::vector<std::string>*>(found)->push_back(info->dlpi_name);
            }
            return 0;
        },
        &names);
    for (const std::string& name : names) {
        dlopen(name.c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    }
}

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
        keepLoadedLibrariesResident();
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
