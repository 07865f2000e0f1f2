#!/usr/bin/env python3
"""Loopback HTTP server for the fetch tests.

Serves files below a root folder on 127.0.0.1 at a free port (with --hosts N, on 127.0.0.1 to
127.0.0.N at that port, so that clients see N hosts), and with --tls the same over HTTPS at
four more ports on 127.0.0.1, each with its own certificate from the folder that
make-certificates fills: "https" (good.pem, valid for 127.0.0.1), "wrong-host",
"expired" and "unknown-ca". Query parameters choose how each request is answered, so that
tests can combine them:

  status=N      status code (default 200; 404 for a missing file)
  type=T        Content-Type value (URL-encoded); no Content-Type header without it
  body=TEXT     inline body (each %XX is one byte) instead of a file
  size=N        generated body of N bytes instead of a file (see generated_body)
  ims304=1      answer 304 without a body when an If-Modified-Since header came
  etag=V        the ETag of a file or an inline body answered 200 (URL-encoded, quotes
                included); without it such an answer carries a quoted digest of its body.
                Either way a request whose If-None-Match names that tag (or "*") is
                answered 304 without a body
  delay=S       wait S seconds before answering
  hang=1        read the request and never answer, until the server stops
  redirect=URL  answer 302 (or `status`, when it is a 3xx) with this Location
  drip=S        send the body one byte every S seconds
  garbage=N     generated body of N pseudo-random bytes, the same for the same N
  reset=N       send N bytes of the body, then abort the connection with a TCP reset
  cut=N         send N bytes of the body, then close the connection as if it were all
  loop=1        answer 302 to this same URL with `hop` one higher: a redirect loop that
                never names the same URL twice
  statusline=T  send T (URL-encoded, latin-1) as the status line instead of a valid one
  chunked=MODE  send the body in chunked encoding (no Content-Length), with MODE:
                  ok       well-formed chunks
                  short    every chunk announces fewer bytes than follow it
                  long     the first chunk announces more bytes than the body holds,
                           then the connection closes
                  garbage  a size line that is no hexadecimal number
                  huge     a chunk of 2**64 - 1 bytes is announced, the body follows,
                           then the connection closes
  encoding=C    compress the body with C: gzip, deflate (zlib-wrapped) or rawdeflate (no
                wrapper, still called "deflate"), and send that Content-Encoding; any
                other C is sent as the Content-Encoding of the unchanged body
                (a file ".encoding" in the root folder holds the C of every request
                that names none, so that the same URLs can be answered compressed)
  encoding-header=V  send V as the Content-Encoding instead, whatever the body is
  truncate-compressed=N  leave the last N bytes off the compressed body; its
                Content-Length still matches what is sent
  bomb=N        a gzip body that inflates to N zero bytes, compressed while it is sent,
                ended by closing the connection (no Content-Length)

A whole answer (one with its length, sent in full) keeps the connection open for the next
request, as servers do; the others close it.

Each request is appended to the log file as one JSON line: {"path": ..., "connection":
"ADDRESS:PORT" of the client's end, "headers": {...}}. With --latency-ms D every answer
waits D ms first, as if the server were far away. With --timings, each answered request
also appends "SECONDS PATH" there: the time from reading the request (after the latency)
to the end of the answer, the server's own share of an exchange.
The port and the process id go to the port file ("PORT PID", then "NAME=PORT" for each
HTTPS port), written atomically. The server ends by itself after its lifetime, so a crashed
test run cannot leave it behind.
"""

import argparse
import hashlib
import http.server
import json
import os
import random
import signal
import socket
import ssl
import struct
import sys
import threading
import time
import urllib.parse
import zlib

stopping = threading.Event()
log_lock = threading.Lock()
CHUNK = 64 * 1024
# zlib's window bits and the Content-Encoding of each coding the server applies.
CODINGS = {"gzip": (31, "gzip"), "deflate": (15, "deflate"), "rawdeflate": (-15, "deflate")}
TLS_PORTS = {"https": "good.pem", "wrong-host": "wrong-host.pem", "expired": "expired.pem",
             "unknown-ca": "unknown-ca.pem"}


