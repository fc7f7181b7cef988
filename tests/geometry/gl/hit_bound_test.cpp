// SPDX-License-Identifier: MIT
// The bound that lets a hit test skip a grown box: it must hold every contact
// that a face accepts, including those a hair outside an edge or a corner that
// the inside test's tolerance lets through.
#include "geometry/hit_bound.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "geometry/grown_box.h"
#include "scene/ball.h"

namespace {

// A turned, shifted box, its parent stretched unevenly so its faces are not
// square and its edges not at right angles. A needle is 100 units long and
// hardly thicker than the ball: the sphere around it hugs its ends, where a
// contact just past the end of a long face must still count.
GrownBox randomBox(std::mt19937& rng, float radius, bool needle = false) {
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f), size(0.05f, 2.0f);
    Matrix4 world = Matrix4::identity();
    if (!needle) {
        world.scale(size(rng), size(rng), size(rng));
    }
    world.translate(unit(rng), unit(rng), unit(rng));
    const double angle = 3.0 * unit(rng);
    const double ax = unit(rng), ay = unit(rng), az = unit(rng);
    const double n = std::sqrt(ax * ax + ay * ay + az * az);
    const double x = ax / n, y = ay / n, z = az / n, c = std::cos(angle), s = std::sin(angle);
    const float turn[16] = {float(c + x * x * (1 - c)),
                            float(y * x * (1 - c) + z * s),
                            float(z * x * (1 - c) - y * s),
                            0,
                            float(x * y * (1 - c) - z * s),
                            float(c + y * y * (1 - c)),
                            float(z * y * (1 - c) + x * s),
                            0,
                            float(x * z * (1 - c) + y * s),
                            float(y * z * (1 - c) - x * s),
                            float(c + z * z * (1 - c)),
                            0,
                            0,
                            0,
                            0,
                            1};
    world.multiply(turn);
    const float sx = needle ? 100.0f : size(rng);
    const float sy = needle ? 0.001f : size(rng) * 0.2f;
    const float sz = needle ? 0.001f : size(rng);
    world.scale(sx, sy, sz);
    return GrownBox(world, radius, sx, sy, sz);
}

Vector3 between(const Point3& from, const Point3& to) {
    return (to - from).asVector();
}

TEST(HitBound, HoldsEveryContactAcceptedJustOutsideAnEdgeOrCorner) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f), height(0.01f, 0.4f);
    Ball ball(0.05f, 5.0f, Point3(), Vector3());
    // Fractions of an edge's length by which the aim point lies outside it.
    const double outside[] = {0.0, 1e-6, 1e-4, 1e-3, 1.2e-3, 2e-3, 3e-3, 4e-3, 5e-3, 1e-2};
    const double along[] = {0.0, 1e-3, 0.25, 0.5, 0.999, 1.0, 1.001, 1.01};
    int acceptedOutside = 0;
    for (int b = 0; b < 40; ++b) {
        const GrownBox box = randomBox(rng, 0.05f, b % 4 == 0);
        const HitBound bound = HitBound::around(box);
        for (int f = 0; f < GrownBox::kFaceCount; ++f) {
            const Face& face = box.face(f);
            const HitBound faceBound = HitBound::around(face);
            const Vector3 n = face.normal();
            for (int e = 0; e < 4; ++e) {
                const Point3 &a = face.corner(e), &c = face.corner((e + 1) % 4);
                const Vector3 edge = between(a, c);
                // Outward in the face's plane, across the edge.
                Vector3 out = edge.cross(n);
                out.normalize();
                for (double u : along) {
                    for (double d : outside) {
                        const Point3 aim = a + edge * float(u) + out * float(d * edge.length());
                        // Straight in, and slanted along the edge or across it.
                        const Vector3 slants[] = {Vector3(), edge * 0.3f, out * 0.2f};
                        for (const Vector3& slant : slants) {
                            const Point3 start = aim + n * height(rng) + slant;
                            const Vector3 step = between(start, aim) * (1.0f + height(rng));
                            ball.setCenter(start);
                            ball.setMotion(step);
                            Point3 contact;
                            if (face.hitDistance(ball) >= 0.0 &&
                                face.planeContact(start, start + step, contact)) {
                                ASSERT_TRUE(faceBound.holds(contact))
                                    << "box " << b << " face " << f << " edge " << e;
                            }
                            if (box.nearestHit(ball).face < 0) {
                                continue;
                            }
                            acceptedOutside += d > 0.0 || u > 1.0;
                            ASSERT_TRUE(bound.mayMeet(start, step))
                                << "box " << b << " face " << f << " edge " << e << " at " << u
                                << " outside by " << d;
                        }
                    }
                }
            }
        }
    }
    // The aim reached into the tolerance: contacts outside the face were taken.
    EXPECT_GT(acceptedOutside, 100);
}

TEST(HitBound, StepsPassingWellClearAreSkipped) {
    Matrix4 world = Matrix4::identity();
    const GrownBox box(world, 0.05f, 1.0f, 1.0f, 1.0f);
    const HitBound bound = HitBound::around(box);
    // The grown unit cube has half-diagonal 0.55·√3, 0.953.
    EXPECT_FALSE(bound.mayMeet(Point3(2, 2, 0), Vector3(0, 1, 0)));
    EXPECT_FALSE(bound.mayMeet(Point3(-2, 1.1f, 0), Vector3(4, 0, 0)));
    EXPECT_FALSE(bound.mayMeet(Point3(3, 0, 0), Vector3(0, 0, 0)));
    EXPECT_TRUE(bound.mayMeet(Point3(-2, 0.9f, 0), Vector3(4, 0, 0)));
    EXPECT_TRUE(bound.mayMeet(Point3(0, 3, 0), Vector3(0, -2.5f, 0)));
}

TEST(HitBound, AnythingNotFiniteIsNeverSkipped) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const HitBound unit = HitBound::around(GrownBox(Matrix4::identity(), 0.05f, 1, 1, 1));
    EXPECT_TRUE(unit.mayMeet(Point3(nan, 5, 5), Vector3(0, 1, 0)));
    EXPECT_TRUE(unit.mayMeet(Point3(5, 5, 5), Vector3(inf, 0, 0)));
    // A flat block grows an infinite box; its bound admits every step.
    const HitBound flat = HitBound::around(GrownBox(Matrix4::identity(), 0.05f, 1, 0, 1));
    EXPECT_TRUE(flat.mayMeet(Point3(100, 100, 100), Vector3(0, 1, 0)));
    // So does one that was never built, or one around it.
    EXPECT_TRUE(HitBound().mayMeet(Point3(1e30f, 0, 0), Vector3(0, 1, 0)));
    const HitBound both[] = {unit, flat};
    EXPECT_TRUE(HitBound::around(both, 2).mayMeet(Point3(100, 100, 100), Vector3(0, 1, 0)));
}

TEST(HitBound, BoundAroundBoundsHoldsEachOfThem) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> unit(-3.0f, 3.0f);
    HitBound parts[5];
    for (HitBound& part : parts) {
        part = HitBound::around(randomBox(rng, 0.05f));
    }
    const HitBound all = HitBound::around(parts, 5);
    for (int i = 0; i < 20000; ++i) {
        const Point3 p(unit(rng), unit(rng), unit(rng));
        const Vector3 s(unit(rng), unit(rng), unit(rng));
        bool any = false;
        for (const HitBound& part : parts) {
            any = any || part.mayMeet(p, s);
        }
        if (any) {
            ASSERT_TRUE(all.mayMeet(p, s)) << i;
        }
    }
}

}  // namespace
