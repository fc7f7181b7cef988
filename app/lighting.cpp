// SPDX-License-Identifier: MIT
#include "app/lighting.h"

#include <GL/gl.h>

const float kLightPosition[4] = {5.0f, 5.0f, 1.0f, 1.0f};

namespace {

const float kLightDiffuse[4] = {0.4f, 0.4f, 0.4f, 1.0f};
const float kLightAmbient[4] = {0.7f, 0.7f, 0.7f, 1.0f};
const float kLightSpecular[4] = {0.4f, 0.4f, 0.4f, 1.0f};

}  // namespace

void initLighting() {
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, kLightDiffuse);
    glLightfv(GL_LIGHT0, GL_AMBIENT, kLightAmbient);
    glLightfv(GL_LIGHT0, GL_SPECULAR, kLightSpecular);
    glShadeModel(GL_SMOOTH);
}
