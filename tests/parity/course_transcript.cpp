// SPDX-License-Identifier: MIT
// Prints, one line each, what the toy computes on the modelview stack and the
// ball's path over a fixed course, so that two builds of the toy (the
// desktop's, on its OpenGL driver, and the browser's, on its own matrix
// stack) can be compared line by line:
//   stack N OPS : M   the matrix after a random sequence of the toy's matrix
//                     calls (rotate, multiply, load identity), 16 words in hex
//   piece N : R P     a course piece's rotation (16 words) and position
//   tick N : C V      the ball's centre and velocity after tick N, in hex
// Usage: course_transcript [STACK_CASES [TICKS]] (defaults 2000 and 2000).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "app/app_state.h"
#include "app/frame_tick.h"
#include "app/keyboard.h"
#include "interaction/palettes.h"
#include "interaction/placement.h"
#include "interaction/trackball.h"

#ifdef __EMSCRIPTEN__
#include <GL/gl.h>
#else
#include <GL/freeglut.h>
#endif

namespace {

std::uint32_t bits(float f) {
    std::uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

void printFloats(const float* values, int count) {
    for (int i = 0; i < count; ++i) std::printf(" %08x", bits(values[i]));
}

// Random numbers made from the generator's raw words, which the C++ standard
// fixes, rather than from a distribution, which each library makes its own way.
class Random {
  public:
    explicit Random(std::uint32_t seed) : engine(seed) {}
    // Uniform in [lo, hi), as a float.
    float uniform(float lo, float hi) {
        const float unit = static_cast<float>(engine() >> 8) * (1.0f / 16777216.0f);
        return lo + (hi - lo) * unit;
    }
    int below(int n) { return static_cast<int>(engine() % static_cast<std::uint32_t>(n)); }

  private:
    std::mt19937 engine;
};

// An angle as the toy makes them (whole degrees from keys and the trackball)
// or any float angle.
float randomAngle(Random& random) {
    if (random.below(2) == 0) return static_cast<float>(random.below(721) - 360);
    return random.uniform(-400.0f, 400.0f);
}

// A rotation axis: any direction, one along an axis (either sign), or a short one.
void randomAxis(Random& random, float axis[3]) {
    const int kind = random.below(4);
    for (int i = 0; i < 3; ++i) axis[i] = random.uniform(-1.0f, 1.0f);
    if (kind == 1) {
        const int keep = random.below(3);
        for (int i = 0; i < 3; ++i) {
            if (i != keep) axis[i] = 0.0f;
        }
        if (random.below(2) == 0) axis[keep] = -axis[keep];
    } else if (kind == 2) {
        for (int i = 0; i < 3; ++i) axis[i] *= 1e-3f;
    }
}

// The toy's matrix calls in random sequences: a rotation of a loaded
// identity, then further rotations and products with earlier results.
void printStackCases(int cases) {
    Random random(20261208u);
    float previous[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    glMatrixMode(GL_MODELVIEW);
    for (int n = 0; n < cases; ++n) {
        std::string ops;
        glPushMatrix();
        glLoadIdentity();
        const int steps = 1 + random.below(3);
        for (int s = 0; s < steps; ++s) {
            if (s > 0 && random.below(2) == 0) {
                glMultMatrixf(previous);
                ops += "mult ";
                continue;
            }
            const float angle = randomAngle(random);
            float axis[3];
            randomAxis(random, axis);
            glRotatef(angle, axis[0], axis[1], axis[2]);
            char op[160];
            std::snprintf(op, sizeof op, "rotate(%.9g,%.9g,%.9g,%.9g) ", angle, axis[0], axis[1],
                          axis[2]);
            ops += op;
        }
        glGetFloatv(GL_MODELVIEW_MATRIX, previous);
        glPopMatrix();
        std::printf("stack %d %s:", n, ops.c_str());
        printFloats(previous, 16);
        std::printf("\n");
    }
}

// Takes a piece from a palette, carries it to window pixel (x, y), turns it
// with `turns` presses of X (negative: Z) and drops it.
void place(AppState& state, std::unique_ptr<Piece> piece, int x, int y, int turns) {
    addNewPiece(state, std::move(piece));
    carryCurrentPiece(state, x, y);
    for (int i = 0; i < std::abs(turns); ++i) onKeyDown(turns > 0 ? 'x' : 'z', x, y);
}

// A block tilted by the keys under the ball's start, a wide level block below
// with an upright block at each end, and a ramp turned by a trackball drag off
// to the side, all in the plane z = 0 where the ball falls: it is deflected,
// lands, runs between the walls and comes to rest.
void buildCourse(AppState& state) {
    place(state, std::make_unique<Block>(), 300, 250, 2);
    place(state, std::make_unique<Block>(), 330, 430, 0);
    state.currentPiece->setScale(1.6f, 0.1f, 0.4f);
    place(state, std::make_unique<Block>(), 190, 400, 30);
    place(state, std::make_unique<Block>(), 470, 400, -30);
    place(state, std::make_unique<Curve>(), 120, 150, 0);
    const float drag[][2] = {{0.0f, 0.0f}, {0.05f, 0.1f}, {0.1f, 0.25f}, {0.12f, 0.4f}};
    state.trackballVector.reset();
    for (const auto& point : drag) dragStep(state, point[0], point[1]);
    state.currentPiece = nullptr;
}

void printCourse(const AppState& state) {
    for (std::size_t i = 0; i < state.sceneList.size(); ++i) {
        const Piece& piece = *state.sceneList[i];
        const Float3 p = piece.getPosition();
        std::printf("piece %zu :", i);
        printFloats(piece.rotationMatrix(), 16);
        const float position[3] = {p.x, p.y, p.z};
        printFloats(position, 3);
        std::printf("\n");
    }
}

void printTick(AppState& state, int n) {
    advanceFrame(state);
    const Point3 c = state.ball->center();
    const Vector3 v = state.ball->velocityVector();
    const float values[6] = {c.x, c.y, c.z, v.x, v.y, v.z};
    std::printf("tick %d :", n);
    printFloats(values, 6);
    std::printf("\n");
}

void printPath(AppState& state, int ticks) {
    onKeyDown('r', 0, 0);
    for (int n = 1; n <= ticks; ++n) printTick(state, n);
}

// Then a block flicked at the resting ball, 36 px a tick, across its row and
// up its column by turns, and swung 24° by the keys at every other tick: the
// ball is pushed the way the block came, along paths that turns make arcs.
void printSwipes(AppState& state, int firstTick) {
    const double t = placementHalfHeight(state.cameraDistance);
    const Point3 c = state.ball->center();
    const int x = int(std::lround(c.x / t * 300 + 300)), y = 299 - int(std::lround(c.y / t * 300));
    addNewPiece(state, std::make_unique<Block>());
    for (int n = 0; n < 72; ++n) {
        const int along = 36 * (n % 9) - 144;
        if (n / 9 % 2 == 0) {
            carryCurrentPiece(state, x + along, y);
        } else {
            carryCurrentPiece(state, x, y - along);
        }
        for (int i = 0; i < 8 * (n % 2); ++i) onKeyDown('x', 0, 0);
        printTick(state, firstTick + n);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int stackCases = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int ticks = argc > 2 ? std::atoi(argv[2]) : 2000;
#ifndef __EMSCRIPTEN__
    // The desktop's matrix stack needs a rendering context.
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(600, 600);
    glutCreateWindow("course transcript");
    glutHideWindow();
#endif
    printStackCases(stackCases);
    buildState();
    AppState& state = app();
    buildCourse(state);
    printCourse(state);
    printPath(state, ticks);
    printSwipes(state, ticks + 1);
    // The last line: a reader that does not see it got the transcript cut short.
    std::printf("end\n");
    return 0;
}
