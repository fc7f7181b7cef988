// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "geometry/swept_push_out.h"
#include "scene/material.h"

class SceneObject;

// The placement a piece had at the last tick (position, rotation and scale),
// so that the next tick can tell how it was moved since.
class PlacementRecord {
  public:
    // How `object` was placed since the last call: kNone when it was not, or
    // was set back where it stood; kMoved, with `move` filled in, when it was
    // moved or turned; kNew at the first call and after a change of scale.
    // Then records the placement it has now for the next call.
    PlacementChange take(const SceneObject& object, PieceMove& move);

  private:
    bool known = false;
    // The object's transform generation when recorded: while it is the same
    // nothing was set, and nothing needs comparing.
    std::uint64_t generation = 0;
    Float3 position{};
    Float3 scale{};
    std::array<float, 16> rotation{};
};

// `record`'s take for `object`, the record made at the first call: only a
// piece of the course is asked, not a curve's member blocks, so those carry
// none.
PlacementChange recordPlacement(std::unique_ptr<PlacementRecord>& record, const SceneObject& object,
                                PieceMove& move);
