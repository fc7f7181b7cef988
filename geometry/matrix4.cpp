// SPDX-License-Identifier: MIT
#include "geometry/matrix4.h"

#include <cstddef>

Matrix4 Matrix4::identity() {
    return Matrix4{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
}

void Matrix4::translate(float x, float y, float z) {
    for (int row = 0; row < 4; ++row) {
        m[12 + row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row];
    }
}

void Matrix4::multiply(const float b[16]) {
    float product[16];
    for (int row = 0; row < 4; ++row) {
        const float a0 = m[row], a1 = m[4 + row], a2 = m[8 + row], a3 = m[12 + row];
        for (std::ptrdiff_t col = 0; col < 4; ++col) {
            const float* bc = b + 4 * col;
            product[4 * col + row] = a0 * bc[0] + a1 * bc[1] + a2 * bc[2] + a3 * bc[3];
        }
    }
    for (int i = 0; i < 16; ++i) {
        m[i] = product[i];
    }
}

void Matrix4::scale(float x, float y, float z) {
    for (int row = 0; row < 4; ++row) {
        m[row] *= x;
        m[4 + row] *= y;
        m[8 + row] *= z;
    }
}
