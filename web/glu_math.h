// SPDX-License-Identifier: MIT
#pragma once

// gluPerspective, gluLookAt and gluPickMatrix for the browser build, as
// libGLU 9.0.2 computes them (Debian 12's libglu1-mesa): each builds the same
// matrix in the same precision and multiplies it onto the top of the stack
// through the same GL calls, so the result equals the desktop's bit for bit.
// Degenerate input does what libGLU does: some of it leaves the stack as it
// was, the rest multiplies by whatever matrix libGLU would build.
//
// Not reproduced: gluPerspective takes its double sine and cosine from the
// build's C library. Emscripten's differ from glibc's in the last bit for some
// angles (the cosines of 10 of the 179 whole-degree half angles), yet every
// matrix compared, each whole-degree field of view at 529 window shapes and
// 300,000 random ones, rounded to the same floats; that is not guaranteed for
// every input.

#include "web/matrix_stack.h"

namespace web {

// Multiplies by the perspective projection of a vertical field of view in
// degrees. Unchanged when zNear == zFar, aspect == 0 or the half angle's sine
// is 0.
void perspective(MatrixStack& stack, double fovyDegrees, double aspect, double zNear, double zFar);

// Multiplies by the view from the eye towards the centre with the given up
// direction. A zero direction or up vector leaves the rows it would
// normalise as they are (zero), as libGLU does; the stack is always multiplied.
void lookAt(MatrixStack& stack, double eyeX, double eyeY, double eyeZ, double centerX,
            double centerY, double centerZ, double upX, double upY, double upZ);

// Multiplies by the matrix that maps the width by height pixel region centred
// at (x, y), bottom-up window pixels, onto the whole viewport (x, y, width,
// height). Unchanged unless width > 0 and height > 0.
void pickMatrix(MatrixStack& stack, double x, double y, double width, double height,
                const int viewport[4]);

}  // namespace web
