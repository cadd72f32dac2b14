// WMsgBox: the stub's modal message box. Its text is markup (MarkupText.h) shown in a
// read-only RichEdit 1.0 control, its button captions come from a replaceable delimited list
// and its font from the language settings. Flags and result codes are the system message
// box's (box::kResult... in MarkupText.h; 0 when closed by the caption's close button).
//
// Texts are byte strings of the ANSI code page. Empty button texts mean the default list
// "|&OK|&Cancel|&Yes|&No|&Abort|&Retry|&Ignore|". One box at a time per process.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

// The owner value that ShowBox replaces by the active window without adding the heading.
#define BOX_OWNER_ACTIVE (reinterpret_cast<HWND>(1))

// Face, point size (0 leaves it unchanged) and character set of the font of later boxes.
void SetBoxFont(const std::string& font_name, int font_size, int charset);

// The box itself: modal until a button is chosen, the box is closed or the timeout (ms,
// 0 = never) chooses the first button.
int MarkupBox(HWND owner, const std::string& text, const std::string& title,
              const std::string& button_texts, UINT flags, UINT timeout);

// The entry point of the others: right-to-left for character sets 177 and 178, the title as
// bold heading when owner is 0, the active window as owner when owner is 0 or
// BOX_OWNER_ACTIVE; waits 100 ms serving messages after the box.
int ShowBox(HWND owner, const std::string& text, const std::string& title,
            const std::string& button_texts, int charset, UINT flags, UINT timeout);

// OK with the stop icon; empty title: "Error". Returns the result code.
int ErrorBox(HWND owner, const std::string& text, const std::string& title,
             const std::string& button_texts, int charset);
// OK with the exclamation icon; empty title: "Attention". Returns the result code.
int WarningBox(HWND owner, const std::string& text, const std::string& title,
               const std::string& button_texts, int charset, UINT timeout);
// Closes every box this thread shows (as if closed by the user): for a waiting loop that must
// end though a box of it is open.
void CloseThreadBoxes();
// Yes/No with the question icon; empty title: "Confirm". True for Yes.
bool AskYesNo(HWND owner, const std::string& text, const std::string& title,
              const std::string& button_texts, int charset);
// OK/Cancel with the question icon; empty title: "Confirm". True for OK.
bool AskOkCancel(HWND owner, const std::string& text, const std::string& title,
                 const std::string& button_texts, int charset);
