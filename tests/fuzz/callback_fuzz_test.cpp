// SPDX-License-Identifier: MIT
// Random events through the real GLUT callbacks in a real rendering context,
// with the program's invariants checked after every one. The generator is
// seeded from a fixed list, so a failure replays exactly: it prints the seed,
// the event index and the events that led up to it.
//
//   BALLCOURSE_FUZZ_EVENTS  total events over all seeds (default 100000)
//   BALLCOURSE_FUZZ_SEED    run this one seed only, with all the events
#include <GL/freeglut.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/frame_tick.h"
#include "app/keyboard.h"
#include "app/lighting.h"
#include "app/main_window.h"
#include "interaction/mouse_buttons.h"
#include "interaction/palettes.h"
#include "interaction/placement.h"
#include "interaction/trackball.h"
#include "tests/support/app_fixture.h"
#include "tests/support/grown_box_side.h"

namespace {

constexpr long kDefaultEvents = 100000;
const std::uint64_t kSeeds[] = {1, 2, 3, 4};
// Past this many pieces the harness erases some, so a frame stays cheap.
constexpr std::size_t kMostPieces = 300;
constexpr std::size_t kTrimmedPieces = 250;
constexpr std::size_t kEventsShown = 20;
constexpr int kPaletteSize = 100;

long envLong(const char* name, long fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::strtol(text, nullptr, 10) : fallback;
}

// Window sizes at the edges of the size-dependent code: empty, a single
// pixel, a single row or column, and far larger than the screen.
const int kSizes[][2] = {{0, 0}, {1, 1}, {1, 600}, {600, 1}, {4000, 3000}, {600, 600}, {100, 100}};

class Fuzzer {
  public:
    Fuzzer(std::uint64_t seed, int mainWindow, const int palettes[2])
        : rng_(seed), mainWindow_(mainWindow), palettes_{palettes[0], palettes[1]} {}

    // One random event, described in `log`, sent the way GLUT sends it: with
    // the window it belongs to current.
    void step(std::string& log) {
        AppState& state = app();
        std::ostringstream out;
        ranStep_ = false;
        if (state.sceneList.size() > kMostPieces) {
            trim(out);
            log = out.str();
            return;
        }
        const int kind = below(100);
        if (kind < 22) {
            unsigned char key = static_cast<unsigned char>(below(256));
            if (key == 'Q' || key == 'q') key = 'e';  // Q ends the process
            const bool down = below(3) != 0;
            const int x = coordinate(state.windowWidth), y = coordinate(state.windowHeight);
            out << (down ? "keyDown " : "keyUp ") << int(key) << " at " << x << ", " << y;
            glutSetWindow(mainWindow_);
            down ? onKeyDown(key, x, y) : onKeyUp(key, x, y);
        } else if (kind < 26) {
            // The command letters on their own, so the commands run often.
            static const char kLetters[] = "wsadezxporhWSADEZXPORH";
            const unsigned char key = static_cast<unsigned char>(kLetters[below(22)]);
            out << "keyDown '" << key << "'";
            glutSetWindow(mainWindow_);
            onKeyDown(key, 0, 0);
        } else if (kind < 44) {
            const int button = below(5), buttonState = below(2);
            const int x = coordinate(state.windowWidth), y = coordinate(state.windowHeight);
            out << "mouse button " << button << " state " << buttonState << " at " << x << ", "
                << y;
            glutSetWindow(mainWindow_);
            onMouseButton(button, buttonState, x, y);
        } else if (kind < 54) {
            const int x = coordinate(state.windowWidth), y = coordinate(state.windowHeight);
            out << "motion to " << x << ", " << y;
            glutSetWindow(mainWindow_);
            onMotion(x, y);
        } else if (kind < 66) {
            const int x = coordinate(state.windowWidth), y = coordinate(state.windowHeight);
            out << "passive motion to " << x << ", " << y;
            glutSetWindow(mainWindow_);
            onPassiveMotion(x, y);
        } else if (kind < 72) {
            const int which = below(2), button = below(5), buttonState = below(2);
            const int x = coordinate(kPaletteSize), y = coordinate(kPaletteSize);
            out << (which == 0 ? "block" : "curve") << " palette button " << button << " state "
                << buttonState << " at " << x << ", " << y;
            glutSetWindow(palettes_[which]);
            (which == 0 ? onBlockPaletteMouse : onCurvePaletteMouse)(button, buttonState, x, y);
        } else if (kind < 74) {
            const int which = below(2);
            out << (which == 0 ? "block" : "curve") << " palette display";
            glutSetWindow(palettes_[which]);
            (which == 0 ? displayBlockPalette : displayCurvePalette)();
        } else if (kind < 77) {
            int width, height;
            size(width, height);
            const int which = below(3);
            out << "reshape " << (which == 0 ? "main" : "palette") << " to " << width << " by "
                << height;
            if (which == 0) {
                glutSetWindow(mainWindow_);
                reshapeMain(width, height);
            } else {
                glutSetWindow(palettes_[which - 1]);
                reshapePalette(width, height);
            }
        } else if (kind < 97) {
            // The timer's work without re-arming it: GLUT calls a timer with
            // whatever window is current.
            out << "frame tick";
            ranStep_ = !state.paused || state.stepRequested;
            advanceFrame(state);
        } else {
            out << "display main";
            glutSetWindow(mainWindow_);
            displayMain();
        }
        log = out.str();
    }

