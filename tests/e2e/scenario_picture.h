// SPDX-License-Identifier: MIT
#pragma once

// What a scenario's expectations see in a picture of the main window: the
// pieces' orange and the ball's red, blobs of them, single pixels and the
// palettes. tests/browser/scenario_picture.mjs judges the browser's canvas
// the same way.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "tests/e2e/e2e_support.h"
#include "tests/e2e/scenario_format.h"

namespace scenario {

constexpr int kPaletteSize = 100;
// How far a blob's mean may lie from where it is expected, and its size
// from the size expected, in pixels: a frame's rounding moves an edge by one.
constexpr double kPositionTolerance = 4.0;
constexpr int kSizeTolerance = 4;
constexpr int kColourTolerance = 3;
// Fewest pixels that make a piece, a ball, a palette's prototype: a block
// shows about 1000 pixels, the ball about 250.
constexpr int kMinPiecePixels = 300;
constexpr int kMinBallPixels = 50;
constexpr int kMinPrototypePixels = 300;

// The lit orange of blocks and curves (ambient 0.8, 0.5, 0.1 under grey light).
inline bool isPiece(e2e::Rgb c) {
    return c.r >= 150 && c.g >= 80 && c.g <= 200 && c.b <= 90 && c.r - c.g >= 40;
}
// The ball's red, from its shaded side (115, 0, 0) to its highlight (230, 56, 56).
inline bool isBall(e2e::Rgb c) {
    return c.r >= 60 && c.g <= 80 && c.b <= 80 && c.r - c.g >= 60;
}

inline bool inPalette(int x, int y) {
    return x < kPaletteSize && y < 2 * kPaletteSize;
}

// The pixels of one colour in [x0, x1) x [y0, y1), with their mean and
// bounding box; `skipPalettes` leaves the palettes' squares out.
struct Region {
    int count = 0;
    double x = NAN, y = NAN;
    int left = 0, top = 0, right = -1, bottom = -1;
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
    // The middle of the bounding box, which the light's highlight does not shift.
    double middleX() const { return (left + right) / 2.0; }
    double middleY() const { return (top + bottom) / 2.0; }
};

template <typename Match>
Region measure(const e2e::Image& image, Match match, int x0, int y0, int x1, int y1,
               bool skipPalettes) {
    Region region;
    double sumX = 0, sumY = 0;
    for (int y = std::max(0, y0); y < std::min(image.height, y1); ++y) {
        for (int x = std::max(0, x0); x < std::min(image.width, x1); ++x) {
            if ((skipPalettes && inPalette(x, y)) || !match(image.at(x, y))) continue;
            if (region.count++ == 0) {
                region.left = region.right = x;
                region.top = region.bottom = y;
            }
            sumX += x;
            sumY += y;
            region.left = std::min(region.left, x);
            region.right = std::max(region.right, x);
            region.top = std::min(region.top, y);
            region.bottom = std::max(region.bottom, y);
        }
    }
    if (region.count > 0) {
        region.x = sumX / region.count;
        region.y = sumY / region.count;
    }
    return region;
}

inline std::string describe(const Region& r) {
    if (r.count == 0) return "no such pixel";
    char text[160];
    std::snprintf(text, sizeof text, "%d such pixels, mean (%.1f, %.1f), %dx%d from (%d, %d)",
                  r.count, r.x, r.y, r.width(), r.height(), r.left, r.top);
    return text;
}

// Whether a picture meets an expectation, and what it shows of it.
struct Verdict {
    bool met;
    std::string seen;
};

// A blob expectation on one picture (holding is the driver's to watch).
inline Verdict judgeBlob(const Step& step, const e2e::Image& image) {
    const bool piece = step.subject == Subject::Piece;
    const auto match = [piece](e2e::Rgb c) { return piece ? isPiece(c) : isBall(c); };
    int x0 = 0, y0 = 0, x1 = image.width, y1 = image.height;
    if (step.near) {
        const Point at = step.points[0];
        x0 = at.x - step.within;
        y0 = at.y - step.within;
        x1 = at.x + step.within + 1;
        y1 = at.y + step.within + 1;
    }
    const Region r = measure(image, match, x0, y0, x1, y1, true);
    if (step.absent) return {r.count == 0, describe(r)};
    const int least = piece ? kMinPiecePixels : kMinBallPixels;
    bool met = r.count >= least;
    if (met && step.near) {
        met = std::abs(r.x - step.points[0].x) <= kPositionTolerance &&
              std::abs(r.y - step.points[0].y) <= kPositionTolerance;
    }
    if (met && step.width > 0) {
        met = std::abs(r.width() - step.width) <= kSizeTolerance &&
              std::abs(r.height() - step.height) <= kSizeTolerance;
    }
    return {met, describe(r)};
}

inline Verdict judgeColour(const Step& step, const e2e::Image& image) {
    const Point at = step.points[0];
    if (at.x >= image.width || at.y >= image.height) return {false, "a smaller picture"};
    const e2e::Rgb c = image.at(at.x, at.y);
    const int got[3] = {c.r, c.g, c.b};
    bool met = true;
    for (int i = 0; i < 3; ++i) met = met && std::abs(got[i] - step.rgb[i]) <= kColourTolerance;
    return {met, "colour " + std::to_string(c.r) + " " + std::to_string(c.g) + " " +
                     std::to_string(c.b)};
}

inline Verdict judgePalettes(const e2e::Image& image) {
    const Region block = measure(image, isPiece, 0, 0, kPaletteSize, kPaletteSize, false);
    const Region curve =
        measure(image, isPiece, 0, kPaletteSize, kPaletteSize, 2 * kPaletteSize, false);
    return {block.count >= kMinPrototypePixels && curve.count >= kMinPrototypePixels,
            "block palette: " + describe(block) + "; curve palette: " + describe(curve)};
}

// Any picture expectation (blob, colour, palettes) of a step.
inline Verdict judge(const Step& step, const e2e::Image& image) {
    switch (step.kind) {
        case Kind::ExpectBlob:
            return judgeBlob(step, image);
        case Kind::ExpectColour:
            return judgeColour(step, image);
        case Kind::ExpectPalettes:
            return judgePalettes(image);
        default:
            return {false, "not a picture expectation"};
    }
}

}  // namespace scenario
