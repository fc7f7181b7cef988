// SPDX-License-Identifier: MIT
#include "geometry/swept_push_out.h"

#include <algorithm>
#include <cmath>

#include "geometry/leaving_planes.h"
#include "geometry/push_out.h"
#include "geometry/wedge_push_out.h"
#include "scene/ball.h"

namespace {

// The block that the centre's path met first over every moved piece, the face
// it came in through, and how far along the move (0 to 1). Of equal
// fractions the earlier piece, then block, wins.
struct SweepEntry {
    const GrownBox* box = nullptr;
    int face = -1;
    double fraction = 2.0;
};

SweepEntry firstSweepEntry(const std::vector<SweptPiece>& pieces, const Point3& centre) {
    SweepEntry first;
    for (const SweptPiece& piece : pieces) {
        if (piece.change != PlacementChange::kMoved) {
            continue;
        }
        const RelativePath path(piece.move, centre);
        for (const BlockVolume& block : piece.blocks) {
            if (!block.carried) {
                continue;
            }
            const BoxEntry entry = firstEntry(*block.grown, path);
            if (entry.face >= 0 && entry.fraction < first.fraction) {
                first = {block.grown, entry.face, entry.fraction};
            }
        }
    }
    return first;
}

// What a place the ball is moved to must respect: from the centre at the
// start of the tick, the straight way to it passes through no still block,
// and, unless the moved pieces may give way, the way relative to each moved
// piece passes through none of its blocks.
class WayOut {
  public:
    WayOut(const std::vector<SweptPiece>& pieces, const Point3& start)
        : pieces(pieces), start(exact(start)) {
        for (const SweptPiece& piece : pieces) {
            fromWhere.push_back(piece.change == PlacementChange::kMoved
                                    ? RelativePath(piece.move, start).at(0)
                                    : this->start);
            for (const BlockVolume& block : piece.blocks) {
                solids.emplace_back(block.world, 0.0f, block.sx, block.sy, block.sz);
            }
        }
    }

    bool allowed(const Point3& place, bool movedGiveWay) const {
        const ExactPoint to = exact(place);
        const GrownBox* solid = solids.data();
        for (size_t i = 0; i < pieces.size(); ++i) {
            const SweptPiece& piece = pieces[i];
            for (const BlockVolume& block : piece.blocks) {
                const bool moved = piece.change == PlacementChange::kMoved && block.carried;
                // A new piece has no side the ball came from.
                const bool bars = piece.change != PlacementChange::kNew && !(moved && movedGiveWay);
                if (bars && segmentCrosses(*solid, moved ? fromWhere[i] : start, to)) {
                    return false;
                }
                ++solid;
            }
        }
        return true;
    }

    bool clear(const Point3& place) const {
        for (const SweptPiece& piece : pieces) {
            for (const BlockVolume& block : piece.blocks) {
                if (block.grown->holds(place)) {
                    return false;
                }
            }
        }
        return true;
    }

  private:
    const std::vector<SweptPiece>& pieces;
    ExactPoint start;
    // Per piece: where the centre stood relative to it before it moved, placed
    // as it now stands; the centre itself for a piece that did not move.
    std::vector<ExactPoint> fromWhere;
    // Each block's solid box, in the pieces' order.
    std::vector<GrownBox> solids;
};

}  // namespace

double sweepReach(const std::vector<SweptPiece>& moved, const Ball& ball) {
    const Point3 centre = ball.center();
    const SweepEntry entry = firstSweepEntry(moved, centre);
    Point3 out;
    if (entry.box == nullptr || !placeInFrontOf(entry.box->face(entry.face), centre, out)) {
        return -1.0;
    }
    // Every place tried lies within the wedge's reach of the centre, or is the
    // place in front of the entry face: only the boxes that hold it, and the
    // solid boxes that the way to it passes through, matter.
    const double wedge = kWedgeReachDiameters * 2.0 * double(ball.radius);
    return std::max(wedge, distance(centre, out)) + kPushOutMargin;
}

bool pushOutOfSweeps(const std::vector<SweptPiece>& pieces,
                     const std::function<std::vector<const GrownBox*>()>& everyBox, Ball& ball) {
    const Point3 start = ball.center();
    const SweepEntry entry = firstSweepEntry(pieces, start);
    if (entry.box == nullptr) {
        return false;
    }
    const WayOut way(pieces, start);
    // In front of the face the moved piece came in through.
    const Face& face = entry.box->face(entry.face);
    Point3 out;
    if (placeInFrontOf(face, start, out) && way.clear(out) && way.allowed(out, false)) {
        ball.setCenter(out);
        const Vector3 n = face.normal();
        removeInwardVelocity(ball, &n, 1);
        return true;
    }
    // Squeezed out along the gap, passing through no piece.
    const std::vector<const GrownBox*> boxes = everyBox();
    if (pushOutOfWedge(boxes, start, ball,
                       [&way](const Point3& q) { return way.allowed(q, false); })) {
        return true;
    }
    // The moved piece gives way: one that went clear past leaves the ball
    // where it was, one that stopped on it lets it out over it.
    if (way.clear(start)) {
        return true;
    }
    return pushOutOfWedge(boxes, start, ball,
                          [&way](const Point3& q) { return way.allowed(q, true); });
}
