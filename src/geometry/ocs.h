#pragma once

#include "affine.h"

namespace vektrano {

struct Vector3
{
    double x = 0, y = 0, z = 0;
};

// False for a zero-length or non-finite extrusion, which names no plane.
bool IsUsableExtrusion(Vector3 extrusion);

// The plane map that takes an entity's OCS x/y at the given elevation (OCS z) to
// world coordinates projected onto the XY plane, by the arbitrary axis algorithm
// of the DXF reference. The extrusion need not be of unit length. (0,0,1) gives
// the identity; (0,0,-1) mirrors x. An unusable extrusion gives the identity, so
// check IsUsableExtrusion first when that must be told apart. A plane seen edge on
// gives a singular map: its circles become segments.
Affine OcsToWorldPlan(Vector3 extrusion, double elevation = 0);

} // namespace vektrano
