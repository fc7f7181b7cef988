// SPDX-License-Identifier: MIT
// web::SelectionBuffer against the desktop's selection mode: random courses
// of blocks, curves and balls drawn with the real glutSolidCube and
// glutSolidSphere, picked through gluPickMatrix at random pixels as the toy
// picks, and random name-stack sequences. The records must be the desktop's
// word for word, and the chosen piece the same in every case.
#include "web/selection.h"

#include <GL/freeglut.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "interaction/picking.h"
#include "tests/web/gl_mirror.h"
#include "web/glu_math.h"
#include "web/solid_shapes.h"

namespace {

constexpr int kWindow = 600;
constexpr int kViewport[4] = {0, 0, kWindow, kWindow};

// One shape of a piece, placed within the piece.
struct Part {
    float offset[3];
    float turn;  // degrees about z
    bool sphere;
    float size;  // edge or radius
    int slices, stacks;
    web::Mesh mesh;
};

// A piece: a block (one cube), a curve (ten cubes) or a ball, transformed as
// the toy transforms a piece.
struct Piece {
    float position[3], angle, axis[3], scale[3];
    std::vector<Part> parts;
};

// The outcome of one pick on one side.
struct Pick {
    int hits;
    std::vector<std::uint32_t> buffer;
};

class SelectionTest : public ::testing::Test {
  protected:
    // Render mode, as a failed test may have left it, and no pending error.
    void SetUp() override {
        glViewport(0, 0, kWindow, kWindow);
        glRenderMode(GL_RENDER);
        while (glGetError() != GL_NO_ERROR) {
        }
    }

    float uniform(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); }
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }

    Part part(bool sphere) {
        Part p{{0, 0, 0}, 0, sphere, 1.0f, 30, 30, {}};
        if (sphere) {
            p.size = pick(2) ? 0.05f : uniform(0.05f, 1.5f);
            if (pick(3) == 0) p.slices = 3 + pick(20), p.stacks = 2 + pick(20);
            p.mesh = web::solidSphere(p.size, p.slices, p.stacks);
        } else {
            p.mesh = web::solidCube(p.size);
        }
        return p;
    }
    // A piece within `spread` of the origin.
    Piece piece(float spread) {
        Piece p{{uniform(-spread, spread), uniform(-spread, spread), uniform(-spread, spread)},
                uniform(-360, 360),
                {uniform(-1, 1), uniform(-1, 1), uniform(-1, 1)},
                {uniform(0.05f, 3), uniform(0.05f, 3), uniform(0.05f, 3)},
                {}};
        const int kind = pick(3);
        if (kind == 1) {  // a curve: ten small blocks round an arc
            for (int i = 0; i < 10; ++i) {
                Part block = part(false);
                const float a = float(i) * 0.1745f;
                block.offset[0] = std::cos(a) * 2;
                block.offset[1] = std::sin(a) * 2;
                block.turn = float(8 * i);
                p.parts.push_back(block);
            }
        } else {
            p.parts.push_back(part(kind == 2));
        }
        return p;
    }

    // Draws a piece on the desktop and into `selection` with the same matrices.
    void draw(const Piece& p, GlMirror& modelview, GlMirror& projection,
              web::SelectionBuffer& selection) {
        modelview.push();
        modelview.translate(p.position[0], p.position[1], p.position[2]);
        modelview.rotate(p.angle, p.axis[0], p.axis[1], p.axis[2]);
        modelview.scale(p.scale[0], p.scale[1], p.scale[2]);
        for (const Part& part : p.parts) {
            modelview.push();
            modelview.translate(part.offset[0], part.offset[1], part.offset[2]);
            modelview.rotate(part.turn, 0, 0, 1);
            if (part.sphere) {
                glutSolidSphere(part.size, part.slices, part.stacks);
            } else {
                glutSolidCube(part.size);
            }
            selection.triangles(part.mesh.positions.data(), int(part.mesh.positions.size() / 3),
                                projection.web().top(), modelview.web().top());
            modelview.pop();
        }
        modelview.pop();
    }

    // Picks the course through the square of side 1 at window pixel (x, row),
    // row counted from the bottom, on both sides, as the toy's pickPiece does.
    void pickBoth(const std::vector<Piece>& course, const float eye[3], double x, double row,
                  int words, Pick& desktop, Pick& browser) {
        desktop = Pick{0, std::vector<std::uint32_t>(words, 0xDEADBEEF)};
        browser = desktop;
        web::SelectionBuffer selection;
        glSelectBuffer(words, desktop.buffer.data());
        glRenderMode(GL_SELECT);
        selection.start(browser.buffer.data(), words);
        glInitNames();
        selection.initNames();
        glPushName(kUnnamed);
        selection.pushName(kUnnamed);

        GlMirror projection(GL_PROJECTION);
        gluPickMatrix(x, row, 1, 1, const_cast<GLint*>(kViewport));
        web::pickMatrix(projection.web(), x, row, 1, 1, kViewport);
        gluPerspective(45, 1, 1, 20);
        web::perspective(projection.web(), 45, 1, 1, 20);
        GlMirror modelview(GL_MODELVIEW);
        gluLookAt(eye[0], eye[1], eye[2], 0, 0, 0, 0, 1, 0);
        web::lookAt(modelview.web(), eye[0], eye[1], eye[2], 0, 0, 0, 0, 1, 0);
        ASSERT_TRUE(projection.sameTop() && modelview.sameTop());

        for (std::size_t i = 0; i < course.size(); ++i) {
            if (i > 0) {  // the first piece is the ball, drawn unnamed
                glLoadName(GLuint(i - 1));
                selection.loadName(std::uint32_t(i - 1));
            }
            draw(course[i], modelview, projection, selection);
        }
        desktop.hits = glRenderMode(GL_RENDER);
        browser.hits = selection.finish();
        glMatrixMode(GL_MODELVIEW);
    }

    // The pixel (x, row) a few pixels from where `point` shows in the window.
    void aim(const float eye[3], const float point[3], double& x, double& row) {
        web::MatrixStack m(2);
        web::perspective(m, 45, 1, 1, 20);
        web::lookAt(m, eye[0], eye[1], eye[2], 0, 0, 0, 0, 1, 0);
        const float* t = m.top();
        double clip[4];
        for (int k = 0; k < 4; ++k) {
            clip[k] = t[k] * point[0] + t[4 + k] * point[1] + t[8 + k] * point[2] + t[12 + k];
        }
        if (clip[3] <= 0) return;
        x = std::floor((clip[0] / clip[3] + 1) * kWindow / 2) + pick(9) - 4;
        row = std::floor((clip[1] / clip[3] + 1) * kWindow / 2) + pick(9) - 4;
    }

    std::mt19937 rng{20240613u};
};

