// Under wine, against the https servers of stub/wine-tests/net/tls_servers.py: WinINet with the test
// CA trusted fetches from the server it issued for, and refuses the self-signed server and the
// one of an untrusted CA with certificate errors; a redirect from https to http is followed by
// WinINet unless the request forbids redirects. The stub's download over https, likewise.
#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "win/InetHTTP.h"
#include "net/test_ca.h"
#include "wine_process.h"

namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// WinINet bound at run time, as the stub binds it: the test's imports stay known DLLs.
class WinInet {
 public:
  WinInet() : dll_(LoadLibraryA("wininet.dll")) {}
  ~WinInet() {
    if (dll_) FreeLibrary(dll_);
  }
  WinInet(const WinInet&) = delete;
  WinInet& operator=(const WinInet&) = delete;

  struct Reply {
    DWORD error = 0;   // of InternetOpenUrl; 0 when it opened
    DWORD status = 0;  // HTTP status
    std::string body, location, final_url;
  };
  Reply Get(const std::string& url, DWORD flags) const {
    Reply reply;
    const auto open = Fn<decltype(&InternetOpenA)>("InternetOpenA");
    const auto open_url = Fn<decltype(&InternetOpenUrlA)>("InternetOpenUrlA");
    const auto query = Fn<decltype(&HttpQueryInfoA)>("HttpQueryInfoA");
    const auto option = Fn<decltype(&InternetQueryOptionA)>("InternetQueryOptionA");
    const auto read = Fn<decltype(&InternetReadFile)>("InternetReadFile");
    const auto close = Fn<decltype(&InternetCloseHandle)>("InternetCloseHandle");
    if (!open || !open_url || !query || !option || !read || !close) {
      reply.error = ERROR_PROC_NOT_FOUND;
      return reply;
    }
    HINTERNET session = open("https_wine_test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    HINTERNET request =
        open_url(session, url.c_str(), nullptr, 0, flags | INTERNET_FLAG_RELOAD, 0);
    reply.error = request ? 0 : GetLastError();
    if (request) {
      DWORD size = sizeof reply.status;
      query(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &reply.status, &size,
            nullptr);
      char text[1024];
      size = sizeof text;
      if (query(request, HTTP_QUERY_LOCATION, text, &size, nullptr))
        reply.location.assign(text, size);
      size = sizeof text;
      if (option(request, INTERNET_OPTION_URL, text, &size)) reply.final_url = text;
      char buf[4096];
      DWORD got = 0;
      while (read(request, buf, sizeof buf, &got) && got > 0) reply.body.append(buf, got);
      close(request);
    }
    if (session) close(session);
    return reply;
  }

 private:
  template <typename F>
  F Fn(const char* name) const {
    return dll_ ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(dll_, name)))
                : nullptr;
  }
  HMODULE dll_;
};

class Https : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (Env("WEXLIN_TEST_HTTPS").empty()) return;
    // Before any https request of this process (see test_ca.h).
    ca_ = new TrustedTestCa(WindowsPath(Env("WEXLIN_TEST_CA_DER")));
  }
  static void TearDownTestSuite() {
    delete ca_;
    ca_ = nullptr;
  }
  void SetUp() override {
    if (Env("WEXLIN_TEST_HTTPS").empty())
      GTEST_SKIP() << "run through stub/wine-tests/net/serve_and_run.py --tls yes";
    ASSERT_TRUE(ca_ && ca_->trusted()) << "the test CA could not be added to the Root store";
    body_ = "served over https " + std::to_string(GetTickCount());
    std::ofstream(WindowsPath(Env("WEXLIN_TEST_DOCROOT") + "/file.txt"), std::ios::binary)
        << body_;
  }

  static TrustedTestCa* ca_;
  WinInet inet_;
  std::string body_;
};
TrustedTestCa* Https::ca_ = nullptr;

TEST_F(Https, TrustedServerServesWithAndWithoutTheSecureFlag) {
  for (DWORD flags : {DWORD(0), DWORD(INTERNET_FLAG_SECURE)}) {
    const WinInet::Reply r = inet_.Get(Env("WEXLIN_TEST_HTTPS") + "/file.txt", flags);
    EXPECT_EQ(r.error, 0u) << "flags " << flags;
    EXPECT_EQ(r.status, 200u);
    EXPECT_EQ(r.body, body_);
  }
}