def generated_body(size):
    """Yields `size` bytes in chunks: 16-byte lines "%015d\\n" holding their own offset,
    so that a lost, doubled or reordered piece shows in a comparison."""
    offset = 0
    while offset < size:
        block_end = min(size, offset + CHUNK)
        lines = b"".join(b"%015d\n" % start for start in range(offset - offset % 16, block_end, 16))
        skip = offset % 16
        yield lines[skip:skip + block_end - offset]
        offset = block_end


def garbage_body(size):
    """`size` pseudo-random bytes, NULs and invalid UTF-8 included, seeded by the size."""
    return random.Random(size).randbytes(size)


def content_coded(body, params):
    """The body as `encoding` and `truncate-compressed` make it, and its Content-Encoding."""
    coding = params.get("encoding")
    if coding in CODINGS:
        window_bits, coding = CODINGS[coding]
        compressor = zlib.compressobj(9, zlib.DEFLATED, window_bits)
        body = compressor.compress(body) + compressor.flush()
        body = body[:len(body) - int(params.get("truncate-compressed", "0"))]
    return body, params.get("encoding-header", coding)


def bomb_body(size):
    """Yields a gzip stream of `size` zero bytes, compressing only what is asked for."""
    compressor = zlib.compressobj(9, zlib.DEFLATED, 31)
    zeros = bytes(CHUNK)
    for offset in range(0, size, CHUNK):
        piece = compressor.compress(zeros[:min(CHUNK, size - offset)])
        if piece:
            yield piece
    yield compressor.flush()


def names_tag(if_none_match, tag):
    """Whether an If-None-Match value names `tag`, compared as weak tags are."""
    if if_none_match is None:
        return False
    opaque = lambda value: value.strip().removeprefix("W/")
    return any(each.strip() == "*" or opaque(each) == opaque(tag) for each in if_none_match.split(","))


