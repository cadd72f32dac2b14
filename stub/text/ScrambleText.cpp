#include "text/ScrambleText.h"

#include <random>

#include "text/TextDetail.h"

const char kScrambleMarker[] = "Scrambled=01";

std::string ScrambleTextWithKey(const std::string& text, bool scramble, unsigned char key) {
  const std::size_t marker_size = sizeof kScrambleMarker - 1;
  const bool marked = text.compare(0, marker_size, kScrambleMarker) == 0;
  if (marked == scramble) return text;
  std::string body = text;
  if (!scramble) {
    // The marker alone carries no key and nothing to restore: it restores to the empty text.
    if (text.size() <= marker_size) return std::string();
    key = static_cast<unsigned char>(text[marker_size]);
    body = text.substr(marker_size + 1);
  }
  for (std::size_t i = 0; i < body.size(); ++i) {
    const unsigned position = static_cast<unsigned>(i + 1);
    // k, -k, k, ... : the sign flips after every byte.
    const unsigned k = (i % 2 == 0) ? key : (256u - key) & 0xFFu;
    body[i] = static_cast<char>(static_cast<unsigned char>(body[i]) ^ ((position + k) & 0xFFu));
  }
  if (!scramble) return body;
  return std::string(kScrambleMarker) + static_cast<char>(key) + body;
}

std::string ScrambleText(const std::string& text, bool scramble) {
  std::mt19937_64 generator = text_detail::ClockSeededGenerator();
  const unsigned char key =
      static_cast<unsigned char>(33 + std::uniform_int_distribution<int>(0, 89)(generator));
  return ScrambleTextWithKey(text, scramble, key);
}
