// SPDX-License-Identifier: MIT
// Pieces turned, re-placed and carried into the ball the way a hand does it,
// with frame ticks between the events: a piece moved into the ball pushes it
// out, and the ball never falls through a piece.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <random>
#include <vector>

#include "app/frame_tick.h"
#include "app/keyboard.h"
#include "interaction/mouse_buttons.h"
#include "interaction/placement.h"
#include "interaction/trackball.h"
#include "tests/interaction/interaction_fixture.h"
#include "tests/support/grown_box_side.h"

namespace {

constexpr int kCourses = 80;
constexpr int kActionsPerCourse = 30;
// Pixels between two motion events of a hand carrying or dragging a piece.
constexpr int kEventPixels = 10;
// Slower than this a ball rests, or rolls off a slight tilt, per tick.
constexpr double kRestingSpeed = 0.005;
constexpr int kFunnels = 60;
constexpr int kFunnelAttempts = 1000;
constexpr int kAdjustmentsPerFunnel = 6;
// Long enough for the ball let go with R to come to rest in a funnel.
constexpr int kFunnelSettleTicks = 1500;
constexpr int kAdjustedSettleTicks = 100;
// Pixels a tick of the quick swipes, a flick of 1,200 to 3,200 px a second.
constexpr int kSwipeSpeeds[] = {24, 36, 48, 64};

// A point in a block's own frame, where its solid box spans -0.5 to 0.5.
using Local = std::array<double, 3>;

bool samePlacement(const Matrix4& a, const Matrix4& b) {
    return std::memcmp(a.m, b.m, sizeof a.m) == 0;
}

// p in the frame of the block placed by m, by Cramer's rule.
Local localOf(const Matrix4& m, const Point3& p) {
    const double b[3] = {p.x - m.m[12], p.y - m.m[13], p.z - m.m[14]};
    // The determinant of m's 3 by 3 part with column k replaced by b (none
    // for k = 3).
    const auto det = [&](int k) {
        const auto e = [&](int r, int c) { return c == k ? b[r] : double(m.m[4 * c + r]); };
        return e(0, 0) * (e(1, 1) * e(2, 2) - e(1, 2) * e(2, 1)) -
               e(0, 1) * (e(1, 0) * e(2, 2) - e(1, 2) * e(2, 0)) +
               e(0, 2) * (e(1, 0) * e(2, 1) - e(1, 1) * e(2, 0));
    };
    return {det(0) / det(3), det(1) / det(3), det(2) / det(3)};
}

// Whether the segment from pa, in the frame placed by ma, to pb, in the frame
// placed by mb, passes through the inside of the solid box |x_k| < 0.5.
bool throughSolid(const Matrix4& ma, const Point3& pa, const Matrix4& mb, const Point3& pb) {
    const Local a = localOf(ma, pa), b = localOf(mb, pb);
    double enter = 0.0, leave = 1.0;
    for (int k = 0; k < 3; ++k) {
        const double d = b[k] - a[k];
        if (d == 0.0) {
            if (!(std::fabs(a[k]) < 0.5)) return false;
            continue;
        }
        const double t0 = (-0.5 - a[k]) / d, t1 = (0.5 - a[k]) / d;
        enter = std::max(enter, std::min(t0, t1));
        leave = std::min(leave, std::max(t0, t1));
    }
    return enter < leave;
}

class PiecesMovedIntoBall : public InteractionTest {
  protected:
    Side sideAgainst(const Block& block) const {
        return sideOf(straightforwardBox(block, state.ball->radius), state.ball->center());
    }

    // Whether another piece bars the way back from `start` to where moved
    // block i carried the centre, had it been fixed to the block: that place
    // is inside another piece's grown box, or beyond a still piece's solid box.
    bool wayBackBarred(size_t i, const Point3& start) const {
        const Local l = localOf(placements[i], start);
        Point3 carried{float(l[0]), float(l[1]), float(l[2])};
        carried.transform(straightforwardWorld(*blocks[i]).m);
        const auto pieceOf = [](const Block* b) { return b->getParent() ? b->getParent() : b; };
        for (size_t j = 0; j < blocks.size(); ++j) {
            const Matrix4 other = straightforwardWorld(*blocks[j]);
            if (pieceOf(blocks[j]) != pieceOf(blocks[i]) &&
                (sideOf(straightforwardBox(*blocks[j], state.ball->radius), carried) ==
                     Side::kInside ||
                 (samePlacement(other, placements[j]) &&
                  throughSolid(other, start, other, carried)))) {
                return true;
            }
        }
        return false;
    }

