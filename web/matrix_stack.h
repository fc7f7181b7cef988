// SPDX-License-Identifier: MIT
#pragma once

// A fixed-function matrix stack for the browser build, computing exactly what
// the desktop's modelview stack (Mesa 22.3 on glibc, x86-64) computes: the
// same single-precision products in the same order, the same shortcuts
// (a glMultMatrix by the identity and a glRotate by 0 degrees change nothing)
// and the same choice between Mesa's full and three-row products, which Mesa
// makes from matrix flags that it analyses when a matrix is pushed. The sine
// and cosine of a turn are glibc's single-precision ones as x86-64 processors
// with FMA and AVX2 run them, whatever the C library of the build.
//
// Not reproduced:
// - Mesa also analyses the top matrix when it draws. A glRotate that follows a
//   draw on the same, unpushed matrix may then take the other product, which
//   differs only in the sign of a zero element (or in a NaN beside an infinite
//   element). Callers that push before every transform, as the toy does, see
//   no difference.
// - NaN results are NaN as on the desktop, but their sign and payload follow
//   the build's arithmetic.
// - GL errors: push and pop report overflow and underflow by their result.

#include <vector>

namespace web {

class MatrixStack {
  public:
    // A stack of at most maxDepth matrices (at least 1) holding the identity.
    explicit MatrixStack(int maxDepth);

    // The top matrix, 16 floats in column-major order.
    const float* top() const;
    // Number of matrices on the stack, 1 when nothing is pushed.
    int depth() const;

    // glPushMatrix: false and unchanged when maxDepth matrices are stacked.
    bool push();
    // glPopMatrix: false and unchanged at depth 1.
    bool pop();

    // glLoadIdentity.
    void loadIdentity();
    // glLoadMatrixf / glLoadMatrixd (each element rounded to float).
    void load(const float m[16]);
    void load(const double m[16]);
    // glMultMatrixf / glMultMatrixd: top := top · m.
    void multiply(const float m[16]);
    void multiply(const double m[16]);
    // glRotatef, degrees about (x, y, z): top := top · R.
    void rotate(float angleDegrees, float x, float y, float z);
    // glTranslatef: top := top · T.
    void translate(float x, float y, float z);
    // glScalef: top := top · S.
    void scale(float x, float y, float z);

  private:
    // One stacked matrix with Mesa's bookkeeping: its flags and type decide
    // which product a later glRotate uses.
    struct Entry {
        float m[16];
        unsigned flags;
        int type;
    };

    void multiplyByFlags(const float b[16], unsigned flags);

    std::vector<Entry> entries_;  // back() is the top
    int maxDepth_;
};

}  // namespace web
