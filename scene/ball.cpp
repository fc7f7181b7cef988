// SPDX-License-Identifier: MIT
#include "scene/ball.h"

#include <GL/freeglut.h>

Ball::Ball(float radius, float mass, const Point3& center, const Vector3& velocity)
    : mass(mass), radius(radius), centerPoint(center), velocity(velocity) {}

void Ball::setMotion(const Vector3& v) {
    velocity = v;
    step = v;
}

void Ball::setHeading(const Vector3& v) {
    const float previousLength = static_cast<float>(step.length());
    step = v;
    step.normalize();
    step *= previousLength;
    velocity = v;
}

void Ball::advance() {
    centerPoint += step;
    velocity += acceleration;
    step = velocity;
}

void Ball::drawShape() {
    glTranslatef(centerPoint.x, centerPoint.y, centerPoint.z);
    glutSolidSphere(radius, 30, 30);
}