    // The centre's path over a tick, from `start` to where the push-out put
    // it, taken into each block's frame before and after the tick, then on
    // to where it ends: it passes through no solid block that stood still,
    // nor through one that moved unless another piece bars the way back.
    void checkPathsThroughBlocks(const Point3& start, const Point3& pushedTo) {
        for (size_t i = 0; i < blocks.size(); ++i) {
            const Matrix4 now = straightforwardWorld(*blocks[i]);
            ASSERT_FALSE(throughSolid(now, pushedTo, now, state.ball->center()))
                << "box " << i << " after the push-out, tick " << ticks;
            if (!throughSolid(placements[i], start, now, pushedTo)) continue;
            const bool moved = !samePlacement(now, placements[i]);
            ASSERT_TRUE(moved && wayBackBarred(i, start))
                << (moved ? "moved" : "still") << " box " << i << ", tick " << ticks;
            ++barred;
        }
    }

    // One frame tick. After it the centre is inside no box and has passed
    // through none (checkPathsThroughBlocks); a step that began outside every
    // box has not taken it from straight above a box to straight below it,
    // or back, which only a path through the box does; and a ball resting on
    // a box that is being turned is not below it.
    void tick() {
        const Point3 startCentre = state.ball->center();
        std::vector<Side> start(blocks.size());
        for (size_t i = 0; i < blocks.size(); ++i) start[i] = sideAgainst(*blocks[i]);
        // A push-out moves the centre before the step, off the step's line.
        const bool pushed = std::count(start.begin(), start.end(), Side::kInside) > 0;
        pushOuts += pushed;
        // A wedge: the push-out's rounds, run on a copy of the ball, leave it
        // inside a box, which the reference counts.
        const int wedgesBefore = probeHits.wedges;
        Point3 pushedTo = startCentre;
        if (pushed) {
            Ball probe(state.ball->radius, state.ball->mass, state.ball->center(), Vector3());
            probeHits.pushOut(probe, state.sceneList);
            pushedTo = probe.center();
        }
        // Where a piece moved into the ball pushes it, found likewise.
        Ball sweepProbe(state.ball->radius, state.ball->mass, startCentre, Vector3());
        const bool swept = probeHits.pushOutOfSweeps(sweepProbe, state.sceneList);
        if (swept) pushedTo = sweepProbe.center();
        const bool wedged = probeHits.wedges != wedgesBefore;
        const bool resting = state.ball->velocityVector().length() < kRestingSpeed;
        advanceFrame(state);
        ++ticks;
        for (size_t i = 0; i < blocks.size(); ++i) {
            const Side now = sideAgainst(*blocks[i]);
            ASSERT_NE(now, Side::kInside) << "tick " << ticks << ", box " << i;
            ASSERT_FALSE(!pushed && !swept && opposite(start[i], now))
                << "through box " << i << ", tick " << ticks;
            ASSERT_FALSE(turning && resting && sides[i] == Side::kAbove && now == Side::kBelow)
                << "turned through box " << i << ", tick " << ticks;
            ASSERT_FALSE(wedged && armAdjusted && sides[i] == Side::kAbove && now == Side::kBelow)
                << "wedged through box " << i << ", tick " << ticks;
            sides[i] = now;
        }
        checkPathsThroughBlocks(startCentre, pushedTo);
        placeBoxes();
    }
    void placeBoxes() {
        placements.clear();
        for (const Block* block : blocks) placements.push_back(straightforwardWorld(*block));
    }
    static bool opposite(Side a, Side b) {
        return (a == Side::kAbove && b == Side::kBelow) || (a == Side::kBelow && b == Side::kAbove);
    }
    void ticksOf(int n) {
        for (int i = 0; i < n && !HasFatalFailure(); ++i) tick();
    }
    // R, and every box seen afresh from the ball's start.
    void watchCourse() {
        onKeyDown('r', 0, 0);
        watchBoxes();
    }
    void watchBoxes() {
        blocks = collisionBlocks(state.sceneList);
        sides.assign(blocks.size(), Side::kBeside);
        placeBoxes();
    }

