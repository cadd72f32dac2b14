#include "format/Signing.h"

#include <cstring>
#include <stdexcept>

#include <sodium/core.h>
#include <sodium/crypto_sign_ed25519.h>
#include <sodium/utils.h>

namespace sig {
namespace {

static_assert(crypto_sign_ed25519_SECRETKEYBYTES == kSecretKeyBytes);

void InitSodium() {
  if (sodium_init() < 0) throw std::runtime_error("libsodium cannot be initialised");
}

SecretKey FromBytes(const std::uint8_t* bytes) {
  SecretKey key;
  std::memcpy(key.bytes.data(), bytes, kSecretKeyBytes);
  crypto_sign_ed25519_sk_to_pk(key.public_key.bytes.data(), key.bytes.data());
  key.public_key.id = KeyIdOf(key.public_key.bytes);
  return key;
}

}  // namespace

SecretKey GenerateKey() {
  InitSodium();
  std::uint8_t pk[crypto_sign_ed25519_PUBLICKEYBYTES], sk[crypto_sign_ed25519_SECRETKEYBYTES];
  crypto_sign_ed25519_keypair(pk, sk);
  SecretKey key = FromBytes(sk);
  sodium_memzero(sk, sizeof sk);
  return key;
}

std::string SecretKeyText(const SecretKey& key) {
  constexpr int variant = sodium_base64_VARIANT_ORIGINAL;
  std::string text(sodium_base64_ENCODED_LEN(kSecretKeyBytes, variant), '\0');
  sodium_bin2base64(text.data(), text.size(), key.bytes.data(), kSecretKeyBytes, variant);
  text.resize(text.size() - 1);
  return text;
}

Status ParseSecretKey(std::string_view text, SecretKey* key) {
  std::uint8_t raw[kSecretKeyBytes];
  const Status status = DecodeBase64(text, kSecretKeyChars, raw, sizeof raw);
  if (status != Status::Good) return status;
  // The public half must be the one the seed gives.
  std::uint8_t pk[crypto_sign_ed25519_PUBLICKEYBYTES], sk[crypto_sign_ed25519_SECRETKEYBYTES];
  crypto_sign_ed25519_seed_keypair(pk, sk, raw);
  const bool sound = std::memcmp(sk, raw, sizeof raw) == 0;
  sodium_memzero(sk, sizeof sk);
  if (!sound) {
    sodium_memzero(raw, sizeof raw);
    return Status::Malformed;
  }
  *key = FromBytes(raw);
  sodium_memzero(raw, sizeof raw);
  return Status::Good;
}

Signature Sign(const SecretKey& key, FileDigest& digest) {
  InitSodium();
  const std::string message = digest.SignedMessage();
  Signature signature;
  signature.id = key.public_key.id;
  crypto_sign_ed25519_detached(signature.bytes.data(), nullptr,
                               reinterpret_cast<const unsigned char*>(message.data()),
                               message.size(), key.bytes.data());
  return signature;
}

Signature SignBytes(const SecretKey& key, std::string_view data) {
  FileDigest digest;
  digest.Update(data.data(), data.size());
  return Sign(key, digest);
}

}  // namespace sig
