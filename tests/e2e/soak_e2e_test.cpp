// SPDX-License-Identifier: MIT
// A soak of the real toy: random real X events for a while (20 s, or
// BALLCOURSE_SOAK_SECONDS), after which it must still run, must not have
// grown in memory beyond what its new pieces need, and must quit cleanly.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <random>
#include <sstream>
#include <string>

#include "scene/curve.h"
#include "tests/e2e/e2e_support.h"

namespace {

using e2e::RunningToy;
using Clock = std::chrono::steady_clock;

constexpr double kDefaultSeconds = 20.0;
constexpr double kWarmUpSeconds = 5.0;
constexpr std::uint64_t kSeed = 8;
constexpr int kWindowSize = 600;
constexpr int kPaletteSize = 100;
constexpr std::size_t kEventsShown = 20;

// Memory a new piece may take, generously: a curve, the larger piece, is one
// object holding its ten blocks, and each block may keep one face from its
// last hit test; four times that covers the allocator's rounding and the
// scene list's growth.
constexpr long kBytesPerPiece = 4 * (sizeof(Curve) + 10 * 256);
// Growth allowed besides the pieces, as a share of the size after warm-up.
constexpr double kGrowthShare = 0.10;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

class Soak {
  public:
    explicit Soak(RunningToy& toy) : toy_(toy), rng_(kSeed) {}

    // Sends one random event; returns its description.
    std::string step() {
        std::ostringstream out;
        const int kind = below(100);
        if (kind < 12) {
            const bool block = below(2) == 0;
            const int button = below(5) == 0 ? 3 : 1;
            out << "click " << button << " in the " << (block ? "block" : "curve") << " palette";
            // Inside the palette by 10 pixels, clear of its edges.
            const int top = block ? 0 : kPaletteSize;
            toy_.click(button, 10 + below(kPaletteSize - 20), top + 10 + below(kPaletteSize - 20),
                       0.0);
            if (button == 1) ++piecesCreated;
        } else if (kind < 30) {
            const int x = inMain(), y = inMain();
            out << "left click at " << x << ", " << y;
            toy_.click(1, x, y, 0.0);
        } else if (kind < 40) {
            const int x = inMain(), y = inMain();
            out << "right drag from " << x << ", " << y;
            toy_.press(3, x, y, 0.0);
            for (int i = 0; i < 3; ++i) toy_.moveTo(inMain(), inMain(), 0.0);
            toy_.release(3, inMain(), inMain(), 0.0);
        } else if (kind < 55) {
            const int x = inMain(), y = inMain();
            out << "move to " << x << ", " << y;
            toy_.moveTo(x, y, 0.0);
        } else if (kind < 80) {
            // Every command but Q, in both cases.
            static const char* const kCommands[] = {"w", "s", "a", "d", "e", "z", "x", "p",
                                                    "o", "r", "h", "W", "S", "A", "D", "E",
                                                    "Z", "X", "P", "O", "R", "H"};
            const char* key = kCommands[below(sizeof kCommands / sizeof kCommands[0])];
            out << "key " << key;
            toy_.key(key, 0.0);
        } else if (kind < 88) {
            static const char* const kOthers[] = {"1",      "space", "Return", "Escape",
                                                  "Tab",    "F1",    "Left",   "BackSpace",
                                                  "Delete", "m",     "comma",  "Shift_L"};
            const char* key = kOthers[below(sizeof kOthers / sizeof kOthers[0])];
            out << "key " << key;
            toy_.key(key, 0.0);
        } else if (kind < 94) {
            // Hold a pan key for a moment, as a user swinging the camera does.
            const char* key = below(2) == 0 ? "a" : "d";
            out << "hold " << key;
            toy_.keyDown(key, 0.1);
            toy_.keyUp(key, 0.0);
        } else if (kind < 97) {
            out << "squeeze to 1 by 1 and back";
            squeeze();
        } else {
            out << "pause 0.2 s";
            e2e::pause(0.2);
        }
        return out.str();
    }

    void squeeze() {
        toy_.resize(1, 1);
        e2e::pause(0.1);
        toy_.resize(kWindowSize, kWindowSize);
    }

    int piecesCreated = 0;

  private:
    int below(int n) { return static_cast<int>(rng_() % static_cast<std::uint64_t>(n)); }
    // A pixel of the main window, off the palettes' column now and then.
    int inMain() { return below(kWindowSize); }

    RunningToy& toy_;
    std::mt19937_64 rng_;
};

TEST(SoakE2e, RandomRealEventsLeaveTheToyRunningWithinItsMemory) {
    const char* text = std::getenv("BALLCOURSE_SOAK_SECONDS");
    const double seconds = text != nullptr && *text != '\0' ? std::atof(text) : kDefaultSeconds;
    ASSERT_GT(seconds, kWarmUpSeconds);

    RunningToy toy;
    Soak soak(toy);
    std::deque<std::string> recent;
    // The warm-up squeezes once, so the first resized buffers count in its size.
    soak.squeeze();
    recent.push_back("squeeze to 1 by 1 and back");

    const Clock::time_point start = Clock::now();
    long warmKilobytes = -1;
    int piecesAtWarm = 0, events = 0;
    while (secondsSince(start) < seconds) {
        if (warmKilobytes < 0 && secondsSince(start) >= kWarmUpSeconds) {
            warmKilobytes = toy.residentKilobytes();
            piecesAtWarm = soak.piecesCreated;
        }
        recent.push_back(soak.step());
        if (recent.size() > kEventsShown) recent.pop_front();
        ++events;
        if (!toy.running()) break;
    }

    std::string last;
    for (const std::string& event : recent) last += "\n  " + event;
    ASSERT_TRUE(toy.running()) << "the toy ended during the soak, after " << events
                               << " events; the last ones:" << last;

    // Back to its size with the pointer off the palettes, then every event
    // handled: the memory is read after the toy has caught up.
    toy.resize(kWindowSize, kWindowSize);
    toy.moveTo(500, 500, 0.0);
    toy.sync();
    const long endKilobytes = toy.residentKilobytes();
    const int newPieces = soak.piecesCreated - piecesAtWarm;
    const double allowedKilobytes =
        warmKilobytes * (1.0 + kGrowthShare) + newPieces * kBytesPerPiece / 1024.0;
    std::printf(
        "soak: %d events in %.1f s; resident %ld kB after %.0f s, %ld kB at the end; "
        "%d pieces made since, allowed %.0f kB\n",
        events, secondsSince(start), warmKilobytes, kWarmUpSeconds, endKilobytes, newPieces,
        allowedKilobytes);
    ASSERT_GT(warmKilobytes, 0);
    EXPECT_LE(endKilobytes, allowedKilobytes) << "the toy grew during the soak";

    EXPECT_EQ(toy.quit(10.0), 0) << "Q did not end the toy with status 0; the last events:" << last;
}

}  // namespace
