// SPDX-License-Identifier: MIT
#include "scene/block.h"

#include <GL/freeglut.h>

#include "geometry/matrix4.h"
#include "geometry/push_out.h"
#include "scene/ball.h"

namespace {

// An orange-brown block with a faint yellow highlight; the highlight's alpha
// is 0.
const float kBlockAmbient[4] = {0.8f, 0.5f, 0.1f, 1.0f};
const float kBlockDiffuse[4] = {0.1f, 0.1f, 0.1f, 1.0f};
const float kBlockSpecular[4] = {0.4f, 0.4f, 0.1f, 0.0f};
constexpr float kBlockShininess = 0.1f;

// A new block is 0.3 long in x, 0.1 high and 0.2 deep.
constexpr Float3 kBlockScale{0.3f, 0.1f, 0.2f};

constexpr float kNoHit = -1.0f;

}  // namespace

Block::Block() {
    material = Material{kBlockAmbient, kBlockDiffuse, kBlockSpecular, kBlockShininess};
    scale = kBlockScale;
    // Block's own, named so: no derived part of the object exists yet.
    Block::transformChanged();
}

// The kept face, if any, goes with the block, before the base destruction.
Block::~Block() = default;

void Block::drawShape() {
    glutSolidCube(1.0);
}

void Block::resolveHit(Ball* ball) {
    if (keptFace) {
        keptFace->bounce(*ball);
        keptFace.reset();
    }
}

inline float Block::cachedHit(const Ball& ball) {
    // A step that passes outside the bound meets no face: -1, kept face as is.
    if (!bound.mayMeet(ball.center(), ball.stepVector())) {
        return kNoHit;
    }
    return nearestFaceHit(ball);
}

float Block::hitDistance(Ball* ball) {
    // The cached path makes no OpenGL call, so the modelview stays current.
    if (collisionVolumeStale(ball->radius)) {
        return rebuildThenHit(*ball);
    }
    return cachedHit(*ball);
}

float Block::rebuildThenHit(const Ball& ball) {
    rebuildCollisionVolume(ball.radius);
    return cachedHit(ball);
}

float Block::nearestFaceHit(const Ball& ball) {
    const GrownBox::Hit hit = box->nearestHit(ball, faceBounds);
    if (hit.face < 0) {
        return kNoHit;
    }
    keptFace = std::make_unique<Face>(box->face(hit.face));
    return hit.distance;
}

bool Block::pushOut(Ball* ball) {
    // The bound encloses every corner and so the whole box: a centre outside
    // it is in front of some face.
    if (!collisionBound(ball->radius).holds(ball->center())) {
        return false;
    }
    return pushOutOfBox(*box, *ball);
}

void Block::appendGrownBoxes(float radius, std::vector<const GrownBox*>& boxes) {
    collisionBound(radius);
    boxes.push_back(&*box);
}

PlacementChange Block::takePlacementChange(PieceMove& move) {
    return recordPlacement(placement, *this, move);
}

void Block::appendBlockVolumes(float radius, const Point3* near, double reach,
                               std::vector<BlockVolume>& blocks) {
    appendVolume(radius, near, reach, true, blocks);
}

void Block::appendVolume(float radius, const Point3* near, double reach, bool carried,
                         std::vector<BlockVolume>& blocks) {
    // Rebuilds a stale box first, whether or not it is near.
    const HitBound& around = collisionBound(radius);
    if (near != nullptr && !around.near(*near, reach)) {
        return;
    }
    blocks.push_back(BlockVolume{&*box, worldMatrix(), scale.x, scale.y, scale.z, carried});
}

void Block::setParent(SceneObject* p) {
    if (parent != nullptr) {
        parent->memberTransformChanged();
    }
    parent = p;
    // The parent's transform is part of the block's collision volume.
    transformChanged();
}

void Block::transformChanged() {
    Piece::transformChanged();
    if (parent != nullptr) {
        parent->memberTransformChanged();
    }
}

const HitBound& Block::collisionBound(float radius) {
    if (collisionVolumeStale(radius)) {
        rebuildCollisionVolume(radius);
    }
    return bound;
}

void Block::rebuildCollisionVolume(float radius) {
    box.emplace(worldMatrix(), radius, scale.x, scale.y, scale.z);
    bound = HitBound::around(*box);
    for (int i = 0; i < GrownBox::kFaceCount; ++i) {
        faceBounds[i] = HitBound::around(box->face(i));
    }
    boxGeneration = transformGeneration();
    boxParentGeneration = parent != nullptr ? parent->transformGeneration() : 0;
    boxRadius = radius;
}

Matrix4 Block::worldMatrix() const {
    // Formed directly, with the same single-precision products as the
    // modelview stack: parent transform, then the block's.
    Matrix4 world = Matrix4::identity();
    if (parent != nullptr) {
        parent->appendTransform(world);
    }
    appendTransform(world);
    return world;
}
