// SPDX-License-Identifier: MIT
#include "geometry/relative_path.h"

#include <algorithm>
#include <cmath>

#include "geometry/grown_box.h"
#include "geometry/vector3.h"

namespace {

// A rotation as a unit quaternion (w, x, y, z) with w >= 0, so its angle,
// 2·atan2(|(x, y, z)|, w), lies in [0, π].
struct Turn {
    double w, x, y, z;
};

// Row r, column c of a column-major 4 by 4 matrix.
double element(const std::array<float, 16>& m, int r, int c) {
    return m[4 * c + r];
}

// to · fromᵀ: the turn that takes the piece from its old rotation to its new
// one, about world axes. Rotations keep their inverse as their transpose, up
// to the rounding of their floats.
Turn relativeTurn(const PieceMove& move) {
    // A carry alone: no turn, exactly.
    if (move.fromRotation == move.toRotation) {
        return {1.0, 0.0, 0.0, 0.0};
    }
    double m[3][3];
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            m[r][c] = 0.0;
            for (int k = 0; k < 3; ++k) {
                m[r][c] += element(move.toRotation, r, k) * element(move.fromRotation, c, k);
            }
        }
    }
    // The quaternion from whichever of w, x, y, z is largest, so that no
    // division is by a small number.
    Turn q;
    const double trace = m[0][0] + m[1][1] + m[2][2];
    if (trace > 0.0) {
        const double s = 2.0 * std::sqrt(trace + 1.0);
        q = {s / 4, (m[2][1] - m[1][2]) / s, (m[0][2] - m[2][0]) / s, (m[1][0] - m[0][1]) / s};
    } else if (m[0][0] > m[1][1] && m[0][0] > m[2][2]) {
        const double s = 2.0 * std::sqrt(1.0 + m[0][0] - m[1][1] - m[2][2]);
        q = {(m[2][1] - m[1][2]) / s, s / 4, (m[0][1] + m[1][0]) / s, (m[0][2] + m[2][0]) / s};
    } else if (m[1][1] > m[2][2]) {
        const double s = 2.0 * std::sqrt(1.0 + m[1][1] - m[0][0] - m[2][2]);
        q = {(m[0][2] - m[2][0]) / s, (m[0][1] + m[1][0]) / s, s / 4, (m[1][2] + m[2][1]) / s};
    } else {
        const double s = 2.0 * std::sqrt(1.0 + m[2][2] - m[0][0] - m[1][1]);
        q = {(m[1][0] - m[0][1]) / s, (m[0][2] + m[2][0]) / s, (m[1][2] + m[2][1]) / s, s / 4};
    }
    const double sign = q.w < 0.0 ? -1.0 : 1.0;
    const double norm = sign * std::sqrt(q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z);
    return {q.w / norm, q.x / norm, q.y / norm, q.z / norm};
}

// The turn about the same axis by half the angle: (1 + q) normalised.
Turn halved(const Turn& q) {
    const double w = q.w + 1.0;
    const double norm = std::sqrt(w * w + q.x * q.x + q.y * q.y + q.z * q.z);
    return {w / norm, q.x / norm, q.y / norm, q.z / norm};
}

// a·b: the turn b, then a.
Turn product(const Turn& a, const Turn& b) {
    return {a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z,
            a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
            a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
            a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w};
}

// v turned by q.
ExactPoint turned(const Turn& q, const ExactPoint& v) {
    // t = 2·(q.xyz × v); v + w·t + q.xyz × t.
    const double tx = 2.0 * (q.y * v.z - q.z * v.y);
    const double ty = 2.0 * (q.z * v.x - q.x * v.z);
    const double tz = 2.0 * (q.x * v.y - q.y * v.x);
    return {v.x + q.w * tx + (q.y * tz - q.z * ty), v.y + q.w * ty + (q.z * tx - q.x * tz),
            v.z + q.w * tz + (q.x * ty - q.y * tx)};
}

