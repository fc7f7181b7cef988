// SPDX-License-Identifier: MIT
// web::MatrixStack against the desktop's modelview stack: random call
// sequences, every whole-degree turn the toy can ask for and many arbitrary
// ones, compared bit for bit after every call.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tests/web/gl_mirror.h"

namespace {

// glibc picks its FMA build of sinf, cosf and sincosf on processors with FMA
// and AVX2; that build is the one reproduced.
bool desktopUsesFmaSinCos() {
    return __builtin_cpu_supports("fma") && __builtin_cpu_supports("avx2");
}

#define SKIP_WITHOUT_FMA_SINCOS()                                                 \
    do {                                                                          \
        if (!desktopUsesFmaSinCos()) {                                            \
            GTEST_SKIP() << "this processor runs glibc's non-FMA sincosf, which " \
                            "the browser build does not reproduce";               \
        }                                                                         \
    } while (0)

class MatrixStackTest : public ::testing::Test {
  protected:
    float uniform(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); }
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }

    // A float drawn to hit Mesa's special cases: exact zeros of both signs,
    // ones, near-equal pairs, as well as arbitrary values.
    float value() {
        static const float kSpecial[] = {0.0f, -0.0f, 1.0f, -1.0f, 0.5f, 2.0f, 1e-5f, -3.0f};
        return pick(3) == 0 ? kSpecial[pick(8)] : uniform(-10, 10);
    }
    float angle() {
        switch (pick(5)) {
            case 0:
                return float(pick(1441) - 720);  // whole degrees
            case 1:
                return float(3 * (pick(241) - 120));  // the Z and X keys
            case 2:
                return uniform(-1e4f, 1e4f);
            case 3:
                return uniform(-400, 400);
            default:
                return std::ldexp(uniform(-1, 1), -pick(150));  // down to subnormal
        }
    }
    void axis(float a[3]) {
        switch (pick(4)) {
            case 0:  // one axis, either sign
                a[0] = a[1] = a[2] = 0.0f;
                a[pick(3)] = pick(2) ? 1.0f : -uniform(0.1f, 3);
                break;
            case 1:  // no rotation: no axis, or one too short
                a[0] = a[1] = a[2] = pick(2) ? 0.0f : 3e-5f;
                break;
            default:
                for (int k = 0; k < 3; ++k) a[k] = pick(4) == 0 ? 0.0f : uniform(-1, 1);
        }
    }
    // A matrix: arbitrary, affine with exact (and negative) zeros, singular,
    // projective, or exactly the identity.
    void matrix(float m[16]) {
        const int kind = pick(5);
        for (int i = 0; i < 16; ++i) m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
        if (kind == 4) return;
        for (int i = 0; i < 16; ++i) {
            if (kind == 0 || i % 4 != 3) m[i] = value();
        }
        if (kind == 2) m[0] = m[1] = m[2] = 0.0f;
        if (kind == 3) {
            m[3] = m[7] = m[15] = 0.0f;
            m[11] = -1.0f;
        }
    }

    // One random call on both stacks; returns its description.
    std::string randomCall(GlMirror& mirror) {
        std::ostringstream said;
        said.precision(9);
        float a[3], m[16];
        double d[16];
        switch (pick(11)) {
            case 0:
                said << "push " << mirror.push();
                break;
            case 1:
                said << "pop " << mirror.pop();
                break;
            case 2:
                mirror.loadIdentity();
                said << "loadIdentity";
                break;
            case 3:
                matrix(m);
                mirror.load(m);
                said << "load(float)";
                break;
            case 4:
                matrix(m);
                for (int i = 0; i < 16; ++i) d[i] = double(m[i]) * (1.0 + 1e-9 * pick(3));
                pick(2) ? mirror.load(d) : mirror.multiply(d);
                said << "load or multiply (double)";
                break;
            case 5:
            case 6:
                matrix(m);
                mirror.multiply(m);
                said << "multiply(float)";
                break;
            case 7:
            case 8: {
                const float turn = angle();
                axis(a);
                mirror.rotate(turn, a[0], a[1], a[2]);
                said << "rotate " << turn << " " << a[0] << " " << a[1] << " " << a[2];
                break;
            }
            case 9:
                for (float& v : a) v = value();
                mirror.translate(a[0], a[1], a[2]);
                said << "translate " << a[0] << " " << a[1] << " " << a[2];
                break;
            default:
                a[0] = value();
                a[1] = pick(2) ? a[0] : value();
                a[2] = pick(2) ? a[0] + (pick(2) ? 5e-9f : 0.0f) : value();
                mirror.scale(a[0], a[1], a[2]);
                said << "scale " << a[0] << " " << a[1] << " " << a[2];
        }
        return said.str();
    }

    std::mt19937 rng{20240611u};
};

TEST_F(MatrixStackTest, RandomCallSequencesMatchTheDesktopBitForBit) {
    SKIP_WITHOUT_FMA_SINCOS();
    constexpr int kSequences = 1500;
    constexpr int kCalls = 60;
    for (int sequence = 0; sequence < kSequences; ++sequence) {
        GlMirror mirror(GL_MODELVIEW);
        std::vector<std::string> history;
        for (int call = 0; call < kCalls; ++call) {
            history.push_back(randomCall(mirror));
            if (!mirror.sameTop() || mirror.desktopDepth() != mirror.web().depth()) {
                std::string all;
                for (const std::string& h : history) all += "\n  " + h;
                FAIL() << "sequence " << sequence << " differs after:" << all;
            }
        }
    }
    while (glGetError() != GL_NO_ERROR) {
    }
}

