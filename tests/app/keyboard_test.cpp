// SPDX-License-Identifier: MIT
#include "app/keyboard.h"

#include <cstring>
#include <string>

#include "app/frame_tick.h"
#include "tests/support/app_fixture.h"

namespace {

// A piece that records its own destruction and never collides.
class InertPiece : public Piece {
  public:
    explicit InertPiece(int* destroyed = nullptr) : destroyed(destroyed) {}
    ~InertPiece() override {
        if (destroyed) ++*destroyed;
    }
    void drawShape() override {}
    void resolveHit(Ball*) override {}
    float hitDistance(Ball*) override { return -1.0f; }
    int* destroyed;
};

// The observable parts of the state that a key could change.
struct Snapshot {
    float cameraDistance, cameraAzimuth, eyeX, eyeZ, pieceAngle, ballY, ballVy;
    int panState;
    bool paused, stepRequested;
    std::size_t pieces;
    const Piece* current;
    float rotation[16];

    bool operator==(const Snapshot& o) const {
        return cameraDistance == o.cameraDistance && cameraAzimuth == o.cameraAzimuth &&
               eyeX == o.eyeX && eyeZ == o.eyeZ && pieceAngle == o.pieceAngle && ballY == o.ballY &&
               ballVy == o.ballVy && panState == o.panState && paused == o.paused &&
               stepRequested == o.stepRequested && pieces == o.pieces && current == o.current &&
               std::memcmp(rotation, o.rotation, sizeof rotation) == 0;
    }
};

Snapshot snapshot(const AppState& s) {
    Snapshot shot{s.cameraDistance,
                  s.cameraAzimuth,
                  s.cameraEye.x,
                  s.cameraEye.z,
                  s.pieceAngle,
                  s.ball->center().y,
                  s.ball->velocityVector().y,
                  s.panState,
                  s.paused,
                  s.stepRequested,
                  s.sceneList.size(),
                  s.currentPiece,
                  {}};
    std::memcpy(shot.rotation, s.sceneList.front()->rotationMatrix(), sizeof shot.rotation);
    return shot;
}

class KeyboardTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        for (int i = 0; i < 5; ++i) {
            state.sceneList.emplace_back(new InertPiece(&destroyed));
        }
        state.currentPiece = state.sceneList.front().get();
    }
    int destroyed = 0;
};

TEST_F(KeyboardTest, EveryByteRunsItsCommandOrChangesNothing) {
    const std::string commands = "WSADEZXPORHQwsadezxporhq";
    for (int key = 0; key < 256; ++key) {
        if (commands.find(static_cast<char>(key)) != std::string::npos) continue;
        const Snapshot before = snapshot(state);
        onKeyDown(static_cast<unsigned char>(key), 10, 10);
        onKeyUp(static_cast<unsigned char>(key), 10, 10);
        EXPECT_TRUE(snapshot(state) == before) << "key " << key;
    }
}

TEST_F(KeyboardTest, BothCasesRunTheSameCommand) {
    onKeyDown('Z', 0, 0);
    onKeyDown('z', 0, 0);
    EXPECT_EQ(state.pieceAngle, 6.0f);
    onKeyDown('X', 0, 0);
    EXPECT_EQ(state.pieceAngle, 3.0f);
    onKeyDown('p', 0, 0);
    onKeyDown('P', 0, 0);
    EXPECT_FALSE(state.paused);
}

TEST_F(KeyboardTest, ZSetsTheWholeRotationAboutZ) {
    Piece* piece = state.currentPiece;
    piece->setRotation(40, 1, 0, 0);
    onKeyDown('z', 0, 0);
    Ball probe(0.05f, 5, Point3(0, 0, 0), Vector3(0, 0, 0));
    probe.setRotation(3, 0, 0, 1);
    EXPECT_EQ(std::memcmp(piece->rotationMatrix(), probe.rotationMatrix(), 16 * sizeof(float)), 0);
}