// Where Mesa converted a depth outside [0, 1] unchecked, it wrote a word
// near 0xFFFFFFFF for one just below 0 (by up to 2^-12 here), and a small one
// for one at or just above 1; the browser build holds those depths to 0 and
// 0xFFFFFFFF.
bool desktopWrapped(std::uint32_t desktop, std::uint32_t browser) {
    return (browser == 0 && desktop >= 0xFFF00000u) ||
           (browser == 0xFFFFFFFFu && desktop < 0x00100000u);
}

// Where two buffers first differ, for a failure message.
std::string firstDifference(const std::vector<std::uint32_t>& desktop,
                            const std::vector<std::uint32_t>& browser) {
    const auto at = std::mismatch(desktop.begin(), desktop.end(), browser.begin());
    if (at.first == desktop.end()) return "none";
    return "word " + std::to_string(at.first - desktop.begin()) + ": desktop " +
           std::to_string(*at.first) + ", browser " + std::to_string(*at.second);
}

// The desktop's buffer with each depth it wrapped replaced by the browser
// build's, walking `hits` records (all that fit when it is -1). Counts the
// replaced minimum and maximum depths in wrapped[0] and wrapped[1], and the
// records walked in `records`.
std::vector<std::uint32_t> unwrapped(const std::vector<std::uint32_t>& desktop,
                                     const std::vector<std::uint32_t>& browser, int hits,
                                     int wrapped[2], int& records) {
    std::vector<std::uint32_t> repaired = desktop;
    const std::size_t count = hits < 0 ? repaired.size() : std::size_t(hits);
    for (std::size_t at = 0, r = 0; r < count && at < repaired.size(); ++r, ++records) {
        for (std::size_t k : {at + 1, at + 2}) {
            if (k < repaired.size() && desktopWrapped(desktop[k], browser[k])) {
                ++wrapped[k - at - 1];
                repaired[k] = browser[k];
            }
        }
        at += 3 + desktop[at];
    }
    return repaired;
}

