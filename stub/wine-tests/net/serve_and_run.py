#!/usr/bin/env python3
"""Runs one test command between two web servers on 127.0.0.1 that it starts and stops itself.

nginx (from Debian) serves DOCROOT with its own Content-Length, Last-Modified and byte ranges,
from a private prefix and configuration under PREFIX. A small scripted server in this process
serves the same files with the faults nginx will not produce on demand. The command finds them
in the environment:
  WEXLIN_TEST_HTTP    http://127.0.0.1:PORT of nginx
  WEXLIN_TEST_FAULT   http://127.0.0.1:PORT of the scripted server
  WEXLIN_TEST_DOCROOT DOCROOT (a Unix path)
Paths of the scripted server (NAME is a file in DOCROOT):
  /nolength/NAME       the body without Content-Length, ended by closing the connection
  /chunked/NAME        the body in chunked transfer coding
  /cut/N/NAME          the first request of a path gets N bytes and a closed connection; later
                       requests are served whole, with ranges
  /ignorerange/NAME    always 200 and the whole file, whatever the Range header asks
  /newdate/NAME        a new Last-Modified at every request
  /slow/NAME           1000 bytes every 100 ms
  /status/CODE/NAME    that status with an HTML page of that code as the body
Every other path is served like nginx would, ranges included.
With --tls yes nginx also serves DOCROOT over https, from a server whose certificate a test CA
issued and from one with a self-signed certificate (tls_servers.py names their variables).
"""
import ctypes
import email.utils
import http.server
import os
import shutil
import signal
import socket
import subprocess
import sys
import threading
import time

NGINX_CANDIDATES = ["/usr/sbin/nginx", "/usr/bin/nginx"]


def end_with_parent():
    """nginx ends with this script even when the script is killed (a test timeout)."""
    try:
        ctypes.CDLL("libc.so.6", use_errno=True).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG
    except OSError:
        pass


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for_port(port, seconds):
    end = time.time() + seconds
    while time.time() < end:
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=0.5):
                return True
        except OSError:
            time.sleep(0.1)
    return False


NGINX_CONF = """
daemon off;
master_process off;
worker_processes 1;
pid {prefix}/nginx.pid;
error_log {prefix}/error.log;
events {{ worker_connections 64; }}
http {{
  access_log {prefix}/access.log;
  client_body_temp_path {prefix}/body;
  proxy_temp_path {prefix}/proxy;
  fastcgi_temp_path {prefix}/fastcgi;
  uwsgi_temp_path {prefix}/uwsgi;
  scgi_temp_path {prefix}/scgi;
  default_type application/octet-stream;
  sendfile off;
  server {{
    listen 127.0.0.1:{port};
    root {docroot};
  }}
{tls_servers}}}
"""


class FaultHandler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    docroot = "."
    cut_seen = set()
    lock = threading.Lock()

    def log_message(self, fmt, *args):
        sys.stderr.write("fault server: " + (fmt % args) + "\n")

    def file_bytes(self, name):
        path = os.path.join(self.docroot, os.path.basename(name))
        with open(path, "rb") as f:
            return f.read(), os.path.getmtime(path)

    def send_page(self, code):
        body = ("<html><head><title>%d Error</title></head><body><h1>%d</h1></body></html>"
                % (code, code)).encode()
        self.send_response(code)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def send_whole_or_range(self, data, modified, honour_range=True):
        last_modified = email.utils.formatdate(modified, usegmt=True)
        rng = self.headers.get("Range")
        if_range = self.headers.get("If-Range")
        if honour_range and rng and rng.startswith("bytes=") and (
                if_range is None or if_range == last_modified):
            start = int(rng[6:].split("-")[0])
            if start < len(data):
                self.send_response(206)
                self.send_header("Content-Range", "bytes %d-%d/%d" % (start, len(data) - 1, len(data)))
                self.send_header("Content-Length", str(len(data) - start))
                self.send_header("Last-Modified", last_modified)
                self.end_headers()
                self.wfile.write(data[start:])
                return
        self.send_response(200)
        self.send_header("Content-Length", str(len(data)))
        self.send_header("Last-Modified", last_modified)
        self.end_headers()
        self.wfile.write(data)

    def do_GET(self):
        parts = self.path.lstrip("/").split("/")
        try:
            kind = parts[0]
            if kind == "status":
                self.send_page(int(parts[1]))
                return
            name = parts[-1]
            data, modified = self.file_bytes(name)
            last_modified = email.utils.formatdate(modified, usegmt=True)
            if kind == "nolength":
                self.send_response(200)
                self.send_header("Last-Modified", last_modified)
                self.send_header("Connection", "close")
                self.end_headers()
                self.wfile.write(data)
                self.close_connection = True
            elif kind == "chunked":
                self.send_response(200)
                self.send_header("Transfer-Encoding", "chunked")
                self.send_header("Last-Modified", last_modified)
                self.end_headers()
                for i in range(0, len(data), 4096):
                    piece = data[i:i + 4096]
                    self.wfile.write(b"%x\r\n" % len(piece) + piece + b"\r\n")
                self.wfile.write(b"0\r\n\r\n")
            elif kind == "cut":
                with self.lock:
                    first = self.path not in self.cut_seen
                    self.cut_seen.add(self.path)
                if first:
                    self.send_response(200)
                    self.send_header("Content-Length", str(len(data)))
                    self.send_header("Last-Modified", last_modified)
                    self.send_header("Connection", "close")
                    self.end_headers()
                    self.wfile.write(data[:int(parts[1])])
                    self.wfile.flush()
                    self.connection.shutdown(socket.SHUT_RDWR)
                    self.close_connection = True
                else:
                    self.send_whole_or_range(data, modified)
            elif kind == "ignorerange":
                self.send_whole_or_range(data, modified, honour_range=False)
            elif kind == "newdate":
                with self.lock:
                    FaultHandler.date_step = getattr(FaultHandler, "date_step", 0) + 1
                    step = FaultHandler.date_step
                self.send_whole_or_range(data, modified - 86400 * step)
            elif kind == "slow":
                self.send_response(200)
                self.send_header("Content-Length", str(len(data)))
                self.send_header("Last-Modified", last_modified)
                self.end_headers()
                for i in range(0, len(data), 1000):
                    self.wfile.write(data[i:i + 1000])
                    self.wfile.flush()
                    time.sleep(0.1)
            else:
                self.send_whole_or_range(data, modified)
        except (FileNotFoundError, IsADirectoryError, ValueError, IndexError):
            self.send_page(404)
        except (BrokenPipeError, ConnectionResetError):
            self.close_connection = True


