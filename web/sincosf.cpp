// SPDX-License-Identifier: MIT
// glibc 2.36's sincosf (sysdeps/ieee754/flt-32 with the x86 polynomial layout),
// statement by statement.
#include "web/sincosf.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>

namespace web {
namespace {

// Its FMA build contracts each multiply-add of the polynomial and of the
// range reduction into one fused operation; std::fma does the same here.

// 2/π scaled by 2^24, π/2, the cosine polynomial c0..c4 and the sine one
// s1..s3. In quadrants 2 and 3 glibc uses the cosine polynomial negated.
constexpr double kHalfPiInverse = 0x1.45F306DC9C883p+23;
constexpr double kHalfPi = 0x1.921FB54442D18p0;
constexpr double kCosPoly[5] = {0x1p0, -0x1.ffffffd0c621cp-2, 0x1.55553e1068f19p-5,
                                -0x1.6c087e89a359dp-10, 0x1.99343027bf8c3p-16};
constexpr double kSinPoly[3] = {-0x1.555545995a603p-3, 0x1.1107605230bc4p-7,
                                -0x1.994eb3774cf24p-13};
constexpr double kQuadrantSign[4] = {1.0, -1.0, -1.0, 1.0};
// 4/π to 192 bits, eight new bits per entry.
constexpr std::uint32_t kInvPio4[24] = {
    0xa2,       0xa2f9,     0xa2f983,   0xa2f9836e, 0xf9836e4e, 0x836e4e44, 0x6e4e4415, 0x4e441529,
    0x441529fc, 0x1529fc27, 0x29fc2757, 0xfc2757d1, 0x2757d1f5, 0x57d1f534, 0xd1f534dd, 0xf534ddc0,
    0x34ddc0db, 0xddc0db62, 0xc0db6295, 0xdb629599, 0x6295993c, 0x95993c43, 0x993c4390, 0x3c439041};

std::uint32_t abstop12(float x) {
    std::uint32_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return (bits >> 20) & 0x7ff;
}

// Sine and cosine of x + n·π/2 from the reduced x, its square, quadrant n and
// the cosine polynomial's sign.
void sinCosPoly(double x, double x2, double cosSign, int n, float* sinp, float* cosp) {
    const double* c = kCosPoly;
    const double x3 = x2 * x, x4 = x2 * x2;
    const double s1 = std::fma(x2, kSinPoly[2], kSinPoly[1]);
    const double c2 = std::fma(x2, cosSign * c[4], cosSign * c[3]);
    const double c1 = std::fma(x2, cosSign * c[1], cosSign * c[0]);
    const double x5 = x3 * x2, x6 = x4 * x2;
    const double sinPart = std::fma(x3, kSinPoly[0], x), cosPart = std::fma(x4, cosSign * c[2], c1);
    if ((n & 1) != 0) {
        std::swap(sinp, cosp);
    }
    *sinp = static_cast<float>(std::fma(x5, s1, sinPart));
    *cosp = static_cast<float>(std::fma(x6, c2, cosPart));
}

// |y| < 120: one multiply-subtract by π/2; the scaled 2/π puts the quadrant
// in bits 24..31.
double reduceFast(double x, int* np) {
    const double r = x * kHalfPiInverse;
    const int n = (static_cast<std::int32_t>(r) + 0x800000) >> 24;
    *np = n;
    return std::fma(-static_cast<double>(n), kHalfPi, x);
}

// Larger |y|: the exact 2.62-bit fixed-point remainder from the bits of y.
double reduceLarge(std::uint32_t xi, int* np) {
    const std::uint32_t* arr = &kInvPio4[(xi >> 26) & 15];
    const int shift = static_cast<int>((xi >> 23) & 7);
    xi = (xi & 0xffffff) | 0x800000;
    xi <<= shift;
    std::uint64_t res0 = static_cast<std::uint32_t>(xi * arr[0]);
    const std::uint64_t res1 = static_cast<std::uint64_t>(xi) * arr[4];
    const std::uint64_t res2 = static_cast<std::uint64_t>(xi) * arr[8];
    res0 = (res2 >> 32) | (res0 << 32);
    res0 += res1;
    const std::uint64_t n = (res0 + (1ULL << 61)) >> 62;
    res0 -= n << 62;
    *np = static_cast<int>(n);
    return static_cast<double>(static_cast<std::int64_t>(res0)) * 0x1.921FB54442D18p-62;
}

}  // namespace

void sinCosf(float y, float* sinp, float* cosp) {
    double x = y;
    int n;
    if (abstop12(y) < abstop12(0x1.921FB6p-1f)) {  // |y| < π/4
        if (abstop12(y) < abstop12(0x1p-12f)) {
            *sinp = y;
            *cosp = 1.0f;
            return;
        }
        sinCosPoly(x, x * x, 1.0, 0, sinp, cosp);
    } else if (abstop12(y) < abstop12(120.0f)) {
        x = reduceFast(x, &n);
        sinCosPoly(x * kQuadrantSign[n & 3], x * x, (n & 2) != 0 ? -1.0 : 1.0, n, sinp, cosp);
    } else if (abstop12(y) < abstop12(INFINITY)) {
        std::uint32_t xi;
        std::memcpy(&xi, &y, sizeof xi);
        x = reduceLarge(xi, &n);
        const int q = n + static_cast<int>(xi >> 31);  // the sign of y joins the quadrant
        sinCosPoly(x * kQuadrantSign[q & 3], x * x, (q & 2) != 0 ? -1.0 : 1.0, n, sinp, cosp);
    } else {
        *sinp = *cosp = y - y;
    }
}

}  // namespace web
