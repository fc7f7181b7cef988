// SPDX-License-Identifier: MIT
#include "scene/placement_record.h"

#include <cstring>

#include "scene/scene_object.h"

namespace {

bool sameBits(const Float3& a, const Float3& b) {
    const float fa[3] = {a.x, a.y, a.z}, fb[3] = {b.x, b.y, b.z};
    return std::memcmp(fa, fb, sizeof fa) == 0;
}

Point3 pointAt(const Float3& f) {
    return Point3(f.x, f.y, f.z);
}

}  // namespace

PlacementChange PlacementRecord::take(const SceneObject& object, PieceMove& move) {
    if (known && generation == object.transformGeneration()) {
        return PlacementChange::kNone;
    }
    const Float3 nowPosition = object.getPosition(), nowScale = object.getScale();
    std::array<float, 16> nowRotation;
    std::memcpy(nowRotation.data(), object.rotationMatrix(), sizeof nowRotation);
    PlacementChange change = PlacementChange::kNew;
    if (known && sameBits(nowScale, scale)) {
        change = PlacementChange::kNone;
        if (!sameBits(nowPosition, position) ||
            std::memcmp(nowRotation.data(), rotation.data(), sizeof nowRotation) != 0) {
            change = PlacementChange::kMoved;
            move = PieceMove{pointAt(position), pointAt(nowPosition), rotation, nowRotation};
        }
    }
    known = true;
    generation = object.transformGeneration();
    position = nowPosition;
    scale = nowScale;
    rotation = nowRotation;
    return change;
}

PlacementChange recordPlacement(std::unique_ptr<PlacementRecord>& record, const SceneObject& object,
                                PieceMove& move) {
    if (!record) {
        record = std::make_unique<PlacementRecord>();
    }
    return record->take(object, move);
}
