// SPDX-License-Identifier: MIT
#pragma once

// A plain triple of the object transform: scale, position, shape scale and
// shape offset.
struct Float3 {
    float x;
    float y;
    float z;
};

// The four lighting values of an object. The colours point at constant
// four-float tables that live for the whole run; a Material never owns them.
struct Material {
    const float* ambient;
    const float* diffuse;
    const float* specular;
    float shininess;

    // Sends the four values to OpenGL for front faces, in the order ambient,
    // diffuse, specular, shininess (unscaled).
    void apply() const;
};

// The white colour (1, 1, 1, 1) that every object starts with.
extern const float kWhite[4];
