#pragma once

#include <memory>
#include <random>

#include "scene/block.h"
#include "scene/curve.h"
#include "scene/scene_list.h"

// The hidden 600 by 600 GLUT window whose context the benchmarks run in.
int benchWindow();

// Piece i of a benchmark course: blocks at even places, curves at odd ones.
inline std::unique_ptr<Piece> alternatingPiece(int i) {
    if (i % 2 == 0) {
        return std::make_unique<Block>();
    }
    return std::make_unique<Curve>();
}

// `count` pieces, alternately blocks and curves, scattered and turned at
// random (fixed seed) in the box |x| <= half.x, |y| <= half.y, |z| <= half.z.
inline SceneList scatteredCourse(int count, float hx, float hy, float hz, unsigned seed = 1) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    SceneList course;
    for (int i = 0; i < count; ++i) {
        std::unique_ptr<Piece> piece = alternatingPiece(i);
        piece->setPosition(hx * unit(rng), hy * unit(rng), hz * unit(rng));
        piece->setRotation(180.0f * unit(rng), unit(rng), unit(rng), 1.0f);
        course.push_back(std::move(piece));
    }
    return course;
}
