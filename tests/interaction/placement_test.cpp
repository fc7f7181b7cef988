// SPDX-License-Identifier: MIT
#include "interaction/placement.h"

#include "tests/interaction/interaction_fixture.h"

namespace {

constexpr float kTolerance = 1e-6f;

void expectPoint(int x, int y, float distance, float expectedX, float expectedY) {
    const auto point = placementPoint(x, y, 600, 600, distance);
    ASSERT_TRUE(point.has_value());
    EXPECT_NEAR(point->x, expectedX, kTolerance) << "x for (" << x << ", " << y << ")";
    EXPECT_NEAR(point->y, expectedY, kTolerance) << "y for (" << x << ", " << y << ")";
}

TEST(PlacementPoint, MapsTheSquareWindowAtTheStartDistance) {
    expectPoint(300, 299, -4.0f, 0.0f, 0.0f);
    expectPoint(0, 0, -4.0f, -1.6568543f, 1.6513314f);
    expectPoint(450, 150, -4.0f, 0.8284271f, 0.8229043f);
    // The bottom-right pixel: x one column short of T, y a row short of -T.
    expectPoint(599, 599, -4.0f, 1.6513314f, -1.6568543f);
}

TEST(PlacementPoint, HalfHeightScalesWithTheCameraDistance) {
    EXPECT_NEAR(placementHalfHeight(-4.0f), 1.6568543, kTolerance);
    EXPECT_NEAR(placementHalfHeight(-2.0f), 0.8284271, kTolerance);
    EXPECT_NEAR(placementHalfHeight(-10.0f), 4.1421356, kTolerance);
    // The same corner pixel lands at (-T, T·598/600) at every distance.
    expectPoint(0, 0, -2.0f, -0.8284271f, 0.8284271f * 598.0f / 600.0f);
    expectPoint(0, 0, -10.0f, -4.1421356f, 4.1421356f * 598.0f / 600.0f);
}

TEST(PlacementPoint, WideWindowDividesBothAxesByTheHeight) {
    const double t = placementHalfHeight(-4.0f);
    const auto centre = placementPoint(400, 299, 800, 600, -4.0f);
    ASSERT_TRUE(centre.has_value());
    EXPECT_NEAR(centre->x, 0.0f, kTolerance);
    EXPECT_NEAR(centre->y, 0.0f, kTolerance);
    const auto left = placementPoint(0, 299, 800, 600, -4.0f);
    ASSERT_TRUE(left.has_value());
    EXPECT_NEAR(left->x, -t * 800.0 / 600.0, kTolerance);
}

TEST(PlacementPoint, NoPointForAWindowOfHeightZero) {
    EXPECT_FALSE(placementPoint(10, 10, 600, 0, -4.0f).has_value());
    EXPECT_FALSE(placementPoint(0, 0, 0, 0, -4.0f).has_value());
    // One row or no width still has a finite point.
    const auto thin = placementPoint(0, 0, 0, 1, -4.0f);
    ASSERT_TRUE(thin.has_value());
    EXPECT_TRUE(std::isfinite(thin->x) && std::isfinite(thin->y));
}

using CarryTest = InteractionTest;

TEST_F(CarryTest, PassiveMotionCarriesTheCurrentPieceAndKeepsItsRotation) {
    Block* block = carryBlock(0.0f, 0.0f, 0.5f);
    block->setRotation(40.0f, 0.0f, 0.0f, 1.0f);
    float before[16];
    std::copy(block->rotationMatrix(), block->rotationMatrix() + 16, before);

    onPassiveMotion(450, 150);

    EXPECT_NEAR(block->getPosition().x, 0.8284271f, kTolerance);
    EXPECT_NEAR(block->getPosition().y, 0.8229043f, kTolerance);
    EXPECT_EQ(block->getPosition().z, 0.0f);
    expectRotationEq(block->rotationMatrix(), before, 0.0f);
}

TEST_F(CarryTest, WithoutACurrentPieceNothingMoves) {
    Block* placed = placeBlock(0.25f, 0.5f, 0.0f);
    onPassiveMotion(0, 0);
    EXPECT_EQ(placed->getPosition().x, 0.25f);
    EXPECT_EQ(placed->getPosition().y, 0.5f);
}

TEST_F(CarryTest, ReadsTheDistanceButNotTheSwing) {
    Block* block = carryBlock(0.0f, 0.0f, 0.0f);
    state.cameraDistance = -10.0f;
    state.cameraAzimuth = -0.9f;
    state.cameraElevation = 0.3f;
    carryCurrentPiece(state, 0, 0);
    EXPECT_NEAR(block->getPosition().x, -4.1421356f, kTolerance);
    EXPECT_NEAR(block->getPosition().y, 4.1421356f * 598.0f / 600.0f, kTolerance);
}

TEST_F(CarryTest, MinimisedWindowLeavesThePieceWhereItIs) {
    Block* block = carryBlock(0.3f, -0.2f, 0.0f);
    state.windowWidth = 0;
    state.windowHeight = 0;
    onPassiveMotion(10, 10);
    EXPECT_EQ(block->getPosition().x, 0.3f);
    EXPECT_EQ(block->getPosition().y, -0.2f);
}

}  // namespace
