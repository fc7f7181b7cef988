// SPDX-License-Identifier: MIT
// What the page asks of the program itself, beyond the GLUT events: whether
// the course holds pieces that leaving the page would lose. Linked into the
// browser's program alone, beside the entry point, as it reads the
// program's state.
#include <emscripten.h>

#include "app/app_state.h"

extern "C" {

// The number of pieces on the course, the carried one included.
EMSCRIPTEN_KEEPALIVE int ballcourse_course_pieces() {
    return static_cast<int>(app().sceneList.size());
}

}  // extern "C"
