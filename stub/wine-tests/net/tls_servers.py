"""TLS servers for serve_and_run.py: a test CA and two certificates made with openssl at test time.

TRUSTED serves DOCROOT over https with a certificate for 127.0.0.1 issued by the test CA; the
test makes its wine prefix trust that CA (its DER file is in WEXLIN_TEST_CA_DER). UNTRUSTED
serves the same files with a self-signed certificate for 127.0.0.1 that nobody trusts, OTHER_CA
with one that a second, untrusted CA issued. On the
trusted server /tohttp/NAME redirects to NAME on the plain http server.
Environment given to the test:
  WEXLIN_TEST_HTTPS            https://127.0.0.1:PORT of the trusted server
  WEXLIN_TEST_HTTPS_UNTRUSTED  https://127.0.0.1:PORT of the self-signed one
  WEXLIN_TEST_HTTPS_OTHER_CA   https://127.0.0.1:PORT of the one from the untrusted CA
  WEXLIN_TEST_CA_DER           the test CA's certificate, DER (a Unix path)
"""
import os
import secrets
import subprocess

TLS_CONF = """
  server {{
    listen 127.0.0.1:{port} ssl;
    ssl_certificate {cert};
    ssl_certificate_key {key};
    root {docroot};
    location /tohttp/ {{
      rewrite ^/tohttp/(.*)$ http://127.0.0.1:{http_port}/$1 redirect;
    }}
    location /moved/ {{
      rewrite ^/moved/(.*)$ /$1 redirect;
    }}
  }}
"""

# Short-lived and made anew at every run: nothing outside the test's folder ever trusts them.
SERVER_EXT = ("basicConstraints=critical,CA:FALSE\n"
              "keyUsage=critical,digitalSignature,keyEncipherment\n"
              "extendedKeyUsage=serverAuth\n"
              # wine compares the host only with DNS names: the address is one as well.
              "subjectAltName=IP:127.0.0.1,DNS:127.0.0.1,DNS:localhost\n")


def openssl(*args):
    subprocess.run(["openssl"] + list(args), check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.PIPE, timeout=60)


def new_key(path):
    openssl("ecparam", "-name", "prime256v1", "-genkey", "-noout", "-out", path)


def make_ca(p, name, cn):
    new_key(p(name + ".key"))
    openssl("req", "-x509", "-new", "-key", p(name + ".key"), "-sha256", "-days", "2",
            "-subj", "/CN=" + cn, "-addext", "basicConstraints=critical,CA:TRUE",
            "-addext", "keyUsage=critical,keyCertSign,cRLSign", "-out", p(name + ".pem"))


def issue(p, ca, name):
    new_key(p(name + ".key"))
    openssl("req", "-new", "-key", p(name + ".key"), "-subj", "/CN=127.0.0.1",
            "-out", p(name + ".csr"))
    openssl("x509", "-req", "-in", p(name + ".csr"), "-CA", p(ca + ".pem"), "-CAkey",
            p(ca + ".key"), "-set_serial", "0x" + os.urandom(8).hex(), "-sha256", "-days", "2",
            "-extfile", p("server.ext"), "-out", p(name + ".pem"))


def make_certificates(folder):
    """Makes the CAs and the servers' certificates NAME.pem with their keys NAME.key."""
    p = lambda name: os.path.join(folder, name)
    with open(p("server.ext"), "w") as f:
        f.write(SERVER_EXT)
    # A name of its own per run: a CA of an earlier run left in the prefix's Root store (a test
    # that ended before removing it) must not be taken for this run's issuer.
    run = secrets.token_hex(4)
    make_ca(p, "ca", "WexlinStub Test CA " + run)
    openssl("x509", "-in", p("ca.pem"), "-outform", "DER", "-out", p("ca.der"))
    issue(p, "ca", "trusted")
    make_ca(p, "other-ca", "WexlinStub Untrusted CA " + run)
    issue(p, "other-ca", "other")
    new_key(p("untrusted.key"))
    openssl("req", "-x509", "-new", "-key", p("untrusted.key"), "-sha256", "-days", "2",
            "-subj", "/CN=127.0.0.1",
            "-addext", "subjectAltName=IP:127.0.0.1,DNS:127.0.0.1,DNS:localhost",
            "-out", p("untrusted.pem"))
    return p


def setup(prefix, docroot, http_port, free_port):
    """Certificates under PREFIX/tls; returns (nginx server blocks, environment, ports)."""
    folder = os.path.join(prefix, "tls")
    os.makedirs(folder)
    p = make_certificates(folder)
    conf, env, ports = "", {"WEXLIN_TEST_CA_DER": p("ca.der")}, []
    for name, variable in (("trusted", "WEXLIN_TEST_HTTPS"),
                           ("untrusted", "WEXLIN_TEST_HTTPS_UNTRUSTED"),
                           ("other", "WEXLIN_TEST_HTTPS_OTHER_CA")):
        port = free_port()
        conf += TLS_CONF.format(port=port, cert=p(name + ".pem"), key=p(name + ".key"),
                                docroot=docroot, http_port=http_port)
        env[variable] = "https://127.0.0.1:%d" % port
        ports.append(port)
    return conf, env, ports
