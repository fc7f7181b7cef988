// SPDX-License-Identifier: MIT
// Follows freeglut 3.4.0's fghCircleTable, fghGenerateSphere, fghSphere,
// fghGenerateGeometryWithIndexArray and fghCube, then expands the index lists
// the way the desktop's draw module decomposes GL_TRIANGLE_STRIP and
// GL_TRIANGLES with the last vertex provoking.
#include "web/solid_shapes.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace web {
namespace {

constexpr double kMPi = 3.14159265358979323846;

// Appends vertex `index` of the vertex and normal arrays to the mesh.
void emit(Mesh& mesh, const std::vector<float>& vertices, const std::vector<float>& normals,
          int index) {
    for (int k = 0; k < 3; ++k) {
        mesh.positions.push_back(vertices[3 * index + k]);
        mesh.normals.push_back(normals[3 * index + k]);
    }
}

// The sines and cosines of n + 1 equal steps round a circle (half a circle if
// `half`); a negative n runs the other way. The last entry closes the loop.
void circleTable(std::vector<float>& sint, std::vector<float>& cost, int n, bool half) {
    const int size = std::abs(n);
    const float angle = (half ? 1.0f : 2.0f) * static_cast<float>(kMPi) / static_cast<float>(n);
    sint.assign(size + 1, 0.0f);
    cost.assign(size + 1, 1.0f);
    for (int i = 1; i < size; ++i) {
        // The step times i is a float; its sine and cosine are taken in double.
        const float a = angle * static_cast<float>(i);
        sint[i] = static_cast<float>(std::sin(static_cast<double>(a)));
        cost[i] = static_cast<float>(std::cos(static_cast<double>(a)));
    }
    if (half) {
        sint[size] = 0.0f;
        cost[size] = -1.0f;
    } else {
        sint[size] = sint[0];
        cost[size] = cost[0];
    }
}

}  // namespace

Mesh solidSphere(double radiusIn, int slices, int stacks) {
    Mesh mesh;
    if (slices <= 0 || stacks < 2 ||
        2LL * slices * stacks > static_cast<long long>(kMaxSphereTriangles)) {
        return mesh;
    }
    const float radius = static_cast<float>(radiusIn);
    std::vector<float> sint1, cost1, sint2, cost2;
    circleTable(sint1, cost1, -slices, false);
    circleTable(sint2, cost2, stacks, true);

    // The poles and (stacks - 1) rings of `slices` vertices, top down.
    const int nVert = slices * (stacks - 1) + 2;
    std::vector<float> vertices, normals;
    vertices.reserve(3 * nVert);
    normals.reserve(3 * nVert);
    auto add = [&](float x, float y, float z, float nx, float ny, float nz) {
        vertices.insert(vertices.end(), {x, y, z});
        normals.insert(normals.end(), {nx, ny, nz});
    };
    add(0.f, 0.f, radius, 0.f, 0.f, 1.f);
    for (int i = 1; i < stacks; ++i) {
        for (int j = 0; j < slices; ++j) {
            const float x = cost1[j] * sint2[i];
            const float y = sint1[j] * sint2[i];
            const float z = cost2[i];
            add(x * radius, y * radius, z * radius, x, y, z);
        }
    }
    add(0.f, 0.f, -radius, 0.f, 0.f, -1.f);

    // One strip per stack. freeglut stores the indices as 16-bit values, which
    // wrap past 65535 vertices; they are wrapped the same way here.
    std::vector<std::uint16_t> strip;
    strip.reserve(2 * (slices + 1));
    auto pair = [&strip](int a, int b) {
        strip.push_back(static_cast<std::uint16_t>(a));
        strip.push_back(static_cast<std::uint16_t>(b));
    };
    const int trianglesPerStrip = 2 * slices;
    mesh.positions.reserve(static_cast<std::size_t>(9) * trianglesPerStrip * stacks);
    mesh.normals.reserve(mesh.positions.capacity());
    for (int stack = 0; stack < stacks; ++stack) {
        strip.clear();
        if (stack == 0) {
            for (int j = 0; j < slices; ++j) pair(j + 1, 0);
            pair(1, 0);
        } else if (stack < stacks - 1) {
            const std::uint16_t offset = static_cast<std::uint16_t>(1 + (stack - 1) * slices);
            for (int j = 0; j < slices; ++j) pair(offset + j + slices, offset + j);
            pair(offset + slices, offset);
        } else {
            const std::uint16_t offset = static_cast<std::uint16_t>(1 + (stacks - 2) * slices);
            for (int j = 0; j < slices; ++j) pair(nVert - 1, offset + j);
            pair(nVert - 1, offset);
        }
        // Triangle i of a strip; odd ones swap their first two vertices.
        for (int i = 0; i + 2 < static_cast<int>(strip.size()); ++i) {
            emit(mesh, vertices, normals, strip[i + (i & 1)]);
            emit(mesh, vertices, normals, strip[i + 1 - (i & 1)]);
            emit(mesh, vertices, normals, strip[i + 2]);
        }
    }
    return mesh;
}

Mesh solidCube(double sizeIn) {
    static const float kCorners[8][3] = {{.5f, .5f, .5f},   {-.5f, .5f, .5f},  {-.5f, -.5f, .5f},
                                         {.5f, -.5f, .5f},  {.5f, -.5f, -.5f}, {.5f, .5f, -.5f},
                                         {-.5f, .5f, -.5f}, {-.5f, -.5f, -.5f}};
    static const float kFaceNormals[6][3] = {{0, 0, 1},  {1, 0, 0},  {0, 1, 0},
                                             {-1, 0, 0}, {0, -1, 0}, {0, 0, -1}};
    // Each face as a quad of corners, split into triangles (0 1 2) and (0 2 3).
    static const int kQuads[6][4] = {{0, 1, 2, 3}, {0, 3, 4, 5}, {0, 5, 6, 1},
                                     {1, 6, 7, 2}, {7, 4, 3, 2}, {4, 7, 6, 5}};
    static const int kSplit[6] = {0, 1, 2, 0, 2, 3};

    const float size = static_cast<float>(sizeIn);
    Mesh mesh;
    for (int face = 0; face < 6; ++face) {
        for (int corner : kSplit) {
            for (int k = 0; k < 3; ++k) {
                mesh.positions.push_back(size * kCorners[kQuads[face][corner]][k]);
                mesh.normals.push_back(kFaceNormals[face][k]);
            }
        }
    }
    return mesh;
}

}  // namespace web
