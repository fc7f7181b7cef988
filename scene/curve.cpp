// SPDX-License-Identifier: MIT
#include "scene/curve.h"

#include <cmath>
#include <limits>

#include "geometry/angles.h"
#include "scene/ball.h"

namespace {

// The arc: blocks 8 degrees apart on a circle of radius 0.5, 0.1 thick
// radially, 0.1 long along the arc and 0.2 wide in z.
constexpr float kStepDegrees = 8.0f;
constexpr double kArcRadius = 0.5;
constexpr Float3 kMemberScale{0.1f, 0.1f, 0.2f};
// Degrees to radians in single precision, formed as (π × a) × (1/180).
constexpr float kOneOver180 = 0.0055555557f;

constexpr float kNoHit = -1.0f;

}  // namespace

Curve::Curve() {
    build();
}

// The ten member blocks, each releasing its kept face, go before the base.
Curve::~Curve() = default;

void Curve::build() {
    float degrees = 0.0f;
    for (Block& member : blocks) {
        // The angle is formed in double and stored as a float; its cosine and
        // sine are taken in double (the float ones are not correctly rounded
        // everywhere) and each coordinate is rounded once.
        const float radians =
            static_cast<float>((double(kPi) * double(degrees)) * double(kOneOver180));
        member.setParent(this);
        member.setScale(kMemberScale.x, kMemberScale.y, kMemberScale.z);
        member.setRotation(degrees, 0.0f, 0.0f, 1.0f);
        member.setPosition(static_cast<float>(kArcRadius * std::cos(double(radians))),
                           static_cast<float>(kArcRadius * std::sin(double(radians))), 0.0f);
        degrees += kStepDegrees;
    }
}

void Curve::drawShape() {
    for (Block& member : blocks) {
        member.draw();
    }
}

void Curve::resolveHit(Ball* ball) {
    blocks[nearestBlock].resolveHit(ball);
}

float Curve::hitDistance(Ball* ball) {
    // A step outside the bound around all ten blocks would get -1 from each of
    // them, which leaves every kept face and nearestBlock as they are.
    if (!collisionBound(ball->radius).mayMeet(ball->center(), ball->stepVector())) {
        return kNoHit;
    }
    const float none = std::numeric_limits<float>::max();
    float best = none;
    // Every block is asked, without stopping early, because each keeps the
    // face of its own hit; strict, so of equal distances the lower index wins.
    for (int i = 0; i < kBlockCount; ++i) {
        const float t = blocks[i].hitDistance(ball);
        if (t >= 0.0f && t < best) {
            best = t;
            nearestBlock = i;
        }
    }
    return best == none ? kNoHit : best;
}

bool Curve::pushOut(Ball* ball) {
    // A centre outside the bound around all ten blocks is inside none of them.
    if (!collisionBound(ball->radius).holds(ball->center())) {
        return false;
    }
    bool moved = false;
    for (Block& member : blocks) {
        moved = member.pushOut(ball) || moved;
    }
    return moved;
}

void Curve::appendGrownBoxes(float radius, std::vector<const GrownBox*>& boxes) {
    for (Block& member : blocks) {
        member.appendGrownBoxes(radius, boxes);
    }
}

PlacementChange Curve::takePlacementChange(PieceMove& move) {
    return recordPlacement(placement, *this, move);
}

void Curve::appendBlockVolumes(float radius, const Point3* near, double reach,
                               std::vector<BlockVolume>& volumes) {
    if (near != nullptr && !collisionBound(radius).near(*near, reach)) {
        return;
    }
    volumes.reserve(volumes.size() + kBlockCount);
    for (Block& member : blocks) {
        member.appendVolume(radius, near, reach, member.getParent() == this, volumes);
    }
}

const HitBound& Curve::collisionBound(float radius) {
    const std::uint64_t generations = memberGeneration();
    if (boundGeneration == transformGeneration() && boundMemberGenerations == generations &&
        boundRadius == radius) {
        return bound;
    }
    HitBound members[kBlockCount];
    for (int i = 0; i < kBlockCount; ++i) {
        members[i] = blocks[i].collisionBound(radius);
    }
    bound = HitBound::around(members, kBlockCount);
    boundGeneration = transformGeneration();
    boundMemberGenerations = generations;
    boundRadius = radius;
    return bound;
}
