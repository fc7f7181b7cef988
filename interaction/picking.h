#pragma once

#include <cstdint>

// Renders the scene in selection mode through a pickSize square at (pickX,
// pickY) and makes the nearest piece hit the current one; the ball and empty
// space select nothing. Leaves both matrices and the matrix mode as they were.
void pickPiece();

// Walks `hits` records of the selection buffer and selects the piece of the
// record with the smallest minimum depth (earliest of equals); a name beyond
// the scene list selects nothing.
void processHits(int hits, const std::uint32_t* buffer);
