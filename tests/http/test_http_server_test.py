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