    // Whether the last event ran a simulation step.
    bool ranStep() const { return ranStep_; }

  private:
    int below(int n) { return static_cast<int>(rng_() % static_cast<std::uint64_t>(n)); }

    // Inside the window mostly, else on its edges or far outside it.
    int coordinate(int extent) {
        static const int kFar[] = {INT_MIN, INT_MIN + 1, -2147483048, -1000000, -601,
                                   1000000, 2147483048,  INT_MAX - 1, INT_MAX};
        const int pick = below(10);
        if (pick < 6) return extent > 0 ? below(extent) : 0;
        if (pick < 8) {
            const int edges[] = {-1, 0, extent - 1, extent, extent + 1};
            return edges[below(5)];
        }
        return kFar[below(sizeof kFar / sizeof kFar[0])];
    }

    void size(int& width, int& height) {
        if (below(2) == 0) {
            const auto& chosen = kSizes[below(sizeof kSizes / sizeof kSizes[0])];
            width = chosen[0];
            height = chosen[1];
        } else {
            width = 1 + below(1200);
            height = 1 + below(1200);
        }
    }

    // Erases random pieces through E until the scene is back to its trimmed size.
    void trim(std::ostringstream& out) {
        AppState& state = app();
        out << "trim " << state.sceneList.size() << " pieces to " << kTrimmedPieces << " with E";
        glutSetWindow(mainWindow_);
        while (state.sceneList.size() > kTrimmedPieces) {
            state.currentPiece = state.sceneList[below(int(state.sceneList.size()))].get();
            onKeyDown('e', 0, 0);
        }
    }

    std::mt19937_64 rng_;
    int mainWindow_;
    int palettes_[2];
    bool ranStep_ = false;
};

bool finite(const Float3& f) {
    return std::isfinite(f.x) && std::isfinite(f.y) && std::isfinite(f.z);
}
bool finite(const Point3& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}
bool finite(const Vector3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

struct GlBaseline {
    GLint modelviewDepth = 0;
    GLint projectionDepth = 0;
};

GlBaseline readBaseline() {
    GlBaseline baseline;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &baseline.modelviewDepth);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &baseline.projectionDepth);
    return baseline;
}

// What must hold in one window's context between events; empty when it does.
std::string glViolation(const GlBaseline& baseline) {
    std::ostringstream out;
    const GLenum error = glGetError();
    if (error != GL_NO_ERROR) out << "glGetError() is 0x" << std::hex << error << std::dec << "; ";
    const GlBaseline now = readBaseline();
    if (now.modelviewDepth != baseline.modelviewDepth)
        out << "modelview stack depth " << now.modelviewDepth << ", was " << baseline.modelviewDepth
            << "; ";
    if (now.projectionDepth != baseline.projectionDepth)
        out << "projection stack depth " << now.projectionDepth << ", was "
            << baseline.projectionDepth << "; ";
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    if (mode != GL_MODELVIEW) out << "matrix mode 0x" << std::hex << mode << std::dec << "; ";
    glGetIntegerv(GL_RENDER_MODE, &mode);
    if (mode != GL_RENDER) out << "render mode 0x" << std::hex << mode << std::dec << "; ";
    return out.str();
}

// What must hold of the program's state between events; empty when it does.
std::string stateViolation(const AppState& state) {
    std::ostringstream out;
    std::set<const Piece*> seen;
    bool currentListed = state.currentPiece == nullptr;
    for (std::size_t i = 0; i < state.sceneList.size(); ++i) {
        const Piece* piece = state.sceneList[i].get();
        if (piece == nullptr) {
            out << "piece " << i << " is null; ";
            continue;
        }
        if (!seen.insert(piece).second) out << "piece " << i << " is listed twice; ";
        if (piece == state.currentPiece) currentListed = true;
        const float* rotation = piece->rotationMatrix();
        const bool rotationFinite =
            std::all_of(rotation, rotation + 16, [](float v) { return std::isfinite(v); });
        if (!finite(piece->getPosition()) || !finite(piece->getScale()) || !rotationFinite)
            out << "piece " << i << " has a non-finite transform; ";
    }
    if (!currentListed) out << "currentPiece is not in the scene list; ";
    if (!finite(state.cameraEye)) out << "the camera eye is not finite; ";
    if (!finite(state.ball->center()) || !finite(state.ball->velocityVector()) ||
        !finite(state.ball->stepVector()))
        out << "the ball's centre, velocity or step is not finite; ";
    return out.str();
}

