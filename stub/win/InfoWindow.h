// InfoWindow: the resizable rich-text window in which the agent shows news of a new version,
// with an optional button that opens the news page.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

// Shows a body text in a resizable rich-text window, with a button that opens the address when
// there is one. An empty body opens the address at once or, without one, shows nothing (false).
// Only "http:" and "https:" addresses are opened; any other is dropped. An address that was to
// be opened and could not be makes the result false and sets *open_failed.
bool InfoWindow(HWND owner, const std::string& title, const std::string& button_caption,
                const std::string& body, const std::string& address, int width, int height,
                bool right_to_left, const std::string& font_name, int font_size, int charset,
                bool* open_failed = nullptr);
// Where InfoWindow sends an address instead of the shell (tests); nullptr restores the shell.
// It returns whether the address was opened.
using AddressOpener = bool (*)(const std::string& address);
void SetInfoWindowOpener(AddressOpener opener);
