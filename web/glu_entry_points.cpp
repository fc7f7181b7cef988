// SPDX-License-Identifier: MIT
// The GLU calls the program makes, for the browser: each multiplies the
// current matrix of the current window, with the arithmetic of the desktop's
// GLU (glu_math.h).
#include <GL/glu.h>

#include "web/gl_state.h"
#include "web/glu_math.h"

extern "C" {

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    web::perspective(web::currentGl().currentStack(), fovy, aspect, zNear, zFar);
}

void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY,
               GLdouble centerZ, GLdouble upX, GLdouble upY, GLdouble upZ) {
    web::lookAt(web::currentGl().currentStack(), eyeX, eyeY, eyeZ, centerX, centerY, centerZ, upX,
                upY, upZ);
}

void gluPickMatrix(GLdouble x, GLdouble y, GLdouble delX, GLdouble delY, GLint* viewport) {
    web::pickMatrix(web::currentGl().currentStack(), x, y, delX, delY, viewport);
}

}  // extern "C"