TEST_F(SelectionTest, RandomCoursesPickAsOnTheDesktop) {
    constexpr int kCourses = 500;
    constexpr int kPicksPerCourse = 12;
    int cases = 0, records = 0, hitCases = 0;
    int wrapped[2] = {0, 0};  // minimum depths, maximum depths
    for (int c = 0; c < kCourses; ++c) {
        std::vector<Piece> course;
        Piece ball{{uniform(-2, 2), uniform(-2, 3), uniform(-2, 2)}, 0, {0, 0, 1}, {1, 1, 1}, {}};
        ball.parts.push_back(part(true));
        course.push_back(ball);
        // Some courses reach past the far plane, 20 from the eye.
        const float spread = pick(4) == 0 ? 16.0f : 4.0f;
        for (int n = 1 + pick(12); n > 0; --n) course.push_back(piece(spread));
        // The orbit camera: 2 to 10 from the origin, up or down by up to 45°.
        const float d = uniform(2, 10), e = uniform(-0.785f, 0.785f), a = uniform(-3.14f, 0);
        const float eye[3] = {std::cos(a) * std::cos(e) * d, std::sin(e) * d,
                              std::sin(-a) * std::cos(e) * d};

        for (int p = 0; p < kPicksPerCourse; ++p, ++cases) {
            // Most picks aim near a piece's centre, the rest anywhere.
            double x = pick(kWindow), row = pick(kWindow);
            if (pick(3) != 0) aim(eye, course[pick(int(course.size()))].position, x, row);
            const int words = pick(8) == 0 ? 1 + pick(12) : int(kPickBufferWords);
            Pick desktop, browser;
            pickBoth(course, eye, x, row, words, desktop, browser);
            ASSERT_EQ(desktop.hits, browser.hits) << "course " << c << " pick " << p;
            hitCases += desktop.hits != 0;
            // Names exact, depths exact unless the desktop wrapped them.
            const std::vector<std::uint32_t> repaired =
                unwrapped(desktop.buffer, browser.buffer, desktop.hits, wrapped, records);
            ASSERT_TRUE(repaired == browser.buffer) << "course " << c << " pick " << p << ", "
                                                    << firstDifference(repaired, browser.buffer);
            // The same piece chosen; where the desktop wrapped a depth, the
            // one it would choose with the depth held to [0, 1].
            const auto chosen =
                nearestHitName(browser.hits, browser.buffer.data(), browser.buffer.size());
            EXPECT_EQ(nearestHitName(desktop.hits, repaired.data(), repaired.size()), chosen);
            if (repaired == desktop.buffer) {
                EXPECT_EQ(nearestHitName(desktop.hits, desktop.buffer.data(), words), chosen);
            }
        }
    }
    std::cout << cases << " picks, " << hitCases << " with records, " << records
              << " records equal word for word, but for " << wrapped[0] << " minimum and "
              << wrapped[1] << " maximum depths the desktop wrapped past 0 or 1\n";
    RecordProperty("wrappedMinimumDepths", wrapped[0]);
    RecordProperty("wrappedMaximumDepths", wrapped[1]);
    EXPECT_GT(records, cases / 2) << "too few picks hit anything to compare";
}

// Draws a triangle list on the desktop, with the current matrices.
void drawOnDesktop(const std::vector<float>& positions) {
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, positions.data());
    glDrawArrays(GL_TRIANGLES, 0, GLsizei(positions.size() / 3));
    glDisableClientState(GL_VERTEX_ARRAY);
}

