// SPDX-License-Identifier: MIT
#pragma once

#include "scene/scene_list.h"

class Ball;

// The most bounces one tick resolves; from the tenth on the ball is stopped,
// which ends the tick's collision loop.
constexpr int kMaxResolutionsPerStep = 10;

// The most rounds of push-outs before one tick's hit loop. A round asks every
// piece, in list order, to move the centre out of itself; overlapping boxes
// (a curve's neighbouring blocks, pieces set into each other) can hand the
// centre from one to the next, so rounds repeat until one moves nothing. One
// round almost always does; a tangle of pieces may take several. The bound
// ends a ball wedged in a gap narrower than itself, where every way out of one
// box leads into another: the wedge is then settled with all the boxes at once
// (pushOutOfWedge).
constexpr int kMaxPushOutRounds = 10;

// One tick of the ball: first, if a piece was moved or turned into the ball,
// or clear past it, since the last tick, push the ball out the way the piece
// came (pushOutOfSweeps); otherwise move its centre out of any piece that
// holds it (one put onto the ball), and out of a wedge between pieces should
// the rounds leave it inside one; then bounce it off the nearest piece
// along its step, repeating from the same centre with the turned step until
// nothing is hit; then advance it. Of equally near pieces the earlier in the
// list bounces. Changes the ball, the pieces' remembered faces and their
// recorded placements, never the list.
void simulationStep(Ball& ball, const SceneList& pieces);
