// Search and compare: 1-based positions (0: not found), with and without regard to case.
#pragma once

#include <string>

#include "text/TextBasics.h"

int Pos(const std::string& sub, const std::string& text);     // case-sensitive; "" gives 0
int PosIC(const std::string& sub, const std::string& text);
int PosFrom(const std::string& sub, const std::string& text, int start);
int PosFromIC(const std::string& sub, const std::string& text, int start);
int LastPos(const std::string& sub, const std::string& text);
// Case-insensitive position of the reversed sub in the reversed text (1: text ends with sub).
// Both are folded before they are reversed: a reversed text has its trail bytes first.
int EndPosIC(const std::string& sub, const std::string& text);
int EndPosIC(const std::string& sub, const std::string& text, LeadByteTest is_lead);
bool EndsWithText(const std::string& suffix, const std::string& text, bool ignore_case);
bool SameTextTrimmed(const std::string& a, const std::string& b);
std::string TextBefore(const std::string& text, const std::string& sub);
std::string TextAfter(const std::string& text, const std::string& sub);
std::string ReverseText(const std::string& text);
