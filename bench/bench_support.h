#pragma once

#include <memory>

#include "scene/block.h"
#include "scene/curve.h"

// The hidden 600 by 600 GLUT window whose context the benchmarks run in.
int benchWindow();

// Piece i of a benchmark course: blocks at even places, curves at odd ones.
inline std::unique_ptr<Piece> alternatingPiece(int i) {
    if (i % 2 == 0) {
        return std::make_unique<Block>();
    }
    return std::make_unique<Curve>();
}
