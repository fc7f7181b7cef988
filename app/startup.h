// SPDX-License-Identifier: MIT
#pragma once

// Opens the main window and the two palettes with their clear colours,
// callbacks and lighting; records the main window in the state.
void createWindows(int* argc, char** argv);

// Everything start-up does before the main loop: windows, state, help, timer.
void startUp(int* argc, char** argv);
