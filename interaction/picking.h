// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

struct AppState;

// Words of one selection hit record when the name stack is one name deep: the
// name count, the minimum and maximum window depth, and the name.
constexpr std::size_t kHitRecordWords = 4;
// Words of the first selection buffer a pick tries: room for 128 records.
constexpr std::size_t kPickBufferWords = 512;
// The name everything drawn before the first piece carries (the ball); it
// never selects.
constexpr std::uint32_t kUnnamed = 0xFFFFFFFF;

// Renders the scene in selection mode through a pickSize square centred on
// (pickX, pickY) and makes the nearest piece hit the current one; the ball and
// empty space select nothing. When more records are hit than 512 words hold,
// the pick is repeated with a larger buffer, up to one record per piece plus
// the ball's. A window of width or height 0 picks nothing. Leaves both
// matrices and the matrix mode (GL_MODELVIEW) as they were.
void pickPiece(AppState& state);

// The bottom-up row of the pick centre, viewportHeight - pickY, for a pickY
// counted from the top as GLUT reports it. Exact for every pair of ints, so a
// point far outside the window is simply a row far outside the view.
double pickRow(int viewportHeight, int pickY);

// The first name of the record with the smallest minimum depth among the
// first `hits` records of a selection buffer of `words` words; the earliest
// of equal depths wins and a depth of 0xFFFFFFFF never does. Empty when no
// record is chosen (hits <= 0 included) or the chosen one has no name. The
// walk stops at the end of the buffer, whatever `hits` says.
std::optional<std::uint32_t> nearestHitName(int hits, const std::uint32_t* buffer,
                                            std::size_t words);

// Makes the piece named by nearestHitName current; a name that is not an
// index of the scene list (the ball's included) changes nothing.
void processHits(AppState& state, int hits, const std::uint32_t* buffer, std::size_t words);
