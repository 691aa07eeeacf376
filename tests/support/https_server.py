#!/usr/bin/env python3
"""A small HTTPS file server for the update check's tests.

Serves --root on 127.0.0.1 at a free port, which it prints as the first line on
stdout. Every request path is appended to --log. --silent accepts connections
and never answers; --cut PATH sends only half of that file (with the full
Content-Length) and closes the connection.
"""
import argparse
import http.server
import os
import ssl
import sys
import threading
import time


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--cert", required=True)
    parser.add_argument("--key", required=True)
    parser.add_argument("--log", required=True)
    parser.add_argument("--silent", action="store_true")
    parser.add_argument("--cut", default="")
    args = parser.parse_args()
    log_lock = threading.Lock()

    class Handler(http.server.SimpleHTTPRequestHandler):
        def __init__(self, *a, **kw):
            super().__init__(*a, directory=args.root, **kw)

        def log_message(self, *a):
            pass

        def do_GET(self):
            with log_lock, open(args.log, "a") as log:
                log.write(self.path + "\n")
            if args.silent:
                time.sleep(3600)
                return
            if args.cut and self.path == args.cut:
                with open(os.path.join(args.root, self.path.lstrip("/")), "rb") as f:
                    data = f.read()
                self.send_response(200)
                self.send_header("Content-Length", str(len(data)))
                self.end_headers()
                self.wfile.write(data[: len(data) // 2])
                self.wfile.flush()
                self.close_connection = True
                return
            super().do_GET()

    class Server(http.server.ThreadingHTTPServer):
        daemon_threads = True

    server = Server(("127.0.0.1", 0), Handler)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(args.cert, args.key)
    server.socket = context.wrap_socket(server.socket, server_side=True)
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
