// The builder's side of the inform file that an agent in inform mode shows: the product's token
// and a text in the message boxes' markup, scrambled as the agent reads it.
#pragma once

#include <random>
#include <string>

namespace pack {

// "|" + stored token + "|||" + body, scrambled. The body may hold "|" itself.
std::string InformFileText(const std::string& token, const std::string& body, std::mt19937& rng);

}  // namespace pack
