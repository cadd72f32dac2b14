// The test CA of tls_servers.py trusted by the wine prefix for as long as the object lives: its
// certificate in the current user's Root store, removed again at the end. Construct it before
// the process's first https request: WinINet's chain engine reads the Root store once. Programs
// started later (the stub) see it too, as the store lives in the prefix's registry.
// crypt32 is bound at run time, so that a test using this keeps its imports to known DLLs.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <wincrypt.h>

#include <fstream>
#include <iterator>
#include <string>

class TrustedTestCa {
 public:
  // der_path: a Windows path of the CA's DER file (WEXLIN_TEST_CA_DER through WindowsPath).
  explicit TrustedTestCa(const std::string& der_path) {
    std::ifstream in(der_path, std::ios::binary);
    der_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    crypt32_ = LoadLibraryA("crypt32.dll");
    const auto add = Bound<decltype(&CertAddEncodedCertificateToSystemStoreA)>(
        "CertAddEncodedCertificateToSystemStoreA");
    trusted_ = !der_.empty() && add && add("Root", Bytes(), DWORD(der_.size()));
  }
  ~TrustedTestCa() {
    if (trusted_) Remove();
    if (crypt32_) FreeLibrary(crypt32_);
  }
  TrustedTestCa(const TrustedTestCa&) = delete;
  TrustedTestCa& operator=(const TrustedTestCa&) = delete;
  bool trusted() const { return trusted_; }

 private:
  template <typename F>
  F Bound(const char* name) const {
    return crypt32_ ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(crypt32_, name)))
                    : nullptr;
  }
  const BYTE* Bytes() const { return reinterpret_cast<const BYTE*>(der_.data()); }

  void Remove() const {
    const auto open = Bound<decltype(&CertOpenStore)>("CertOpenStore");
    const auto create =
        Bound<decltype(&CertCreateCertificateContext)>("CertCreateCertificateContext");
    const auto find = Bound<decltype(&CertFindCertificateInStore)>("CertFindCertificateInStore");
    const auto remove =
        Bound<decltype(&CertDeleteCertificateFromStore)>("CertDeleteCertificateFromStore");
    const auto free_cert =
        Bound<decltype(&CertFreeCertificateContext)>("CertFreeCertificateContext");
    const auto close = Bound<decltype(&CertCloseStore)>("CertCloseStore");
    if (!open || !create || !find || !remove || !free_cert || !close) return;
    // The current user's registry store itself: through the system store's collection the
    // delete does not reach the registry under wine.
    HCERTSTORE store = open(CERT_STORE_PROV_SYSTEM_REGISTRY_A, 0, 0,
                            CERT_SYSTEM_STORE_CURRENT_USER, "Root");
    if (!store) return;
    if (PCCERT_CONTEXT cert = create(X509_ASN_ENCODING, Bytes(), DWORD(der_.size()))) {
      // Deleting frees the context it is given.
      if (PCCERT_CONTEXT found =
              find(store, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, cert, nullptr))
        remove(found);
      free_cert(cert);
    }
    close(store, 0);
  }

  std::string der_;
  HMODULE crypt32_ = nullptr;
  bool trusted_ = false;
};
