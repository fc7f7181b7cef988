// SPDX-License-Identifier: MIT
#pragma once

#include "geometry/point3.h"
#include "geometry/vector3.h"
#include "scene/scene_object.h"

// The one simulated object: a sphere at `centerPoint` that falls under a
// constant per-tick acceleration. Its object transform stays at the defaults;
// the centre alone places it. Velocity, step and acceleration are in scene
// units per tick (per tick per tick for the acceleration).
class Ball : public SceneObject {
  public:
    // Step and acceleration start at zero, so a given velocity first moves the
    // ball on the second advance.
    Ball(float radius, float mass, const Point3& center, const Vector3& velocity);

    Point3 center() const { return centerPoint; }
    Vector3 stepVector() const { return step; }
    Vector3 velocityVector() const { return velocity; }
    Vector3 accelerationVector() const { return acceleration; }

    void setCenter(const Point3& p) { centerPoint = p; }
    // velocity := v and step := v.
    void setMotion(const Vector3& v);
    // velocity := v; step takes v's direction and keeps its own length (a zero
    // v or a zero step leaves the step zero).
    void setHeading(const Vector3& v);
    void setAcceleration(const Vector3& a) { acceleration = a; }

    // One tick: centre += step, velocity += acceleration, step := velocity.
    virtual void advance();
    // A sphere of `radius` at the centre, 30 slices and 30 stacks.
    void drawShape() override;

    float mass;
    float radius;

  private:
    Point3 centerPoint;
    Vector3 velocity;
    Vector3 step;
    Vector3 acceleration;
};
