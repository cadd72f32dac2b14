#include "InformRtf.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "ArchiveWriter.h"
#include "text/MarkupText.h"
#include "text/UtilsText.h"

namespace pack {
namespace {

std::string ByteEscape(unsigned char c) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "\\'%02x", c);
  return buf;
}

// The font table names a face of the code page's character set, so that RichEdit reads the
// \'hh bytes in that code page.
std::string FontTable(int code_page) {
  if (code_page == 936) return "{\\fonttbl{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}";  // 宋体
  return "{\\fonttbl{\\f0\\fnil\\fcharset0 Tahoma;}}";
}

}  // namespace

int CodePageOfCharset(const std::string& charset) {
  if (charset.empty()) return 1252;
  for (const char* gbk : {"GBK", "CP936", "GB2312", "WINDOWS-936"})
    if (SameTextIC(charset, gbk)) return 936;
  for (const char* prefix : {"CP", "WINDOWS-"}) {
    const std::string p = prefix;
    if (charset.size() > p.size() && SameTextIC(charset.substr(0, p.size()), p)) {
      char* end = nullptr;
      const long n = std::strtol(charset.c_str() + p.size(), &end, 10);
      if (*end == '\0' && n > 0 && n < 65536) return int(n);
    }
  }
  throw PackError("unknown character set " + charset + " (GBK, CP1252, WINDOWS-1251, ...)");
}

std::string MarkupToRtf(const std::string& markup, int code_page) {
  if (markup.compare(0, 5, "{\\rtf") == 0) return markup;
  const LeadByteTest is_lead = code_page == 936 ? GbkLeadByte : NoLeadBytes;
  const box::PlainText plain = box::TranslateMarkup(markup, is_lead);
  std::string out = "{\\rtf1\\ansi\\ansicpg" + std::to_string(code_page) + "\\deff0" +
                    FontTable(code_page) + "\\plain\\f0\\fs18 ";
  const std::string& t = plain.text;
  const std::vector<box::BoldRun>& bold = plain.bold;
  std::size_t run = 0;
  bool in_bold = false;
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (in_bold && i >= std::size_t(bold[run].end)) {
      out += "}";
      in_bold = false;
      ++run;
    }
    while (!in_bold && run < bold.size() && std::size_t(bold[run].end) <= i) ++run;
    if (!in_bold && run < bold.size() && std::size_t(bold[run].start) == i) {
      out += "{\\b ";
      in_bold = true;
    }
    const unsigned char c = static_cast<unsigned char>(t[i]);
    if (is_lead(c) && i + 1 < t.size()) {
      out += ByteEscape(c) + ByteEscape(static_cast<unsigned char>(t[++i]));
    } else if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < t.size() && t[i + 1] == '\n') ++i;
      out += "\\par\n";
    } else if (c == '\t') {
      out += "\\tab ";
    } else if (c == '\\' || c == '{' || c == '}') {
      out += '\\';
      out += char(c);
    } else if (c >= 0x80) {
      out += ByteEscape(c);
    } else if (c >= 0x20) {
      out += char(c);
    }
  }
  if (in_bold) out += "}";
  return out + "}";
}

}  // namespace pack
