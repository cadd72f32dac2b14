// The display lists the main window draws from: the body's meshes, compiled once the model and
// its textures are loaded, and the marker sphere, compiled when first drawn. Both belong to the
// main window's context and are released by its close callback while it is still current.
#pragma once

// Compiles body_model into fresh lists, releasing those of a model it replaced.
void make_body_lists();
void release_scene_lists();

// body_model under the caller's transform, from its lists (immediately when there are none).
void draw_body();
// A solid sphere as glutSolidSphere draws it, from one list made for these arguments.
void draw_marker_sphere(double radius, int slices, int stacks);
