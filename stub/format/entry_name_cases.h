// Entry names and whether they may be joined to the extraction folder, as a single-byte code
// page and as GBK read them. The stub's name test and the builder's refusal both run this table.
#pragma once

struct EntryNameCase {
  const char* name;
  bool safe_single_byte;  // every 0x5C byte is a separator
  bool safe_gbk;          // a 0x5C after a lead byte is part of a character
};

// clang-format off
inline constexpr EntryNameCase kEntryNameCases[] = {
    {"Setup.exe", true, true},
    {"00000#dm.tz", true, true},
    {"a..b", true, true},
    {".hidden", true, true},
    {"CONSOLE.txt", true, true},
    {"COM10", true, true},
    {"\xD0\xC2\xBD\xA8 \xCE\xC4\xB1\xBE\xCE\xC4\xB5\xB5.txt", true, true},  // GBK name
    {"\x95\x5C.txt", false, true},            // GBK character whose second byte is 0x5C
    {"\xD5\x5C\x5Cx", false, false},          // that character, then a real separator
    {"\x81|x", false, true},                   // "|" as a second byte is part of the character
    {"a\x95", true, false},                    // GBK lead byte without its second byte
    {"\x95/x", false, false},                  // a lead byte cannot take "/" as its second byte
    {"\x95" "a\\x", false, false},             // character, then a separator
    {"", false, false},
    {".", false, false},
    {"..", false, false},
    {"...", false, false},
    {"../x", false, false},
    {"..\\x", false, false},
    {"..\\evil.txt", false, false},
    {"a/b", false, false},
    {"a\\b", false, false},
    {"/etc/passwd", false, false},
    {"\\\\server\\share", false, false},
    {"C:x", false, false},
    {"C:\\x", false, false},
    {"x:stream", false, false},
    {"a\x01", false, false},
    {"tab\there", false, false},
    {"del\x7F", false, false},
    {"name.", false, false},
    {"name ", false, false},
    {"CON", false, false},
    {"con.txt", false, false},
    {"NUL", false, false},
    {"nul.txt", false, false},
    {"PRN.log", false, false},
    {"AUX", false, false},
    {"Com1", false, false},
    {"COM1.txt", false, false},
    {"LPT1", false, false},
    {"LPT9.log", false, false},
    {"COM\xB9.txt", false, false},            // superscript one (code page 1252)
    {"LPT\xB2", false, false},                // (in GBK a lead byte without its second byte)
    {"a*b", false, false},
    {"a|b", false, false},
    {"a?b", false, false},
};
// clang-format on
