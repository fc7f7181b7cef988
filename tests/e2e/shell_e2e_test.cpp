// SPDX-License-Identifier: MIT
// The application shell seen from outside: what the toy prints, the window it
// opens, the colours it clears to, the ball's single steps and quitting.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tests/e2e/e2e_support.h"

namespace {

using e2e::Blob;
using e2e::Image;
using e2e::Rgb;
using e2e::RunningToy;

constexpr int kWindowSize = 600;
constexpr int kPaletteSize = 100;

// The ball's start after R, its fall per tick and how the camera at (0, 0, 4)
// with a 45 degree field of view maps the height of a point on the y axis
// to a window row.
constexpr double kResetHeight = 2.0;
constexpr double kFallPerTick = 0.002;
const double kHalfViewHeight = 4.0 * std::tan(22.5 * M_PI / 180.0);

// Presses between the same two ticks give only one step, so each step is
// seen before the next O: once the ball is in view, by the picture; above the
// view, by waiting this long after the toy has handled the press, many
// 20 ms ticks even on a busy machine.
constexpr double kStepGap = 0.3;
// How long a picture the test waits for may take to show: a busy machine
// can hold a frame back for seconds.
constexpr double kFrameDeadline = 10.0;

double heightAfterSteps(int steps) {
    return kResetHeight - kFallPerTick * steps * (steps - 1) / 2.0;
}

double rowOfHeight(double y) {
    return kWindowSize / 2.0 - (kWindowSize / 2.0) * y / kHalfViewHeight;
}

// A clear colour given in [0, 1] as the 8-bit value it is stored as.
Rgb fromUnit(double r, double g, double b) {
    return Rgb{static_cast<int>(std::lround(r * 255)), static_cast<int>(std::lround(g * 255)),
               static_cast<int>(std::lround(b * 255))};
}

::testing::AssertionResult isColour(const Image& image, int x, int y, Rgb expected) {
    Rgb got = image.at(x, y);
    if (std::abs(got.r - expected.r) <= 1 && std::abs(got.g - expected.g) <= 1 &&
        std::abs(got.b - expected.b) <= 1) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "pixel (" << x << ", " << y << ") is (" << got.r << ", " << got.g << ", " << got.b
           << "), expected (" << expected.r << ", " << expected.g << ", " << expected.b << ")";
}

// The ball's dark red material, lit or in shadow: red clearly present, green
// and blue weak. The orange pieces have far more green.
bool isBallRed(Rgb c) {
    return c.r >= 90 && c.g * 10 <= c.r * 4 && c.b * 10 <= c.r * 4;
}

// The ball in the main window's area right of the palettes (the palette
// prototypes are never red, but there is no need to look at them).
Blob findBall(const Image& image) {
    return e2e::findPixels(image, isBallRed, kPaletteSize, 0, image.width, image.height);
}

TEST(ShellE2e, PrintsExactlyTheHelpAtStartAndNothingMore) {
    RunningToy toy;
    // The help is flushed at start, not only when the process ends.
    ASSERT_TRUE(toy.waitForOutput("Q - quit\n", 10.0)) << "output so far:\n" << toy.output();
    EXPECT_EQ(toy.output(), e2e::kExpectedHelp);

    EXPECT_EQ(toy.quit(), 0);
    EXPECT_EQ(toy.output(), e2e::kExpectedHelp);
}

TEST(ShellE2e, OpensMyWindowAt100_100Sized600x600) {
    RunningToy toy;
    EXPECT_EQ(toy.title(), "My Window");
    e2e::WindowGeometry geometry{};
    e2e::eventually(
        [&] {
            geometry = toy.geometry();
            return geometry.x == 100 && geometry.y == 100 && geometry.width == kWindowSize &&
                   geometry.height == kWindowSize;
        },
        kFrameDeadline);
    EXPECT_EQ(geometry.x, 100);
    EXPECT_EQ(geometry.y, 100);
    EXPECT_EQ(geometry.width, kWindowSize);
    EXPECT_EQ(geometry.height, kWindowSize);
    Image image = toy.capture();
    EXPECT_EQ(image.width, kWindowSize);
    EXPECT_EQ(image.height, kWindowSize);
}

TEST(ShellE2e, PalettesAndMainWindowShowTheirClearColours) {
    RunningToy toy;
    // Paused and reset, the ball waits above the view and cannot cover a sample.
    toy.key("p");
    toy.key("r", 0.2);
    // Near the palettes' corners, clear of the prototypes drawn in their middle.
    const Rgb blockPalette = fromUnit(0.8, 0.8, 0.9);
    const Rgb curvePalette = fromUnit(0.8, 0.9, 0.8);
    const Rgb white = fromUnit(1, 1, 1);
    // Every sample at once: the palettes are drawn by callbacks of their own,
    // possibly after the main window's first frame, and the ball may cross a
    // sample until P and R have been handled.
    const auto check = [&](const Image& image, auto&& expect) {
        for (int x : {1, 98}) {
            for (int y : {1, 98}) {
                expect(isColour(image, x, y, blockPalette));
                expect(isColour(image, x, y + kPaletteSize, curvePalette));
            }
        }
        // Just outside the palettes the main window's white begins.
        expect(isColour(image, kPaletteSize, 50, white));
        expect(isColour(image, 50, 2 * kPaletteSize, white));
        for (int x : {150, 300, 599}) {
            for (int y : {0, 300, 599}) expect(isColour(image, x, y, white));
        }
        expect(isColour(image, 0, 599, white));
    };
    toy.sync();
    const Image image = toy.captureWhen(
        [&](const Image& shot) {
            if (shot.width != kWindowSize || shot.height != kWindowSize) return false;
            bool all = true;
            check(shot, [&](const ::testing::AssertionResult& r) { all = all && bool(r); });
            return all;
        },
        kFrameDeadline);
    ASSERT_EQ(image.width, kWindowSize);
    ASSERT_EQ(image.height, kWindowSize);
    check(image, [](const ::testing::AssertionResult& r) { EXPECT_TRUE(r); });
}

TEST(ShellE2e, PausedBallMovesOnlyBySingleStepsAsTheArithmeticSays) {
    RunningToy toy;
    toy.key("p", 0.0);
    toy.key("r", 0.0);
    toy.sync();
    // At rest at (0, 2, 0) the ball is above the top edge of the view.
    EXPECT_EQ(findBall(toy.captureWhen([](const Image& shot) { return findBall(shot).count == 0; },
                                       kFrameDeadline))
                  .count,
              0);

    // Where the ball shows after `steps` single steps, to within 2 pixels.
    auto showsBallAfter = [&](int steps, const Image& image) {
        const Blob ball = findBall(image);
        return ball.count >= 20 &&
               std::abs(ball.y + 0.5 - rowOfHeight(heightAfterSteps(steps))) <= 2.0 &&
               std::abs(ball.x + 0.5 - kWindowSize / 2.0) <= 2.0;
    };
    // On a mismatch the capture is kept with the test's artefacts.
    auto expectBallAfterSteps = [&](int steps, const Image& image) {
        const std::string saved =
            e2e::artefactPath("after_" + std::to_string(steps) + "_steps.ppm");
        Blob ball = findBall(image);
        if (ball.count < 20) {
            image.savePpm(saved);
            ADD_FAILURE() << "no ball in view after " << steps << " steps; see " << saved;
            return;
        }
        // Pixel (x, y) covers [x, x + 1) x [y, y + 1) of the window.
        const double row = ball.y + 0.5;
        const double column = ball.x + 0.5;
        const double seenHeight = (kWindowSize / 2.0 - row) * kHalfViewHeight / (kWindowSize / 2.0);
        const double expectedRow = rowOfHeight(heightAfterSteps(steps));
        // One step more or less moves the ball by over 10 pixels here.
        if (std::abs(row - expectedRow) > 2.0 || std::abs(column - kWindowSize / 2.0) > 2.0) {
            image.savePpm(saved);
            ADD_FAILURE() << "after " << steps << " steps the ball shows at column " << column
                          << ", row " << row << " (height " << seenHeight << "); expected column "
                          << kWindowSize / 2.0 << ", row " << expectedRow << " (height "
                          << heightAfterSteps(steps) << "); see " << saved;
        }
    };

    const auto showsAfter = [&](int steps) {
        return [&, steps](const Image& shot) { return showsBallAfter(steps, shot); };
    };
    // The O is handled before the wait starts; the wait ends once the step has
    // shown, or after the gap while the ball is still above the view.
    int steps = 0;
    const auto step = [&] {
        toy.key("o", 0.0);
        toy.sync();
        ++steps;
        // Wholly in view: the ball is 0.05 high, 9 pixels.
        if (rowOfHeight(heightAfterSteps(steps)) > 12.0) {
            toy.captureWhen(showsAfter(steps), kFrameDeadline);
        } else {
            e2e::pause(kStepGap);
        }
    };
    while (steps < 30) step();
    const Image afterThirty = toy.captureWhen(showsAfter(30), kFrameDeadline);
    expectBallAfterSteps(30, afterThirty);

    // Paused, it stays where it is for a good number of ticks.
    const Image later = toy.captureHeld(
        [&](const Image& shot) { return shot.rgb == afterThirty.rgb; }, kFrameDeadline, 0.5);
    EXPECT_TRUE(later.rgb == afterThirty.rgb) << "the paused picture changed";
    expectBallAfterSteps(30, later);

    while (steps < 40) step();
    expectBallAfterSteps(40, toy.captureWhen(showsAfter(40), kFrameDeadline));
}

TEST(ShellE2e, CapitalQEndsTheProcessWithStatusZero) {
    RunningToy toy;
    toy.key("Q", 0.0);
    EXPECT_EQ(toy.waitForExit(10.0), 0);
}

}  // namespace
