// SPDX-License-Identifier: MIT
// The name stack and records follow Mesa's src/mesa/main/feedback.c; the
// geometry follows the path a selection draw takes through Mesa's draw
// module: the fixed-function vertex program (src/mesa/main/ffvertex_prog.c,
// one multiply and three multiply-adds, never fused, by the columns of the
// model-view-projection product), the clip test and viewport mapping of
// draw_llvm.c, and the clipper of draw_pipe_clip.c.
#include "web/selection.h"

#include <cmath>

namespace web {
namespace {

// The six planes of the view volume in the clipper's order; a vertex is inside
// plane p when dot(clip position, plane p) >= 0.
constexpr float kPlanes[6][4] = {{-1, 0, 0, 1}, {1, 0, 0, 1}, {0, -1, 0, 1},
                                 {0, 1, 0, 1},  {0, 0, 1, 1}, {0, 0, -1, 1}};

// The clipper's limits (MAX_CLIPPED_VERTICES, room for user planes too): a
// polygon that would outgrow them, which takes rounding in a near-degenerate
// triangle, is dropped as the desktop drops it.
constexpr int kMaxVertices = 2 * (6 + 8) + 1;
constexpr int kMaxNewVertices = kMaxVertices + 1;

struct Vertex {
    float clip[4];  // clip coordinates
    float depth;    // window depth for the depth range [0, 1]
};

float distance(const Vertex& v, int plane) {
    const float* p = kPlanes[plane];
    return v.clip[0] * p[0] + v.clip[1] * p[1] + v.clip[2] * p[2] + v.clip[3] * p[3];
}

// The planes that a clip position is outside of, as bits. The comparisons are
// unordered, as the desktop's clip test compiles them: NaN is outside all.
unsigned outsideMask(const float* c) {
    const float x = c[0], y = c[1], z = c[2], w = c[3];
    return (!(x <= w) ? 1u : 0u) | (!(0.0f <= x + w) ? 2u : 0u) | (!(y <= w) ? 4u : 0u) |
           (!(0.0f <= y + w) ? 8u : 0u) | (!(0.0f <= z + w) ? 16u : 0u) | (!(z <= w) ? 32u : 0u);
}

// The perspective divide by multiplying with 1/w, then depth · 0.5 + 0.5.
// The desktop fuses that last multiply-add for the triangle's own corners;
// halving is exact, so fused or not the result is the same.
float windowDepth(const float* c) {
    const float oneOverW = 1.0f / c[3];
    return c[2] * oneOverW * 0.5f + 0.5f;
}

// The point at t along the edge from `out` to `in`, as the clipper places it.
Vertex interpolate(float t, const Vertex& out, const Vertex& in) {
    Vertex v;
    for (int k = 0; k < 4; ++k) {
        v.clip[k] = out.clip[k] + t * (in.clip[k] - out.clip[k]);
    }
    v.depth = windowDepth(v.clip);
    return v;
}

// Where the edge from prev to v, at plane distances dpPrev and dp of opposite
// sides, meets the plane. Always interpolated from the vertex nearer the
// plane, so the new point is the same whichever way the edge runs.
Vertex crossing(const Vertex& prev, float dpPrev, const Vertex& v, float dp) {
    const float denom = dp - dpPrev;
    if (dp < 0.0f) {
        return -dp < dpPrev ? interpolate(dp / denom, v, prev)
                            : interpolate(-dpPrev / denom, prev, v);
    }
    return -dpPrev < dp ? interpolate(-dpPrev / denom, prev, v) : interpolate(dp / denom, v, prev);
}

// One pass of the clipper: the polygon in[0..n), with room for in[n], cut by
// `plane` into out, new vertices taken from pool past `made`. Returns the
// vertex count left, or -1 when a distance is not finite or the polygon would
// outgrow the clipper's limits, which drops the triangle.
int clipAgainstPlane(const Vertex** in, int n, int plane, const Vertex** out, Vertex* pool,
                     int& made) {
    const Vertex* prev = in[0];
    float dpPrev = distance(*prev, plane);
    if (!std::isfinite(dpPrev) || n >= kMaxVertices) return -1;
    in[n] = in[0];  // close the loop without turning the polygon
    int count = 0;
    for (int i = 1; i <= n; ++i) {
        const Vertex* v = in[i];
        const float dp = distance(*v, plane);
        if (!std::isfinite(dp)) return -1;
        bool crosses;
        if (dpPrev >= 0.0f) {
            if (count >= kMaxVertices) return -1;
            out[count++] = prev;
            crosses = dp < 0.0f;
        } else {
            crosses = !(dp < 0.0f);
        }
        if (crosses) {
            if (made >= kMaxNewVertices || count >= kMaxVertices) return -1;
            Vertex& fresh = pool[made++];
            fresh = crossing(*prev, dpPrev, *v, dp);
            out[count++] = &fresh;
        }
        prev = v;
        dpPrev = dp;
    }
    return count;
}

// Clips the triangle against the planes in `mask`, lowest first, and returns
// the vertex count of the resulting convex polygon, whose vertices are left in
// `polygon`; 0 when nothing is left or a distance is not finite (the clipper
// then drops the triangle).
int clipTriangle(const Vertex* corners, unsigned mask, Vertex* pool, const Vertex** polygon) {
    const Vertex* listA[kMaxVertices + 1];
    const Vertex* listB[kMaxVertices + 1];
    const Vertex** in = listA;
    const Vertex** out = listB;
    int n = 3;
    int made = 0;
    for (int i = 0; i < 3; ++i) in[i] = &corners[i];

    while (mask != 0 && n >= 3) {
        int plane = 0;
        while ((mask & (1u << plane)) == 0) ++plane;
        mask &= ~(1u << plane);

        const int count = clipAgainstPlane(in, n, plane, out, pool, made);
        if (count < 0) return 0;
        const Vertex** swap = in;
        in = out;
        out = swap;
        n = count;
    }
    if (n < 3) return 0;
    for (int i = 0; i < n; ++i) polygon[i] = in[i];
    return n;
}

// Mesa writes (GLuint)(4294967296.0f · depth) unchecked; a depth outside
// [0, 1] would wrap, so it is held to the range instead.
std::uint32_t scaledDepth(float depth) {
    if (!(depth > 0.0f)) return 0;
    const float scaled = 4294967296.0f * depth;  // (float) 0xFFFFFFFF is 2^32
    return scaled >= 4294967296.0f ? 0xFFFFFFFFu : static_cast<std::uint32_t>(scaled);
}

}  // namespace

void SelectionBuffer::start(std::uint32_t* buffer, int words) {
    selecting_ = true;
    buffer_ = buffer;
    size_ = buffer != nullptr && words > 0 ? words : 0;
    count_ = 0;
    hits_ = 0;
    nameDepth_ = 0;
    hitFlag_ = false;
    minDepth_ = 1.0f;
    maxDepth_ = 0.0f;
}

void SelectionBuffer::initNames() {
    if (!selecting_) return;
    writeHitRecord();
    nameDepth_ = 0;
    hitFlag_ = false;
    minDepth_ = 1.0f;
    maxDepth_ = 0.0f;
}

bool SelectionBuffer::pushName(std::uint32_t name) {
    if (!selecting_ || nameDepth_ >= kMaxNameDepth) return false;
    writeHitRecord();
    names_[nameDepth_++] = name;
    return true;
}

bool SelectionBuffer::popName() {
    if (!selecting_ || nameDepth_ == 0) return false;
    writeHitRecord();
    --nameDepth_;
    return true;
}

bool SelectionBuffer::loadName(std::uint32_t name) {
    if (!selecting_ || nameDepth_ == 0) return false;
    writeHitRecord();
    names_[nameDepth_ - 1] = name;
    return true;
}

void SelectionBuffer::triangles(const float* positions, int vertexCount, const float projection[16],
                                const float modelview[16]) {
    if (!selecting_ || positions == nullptr) return;
    // The product projection · modelview in four rows. For two affine matrices
    // Mesa may use its three-row product, which differs only in the sign of
    // zero elements; no clip coordinate's comparison or depth sees that.
    float mvp[16];
    for (int row = 0; row < 4; ++row) {
        const float a0 = projection[row], a1 = projection[4 + row], a2 = projection[8 + row],
                    a3 = projection[12 + row];
        for (int col = 0; col < 4; ++col) {
            const float* b = modelview + 4 * col;
            mvp[4 * col + row] = a0 * b[0] + a1 * b[1] + a2 * b[2] + a3 * b[3];
        }
    }

    for (int first = 0; first + 3 <= vertexCount; first += 3) {
        Vertex corners[3];
        unsigned masks[3];
        for (int i = 0; i < 3; ++i) {
            const float* p = positions + 3 * (first + i);
            const float w = 1.0f;
            for (int k = 0; k < 4; ++k) {
                float c = p[0] * mvp[k];
                c = p[1] * mvp[4 + k] + c;
                c = p[2] * mvp[8 + k] + c;
                corners[i].clip[k] = w * mvp[12 + k] + c;
            }
            corners[i].depth = windowDepth(corners[i].clip);
            masks[i] = outsideMask(corners[i].clip);
        }
        const unsigned any = masks[0] | masks[1] | masks[2];
        if (any == 0) {
            for (const Vertex& v : corners) hit(v.depth);
        } else if ((masks[0] & masks[1] & masks[2]) == 0) {
            Vertex pool[kMaxNewVertices];
            const Vertex* polygon[kMaxVertices + 1];
            const int n = clipTriangle(corners, any, pool, polygon);
            for (int i = 0; i < n; ++i) hit(polygon[i]->depth);
        }
    }
}

int SelectionBuffer::finish() {
    if (!selecting_) return 0;
    writeHitRecord();
    const int result = count_ > size_ ? -1 : hits_;
    *this = SelectionBuffer();
    return result;
}

void SelectionBuffer::writeHitRecord() {
    if (!hitFlag_) return;
    write(static_cast<std::uint32_t>(nameDepth_));
    write(scaledDepth(minDepth_));
    write(scaledDepth(maxDepth_));
    for (int i = 0; i < nameDepth_; ++i) write(names_[i]);
    hitFlag_ = false;
    minDepth_ = 1.0f;
    maxDepth_ = 0.0f;
    ++hits_;
}

void SelectionBuffer::write(std::uint32_t word) {
    if (count_ < size_) buffer_[count_] = word;
    ++count_;
}

// A vertex of a drawn polygon: the hit flag rises and the depth range
// widens. A NaN depth raises the flag alone, as in Mesa.
void SelectionBuffer::hit(float depth) {
    hitFlag_ = true;
    if (depth < minDepth_) minDepth_ = depth;
    if (depth > maxDepth_) maxDepth_ = depth;
}

}  // namespace web
