// SPDX-License-Identifier: MIT
// The arithmetic follows Mesa's src/mesa/math/m_matrix.c and main/matrix.c
// statement by statement, so that every rounding happens where it happens on
// the desktop; the sine and cosine of a turn come from sincosf.h.
#include "web/matrix_stack.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "web/sincosf.h"

namespace web {
namespace {

// Mesa's matrix flags.
constexpr unsigned kGeneral = 0x1;
constexpr unsigned kRotation = 0x2;
constexpr unsigned kTranslation = 0x4;
constexpr unsigned kUniformScale = 0x8;
constexpr unsigned kGeneralScale = 0x10;
constexpr unsigned kGeneral3d = 0x20;
constexpr unsigned kPerspective = 0x40;
constexpr unsigned kSingular = 0x80;
constexpr unsigned kDirtyType = 0x100;
constexpr unsigned kDirtyFlags = 0x200;
constexpr unsigned kDirtyInverse = 0x400;
constexpr unsigned kGeometry = kGeneral | kRotation | kTranslation | kUniformScale | kGeneralScale |
                               kGeneral3d | kPerspective | kSingular;
constexpr unsigned kAnglePreserving = kRotation | kTranslation | kUniformScale;
constexpr unsigned kFlags3d = kRotation | kTranslation | kUniformScale | kGeneralScale | kGeneral3d;
constexpr unsigned kDirty = kDirtyType | kDirtyFlags | kDirtyInverse;

// Mesa's matrix types, in its order.
enum Type {
    kTypeGeneral,
    kTypeIdentity,
    kType3dNoRot,
    kTypePerspective,
    kType2d,
    kType2dNoRot,
    kType3d
};

constexpr float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// True when the flags name no geometry outside `allowed`.
bool only(unsigned flags, unsigned allowed) {
    return (kGeometry & ~allowed & flags) == 0;
}

// --- Products -------------------------------------------------------------

// product := a · b, all four rows.
void matmul4(float* product, const float* a, const float* b) {
    for (int i = 0; i < 4; ++i) {
        const float ai0 = a[i], ai1 = a[4 + i], ai2 = a[8 + i], ai3 = a[12 + i];
        for (int j = 0; j < 4; ++j) {
            const float* bj = b + 4 * j;
            product[4 * j + i] = ai0 * bj[0] + ai1 * bj[1] + ai2 * bj[2] + ai3 * bj[3];
        }
    }
}

// product := a · b for two matrices whose bottom row is (0, 0, 0, 1).
void matmul34(float* product, const float* a, const float* b) {
    for (int i = 0; i < 3; ++i) {
        const float ai0 = a[i], ai1 = a[4 + i], ai2 = a[8 + i], ai3 = a[12 + i];
        for (int j = 0; j < 3; ++j) {
            const float* bj = b + 4 * j;
            product[4 * j + i] = ai0 * bj[0] + ai1 * bj[1] + ai2 * bj[2];
        }
        product[12 + i] = ai0 * b[12] + ai1 * b[13] + ai2 * b[14] + ai3;
    }
    product[3] = 0;
    product[7] = 0;
    product[11] = 0;
    product[15] = 1;
}

// --- Mesa's analysis: the type, flags and invertibility of a matrix ---------

float sq(float x) {
    return x * x;
}
float dot3(const float* a, const float* b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

constexpr unsigned zero(int i) {
    return 1u << i;
}
constexpr unsigned one(int i) {
    return 1u << (i + 16);
}
constexpr unsigned kMaskNoTranslation = zero(12) | zero(13) | zero(14);
constexpr unsigned kMaskNo2dScale = one(0) | one(5);
constexpr unsigned kMaskBottomRow = zero(3) | zero(7) | zero(11) | one(15);
constexpr unsigned kMaskIdentity = one(0) | zero(4) | zero(8) | zero(12) | zero(1) | one(5) |
                                   zero(9) | zero(13) | zero(2) | zero(6) | one(10) | zero(14) |
                                   kMaskBottomRow;
constexpr unsigned kMask2dNoRot =
    zero(4) | zero(8) | zero(1) | zero(9) | zero(2) | zero(6) | one(10) | zero(14) | kMaskBottomRow;
constexpr unsigned kMask2d =
    zero(8) | zero(9) | zero(2) | zero(6) | one(10) | zero(14) | kMaskBottomRow;
constexpr unsigned kMask3dNoRot =
    zero(4) | zero(8) | zero(1) | zero(9) | zero(2) | zero(6) | kMaskBottomRow;
constexpr unsigned kMaskPerspective =
    zero(4) | zero(12) | zero(1) | zero(13) | zero(2) | zero(6) | zero(3) | zero(7) | zero(15);

// analyse_from_scratch: the flags and type read off the elements. Kept branch
// for branch as Mesa has it, so that the two can be read side by side.
// NOLINTNEXTLINE(readability-function-cognitive-complexity)
void analyseFromScratch(const float* m, unsigned& flags, int& type) {
    unsigned mask = 0;
    for (int i = 0; i < 16; ++i) {
        if (m[i] == 0.0f) mask |= zero(i);
    }
    if (m[0] == 1.0f) mask |= one(0);
    if (m[5] == 1.0f) mask |= one(5);
    if (m[10] == 1.0f) mask |= one(10);
    if (m[15] == 1.0f) mask |= one(15);

    flags &= ~kGeometry;
    if ((mask & kMaskNoTranslation) != kMaskNoTranslation) flags |= kTranslation;

    const float tiny = sq(1e-6f);
    if (mask == kMaskIdentity) {
        type = kTypeIdentity;
    } else if ((mask & kMask2dNoRot) == kMask2dNoRot) {
        type = kType2dNoRot;
        if ((mask & kMaskNo2dScale) != kMaskNo2dScale) flags |= kGeneralScale;
    } else if ((mask & kMask2d) == kMask2d) {
        const float mm = m[0] * m[0] + m[1] * m[1];
        const float m4m4 = m[4] * m[4] + m[5] * m[5];
        const float mm4 = m[0] * m[4] + m[1] * m[5];
        type = kType2d;
        if (sq(mm - 1) > tiny || sq(m4m4 - 1) > tiny) flags |= kGeneralScale;
        flags |= sq(mm4) > tiny ? kGeneral3d : kRotation;
    } else if ((mask & kMask3dNoRot) == kMask3dNoRot) {
        type = kType3dNoRot;
        if (sq(m[0] - m[5]) < tiny && sq(m[0] - m[10]) < tiny) {
            if (sq(m[0] - 1.0f) > tiny) flags |= kUniformScale;
        } else {
            flags |= kGeneralScale;
        }
    } else if ((mask & kMaskBottomRow) == kMaskBottomRow) {
        const float c1 = dot3(m, m), c2 = dot3(m + 4, m + 4), c3 = dot3(m + 8, m + 8);
        const float d1 = dot3(m, m + 4);
        type = kType3d;
        if (sq(c1 - c2) < tiny && sq(c1 - c3) < tiny) {
            if (sq(c1 - 1.0f) > tiny) flags |= kUniformScale;
        } else {
            flags |= kGeneralScale;
        }
        if (sq(d1) < tiny) {
            // The third column against the cross product of the first two.
            float cp[3] = {m[1] * m[6] - m[2] * m[5], m[2] * m[4] - m[0] * m[6],
                           m[0] * m[5] - m[1] * m[4]};
            for (int k = 0; k < 3; ++k) cp[k] = cp[k] - m[8 + k];
            flags |= dot3(cp, cp) < tiny ? kRotation : kGeneral3d;
        } else {
            flags |= kGeneral3d;
        }
    } else if ((mask & kMaskPerspective) == kMaskPerspective && m[11] == -1.0f) {
        type = kTypePerspective;
        flags |= kGeneral;
    } else {
        type = kTypeGeneral;
        flags |= kGeneral;
    }
}

// analyse_from_flags: the type when the flags are known to be accurate.
int typeFromFlags(const float* m, unsigned flags) {
    if (only(flags, 0)) return kTypeIdentity;
    if (only(flags, kTranslation | kUniformScale | kGeneralScale)) {
        return m[10] == 1.0f && m[14] == 0.0f ? kType2dNoRot : kType3dNoRot;
    }
    if (only(flags, kFlags3d)) {
        const bool flat = m[8] == 0.0f && m[9] == 0.0f && m[2] == 0.0f && m[6] == 0.0f &&
                          m[10] == 1.0f && m[14] == 0.0f;
        return flat ? kType2d : kType3d;
    }
    const bool perspective = m[4] == 0.0f && m[12] == 0.0f && m[1] == 0.0f && m[13] == 0.0f &&
                             m[2] == 0.0f && m[6] == 0.0f && m[3] == 0.0f && m[7] == 0.0f &&
                             m[11] == -1.0f && m[15] == 0.0f;
    return perspective ? kTypePerspective : kTypeGeneral;
}

// util_invert_mat4x4's verdict: Gaussian elimination with partial pivoting
// on the left half (the right half never decides).
bool invertibleGeneral(const float* m) {
    float rows[4][4];
    float* r[4] = {rows[0], rows[1], rows[2], rows[3]};
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) rows[i][j] = m[4 * j + i];
    }
    for (int col = 0; col < 3; ++col) {
        for (int i = 3; i > col; --i) {
            if (std::fabs(r[i][col]) > std::fabs(r[i - 1][col])) std::swap(r[i], r[i - 1]);
        }
        if (0.0f == r[col][col]) return false;
        float factor[4] = {};
        for (int i = col + 1; i < 4; ++i) factor[i] = r[i][col] / r[col][col];
        for (int k = col + 1; k < 4; ++k) {
            for (int i = col + 1; i < 4; ++i) r[i][k] -= factor[i] * r[col][k];
        }
    }
    return 0.0f != r[3][3];
}

// invert_matrix_3d's verdict, for the 2D and 3D types.
bool invertible3d(const float* m, unsigned flags) {
    if (!only(flags, kAnglePreserving)) {
        // invert_matrix_3d_general: the determinant of the upper 3 by 3, its
        // positive and negative terms summed apart.
        const float terms[6] = {m[0] * m[5] * m[10], m[1] * m[6] * m[8],   m[2] * m[4] * m[9],
                                -m[2] * m[5] * m[8], -m[1] * m[4] * m[10], -m[0] * m[6] * m[9]};
        float pos = 0.0f, neg = 0.0f;
        for (float t : terms) {
            if (t >= 0.0f) {
                pos += t;
            } else {
                neg += t;
            }
        }
        return !(std::fabs(pos + neg) < 1e-25f);
    }
    if ((flags & kUniformScale) != 0) {
        return m[0] * m[0] + m[4] * m[4] + m[8] * m[8] != 0.0f;
    }
    return true;
}

bool invertible(const float* m, unsigned flags, int type) {
    switch (type) {
        case kTypeIdentity:
            return true;
        case kType3dNoRot:
            return !(m[0] == 0 || m[5] == 0 || m[10] == 0);
        case kType2dNoRot:
            return !(m[0] == 0 || m[5] == 0);
        case kType2d:
        case kType3d:
            return invertible3d(m, flags);
        default:
            return invertibleGeneral(m);
    }
}

// _math_matrix_analyse: brings type and flags up to date, marking a matrix
// that cannot be inverted as singular.
void analyse(float* m, unsigned& flags, int& type) {
    if ((flags & kDirtyType) != 0) {
        if ((flags & kDirtyFlags) != 0) {
            analyseFromScratch(m, flags, type);
        } else {
            type = typeFromFlags(m, flags);
        }
    }
    if ((flags & kDirtyInverse) != 0) {
        flags = invertible(m, flags, type) ? flags & ~kSingular : flags | kSingular;
        flags &= ~kDirtyInverse;
    }
    flags &= ~(kDirtyFlags | kDirtyType);
}

}  // namespace

