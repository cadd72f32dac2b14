// Detached Ed25519 signatures of published files and the public key that checks them: the text
// forms, their parsing with a reason for each refusal, and verification of bytes fed in pieces.
// Public key (NAME.pub, the update key): one line, base64 of the 32-byte Ed25519 public key.
// Signature (FILE.sig): one line, base64 of key id (8 bytes) + Ed25519 signature (64 bytes).
// The key id is the first 8 bytes of SHA-512 of the public key. The signed message is
// kSignedContext followed by SHA-512 of the whole file. Pure code; no <windows.h>.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <sodium/crypto_hash_sha512.h>

namespace sig {

constexpr std::size_t kPublicKeyBytes = 32;
constexpr std::size_t kKeyIdBytes = 8;
constexpr std::size_t kSignatureBytes = 64;
constexpr std::size_t kDigestBytes = 64;
constexpr std::size_t kPublicKeyChars = 44;  // base64 of 32 bytes, one "=" of padding
constexpr std::size_t kSignatureChars = 96;  // base64 of 72 bytes, no padding

// Put in front of the file's digest before it is signed, so that no signature of a file can
// stand for any other message signed with the same key.
constexpr std::string_view kSignedContext = "WexlinStub signed file v1\n";

// The installer's header block 2 (the update info list) carries the update key's text as this
// item, after the run-hidden item; absent or empty: the product's updates are not signed.
constexpr int kUpdateKeyItem = 5;

using KeyId = std::array<std::uint8_t, kKeyIdBytes>;

enum class Status {
  Good,
  Missing,       // no signature at all (no file, or only white space in it)
  Malformed,     // a character outside base64, too long, or not decodable
  Truncated,     // base64, but shorter than a whole key or signature
  OtherKey,      // signed by a key whose id is not the trusted key's
  BadSignature,  // right key id, but the signature does not fit the bytes
  EmptyFile,     // the signed file holds no bytes: nothing worth running was published
};
// A short English text for a trace line, e.g. "signed by another key".
const char* StatusText(Status status);

struct PublicKey {
  std::array<std::uint8_t, kPublicKeyBytes> bytes{};
  KeyId id{};
};

struct Signature {
  KeyId id{};
  std::array<std::uint8_t, kSignatureBytes> bytes{};
};

// White space before and after the text (a final line break) is ignored; inside it is not.
Status ParsePublicKey(std::string_view text, PublicKey* key);
Status ParseSignature(std::string_view text, Signature* signature);

// Decodes exactly `size` bytes from a one-line text of exactly `chars` base64 characters (white
// space around it ignored): Missing when empty, Truncated when shorter, else Malformed.
Status DecodeBase64(std::string_view text, std::size_t chars, std::uint8_t* out, std::size_t size);

KeyId KeyIdOf(const std::array<std::uint8_t, kPublicKeyBytes>& public_key);
std::string KeyIdHex(const KeyId& id);  // 16 lower-case hex digits, for messages
std::string PublicKeyText(const PublicKey& key);
std::string SignatureText(const Signature& signature);

// SHA-512 of a file read in pieces (a file of tens of megabytes is never held in memory).
class FileDigest {
 public:
  FileDigest();
  void Update(const void* data, std::size_t size);
  std::uint64_t size() const { return size_; }
  // The message that is signed: kSignedContext and the digest. Call once, after the last Update.
  std::string SignedMessage();

 private:
  crypto_hash_sha512_state state_;
  std::uint64_t size_ = 0;
};

// Whether signature is key's signature of the bytes fed to digest: OtherKey before any check
// of the signature, EmptyFile for a file of no bytes. Consumes the digest.
Status Verify(const PublicKey& key, const Signature& signature, FileDigest& digest);

// ParseSignature, then Verify of bytes held in memory (small files and tests).
Status VerifyBytes(const PublicKey& key, std::string_view signature_text, std::string_view data);

}  // namespace sig
