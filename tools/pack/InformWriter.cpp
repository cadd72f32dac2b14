#include "InformWriter.h"

#include "TokenScramble.h"
#include "text/UtilsText.h"

namespace pack {

std::string InformFileText(const std::string& token, const std::string& body, std::mt19937& rng) {
  // The first, third and fourth fields are not read; they stay empty.
  return ScrambleText("|" + ScrambleToken(token, rng) + "|||" + body, true);
}

}  // namespace pack
