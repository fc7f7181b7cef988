// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <vector>

#include "scene/piece.h"

// The placed pieces in creation order. A piece's index is its pick name; the
// list owns the pieces.
using SceneList = std::vector<std::unique_ptr<Piece>>;
