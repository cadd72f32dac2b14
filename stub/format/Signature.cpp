#include "format/Signature.h"

#include <cstring>

// Only the Ed25519 primitives themselves: the generic crypto_sign_* wrappers live in one object
// with key generation and signing, which the stub has no use for.
#include <sodium/crypto_sign_ed25519.h>
#include <sodium/utils.h>

namespace sig {
namespace {

static_assert(crypto_sign_ed25519_PUBLICKEYBYTES == kPublicKeyBytes);
static_assert(crypto_sign_ed25519_BYTES == kSignatureBytes);
static_assert(crypto_hash_sha512_BYTES == kDigestBytes);

constexpr int kVariant = sodium_base64_VARIANT_ORIGINAL;

std::string_view Trimmed(std::string_view text) {
  const char* const space = " \t\r\n";
  const std::size_t first = text.find_first_not_of(space);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(space) - first + 1);
}

bool IsBase64Char(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
         c == '/' || c == '=';
}

std::string Encode(const std::uint8_t* data, std::size_t size) {
  std::string text(sodium_base64_ENCODED_LEN(size, kVariant), '\0');
  sodium_bin2base64(text.data(), text.size(), data, size, kVariant);
  text.resize(text.size() - 1);  // the terminating NUL
  return text;
}

}  // namespace

Status DecodeBase64(std::string_view text, std::size_t chars, std::uint8_t* out,
                    std::size_t size) {
  text = Trimmed(text);
  if (text.empty()) return Status::Missing;
  for (char c : text)
    if (!IsBase64Char(c)) return Status::Malformed;
  if (text.size() < chars) return Status::Truncated;
  if (text.size() > chars) return Status::Malformed;
  std::size_t decoded = 0;
  const char* end = nullptr;
  if (sodium_base642bin(out, size, text.data(), text.size(), nullptr, &decoded, &end, kVariant) !=
          0 ||
      decoded != size || end != text.data() + text.size())
    return Status::Malformed;
  return Status::Good;
}

const char* StatusText(Status status) {
  switch (status) {
    case Status::Good: return "good signature";
    case Status::Missing: return "no signature";
    case Status::Malformed: return "signature not readable (not base64)";
    case Status::Truncated: return "signature truncated";
    case Status::OtherKey: return "signed by another key";
    case Status::BadSignature: return "signature does not match the file";
    case Status::EmptyFile: return "the signed file is empty";
  }
  return "unknown signature status";
}

KeyId KeyIdOf(const std::array<std::uint8_t, kPublicKeyBytes>& public_key) {
  std::uint8_t hash[crypto_hash_sha512_BYTES];
  crypto_hash_sha512(hash, public_key.data(), public_key.size());
  KeyId id;
  std::memcpy(id.data(), hash, id.size());
  return id;
}

std::string KeyIdHex(const KeyId& id) {
  static const char kHex[] = "0123456789abcdef";
  std::string text;
  for (std::uint8_t b : id) {
    text += kHex[b >> 4];
    text += kHex[b & 15];
  }
  return text;
}

Status ParsePublicKey(std::string_view text, PublicKey* key) {
  PublicKey parsed;
  const Status status = DecodeBase64(text, kPublicKeyChars, parsed.bytes.data(), kPublicKeyBytes);
  if (status != Status::Good) return status;
  parsed.id = KeyIdOf(parsed.bytes);
  *key = parsed;
  return Status::Good;
}

Status ParseSignature(std::string_view text, Signature* signature) {
  std::uint8_t raw[kKeyIdBytes + kSignatureBytes];
  const Status status = DecodeBase64(text, kSignatureChars, raw, sizeof raw);
  if (status != Status::Good) return status;
  std::memcpy(signature->id.data(), raw, kKeyIdBytes);
  std::memcpy(signature->bytes.data(), raw + kKeyIdBytes, kSignatureBytes);
  return Status::Good;
}

std::string PublicKeyText(const PublicKey& key) { return Encode(key.bytes.data(), key.bytes.size()); }

std::string SignatureText(const Signature& signature) {
  std::uint8_t raw[kKeyIdBytes + kSignatureBytes];
  std::memcpy(raw, signature.id.data(), kKeyIdBytes);
  std::memcpy(raw + kKeyIdBytes, signature.bytes.data(), kSignatureBytes);
  return Encode(raw, sizeof raw);
}

// Ed25519 over a digest rather than over the file: the stub checks a setup of tens of
// megabytes from an open handle in pieces, and plain Ed25519 needs the whole message twice.
// SHA-512 because Ed25519 verification links it anyway; the digest costs no code.
FileDigest::FileDigest() { crypto_hash_sha512_init(&state_); }

void FileDigest::Update(const void* data, std::size_t size) {
  crypto_hash_sha512_update(&state_, static_cast<const unsigned char*>(data), size);
  size_ += size;
}

std::string FileDigest::SignedMessage() {
  std::string message(kSignedContext);
  std::uint8_t digest[kDigestBytes];
  crypto_hash_sha512_final(&state_, digest);
  message.append(reinterpret_cast<const char*>(digest), sizeof digest);
  return message;
}

// No sodium_init: SHA-512 and Ed25519 verification have no implementations chosen at run time,
// and calling it would link every primitive of the library into the stub.
Status Verify(const PublicKey& key, const Signature& signature, FileDigest& digest) {
  if (signature.id != key.id) return Status::OtherKey;
  if (digest.size() == 0) return Status::EmptyFile;
  const std::string message = digest.SignedMessage();
  return crypto_sign_ed25519_verify_detached(
             signature.bytes.data(), reinterpret_cast<const unsigned char*>(message.data()),
             message.size(), key.bytes.data()) == 0
             ? Status::Good
             : Status::BadSignature;
}

Status VerifyBytes(const PublicKey& key, std::string_view signature_text, std::string_view data) {
  Signature signature;
  const Status status = ParseSignature(signature_text, &signature);
  if (status != Status::Good) return status;
  FileDigest digest;
  digest.Update(data.data(), data.size());
  return Verify(key, signature, digest);
}

}  // namespace sig
