// SPDX-License-Identifier: MIT
#pragma once

#include "geometry/point3.h"
#include "geometry/rounding.h"
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

    // World units from the plane to p, positive in front, rounded to single
    // precision; 0 for every p when the normal is zero. The hit test sees p in
    // front exactly when this is above 0.
    float signedDistance(const Point3& p) const {
        const Vector3& n = unitNormal;
        const Point3& c0 = corners[0];
        // Summed in this order.
        return rounded(-double(n.x) * c0.x - double(n.y) * c0.y - double(n.z) * c0.z +
                       double(n.y) * p.y + double(n.z) * p.z + double(n.x) * p.x);
    }
    // The t in which P + t·(Q − P) lies on the plane; -1 when the motion is
    // parallel to the plane or P lies behind it. Negative (not -1) when P is in
    // front and Q farther out.
    double planeParam(const Point3& p, const Point3& q) const {
        const Vector3& n = unitNormal;
        const float num = signedDistance(p);
        const float den =
            rounded(double(n.y) * (double(p.y) - q.y) + double(n.z) * (double(p.z) - q.z) +
                    double(n.x) * (double(p.x) - q.x));
        if (den == 0.0f || num < 0.0f) {
            return -1.0;
        }
        return double(num) / double(den);
    }
    // World units from the ball's centre to where it meets this face along its
    // step; -1 when it does not meet it within the quad and within the step.
    double hitDistance(const Ball& ball) const;
    // The first half of hitDistance, for the centre p moving to q = p + step:
    // false when it does not cross the plane after leaving it and by the step's
    // end; otherwise the contact point in the plane.
    bool planeContact(const Point3& p, const Point3& q, Point3& contact) const {
        const double t = planeParam(p, q);
        const float tf = rounded(t);
        // A centre already on the plane (t = 0) is leaving or sliding, so it is
        // no hit; a step that ends exactly on the plane (t = 1) is, or the ball
        // would stand on the plane next tick and fall through it.
        if (!(t > 0.0 && tf <= 1.0f)) {
            return false;
        }
        contact = contactAt(p, q, tf);
        return true;
    }
    // The second half: whether the contact point counts as inside the quad.
    bool holds(const Point3& contact) const;
    // Turns the ball's velocity and step as reflected by this face, keeping the
    // step's length; call only after hitDistance has accepted the same ball.
    void bounce(Ball& ball) const;

  private:
    // Where the centre, moving from p towards q, stands after the fraction tf.
    static Point3 contactAt(const Point3& p, const Point3& q, float tf) { return p + (q - p) * tf; }

    Point3 corners[4];
    Vector3 unitNormal;
};
