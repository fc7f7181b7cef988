// SPDX-License-Identifier: MIT
#include "geometry/simulation_step.h"

#include <limits>
#include <vector>

#include "geometry/swept_push_out.h"
#include "geometry/wedge_exit.h"
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
void pushClearOfWedge(Ball& ball, const SceneList& pieces, const Point3& start) {
    std::vector<const GrownBox*> boxes;
    for (const auto& piece : pieces) {
        piece->appendGrownBoxes(ball.radius, boxes);
    }
    pushClearOfBoxes(boxes, start, ball);
}

// A piece moved or turned into the ball, or clear past it, since the last
// tick pushes it out the way it came (pushOutOfSweeps); false, the ball
// unchanged, when none did. Every piece's placement is taken once a tick,
// which records it for the next; the blocks are gathered only when a moved
// piece's path meets the ball, and then only those that can matter.
bool pushOutOfMovedPieces(Ball& ball, const SceneList& pieces) {
    std::vector<SweptPiece> changed;
    std::vector<size_t> changedAt;
    PieceMove move;
    for (size_t i = 0; i < pieces.size(); ++i) {
        const PlacementChange change = pieces[i]->takePlacementChange(move);
        if (change != PlacementChange::kNone) {
            changed.push_back(SweptPiece{change, move, {}});
            changedAt.push_back(i);
            pieces[i]->appendBlockVolumes(ball.radius, nullptr, 0.0, changed.back().blocks);
        }
    }
    if (changed.empty()) {
        return false;
    }
    const double reach = sweepReach(changed, ball);
    if (reach < 0.0) {
        return false;
    }
    // Every piece in the course's order: those that changed whole, the still
    // ones by their blocks near the centre.
    std::vector<SweptPiece> course;
    const Point3 centre = ball.center();
    size_t next = 0;
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (next < changed.size() && changedAt[next] == i) {
            course.push_back(std::move(changed[next++]));
            continue;
        }
        course.push_back(SweptPiece{PlacementChange::kNone, move, {}});
        pieces[i]->appendBlockVolumes(ball.radius, &centre, reach, course.back().blocks);
    }
    return pushOutOfSweeps(course, ball);
}

}  // namespace

void simulationStep(Ball& ball, const SceneList& pieces) {
    const Point3 start = ball.center();
    if (!pushOutOfMovedPieces(ball, pieces) && !pushOutOfPieces(ball, pieces)) {
        pushClearOfWedge(ball, pieces, start);
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
