// SPDX-License-Identifier: MIT
// web::perspective, lookAt and pickMatrix against the desktop's libGLU, each
// multiplied onto a random matrix of the modelview stack and compared bit for
// bit: the toy's own calls, random ones and degenerate ones.
#include "web/glu_math.h"

#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "tests/web/gl_mirror.h"

namespace {

class GluMathTest : public ::testing::Test {
  protected:
    double uniform(double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(rng);
    }
    // A fresh mirror whose top is a random product, pushed so that Mesa has
    // analysed it, as the toy's projection and camera matrices are.
    GlMirror& randomStart() {
        mirror.reset(new GlMirror(GL_MODELVIEW));
        mirror->translate(float(uniform(-2, 2)), float(uniform(-2, 2)), float(uniform(-2, 2)));
        mirror->rotate(float(uniform(-180, 180)), 0.3f, -0.5f, 0.8f);
        if (uniform(0, 1) < 0.5) mirror->scale(1.5f, 0.75f, 2.0f);
        mirror->push();
        return *mirror;
    }

    std::mt19937 rng{20240612u};
    std::unique_ptr<GlMirror> mirror;
};

TEST_F(GluMathTest, PerspectiveMatchesLibGlu) {
    struct Case {
        double fovy, aspect, zNear, zFar;
    };
    std::vector<Case> cases = {{45, 1, 1, 20},       {45, 600.0 / 599.0, 1, 20},
                               {45, 4.0 / 3, 1, 20}, {0, 1, 1, 20},
                               {360, 1, 1, 20},      {45, 0, 1, 20},
                               {45, 1, 5, 5},        {45, -1, 20, 1},
                               {180, 1, -1, 1},      {45, 1e-300, 1, 20},
                               {NAN, 1, 1, 20}};
    for (int fovy = 1; fovy < 180; ++fovy) cases.push_back({double(fovy), 1, 1, 20});
    for (int i = 0; i < 2000; ++i) {
        cases.push_back({uniform(0.1, 179.9), uniform(0.1, 10), uniform(0.01, 5), uniform(5, 500)});
    }
    for (const Case& c : cases) {
        GlMirror& m = randomStart();
        gluPerspective(c.fovy, c.aspect, c.zNear, c.zFar);
        web::perspective(m.web(), c.fovy, c.aspect, c.zNear, c.zFar);
        ASSERT_TRUE(m.sameTop()) << c.fovy << " " << c.aspect << " " << c.zNear << " " << c.zFar;
    }
}

TEST_F(GluMathTest, LookAtMatchesLibGlu) {
    struct Case {
        double v[9];
    };
    std::vector<Case> cases = {
        {{0, 0, 4, 0, 0, 0, 0, 1, 0}},   // the toy's default camera
        {{0, 0, 0, 0, 0, -1, 0, 1, 0}},  // looking down -z from the origin
        {{1, 2, 3, 1, 2, 3, 0, 1, 0}},   // eye on the centre
        {{0, 0, 4, 0, 0, 0, 0, 0, 0}},   // no up vector
        {{0, 4, 0, 0, 0, 0, 0, 1, 0}},   // up along the view
        {{0, 0, 4, 0, 0, 0, 0, -1, 0}},
    };
    for (int i = 0; i < 2000; ++i) {
        Case c;
        for (double& v : c.v) v = uniform(-10, 10);
        if (i % 2) c.v[6] = 0, c.v[7] = 1, c.v[8] = 0;
        cases.push_back(c);
    }
    for (const Case& c : cases) {
        GlMirror& m = randomStart();
        const double* v = c.v;
        gluLookAt(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]);
        web::lookAt(m.web(), v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]);
        ASSERT_TRUE(m.sameTop()) << v[0] << " " << v[1] << " " << v[2] << " -> " << v[3] << " "
                                 << v[4] << " " << v[5] << " up " << v[6] << " " << v[7] << " "
                                 << v[8];
    }
}

TEST_F(GluMathTest, PickMatrixMatchesLibGlu) {
    struct Case {
        double x, y, w, h;
        int viewport[4];
    };
    std::vector<Case> cases = {
        {300, 300, 1, 1, {0, 0, 600, 600}},      {0, 600, 1, 1, {0, 0, 600, 600}},
        {-50, 9000, 1, 1, {0, 0, 600, 600}},     {10, 10, 0, 1, {0, 0, 600, 600}},
        {10, 10, 1, -2, {0, 0, 600, 600}},       {10, 10, NAN, 1, {0, 0, 600, 600}},
        {10, 10, 3, 5, {20, 30, 100, 80}},       {10, 10, 1, 1, {0, 0, 0, 0}},
        {2e9, -2e9, 1, 1, {0, 0, 2147483647, 1}}};
    for (int i = 0; i < 2000; ++i) {
        const int w = int(uniform(1, 2000)), h = int(uniform(1, 2000));
        cases.push_back({uniform(-10, w + 10),
                         uniform(-10, h + 10),
                         uniform(0.5, 8),
                         uniform(0.5, 8),
                         {int(uniform(-50, 50)), int(uniform(-50, 50)), w, h}});
    }
    for (Case& c : cases) {
        GlMirror& m = randomStart();
        gluPickMatrix(c.x, c.y, c.w, c.h, c.viewport);
        web::pickMatrix(m.web(), c.x, c.y, c.w, c.h, c.viewport);
        ASSERT_TRUE(m.sameTop()) << c.x << " " << c.y << " " << c.w << " " << c.h;
    }
}

}  // namespace