    int within(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }

    // The window pixel over a point of the plane z = 0, as carrying maps it.
    void pixelOf(float x, float y, int& px, int& py) const {
        const double t = placementHalfHeight(state.cameraDistance);
        px = int(std::lround((x / t * 600 + 600) / 2));
        py = 599 - int(std::lround((y / t * 600 + 600) / 2));
    }

    // Passive motion events from the current piece's pixel to (x, y), a tick
    // after each.
    void carryTo(int x, int y) {
        int x0, y0;
        pixelOf(state.currentPiece->getPosition().x, state.currentPiece->getPosition().y, x0, y0);
        const int n = std::max(1, int(std::hypot(x - x0, y - y0)) / kEventPixels);
        for (int i = 1; i <= n && !HasFatalFailure(); ++i) {
            carryCurrentPiece(state, x0 + (x - x0) * i / n, y0 + (y - y0) * i / n);
            tick();
        }
    }

    // A right drag of up to 15 motion events in one direction, or up to 8
    // presses of Z or X, a tick after each. Each piece's keys count from its
    // own angle, so that a press turns it by one step.
    void turn(Piece* piece) {
        turning = true;
        if (keyTurned[piece]) {
            const unsigned char key = within(0, 1) == 0 ? 'z' : 'x';
            state.pieceAngle = keyAngle[piece];
            for (int i = within(1, 8); i > 0 && !HasFatalFailure(); --i) {
                onKeyDown(key, 0, 0);
                tick();
            }
            keyAngle[piece] = state.pieceAngle;
        } else {
            int x = within(150, 450), y = within(150, 450);
            const double heading = within(0, 359) * M_PI / 180;
            pressMouseButton(state, GLUT_RIGHT_BUTTON, GLUT_DOWN, x, y);
            for (int i = within(1, 15); i > 0 && !HasFatalFailure(); --i) {
                x += int(kEventPixels * std::cos(heading));
                y += int(kEventPixels * std::sin(heading));
                dragTo(state, x, y);
                tick();
            }
            pressMouseButton(state, GLUT_RIGHT_BUTTON, GLUT_UP, x, y);
        }
        turning = false;
    }

    // The first piece stays in the window's upper rows, a second in its lower
    // rows: 1.35 world units apart, while no piece reaches farther than 0.63
    // from where it is carried, so their grown boxes never meet. Pressed
    // together closer than the ball, two pieces would wedge it where every
    // way out of one leads into the other, which the push-out's rounds do not
    // settle.
    int laneRow(const Piece* piece, int row) const {
        const int top = piece == state.sceneList[0].get() ? 100 : 426;
        return std::clamp(row, top, top + 80);
    }

    // One or two pieces from the palettes, dropped about the ball's fall
    // line; each turned only by keys or only by drags, since a key press
    // replaces what a drag has turned in one leap.
    void buildCourse() {
        clearCourse();
        for (int i = within(1, 2); i > 0; --i) {
            if (within(0, 1) == 0) {
                addNewPiece(state, std::make_unique<Curve>());
            } else {
                addNewPiece(state, std::make_unique<Block>());
                state.currentPiece->setScale(0.3f + 0.07f * within(0, 9),
                                             0.1f + 0.02f * within(0, 9),
                                             0.2f + 0.02f * within(0, 9));
            }
            keyTurned[state.currentPiece] = within(0, 1) == 0;
            keyAngle[state.currentPiece] = 0.0f;
            watchCourse();
            carryCurrentPiece(state, within(240, 360),
                              laneRow(state.currentPiece, 0) + within(0, 80));
            turn(state.currentPiece);
            pressMouseButton(state, GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0);
        }
        watchCourse();
    }

