#include "KeyCommands.h"

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "ArchiveWriter.h"
#include "format/Signing.h"

namespace pack {
namespace {

std::string ErrnoText() { return std::strerror(errno); }

bool Exists(const std::string& path) {
  std::error_code error;
  return std::filesystem::symlink_status(path, error).type() !=
         std::filesystem::file_type::not_found;
}

// Creates path, never over an existing file (or a link), and writes text and a line break.
// owner_only: readable by its owner alone (the secret key; umask can only narrow it).
void WriteNewFile(const std::string& path, const std::string& text, bool owner_only) {
#ifdef _WIN32
  (void)owner_only;
  const int fd = ::_open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                         _S_IREAD | _S_IWRITE);
#else
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                        owner_only ? 0600 : 0644);
#endif
  if (fd < 0) throw PackError("cannot create " + path + ": " + ErrnoText());
  const std::string line = text + "\n";
  const bool written = ::write(fd, line.data(), unsigned(line.size())) == int(line.size());
  const int saved = errno;
  if (::close(fd) != 0 || !written) {
    if (!written) errno = saved;
    const std::string reason = ErrnoText();
    std::remove(path.c_str());
    throw PackError("cannot write " + path + ": " + reason);
  }
}

sig::FileDigest DigestOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw PackError("cannot read " + path);
  sig::FileDigest digest;
  char buf[1 << 16];
  while (in.read(buf, sizeof buf) || in.gcount() > 0) digest.Update(buf, std::size_t(in.gcount()));
  if (in.bad()) throw PackError("cannot read " + path);
  return digest;
}

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw PackError("cannot read " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// What is wrong with a key text, in words that fit a key.
const char* KeyProblem(sig::Status status) {
  switch (status) {
    case sig::Status::Missing: return "empty";
    case sig::Status::Truncated: return "too short";
    default: return "not one line of base64 of the right length";
  }
}

}  // namespace

void GenerateKeyFiles(const std::string& base, std::ostream& out) {
  const std::string key_path = base + ".key", pub_path = base + ".pub";
  for (const std::string& path : {key_path, pub_path})
    if (Exists(path)) throw PackError(path + " exists; a key file is never overwritten");
  const sig::SecretKey key = sig::GenerateKey();
  WriteNewFile(key_path, sig::SecretKeyText(key), true);
  const std::string pub = sig::PublicKeyText(key.public_key);
  try {
    WriteNewFile(pub_path, pub, false);
  } catch (const PackError&) {
    std::remove(key_path.c_str());
    throw;
  }
  out << "wrote " << key_path << " (secret: keep it off the update server)\n"
      << "wrote " << pub_path << " (key id " << sig::KeyIdHex(key.public_key.id) << ")\n"
      << pub << "\n";
}

void SignFiles(const std::string& key_path, const std::vector<std::string>& files,
               std::ostream& out) {
  sig::SecretKey key;
  const sig::Status status = sig::ParseSecretKey(ReadWhole(key_path), &key);
  if (status != sig::Status::Good)
    throw PackError(key_path + " is no secret key (" + KeyProblem(status) +
                    (status == sig::Status::Malformed ? ", or damaged)" : ")"));
  for (const std::string& file : files) {
    sig::FileDigest digest = DigestOf(file);
    if (digest.size() == 0) throw PackError(file + " is empty; an empty file is never signed");
    const std::string text = sig::SignatureText(sig::Sign(key, digest)) + "\n";
    // Replaced in one step, so a reader never sees half a signature.
    const std::string sig_path = file + ".sig", tmp = sig_path + ".tmp";
    {
      std::ofstream sig_file(tmp, std::ios::binary | std::ios::trunc);
      if (!sig_file.write(text.data(), std::streamsize(text.size())) || !sig_file.flush())
        throw PackError("cannot write " + tmp);
    }
    if (std::rename(tmp.c_str(), sig_path.c_str()) != 0) {
      std::remove(tmp.c_str());
      throw PackError("cannot write " + sig_path + ": " + ErrnoText());
    }
    out << "wrote " << sig_path << "\n";
  }
}

bool VerifyFiles(const std::string& key_arg, const std::vector<std::string>& files,
                 std::ostream& out) {
  sig::PublicKey key;
  sig::ParsePublicKey(UpdateKeyText(key_arg), &key);
  bool all_good = true;
  for (const std::string& file : files) {
    sig::Status status = sig::Status::Missing;
    sig::Signature signature;
    if (Exists(file + ".sig")) status = sig::ParseSignature(ReadWhole(file + ".sig"), &signature);
    if (status == sig::Status::Good) {
      sig::FileDigest digest = DigestOf(file);
      status = sig::Verify(key, signature, digest);
    }
    if (status == sig::Status::Good) {
      out << file << ": good\n";
    } else {
      out << file << ": REFUSED (" << sig::StatusText(status) << ")\n";
      all_good = false;
    }
  }
  return all_good;
}

std::string UpdateKeyText(const std::string& key_arg) {
  const bool is_file = Exists(key_arg);
  const std::string text = is_file ? ReadWhole(key_arg) : key_arg;
  sig::PublicKey key;
  const sig::Status status = sig::ParsePublicKey(text, &key);
  if (status != sig::Status::Good)
    throw PackError("--update-key " + key_arg + (is_file ? "" : " (no such file)") +
                    " is no public key: " + KeyProblem(status));
  return sig::PublicKeyText(key);
}

}  // namespace pack