MatrixStack::MatrixStack(int maxDepth) : maxDepth_(std::max(maxDepth, 1)) {
    entries_.push_back(Entry{{}, 0, kTypeIdentity});
    std::copy(kIdentity, kIdentity + 16, entries_.back().m);
}

const float* MatrixStack::top() const {
    return entries_.back().m;
}

int MatrixStack::depth() const {
    return static_cast<int>(entries_.size());
}

bool MatrixStack::push() {
    if (depth() >= maxDepth_) {
        return false;
    }
    Entry& from = entries_.back();
    if ((from.flags & kDirty) != 0) {
        analyse(from.m, from.flags, from.type);
    }
    entries_.push_back(entries_.back());
    return true;
}

bool MatrixStack::pop() {
    if (depth() <= 1) {
        return false;
    }
    entries_.pop_back();
    return true;
}

void MatrixStack::loadIdentity() {
    Entry& e = entries_.back();
    std::copy(kIdentity, kIdentity + 16, e.m);
    e.type = kTypeIdentity;
    e.flags &= ~kDirty;  // the geometry flags stay, as in Mesa
}

void MatrixStack::load(const float m[16]) {
    Entry& e = entries_.back();
    if (std::memcmp(m, e.m, sizeof e.m) != 0) {
        std::copy(m, m + 16, e.m);
        e.flags = kGeneral | kDirty;
    }
}