TEST_F(KeyboardTest, TurnsWithoutAPieceOnlyCountTheAngle) {
    state.currentPiece = nullptr;
    for (int i = 0; i < 120; ++i) onKeyDown('z', 0, 0);
    EXPECT_EQ(state.pieceAngle, 360.0f);
    state.currentPiece = state.sceneList[2].get();
    onKeyDown('z', 0, 0);
    Ball probe(0.05f, 5, Point3(0, 0, 0), Vector3(0, 0, 0));
    probe.setRotation(363, 0, 0, 1);
    EXPECT_EQ(std::memcmp(state.currentPiece->rotationMatrix(), probe.rotationMatrix(),
                          16 * sizeof(float)),
              0);
}

TEST_F(KeyboardTest, EraseRemovesExactlyTheCurrentPieceAndShiftsTheRest) {
    Piece* third = state.sceneList[2].get();
    Piece* fourth = state.sceneList[3].get();
    Piece* fifth = state.sceneList[4].get();
    state.currentPiece = third;
    onKeyDown('e', 0, 0);
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(state.currentPiece, nullptr);
    ASSERT_EQ(state.sceneList.size(), 4u);
    EXPECT_EQ(state.sceneList[2].get(), fourth);
    EXPECT_EQ(state.sceneList[3].get(), fifth);

    onKeyDown('E', 0, 0);
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(state.sceneList.size(), 4u);
}

TEST_F(KeyboardTest, SeveralStepRequestsBetweenTicksGiveOneStep) {
    onKeyDown('p', 0, 0);
    onKeyDown('r', 0, 0);
    onKeyDown('o', 0, 0);
    onKeyDown('O', 0, 0);
    onKeyDown('o', 0, 0);
    advanceFrame(state);  // the step from rest only gains velocity
    EXPECT_FALSE(state.stepRequested);
    EXPECT_FLOAT_EQ(state.ball->velocityVector().y, -0.002f);
    advanceFrame(state);
    EXPECT_FLOAT_EQ(state.ball->velocityVector().y, -0.002f);
    onKeyDown('o', 0, 0);
    advanceFrame(state);
    EXPECT_FLOAT_EQ(state.ball->center().y, 1.998f);
    EXPECT_FLOAT_EQ(state.ball->velocityVector().y, -0.004f);
}

TEST_F(KeyboardTest, PauseTwiceReturnsToRunning) {
    onKeyDown('p', 0, 0);
    EXPECT_TRUE(state.paused);
    advanceFrame(state);
    EXPECT_EQ(state.ball->velocityVector().y, 0.0f);
    onKeyDown('p', 0, 0);
    EXPECT_FALSE(state.paused);
    advanceFrame(state);
    EXPECT_FLOAT_EQ(state.ball->velocityVector().y, -0.002f);
}

TEST_F(KeyboardTest, StepRequestWhileRunningIsConsumedByTheOrdinaryStep) {
    onKeyDown('o', 0, 0);
    advanceFrame(state);
    EXPECT_FALSE(state.stepRequested);
    EXPECT_FLOAT_EQ(state.ball->velocityVector().y, -0.002f);
}

TEST_F(KeyboardTest, ResetWhilePausedPutsTheBallAtRestAtItsStart) {
    for (int i = 0; i < 40; ++i) advanceFrame(state);
    onKeyDown('p', 0, 0);
    onKeyDown('r', 0, 0);
    for (int i = 0; i < 100; ++i) advanceFrame(state);
    const Point3 center = state.ball->center();
    EXPECT_EQ(center.x, 0.0f);
    EXPECT_EQ(center.y, 2.0f);
    EXPECT_EQ(center.z, 0.0f);
    EXPECT_EQ(state.ball->velocityVector().y, 0.0f);
    EXPECT_EQ(state.ball->stepVector().y, 0.0f);
    EXPECT_TRUE(state.paused);
    EXPECT_FLOAT_EQ(state.ball->accelerationVector().y, -0.002f);
}

TEST_F(KeyboardTest, PanningGoesOnWhilePaused) {
    onKeyDown('p', 0, 0);
    onKeyDown('d', 0, 0);
    advanceFrame(state);
    EXPECT_GT(state.cameraAzimuth, -1.5707964f);
    EXPECT_EQ(state.ball->velocityVector().y, 0.0f);
}

}  // namespace
