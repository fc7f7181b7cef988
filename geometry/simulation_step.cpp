// SPDX-License-Identifier: MIT
#include "geometry/simulation_step.h"

#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "geometry/swept_push_out.h"
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

// Every piece's grown boxes for the ball, in the course's order.
std::vector<const GrownBox*> everyBox(const Ball& ball, const SceneList& pieces) {
    std::vector<const GrownBox*> boxes;
    for (const auto& piece : pieces) {
        piece->appendGrownBoxes(ball.radius, boxes);
    }
    return boxes;
}

// Moves a centre that the rounds left inside a box, handed from one box to
// another, clear of all of them at once.
void pushOutOfWedge(Ball& ball, const SceneList& pieces, const Point3& start) {
    ::pushOutOfWedge(everyBox(ball, pieces), start, ball);
}

// Every piece in the course's order for the swept push-out: the moved ones
// (`moved`, in order) and the other changed ones whole, the still ones by
// their blocks within `reach` of the centre, if any.
std::vector<SweptPiece> courseAround(const Ball& ball, const SceneList& pieces,
                                     std::vector<SweptPiece>& moved,
                                     const std::vector<std::pair<size_t, PlacementChange>>& changed,
                                     double reach) {
    std::vector<SweptPiece> course;
    course.reserve(pieces.size());
    const Point3 centre = ball.center();
    auto nextMoved = moved.begin();
    auto next = changed.begin();
    for (size_t i = 0; i < pieces.size(); ++i) {
        const bool changedHere = next != changed.end() && next->first == i;
        const PlacementChange change = changedHere ? (next++)->second : PlacementChange::kNone;
        if (change == PlacementChange::kMoved) {
            course.push_back(std::move(*nextMoved++));
            continue;
        }
        course.push_back(SweptPiece{change, PieceMove{}, {}});
        pieces[i]->appendBlockVolumes(ball.radius, changedHere ? nullptr : &centre, reach,
                                      course.back().blocks);
        if (course.back().blocks.empty()) {
            course.pop_back();
        }
    }
    return course;
}

// A piece moved or turned into the ball, or clear past it, since the last
// tick pushes it out the way it came (pushOutOfSweeps); false, the ball
// unchanged, when none did. Every piece's placement is taken once a tick,
// which records it for the next; the blocks are gathered only when a moved
// piece's path meets the ball, and then only those that can matter.
bool pushOutOfMovedPieces(Ball& ball, const SceneList& pieces) {
    // The list whose placements were taken last, and the count of changes
    // then: while both are the same, no piece has moved since, and the pass
    // over the pieces, which would find each placement as it was, is skipped.
    static const SceneList* takenList = nullptr;
    static std::uint64_t takenAt = 0;
    if (takenList == &pieces && takenAt == Piece::placementChanges()) {
        return false;
    }
    takenList = &pieces;
    takenAt = Piece::placementChanges();
    // The moved pieces first, whole: most ticks have none, or none whose
    // path meets the ball.
    std::vector<SweptPiece> moved;
    std::vector<std::pair<size_t, PlacementChange>> changed;
    for (size_t i = 0; i < pieces.size(); ++i) {
        PieceMove move;
        const PlacementChange change = pieces[i]->takePlacementChange(move);
        if (change == PlacementChange::kMoved) {
            moved.push_back(SweptPiece{change, move, {}});
            pieces[i]->appendBlockVolumes(ball.radius, nullptr, 0.0, moved.back().blocks);
        }
        if (change != PlacementChange::kNone) {
            changed.emplace_back(i, change);
        }
    }
    const double reach = moved.empty() ? -1.0 : sweepReach(moved, ball);
    if (reach < 0.0) {
        return false;
    }
    return pushOutOfSweeps(
        courseAround(ball, pieces, moved, changed, reach),
        [&ball, &pieces] { return everyBox(ball, pieces); }, ball);
}

}  // namespace

void simulationStep(Ball& ball, const SceneList& pieces) {
    const Point3 start = ball.center();
    if (!pushOutOfMovedPieces(ball, pieces) && !pushOutOfPieces(ball, pieces)) {
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
