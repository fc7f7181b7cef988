// SPDX-License-Identifier: MIT
#pragma once

#include "scene/scene_list.h"

class Ball;

// The most bounces one tick resolves; from the tenth on the ball is stopped,
// which ends the tick's collision loop.
constexpr int kMaxResolutionsPerStep = 10;

// One tick of the ball: bounce it off the nearest piece along its step,
// repeating from the same centre with the turned step until nothing is hit,
// then advance it. Of equally near pieces the earlier in the list bounces.
// Changes the ball and the pieces' remembered faces, never the list.
void simulationStep(Ball& ball, const SceneList& pieces);
