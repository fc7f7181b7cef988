#include "scene/block.h"

#include <GL/freeglut.h>

#include "geometry/grown_box.h"
#include "geometry/matrix4.h"
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

float Block::hitDistance(Ball* ball) {
    // The world matrix is formed directly, with the same single-precision
    // products as the modelview stack, so the stack is left alone; modelview
    // is still made the current mode, as every user of the matrix calculator
    // leaves it.
    glMatrixMode(GL_MODELVIEW);
    Matrix4 world = Matrix4::identity();
    if (parent != nullptr) {
        parent->appendTransform(world);
    }
    appendTransform(world);

    const GrownBox box(world, ball->radius, scale.x, scale.y, scale.z);
    const GrownBox::Hit hit = box.nearestHit(*ball);
    if (hit.face < 0) {
        return kNoHit;
    }
    keptFace = std::make_unique<Face>(box.face(hit.face));
    return hit.distance;
}

void Block::setParent(SceneObject* p) {
    parent = p;
}
