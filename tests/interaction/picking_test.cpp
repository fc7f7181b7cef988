// SPDX-License-Identifier: MIT
#include "interaction/picking.h"

#include <climits>
#include <vector>

#include "tests/interaction/interaction_fixture.h"

namespace {

class PickTest : public InteractionTest {
  protected:
    // A left press at window pixel (x, y) with no current piece.
    Piece* pickAt(int x, int y) {
        state.pickX = x;
        state.pickY = y;
        pickPiece(state);
        return state.currentPiece;
    }
    // Moves the ball out of every pick through the centre of the view.
    void moveBallAside() { state.ball->setCenter(Point3(1.5f, 1.5f, 0.0f)); }
};

TEST_F(PickTest, ThePieceUnderTheCursorBecomesCurrent) {
    Block* block = placeBlock(0.0f, 0.0f, 0.0f);
    EXPECT_EQ(pickAt(300, 300), block);
}

TEST_F(PickTest, EmptySpaceSelectsNothing) {
    placeBlock(0.0f, 0.0f, 0.0f);
    EXPECT_EQ(pickAt(20, 20), nullptr);
    EXPECT_EQ(pickAt(300, 250), nullptr);  // just above the 0.1-high block
}

TEST_F(PickTest, TheBallInFrontHidesThePieceBehindIt) {
    Block* block = placeBlock(0.0f, 0.0f, 0.0f);
    state.ball->setCenter(Point3(0.0f, 0.0f, 1.0f));
    EXPECT_EQ(pickAt(300, 300), nullptr);
    // The same press with the ball behind the block selects it.
    state.ball->setCenter(Point3(0.0f, 0.0f, -1.0f));
    EXPECT_EQ(pickAt(300, 300), block);
}

TEST_F(PickTest, EmptySceneListSelectsNothingEvenOnTheBall) {
    state.ball->setCenter(Point3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(pickAt(300, 300), nullptr);
}

TEST_F(PickTest, EqualDepthsGoToTheLowerIndex) {
    placeBlock(1.0f, 1.0f, 0.0f);
    Block* lower = placeBlock(0.0f, 0.0f, 0.0f);
    placeBlock(0.0f, 0.0f, 0.0f);
    EXPECT_EQ(pickAt(300, 300), lower);
}

TEST_F(PickTest, TheNearestPieceWinsWhateverItsIndex) {
    placeBlock(0.0f, 0.0f, 0.0f);
    Block* nearer = placeBlock(0.0f, 0.0f, 0.5f);
    placeBlock(0.0f, 0.0f, -0.5f);
    EXPECT_EQ(pickAt(300, 300), nearer);
}

TEST_F(PickTest, TheCursorRowCountsFromTheTop) {
    // Placement puts a piece's origin under the cursor; picking must agree,
    // with the row flipped to count from the bottom.
    placeBlock(0.8284271f, -0.8229043f, 0.0f);  // the mirror image below
    Block* upper = placeBlock(0.8284271f, 0.8229043f, 0.0f);
    EXPECT_EQ(pickAt(450, 150), upper);
}

TEST(PickRowTest, IsExactForEveryInt) {
    EXPECT_EQ(pickRow(600, 150), 450.0);
    EXPECT_EQ(pickRow(600, 600), 0.0);
    EXPECT_EQ(pickRow(600, -2147483048), 2147483648.0);
    EXPECT_EQ(pickRow(600, INT_MIN), 2147484248.0);
    EXPECT_EQ(pickRow(0, INT_MAX), -2147483647.0);
    EXPECT_EQ(pickRow(INT_MAX, INT_MIN), 4294967295.0);
}

// Far outside the window, in any direction, a press finds nothing and leaves
// GL as it was; the pieces stay under the centre of the view.
TEST_F(PickTest, PressesFarOutsideTheWindowSelectNothing) {
    Block* block = placeBlock(0.0f, 0.0f, 0.0f);
    for (int y : {INT_MIN, -2147483048, -1, 600, 601, INT_MAX}) {
        for (int x : {INT_MIN, -1, 300, 600, INT_MAX}) {
            EXPECT_EQ(pickAt(x, y), nullptr) << x << ", " << y;
        }
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(pickAt(300, 300), block);
}

TEST_F(PickTest, LeavesTheMatricesAndTheRenderModeAsTheyWere) {
    placeBlock(0.0f, 0.0f, 0.0f);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 1.0, 1.0, 20.0);
    float projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(0.5f, 0.0f, 0.0f);
    float modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);

    pickAt(300, 300);

    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    glGetIntegerv(GL_RENDER_MODE, &mode);
    EXPECT_EQ(mode, GL_RENDER);
    float after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    expectRotationEq(after, modelview, 0.0f);
    glGetFloatv(GL_PROJECTION_MATRIX, after);
    expectRotationEq(after, projection, 0.0f);
    glLoadIdentity();
}

TEST_F(PickTest, ZeroSizedWindowPicksNothing) {
    placeBlock(0.0f, 0.0f, 0.0f);
    state.windowHeight = 0;
    EXPECT_EQ(pickAt(300, 300), nullptr);
    state.windowHeight = 600;
    state.windowWidth = 0;
    EXPECT_EQ(pickAt(300, 300), nullptr);
}

// More records than the 512-word buffer holds: the ball counts as one
// whenever it is hit, so `count` pieces stacked under the cursor make
// count + 1 records with the ball behind them.
class StackedPickTest : public PickTest, public ::testing::WithParamInterface<int> {};

TEST_P(StackedPickTest, TheNearestOfAStackIsSelected) {
    const int count = GetParam();
    const int nearest = count * 3 / 4;
    state.ball->setCenter(Point3(0.0f, 0.0f, -1.5f));
    std::vector<Block*> blocks;
    for (int i = 0; i < count; ++i) {
        blocks.push_back(placeBlock(0.0f, 0.0f, -0.005f * i));
    }
    blocks[nearest]->setPosition(0.0f, 0.0f, 0.5f);
    EXPECT_EQ(pickAt(300, 300), blocks[nearest]);
}

// 127 pieces and the ball fill the buffer exactly; 128 overflow it by one.
INSTANTIATE_TEST_SUITE_P(AroundTheBufferSize, StackedPickTest,
                         ::testing::Values(127, 128, 200, 600));

// Hand-made selection buffers: {names, min depth, max depth, name...}.
class ProcessHitsTest : public InteractionTest {
  protected:
    void SetUp() override {
        InteractionTest::SetUp();
        for (int i = 0; i < 3; ++i) pieces.push_back(placeBlock(0.0f, 0.0f, 0.0f));
    }
    Piece* process(int hits, const std::vector<std::uint32_t>& buffer) {
        processHits(state, hits, buffer.data(), buffer.size());
        return state.currentPiece;
    }
    std::vector<Block*> pieces;
};

TEST_F(ProcessHitsTest, NamesOutsideTheSceneListSelectNothing) {
    EXPECT_EQ(process(1, {1, 10, 20, 3}), nullptr);
    EXPECT_EQ(process(1, {1, 10, 20, kUnnamed}), nullptr);
    EXPECT_EQ(process(1, {1, 10, 20, 2}), pieces[2]);
}

TEST_F(ProcessHitsTest, SmallestMinimumDepthWinsAndTheEarliestOfEquals) {
    EXPECT_EQ(process(3, {1, 30, 1, 0, 1, 20, 99, 1, 1, 20, 5, 2}), pieces[1]);
}

TEST_F(ProcessHitsTest, TheFarthestDepthIsNeverChosen) {
    EXPECT_EQ(process(1, {1, 0xFFFFFFFF, 0xFFFFFFFF, 0}), nullptr);
    EXPECT_EQ(process(2, {1, 0xFFFFFFFF, 0, 0, 1, 0xFFFFFFFE, 0, 1}), pieces[1]);
}

TEST_F(ProcessHitsTest, RecordsAreSteppedByTheirNameCount) {
    // The first record has two names; a walk of fixed four-word records would
    // read the second one from the wrong place.
    EXPECT_EQ(process(2, {2, 50, 60, 0, 2, 1, 10, 20, 1}), pieces[1]);
}

TEST_F(ProcessHitsTest, NoHitsOrAnOverflowCountSelectNothing) {
    EXPECT_EQ(process(0, {1, 10, 20, 1}), nullptr);
    EXPECT_EQ(process(-1, {1, 10, 20, 1}), nullptr);
}

TEST_F(ProcessHitsTest, NeverReadsPastTheBuffer) {
    // The words past the given length hold a nearer record for piece 0, so a
    // walk that followed the count beyond the buffer would select it.
    const std::vector<std::uint32_t> words = {1, 50, 60, 1, 1, 0, 0, 0};
    processHits(state, 2, words.data(), 4);
    EXPECT_EQ(state.currentPiece, pieces[1]);
    state.currentPiece = nullptr;
    // Nor a record whose header, or whose names, the end of the buffer cuts.
    processHits(state, 2, words.data(), 6);
    EXPECT_EQ(state.currentPiece, pieces[1]);
    state.currentPiece = nullptr;
    const std::vector<std::uint32_t> cut = {1, 50, 60, 1, 7, 0, 0};
    EXPECT_EQ(process(2, cut), pieces[1]);
}

TEST_F(ProcessHitsTest, ANamelessRecordInFrontSelectsNothing) {
    EXPECT_EQ(process(2, {0, 5, 9, 1, 10, 20, 2}), nullptr);
}

}  // namespace
