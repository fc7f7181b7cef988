// SPDX-License-Identifier: MIT
#include "geometry/simulation_step.h"

#include <limits>
#include <vector>

#include "geometry/wedge_push_out.h"
#include "scene/ball.h"

namespace {

// The piece met first along the ball's step, or null when none is met.
Piece* nearestPiece(Ball& ball, const SceneList& pieces) {
    Piece* nearest = nullptr;
    float best = std::numeric_limits<float>::max();
    for (const auto& piece : pieces) {
        const float d = piece->hitDistance(&ball);
        // Strict, so the earlier of equal distances wins; NaN is never taken.
        if (d >= 0.0f && d < best) {
            nearest = piece.get();
            best = d;
        }
    }
    return nearest;
}

// A centre inside a piece is behind every face of its box, where no face's
// hit test sees it, so the ball would fall through: it is moved out first.
// True when a round moved nothing, so that the centre is inside no box; false
// when every round moved it, as in a wedge, where it may still be inside one.
bool pushOutOfPieces(Ball& ball, const SceneList& pieces) {
    for (int round = 0; round < kMaxPushOutRounds; ++round) {
        bool moved = false;
        for (const auto& piece : pieces) {
            moved = piece->pushOut(&ball) || moved;
        }
        if (!moved) {
            return true;
        }
    }
    return false;
}

// Moves a centre that the rounds left inside a box, handed from one box to
// another, clear of all of them at once.
void pushOutOfWedge(Ball& ball, const SceneList& pieces, const Point3& start) {
    std::vector<const GrownBox*> boxes;
    for (const auto& piece : pieces) {
        piece->appendGrownBoxes(ball.radius, boxes);
    }
    ::pushOutOfWedge(boxes, start, ball);
}

}  // namespace

void simulationStep(Ball& ball, const SceneList& pieces) {
    const Point3 start = ball.center();
    if (!pushOutOfPieces(ball, pieces)) {
        pushOutOfWedge(ball, pieces, start);
    }
    int resolutions = 0;
    Piece* nearest = nullptr;
    do {
        nearest = nearestPiece(ball, pieces);
        if (nearest != nullptr) {
            nearest->resolveHit(&ball);
            ++resolutions;
        }
        // A zero step meets no face, so the next pass ends the loop.
        if (resolutions >= kMaxResolutionsPerStep) {
            ball.setMotion(Vector3(0.0f, 0.0f, 0.0f));
        }
    } while (nearest != nullptr);
    ball.advance();
}
