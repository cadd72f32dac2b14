// Per-vertex normals: the area-weighted mean of the vectors of the faces around each vertex.
#pragma once

#include "model/model.h"

// The face vector of (p0, p1, p2): (p0 - p2) x (p2 - p1), not normalised, so larger faces weigh
// more.
Vector3 face_vector(const Vector3& p0, const Vector3& p1, const Vector3& p2);

// Turns the sum of `faces` face vectors into the stored normal: each component divided by the
// float -faces, then by the length computed in double precision. Zero faces give 0/0 (NaN).
Vector3 finish_normal(const Vector3& sum, int32_t faces);

// Fills mesh.normals. Each vertex's sum is formed over its faces in ascending face order, a face
// counted once however many of its corners name the vertex, exactly as a scan of all faces for
// every vertex would form it, so the results are bit for bit the same; faces with a corner out of
// range take no part.
void build_vertex_normals(Mesh& mesh);
