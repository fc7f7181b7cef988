// SPDX-License-Identifier: MIT
#include "geometry/vector3.h"

#include <cmath>

#include "geometry/rounding.h"

Vector3 Vector3::operator+(const Vector3& v) const {
    return Vector3(rounded(double(x) + v.x), rounded(double(y) + v.y), rounded(double(z) + v.z));
}

Vector3& Vector3::operator+=(const Vector3& v) {
    *this = *this + v;
    return *this;
}

Vector3& Vector3::operator-=(const Vector3& v) {
    x = rounded(double(x) - v.x);
    y = rounded(double(y) - v.y);
    z = rounded(double(z) - v.z);
    return *this;
}

Vector3 Vector3::operator*(float s) const {
    return Vector3(rounded(double(x) * s), rounded(double(y) * s), rounded(double(z) * s));
}

Vector3& Vector3::operator*=(float s) {
    *this = *this * s;
    return *this;
}

Vector3 Vector3::operator/(float s) const {
    const double r = 1.0 / double(s);
    return Vector3(rounded(x * r), rounded(y * r), rounded(z * r));
}

double Vector3::dot(const Vector3& v) const {
    return double(z) * v.z + double(y) * v.y + double(x) * v.x;
}

Vector3 Vector3::cross(const Vector3& v) const {
    return Vector3(rounded(double(y) * v.z - double(z) * v.y),
                   rounded(double(z) * v.x - double(x) * v.z),
                   rounded(double(x) * v.y - double(y) * v.x));
}

double Vector3::length() const {
    return std::sqrt(double(x) * x + double(y) * y + double(z) * z);
}

double Vector3::angle(const Vector3& v) const {
    return std::acos(dot(v) / (length() * v.length()));
}

void Vector3::normalize() {
    const double len = length();
    // A NaN length fails the comparison too, so it leaves the vector alone.
    if (len > 0.0) {
        *this = *this / rounded(len);
    }
}

void Vector3::setLength(float s) {
    normalize();
    *this *= s;
}
