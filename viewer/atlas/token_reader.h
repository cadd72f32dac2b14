// Whitespace-separated tokens from a text file, the way the atlas files are written. Owns its
// FILE*; a token longer than the caller's limit is consumed whole and reported as cut.
#pragma once

#include <cstdio>
#include <string>

class TokenReader {
 public:
  explicit TokenReader(const std::string& path);
  ~TokenReader();
  TokenReader(const TokenReader&) = delete;
  TokenReader& operator=(const TokenReader&) = delete;

  bool is_open() const { return file != nullptr; }
  // Reads the next token, keeping at most limit bytes of it (cut on a GBK character boundary).
  // False at the end of the file. cut tells whether bytes were dropped.
  bool next(std::string& token, size_t limit, bool& cut);

 private:
  FILE* file = nullptr;
};

// Whole-token conversions: false when the token is not entirely a number of that kind.
bool parse_float_token(const std::string& token, float& value);
bool parse_int_token(const std::string& token, int& value);
