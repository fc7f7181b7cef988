// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <optional>

#include "geometry/angles.h"
#include "geometry/point3.h"
#include "geometry/vector3.h"
#include "scene/ball.h"
#include "scene/block.h"
#include "scene/curve.h"
#include "scene/scene_list.h"

// Where the ball starts and where R puts it back.
inline const Point3 kBallStart{0.0f, 2.0f, 0.0f};

// The single program-wide state that every callback reads and writes. The
// ball, the prototypes and the placed pieces are owned here; currentPiece is
// always null or a member of sceneList and never owns.
struct AppState {
    int mainWindow = 0;
    int windowWidth = 600;
    int windowHeight = 600;
    float fieldOfView = 45.0f;  // degrees, palette projection and picking

    // Orbit camera: distance is signed (negative), angles in radians.
    float cameraDistance = -4.0f;
    float cameraElevation = 0.0f;
    float cameraAzimuth = -kPi * 0.5f;  // -π/2: the eye on the +z axis
    int panState = 0;                   // 0 return to centre, 1 pan right, 2 pan left
    Point3 cameraEye;
    Vector3 cameraTarget;

    Vector3 gravity{0.0f, -0.1f, 0.0f};
    std::unique_ptr<Ball> ball;
    bool paused = false;
    bool stepRequested = false;  // matters only while paused

    SceneList sceneList;
    Piece* currentPiece = nullptr;
    float pieceAngle = 0.0f;  // degrees about z for the Z and X keys; never wrapped

    std::unique_ptr<Block> blockPrototype;
    std::unique_ptr<Curve> curvePrototype;

    int pickX = 0;
    int pickY = 0;  // as GLUT reports it, counted from the top
    float pickSize = 1.0f;
    int trackballActive = 0;
    std::optional<Vector3> trackballVector;  // last point on the trackball sphere
};

// The one instance, for the life of the process. At exit its destructor
// releases the pieces still in the scene list along with everything else.
AppState& app();

// Replaces the state by a fresh one and builds the camera, the ball and the two
// prototypes, as start-up does after the windows exist. Needs a current GL
// context (the prototypes' rotations come from the matrix stack); keeps
// mainWindow and the window size.
void buildState();
