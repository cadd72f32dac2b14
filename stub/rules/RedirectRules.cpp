#include "rules/RedirectRules.h"

#include "text/UtilsText.h"

namespace {

bool StartsWithIC(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() && SameTextIC(text.substr(0, prefix.size()), prefix);
}

bool IsHttps(const std::string& url) { return StartsWithIC(url, "https://"); }
bool IsWebUrl(const std::string& url) { return IsHttps(url) || StartsWithIC(url, "http://"); }

}  // namespace

bool IsRedirectStatus(long status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

std::string RedirectTarget(const std::string& url, const std::string& location) {
  if (IsWebUrl(location)) return location;
  const std::size_t scheme_end = url.find("://");
  if (scheme_end == std::string::npos) return std::string();
  const std::size_t host_start = scheme_end + 3;
  const std::size_t path_start = url.find_first_of("/?#", host_start);
  const std::string origin = url.substr(0, path_start);
  if (location.compare(0, 2, "//") == 0) return url.substr(0, host_start) + location.substr(2);
  if (!location.empty() && location[0] == '/') return origin + location;
  std::string path = path_start == std::string::npos ? "/" : url.substr(path_start);
  path = path.substr(0, path.find_first_of("?#"));
  if (path.empty() || path[0] != '/') path = "/" + path;
  return origin + path.substr(0, path.rfind('/') + 1) + location;
}

std::string RedirectRefusal(const std::string& from, const std::string& to) {
  if (!IsWebUrl(to)) return "redirect to an address that is not http or https";
  if (IsHttps(from) && !IsHttps(to)) return "redirect from https to http refused";
  return std::string();
}

bool IsCertificateError(unsigned long code) {
  // ERROR_INTERNET_SEC_CERT_DATE_INVALID, _CN_INVALID, INVALID_CA, SEC_CERT_ERRORS, _NO_REV,
  // _REV_FAILED, SEC_INVALID_CERT, SEC_CERT_REVOKED.
  switch (code) {
    case 12037: case 12038: case 12045: case 12055: case 12056: case 12057: case 12169:
    case 12170:
      return true;
    default:
      return false;
  }
}