// The toy's setRotation on both stacks: push, identity, turn, read, pop.
bool sameTurn(GlMirror& mirror, float angle, const float axis[3]) {
    mirror.push();
    mirror.loadIdentity();
    mirror.rotate(angle, axis[0], axis[1], axis[2]);
    const bool same = mirror.sameTop();
    mirror.pop();
    return same;
}

// Every whole degree of ±277 turns (the keys' multiples of 3, the trackball's
// 1..179, a curve's 8-degree steps, 30, 50 and 180 among them) about each
// axis, either way round, and about a slanted axis: the sines and cosines in
// the matrices are glibc's, every one.
TEST_F(MatrixStackTest, EveryWholeDegreeTurnMatchesTheDesktop) {
    SKIP_WITHOUT_FMA_SINCOS();
    const float axes[][3] = {{0, 0, 1}, {0, 0, -1}, {1, 0, 0}, {0, -1, 0}, {0.6f, -0.48f, 0.64f}};
    GlMirror mirror(GL_MODELVIEW);
    int differing = 0;
    for (const auto& a : axes) {
        for (int degrees = -100000; degrees <= 100000; ++degrees) {
            if (!sameTurn(mirror, float(degrees), a) && ++differing <= 5) {
                ADD_FAILURE() << degrees << " degrees about " << a[0] << " " << a[1] << " " << a[2];
            }
        }
    }
    EXPECT_EQ(differing, 0);
}

// Arbitrary float angles over glibc's three ranges: the polynomial alone
// (|radians| < π/4), the one-step reduction (< 120) and the integer one.
TEST_F(MatrixStackTest, ArbitraryFloatTurnsMatchTheDesktop) {
    SKIP_WITHOUT_FMA_SINCOS();
    GlMirror mirror(GL_MODELVIEW);
    const float zAxis[3] = {0, 0, 1};
    int differing = 0;
    for (int i = 0; i < 300000; ++i) {
        const float limit = i % 3 == 0 ? 45.0f : i % 3 == 1 ? 6875.0f : 1e9f;
        const float turn = uniform(-limit, limit);
        if (!sameTurn(mirror, turn, zAxis) && ++differing <= 5) {
            ADD_FAILURE() << "turn of " << turn << " degrees";
        }
    }
    EXPECT_EQ(differing, 0);
}

// Infinite or NaN input gives NaN in the same elements as on the desktop.
TEST_F(MatrixStackTest, NonFiniteTurnsGiveNaNWhereTheDesktopDoes) {
    const float kInf = INFINITY, kNaN = NAN;
    const float cases[][4] = {
        {kInf, 0, 0, 1}, {kNaN, 1, 0, 0}, {30, kNaN, 0, 0}, {30, 0, 0, kInf}, {-kInf, 1, 1, 0}};
    for (const auto& c : cases) {
        GlMirror mirror(GL_MODELVIEW);
        mirror.translate(1, 2, 3);
        mirror.rotate(c[0], c[1], c[2], c[3]);
        float desktop[16];
        mirror.desktopTop(desktop);
        for (int i = 0; i < 16; ++i) {
            const float mine = mirror.web().top()[i];
            EXPECT_EQ(std::isnan(mine), std::isnan(desktop[i])) << "element " << i;
            if (!std::isnan(mine)) {
                EXPECT_EQ(mine, desktop[i]) << "element " << i;
            }
        }
    }
}

// The no-op shortcuts keep negative zeros that a real product would turn
// positive, and the depth limits refuse without changing anything.
TEST_F(MatrixStackTest, ShortcutsAndLimits) {
    GlMirror mirror(GL_MODELVIEW);
    const float negativeZeros[16] = {1, -0.0f, 0, 0, -0.0f, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    mirror.load(negativeZeros);
    mirror.rotate(0.0f, 1, 2, 3);
    mirror.rotate(-0.0f, 1, 2, 3);
    mirror.rotate(90.0f, 0, 0, 0);
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    mirror.multiply(identity);
    EXPECT_TRUE(mirror.sameTop());
    EXPECT_EQ(std::memcmp(mirror.web().top(), negativeZeros, sizeof negativeZeros), 0);

    EXPECT_FALSE(mirror.pop());
    EXPECT_EQ(glGetError(), GLenum(GL_STACK_UNDERFLOW));
    for (int depth = 2; depth <= 32; ++depth) ASSERT_TRUE(mirror.push());
    mirror.translate(1, 2, 3);
    EXPECT_FALSE(mirror.push());
    EXPECT_EQ(glGetError(), GLenum(GL_STACK_OVERFLOW));
    EXPECT_EQ(mirror.web().depth(), 32);
    EXPECT_EQ(mirror.desktopDepth(), 32);
    EXPECT_TRUE(mirror.sameTop());

    web::MatrixStack tiny(0);  // a depth below 1 is taken as 1
    EXPECT_EQ(tiny.depth(), 1);
    EXPECT_FALSE(tiny.push());
}

}  // namespace
