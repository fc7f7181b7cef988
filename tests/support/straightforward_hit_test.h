// SPDX-License-Identifier: MIT
#pragma once

// The straightforward hit test, kept as the reference for the cached one:
// every call rebuilds the block's world matrix and grown box from the current
// transforms and tests all six faces. The faces it keeps and the curves'
// nearest blocks live here, not in the pieces, so that both hit tests can run
// over the same course side by side, each with a ball of its own.
#include <algorithm>
#include <array>
#include <cstring>
#include <deque>
#include <limits>
#include <memory>
#include <unordered_map>
#include <vector>

#include "geometry/grown_box.h"
#include "geometry/matrix4.h"
#include "geometry/push_out.h"
#include "geometry/simulation_step.h"
#include "geometry/swept_push_out.h"
#include "geometry/wedge_push_out.h"
#include "scene/ball.h"
#include "scene/block.h"
#include "scene/curve.h"
#include "scene/scene_list.h"

// The block's world matrix, parent × own, built from scratch.
inline Matrix4 straightforwardWorld(const Block& block) {
    Matrix4 world = Matrix4::identity();
    if (block.getParent() != nullptr) {
        block.getParent()->appendTransform(world);
    }
    block.appendTransform(world);
    return world;
}

// The block's grown box, built from scratch.
inline GrownBox straightforwardBox(const Block& block, float radius) {
    const Float3 s = block.getScale();
    return GrownBox(straightforwardWorld(block), radius, s.x, s.y, s.z);
}

// Every box the ball can meet: the free blocks and the curves' members, in the
// order the hit test takes them.
inline void appendCollisionBlocks(const Piece& piece, std::vector<const Block*>& blocks) {
    if (const auto* curve = dynamic_cast<const Curve*>(&piece)) {
        for (int i = 0; i < Curve::kBlockCount; ++i) blocks.push_back(&curve->block(i));
    } else {
        blocks.push_back(static_cast<const Block*>(&piece));
    }
}

inline std::vector<const Block*> collisionBlocks(const SceneList& pieces) {
    std::vector<const Block*> blocks;
    for (const auto& piece : pieces) appendCollisionBlocks(*piece, blocks);
    return blocks;
}

// A block's hit distance built from scratch, -1 for none; a hit replaces
// `kept` with a copy of the nearest face, a miss leaves it.
inline float straightforwardBlockHit(const Block& block, const Ball& ball,
                                     std::unique_ptr<Face>& kept) {
    const GrownBox box = straightforwardBox(block, ball.radius);
    const GrownBox::Hit hit = box.nearestHit(ball);
    if (hit.face < 0) {
        return -1.0f;
    }
    kept = std::make_unique<Face>(box.face(hit.face));
    return hit.distance;
}

class StraightforwardHits {
  public:
    // The piece's hit distance, -1 for none, as Piece::hitDistance defines it.
    float hitDistance(const Piece& piece, const Ball& ball) {
        if (const auto* block = dynamic_cast<const Block*>(&piece)) {
            return blockHit(*block, ball);
        }
        const auto& curve = static_cast<const Curve&>(piece);
        float best = std::numeric_limits<float>::max();
        for (int i = 0; i < Curve::kBlockCount; ++i) {
            const float t = blockHit(curve.block(i), ball);
            if (t >= 0.0f && t < best) {
                best = t;
                nearest[&curve] = i;
            }
        }
        return best == std::numeric_limits<float>::max() ? -1.0f : best;
    }

    // Bounces off the face the piece's last hit kept, then forgets it.
    void resolveHit(const Piece& piece, Ball& ball) {
        const Block* block = dynamic_cast<const Block*>(&piece);
        if (block == nullptr) {
            const auto& curve = static_cast<const Curve&>(piece);
            block = &curve.block(nearest[&curve]);
        }
        auto face = kept.find(block);
        if (face != kept.end() && face->second) {
            face->second->bounce(ball);
            kept.erase(face);
            ++bounces;
        }
    }

    // Moves the centre out of every box that holds it, testing all six faces
    // of every block with no bound first, in rounds as the cached step does;
    // a centre the rounds leave inside a box is moved clear of all of them.
    void pushOut(Ball& ball, const SceneList& pieces) {
        const Point3 start = ball.center();
        for (int round = 0; round < kMaxPushOutRounds; ++round) {
            bool moved = false;
            for (const Block* block : collisionBlocks(pieces)) {
                if (pushOutOfBox(straightforwardBox(*block, ball.radius), ball)) {
                    moved = true;
                    ++pushOuts;
                }
            }
            if (!moved) {
                return;
            }
        }
        std::vector<GrownBox> boxes;
        for (const Block* block : collisionBlocks(pieces)) {
            boxes.push_back(straightforwardBox(*block, ball.radius));
        }
        std::vector<const GrownBox*> all;
        for (const GrownBox& box : boxes) all.push_back(&box);
        wedges += pushOutOfWedge(all, start, ball);
    }

