// Editing: replace-all (also across joins) and the removal of enclosing characters.
#pragma once

#include <string>

std::string ReplaceAll(const std::string& text, const std::string& old_text,
                       const std::string& new_text);
std::string ReplaceAllIC(const std::string& text, const std::string& old_text,
                         const std::string& new_text);
std::string StripEnclosing(const std::string& text, char ch, bool loose);
std::string Dequote(const std::string& text, bool loose);
