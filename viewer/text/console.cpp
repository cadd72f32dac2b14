#include "text/console.h"

#include <cstring>

#ifndef _WIN32
#include "text/iconv_handle.h"
#include <langinfo.h>
#include <locale.h>
#include <strings.h>

#include <cerrno>

namespace {

// GBK text is already in these charsets.
bool is_gbk_name(const char* codeset) {
  return strcasecmp(codeset, "GBK") == 0 || strcasecmp(codeset, "CP936") == 0;
}

}  // namespace

std::string terminal_codeset() {
  locale_t user = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
  if (user == static_cast<locale_t>(0)) return "ANSI_X3.4-1968";
  std::string codeset = nl_langinfo_l(CODESET, user);
  freelocale(user);
  return codeset;
}

std::string gbk_to_codeset(std::string_view gbk, const char* codeset) {
  std::string raw(gbk);
  if (gbk.empty() || is_gbk_name(codeset)) return raw;
  IconvHandle converter(codeset, "GBK");
  if (!converter.ok()) return raw;

  std::string out;
  char buffer[256];
  char* in = raw.data();
  size_t in_left = raw.size();
  while (in_left > 0) {
    char* next = buffer;
    size_t room = sizeof buffer;
    size_t done = iconv(converter.get(), &in, &in_left, &next, &room);
    out.append(buffer, size_t(next - buffer));
    // E2BIG only means the buffer is full; anything else (a character the target lacks, a
    // broken or cut GBK sequence) means the text cannot be shown faithfully.
    if (done == static_cast<size_t>(-1) && errno != E2BIG) return raw;
  }
  char* next = buffer;
  size_t room = sizeof buffer;
  if (iconv(converter.get(), nullptr, nullptr, &next, &room) == static_cast<size_t>(-1)) return raw;
  out.append(buffer, size_t(next - buffer));
  return out;
}

void write_console_line(std::FILE* out, const char* gbk) {
  static const std::string codeset = terminal_codeset();
  const std::string text = gbk_to_codeset(gbk, codeset.c_str());
  std::fwrite(text.data(), 1, text.size(), out);
  std::fputc('\n', out);
  std::fflush(out);
}

#else

// The Windows console shows the system code page, which is 936 where the viewer runs.
void write_console_line(std::FILE* out, const char* gbk) {
  std::fwrite(gbk, 1, std::strlen(gbk), out);
  std::fputc('\n', out);
  std::fflush(out);
}

#endif
