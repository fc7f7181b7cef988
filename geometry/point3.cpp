// SPDX-License-Identifier: MIT
#include "geometry/point3.h"

#include <cmath>

#include "geometry/rounding.h"

Point3 Point3::operator+(const Vector3& v) const {
    return Point3(rounded(double(x) + v.x), rounded(double(y) + v.y), rounded(double(z) + v.z));
}

Point3 Point3::operator+(const Point3& b) const {
    return Point3(rounded(double(x) + b.x), rounded(double(y) + b.y), rounded(double(z) + b.z));
}

Point3& Point3::operator+=(const Vector3& v) {
    *this = *this + v;
    return *this;
}

Point3 Point3::operator-(const Point3& b) const {
    return Point3(rounded(double(x) - b.x), rounded(double(y) - b.y), rounded(double(z) - b.z));
}

Point3 Point3::operator*(float s) const {
    return Point3(rounded(double(x) * s), rounded(double(y) * s), rounded(double(z) * s));
}

void Point3::transform(const float m[16]) {
    // Single precision, summed left to right as the matrix stack does when it
    // multiplies m by the column (x, y, z, 1).
    const float px = x, py = y, pz = z;
    x = m[0] * px + m[4] * py + m[8] * pz + m[12];
    y = m[1] * px + m[5] * py + m[9] * pz + m[13];
    z = m[2] * px + m[6] * py + m[10] * pz + m[14];
}

double distance(const Point3& a, const Point3& b) {
    const Point3 d = a - b;
    return std::sqrt(double(d.z) * d.z + double(d.y) * d.y + double(d.x) * d.x);
}
