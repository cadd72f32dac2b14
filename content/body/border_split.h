// Cuts a region's mesh along its border with the next region, so that the visible part ends in
// an edge loop on the border and the hidden part beyond it (which dips under the neighbour) has
// vertices of its own there: the viewer then smooths the visible normals over visible faces only,
// and the seam between two meshes shows no shading line.
#pragma once

#include "body/surface_nets.h"

// `side` is negative on the region's own side of the border; `surface` is the surface field,
// onto which the new border vertices are moved. The triangles of the visible part come first;
// returns how many they are.
size_t split_at_border(TriMesh& mesh, const Field& side, const Field& surface);