// After a simulation step the ball's centre is inside no piece.
std::string insideViolation(const AppState& state) {
    const Point3 c = state.ball->center();
    for (const Block* block : collisionBlocks(state.sceneList)) {
        if (sideOf(straightforwardBox(*block, state.ball->radius), c) == Side::kInside)
            return "the ball's centre is inside a piece after a step; ";
    }
    return "";
}

// The help that H prints would flood the test log: standard output goes to
// /dev/null while the fuzzer runs.
class SilencedStdout {
  public:
    SilencedStdout() {
        std::fflush(stdout);
        saved_ = dup(STDOUT_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        close(null);
    }
    ~SilencedStdout() {
        std::fflush(stdout);
        dup2(saved_, STDOUT_FILENO);
        close(saved_);
    }

  private:
    int saved_;
};

class CallbackFuzzTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        // Real sub-windows, as start-up makes them, so palette callbacks run
        // in contexts of their own and must make the main window current again.
        for (int i = 0; i < 2; ++i) {
            palettes[i] =
                glutCreateSubWindow(testWindow(), 0, i * kPaletteSize, kPaletteSize, kPaletteSize);
            initLighting();
            glEnable(GL_DEPTH_TEST);
            reshapePalette(kPaletteSize, kPaletteSize);
        }
        testWindow();
        reshapeMain(600, 600);
        initLighting();
        glEnable(GL_DEPTH_TEST);
    }
    void TearDown() override {
        AppTest::TearDown();
        for (int palette : palettes) glutDestroyWindow(palette);
        testWindow();
        glViewport(0, 0, 600, 600);
    }

    // Runs `events` events from `seed` on a fresh state; stops at the first
    // broken invariant and returns its report with the events that led there,
    // or an empty string when every invariant held.
    std::string run(std::uint64_t seed, long events) {
        buildState();
        const int windows[3] = {state.mainWindow, palettes[0], palettes[1]};
        GlBaseline baselines[3];
        for (int i = 0; i < 3; ++i) {
            glutSetWindow(windows[i]);
            while (glGetError() != GL_NO_ERROR) {
            }
            baselines[i] = readBaseline();
        }
        glutSetWindow(state.mainWindow);

        Fuzzer fuzzer(seed, state.mainWindow, palettes);
        std::deque<std::string> recent;
        std::string event;
        for (long index = 0; index < events; ++index) {
            fuzzer.step(event);
            largestScene = std::max(largestScene, state.sceneList.size());
            recent.push_back(event);
            if (recent.size() > kEventsShown) recent.pop_front();

            // The window GLUT left current is checked first, then the others.
            std::string violation = stateViolation(state);
            if (fuzzer.ranStep()) violation += insideViolation(state);
            const int current = glutGetWindow();
            for (int i = 0; i < 3; ++i) {
                if (windows[i] != current) glutSetWindow(windows[i]);
                const std::string found = glViolation(baselines[i]);
                if (!found.empty()) violation += "window " + std::to_string(i) + ": " + found;
            }
            glutSetWindow(current);
            if (!violation.empty()) {
                std::ostringstream report;
                report << "seed " << seed << ", event " << index << ": " << violation
                       << "\nthe last " << recent.size() << " events:\n";
                for (const std::string& line : recent) report << "  " << line << "\n";
                report << "replay with BALLCOURSE_FUZZ_SEED=" << seed
                       << " BALLCOURSE_FUZZ_EVENTS=" << index + 1;
                return report.str();
            }
        }
        ++seedsRun;
        eventsRun += events;
        return "";
    }

    int palettes[2] = {0, 0};
    int seedsRun = 0;
    long eventsRun = 0;
    std::size_t largestScene = 0;
};

TEST_F(CallbackFuzzTest, RandomEventsKeepEveryInvariant) {
    const long events = envLong("BALLCOURSE_FUZZ_EVENTS", kDefaultEvents);
    const long onlySeed = envLong("BALLCOURSE_FUZZ_SEED", -1);
    ASSERT_GT(events, 0);
    std::string failure;
    {
        // GoogleTest prints a failure at once, so none is raised in here.
        SilencedStdout silenced;
        if (onlySeed >= 0) {
            failure = run(static_cast<std::uint64_t>(onlySeed), events);
        } else {
            const long perSeed = (events + long(std::size(kSeeds)) - 1) / long(std::size(kSeeds));
            for (std::uint64_t seed : kSeeds) {
                failure = run(seed, perSeed);
                if (!failure.empty()) break;
            }
        }
    }
    ASSERT_TRUE(failure.empty()) << failure;
    std::printf(
        "%ld events from %d seeds kept every invariant; the largest scene held %zu pieces\n",
        eventsRun, seedsRun, largestScene);
    EXPECT_GE(eventsRun, events);
}

}  // namespace
