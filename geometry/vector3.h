// SPDX-License-Identifier: MIT
#pragma once

// A direction or displacement of three single-precision floats. Every
// operation computes in double precision and rounds once where it stores a
// component; scalar queries return the unrounded double.
class Vector3 {
  public:
    Vector3() = default;
    Vector3(float x, float y, float z) : x(x), y(y), z(z) {}
    Vector3(const Vector3&) = default;
    Vector3& operator=(const Vector3&) = default;
    virtual ~Vector3() = default;

    Vector3 operator+(const Vector3& v) const;
    Vector3& operator+=(const Vector3& v);
    Vector3& operator-=(const Vector3& v);
    Vector3 operator*(float s) const;
    Vector3& operator*=(float s);
    // Multiplies by 1/s formed in double; s == 0 follows IEEE (inf or NaN).
    Vector3 operator/(float s) const;

    // this · v as z·v.z + y·v.y + x·v.x, summed in that order, in double.
    double dot(const Vector3& v) const;
    // this × v, right-handed, the receiver on the left.
    Vector3 cross(const Vector3& v) const;
    // Radians in [0, π]; NaN for a zero operand or a cosine that rounding
    // pushed outside [-1, 1] (no clamping: the face's inside test relies on it).
    double angle(const Vector3& v) const;
    // Unit length; a vector whose length is zero or NaN is left unchanged.
    void normalize();
    // normalize(), then scale by s; a zero vector stays zero.
    void setLength(float s);
    // √(x² + y² + z²) in double.
    double length() const;

    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// Whether every component of v is zero: a collapsed box's face normal, or the
// axis of two parallel trackball points, neither of which points anywhere.
inline bool isZero(const Vector3& v) {
    return v.x == 0.0f && v.y == 0.0f && v.z == 0.0f;
}
