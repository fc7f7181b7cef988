#pragma once

#include "geometry/vector3.h"

// The unit-sphere point over trackball coordinates (u, v) in [-1, 1]; points
// outside the unit circle land on the sphere's equator.
Vector3 projectToSphere(float u, float v);

// GLUT motion callback (a button held): one trackball drag step while a drag
// is active; the piece turns by the whole degrees between the last two sphere
// points about their cross product.
void onMotion(int x, int y);
