// SPDX-License-Identifier: MIT
#pragma once

// OpenGL selection mode (glSelectBuffer, glRenderMode(GL_SELECT), the name
// stack) for the browser build, computed on the CPU as the desktop's Mesa 22.3
// computes it on llvmpipe: the model-view-projection product, the vertex
// transform, the clipping of each triangle against the view volume and the
// window depths of the clipped polygon, with the same single-precision
// operations in the same order, so the hit records are the desktop's bit for
// bit. The name stack, the hit flag and the record layout (name count,
// minimum and maximum depth, names) are Mesa's; depths are for the depth
// range [0, 1].
//
// Not reproduced:
// - A depth of exactly 1 (a vertex on the far plane), or one that a rounding
//   puts just outside [0, 1], is held to [0, 1] before it is scaled, so 1 is
//   the word 0xFFFFFFFF. Mesa converts it unchecked and it wraps: 1 becomes
//   the word 0 and a depth just below 0 a word near 0xFFFFFFFF, which can
//   make the farthest polygon look nearest and the nearest farthest. In the
//   toy's picks this has only been seen in maximum depths, which choose
//   nothing.
// - Mesa's draw module flushes subnormal intermediate values to zero; they
//   are kept here. Coordinates and matrices of ordinary size never have them.
// - Points, lines, face culling and user clip planes: the toy draws none.

#include <cstdint>

namespace web {

class SelectionBuffer {
  public:
    // glSelectBuffer + glRenderMode(GL_SELECT): records go to `buffer`, at
    // most `words` words of it (none if it is null or words <= 0); the name
    // stack is emptied and the hit state cleared.
    void start(std::uint32_t* buffer, int words);
    // glInitNames: writes the pending record, if any, and empties the stack.
    void initNames();
    // glPushName: false, and nothing written, when 64 names are stacked or
    // selection has not started.
    bool pushName(std::uint32_t name);
    // glPopName: false, and nothing written, when the stack is empty.
    bool popName();
    // glLoadName: replaces the top name; false, and nothing written, when the
    // stack is empty.
    bool loadName(std::uint32_t name);
    // Draws vertexCount / 3 object-space triangles (3 floats per vertex) under
    // the given column-major matrices: any part of a triangle inside the view
    // volume sets the hit flag and widens the hit's depth range.
    void triangles(const float* positions, int vertexCount, const float projection[16],
                   const float modelview[16]);
    // glRenderMode(GL_RENDER): writes the pending record and ends selection.
    // Returns the number of records, -1 if they overflowed the buffer, and 0
    // when selection had not started.
    int finish();

    static constexpr int kMaxNameDepth = 64;

  private:
    void writeHitRecord();
    void write(std::uint32_t word);
    void hit(float depth);

    bool selecting_ = false;
    std::uint32_t* buffer_ = nullptr;
    int size_ = 0;
    long long count_ = 0;  // words written, or that would have been
    int hits_ = 0;
    std::uint32_t names_[kMaxNameDepth] = {};
    int nameDepth_ = 0;
    bool hitFlag_ = false;
    float minDepth_ = 1.0f;
    float maxDepth_ = 0.0f;
};

}  // namespace web
