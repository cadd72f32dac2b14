// Text conversion between the table's UTF-8 and the GBK (code page 936) bytes the viewer reads.
#pragma once

#include <string>

// False when the text holds a character GBK cannot encode, or bytes that are not valid input.
bool utf8_to_gbk(const std::string& utf8, std::string* gbk);
bool gbk_to_utf8(const std::string& gbk, std::string* utf8);
