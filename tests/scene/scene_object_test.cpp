// SPDX-License-Identifier: MIT
#include "scene/scene_object.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "tests/support/gl_context.h"

namespace {

using Matrix = std::array<float, 16>;

Matrix currentModelview() {
    Matrix m;
    glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
    return m;
}

int modelviewDepth() {
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    return depth;
}

void expectMatrixNear(const float* actual, const Matrix& expected, float tolerance = 1e-6f) {
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(actual[i], expected[i], tolerance) << "element " << i;
    }
}

const Matrix kIdentity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// Records what OpenGL holds at the moment its shape is drawn.
class ProbeObject : public SceneObject {
  public:
    explicit ProbeObject(std::vector<ProbeObject*>* destroyed = nullptr) : destroyed(destroyed) {}
    ~ProbeObject() override {
        if (destroyed) destroyed->push_back(this);
    }

    void drawShape() override {
        ++shapeCalls;
        modelviewAtShape = currentModelview();
        glGetMaterialfv(GL_FRONT, GL_AMBIENT, ambientAtShape);
        glGetMaterialfv(GL_FRONT, GL_SHININESS, &shininessAtShape);
    }

    int shapeCalls = 0;
    Matrix modelviewAtShape{};
    float ambientAtShape[4] = {};
    float shininessAtShape = 0;
    std::vector<ProbeObject*>* destroyed;
};

class SceneObjectTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testWindow();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
};

TEST_F(SceneObjectTest, StartsInTheDefaultState) {
    ProbeObject object;
    expectMatrixNear(object.rotationMatrix(), kIdentity, 0.0f);
    const Float3 scale = object.getScale();
    EXPECT_EQ(scale.x, 1.0f);
    EXPECT_EQ(scale.y, 1.0f);
    EXPECT_EQ(scale.z, 1.0f);
    const Float3 position = object.getPosition();
    EXPECT_EQ(position.x, 0.0f);
    EXPECT_EQ(position.y, 0.0f);
    EXPECT_EQ(position.z, 0.0f);
    EXPECT_EQ(object.getShapeScale().y, 1.0f);
    EXPECT_EQ(object.getShapeOffset().z, 0.0f);
    EXPECT_EQ(object.getSpare().x, 0.0f);
    const Material& material = object.getMaterial();
    EXPECT_EQ(material.shininess, 1.0f);
    for (const float* colour : {material.ambient, material.diffuse, material.specular}) {
        for (int i = 0; i < 4; ++i) EXPECT_EQ(colour[i], 1.0f);
    }
    EXPECT_TRUE(object.getChildren().empty());
}

TEST_F(SceneObjectTest, RotateComposesAboutWorldAxes) {
    ProbeObject halfTurn;
    halfTurn.setRotation(90, 0, 0, 1);
    halfTurn.rotate(90, 0, 0, 1);
    expectMatrixNear(halfTurn.rotationMatrix(), {-1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});

    // Object x goes to world y and object y to world z: the second turn acts
    // about the world z axis, after the first.
    ProbeObject composed;
    composed.setRotation(90, 1, 0, 0);
    composed.rotate(90, 0, 0, 1);
    const float* r = composed.rotationMatrix();
    EXPECT_NEAR(r[0], 0, 1e-6);  // column 0: image of the object's x axis
    EXPECT_NEAR(r[1], 1, 1e-6);
    EXPECT_NEAR(r[2], 0, 1e-6);
    EXPECT_NEAR(r[4], 0, 1e-6);  // column 1: image of the object's y axis
    EXPECT_NEAR(r[5], 0, 1e-6);
    EXPECT_NEAR(r[6], 1, 1e-6);
}

TEST_F(SceneObjectTest, RotationIgnoresAxisLengthAndZeroTurns) {
    ProbeObject unit, longAxis;
    unit.setRotation(30, 0, 0, 1);
    longAxis.setRotation(30, 0, 0, 2);
    const float* u = unit.rotationMatrix();
    expectMatrixNear(longAxis.rotationMatrix(),
                     Matrix{u[0], u[1], u[2], u[3], u[4], u[5], u[6], u[7], u[8], u[9], u[10],
                            u[11], u[12], u[13], u[14], u[15]});

    Matrix before;
    std::copy(u, u + 16, before.begin());
    unit.rotate(0, 1, 1, 0);
    expectMatrixNear(unit.rotationMatrix(), before, 0.0f);
}

TEST_F(SceneObjectTest, MatrixCalculatorLeavesTheStackAsItFoundIt) {
    glTranslatef(1, 2, 3);
    const Matrix before = currentModelview();
    const int depth = modelviewDepth();
    ProbeObject object;
    object.setRotation(45, 1, 1, 0);
    object.rotate(10, 0, 1, 0);
    object.setDefaults();
    expectMatrixNear(currentModelview().data(), before, 0.0f);
    EXPECT_EQ(modelviewDepth(), depth);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
}

