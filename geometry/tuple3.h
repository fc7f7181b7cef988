// SPDX-License-Identifier: MIT
#pragma once

// A plain triple of single-precision floats with no arithmetic; scene objects
// carry one as a spare slot that nothing reads.
class Tuple3 {
  public:
    Tuple3() = default;
    Tuple3(float x, float y, float z) : x(x), y(y), z(z) {}
    Tuple3(const Tuple3&) = default;
    Tuple3& operator=(const Tuple3&) = default;
    virtual ~Tuple3() = default;

    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};
