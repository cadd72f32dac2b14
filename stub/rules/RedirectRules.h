// The stub follows redirects itself instead of letting WinINet do it, so that a download that
// began over https never continues over http, and names a certificate that does not verify as
// such. Pure decisions; InetHTTP applies them.
#pragma once

#include <string>

// At most this many redirects per request; a longer chain is an error.
constexpr int kMaxRedirects = 5;

// Whether status is a redirect whose Location the stub follows (301, 302, 303, 307, 308).
bool IsRedirectStatus(long status);

// The address a Location header leads to from url: an absolute http(s) address as it stands,
// "/path" on url's scheme and host, "//host/path" on url's scheme, any other text beside the
// last "/" of url's path (query and fragment dropped). Empty when url has no scheme and host.
std::string RedirectTarget(const std::string& url, const std::string& location);

// Empty when the redirect from `from` to `to` may be followed; else why not: only http and
// https addresses are followed, and an https request never goes on over http.
std::string RedirectRefusal(const std::string& from, const std::string& to);

// Whether a WinINet error code says the server's certificate did not verify (unknown or
// untrusted authority, revocation not checkable, revoked, expired, other name, invalid).
bool IsCertificateError(unsigned long code);
