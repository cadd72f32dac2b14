#include "rules/RedirectRules.h"

#include <gtest/gtest.h>

namespace {

TEST(RedirectRules, LocationsResolveAgainstTheRequest) {
  const std::string url = "https://host:8443/dir/file.info?x=1";
  const struct {
    const char* location;
    const char* target;
  } cases[] = {
      {"https://other/a", "https://other/a"},
      {"HTTP://other/a", "HTTP://other/a"},
      {"/top/b", "https://host:8443/top/b"},
      {"//mirror/c", "https://mirror/c"},
      {"sibling.exe", "https://host:8443/dir/sibling.exe"},
  };
  for (const auto& c : cases) EXPECT_EQ(RedirectTarget(url, c.location), c.target) << c.location;
  EXPECT_EQ(RedirectTarget("http://host", "f"), "http://host/f");
  EXPECT_EQ(RedirectTarget("no scheme", "f"), "");
}

TEST(RedirectRules, HttpsNeverContinuesOverHttp) {
  EXPECT_EQ(RedirectRefusal("https://a/x", "https://b/y"), "");
  EXPECT_EQ(RedirectRefusal("http://a/x", "https://b/y"), "");
  EXPECT_EQ(RedirectRefusal("http://a/x", "http://b/y"), "");
  EXPECT_NE(RedirectRefusal("https://a/x", "http://a/x"), "");
  EXPECT_NE(RedirectRefusal("HTTPS://a/x", "http://a/x"), "");
  EXPECT_NE(RedirectRefusal("http://a/x", "file://c/x"), "");
  EXPECT_NE(RedirectRefusal("http://a/x", ""), "");
}

TEST(RedirectRules, StatusesAndCertificateErrors) {
  for (long s : {301, 302, 303, 307, 308}) EXPECT_TRUE(IsRedirectStatus(s)) << s;
  for (long s : {200, 206, 300, 304, 305, 404}) EXPECT_FALSE(IsRedirectStatus(s)) << s;
  for (unsigned long e : {12037ul, 12038ul, 12045ul, 12055ul, 12056ul, 12057ul, 12169ul, 12170ul})
    EXPECT_TRUE(IsCertificateError(e)) << e;
  for (unsigned long e : {0ul, 12002ul, 12007ul, 12029ul, 12044ul}) EXPECT_FALSE(IsCertificateError(e)) << e;
}

}  // namespace