    // A piece turned, carried into the ball or re-placed, then the ball left
    // to rest, roll or fall for a while.
    void act() {
        Piece* piece = state.sceneList[within(0, int(state.sceneList.size()) - 1)].get();
        state.currentPiece = piece;
        const int what = within(0, 2);
        if (what == 0) {
            turn(piece);
        } else {
            int x = within(200, 400), y = laneRow(piece, 0) + within(0, 80);
            if (what == 1) pixelOf(state.ball->center().x, state.ball->center().y, x, y);
            carryTo(x + within(-15, 15), laneRow(piece, y + within(-15, 15)));
        }
        pressMouseButton(state, GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0);
        ++actions;
        ticksOf(within(0, 150));
        if (state.ball->center().y < -2.5f) watchCourse();
    }

    // Two palette blocks, turned by `presses` X and as many Z presses, dropped
    // at window pixels (x, row) and (x + gap, row): a V whose low ends
    // overlap. Then R, and the ball left to come to rest in it.
    bool buildFunnel(int presses, int x, int gap, int row) {
        clearCourse();
        for (const auto& [key, column] : {std::pair{'x', x}, std::pair{'z', x + gap}}) {
            addNewPiece(state, std::make_unique<Block>());
            for (int i = 0; i < presses; ++i) onKeyDown(key, 0, 0);
            keyAngle[state.currentPiece] = state.pieceAngle;
            carryCurrentPiece(state, column, row);
            pressMouseButton(state, GLUT_LEFT_BUTTON, GLUT_DOWN, column, row);
        }
        watchCourse();
        const auto inCourse = [this] { return state.ball->center().y > -2.5f; };
        for (int i = 0; i < kFunnelSettleTicks && !HasFatalFailure() && inCourse(); ++i) tick();
        return inCourse() && state.ball->velocityVector().length() < kRestingSpeed;
    }

    // An arm carried 1 to 6 px toward the other, or turned by a Z or X press
    // from its own key angle, or a third block carried through the ball along
    // a row just below its centre and erased.
    void adjustFunnel() {
        Piece* arm = state.sceneList[within(0, 1)].get();
        const int what = within(0, 2);
        armAdjusted = what != 2;
        int x, y;
        if (what == 2) {
            pixelOf(state.ball->center().x, state.ball->center().y, x, y);
            y += within(1, 4);
            addNewPiece(state, std::make_unique<Block>());
            carryCurrentPiece(state, x - 60, y);
            watchBoxes();
            carryTo(x + 60, y);
            eraseCurrentPiece();
            return;
        }
        state.currentPiece = arm;
        if (what == 0) {
            pixelOf(arm->getPosition().x, arm->getPosition().y, x, y);
            carryCurrentPiece(state, x + (arm == state.sceneList[0].get() ? 1 : -1) * within(1, 6),
                              y);
        } else {
            state.pieceAngle = keyAngle[arm];
            onKeyDown(within(0, 1) == 0 ? 'z' : 'x', 0, 0);
            keyAngle[arm] = state.pieceAngle;
        }
        tick();
        pressMouseButton(state, GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0);
    }

    // A new palette block carried to pixel (x, y), a tick, then carried by
    // (dx, dy) a tick for `count` ticks, in `events` passive-motion events a
    // tick.
    void carryNewBlock(int x, int y, int dx, int dy, int count, int events = 1) {
        addNewPiece(state, std::make_unique<Block>());
        carryCurrentPiece(state, x, y);
        watchBoxes();
        tick();
        for (int k = 1; k <= count * events && !HasFatalFailure(); ++k) {
            carryCurrentPiece(state, x + dx * k / events, y + dy * k / events);
            if (k % events == 0) tick();
        }
    }
    // The same, then erased, and 20 ticks more.
    void swipe(int x, int y, int dx, int dy, int count, int events = 1) {
        carryNewBlock(x, y, dx, dy, count, events);
        eraseCurrentPiece();
        ticksOf(20);
        ++swipes;
    }

    // Every piece gone, or the current one erased, each forgotten by the
    // reference first: a new piece may take its place in memory.
    void clearCourse() {
        for (const auto& piece : state.sceneList) probeHits.forget(*piece);
        state.sceneList.clear();
    }
    void eraseCurrentPiece() {
        probeHits.forget(*state.currentPiece);
        onKeyDown('e', 0, 0);
        watchBoxes();
    }

