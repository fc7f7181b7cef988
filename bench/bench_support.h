// SPDX-License-Identifier: MIT
#pragma once

#include <cmath>
#include <memory>
#include <random>

#include "scene/block.h"
#include "scene/curve.h"
#include "scene/scene_list.h"

// The hidden 600 by 600 GLUT window whose context the benchmarks run in.
int benchWindow();

// Uniform floats in [lo, hi), computed as libstdc++'s
// std::uniform_real_distribution<float> computes them from one word of a
// 32-bit generator (the word scaled by 2^-32, kept below 1), but spelled out,
// because each standard library has its own way: the courses do not depend on
// the library they are built with, and the draws stay what they were.
class UniformFloat {
  public:
    UniformFloat(float lo, float hi) : lo_(lo), hi_(hi) {}
    float operator()(std::mt19937& rng) const {
        float unit = static_cast<float>(rng()) * (1.0f / 4294967296.0f);
        if (unit >= 1.0f) unit = std::nextafter(1.0f, 0.0f);
        return unit * (hi_ - lo_) + lo_;
    }

  private:
    float lo_;
    float hi_;
};

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
    const UniformFloat unit(-1.0f, 1.0f);
    SceneList course;
    for (int i = 0; i < count; ++i) {
        std::unique_ptr<Piece> piece = alternatingPiece(i);
        // One draw a declarator, since compilers evaluate arguments in different
        // orders; last argument first, the order the desktop's has used.
        const float z = hz * unit(rng), y = hy * unit(rng), x = hx * unit(rng);
        piece->setPosition(x, y, z);
        const float axisY = unit(rng), axisX = unit(rng), angle = 180.0f * unit(rng);
        piece->setRotation(angle, axisX, axisY, 1.0f);
        course.push_back(std::move(piece));
    }
    return course;
}