TEST_F(SceneObjectTest, ResetRestoresBaseDefaultsThroughTheSubtree) {
    ProbeObject parent;
    auto* child = new ProbeObject;
    parent.addChild(child);
    static const float kRed[4] = {1, 0, 0, 1};
    for (ProbeObject* object : {&parent, child}) {
        object->setScale(2, 3, 4);
        object->setPosition(1, 1, 1);
        object->setRotation(60, 0, 1, 0);
        object->setShapeScale(5, 5, 5);
        object->setShapeOffset(1, 0, 0);
        object->setMaterial(Material{kRed, kRed, kRed, 9});
    }
    parent.reset();
    for (ProbeObject* object : {&parent, child}) {
        EXPECT_EQ(object->getScale().x, 1.0f);
        EXPECT_EQ(object->getPosition().y, 0.0f);
        EXPECT_EQ(object->getShapeScale().z, 1.0f);
        EXPECT_EQ(object->getShapeOffset().x, 0.0f);
        EXPECT_EQ(object->getMaterial().ambient[1], 1.0f);
        EXPECT_EQ(object->getMaterial().shininess, 1.0f);
        expectMatrixNear(object->rotationMatrix(), kIdentity, 0.0f);
    }
    EXPECT_EQ(parent.getChildren().size(), 1u);
}

TEST_F(SceneObjectTest, DrawSendsTheMaterialJustBeforeTheShapeInsideTheTransform) {
    static const float kAmbient[4] = {0.25f, 0.5f, 0.75f, 1};
    ProbeObject object;
    object.setMaterial(Material{kAmbient, kAmbient, kAmbient, 7});
    object.setPosition(1, 2, 3);
    object.setScale(2, 2, 2);
    object.setShapeScale(1, 3, 1);
    object.setShapeOffset(0, 1, 0);

    const Matrix before = currentModelview();
    const int depth = modelviewDepth();
    object.draw();

    EXPECT_EQ(object.shapeCalls, 1);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(object.ambientAtShape[i], kAmbient[i]);
    EXPECT_EQ(object.shininessAtShape, 7.0f);
    // T(1, 2, 3) · S(2) · S(1, 3, 1) · T(0, 1, 0): the shape offset is in
    // units already scaled by the shape scale.
    expectMatrixNear(object.modelviewAtShape.data(),
                     {2, 0, 0, 0, 0, 6, 0, 0, 0, 0, 2, 0, 1, 8, 3, 1});
    expectMatrixNear(currentModelview().data(), before, 0.0f);
    EXPECT_EQ(modelviewDepth(), depth);
}

TEST_F(SceneObjectTest, ChildrenDrawInTheObjectFrameWithoutTheShapeTransform) {
    ProbeObject parent;
    auto* child = new ProbeObject;
    parent.addChild(child);
    parent.setPosition(1, 0, 0);
    parent.setShapeScale(10, 10, 10);
    child->setPosition(0, 1, 0);
    parent.draw();
    EXPECT_EQ(child->shapeCalls, 1);
    expectMatrixNear(child->modelviewAtShape.data(),
                     {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 1, 0, 1});
}

TEST_F(SceneObjectTest, DestroyingAnObjectDestroysItsWholeSubtreeOnce) {
    std::vector<ProbeObject*> destroyed;
    auto* root = new ProbeObject(&destroyed);
    auto* child = new ProbeObject(&destroyed);
    auto* grandchild = new ProbeObject(&destroyed);
    auto* sibling = new ProbeObject(&destroyed);
    child->addChild(grandchild);
    root->addChild(child);
    root->addChild(sibling);
    delete root;
    ASSERT_EQ(destroyed.size(), 4u);
    // Each object exactly once: subclass destructors run before the children go.
    EXPECT_EQ(std::count(destroyed.begin(), destroyed.end(), grandchild), 1);
    EXPECT_EQ(std::count(destroyed.begin(), destroyed.end(), child), 1);
    EXPECT_EQ(std::count(destroyed.begin(), destroyed.end(), sibling), 1);
    EXPECT_EQ(destroyed.front(), root);
}

TEST_F(SceneObjectTest, DirectTransformEqualsTheMatrixStack) {
    ProbeObject object;
    object.setPosition(0.3f, -1.7f, 2.25f);
    object.setRotation(37, 0.2f, -1, 0.5f);
    object.setScale(1.2f, 0.4f, 0.8f);
    glPushMatrix();
    glLoadIdentity();
    object.applyTransform();
    const Matrix onStack = currentModelview();
    glPopMatrix();
    Matrix4 direct = Matrix4::identity();
    object.appendTransform(direct);
    expectMatrixNear(direct.m, onStack, 0.0f);
}

// What is derived from the transform (a block's grown box) is rebuilt when the
// generation moves, so every change of the transform must move it, and the
// shape's own transform and material, which do not place the object for the
// hit test, need not.
TEST(TransformGeneration, EveryTransformChangeAdvancesIt) {
    ProbeObject object;
    const std::pair<const char*, void (*)(SceneObject&)> changes[] = {
        {"setScale", [](SceneObject& o) { o.setScale(1, 2, 3); }},
        {"setPosition", [](SceneObject& o) { o.setPosition(1, 2, 3); }},
        {"setRotation", [](SceneObject& o) { o.setRotation(30, 0, 0, 1); }},
        {"rotate", [](SceneObject& o) { o.rotate(30, 1, 0, 0); }},
        {"setDefaults", [](SceneObject& o) { o.setDefaults(); }},
        {"reset", [](SceneObject& o) { o.reset(); }},
    };
    for (const auto& change : changes) {
        const auto before = object.transformGeneration();
        change.second(object);
        EXPECT_GT(object.transformGeneration(), before) << change.first;
    }
    const auto before = object.transformGeneration();
    object.setShapeScale(2, 2, 2);
    object.setShapeOffset(1, 0, 0);
    EXPECT_EQ(object.transformGeneration(), before);
}

}  // namespace
