// JobBoxes: the boxes of the setup job and the setup runs, with the texts, buttons and font of
// the own archive's language table: the error box, the checksum box, the space question.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

class TGFileInfo;

// The button texts of the language table ("BtnText").
std::string JobButtons();
// The checksum error box.
void ShowChecksumError(HWND window);
// The error box with the given text.
void ShowJobError(HWND window, const std::string& text);
// Asks the user whether to go on where the archive says so or the space is short; true unless
// the answer is No.
bool ConfirmSpace(HWND window, const std::string& extraction_folder, const TGFileInfo& archive);
