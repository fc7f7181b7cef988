// SPDX-License-Identifier: MIT
#include "scene/scene_object.h"

#include <GL/gl.h>

// The base's own transformChanged, named so: no derived part of the object
// exists yet to hear of the change.
SceneObject::SceneObject() {
    assignDefaults();
    SceneObject::transformChanged();
}

// Children are destroyed in list order by their unique_ptr owners.
SceneObject::~SceneObject() = default;

void SceneObject::setScale(float x, float y, float z) {
    scale = {x, y, z};
    transformChanged();
}

Float3 SceneObject::getScale() const {
    return scale;
}

void SceneObject::setPosition(float x, float y, float z) {
    position = {x, y, z};
    transformChanged();
}

Float3 SceneObject::getPosition() const {
    return position;
}

void SceneObject::setRotation(float angle, float x, float y, float z) {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glRotatef(angle, x, y, z);
    glGetFloatv(GL_MODELVIEW_MATRIX, rotation);
    glPopMatrix();
    transformChanged();
}

void SceneObject::rotate(float angle, float x, float y, float z) {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glRotatef(angle, x, y, z);
    glMultMatrixf(rotation);
    glGetFloatv(GL_MODELVIEW_MATRIX, rotation);
    glPopMatrix();
    transformChanged();
}

void SceneObject::setShapeScale(float x, float y, float z) {
    shapeScale = {x, y, z};
}

void SceneObject::setShapeOffset(float x, float y, float z) {
    shapeOffset = {x, y, z};
}

void SceneObject::applyTransform() {
    glTranslatef(position.x, position.y, position.z);
    glMultMatrixf(rotation);
    glScalef(scale.x, scale.y, scale.z);
}

void SceneObject::addChild(SceneObject* child) {
    children.emplace_back(child);
}

void SceneObject::setMaterial(Material m) {
    material = m;
}

void SceneObject::reset() {
    setDefaults();
    for (auto& child : children) {
        child->reset();
    }
}

void SceneObject::draw() {
    glPushMatrix();
    applyTransform();
    drawChildren();
    glScalef(shapeScale.x, shapeScale.y, shapeScale.z);
    glTranslatef(shapeOffset.x, shapeOffset.y, shapeOffset.z);
    material.apply();
    drawShape();
    glPopMatrix();
}

void SceneObject::drawChildren() {
    for (auto& child : children) {
        if (child) {
            child->draw();
        }
    }
}

void SceneObject::setDefaults() {
    assignDefaults();
    transformChanged();
}

void SceneObject::assignDefaults() {
    material = Material{kWhite, kWhite, kWhite, 1.0f};
    scale = {1.0f, 1.0f, 1.0f};
    position = {0.0f, 0.0f, 0.0f};
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glGetFloatv(GL_MODELVIEW_MATRIX, rotation);
    glPopMatrix();
    shapeScale = {1.0f, 1.0f, 1.0f};
    shapeOffset = {0.0f, 0.0f, 0.0f};
    spare = Tuple3(0.0f, 0.0f, 0.0f);
}

void SceneObject::appendTransform(Matrix4& matrix) const {
    matrix.translate(position.x, position.y, position.z);
    matrix.multiply(rotation);
    matrix.scale(scale.x, scale.y, scale.z);
}
