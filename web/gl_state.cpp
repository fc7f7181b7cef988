// SPDX-License-Identifier: MIT
#include "web/gl_state.h"

namespace web {

namespace {

GlState spare;
GlState* current = &spare;

}  // namespace

GlState& currentGl() {
    return *current;
}

void makeGlCurrent(GlState* state) {
    current = state != nullptr ? state : &spare;
}

}  // namespace web