TEST_F(Https, UntrustedCertificatesAreCertificateErrors) {
  // Self-signed: the chain ends in a root nobody trusts.
  WinInet::Reply r = inet_.Get(Env("WEXLIN_TEST_HTTPS_UNTRUSTED") + "/file.txt", 0);
  EXPECT_EQ(r.error, DWORD(ERROR_INTERNET_INVALID_CA));
  EXPECT_TRUE(r.body.empty());
  // Issued by a CA that is not in the store: wine cannot build the chain and reports a failed
  // revocation check, not an unknown CA.
  r = inet_.Get(Env("WEXLIN_TEST_HTTPS_OTHER_CA") + "/file.txt", 0);
  EXPECT_EQ(r.error, DWORD(ERROR_INTERNET_SEC_CERT_REV_FAILED));
  EXPECT_TRUE(r.body.empty());
  // A refusal leaves the trusted server usable in the same process.
  r = inet_.Get(Env("WEXLIN_TEST_HTTPS") + "/file.txt", 0);
  EXPECT_EQ(r.error, 0u);
  EXPECT_EQ(r.body, body_);
}

// WinINet follows a redirect from https to http silently, even with
// INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTP clear; only INTERNET_FLAG_NO_AUTO_REDIRECT hands the
// redirect to the caller, who must refuse it itself.
TEST_F(Https, RedirectToHttpIsFollowedUnlessRedirectsAreForbidden) {
  const std::string url = Env("WEXLIN_TEST_HTTPS") + "/tohttp/file.txt";
  WinInet::Reply r = inet_.Get(url, 0);
  EXPECT_EQ(r.error, 0u);
  EXPECT_EQ(r.body, body_);
  EXPECT_EQ(r.final_url.rfind("http://", 0), 0u) << r.final_url;

  r = inet_.Get(url, INTERNET_FLAG_NO_AUTO_REDIRECT);
  EXPECT_EQ(r.error, 0u);
  EXPECT_EQ(r.status, 302u);
  EXPECT_EQ(r.location, Env("WEXLIN_TEST_HTTP") + "/file.txt");
  EXPECT_NE(r.body, body_);
}

TEST_F(Https, StubDownloadsOverHttpsAndFollowsRedirectsThatStayOnHttps) {
  for (const char* path : {"/file.txt", "/moved/file.txt"}) {
    std::string content;
    TransferError error;
    EXPECT_TRUE(HTTP_DownloadFile_Incremental(nullptr, Env("WEXLIN_TEST_HTTPS") + path, "",
                                              &content, JobProgress(), &error))
        << path << ": " << error.text();
    EXPECT_EQ(content, body_) << path;
  }
}

// Each fails with its own error text, and nothing of the file arrives.
TEST_F(Https, StubRefusesUntrustedCertificatesAndRedirectsToHttp) {
  const struct {
    std::string url;
    TransferFault fault;
    const char* error;
  } cases[] = {
      {Env("WEXLIN_TEST_HTTPS_UNTRUSTED") + "/file.txt", TransferFault::Untrusted,
       "6 Certificate not trusted (error 12045)"},
      {Env("WEXLIN_TEST_HTTPS_OTHER_CA") + "/file.txt", TransferFault::Untrusted,
       "6 Certificate not trusted (error 12057)"},
      {Env("WEXLIN_TEST_HTTPS") + "/tohttp/file.txt", TransferFault::RedirectRefused,
       "7 redirect from https to http refused"},
  };
  for (const auto& c : cases) {
    std::string content;
    TransferError error;
    EXPECT_FALSE(
        HTTP_DownloadFile_Incremental(nullptr, c.url, "", &content, JobProgress(), &error));
    EXPECT_TRUE(content.empty()) << c.url;
    EXPECT_EQ(error.kind(), c.fault) << error.text();
    EXPECT_EQ(error.text().substr(0, std::string(c.error).size()), c.error) << error.text();
  }
}

}  // namespace
