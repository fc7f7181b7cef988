// SPDX-License-Identifier: MIT
// The road of a piece through the real toy: from a palette click, carried by
// the pointer, dropped, landed on by the ball, picked again, turned with the
// keys and the trackball, and erased.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

#include "tests/e2e/e2e_support.h"
#include "tests/e2e/scenario_picture.h"

namespace {

using e2e::Image;
using e2e::Rgb;
using e2e::RunningToy;

// Palette pixels that a left click lands in.
constexpr int kBlockPaletteX = 50, kBlockPaletteY = 50;
constexpr int kCurvePaletteX = 50, kCurvePaletteY = 150;
constexpr int kPaletteSize = 100;
constexpr int kWindowSize = 600;
// Pixels per world unit in the plane z = 0 with the camera at (0, 0, 4):
// half the window over the half-height 4·tan(22.5°).
constexpr double kPixelsPerUnit = 300.0 / 1.6568543;
// How long a redraw may take to show: the frame tick redraws every 20 ms,
// but a loaded machine or a cold shader cache can hold a frame back.
constexpr double kShowSeconds = 5.0;
// How long a picture that must stay so is watched: many frame ticks.
constexpr double kHoldSeconds = 0.3;

using scenario::isBall;
using scenario::isPiece;
using scenario::Region;

// The pixels of one colour in a rectangle, palettes left out.
Region find(const Image& image, const std::function<bool(Rgb)>& match, int x0, int y0, int x1,
            int y1) {
    return scenario::measure(image, match, x0, y0, x1, y1, true);
}

// Piece pixels within `radius` of window pixel (x, y), palettes left out.
Region piecesNear(const Image& image, int x, int y, int radius) {
    return find(image, isPiece, x - radius, y - radius, x + radius + 1, y + radius + 1);
}

Region piecesInView(const Image& image) {
    return find(image, isPiece, 0, 0, kWindowSize, kWindowSize);
}

// A new block is 0.3 by 0.1 in x and y: about 54 by 18 pixels at z = 0.
constexpr int kBlockPixels = 600;

class InteractionE2eTest : public ::testing::Test {
  protected:
    // Saves what the toy showed when a test fails, for looking at later.
    void keep(const Image& image, const std::string& name) {
        if (HasFailure()) image.savePpm(e2e::artefactPath(name + ".ppm"));
    }

    // A palette click, then the pointer over the main window at (x, y): the
    // new piece follows it there.
    void takeFromPalette(int paletteX, int paletteY, int x, int y) {
        toy.click(1, paletteX, paletteY);
        toy.moveTo(x, y);
    }

    Image showsBlockAt(int x, int y) {
        return toy.captureWhen(
            [&](const Image& image) {
                const Region near = piecesNear(image, x, y, 40);
                return near.count > kBlockPixels && std::abs(near.x - x) < 4 &&
                       std::abs(near.y - y) < 4;
            },
            kShowSeconds);
    }

