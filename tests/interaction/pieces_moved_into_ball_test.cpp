// SPDX-License-Identifier: MIT
// Pieces turned, re-placed and carried into the ball the way a hand does it,
// with frame ticks between the events: a piece moved into the ball pushes it
// out, and the ball never falls through a piece.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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

class PiecesMovedIntoBall : public InteractionTest {
  protected:
    Side sideAgainst(const Block& block) const {
        return sideOf(straightforwardBox(block, state.ball->radius), state.ball->center());
    }

    // One frame tick. After it the centre is inside no box; a step that began
    // outside every box has not taken it from straight above a box to straight
    // below it, or back, which only a path through the box does; and a ball
    // resting on a box that is being turned is not below it.
    void tick() {
        std::vector<Side> start(blocks.size());
        for (size_t i = 0; i < blocks.size(); ++i) start[i] = sideAgainst(*blocks[i]);
        // A push-out moves the centre before the step, off the step's line.
        const bool pushed = std::count(start.begin(), start.end(), Side::kInside) > 0;
        pushOuts += pushed;
        const bool resting = state.ball->velocityVector().length() < kRestingSpeed;
        advanceFrame(state);
        ++ticks;
        for (size_t i = 0; i < blocks.size(); ++i) {
            const Side now = sideAgainst(*blocks[i]);
            ASSERT_NE(now, Side::kInside) << "tick " << ticks << ", box " << i;
            ASSERT_FALSE(!pushed && opposite(start[i], now))
                << "through box " << i << ", tick " << ticks;
            ASSERT_FALSE(turning && resting && sides[i] == Side::kAbove && now == Side::kBelow)
                << "turned through box " << i << ", tick " << ticks;
            sides[i] = now;
        }
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
        blocks = collisionBlocks(state.sceneList);
        sides.assign(blocks.size(), Side::kBeside);
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
        state.sceneList.clear();
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

    std::mt19937 rng{17};
    std::vector<const Block*> blocks;
    std::vector<Side> sides;
    std::map<const Piece*, bool> keyTurned;
    std::map<const Piece*, float> keyAngle;
    bool turning = false;
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

}  // namespace
