#include "atlas_gen/gbk_convert.h"

#include "text/iconv_handle.h"

#include <vector>

namespace {

bool run(const char* to, const char* from, const std::string& in, std::string* out) {
  IconvHandle c(to, from);
  if (!c.ok()) return false;
  // GBK and UTF-8 never more than double a text's length either way.
  std::vector<char> buffer(in.size() * 2 + 4);
  char* src = const_cast<char*>(in.data());
  size_t src_left = in.size();
  char* dst = buffer.data();
  size_t dst_left = buffer.size();
  if (iconv(c.get(), &src, &src_left, &dst, &dst_left) == size_t(-1) || src_left != 0) return false;
  out->assign(buffer.data(), buffer.size() - dst_left);
  return true;
}

}  // namespace

bool utf8_to_gbk(const std::string& utf8, std::string* gbk) {
  return run("GBK", "UTF-8", utf8, gbk);
}

bool gbk_to_utf8(const std::string& gbk, std::string* utf8) {
  return run("UTF-8", "GBK", gbk, utf8);
}
