// The builder's side of the stored tokens: the inverse of UnscrambleToken.
#pragma once

#include <random>
#include <string>

namespace pack {

// Scrambles token into the stored form (upper-case hexadecimal digits moved up by 50, with
// random padding, a random key and a check byte). Tokens up to 200 bytes.
std::string ScrambleToken(const std::string& token, std::mt19937& rng);

}  // namespace pack
