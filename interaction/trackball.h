// SPDX-License-Identifier: MIT
#pragma once

#include "geometry/vector3.h"

struct AppState;

// The unit-sphere point over trackball coordinates (u, v). Inside the unit
// circle (its rim included) z = √(1 - u² - v²); outside it the point lands
// on the sphere's equator, (u, v, 0) scaled to unit length.
Vector3 projectToSphere(float u, float v);

// Whole degrees between two sphere points: the angle truncated toward zero,
// as a float from 0 to 179 (π over the float π falls just short of 180); 0
// when the angle is not a number.
float wholeDegreesBetween(const Vector3& from, const Vector3& to);

// Starts a drag at window pixel (x, y): trackballVector := the sphere point
// under it and trackballActive := 1. Returns false and changes nothing when
// there is no current piece, or when the window is too small (under two
// pixels wide or high) to give the point trackball coordinates.
bool beginDrag(AppState& state, int x, int y);

// One drag step to the sphere point over (u, v): turns the current piece, if
// any, by the whole degrees from trackballVector about their cross product,
// then stores the new point. A turn of 0 degrees or about a zero axis leaves
// the piece untouched. Without a previous point the step only stores the new
// one. Runs whether or not trackballActive is set.
void dragStep(AppState& state, float u, float v);

// The motion of a held button to window pixel (x, y): a drag step while
// trackballActive is exactly 1. Returns whether a step ran, so the caller
// knows to redisplay; false also when the window is too small to map (x, y).
bool dragTo(AppState& state, int x, int y);

// GLUT motion callback (a button held): dragTo on the application state, then
// a redisplay request if a step ran.
void onMotion(int x, int y);