    // A palette block dropped at pixel (282, 300), and the ball let go with R
    // to come to rest on it; returns where it rests.
    Point3 restOnABlock() {
        addNewPiece(state, std::make_unique<Block>());
        carryCurrentPiece(state, 282, 300);
        pressMouseButton(state, GLUT_LEFT_BUTTON, GLUT_DOWN, 282, 300);
        watchCourse();
        ticksOf(kFunnelSettleTicks);
        return state.ball->center();
    }

    std::mt19937 rng{17};
    int swipes = 0, barred = 0;
    StraightforwardHits probeHits;
    std::vector<const Block*> blocks;
    std::vector<Side> sides;
    // Each block's placement at the end of the last tick, or when watched.
    std::vector<Matrix4> placements;
    std::map<const Piece*, bool> keyTurned;
    std::map<const Piece*, float> keyAngle;
    bool turning = false;
    bool armAdjusted = false;
    int ticks = 0, pushOuts = 0, actions = 0;
};

TEST_F(PiecesMovedIntoBall, BallIsPushedOutAndNeverFallsThrough) {
    for (int course = 0; course < kCourses && !HasFatalFailure(); ++course) {
        buildCourse();
        ticksOf(300);
        for (int i = 0; i < kActionsPerCourse && !HasFatalFailure(); ++i) act();
    }
    std::printf("%d actions, %d ticks, %d push-outs\n", actions, ticks, pushOuts);
    EXPECT_GT(pushOuts, 100);
}

// Blocks flicked at the ball: carried across the resting ball (one event a
// tick and three), swept up through it and brought down onto it, and swept up
// and down through the falling ball, at 24 to 64 px a tick, on rows and
// columns about the ball's and starting at three phases of a tick's move.
// tick() checks every step.
TEST_F(PiecesMovedIntoBall, QuickSwipesNeverTakeTheBallThroughABlock) {
    const Point3 rest = restOnABlock();
    const Vector3 restMotion = state.ball->velocityVector();
    const auto restAgain = [&] { state.ball->setCenter(rest), state.ball->setMotion(restMotion); };
    const auto fallAt = [&](int y) {
        state.ball->setCenter(
            Point3(rest.x, float(placementHalfHeight(-4.0f) * (299 - y) / 300), 0));
        state.ball->setMotion(Vector3(0.0f, -0.04f, 0.0f));
    };
    int bx, by;
    pixelOf(rest.x, rest.y, bx, by);
    for (const int v : kSwipeSpeeds) {
        for (int offset = -8; offset <= 8 && !HasFatalFailure(); offset += 4) {
            for (int phase = 0; phase < v && !HasFatalFailure(); phase += v / 3) {
                const int n = 360 / v;
                for (const int events : {1, 3}) {
                    restAgain();
                    swipe(bx - 180 - phase, by + offset, v, 0, n, events);
                }
                for (const int direction : {-1, 1}) {
                    restAgain();
                    swipe(bx + offset, by - direction * (150 + phase), 0, direction * v, n);
                    fallAt(200);
                    swipe(bx + offset, 200 - direction * (120 + phase), 0, direction * v, n);
                }
            }
        }
    }
    std::printf("%d swipes, %d ticks, %d swept, %d through a block pressed on another\n", swipes,
                ticks, probeHits.sweeps, barred);
    EXPECT_GT(probeHits.sweeps, 1000);
}

// A new block carried straight up column 280 from row 392, 36 px a tick,
// through the block the ball rests on and on through the ball: the ball is
// lifted on top of it, not left underneath.
TEST_F(PiecesMovedIntoBall, BlockCarriedQuicklyUpThroughTheRestingBallLiftsIt) {
    const Point3 rest = restOnABlock();
    carryNewBlock(280, 392, 0, -36, 6);
    EXPECT_EQ(sideAgainst(*blocks[1]), Side::kAbove);
    EXPECT_GT(state.ball->center().y, rest.y + 0.5f);
}

// A wide block brought down onto the ball resting on another, thinner one:
// no way out along the gap is near, so the moving block gives way and the
// ball comes out over it, never through the thin block under it.
TEST_F(PiecesMovedIntoBall, WideBlockBroughtDownOntoTheRestingBallLetsItOutOverIt) {
    for (const int row : {300, 200}) {
        addNewPiece(state, std::make_unique<Block>());
        state.currentPiece->setScale(1.5f, row == 300 ? 0.04f : 0.1f, 0.8f);
        carryCurrentPiece(state, 300, row);
        watchBoxes();
        if (row == 300) ticksOf(kFunnelSettleTicks);
    }
    for (int row = 204; row <= 296 && !HasFatalFailure(); row += 4) {
        carryCurrentPiece(state, 300, row);
        tick();
    }
    EXPECT_EQ(sideAgainst(*blocks[0]), Side::kAbove);
    EXPECT_EQ(sideAgainst(*blocks[1]), Side::kAbove);
}

// A block under the resting ball, turned by about -21° about y with a right
// drag: its top face tilts through the ball's centre.
TEST_F(PiecesMovedIntoBall, BlockTurnedByADragUnderTheRestingBallHoldsIt) {
    addNewPiece(state, std::make_unique<Block>());
    carryCurrentPiece(state, 285, 350);
    pressMouseButton(state, GLUT_LEFT_BUTTON, GLUT_DOWN, 285, 350);
    watchCourse();
    ticksOf(2000);
    ASSERT_FLOAT_EQ(state.ball->center().y, -0.181009561f);
    pressMouseButton(state, GLUT_LEFT_BUTTON, GLUT_DOWN, 285, 350);
    ASSERT_EQ(state.currentPiece, state.sceneList[0].get());
    pressMouseButton(state, GLUT_RIGHT_BUTTON, GLUT_DOWN, 300, 290);
    for (int x = 290; x >= 150; x -= kEventPixels) dragTo(state, x, 290);
    pressMouseButton(state, GLUT_RIGHT_BUTTON, GLUT_UP, 150, 290);
    pressMouseButton(state, GLUT_LEFT_BUTTON, GLUT_DOWN, 150, 290);
    ASSERT_EQ(sideAgainst(*blocks[0]), Side::kInside);
    tick();
    EXPECT_EQ(sideAgainst(*blocks[0]), Side::kAbove);
    ticksOf(1000);
}

// Steep V funnels with the ball resting in them, adjusted under it; tick()
// checks every step, and that a wedge settled after an arm's move never takes
// the ball through an arm.
TEST_F(PiecesMovedIntoBall, FunnelsAdjustedUnderTheBallNeverLetItThrough) {
    int funnels = 0;
    for (int attempt = 0; attempt < kFunnelAttempts && funnels < kFunnels && !HasFatalFailure();
         ++attempt) {
        const int gap = within(16, 52);
        if (!buildFunnel(within(15, 30), within(296, 300) - gap / 2, gap, within(330, 350))) {
            continue;
        }
        ++funnels;
        for (int i = 0; i < kAdjustmentsPerFunnel && !HasFatalFailure(); ++i) {
            adjustFunnel();
            ticksOf(kAdjustedSettleTicks);
        }
    }
    std::printf("%d funnels, %d ticks, %d push-outs, %d wedged\n", funnels, ticks, pushOuts,
                probeHits.wedges);
    EXPECT_GT(probeHits.wedges, 50);
}

// The left arm picked and turned by one X press: the key angle is still the
// right arm's 45°, so the arm swings from -45° to 42° and leaves the resting
// ball's centre 0.079 deep in it, where every way out leads into the other.
TEST_F(PiecesMovedIntoBall, LeftArmOfAFunnelTurnedIntoTheRestingBall) {
    ASSERT_TRUE(buildFunnel(15, 281, 32, 340));
    pressMouseButton(state, GLUT_LEFT_BUTTON, GLUT_DOWN, 281, 340);
    ASSERT_EQ(state.currentPiece, state.sceneList[0].get());
    onKeyDown('x', 0, 0);
    ASSERT_EQ(probeHits.wedges, 0);
    const Point3 before = state.ball->center();
    tick();
    // Up out of the V, clear of both arms, by little more than how deep it was.
    EXPECT_EQ(sideAgainst(*blocks[0]), Side::kAbove);
    EXPECT_EQ(sideAgainst(*blocks[1]), Side::kAbove);
    EXPECT_LT(distance(before, state.ball->center()), 0.15);
    EXPECT_EQ(probeHits.wedges, 1);
    ticksOf(1000);
}

}  // namespace
