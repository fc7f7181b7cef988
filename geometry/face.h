#pragma once

#include "geometry/point3.h"
#include "geometry/vector3.h"

class Ball;

// A planar convex quad, one side of a block's grown box. Its corners run
// counter-clockwise seen from the side its unit normal points to (the front).
class Face {
public:
    // Copies the corners and computes the normal normalize((c1 − c0) × (c2 − c0));
    // collinear first corners give a zero normal, and such a face is never hit.
    Face(const Point3& c0, const Point3& c1, const Point3& c2, const Point3& c3);

    Vector3 normal() const { return unitNormal; }
    const Point3& corner(int i) const { return corners[i]; }

    // The t in which P + t·(Q − P) lies on the plane; -1 when the motion is
    // parallel to the plane or P lies behind it. Negative (not -1) when P is in
    // front and Q farther out.
    double planeParam(const Point3& p, const Point3& q) const;
    // World units from the ball's centre to where it meets this face along its
    // step; -1 when it does not meet it within the quad and within the step.
    double hitDistance(const Ball& ball) const;
    // Turns the ball's velocity and step as reflected by this face, keeping the
    // step's length; call only after hitDistance has accepted the same ball.
    void bounce(Ball& ball) const;

private:
    Point3 corners[4];
    Vector3 unitNormal;
};
