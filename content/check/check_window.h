// What the on-screen checks share: the viewer's main window, loaded and projected as the viewer
// does, and frames read back from it.
#pragma once

#include <string>
#include <vector>

constexpr int kCheckWidth = 800, kCheckHeight = 600;

// Enters the run folder, opens the main window (kCheckWidth x kCheckHeight), loads model,
// textures, font and atlas with the viewer's own start-up and sets the main view's projection.
// False with a message when the folder cannot be entered.
bool open_check_window(const char* run_folder, const char* title);

// The whole back buffer as RGB, bottom row first.
std::vector<unsigned char> read_check_frame();

// A frame from read_check_frame as a binary PPM, top row first; false when it cannot be written.
bool write_check_ppm(const std::string& path, const std::vector<unsigned char>& rgb);
