// SPDX-License-Identifier: MIT
#pragma once

// Light 0 sits at (5, 5, 1), a positional light placed by each display right
// after its view transform so that it stays fixed in the world.
extern const float kLightPosition[4];

// Lighting for the window whose context is current: light 0 with its diffuse,
// ambient and specular colours, and smooth shading.
void initLighting();
