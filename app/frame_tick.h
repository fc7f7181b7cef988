// SPDX-License-Identifier: MIT
#pragma once

struct AppState;

// The tick's work: swing the camera one step, run one simulation step unless
// paused (or paused with a step requested, which it consumes), and ask for a
// redisplay of the current window.
void advanceFrame(AppState& state);

// GLUT timer callback, every 20 ms: advanceFrame, then re-arm the timer.
void frameTick(int value);

// Period of the frame tick in milliseconds.
constexpr unsigned kFrameMilliseconds = 20;
