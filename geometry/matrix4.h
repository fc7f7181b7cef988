// SPDX-License-Identifier: MIT
#pragma once

// A 4 by 4 single-precision matrix in OpenGL's column-major order, with the
// three products that build an object's transform. Each product post-multiplies
// the receiver, as glTranslatef, glMultMatrixf and glScalef do to the current
// matrix, and computes in single precision in the same order, so a transform
// built here equals the one the modelview stack would give.
struct Matrix4 {
    float m[16];

    static Matrix4 identity();

    // this := this · T(x, y, z).
    void translate(float x, float y, float z);
    // this := this · b, with b column-major.
    void multiply(const float b[16]);
    // this := this · S(x, y, z).
    void scale(float x, float y, float z);
};
