// Reduces a closed triangle mesh by quadric-error edge collapses, keeping it closed and manifold.
#pragma once

#include "body/surface_nets.h"

// Collapses edges until at most target_triangles remain (or no collapse is allowed); unused
// vertices are removed at the end.
void decimate(TriMesh& mesh, int target_triangles);

// Drops vertices that no triangle uses and renumbers the rest.
void compact(TriMesh& mesh);
