// SPDX-License-Identifier: MIT
// What the C++ side of the browser platform layer asks of the page
// (page_glue.js): the canvas, timers and animation frames, and word that
// the toy cannot draw.
#pragma once

extern "C" {
// Sizes the canvas to the program's width by height and starts delivering
// its pointer and key events, in those pixels. Returns the device pixels the
// canvas shows across, for its drawing buffer; later changes come through
// ballcourse_canvas_shown.
int ballcourse_page_open(int width, int height);
void ballcourse_page_set_title(const char* title);
// One animation frame, at most one pending: ballcourse_animation_frame runs in it.
void ballcourse_page_request_frame();
// ballcourse_timer(id) after `milliseconds`.
void ballcourse_page_set_timer(unsigned milliseconds, int id);
// The renderer cannot draw: `what` in a few words, for the page to show, and
// the WebGL driver's log of it, for the console.
void ballcourse_page_cannot_draw(const char* what, const char* log);
}