def chunked(body, mode):
    """The body as chunked transfer coding, well-formed or broken as `mode` says."""
    pieces = [body[i:i + 1000] for i in range(0, len(body), 1000)] or [b""]
    if mode == "ok":
        return b"".join(b"%x\r\n%s\r\n" % (len(p), p) for p in pieces if p) + b"0\r\n\r\n"
    if mode == "short":
        return b"".join(b"%x\r\n%s\r\n" % (max(len(p) // 2, 1), p) for p in pieces) + b"0\r\n\r\n"
    if mode == "long":
        return b"%x\r\n%s" % (len(body) + 100000, body)
    if mode == "garbage":
        return b"zz-not-a-size\r\n" + body + b"\r\n0\r\n\r\n"
    if mode == "huge":
        return b"ffffffffffffffff\r\n" + body
    raise ValueError("unknown chunked mode " + mode)


class Answer:
    """What one request gets: status, headers and the body as a sequence of byte chunks."""

    def __init__(self, status=200, headers=None, chunks=(), streamed=False):
        self.status = status
        self.headers = headers or []
        self.chunks = chunks
        # Sent as it is made, without a Content-Length, and ended by closing the connection.
        self.streamed = streamed


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "FeedwickTestServer/1"
    # The headers and the body go out in separate writes; with Nagle's algorithm the body of an
    # answer on a kept-alive connection would wait for the client's delayed acknowledgement.
    disable_nagle_algorithm = True

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        # latin-1 keeps each %XX of an inline body as exactly that byte.
        params = {k: v[-1] for k, v in urllib.parse.parse_qs(url.query, keep_blank_values=True, encoding="latin-1").items()}
        default_encoding = self.default_encoding()
        if default_encoding:
            params.setdefault("encoding", default_encoding)
        self.log_request_line()
        if self.server.latency and stopping.wait(self.server.latency):
            self.close_connection = True
            return
        started = time.perf_counter()
        if params.get("hang") == "1":
            stopping.wait()
            self.close_connection = True
            return
        if "delay" in params and stopping.wait(float(params["delay"])):
            return
        self.deliver(self.answer_for(url.path, params), params)
        if self.server.timings_file:
            with log_lock, open(self.server.timings_file, "a", encoding="utf-8") as timings:
                timings.write("%.6f %s\n" % (time.perf_counter() - started, self.path))

    def answer_for(self, path, params):
        status = int(params.get("status", "200"))
        headers = [("Content-Type", params["type"])] if "type" in params else []
        if params.get("ims304") == "1" and "If-Modified-Since" in self.headers:
            return Answer(304, headers)
        if params.get("loop") == "1":
            query = dict(params, hop=str(int(params.get("hop", "0")) + 1))
            return Answer(302, headers + [("Location", path + "?" + urllib.parse.urlencode(query))])
        if "redirect" in params:
            return Answer(status if 300 <= status < 400 else 302,
                          headers + [("Location", params["redirect"])])
        if "body" in params:
            return self.tagged(Answer(status, headers, [params["body"].encode("latin-1")]), params)
        if "size" in params:
            return Answer(status, headers, generated_body(int(params["size"])))
        if "garbage" in params:
            return Answer(status, headers, [garbage_body(int(params["garbage"]))])
        if "bomb" in params:
            return Answer(status, headers + [("Content-Encoding", "gzip")], bomb_body(int(params["bomb"])), True)
        file = self.file_below_root(path)
        if file is None:
            return Answer(int(params.get("status", "404")), headers)
        with open(file, "rb") as stream:
            return self.tagged(Answer(status, headers, [stream.read()]), params)

    def tagged(self, answer, params):
        """A whole 200 answer with its ETag, or 304 when If-None-Match names that tag."""
        if answer.status != 200:
            return answer
        body = b"".join(answer.chunks)
        tag = params.get("etag") or '"%s"' % hashlib.sha1(body).hexdigest()[:16]
        headers = answer.headers + [("ETag", tag)]
        if names_tag(self.headers.get("If-None-Match"), tag):
            return Answer(304, headers)
        return Answer(answer.status, headers, [body])

    def default_encoding(self):
        try:
            with open(os.path.join(self.server.root, ".encoding"), encoding="ascii") as file:
                return file.read().strip()
        except FileNotFoundError:
            return ""

    def file_below_root(self, path):
        root = os.path.realpath(self.server.root)
        file = os.path.realpath(os.path.join(root, urllib.parse.unquote(path).lstrip("/")))
        if os.path.commonpath([root, file]) != root or not os.path.isfile(file):
            return None
        return file

    def deliver(self, answer, params):
        if "statusline" in params:
            self.send_raw_status_line(params["statusline"])
        else:
            self.send_response(answer.status)
        for name, value in answer.headers:
            self.send_header(name, value)
        body_allowed = answer.status not in (204, 304)
        chunks = answer.chunks if body_allowed else []
        length = params.get("size") if "size" in params and body_allowed else None
        coded = body_allowed and ("encoding" in params or "encoding-header" in params)
        if not answer.streamed and (length is None or "chunked" in params or coded):
            chunks = [b"".join(chunks)]
            length = len(chunks[0])
        if coded:
            chunks[0], coding = content_coded(chunks[0], params)
            length = len(chunks[0])
            self.send_header("Content-Encoding", coding)
        if "chunked" in params and body_allowed:
            self.send_header("Transfer-Encoding", "chunked")
            chunks = [chunked(chunks[0], params["chunked"])]
        elif body_allowed and not answer.streamed:
            self.send_header("Content-Length", str(length))
        if answer.streamed or params.keys() & {"chunked", "reset", "cut", "drip", "statusline"}:
            self.send_header("Connection", "close")
            self.close_connection = True
        self.end_headers()
        if "reset" in params:
            self.send_then_reset(b"".join(chunks)[:int(params["reset"])])
            return
        if "cut" in params:
            self.wfile.write(b"".join(chunks)[:int(params["cut"])])
            return
        drip = float(params["drip"]) if "drip" in params else None
        for chunk in chunks:
            if drip is None:
                self.wfile.write(chunk)
                continue
            for i in range(len(chunk)):
                if stopping.wait(drip):
                    return
                self.wfile.write(chunk[i:i + 1])
                self.wfile.flush()

    def send_raw_status_line(self, line):
        # What send_response_only does, minus the well-formed line.
        if not hasattr(self, "_headers_buffer"):
            self._headers_buffer = []
        self._headers_buffer.append(line.encode("latin-1") + b"\r\n")

    def send_then_reset(self, part):
        self.wfile.write(part)
        self.wfile.flush()
        # Give the client time to take in what was sent, so the reset, not a lost
        # segment, is what it sees.
        stopping.wait(0.2)
        # A zero linger time makes close() send RST instead of FIN.
        self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        self.connection.close()

    def setup(self):
        super().setup()
        # The handshake of an HTTPS port happens here, on the request's own thread, so that
        # a client that stalls it or refuses the certificate holds up no other.
        if isinstance(self.connection, ssl.SSLSocket):
            self.connection.do_handshake()

    def log_request_line(self):
        entry = {"path": self.path, "connection": "%s:%d" % self.client_address[:2],
                 "headers": dict(self.headers.items())}
        with log_lock, open(self.server.log_file, "a", encoding="utf-8") as log:
            log.write(json.dumps(entry, ensure_ascii=True) + "\n")

    def log_message(self, format, *args):
        # Quiet: the test output belongs to the tests.
        pass


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    # Tests open dozens of connections at once. With socketserver's backlog of 5 the kernel
    # drops the handshakes past it, and a client tries again only a second later, which under
    # load took a short time-out's whole connect phase.
    request_queue_size = 128

    def handle_error(self, request, client_address):
        # A client that goes away mid-answer is what many tests do on purpose.
        pass


def write_atomically(path, text):
    temporary = path + ".tmp"
    with open(temporary, "w", encoding="ascii") as file:
        file.write(text)
    os.replace(temporary, path)


def hosts_at_one_port(listening_server, hosts):
    """A server on 127.0.0.1 at a free port and ones on 127.0.0.2 to 127.0.0.`hosts` at the
    same port; a port taken on one of those addresses is given up for another."""
    for _ in range(20):
        servers = [listening_server()]
        port = servers[0].server_address[1]
        try:
            for n in range(2, hosts + 1):
                servers.append(listening_server(address=("127.0.0.%d" % n, port)))
            return servers[0], servers[1:]
        except OSError:
            for each in servers:
                each.server_close()
    raise OSError("no port free on all of 127.0.0.1 to 127.0.0.%d" % hosts)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", required=True, help="folder whose files are served")
    parser.add_argument("--port-file", required=True, help='gets "PORT PID" once listening')
    parser.add_argument("--log", required=True, help="gets one JSON line per request")
    parser.add_argument("--timings", help="gets the server's time for each answered request")
    parser.add_argument("--lifetime", type=float, default=300, help="seconds until it stops")
    parser.add_argument("--tls", help="folder of the HTTPS ports' certificates (make-certificates)")
    parser.add_argument("--hosts", type=int, default=1, help="serve on 127.0.0.1 to 127.0.0.HOSTS")
    parser.add_argument("--latency-ms", type=float, default=0, help="wait before every answer")
    options = parser.parse_args()

    def listening_server(certificate=None, address=("127.0.0.1", 0)):
        server = Server(address, Handler)
        server.root = options.root
        server.log_file = options.log
        server.timings_file = options.timings
        server.latency = options.latency_ms / 1000
        if certificate:
            context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            context.load_cert_chain(certificate)
            server.socket = context.wrap_socket(server.socket, server_side=True, do_handshake_on_connect=False)
        return server

    server, more_hosts = hosts_at_one_port(listening_server, options.hosts)
    tls_servers = {}
    if options.tls:
        tls_servers = {name: listening_server(os.path.join(options.tls, file)) for name, file in TLS_PORTS.items()}
    open(options.log, "a").close()

    def stop(*_):
        stopping.set()
        for each in [server, *more_hosts, *tls_servers.values()]:
            threading.Thread(target=each.shutdown, daemon=True).start()

    signal.signal(signal.SIGTERM, stop)
    timer = threading.Timer(options.lifetime, stop)
    timer.daemon = True
    timer.start()
    for other in [*more_hosts, *tls_servers.values()]:
        threading.Thread(target=other.serve_forever, kwargs={"poll_interval": 0.1}, daemon=True).start()
    ports = "".join(" %s=%d" % (name, each.server_address[1]) for name, each in tls_servers.items())
    write_atomically(options.port_file, "%d %d%s\n" % (server.server_address[1], os.getpid(), ports))
    server.serve_forever(poll_interval=0.1)
    server.server_close()
    for other in [*more_hosts, *tls_servers.values()]:
        other.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
