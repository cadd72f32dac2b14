// The publisher's half of Signature.h: key pairs and signing. Linked by the builder and the
// tests only; the stub verifies and never signs.
// Secret key (NAME.key): one line, base64 of the 64-byte Ed25519 secret key (seed + public key).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "format/Signature.h"

namespace sig {

constexpr std::size_t kSecretKeyBytes = 64;
constexpr std::size_t kSecretKeyChars = 88;  // base64 of 64 bytes, two "=" of padding

struct SecretKey {
  std::array<std::uint8_t, kSecretKeyBytes> bytes{};
  PublicKey public_key;
};

// A new key pair from the system's random source.
SecretKey GenerateKey();

std::string SecretKeyText(const SecretKey& key);
// Refuses, besides what ParsePublicKey refuses, a key whose public half does not belong to its
// seed (Malformed): a damaged key file must not sign anything.
Status ParseSecretKey(std::string_view text, SecretKey* key);

// The signature of the bytes fed to digest (consumed).
Signature Sign(const SecretKey& key, FileDigest& digest);
Signature SignBytes(const SecretKey& key, std::string_view data);

}  // namespace sig