    // A piece moved into the ball since the last call pushes it out the way
    // it came; every piece and block is handed over, built from scratch, and
    // each piece's placement is compared whole with the one it had then.
    bool pushOutOfSweeps(Ball& ball, const SceneList& pieces) {
        std::vector<SweptPiece> course;
        for (const auto& piece : pieces) {
            course.push_back(SweptPiece{placementChange(*piece), lastMove, {}});
        }
        if (std::none_of(course.begin(), course.end(),
                         [](const SweptPiece& p) { return p.change == PlacementChange::kMoved; })) {
            return false;
        }
        std::deque<GrownBox> grown;
        std::vector<const GrownBox*> boxes;
        for (size_t i = 0; i < pieces.size(); ++i) {
            std::vector<const Block*> blocks;
            appendCollisionBlocks(*pieces[i], blocks);
            for (const Block* block : blocks) {
                grown.push_back(straightforwardBox(*block, ball.radius));
                boxes.push_back(&grown.back());
                const Float3 s = block->getScale();
                const bool carried =
                    block == pieces[i].get() || block->getParent() == pieces[i].get();
                course[i].blocks.push_back(BlockVolume{&grown.back(), straightforwardWorld(*block),
                                                       s.x, s.y, s.z, carried});
            }
        }
        const bool swept = ::pushOutOfSweeps(
            course, [&boxes] { return boxes; }, ball);
        sweeps += swept;
        return swept;
    }

    // The simulation step with the push-outs and the hit tests above.
    void simulationStep(Ball& ball, const SceneList& pieces) {
        if (!pushOutOfSweeps(ball, pieces)) pushOut(ball, pieces);
        int resolutions = 0;
        const Piece* nearestPiece = nullptr;
        do {
            nearestPiece = nullptr;
            float best = std::numeric_limits<float>::max();
            for (const auto& piece : pieces) {
                const float d = hitDistance(*piece, ball);
                if (d >= 0.0f && d < best) {
                    nearestPiece = piece.get();
                    best = d;
                }
            }
            if (nearestPiece != nullptr) {
                resolveHit(*nearestPiece, ball);
                ++resolutions;
            }
            if (resolutions >= kMaxResolutionsPerStep) {
                ball.setMotion(Vector3(0.0f, 0.0f, 0.0f));
            }
        } while (nearestPiece != nullptr);
        ball.advance();
    }

    // Drops what is remembered for a piece about to be destroyed.
    void forget(const Piece& piece) {
        placements.erase(&piece);
        if (const auto* block = dynamic_cast<const Block*>(&piece)) {
            kept.erase(block);
            return;
        }
        const auto& curve = static_cast<const Curve&>(piece);
        for (int i = 0; i < Curve::kBlockCount; ++i) {
            kept.erase(&curve.block(i));
        }
        nearest.erase(&curve);
    }

    // How many bounces resolveHit has made, how many times pushOut has moved
    // the ball out of a box, how many steps it found the ball wedged, and how
    // many a moved piece pushed it out the way it came.
    int bounces = 0;
    int pushOuts = 0;
    int wedges = 0;
    int sweeps = 0;

  private:
    struct Placement {
        Float3 position, scale;
        std::array<float, 16> rotation;
    };

    static bool sameBits(const Float3& a, const Float3& b) {
        return std::memcmp(&a, &b, sizeof a) == 0;
    }

    // The piece's placement against the one it had at the last call, which it
    // then replaces: moved when only its position or rotation differ (the
    // move in lastMove), new when it was not seen before or was resized.
    PlacementChange placementChange(const Piece& piece) {
        Placement now{piece.getPosition(), piece.getScale(), {}};
        std::memcpy(now.rotation.data(), piece.rotationMatrix(), sizeof now.rotation);
        auto before = placements.find(&piece);
        PlacementChange change = PlacementChange::kNew;
        if (before != placements.end() && sameBits(before->second.scale, now.scale)) {
            const Placement& b = before->second;
            change = PlacementChange::kNone;
            if (!sameBits(b.position, now.position) ||
                std::memcmp(b.rotation.data(), now.rotation.data(), sizeof now.rotation) != 0) {
                change = PlacementChange::kMoved;
                lastMove = PieceMove{Point3(b.position.x, b.position.y, b.position.z),
                                     Point3(now.position.x, now.position.y, now.position.z),
                                     b.rotation, now.rotation};
            }
        }
        placements[&piece] = now;
        return change;
    }

    float blockHit(const Block& block, const Ball& ball) {
        std::unique_ptr<Face> face;
        const float d = straightforwardBlockHit(block, ball, face);
        if (face) {
            kept[&block] = std::move(face);
        }
        return d;
    }

    std::unordered_map<const Block*, std::unique_ptr<Face>> kept;
    std::unordered_map<const Curve*, int> nearest;
    std::unordered_map<const Piece*, Placement> placements;
    PieceMove lastMove{};
};
