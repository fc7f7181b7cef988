#pragma once

#include <memory>

#include "geometry/face.h"
#include "scene/piece.h"

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
    // The curve this block is a member of, or null for a free-standing block;
    // not owned. Only the hit test reads it.
    virtual void setParent(SceneObject* p);

    const Face* getKeptFace() const { return keptFace.get(); }
    SceneObject* getParent() const { return parent; }

private:
    std::unique_ptr<Face> keptFace;
    SceneObject* parent = nullptr;
};
