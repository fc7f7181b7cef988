// SPDX-License-Identifier: MIT
#pragma once

// The fourteen help lines, exactly as printed.
extern const char kHelpText[];

// Writes the help to standard output and flushes it at once, so it appears at
// start also when standard output is a pipe or a file.
void printHelp();