// Random name-stack calls between triangles in view, out of view and across
// its edges: the same records, the same refusals (the desktop's GL errors),
// and the same overflow count, for buffers large and small.
TEST_F(SelectionTest, NameStackSequencesRecordAsOnTheDesktop) {
    GlMirror projection(GL_PROJECTION);
    GlMirror modelview(GL_MODELVIEW);
    int wrapped[2] = {0, 0}, records = 0;
    for (int sequence = 0; sequence < 400; ++sequence) {
        // Half the sequences see through a dense matrix, so that every term
        // of the model-view-projection product counts.
        float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1};
        for (float& v : m) v += sequence % 2 ? uniform(-0.3f, 0.3f) : 0.0f;
        projection.load(m);
        modelview.load(m);
        const int words = pick(4) == 0 ? pick(20) : 400;
        std::vector<std::uint32_t> desktop(std::max(words, 1), 7), browser = desktop;
        web::SelectionBuffer selection;
        glSelectBuffer(words, desktop.data());
        glRenderMode(GL_SELECT);
        selection.start(browser.data(), words);
        while (glGetError() != GL_NO_ERROR) {  // an empty buffer is an error, yet selects
        }
        // Every fifth sequence mostly pushes, to overflow the name stack.
        const bool pushing = sequence % 5 == 0;
        for (int call = 0; call < 100; ++call) {
            const std::uint32_t name = std::uint32_t(pick(1000));
            bool accepted = true;
            switch (pushing && pick(4) != 0 ? 1 : pick(6)) {
                case 0:
                    glInitNames();
                    selection.initNames();
                    break;
                case 1:
                    glPushName(name);
                    accepted = selection.pushName(name);
                    break;
                case 2:
                    glPopName();
                    accepted = selection.popName();
                    break;
                case 3:
                    glLoadName(name);
                    accepted = selection.loadName(name);
                    break;
                default: {
                    std::vector<float> triangle(9);
                    for (float& v : triangle) v = uniform(-1.6f, 1.6f);
                    if (pick(20) == 0) triangle[pick(9)] = pick(2) ? NAN : -INFINITY;
                    drawOnDesktop(triangle);
                    selection.triangles(triangle.data(), 3, projection.web().top(),
                                        modelview.web().top());
                }
            }
            ASSERT_EQ(glGetError() == GL_NO_ERROR, accepted) << "call " << call;
        }
        const int hits = glRenderMode(GL_RENDER);
        ASSERT_EQ(hits, selection.finish()) << "sequence " << sequence;
        const std::vector<std::uint32_t> repaired =
            unwrapped(desktop, browser, hits, wrapped, records);
        ASSERT_TRUE(repaired == browser)
            << "sequence " << sequence << ", " << firstDifference(repaired, browser);
    }
    std::cout << records << " records equal word for word, but for " << wrapped[0]
              << " minimum and " << wrapped[1] << " maximum depths the desktop wrapped\n";
}

// Outside selection the name calls change nothing and report so.
TEST_F(SelectionTest, CallsOutsideSelectionAreIgnored) {
    web::SelectionBuffer selection;
    EXPECT_FALSE(selection.pushName(1));
    EXPECT_FALSE(selection.loadName(1));
    EXPECT_FALSE(selection.popName());
    const float square[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    selection.triangles(square, 3, identity, identity);
    EXPECT_EQ(selection.finish(), 0);

    std::uint32_t buffer[8] = {};
    selection.start(buffer, 8);
    selection.triangles(square, 3, identity, identity);
    EXPECT_EQ(selection.finish(), 1);  // one record with no names
    EXPECT_EQ(buffer[0], 0u);
    EXPECT_FALSE(selection.pushName(1));  // selection has ended
    EXPECT_EQ(selection.finish(), 0);
}

// A vertex on the far plane has window depth 1. Mesa turns that into the
// word 0 (2^32 wrapped); the browser build writes 0xFFFFFFFF. Every other
// word is the desktop's.
TEST_F(SelectionTest, DepthOneIsTheLargestWord) {
    const float flipZ[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1};
    const std::vector<float> reaching = {-0.5f, -0.5f, 0, 0.5f, -0.5f, 0, 0, 0.5f, -1};
    GlMirror projection(GL_PROJECTION);
    projection.load(flipZ);
    GlMirror modelview(GL_MODELVIEW);
    std::uint32_t desktop[4] = {}, browser[4] = {};
    glSelectBuffer(4, desktop);
    glRenderMode(GL_SELECT);
    glPushName(9);
    drawOnDesktop(reaching);
    web::SelectionBuffer selection;
    selection.start(browser, 4);
    selection.pushName(9);
    selection.triangles(reaching.data(), 3, projection.web().top(), modelview.web().top());
    EXPECT_EQ(glRenderMode(GL_RENDER), 1);
    EXPECT_EQ(selection.finish(), 1);
    const std::uint32_t expected[4] = {1, 0x80000000u, 0xFFFFFFFFu, 9};
    EXPECT_TRUE(std::equal(browser, browser + 4, expected));
    EXPECT_TRUE(desktopWrapped(desktop[2], browser[2])) << desktop[2];
    desktop[2] = browser[2];
    EXPECT_TRUE(std::equal(desktop, desktop + 4, browser));
}

}  // namespace
