// SPDX-License-Identifier: MIT
#include "app/help.h"

#include <cstdio>

const char kHelpText[] =
    "Commands:\n"
    "W - move camera forward\n"
    "S - move camera backward\n"
    "A - pan camera left\n"
    "D - pan camera right\n"
    "E - erase current piece\n"
    "Z - rotate current piece CCW\n"
    "X - rotate current piece CW\n"
    "P - pause ball\n"
    "O - advance ball 1 frame\n"
    "R - reset ball\n"
    "Left Mouse - place and select pieces\n"
    "Right Mouse - rotate current piece using virtual trackball\n"
    "Q - quit\n";

void printHelp() {
    std::fputs(kHelpText, stdout);
    std::fflush(stdout);
}
