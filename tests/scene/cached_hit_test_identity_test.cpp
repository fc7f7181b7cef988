// SPDX-License-Identifier: MIT
// The cached hit test against the straightforward one: over random courses
// whose pieces are moved, turned, reset, erased and added between ticks, often
// into the ball, the ball must follow the very same path, bit for bit, on
// every tick.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>

#include "geometry/simulation_step.h"
#include "scene/ball.h"
#include "scene/block.h"
#include "scene/curve.h"
#include "tests/support/straightforward_hit_test.h"

namespace {

constexpr int kCourses = 10;
constexpr int kTicksPerCourse = 1000;
const Vector3 kAcceleration(0.0f, -0.002f, 0.0f);

bool sameBits(const Vector3& a, const Vector3& b) {
    const float fa[3] = {a.x, a.y, a.z}, fb[3] = {b.x, b.y, b.z};
    return std::memcmp(fa, fb, sizeof fa) == 0;
}

bool sameBits(const Point3& a, const Point3& b) {
    return sameBits(a.asVector(), b.asVector());
}

class Course {
  public:
    explicit Course(unsigned seed) : rng(seed) {
        const int count = std::uniform_int_distribution<int>(4, 14)(rng);
        for (int i = 0; i < count; ++i) {
            addPiece();
        }
        relaunch();
    }

    // One tick through each hit test, each with its own ball.
    void tick() {
        simulationStep(*cachedBall, pieces);
        reference.simulationStep(*referenceBall, pieces);
    }

    int bounces() const { return reference.bounces; }
    int pushOuts() const { return reference.pushOuts; }
    int wedges() const { return reference.wedges; }
    int sweeps() const { return reference.sweeps; }

    bool ballsAgree() const {
        return sameBits(cachedBall->center(), referenceBall->center()) &&
               sameBits(cachedBall->velocityVector(), referenceBall->velocityVector()) &&
               sameBits(cachedBall->stepVector(), referenceBall->stepVector());
    }

    // What the user can do between two ticks, now and then.
    void disturb() {
        if (outOfCourse(cachedBall->center())) {
            relaunch();
        }
        const int what = std::uniform_int_distribution<int>(0, 44)(rng);
        if (pieces.empty() || what == 0) {
            addPiece();
            return;
        }
        Piece& piece = *pieces[std::uniform_int_distribution<size_t>(0, pieces.size() - 1)(rng)];
        SceneObject& target = memberOrWhole(piece);
        switch (what) {
            case 1:  // E
                reference.forget(*pieces.back());
                pieces.pop_back();
                break;
            case 2:
            case 3:  // carried under the cursor
                target.setPosition(coordinate(), coordinate(), coordinate() * 0.3f);
                break;
            case 4:
            case 5:  // a trackball drag step
                target.rotate(angle(), coordinate(), coordinate(), coordinate());
                break;
            case 6:  // Z or X
                target.setRotation(angle(), 0.0f, 0.0f, 1.0f);
                break;
            case 7:
                target.reset();
                break;
            case 8:
                target.setScale(size(), size(), size());
                break;
            case 9: {  // a different ball: every grown box changes
                const float radius = std::uniform_real_distribution<float>(0.02f, 0.1f)(rng);
                cachedBall->radius = radius;
                referenceBall->radius = radius;
                break;
            }
            case 10:  // a member let go of by its curve, or taken back
                if (auto* curve = dynamic_cast<Curve*>(&piece)) {
                    Block& member = curve->block(std::uniform_int_distribution<int>(0, 9)(rng));
                    member.setParent(member.getParent() == nullptr ? curve : nullptr);
                }
                break;
            case 11:    // two pieces pressed onto the ball from either side: a wedge,
            case 12: {  // which the moves settle; resized as well, the push-outs do
                const Point3 c = cachedBall->center();
                const float d = coordinate() * 0.05f;
                piece.setPosition(c.x - d, c.y + coordinate() * 0.05f, c.z);
                pieces.front()->setPosition(c.x + d, c.y + coordinate() * 0.05f, c.z);
                if (what == 12) piece.setScale(size(), size() * 0.3f, size());
                break;
            }
            default:
                break;
        }
    }

  private:
    float coordinate() { return std::uniform_real_distribution<float>(-1.0f, 1.0f)(rng); }
    float angle() { return std::uniform_real_distribution<float>(-180.0f, 180.0f)(rng); }
    float size() { return std::uniform_real_distribution<float>(0.05f, 1.5f)(rng); }

    // Usually the piece itself; for a curve, now and then one of its blocks.
    SceneObject& memberOrWhole(Piece& piece) {
        auto* curve = dynamic_cast<Curve*>(&piece);
        if (curve != nullptr && std::uniform_int_distribution<int>(0, 3)(rng) == 0) {
            return curve->block(std::uniform_int_distribution<int>(0, 9)(rng));
        }
        return piece;
    }

    void addPiece() {
        std::unique_ptr<Piece> piece;
        if (std::uniform_int_distribution<int>(0, 1)(rng) == 0) {
            piece = std::make_unique<Block>();
            piece->setScale(size(), size() * 0.3f, size());
        } else {
            piece = std::make_unique<Curve>();
            piece->setScale(3.0f, 3.0f, 3.0f);
        }
        piece->setPosition(coordinate(), coordinate() * 1.5f, coordinate() * 0.2f);
        piece->setRotation(angle(), coordinate(), coordinate(), 1.0f);
        pieces.push_back(std::move(piece));
    }

    static bool outOfCourse(const Point3& c) {
        return c.y < -2.5f || c.y > 3.0f || c.x < -2.5f || c.x > 2.5f || c.z < -1.5f || c.z > 1.5f;
    }

    // Both balls drop again from a random point above the course.
    void relaunch() {
        const Point3 start(coordinate(), 2.0f, coordinate() * 0.2f);
        const Vector3 push(coordinate() * 0.02f, 0.0f, coordinate() * 0.005f);
        for (auto* ball : {&cachedBall, &referenceBall}) {
            const float radius = *ball ? (*ball)->radius : 0.05f;
            *ball = std::make_unique<Ball>(radius, 5.0f, start, Vector3());
            (*ball)->setAcceleration(kAcceleration);
            (*ball)->setMotion(push);
        }
    }

    std::mt19937 rng;
    SceneList pieces;
    StraightforwardHits reference;
    std::unique_ptr<Ball> cachedBall;
    std::unique_ptr<Ball> referenceBall;
};

TEST(CachedHitTest, BallFollowsTheStraightforwardPathBitForBit) {
    int bounces = 0, pushOuts = 0, wedges = 0, sweeps = 0;
    for (unsigned seed = 1; seed <= kCourses; ++seed) {
        Course course(seed);
        for (int tick = 0; tick < kTicksPerCourse; ++tick) {
            course.tick();
            ASSERT_TRUE(course.ballsAgree()) << "seed " << seed << ", tick " << tick;
            course.disturb();
        }
        bounces += course.bounces();
        pushOuts += course.pushOuts();
        wedges += course.wedges();
        sweeps += course.sweeps();
    }
    std::printf("%d bounces, %d push-outs, %d wedges, %d sweeps\n", bounces, pushOuts, wedges,
                sweeps);
    // The paths are compared through many bounces, push-outs (pieces put
    // into the ball), wedges and sweeps (pieces moved into or past the ball),
    // not only through free fall.
    EXPECT_GT(bounces, 1000);
    EXPECT_GT(pushOuts, 100);
    EXPECT_GT(wedges, 20);
    EXPECT_GT(sweeps, 100);
}

}  // namespace
