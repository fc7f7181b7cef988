// SPDX-License-Identifier: MIT
#include "scene/material.h"

#include <GL/gl.h>

const float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};

void Material::apply() const {
    glMaterialfv(GL_FRONT, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
    glMaterialf(GL_FRONT, GL_SHININESS, shininess);
}
