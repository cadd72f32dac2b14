// The lead-byte rule of the process and the basic byte-string rules: case, trimming, integers.
#pragma once

#include <cstdint>
#include <string>

// Whether a byte starts a double-byte character (IsDBCSLeadByte on Windows).
using LeadByteTest = bool (*)(unsigned char byte);

// A lead-byte test for single-byte code pages (no byte is a lead byte).
bool NoLeadBytes(unsigned char byte);
// The lead bytes of code page 936 (GBK): 0x81..0xFE. For tests and native tools.
bool GbkLeadByte(unsigned char byte);

// The process's one lead-byte rule: the test that case folding and the file-name helpers use
// when they are not given one, so that no byte of a double-byte character is folded or taken
// for a separator. It starts as NoLeadBytes (single-byte code page) and is set explicitly: the
// program entry installs the system's rule first thing (InstallSystemLeadByteRule, Utils.h),
// tests set GbkLeadByte or NoLeadBytes. Nothing installs it behind the caller's back.
void SetLeadByteTest(LeadByteTest is_lead);
LeadByteTest CurrentLeadByteTest();

std::string UpperText(const std::string& text);  // a..z -> A..Z, not inside characters
std::string UpperText(const std::string& text, LeadByteTest is_lead);
std::string TrimText(const std::string& text);         // drops leading/trailing bytes <= 32
bool SameTextIC(const std::string& a, const std::string& b);  // equal after UpperText
std::string IntText(std::int64_t value);                // decimal text
// Strict decimal reading (optional sign, digits only, no blanks, in range); else the default.
std::int64_t ParseDecimal(const std::string& text, std::int64_t default_value);
