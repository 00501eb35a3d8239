#!/usr/bin/env python3
"""A small HTTP/1.1 server for tests, standard library only.

It serves per-path behaviours from a JSON file, records every request it gets, and stops by
itself after a time-out (or at a request for /__quit), so a test that forgets it never leaves
it running.

    test_http_server.py --config behaviours.json --log requests.jsonl \
        --port-file port.txt [--port 0] [--timeout 120]

behaviours.json maps a path (without the query) to a behaviour, or to a list of behaviours
taken in turn (the last one repeats):

    {"/tickers/plticker100.txt": [{"status": 404}, {"body": "abc", "drop_after": 10}],
     "/n": {"status": 200, "body": ""}}

A behaviour has:
    status       HTTP status (200 when absent)
    body         text sent as the body (UTF-8 is not assumed: it goes out as Latin-1 bytes)
    headers      extra response header lines {"Name": "value"}
    drop_after   send only this many body bytes, then close the connection while the
                 announced Content-Length promises the whole body
Paths without a behaviour answer 404. Later kinds (byte ranges, chunked bodies, redirects,
throttling) belong in `respond` beside drop_after.

Each request is appended to the log as one JSON line as it arrives, before the answer:
    {"method": "GET", "path": "/n?id=...", "headers": [["Host", "..."], ...]}
The port chosen (use --port 0 for a free one) is written to --port-file once listening, so
a test waits for that file instead of sleeping.
"""

import argparse
import http.server
import json
import os
import threading


class Behaviours:
    def __init__(self, config):
        self._config = config
        self._counts = {}
        self._lock = threading.Lock()

    def next_for(self, path):
        with self._lock:
            entry = self._config.get(path)
            if entry is None:
                return {"status": 404, "body": "not found"}
            if isinstance(entry, list):
                n = self._counts.get(path, 0)
                self._counts[path] = n + 1
                return entry[min(n, len(entry) - 1)]
            return entry


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):  # quiet: the request log is the record
        pass

    def do_GET(self):
        path = self.path.split("?", 1)[0]
        if path == "/__quit":
            self.send_response(200)
            self.send_header("Content-Length", "0")
            self.end_headers()
            threading.Thread(target=self.server.shutdown, daemon=True).start()
            return
        # Recorded on arrival: a test that sees the entry knows the request reached us.
        self.record()
        self.respond(self.server.behaviours.next_for(path))

    def respond(self, behaviour):
        body = behaviour.get("body", "").encode("latin-1")
        self.send_response(behaviour.get("status", 200))
        for name, value in behaviour.get("headers", {}).items():
            self.send_header(name, value)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        drop = behaviour.get("drop_after")
        if drop is not None:
            self.send_header("Connection", "close")
        self.end_headers()
        if drop is not None:
            self.wfile.write(body[:drop])
            self.wfile.flush()
            self.close_connection = True
            return
        self.wfile.write(body)

    def record(self):
        entry = {
            "method": self.command,
            "path": self.path,
            "headers": [[k, v] for k, v in self.headers.items()],
        }
        with self.server.log_lock:
            with open(self.server.log_path, "a", encoding="utf-8") as log:
                log.write(json.dumps(entry) + "\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--config", required=True)
    parser.add_argument("--log", required=True)
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--timeout", type=float, default=120.0)
    args = parser.parse_args()

    with open(args.config, encoding="utf-8") as f:
        config = json.load(f)
    server = http.server.ThreadingHTTPServer((args.host, args.port), Handler)
    server.daemon_threads = True
    server.behaviours = Behaviours(config)
    server.log_path = args.log
    server.log_lock = threading.Lock()
    open(args.log, "a").close()
    timer = threading.Timer(args.timeout, server.shutdown)
    timer.daemon = True
    timer.start()
    # Written after bind: the port file's presence means the server accepts connections.
    tmp = args.port_file + ".tmp"
    with open(tmp, "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(tmp, args.port_file)
    server.serve_forever()
    server.server_close()


if __name__ == "__main__":
    main()
