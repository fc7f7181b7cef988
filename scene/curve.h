// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "geometry/hit_bound.h"
#include "scene/block.h"
#include "scene/piece.h"
#include "scene/placement_record.h"

// The curved ramp: ten blocks 8 degrees apart on a circle of radius 0.5 in the
// curve's xy-plane. They are members, not children, and each has the curve as
// its parent so the hit test sees it through the curve's transform.
class Curve : public Piece {
  public:
    static constexpr int kBlockCount = 10;

    Curve();
    ~Curve() override;

    // The ten blocks in index order, each with its own transform and material.
    void drawShape() override;
    // Bounces off the block that the last hitDistance with a hit chose.
    void resolveHit(Ball* ball) override;
    // The smallest hit distance over all ten blocks (every block is asked,
    // since each keeps its own face); -1 for none, leaving nearestBlock alone.
    float hitDistance(Ball* ball) override;
    // Each block in index order moves the centre out of itself if it holds
    // it, so a centre pushed into a later, overlapping block leaves that one
    // too; true if any did.
    bool pushOut(Ball* ball) override;
    // The ten blocks' boxes in index order.
    void appendGrownBoxes(float radius, std::vector<const GrownBox*>& boxes) override;

    // The curve's own placement since the last tick (PlacementRecord); its
    // blocks' placements within it are not followed.
    PlacementChange takePlacementChange(PieceMove& move) override;
    // The ten blocks in index order, each carried if the curve still places it.
    void appendBlockVolumes(float radius, const Point3* near, double reach,
                            std::vector<BlockVolume>& volumes) override;

    const Block& block(int i) const { return blocks[i]; }
    Block& block(int i) { return blocks[i]; }
    int getNearestBlock() const { return nearestBlock; }

  private:
    // Lays the blocks along the arc; called once, by the constructor.
    void build();
    // The sphere around all ten blocks' bounds for `radius`, rebuilt when the
    // curve's or any member's transform has changed since.
    const HitBound& collisionBound(float radius);

    Block blocks[kBlockCount];
    int nearestBlock = 0;

    // The bound was built at these; a NaN radius never matches, so the first
    // hit test builds it.
    HitBound bound;
    std::uint64_t boundGeneration = 0;
    std::uint64_t boundMemberGenerations = 0;
    float boundRadius = std::numeric_limits<float>::quiet_NaN();
    // Made at the first take, which only a piece of the course has: not
    // carried by a curve's members.
    std::unique_ptr<PlacementRecord> placement;
};
