// SPDX-License-Identifier: MIT
#pragma once

// value rounded once to single precision, to nearest. The geometry computes in
// double within one operation and stores floats: this marks each place where a
// result is stored, so the rounding is seen where it happens.
constexpr float rounded(double value) {
    return static_cast<float>(value);
}
