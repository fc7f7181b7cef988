// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <vector>

#include "geometry/grown_box.h"
#include "geometry/matrix4.h"
#include "geometry/relative_path.h"

class Ball;

// How a piece's placement changed between two ticks.
enum class PlacementChange {
    kNone,
    // Moved or turned as a whole: PieceMove says how.
    kMoved,
    // New since the last tick, or resized: it has no placement to measure a
    // path from, and pushes the ball out as a piece that appeared there.
    kNew,
};

// One block of a piece as the swept push-out sees it.
struct BlockVolume {
    // Grown by the ball's radius, as the block now stands; owned by the block.
    const GrownBox* grown;
    // The block's matrix (parent × own) and its own scale, which place its
    // solid box, not grown: what the ball must not pass through.
    Matrix4 world;
    float sx, sy, sz;
    // Placed through the piece's transform, so that it moved with the piece.
    bool carried;
};

// A piece, its change since the last tick and those of its blocks that
// matter, in the course's order.
struct SweptPiece {
    PlacementChange change;
    PieceMove move;  // for kMoved alone
    std::vector<BlockVolume> blocks;
};

// How far from the ball's centre a still piece's block may matter to
// pushOutOfSweeps (beyond its search among every box), in world units, given
// the moved pieces alone; -1 when no moved piece's path relative to the
// centre enters one of its blocks, and the push-out is then the ordinary one.
double sweepReach(const std::vector<SweptPiece>& moved, const Ball& ball);

// A piece moved or turned into the ball, or clear past it, since the last
// tick pushes it out the way the piece came from. The centre's path relative
// to each moved piece (RelativePath) is followed; where the first such path
// enters a block's grown box, the centre goes kPushOutMargin in front of that
// face as the block now stands, and the velocity into it is taken away.
// Where that place is in another box, or reached only through a still piece,
// the ball is squeezed out along the gap instead (pushOutOfWedge, taking
// only places reached without passing through any piece, still or moved);
// failing that the moved piece gives way, the ball kept on its side of every
// still piece. Returns false, the ball unchanged, when no moved piece's path
// enters one of its blocks, or when no way out is found: the ordinary push-out
// then takes over. `pieces` must hold every moved and new piece and every
// block of a still one within sweepReach of the centre; `everyBox` gives,
// for the squeeze to look for a way out among, every grown box of the course
// in its order.
bool pushOutOfSweeps(const std::vector<SweptPiece>& pieces,
                     const std::function<std::vector<const GrownBox*>()>& everyBox, Ball& ball);
