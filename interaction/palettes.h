// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

struct AppState;
class Piece;
class SceneObject;

// Draws a palette's prototype, lit by light 0 at (5, 5, 1), through the fixed
// view from (0, 0, 3) toward the origin with y up, and swaps the palette's
// buffers. Leaves the modelview matrix as it found it.
void drawPalette(SceneObject& prototype);

// GLUT display callbacks of the two palettes: drawPalette of the block or the
// curve prototype, then the main window is made current again.
void displayBlockPalette();
void displayCurvePalette();

// Hands a new piece to the scene list, at its end, and makes it the current
// piece, with pieceAngle back at 0 so the Z and X keys count from there. The
// piece that was current, if any, stays where it is.
void addNewPiece(AppState& state, std::unique_ptr<Piece> piece);

// GLUT mouse callbacks of the two palettes: a left press adds a new Block or
// Curve at the origin with addNewPiece; any other button or a release adds
// nothing. The position in the palette is not used. Every event ends with the
// main window current again.
void onBlockPaletteMouse(int button, int state, int x, int y);
void onCurvePaletteMouse(int button, int state, int x, int y);
