// SPDX-License-Identifier: MIT
#include "app/main_window.h"

#include <GL/freeglut.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "app/help.h"
#include "app/keyboard.h"
#include "tests/support/app_fixture.h"

namespace {

void projection(float m[16]) {
    glGetFloatv(GL_PROJECTION_MATRIX, m);
}

class MainWindowTest : public AppTest {};

TEST_F(MainWindowTest, ReshapeStoresTheSizeAndTheAspectRatio) {
    reshapeMain(800, 400);
    EXPECT_EQ(state.windowWidth, 800);
    EXPECT_EQ(state.windowHeight, 400);
    float m[16];
    projection(m);
    // gluPerspective puts f / aspect in x and f in y, f = cot(22.5°).
    const float f = static_cast<float>(1.0 / std::tan(22.5 * std::acos(-1.0) / 180.0));
    EXPECT_NEAR(m[5], f, 1e-5f);
    EXPECT_NEAR(m[0], f / 2.0f, 1e-5f);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 400);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    reshapeMain(600, 600);
}

TEST_F(MainWindowTest, AZeroHeightKeepsThePreviousProjectionAndSize) {
    reshapeMain(640, 480);
    float before[16], after[16];
    projection(before);
    reshapeMain(640, 0);
    reshapeMain(0, 0);
    projection(after);
    EXPECT_EQ(state.windowWidth, 640);
    EXPECT_EQ(state.windowHeight, 480);
    for (int i = 0; i < 16; ++i) {
        EXPECT_TRUE(std::isfinite(after[i]));
        EXPECT_EQ(after[i], before[i]);
    }
    reshapeMain(600, 600);
}

TEST_F(MainWindowTest, DisplayLeavesTheModelviewIdentityForTheNextFrame) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    onKeyDown('d', 0, 0);
    displayMain();
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(m[i], (i % 5 == 0) ? 1.0f : 0.0f);
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
}

TEST(HelpText, IsTheFourteenCommandLines) {
    const std::string text = kHelpText;
    int lines = 0;
    for (char c : text) lines += c == '\n';
    EXPECT_EQ(lines, 14);
    EXPECT_EQ(text.rfind("Commands:\n", 0), 0u);
    EXPECT_NE(text.find("\nRight Mouse - rotate current piece using virtual trackball\n"),
              std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 9), "Q - quit\n");
    EXPECT_EQ(text.find('H'), std::string::npos);
}

TEST_F(MainWindowTest, HPrintsTheHelpAgainInEitherCase) {
    ::testing::internal::CaptureStdout();
    onKeyDown('h', 0, 0);
    onKeyDown('H', 0, 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), std::string(kHelpText) + kHelpText);
}

TEST_F(MainWindowTest, QuitEndsTheProcessWithStatusZero) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(onKeyDown('q', 0, 0), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(onKeyDown('Q', 0, 0), ::testing::ExitedWithCode(0), "");
}

}  // namespace
