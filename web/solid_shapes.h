// SPDX-License-Identifier: MIT
#pragma once

// glutSolidSphere and glutSolidCube for the browser build, as freeglut 3.4.0
// draws them (src/fg_geometry.c): the same single-precision vertices and
// normals, with freeglut's quads and triangle strips expanded into the
// triangles the desktop rasterises, in its order and with GL's winding (every
// odd triangle of a strip takes its first two vertices swapped). The
// sphere's strips keep their zero-area triangles at the poles, which the
// desktop also draws and selects.
//
// Not reproduced:
// - freeglut's normal visualisation (GLUT_GEOMETRY_VISUALIZE_NORMALS) lines.
// - The sphere's sines and cosines are the build's double ones rounded to
//   float. Emscripten's gave glibc's floats for every sphere of 1 to 64
//   slices and 2 to 64 stacks (the ball has 30 and 30), which is not
//   guaranteed for all.
// - A negative slice count, which freeglut does not reject but then writes
//   past its buffers, gives an empty mesh; so does a sphere of more than
//   kMaxSphereTriangles triangles, where freeglut's own sizes overflow or the
//   browser's memory would run out.

#include <vector>

namespace web {

// A triangle list: 3 floats per vertex, 3 vertices per triangle.
struct Mesh {
    std::vector<float> positions;
    std::vector<float> normals;
};

constexpr int kMaxSphereTriangles = 1 << 20;

// The sphere of the given radius about the origin, its axis along z, in
// `slices` slices and `stacks` stacks; empty when slices <= 0 or stacks < 2.
Mesh solidSphere(double radius, int slices, int stacks);

// The cube of edge `size` about the origin, 12 triangles with face normals.
// A negative size turns it inside out (the normals stay), as in freeglut.
Mesh solidCube(double size);

}  // namespace web
