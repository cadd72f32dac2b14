#include "format/Signature.h"

#include <gtest/gtest.h>
#include <sodium/crypto_sign_ed25519.h>

#include <random>
#include <string>

#include "format/Signing.h"

namespace {

using sig::Status;

std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 rng(seed);
  std::string data(size, '\0');
  for (char& c : data) c = static_cast<char>(rng());
  return data;
}

class SignatureTest : public ::testing::Test {
 protected:
  sig::SecretKey key_ = sig::GenerateKey();
  sig::SecretKey other_ = sig::GenerateKey();
  std::string file_ = RandomBytes(300000, 18);
};

TEST_F(SignatureTest, RoundTripThroughTextsAndPieces) {
  const std::string sig_text = sig::SignatureText(sig::SignBytes(key_, file_)) + "\r\n";
  EXPECT_EQ(sig_text.size(), sig::kSignatureChars + 2);

  sig::PublicKey trusted;
  const std::string pub_text = sig::PublicKeyText(key_.public_key);
  ASSERT_EQ(pub_text.size(), sig::kPublicKeyChars);
  ASSERT_EQ(sig::ParsePublicKey(pub_text + "\n", &trusted), Status::Good);
  EXPECT_EQ(trusted.bytes, key_.public_key.bytes);
  EXPECT_EQ(trusted.id, key_.public_key.id);

  // The secret key file read back signs the same (Ed25519 is deterministic).
  sig::SecretKey reread;
  ASSERT_EQ(sig::ParseSecretKey(sig::SecretKeyText(key_) + "\n", &reread), Status::Good);
  EXPECT_EQ(sig::SignatureText(sig::SignBytes(reread, file_)) + "\r\n", sig_text);

  // Fed in uneven pieces as a file is read from a handle.
  sig::Signature signature;
  ASSERT_EQ(sig::ParseSignature(sig_text, &signature), Status::Good);
  EXPECT_EQ(signature.id, trusted.id);
  sig::FileDigest digest;
  for (std::size_t at = 0, piece = 1; at < file_.size(); at += piece, piece = piece * 3 + 7)
    digest.Update(file_.data() + at, std::min(piece, file_.size() - at));
  EXPECT_EQ(digest.size(), file_.size());
  EXPECT_EQ(sig::Verify(trusted, signature, digest), Status::Good);
}

TEST_F(SignatureTest, EachFaultRefusedWithItsOwnReason) {
  const sig::PublicKey trusted = key_.public_key;
  const sig::Signature good = sig::SignBytes(key_, file_);
  const std::string good_text = sig::SignatureText(good);

  std::string flipped_file = file_;
  flipped_file[123456] ^= 0x01;
  sig::Signature flipped_sig = good;
  flipped_sig.bytes[40] ^= 0x80;
  sig::Signature flipped_id = good;
  flipped_id.id[0] ^= 0x01;
  // Another key's signature that claims the trusted key's id: the id names, it proves nothing.
  sig::Signature claimed = sig::SignBytes(other_, file_);
  claimed.id = trusted.id;
  // Plain Ed25519 over the file's bytes, without the context and the digest.
  sig::Signature plain = good;
  crypto_sign_ed25519_detached(plain.bytes.data(), nullptr,
                               reinterpret_cast<const unsigned char*>(file_.data()), file_.size(),
                               key_.bytes.data());
  std::string inner_equals = good_text;
  inner_equals[10] = '=';

  struct Case {
    const char* name;
    std::string sig_text;
    std::string data;
    Status want;
  } cases[] = {
      {"byte flipped in the file", good_text, flipped_file, Status::BadSignature},
      {"byte flipped in the signature", sig::SignatureText(flipped_sig), file_,
       Status::BadSignature},
      {"key id flipped", sig::SignatureText(flipped_id), file_, Status::OtherKey},
      {"signed by another key", sig::SignatureText(sig::SignBytes(other_, file_)), file_,
       Status::OtherKey},
      {"another key claiming the trusted id", sig::SignatureText(claimed), file_,
       Status::BadSignature},
      {"plain Ed25519 of the bytes", sig::SignatureText(plain), file_, Status::BadSignature},
      {"signature of a prefix", sig::SignatureText(sig::SignBytes(key_, file_.substr(0, 1000))),
       file_, Status::BadSignature},
      {"truncated by one character", good_text.substr(0, good_text.size() - 1), file_,
       Status::Truncated},
      {"truncated to half", good_text.substr(0, good_text.size() / 2), file_, Status::Truncated},
      {"not base64", good_text.substr(0, 50) + "!" + good_text.substr(51), file_,
       Status::Malformed},
      {"two lines", good_text.substr(0, 48) + "\n" + good_text.substr(48), file_,
       Status::Malformed},
      {"padding inside", inner_equals, file_, Status::Malformed},
      {"one character too many", good_text + "A", file_, Status::Malformed},
      {"empty signature file", "", file_, Status::Missing},
      {"white space only", " \r\n", file_, Status::Missing},
      {"empty signed file", sig::SignatureText(sig::SignBytes(key_, "")), "", Status::EmptyFile},
      {"empty file, other key", sig::SignatureText(sig::SignBytes(other_, "")), "",
       Status::OtherKey},
  };
  for (const Case& c : cases)
    EXPECT_EQ(sig::VerifyBytes(trusted, c.sig_text, c.data), c.want) << c.name;
  EXPECT_EQ(sig::VerifyBytes(trusted, good_text, file_), Status::Good);
}

TEST_F(SignatureTest, KeyTextsRefusedWithTheirReasons) {
  const std::string pub = sig::PublicKeyText(key_.public_key);
  sig::PublicKey key;
  EXPECT_EQ(sig::ParsePublicKey(pub.substr(0, 43), &key), Status::Truncated);
  EXPECT_EQ(sig::ParsePublicKey(pub.substr(0, 20) + "-" + pub.substr(21), &key), Status::Malformed);
  EXPECT_EQ(sig::ParsePublicKey(pub + "AAAA", &key), Status::Malformed);
  EXPECT_EQ(sig::ParsePublicKey("", &key), Status::Missing);
  // A signature is no public key.
  EXPECT_EQ(sig::ParsePublicKey(sig::SignatureText(sig::SignBytes(key_, file_)), &key),
            Status::Malformed);

  // A secret key file whose public half was changed must not sign.
  sig::SecretKey damaged = key_;
  damaged.bytes[40] ^= 0x01;
  sig::SecretKey parsed;
  EXPECT_EQ(sig::ParseSecretKey(sig::SecretKeyText(damaged), &parsed), Status::Malformed);
  EXPECT_EQ(sig::ParseSecretKey(sig::SecretKeyText(key_).substr(0, 80), &parsed),
            Status::Truncated);
  EXPECT_EQ(sig::ParseSecretKey(pub, &parsed), Status::Truncated);
}

TEST(SignatureStatus, TextsAreDistinct) {
  const Status all[] = {Status::Good,     Status::Missing,      Status::Malformed,
                        Status::Truncated, Status::OtherKey,    Status::BadSignature,
                        Status::EmptyFile};
  for (Status a : all)
    for (Status b : all) {
      if (a == b) continue;
      EXPECT_STRNE(sig::StatusText(a), sig::StatusText(b));
    }
}

}  // namespace
