// SPDX-License-Identifier: MIT
// Follows libGLU's src/libutil/project.c line by line; the precision of each
// step (double or float) is libGLU's.
#include "web/glu_math.h"

#include <cmath>

namespace web {
namespace {

constexpr double kGluPi = 3.14159265358979323846;

// The float normalisation of libGLU: the length is a double square root of a
// float sum; a zero vector is left as it is.
void normalize(float v[3]) {
    const float r = static_cast<float>(std::sqrt(double(v[0] * v[0] + v[1] * v[1] + v[2] * v[2])));
    if (r == 0.0) {
        return;
    }
    v[0] /= r;
    v[1] /= r;
    v[2] /= r;
}

void cross(const float v1[3], const float v2[3], float result[3]) {
    result[0] = v1[1] * v2[2] - v1[2] * v2[1];
    result[1] = v1[2] * v2[0] - v1[0] * v2[2];
    result[2] = v1[0] * v2[1] - v1[1] * v2[0];
}

}  // namespace

void perspective(MatrixStack& stack, double fovyDegrees, double aspect, double zNear, double zFar) {
    const double radians = fovyDegrees / 2 * kGluPi / 180;
    const double deltaZ = zFar - zNear;
    const double sine = std::sin(radians);
    if (deltaZ == 0 || sine == 0 || aspect == 0) {
        return;
    }
    const double cotangent = std::cos(radians) / sine;
    double m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    m[0] = cotangent / aspect;
    m[5] = cotangent;
    m[10] = -(zFar + zNear) / deltaZ;
    m[11] = -1;
    m[14] = -2 * zNear * zFar / deltaZ;
    m[15] = 0;
    stack.multiply(m);
}

void lookAt(MatrixStack& stack, double eyeX, double eyeY, double eyeZ, double centerX,
            double centerY, double centerZ, double upX, double upY, double upZ) {
    float forward[3] = {static_cast<float>(centerX - eyeX), static_cast<float>(centerY - eyeY),
                        static_cast<float>(centerZ - eyeZ)};
    float up[3] = {static_cast<float>(upX), static_cast<float>(upY), static_cast<float>(upZ)};
    float side[3];
    normalize(forward);
    cross(forward, up, side);  // side = forward × up
    normalize(side);
    cross(side, forward, up);  // up = side × forward

    // Rows side, up and -forward, column-major.
    const float m[16] = {side[0], up[0], -forward[0], 0, side[1], up[1], -forward[1], 0,
                         side[2], up[2], -forward[2], 0, 0,       0,     0,           1};
    stack.multiply(m);
    stack.translate(static_cast<float>(-eyeX), static_cast<float>(-eyeY),
                    static_cast<float>(-eyeZ));
}

void pickMatrix(MatrixStack& stack, double x, double y, double width, double height,
                const int viewport[4]) {
    if (width <= 0 || height <= 0) {
        return;
    }
    stack.translate(static_cast<float>((viewport[2] - 2 * (x - viewport[0])) / width),
                    static_cast<float>((viewport[3] - 2 * (y - viewport[1])) / height), 0);
    stack.scale(static_cast<float>(viewport[2] / width), static_cast<float>(viewport[3] / height),
                1.0f);
}

}  // namespace web