// Signed distance of p from the face's plane in world units, positive in
// front, unrounded; the face's own sum rounds it to a float.
double planeDistance(const Face& face, const ExactPoint& p) {
    const Vector3 n = face.normal();
    const Point3& c = face.corner(0);
    return n.x * (p.x - c.x) + n.y * (p.y - c.y) + n.z * (p.z - c.z);
}

bool hasEveryNormal(const GrownBox& box) {
    for (int i = 0; i < GrownBox::kFaceCount; ++i) {
        if (isZero(box.face(i).normal())) {
            return false;
        }
    }
    return true;
}

// The part of the segment from a to b behind every face plane, [enter, leave]
// as fractions of it, and the face crossed last on the way in (-1 when a is
// already behind every plane). Empty, or not a number, when it misses.
struct Clip {
    double enter = 0.0;
    double leave = 1.0;
    int face = -1;
    bool missed = false;
};

Clip clip(const GrownBox& box, const ExactPoint& a, const ExactPoint& b) {
    Clip c;
    for (int i = 0; i < GrownBox::kFaceCount; ++i) {
        const double da = planeDistance(box.face(i), a), db = planeDistance(box.face(i), b);
        if (!(da <= 0.0) && !(db <= 0.0)) {
            c.missed = true;  // wholly in front of this plane, or not a number
            return c;
        }
        if (da > 0.0) {
            const double t = da / (da - db);
            if (t > c.enter || c.face < 0) {
                c.enter = t;
                c.face = i;
            }
        } else if (db > 0.0) {
            c.leave = std::min(c.leave, da / (da - db));
        }
    }
    c.missed = !(c.enter <= c.leave);
    return c;
}

}  // namespace

ExactPoint exact(const Point3& p) {
    return {p.x, p.y, p.z};
}

RelativePath::RelativePath(const PieceMove& move, const Point3& point) {
    const ExactPoint to = exact(move.toPosition), from = exact(move.fromPosition);
    const ExactPoint c = exact(point);
    // The turn is halved until one chord's share of it is at most 15°, its
    // half-angle's cosine at least cos 7.5°. Halving needs
    // only square roots, which round alike on every platform, so the path is
    // the same bit for bit wherever the toy runs.
    const double cosHalfChordTurn = 0.99144486137381041;
    Turn share = relativeTurn(move);
    chords = 1;
    while (share.w < cosHalfChordTurn && chords < kMaxChords) {
        share = halved(share);
        chords *= 2;
    }
    // At fraction s = k / chords the piece stands at from + s·(to − from),
    // short of its new rotation by the shares still to come; the point
    // relative to it, placed as the piece now stands, is
    // to + share^(chords − k)·(c − position(s)).
    corners[chords] = c;
    Turn still = share;
    for (int k = chords - 1; k >= 0; --k) {
        const double s = double(k) / chords;
        const ExactPoint offset{c.x - (from.x + s * (to.x - from.x)),
                                c.y - (from.y + s * (to.y - from.y)),
                                c.z - (from.z + s * (to.z - from.z))};
        const ExactPoint v = turned(still, offset);
        corners[k] = {to.x + v.x, to.y + v.y, to.z + v.z};
        still = product(share, still);
    }
}

BoxEntry firstEntry(const GrownBox& box, const RelativePath& path) {
    if (!hasEveryNormal(box)) {
        return {};
    }
    for (int k = 0; k < path.chordCount(); ++k) {
        const Clip c = clip(box, path.at(k), path.at(k + 1));
        if (c.missed) {
            continue;
        }
        // A chord that starts inside: the path was in the box before the move.
        if (c.face < 0) {
            return {};
        }
        return {c.face, (k + c.enter) / path.chordCount()};
    }
    return {};
}

bool segmentCrosses(const GrownBox& box, const ExactPoint& a, const ExactPoint& b) {
    if (!hasEveryNormal(box)) {
        return false;
    }
    const Clip c = clip(box, a, b);
    return !c.missed && c.enter < c.leave;
}
