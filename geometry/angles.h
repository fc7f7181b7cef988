// SPDX-License-Identifier: MIT
#pragma once

// π as the single-precision float that every angle constant of the toy is
// derived from (degrees to radians, the camera's limits, the inside test's 2π).
constexpr float kPi = 3.1415927f;
