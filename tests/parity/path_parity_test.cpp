// SPDX-License-Identifier: MIT
// The browser build computes what the desktop computes, bit for bit: the
// same course transcript (course_transcript.cpp) from the desktop program's
// code on its OpenGL driver and from the browser program's WebAssembly, run
// in node, on its own matrix stack. The desktop is the reference; the test
// reports the first line that differs and, over the ball's path, the first
// tick that differs and the largest difference.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/e2e_support.h"

namespace {

struct Transcript {
    std::vector<std::string> stack, pieces, ticks;
    int lines = 0;
    bool complete = false;  // ends with the line "end"
};

Transcript parse(const std::string& text) {
    Transcript t;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        ++t.lines;
        t.complete = line == "end";
        if (line.rfind("stack ", 0) == 0) t.stack.push_back(line);
        if (line.rfind("piece ", 0) == 0) t.pieces.push_back(line);
        if (line.rfind("tick ", 0) == 0) t.ticks.push_back(line);
    }
    return t;
}

std::string run(const std::vector<std::string>& argv) {
    const e2e::CommandResult result = e2e::runCommand(argv, 120.0);
    EXPECT_EQ(result.status, 0) << argv[0] << ": " << result.err;
    return result.out;
}

// The floats after the colon of a transcript line.
std::vector<float> values(const std::string& line) {
    std::istringstream in(line.substr(line.find(':') + 1));
    std::vector<float> out;
    std::string word;
    while (in >> word) {
        const std::uint32_t u = static_cast<std::uint32_t>(std::stoul(word, nullptr, 16));
        float f;
        std::memcpy(&f, &u, sizeof f);
        out.push_back(f);
    }
    return out;
}

// Index of the first line that differs, or -1 when all agree.
int firstDifference(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (a[i] != b[i]) return static_cast<int>(i);
    }
    return a.size() == b.size() ? -1 : static_cast<int>(std::min(a.size(), b.size()));
}

// Ticks on which the ball met a piece: its velocity changed by more than the
// fall, the mark of a bounce.
int bounceTicks(const std::vector<std::string>& ticks) {
    int bounces = 0;
    for (std::size_t i = 1; i < ticks.size(); ++i) {
        const auto before = values(ticks[i - 1]), after = values(ticks[i]);
        if (after[3] != before[3] || std::fabs(after[4] - before[4] + 0.002f) > 1e-6f) ++bounces;
    }
    return bounces;
}

TEST(BrowserParity, MatrixStackAndBallPathMatchTheDesktopBitForBit) {
    const Transcript desktop = parse(run({DESKTOP_TRANSCRIPT}));
    // Read by a reader that starts a second late, so that node's output meets
    // a full pipe: all of it must still arrive before node exits.
    const Transcript browser =
        parse(run({"bash", "-o", "pipefail", "-c",
                   "node --no-experimental-fetch \"$0\" | { sleep 1; cat; }", BROWSER_TRANSCRIPT}));
    ASSERT_TRUE(desktop.complete) << "the desktop transcript ended after " << desktop.lines
                                  << " lines, with no end line";
    ASSERT_TRUE(browser.complete) << "the browser transcript ended after " << browser.lines
                                  << " lines; expected " << desktop.lines;
    ASSERT_EQ(desktop.stack.size(), 2000u);
    // 2,000 ticks over the course, then 72 of a block flicked at the ball.
    ASSERT_EQ(desktop.ticks.size(), 2072u);
    // The course keeps the ball busy: it meets a piece on most ticks.
    EXPECT_GT(bounceTicks(desktop.ticks), 1000);

    const int stack = firstDifference(desktop.stack, browser.stack);
    EXPECT_EQ(stack, -1) << "first matrix that differs:\n  desktop: " << desktop.stack[stack]
                         << "\n  browser: "
                         << (stack < int(browser.stack.size()) ? browser.stack[stack] : "none");
    const int piece = firstDifference(desktop.pieces, browser.pieces);
    EXPECT_EQ(piece, -1) << "first course piece that differs:\n  desktop: " << desktop.pieces[piece]
                         << "\n  browser: "
                         << (piece < int(browser.pieces.size()) ? browser.pieces[piece] : "none");

    ASSERT_EQ(browser.ticks.size(), desktop.ticks.size());
    int firstTick = -1;
    double largest = 0.0;
    for (std::size_t i = 0; i < desktop.ticks.size(); ++i) {
        const auto d = values(desktop.ticks[i]), b = values(browser.ticks[i]);
        for (int k = 0; k < 3; ++k) largest = std::max(largest, std::fabs(double(d[k]) - b[k]));
        if (firstTick < 0 && desktop.ticks[i] != browser.ticks[i]) firstTick = int(i) + 1;
    }
    RecordProperty("first_differing_tick", firstTick);
    RecordProperty("largest_centre_difference", std::to_string(largest));
    EXPECT_EQ(firstTick, -1) << "the ball's path first differs at tick " << firstTick
                             << "; largest difference in its centre over the path " << largest;
}

}  // namespace
