#!/usr/bin/env python3
"""A scripted HTTP server for the Windows tests, on 127.0.0.1 only.

    http_test_server.py PORT_FILE [LIFETIME_SECONDS]

Binds a free port, writes it to PORT_FILE and serves until GET /__quit or
until its lifetime ends (300 s by default). It is also an HTTP proxy: a
request line with an absolute address is served by its path and logged as
proxied.

Control (from the tests):
  POST /__route   JSON route: {"path": "/x", ...options}; replaces that path's route
  POST /__reset   forget every route and the log
  GET  /__log     JSON list of the requests served (not the control ones)
  GET  /__quit    end the server

Route options:
  status        reply status (200)
  body          body as Latin-1 text ("")
  body_size     a generated body of this many bytes instead
  body_file     a file's bytes instead
  length        "auto" (the real length), null (no Content-Length), or a number
  head_length   the same for HEAD replies (default: like length)
  location      Location header (for redirects)
  headers       further headers {name: value}
  cut_after     send only this many body bytes, then close the connection
  hang          "headers" (accept, never answer) or "body" (headers, then nothing)
  pace          [bytes, milliseconds]: send the body in pieces with a pause between
  then          a route that replaces this one after one full GET of it
  also          routes (each with its path) set after one full GET of this one
"""
import json
import os
import socket
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

HANG_SECONDS = 30  # a hanging reply is given up after this, so that nothing lingers

routes = {}
log = []
lock = threading.Lock()
stop = threading.Event()


def body_of(route):
    if "body_file" in route:
        with open(route["body_file"], "rb") as f:
            return f.read()
    if "body_size" in route:
        n = int(route["body_size"])
        block = bytes(range(256)) * 4096
        return (block * (n // len(block) + 1))[:n]
    return route.get("body", "").encode("latin-1")


def size_of(route):
    if "body_size" in route:
        return int(route["body_size"])
    if "body_file" in route:
        return os.path.getsize(route["body_file"])
    return len(route.get("body", "").encode("latin-1"))


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def split_target(self):
        target = self.path
        proxied = "://" in target
        path = urllib.parse.urlsplit(target).path if proxied else target.split("?", 1)[0]
        return target, path, proxied

    def control(self, path):
        if path == "/__quit":
            self.reply_plain(200, b"bye")
            stop.set()
            return True
        if path == "/__log":
            with lock:
                data = json.dumps(log).encode()
            self.reply_plain(200, data)
            return True
        if path in ("/__route", "/__reset"):
            length = int(self.headers.get("Content-Length", "0"))
            data = self.rfile.read(length) if length else b""
            with lock:
                if path == "/__reset":
                    routes.clear()
                    log.clear()
                else:
                    route = json.loads(data.decode("utf-8"))
                    routes[route["path"]] = route
            self.reply_plain(200, b"ok")
            return True
        return False

    def reply_plain(self, status, data):
        self.send_response(status)
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(data)

    def serve(self, head):
        target, path, proxied = self.split_target()
        if not proxied and self.control(path):
            return
        with lock:
            log.append({"method": self.command, "target": target, "path": path, "proxied": proxied,
                        "headers": {k: v for k, v in self.headers.items()}})
            route = routes.get(path)
        if route is None:
            self.reply_plain(404, b"not found")
            return
        if route.get("hang") == "headers":
            stop.wait(HANG_SECONDS)
            self.close_connection = True
            return
        size = size_of(route)
        length = route.get("head_length", route.get("length", "auto")) if head else route.get("length", "auto")
        self.send_response(int(route.get("status", 200)))
        if length == "auto":
            self.send_header("Content-Length", str(size))
        elif length is not None:
            self.send_header("Content-Length", str(int(length)))
        else:
            self.send_header("Connection", "close")
            self.close_connection = True
        if "location" in route:
            self.send_header("Location", route["location"])
        for name, value in route.get("headers", {}).items():
            self.send_header(name, value)
        self.end_headers()
        self.wfile.flush()
        if head:
            return
        if route.get("hang") == "body":
            stop.wait(HANG_SECONDS)
            self.close_connection = True
            return
        data = body_of(route)
        if "cut_after" in route:
            data = data[: int(route["cut_after"])]
            self.close_connection = True
        pace = route.get("pace")
        try:
            if pace:
                step, pause = int(pace[0]), int(pace[1]) / 1000.0
                for at in range(0, len(data), step):
                    self.wfile.write(data[at:at + step])
                    self.wfile.flush()
                    if stop.wait(pause):
                        break
            else:
                view = memoryview(data)
                for at in range(0, len(data), 1 << 20):
                    self.wfile.write(view[at:at + (1 << 20)])
        except (BrokenPipeError, ConnectionResetError):
            self.close_connection = True
            return
        if "cut_after" in route:
            try:
                self.connection.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
        else:
            with lock:
                if "then" in route:
                    nxt = dict(route["then"])
                    nxt["path"] = path
                    routes[path] = nxt
                for other in route.get("also", []):
                    routes[other["path"]] = other

    def do_GET(self):
        self.serve(False)

    def do_POST(self):
        self.serve(False)

    def do_HEAD(self):
        self.serve(True)


def main():
    port_file = sys.argv[1]
    lifetime = float(sys.argv[2]) if len(sys.argv) > 2 else 300.0
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    tmp = port_file + ".tmp"
    with open(tmp, "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(tmp, port_file)
    thread = threading.Thread(target=server.serve_forever, daemon=True)
    thread.start()
    stop.wait(lifetime)
    stop.set()
    server.shutdown()
    server.server_close()


if __name__ == "__main__":
    main()