def main():
    args = sys.argv[1:]
    if "--" not in args or len(args) < 5:
        sys.stderr.write("usage: serve_and_run.py --docroot DIR --prefix DIR [--tls yes] -- "
                         "COMMAND...\n")
        return 2
    split = args.index("--")
    options, command = args[:split], args[split + 1:]
    opts = dict(zip(options[0::2], options[1::2]))
    docroot = os.path.abspath(opts["--docroot"])
    prefix = os.path.abspath(opts["--prefix"])
    shutil.rmtree(docroot, ignore_errors=True)
    shutil.rmtree(prefix, ignore_errors=True)
    os.makedirs(docroot)
    os.makedirs(prefix)

    nginx = next((p for p in NGINX_CANDIDATES if os.access(p, os.X_OK)), None)
    if nginx is None:
        sys.stderr.write("serve_and_run: nginx is not installed (scripts/install-deps.sh)\n")
        return 1
    port = free_port()
    tls_conf, tls_env, tls_ports = "", {}, []
    if opts.get("--tls") == "yes":
        import tls_servers
        tls_conf, tls_env, tls_ports = tls_servers.setup(prefix, docroot, port, free_port)
    conf = os.path.join(prefix, "nginx.conf")
    with open(conf, "w") as f:
        f.write(NGINX_CONF.format(prefix=prefix, port=port, docroot=docroot,
                                  tls_servers=tls_conf))
    server = subprocess.Popen([nginx, "-p", prefix, "-c", conf], stdin=subprocess.DEVNULL,
                              preexec_fn=end_with_parent)

    FaultHandler.docroot = docroot
    fault = http.server.ThreadingHTTPServer(("127.0.0.1", 0), FaultHandler)
    fault.daemon_threads = True
    threading.Thread(target=fault.serve_forever, daemon=True).start()
    try:
        if not all(wait_for_port(p, 20) for p in [port] + tls_ports):
            sys.stderr.write("serve_and_run: nginx did not start\n")
            return 1
        env = dict(os.environ)
        # Requests to 127.0.0.1 go straight to the servers, never through a proxy.
        for key in ("http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "all_proxy",
                    "ALL_PROXY"):
            env.pop(key, None)
        env["no_proxy"] = env["NO_PROXY"] = "127.0.0.1,localhost"
        env["WEXLIN_TEST_HTTP"] = "http://127.0.0.1:%d" % port
        env["WEXLIN_TEST_FAULT"] = "http://127.0.0.1:%d" % fault.server_address[1]
        env["WEXLIN_TEST_DOCROOT"] = docroot
        env.update(tls_env)
        env["WEXLIN_TEST_NGINX_LOG"] = os.path.join(prefix, "access.log")
        try:
            # Within the test's own time limit, so that the servers are always stopped here.
            return subprocess.run(command, env=env, timeout=540).returncode
        except subprocess.TimeoutExpired:
            sys.stderr.write("serve_and_run: the test did not end within 540 s\n")
            return 1
    finally:
        fault.shutdown()
        server.send_signal(signal.SIGTERM)
        try:
            server.wait(10)
        except subprocess.TimeoutExpired:
            server.kill()
            server.wait()


if __name__ == "__main__":
    sys.exit(main())
