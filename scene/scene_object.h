// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "geometry/matrix4.h"
#include "geometry/tuple3.h"
#include "scene/material.h"

// The abstract base of everything drawn: an object transform (scale, position,
// rotation), an inner transform for the shape alone, a material and a list of
// owned children. Construction, setDefaults, reset, setRotation and rotate use
// the OpenGL modelview stack as their matrix calculator, so they need a current
// rendering context; each leaves the matrix and the stack depth as it found them.
class SceneObject {
    // First, beside the table of virtual operations, so that a hit test that
    // only checks its cache reads one cache line of the object.
    std::uint64_t generation = 0;
    std::uint64_t memberGenerationCount = 0;

  public:
    SceneObject();
    virtual ~SceneObject();
    SceneObject(const SceneObject&) = delete;
    SceneObject& operator=(const SceneObject&) = delete;

    virtual void setScale(float x, float y, float z);
    virtual Float3 getScale() const;
    virtual void setPosition(float x, float y, float z);
    virtual Float3 getPosition() const;
    // Replaces the whole rotation by `angle` degrees about (x, y, z).
    virtual void setRotation(float angle, float x, float y, float z);
    // rotation := R(angle degrees, axis) · rotation: the new turn acts about an
    // axis of the enclosing frame through the object's position.
    virtual void rotate(float angle, float x, float y, float z);
    virtual void setShapeScale(float x, float y, float z);
    virtual void setShapeOffset(float x, float y, float z);
    // Multiplies the current GL matrix by T(position) · rotation · S(scale).
    virtual void applyTransform();
    // Appends a child, which this object then owns.
    virtual void addChild(SceneObject* child);
    virtual void setMaterial(Material m);
    // Base defaults for this object and, in order, its whole subtree.
    virtual void reset();
    // Push, transform, children, shape scale and offset, material, shape, pop.
    virtual void draw();
    // The shape in the object's local frame, after its material is in force.
    virtual void drawShape() = 0;
    virtual void drawChildren();

    // Restores the base defaults (white, shininess 1, unit scales, zero
    // offsets, identity rotation read back from OpenGL); children untouched.
    void setDefaults();

    // matrix := matrix · T(position) · rotation · S(scale), the product that
    // applyTransform forms on the GL stack, computed directly in single
    // precision with the same result. Needs no rendering context.
    void appendTransform(Matrix4& matrix) const;

    // Advances with every change of scale, position or rotation (setScale,
    // setPosition, setRotation, rotate, setDefaults and so reset): what is
    // derived from the transform is stale once this differs from the value it
    // was built at.
    std::uint64_t transformGeneration() const { return generation; }
    // Advances whenever the transform or parent of an object placed through
    // this one (a curve's member block) changes.
    std::uint64_t memberGeneration() const { return memberGenerationCount; }
    // Called by such a member when its transform or its parent changes.
    void memberTransformChanged() { ++memberGenerationCount; }

    const float* rotationMatrix() const { return rotation; }
    const Material& getMaterial() const { return material; }
    Float3 getShapeScale() const { return shapeScale; }
    Float3 getShapeOffset() const { return shapeOffset; }
    const Tuple3& getSpare() const { return spare; }
    const std::vector<std::unique_ptr<SceneObject>>& getChildren() const { return children; }

  protected:
    std::vector<std::unique_ptr<SceneObject>> children;
    Material material;
    Tuple3 spare;
    Float3 scale;
    Float3 position;
    // The identity before OpenGL's read-back fills it, so that an object
    // made with no rendering context current still has a defined rotation.
    float rotation[16] = {1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f,
                          0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f};
    Float3 shapeScale;
    Float3 shapeOffset;

    // Marks everything derived from this object's transform as stale; called
    // by every operation that changes scale, position or rotation.
    virtual void transformChanged() { ++generation; }

  private:
    // setDefaults without the notice of the change.
    void assignDefaults();
};
