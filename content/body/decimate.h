// Reduces a closed triangle mesh by quadric-error edge collapses, keeping it closed and manifold.
#pragma once

#include "body/surface_nets.h"

// Collapses edges until at most target_triangles remain (or no collapse is allowed); unused
// vertices are removed at the end.
// Vertices marked in `locked` (if not empty) stay where they are and are never collapsed.
void decimate(TriMesh& mesh, int target_triangles, const std::vector<bool>& locked = {});

// Drops vertices that no triangle uses and renumbers the rest.
void compact(TriMesh& mesh);