    RunningToy toy;
};

TEST_F(InteractionE2eTest, PalettesShowTheirPrototypes) {
    // Each palette is drawn by a callback of its own, possibly after the main
    // window's first frame; a cold shader cache makes that first draw slow.
    const auto inPalette = [](const Image& image, int top) {
        return e2e::findPixels(image, isPiece, 0, top, kPaletteSize, top + kPaletteSize).count;
    };
    const Image image = toy.captureWhen(
        [&](const Image& shot) {
            return inPalette(shot, 0) > 300 && inPalette(shot, kPaletteSize) > 300;
        },
        kShowSeconds);
    EXPECT_GT(inPalette(image, 0), 300) << "the block palette shows no block";
    EXPECT_GT(inPalette(image, kPaletteSize), 300) << "the curve palette shows no curve";
    EXPECT_EQ(piecesInView(image).count, 0) << "a piece in the view before any click";
    keep(image, "palettes");
}

TEST_F(InteractionE2eTest, BlockFollowsTheCursorAndStaysWhereItIsDropped) {
    takeFromPalette(kBlockPaletteX, kBlockPaletteY, 400, 200);
    Image image = showsBlockAt(400, 200);
    Region block = piecesNear(image, 400, 200, 40);
    EXPECT_NEAR(block.x, 400, 4);
    EXPECT_NEAR(block.y, 200, 4);
    EXPECT_NEAR(block.width(), 0.3 * kPixelsPerUnit, 6);
    keep(image, "carried");

    toy.click(1, 400, 200);
    toy.moveTo(200, 450);
    toy.moveTo(210, 460);
    toy.sync();
    // Held over several frame ticks after the moves, so a wrong move would show.
    image = toy.captureHeld(
        [](const Image& shot) {
            const Region r = piecesInView(shot);
            return r.count > kBlockPixels && std::abs(r.x - 400) < 4 && std::abs(r.y - 200) < 4;
        },
        kShowSeconds, kHoldSeconds);
    block = piecesInView(image);
    EXPECT_NEAR(block.x, 400, 4) << "the dropped block moved with the pointer";
    EXPECT_NEAR(block.y, 200, 4);
    keep(image, "dropped");
}

TEST_F(InteractionE2eTest, BallComesToRestOnABlockDroppedInItsPath) {
    toy.key("p");
    takeFromPalette(kBlockPaletteX, kBlockPaletteY, 300, 400);
    showsBlockAt(300, 400);
    toy.click(1, 300, 400);
    toy.moveTo(500, 500);
    toy.key("r");
    toy.key("p");

    // It falls for about a second, then bounces lower each time until it lies still.
    const auto ballNow = [](const Image& image) {
        return find(image, isBall, 250, 0, 350, kWindowSize);
    };
    Image first = toy.capture();
    Image second = first;
    // Up to 30 s: on a busy machine the ticks, and so the bounces, come slower.
    for (int attempt = 0; attempt < 60; ++attempt) {
        e2e::pause(0.5);
        first = second;
        second = toy.capture();
        const Region a = ballNow(first), b = ballNow(second);
        if (a.count > 50 && b.count > 50 && a.middleY() == b.middleY() && a.y > 300) break;
    }
    const Region before = ballNow(first), after = ballNow(second);
    const Region block = piecesNear(second, 300, 400, 45);
    ASSERT_GT(after.count, 50) << "the ball is not in the view";
    ASSERT_GT(block.count, kBlockPixels);
    EXPECT_NEAR(after.middleX(), 300, 1.5);
    // Its centre sits one radius (9 pixels) above the block's top face.
    EXPECT_LT(after.middleY(), block.top);
    EXPECT_GT(after.middleY(), block.top - 20);
    EXPECT_EQ(after.middleY(), before.middleY()) << "the ball is still moving";
    EXPECT_EQ(after.middleX(), before.middleX());
    keep(second, "resting");
}

TEST_F(InteractionE2eTest, BlockIsPickedCarriedTurnedAndErased) {
    takeFromPalette(kBlockPaletteX, kBlockPaletteY, 400, 200);
    showsBlockAt(400, 200);
    toy.click(1, 400, 200);
    toy.moveTo(200, 450);

    toy.click(1, 400, 200);  // picks it again
    toy.moveTo(250, 450);
    Image image = showsBlockAt(250, 450);
    EXPECT_EQ(piecesNear(image, 400, 200, 40).count, 0) << "the picked block stayed behind";
    EXPECT_GT(piecesNear(image, 250, 450, 40).count, kBlockPixels);
    const Region flat = piecesNear(image, 250, 450, 40);
    EXPECT_GT(flat.width(), 2 * flat.height());
    keep(image, "picked");

    // Thirty presses of Z turn it by 90 degrees about z: it stands upright.
    for (int i = 0; i < 30; ++i) toy.key("z", 0.0);
    image = toy.captureWhen(
        [](const Image& shot) {
            const Region r = piecesNear(shot, 250, 450, 40);
            return r.count > 0 && r.height() > 2 * r.width();
        },
        kShowSeconds);
    const Region upright = piecesNear(image, 250, 450, 40);
    EXPECT_GT(upright.height(), 2 * upright.width()) << "Z did not turn the carried block";
    EXPECT_NEAR(upright.x, 250, 4);
    keep(image, "turned");

    toy.key("e");
    image = toy.captureWhen([](const Image& shot) { return piecesInView(shot).count == 0; },
                            kShowSeconds);
    EXPECT_EQ(piecesInView(image).count, 0) << "E left the block in the view";
    keep(image, "erased");
}

TEST_F(InteractionE2eTest, RightDragTurnsTheCarriedBlockInPlace) {
    takeFromPalette(kBlockPaletteX, kBlockPaletteY, 300, 300);
    Image image = showsBlockAt(300, 300);
    const int flatHeight = piecesNear(image, 300, 300, 60).height();

    // Steps of 30 pixels near the centre turn about 5 degrees each; six of
    // them tip the block by about 30 degrees about x, so it shows its top face.
    toy.press(3, 300, 300);
    for (int y = 270; y >= 120; y -= 30) toy.moveTo(300, y);
    toy.release(3, 300, 120);
    toy.sync();
    // Tipped and still in place over several frame ticks, so a wrong move would show.
    image = toy.captureHeld(
        [&](const Image& shot) {
            const Region r = piecesNear(shot, 300, 300, 60);
            return r.count > 0 && r.height() > flatHeight + 10 && std::abs(r.middleX() - 300) < 4 &&
                   std::abs(r.middleY() - 300) < 4;
        },
        kShowSeconds, kHoldSeconds);
    const Region tipped = piecesNear(image, 300, 300, 60);
    EXPECT_GT(tipped.height(), flatHeight + 10) << "the drag did not turn the block";
    EXPECT_NEAR(tipped.middleX(), 300, 4) << "the block followed the pointer while turning";
    EXPECT_NEAR(tipped.middleY(), 300, 4);
    keep(image, "trackball");

    // After the release it follows the pointer again, still tipped.
    toy.moveTo(450, 450);
    image = toy.captureWhen(
        [](const Image& shot) { return piecesNear(shot, 450, 450, 60).count > kBlockPixels; },
        kShowSeconds);
    EXPECT_NEAR(piecesNear(image, 450, 450, 60).height(), tipped.height(), 4);
}

TEST_F(InteractionE2eTest, CurveIsPlacedPickedTurnedAndErased) {
    // The curve's origin is the centre of its arc, which runs from 0 to 72
    // degrees at radius 0.5: up and to the right of the cursor.
    const int radius = static_cast<int>(0.5 * kPixelsPerUnit);
    const auto arcRightOf = [&](const Image& shot, int x, int y) {
        return find(shot, isPiece, x, y - radius - 20, x + radius + 20, y + 20);
    };
    const auto arcLeftOf = [&](const Image& shot, int x, int y) {
        return find(shot, isPiece, x - radius - 20, y - radius - 20, x, y + 20);
    };
    takeFromPalette(kCurvePaletteX, kCurvePaletteY, 250, 350);
    Image image = toy.captureWhen(
        [&](const Image& shot) { return arcRightOf(shot, 250, 350).count > 1000; }, kShowSeconds);
    EXPECT_GT(arcRightOf(image, 250, 350).count, 1000);
    EXPECT_EQ(arcLeftOf(image, 250, 350).count, 0);
    keep(image, "curve-carried");

    toy.click(1, 250, 350);
    toy.moveTo(500, 550);
    // Block 0 of the arc lies at (0.5, 0) from the origin: pick the curve there.
    toy.click(1, 250 + radius, 350);
    toy.moveTo(400, 450);
    image = toy.captureWhen(
        [&](const Image& shot) { return arcRightOf(shot, 400, 450).count > 1000; }, kShowSeconds);
    EXPECT_GT(arcRightOf(image, 400, 450).count, 1000) << "the picked curve does not follow";
    EXPECT_EQ(arcRightOf(image, 250, 350).count, 0) << "the picked curve stayed behind";
    keep(image, "curve-picked");

    // Ninety degrees about z take the arc to 90..162 degrees: up and to the left.
    for (int i = 0; i < 30; ++i) toy.key("z", 0.0);
    image = toy.captureWhen(
        [&](const Image& shot) { return arcLeftOf(shot, 400, 450).count > 1000; }, kShowSeconds);
    EXPECT_GT(arcLeftOf(image, 400, 450).count, 1000) << "Z did not turn the curve";
    keep(image, "curve-turned");

    toy.key("e");
    image = toy.captureWhen([](const Image& shot) { return piecesInView(shot).count == 0; },
                            kShowSeconds);
    EXPECT_EQ(piecesInView(image).count, 0) << "E left the curve in the view";
    keep(image, "curve-erased");
}

}  // namespace
