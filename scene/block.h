// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "geometry/face.h"
#include "geometry/grown_box.h"
#include "geometry/hit_bound.h"
#include "scene/piece.h"
#include "scene/placement_record.h"

// The box-shaped piece: a unit cube stretched by the object scale, so its
// extent along its own axes is exactly its scale. It owns the face that its
// last successful hit test kept.
class Block : public Piece {
  public:
    Block();
    ~Block() override;

    // A solid cube of edge 1 centred on the origin of the block's frame.
    void drawShape() override;
    // Bounces off the kept face, then releases it; no kept face, no change.
    void resolveHit(Ball* ball) override;
    // Nearest hit over the six faces of the box grown by the ball's radius and
    // placed by the parent's transform then the block's own; -1 for none, in
    // which case the kept face stays as it was.
    float hitDistance(Ball* ball) override;
    // Moves a centre inside the grown box out through the face it is least
    // deep behind (pushOutOfBox); a centre outside the box's bound is left
    // without a face being looked at.
    bool pushOut(Ball* ball) override;
    // The one grown box, rebuilt first if it is stale.
    void appendGrownBoxes(float radius, std::vector<const GrownBox*>& boxes) override;
    // The block's own placement since the last tick (PlacementRecord).
    PlacementChange takePlacementChange(PieceMove& move) override;
    // This block, as one carried by its own transform.
    void appendBlockVolumes(float radius, const Point3* near, double reach,
                            std::vector<BlockVolume>& blocks) override;
    // Appends this block unless `near` is given and its grown box lies
    // farther than `reach` from it; `carried` when it moves with the piece
    // whose volumes are being gathered.
    void appendVolume(float radius, const Point3* near, double reach, bool carried,
                      std::vector<BlockVolume>& blocks);
    // The curve this block is a member of, or null for a free-standing block;
    // not owned. Only the hit test reads it.
    virtual void setParent(SceneObject* p);

    // The sphere around every contact the grown box for `radius` can accept,
    // rebuilt first if the block's or its parent's transform has changed.
    const HitBound& collisionBound(float radius);

    const Face* getKeptFace() const { return keptFace.get(); }
    SceneObject* getParent() const { return parent; }

  protected:
    // Also tells the parent, whose bound around its members goes stale.
    void transformChanged() override;

  private:
    // True unless the grown box and its bounds were built for this radius and
    // the block's and parent's current transforms.
    bool collisionVolumeStale(float radius) const {
        return boxGeneration != transformGeneration() ||
               boxParentGeneration != (parent != nullptr ? parent->transformGeneration() : 0) ||
               boxRadius != radius;
    }
    void rebuildCollisionVolume(float radius);
    // Parent transform × the block's own, as the hit test places the box.
    Matrix4 worldMatrix() const;
    // The hit test against the box as cached; the bound first, then the faces.
    float cachedHit(const Ball& ball);
    // The stale case, kept out of line with the faces' own tests so that a
    // far piece's early return saves and restores no registers.
    [[gnu::noinline]] float rebuildThenHit(const Ball& ball);
    [[gnu::noinline]] float nearestFaceHit(const Ball& ball);

    // What a hit test reads when it skips the block shares one cache line.
    alignas(64) SceneObject* parent = nullptr;
    // The box below was built at these. A NaN radius never matches, so the
    // first hit test builds it, and a NaN ball rebuilds it every time; +0 and
    // -0 grow the same box.
    std::uint64_t boxGeneration = 0;
    std::uint64_t boxParentGeneration = 0;
    float boxRadius = std::numeric_limits<float>::quiet_NaN();
    HitBound bound;

    std::unique_ptr<Face> keptFace;
    // Derived from the transforms and the radius alone, so a stale box is
    // rebuilt exactly as a fresh hit test would build it.
    HitBound faceBounds[GrownBox::kFaceCount];
    std::optional<GrownBox> box;
    // Made at the first take, which only a piece of the course has: not
    // carried by a curve's members.
    std::unique_ptr<PlacementRecord> placement;
};
