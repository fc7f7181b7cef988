// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/swept_push_out.h"
#include "scene/scene_object.h"

class Ball;
class GrownBox;

// A scene object the ball can hit: a block or a curve.
class Piece : public SceneObject {
  public:
    // Bounces the ball off the surface that this piece's last hitDistance
    // found nearest, and forgets it; does nothing if there is none.
    virtual void resolveHit(Ball* ball) = 0;
    // World units from the ball's centre to where it first meets this piece's
    // surface, grown by the ball's radius, along this tick's step; -1 for no
    // hit. Remembers inside the piece what resolveHit needs.
    virtual float hitDistance(Ball* ball) = 0;
    // If the ball's centre is inside this piece, behind every face of one of
    // its grown boxes, moves it out and takes away the velocity that carried
    // it in; returns whether it moved the ball. A piece without a grown box
    // never holds the ball.
    virtual bool pushOut(Ball* /*ball*/) { return false; }
    // Appends this piece's grown boxes for a ball of `radius`, as its hit test
    // builds them and in its order; they stay valid until a transform of the
    // piece changes. A piece without a grown box appends none.
    virtual void appendGrownBoxes(float /*radius*/, std::vector<const GrownBox*>& /*boxes*/) {}
    // How this piece was placed since the last call, which a tick makes once
    // when any piece's transform has changed (placementChanges), and which
    // records the placement for the next: kMoved, with `move` filled in, when
    // it was moved or turned as a whole; kNew at the first call and after a
    // resize; otherwise kNone.
    virtual PlacementChange takePlacementChange(PieceMove& /*move*/) {
        return PlacementChange::kNone;
    }
    // Appends this piece's blocks for a ball of `radius`, in the hit test's
    // order; with `near`, only those whose grown box may come within `reach`
    // world units of it. Each points at the block's grown box, valid until a
    // transform of the piece changes.
    virtual void appendBlockVolumes(float /*radius*/, const Point3* /*near*/, double /*reach*/,
                                    std::vector<BlockVolume>& /*blocks*/) {}

    // Advances whenever the transform of any piece, or of a curve's block,
    // changes: while it stays the same, no piece has been moved or turned.
    static std::uint64_t placementChanges() { return changes; }

  protected:
    void transformChanged() override {
        SceneObject::transformChanged();
        ++changes;
    }

  private:
    inline static std::uint64_t changes = 0;
};
