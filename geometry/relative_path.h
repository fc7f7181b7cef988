// SPDX-License-Identifier: MIT
#pragma once

#include <array>

#include "geometry/point3.h"

class GrownBox;

// A point in double precision: the relative path is worked out unrounded.
struct ExactPoint {
    double x, y, z;
};

ExactPoint exact(const Point3& p);

// How a piece was moved or turned as a whole between two ticks: its position,
// and its rotation about that position (16 floats, column-major), then and
// now. Its scale, and where its blocks sit within it, stayed as they were.
struct PieceMove {
    Point3 fromPosition;
    Point3 toPosition;
    std::array<float, 16> fromRotation;
    std::array<float, 16> toRotation;
};

// A turn of up to 15° is followed as one chord of its arc: the chord strays
// from the arc by under 0.9% of the distance from the pivot, at most 0.005
// world units for a curve's farthest block, a tenth of the ball's radius.
// Larger turns are split into 2, 4, 8 or 16 equal chords of at most 15°.

// The path of a point that stood still in the world while a piece moved,
// taken relative to the piece and seen in the world as the piece now stands:
// from where the move carries the point (as if fixed to the piece) to the
// point itself. The piece's position moves along a line and its rotation
// turns evenly about one axis, so a turn's path is an arc, followed as chords
// (a turn of 180° in 16).
class RelativePath {
  public:
    static constexpr int kMaxChords = 16;

    RelativePath(const PieceMove& move, const Point3& point);

    int chordCount() const { return chords; }
    // Corner i of the path, 0 to chordCount(): 0 where it starts, the last
    // the point itself.
    const ExactPoint& at(int i) const { return corners[i]; }

  private:
    std::array<ExactPoint, kMaxChords + 1> corners;
    int chords = 1;
};

// Where a path first enters a box: the face it crossed last on the way in,
// and how far along the path (0 to 1) it did so. Face -1 when the path never
// enters the box, when it starts inside it, or when the box has a face with
// no normal.
struct BoxEntry {
    int face = -1;
    double fraction = 0.0;
};

BoxEntry firstEntry(const GrownBox& box, const RelativePath& path);

// Whether the segment from a to b passes through the inside of the box;
// grazing a face, edge or corner does not count. False for a box with a face
// with no normal.
bool segmentCrosses(const GrownBox& box, const ExactPoint& a, const ExactPoint& b);
