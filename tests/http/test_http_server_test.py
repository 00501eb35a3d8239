#!/usr/bin/env python3
"""Checks the test HTTP server's behaviours: statuses, sequences, a dropped body, the
request log, and that it stops by itself."""

import http.client
import json
import os
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SERVER = os.path.join(HERE, "test_http_server.py")


class ServerTest(unittest.TestCase):
    def start(self, config, timeout=30):
        self.dir = tempfile.TemporaryDirectory()
        d = self.dir.name
        with open(os.path.join(d, "config.json"), "w") as f:
            json.dump(config, f)
        self.log = os.path.join(d, "requests.jsonl")
        port_file = os.path.join(d, "port.txt")
        self.proc = subprocess.Popen(
            [sys.executable, SERVER, "--config", os.path.join(d, "config.json"),
             "--log", self.log, "--port-file", port_file, "--timeout", str(timeout)])
        # The port file appears once the server listens; give up after a generous bound.
        deadline = time.monotonic() + 20
        while not os.path.exists(port_file):
            self.assertIsNone(self.proc.poll(), "server ended early")
            self.assertLess(time.monotonic(), deadline, "server did not start")
            time.sleep(0.02)
        with open(port_file) as f:
            self.port = int(f.read())

    def tearDown(self):
        if getattr(self, "proc", None) and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        if getattr(self, "dir", None):
            self.dir.cleanup()

    def get(self, path, headers=None):
        conn = http.client.HTTPConnection("127.0.0.1", self.port, timeout=10)
        self.addCleanup(conn.close)
        conn.request("GET", path, headers=headers or {})
        return conn, conn.getresponse()

    def requests(self):
        with open(self.log) as f:
            return [json.loads(line) for line in f]

    def test_statuses_sequences_and_log(self):
        self.start({"/feed": [{"status": 404, "body": "gone"}, {"body": "one\r\ntwo"}],
                    "/n": {"status": 200}})
        _, r = self.get("/feed")
        self.assertEqual((r.status, r.read()), (404, b"gone"))
        _, r = self.get("/feed")
        self.assertEqual((r.status, r.read()), (200, b"one\r\ntwo"))
        _, r = self.get("/feed")
        self.assertEqual(r.read(), b"one\r\ntwo", "the last behaviour repeats")
        _, r = self.get("/other")
        self.assertEqual(r.status, 404)
        _, r = self.get("/n?id=a+b", {"Referer": "http://x/program.htm", "User-Agent": "UA"})
        r.read()
        log = self.requests()
        self.assertEqual([e["path"] for e in log], ["/feed", "/feed", "/feed", "/other", "/n?id=a+b"])
        headers = dict(log[-1]["headers"])
        self.assertEqual(headers["Referer"], "http://x/program.htm")
        self.assertEqual(headers["User-Agent"], "UA")

    def test_dropped_body(self):
        self.start({"/feed": {"body": "x" * 100, "drop_after": 40}})
        _, r = self.get("/feed")
        self.assertEqual(r.getheader("Content-Length"), "100")
        with self.assertRaises(http.client.IncompleteRead) as caught:
            r.read()
        self.assertEqual(len(caught.exception.partial), 40)

    def test_pattern_no_length_and_chunked(self):
        self.start({"/p": {"pattern": 600}, "/n": {"pattern": 300, "no_length": True},
                    "/c": {"pattern": 700, "chunked": 256}})
        expected = bytes(i % 251 for i in range(700))
        _, r = self.get("/p")
        self.assertEqual(r.read(), expected[:600])
        _, r = self.get("/n")
        self.assertIsNone(r.getheader("Content-Length"))
        self.assertEqual(r.read(), expected[:300])
        _, r = self.get("/c")
        self.assertEqual(r.getheader("Transfer-Encoding"), "chunked")
        self.assertEqual(r.read(), expected)

    def test_redirect(self):
        self.start({"/old": {"redirect": "/new/file.bin"}, "/new/file.bin": {"body": "moved"}})
        _, r = self.get("/old")
        r.read()
        self.assertEqual(r.status, 302)
        self.assertEqual(r.getheader("Location"), "http://127.0.0.1:%d/new/file.bin" % self.port)

    def test_ranges_honoured_with_validators(self):
        self.start({"/r": {"pattern": 1000, "ranges": True, "etag": "abc"},
                    "/plain": {"pattern": 1000}})
        expected = bytes(i % 251 for i in range(1000))
        _, r = self.get("/r", {"Range": "bytes=400-", "If-Range": '"abc"'})
        self.assertEqual(r.status, 206)
        self.assertEqual(r.getheader("Content-Range"), "bytes 400-999/1000")
        self.assertEqual(r.read(), expected[400:])
        _, r = self.get("/r", {"Range": "bytes=400-", "If-Range": '"old"'})
        self.assertEqual((r.status, r.read()), (200, expected), "changed file comes whole")
        _, r = self.get("/r", {"Range": "bytes=400-"})
        self.assertEqual(r.status, 206, "no If-Range: the range stands")
        r.read()
        _, r = self.get("/plain", {"Range": "bytes=400-"})
        self.assertEqual((r.status, r.read()), (200, expected), "ranges ignored")
        self.assertIsNone(r.getheader("Accept-Ranges"))

    def test_drop_after_range_and_throttle(self):
        self.start({"/r": {"pattern": 1000, "ranges": True, "drop_after": 100, "rate": 2000}})
        _, r = self.get("/r", {"Range": "bytes=500-"})
        started = time.monotonic()
        with self.assertRaises(http.client.IncompleteRead) as caught:
            r.read()
        self.assertEqual(caught.exception.partial, bytes(i % 251 for i in range(500, 600)))
        self.assertGreater(time.monotonic() - started, 0.02, "100 bytes at 2000/s take time")

    def test_stops_by_itself(self):
        self.start({}, timeout=1)
        self.assertEqual(self.proc.wait(timeout=30), 0)

    def test_quit_request(self):
        self.start({})
        _, r = self.get("/__quit")
        r.read()
        self.assertEqual(self.proc.wait(timeout=30), 0)


if __name__ == "__main__":
    unittest.main()