void MatrixStack::load(const double m[16]) {
    float f[16];
    for (int i = 0; i < 16; ++i) f[i] = static_cast<float>(m[i]);
    load(f);
}

void MatrixStack::multiply(const float m[16]) {
    if (std::memcmp(m, kIdentity, sizeof kIdentity) == 0) {
        return;
    }
    Entry& e = entries_.back();
    e.flags |= kGeneral | kDirtyType | kDirtyInverse | kDirtyFlags;
    float product[16];
    matmul4(product, e.m, m);
    std::copy(product, product + 16, e.m);
}

void MatrixStack::multiply(const double m[16]) {
    float f[16];
    for (int i = 0; i < 16; ++i) f[i] = static_cast<float>(m[i]);
    multiply(f);
}

// matrix_multf: the three-row product while both matrices are affine by their
// flags, the full one otherwise.
void MatrixStack::multiplyByFlags(const float b[16], unsigned flags) {
    Entry& e = entries_.back();
    e.flags |= flags | kDirtyType | kDirtyInverse;
    float product[16];
    if (only(e.flags, kFlags3d)) {
        matmul34(product, e.m, b);
    } else {
        matmul4(product, e.m, b);
    }
    std::copy(product, product + 16, e.m);
}

void MatrixStack::rotate(float angleDegrees, float x, float y, float z) {
    if (angleDegrees == 0.0f) {
        return;
    }
    constexpr double kPi = 3.14159265358979323846;
    float s, c;
    sinCosf(static_cast<float>(angleDegrees * kPi / 180.0), &s, &c);

    float m[16];
    std::copy(kIdentity, kIdentity + 16, m);
    auto at = [&m](int row, int col) -> float& { return m[col * 4 + row]; };
    // One axis: the sines placed by the axis' sign, as Mesa's shortcut does.
    if (x == 0.0f && y == 0.0f && z != 0.0f) {
        at(0, 0) = c;
        at(1, 1) = c;
        at(0, 1) = z < 0.0f ? s : -s;
        at(1, 0) = z < 0.0f ? -s : s;
    } else if (x == 0.0f && y != 0.0f && z == 0.0f) {
        at(0, 0) = c;
        at(2, 2) = c;
        at(0, 2) = y < 0.0f ? -s : s;
        at(2, 0) = y < 0.0f ? s : -s;
    } else if (x != 0.0f && y == 0.0f && z == 0.0f) {
        at(1, 1) = c;
        at(2, 2) = c;
        at(1, 2) = x < 0.0f ? s : -s;
        at(2, 1) = x < 0.0f ? -s : s;
    } else {
        const float mag = std::sqrt(x * x + y * y + z * z);
        if (mag <= 1.0e-4f) {
            return;  // no axis: the matrix is left as it is
        }
        x /= mag;
        y /= mag;
        z /= mag;
        const float xx = x * x, yy = y * y, zz = z * z;
        const float xy = x * y, yz = y * z, zx = z * x;
        const float xs = x * s, ys = y * s, zs = z * s;
        const float oneC = 1.0f - c;
        at(0, 0) = (oneC * xx) + c;
        at(0, 1) = (oneC * xy) - zs;
        at(0, 2) = (oneC * zx) + ys;
        at(1, 0) = (oneC * xy) + zs;
        at(1, 1) = (oneC * yy) + c;
        at(1, 2) = (oneC * yz) - xs;
        at(2, 0) = (oneC * zx) - ys;
        at(2, 1) = (oneC * yz) + xs;
        at(2, 2) = (oneC * zz) + c;
    }
    multiplyByFlags(m, kRotation);
}

void MatrixStack::translate(float x, float y, float z) {
    Entry& e = entries_.back();
    float* m = e.m;
    for (int row = 0; row < 4; ++row) {
        m[12 + row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row];
    }
    e.flags |= kTranslation | kDirtyType | kDirtyInverse;
}

void MatrixStack::scale(float x, float y, float z) {
    Entry& e = entries_.back();
    for (int row = 0; row < 4; ++row) {
        e.m[row] *= x;
        e.m[4 + row] *= y;
        e.m[8 + row] *= z;
    }
    const bool uniform = std::fabs(x - y) < 1e-8f && std::fabs(x - z) < 1e-8f;
    e.flags |= (uniform ? kUniformScale : kGeneralScale) | kDirtyType | kDirtyInverse;
}

}  // namespace web
