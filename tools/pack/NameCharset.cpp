#include "NameCharset.h"

#include "ArchiveWriter.h"

#ifndef _WIN32
#include <cerrno>
#include <iconv.h>
#endif

namespace pack {

#ifdef _WIN32

std::string NameInCharset(const std::string&, const std::string& charset) {
  throw PackError("this build of wexlin-pack cannot convert names to " + charset);
}

#else

namespace {
struct Converter {
  iconv_t cd;
  ~Converter() { iconv_close(cd); }
};
}  // namespace

std::string NameInCharset(const std::string& utf8_name, const std::string& charset) {
  const iconv_t cd = iconv_open(charset.c_str(), "UTF-8");
  if (cd == iconv_t(-1)) throw PackError("unknown character set for names: " + charset);
  Converter owner{cd};
  std::string in = utf8_name;
  std::string out(in.size() * 4 + 16, '\0');
  char* in_p = &in[0];
  char* out_p = &out[0];
  std::size_t in_left = in.size(), out_left = out.size();
  if (iconv(cd, &in_p, &in_left, &out_p, &out_left) == std::size_t(-1) ||
      iconv(cd, nullptr, nullptr, &out_p, &out_left) == std::size_t(-1))
    throw PackError("the name \"" + utf8_name + "\" cannot be written in " + charset +
                    (errno == EILSEQ ? " (a character is missing there)" : ""));
  out.resize(out.size() - out_left);
  return out;
}

#endif

}  // namespace pack
