// The main window's scene: the body posed by the active view, its markers, and the search line
// and panels laid over it.
#pragma once

void display_main();
void reshape_main(int width, int height);
void set_light_and_material();
// The frame's opening: cleared buffers, camera, light and material, lighting on.
void begin_scene_frame();
