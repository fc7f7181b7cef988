// SPDX-License-Identifier: MIT
#pragma once

#include "geometry/vector3.h"

// A position of three single-precision floats. The difference of two points
// is itself a Point3, and may be added to a point as an offset.
class Point3 {
  public:
    Point3() = default;
    Point3(float x, float y, float z) : x(x), y(y), z(z) {}
    Point3(const Point3&) = default;
    Point3& operator=(const Point3&) = default;
    virtual ~Point3() = default;

    Point3 operator+(const Vector3& v) const;
    Point3 operator+(const Point3& b) const;
    Point3& operator+=(const Vector3& v);
    Point3 operator-(const Point3& b) const;
    Point3 operator*(float s) const;
    // The same three components read as a displacement.
    Vector3 asVector() const { return Vector3(x, y, z); }

    // Replaces the point by the first three components of m·(x, y, z, 1), m
    // being 16 floats in OpenGL's column-major order. Computed in single
    // precision in the order OpenGL's matrix stack uses, so the result equals
    // what the stack gives; no division by w.
    void transform(const float m[16]);

    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// √(dz² + dy² + dx²) with d = a − b, in double, unrounded.
double distance(const Point3& a, const Point3& b);
