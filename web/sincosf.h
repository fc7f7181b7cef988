// SPDX-License-Identifier: MIT
// The single-precision sine and cosine that the desktop's driver turns with:
// glibc's sincosf as its FMA build runs on x86-64 processors with FMA and
// AVX2, reproduced with std::fma so that a build with another C library (the
// browser's) gives the same bits. Checked against glibc over every float.
#pragma once

namespace web {

// *sinp := sin(y) and *cosp := cos(y), rounded as glibc's sincosf rounds them.
void sinCosf(float y, float* sinp, float* cosp);

}  // namespace web
