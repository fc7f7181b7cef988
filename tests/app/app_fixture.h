#pragma once

#include <gtest/gtest.h>

#include "app/app_state.h"
#include "tests/support/gl_context.h"

// Every app test starts from a freshly built program state in the hidden test
// window, as start-up leaves it before the main loop.
class AppTest : public ::testing::Test {
  protected:
    void SetUp() override {
        app().mainWindow = testWindow();
        app().windowWidth = 600;
        app().windowHeight = 600;
        buildState();
    }
    void TearDown() override { app().sceneList.clear(), app().currentPiece = nullptr; }

    AppState& state() { return app(); }
};
