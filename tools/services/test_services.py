#!/usr/bin/env python3
"""Self-check of the local service stand-ins. Runs in a private network namespace of its own
(tools/netns-run), so it never meets a copy of the services that a test fixture started."""
import hashlib
import http.client
import json
import os
import shutil
import socket
import ssl
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.request

HERE = os.path.dirname(os.path.abspath(__file__))
TOOL = os.path.join(HERE, "bokrin-services")
SECRET = "6B1F0C93D2A84E57B0C4F19E3A7D2C58"
PATH = "/bokrin/api/version"


def md5(text):
    return hashlib.md5(text.encode()).hexdigest()


def signed_query(tm="1714550400123", **overrides):
    """The installer's identity query, built here from the documented recipe."""
    items = [("app", "pc"), ("br", ""), ("build", "113005"), ("client", "pc"),
             ("cv", "1.13.5"), ("ip", "192.168.1.7"), ("model", "Windows8"),
             ("os", "windows"), ("ov", "Windows8"), ("sc", "1920*1080"), ("suid", ""),
             ("tid", "0A1B2C3D4E5Fa6b7C8D9E0F1A2B3C4D5"), ("tm", tm), ("uid", ""),
             ("uuid", SECRET)]
    items = [(k, overrides.get(k, v)) for k, v in items]
    query = "&".join("%s=%s" % kv for kv in items)
    return query + "&sign=" + md5(md5("pc" + tm + SECRET) + PATH + query)


def control(path, body=None):
    req = urllib.request.Request("http://127.0.0.1:8080" + path, data=body,
                                 method="POST" if body is not None else "GET")
    with urllib.request.urlopen(req, timeout=10) as r:
        return r.read()


def https_get(target, host="localhost", headers=None):
    ctx = ssl.create_default_context()
    ctx.check_hostname = False
    ctx.verify_mode = ssl.CERT_NONE
    conn = http.client.HTTPSConnection("127.0.0.1", 443, context=ctx, timeout=10)
    conn.request("GET", target, headers=dict({"Host": host}, **(headers or {})))
    return conn.getresponse()


def plain_get(address, target):
    with socket.create_connection((address, 80), timeout=10) as s:
        s.sendall(("GET %s HTTP/1.1\r\nHost: %s\r\n\r\n" % (target, address)).encode())
        data = b""
        while True:
            chunk = s.recv(65536)
            if not chunk:
                return data
            data += chunk


class ServicesTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.state = tempfile.mkdtemp(prefix="bokrin-services-")
        cls.package = os.path.join(cls.state, "release.zip")
        with open(cls.package, "wb") as f:
            f.write(bytes(range(256)) * 4096)  # 1 MiB
        cls.root_dir = os.path.join(cls.state, "root")
        subprocess.run([TOOL, "start", "--state-dir", cls.state, "--release-zip", cls.package,
                        "--version-no", "2.0.1", "--root-dir", cls.root_dir], check=True)

    @classmethod
    def tearDownClass(cls):
        subprocess.run([TOOL, "stop", "--state-dir", cls.state], check=True)
        shutil.rmtree(cls.state, ignore_errors=True)

    def setUp(self):
        control("/reset", b"")

    def test_signed_query_gets_release(self):
        r = https_get(PATH + "?" + signed_query())
        reply = json.loads(r.read())
        self.assertEqual(r.status, 200)
        self.assertEqual(reply["result_code"], 0)
        self.assertEqual(reply["data"]["version_no"], "2.0.1")
        self.assertEqual(reply["data"]["url"], "https://localhost/packages/release.zip")
        self.assertEqual(reply["data"]["size"], 1 << 20)

    def test_tampered_queries_are_refused(self):
        good = signed_query()
        cases = {
            "wrong signature": good[:-1] + ("0" if good[-1] != "0" else "1"),
            "signature of another time": signed_query(tm="1714550400124")[:-32]
            + good[-32:],
            "fixed value changed": signed_query(cv="1.13.4"),
            "parameter missing": good.replace("br=&", ""),
            "order changed": good.replace("app=pc&br=&", "br=&app=pc&"),
            "model and ov differ": signed_query(ov="Windows7"),
            "no signature": good[:good.index("&sign=")],
        }
        for name, query in cases.items():
            with self.subTest(name):
                r = https_get(PATH + "?" + query)
                self.assertEqual(r.status, 403)
                self.assertNotEqual(json.loads(r.read())["result_code"], 0)

    def test_version_variants(self):
        control("/mode?service=version&variant=no-url", b"")
        data = json.loads(https_get(PATH + "?" + signed_query()).read())["data"]
        self.assertNotIn("url", data)
        control("/mode?service=version&variant=bom", b"")
        body = https_get(PATH + "?" + signed_query()).read()
        self.assertTrue(body.startswith(b"\xef\xbb\xbf{"))
        self.assertFalse(body.endswith(b"}"))

    def test_package_variants(self):
        whole = https_get("/packages/release.zip", host="storage.test").read()
        self.assertEqual(whole, bytes(range(256)) * 4096)
        self.assertIn(b"Host: storage.test\r\n",
                      control("/last-request?service=package"))
        r = https_get("/packages/release.zip?variant=no-length")
        self.assertIsNone(r.getheader("Content-Length"))
        self.assertEqual(len(r.read()), 1 << 20)
        control("/mode?service=package&variant=cut-short", b"")
        r = https_get("/packages/release.zip", headers={"Range": "bytes=1000-"})
        self.assertEqual(r.getheader("Content-Length"), str(1 << 20))
        self.assertIsNotNone(r.getheader("ETag"))
        with self.assertRaises(http.client.IncompleteRead):
            r.read()
        r = https_get("/packages/missing.zip?variant=ok")
        self.assertEqual(r.status, 404)
        self.assertIn(b"404", r.read())

    def assertBreaks(self):
        r = https_get("/packages/release.zip")
        self.assertEqual(r.getheader("Content-Length"), str(1 << 20))
        with self.assertRaises((http.client.IncompleteRead, ConnectionError)):
            r.read()

    def test_package_ranges_and_one_break(self):
        whole = bytes(range(256)) * 4096
        first = https_get("/packages/release.zip")
        tag = first.getheader("ETag")
        modified = first.getheader("Last-Modified")
        self.assertTrue(tag and modified)
        self.assertEqual(first.read(), whole)
        cases = [({"Range": "bytes=1000-", "If-Range": tag}, 206, "bytes 1000-1048575/1048576"),
                 ({"Range": "bytes=1000-", "If-Range": modified}, 206, "bytes 1000-1048575/1048576"),
                 ({"Range": "bytes=1000-"}, 206, "bytes 1000-1048575/1048576"),
                 ({"Range": "bytes=1000-", "If-Range": '"another"'}, 200, None)]
        for headers, status, content_range in cases:
            with self.subTest(headers):
                r = https_get("/packages/release.zip", headers=headers)
                self.assertEqual(r.status, status)
                self.assertEqual(r.getheader("Content-Range"), content_range)
                self.assertEqual(r.read(), whole[1000:] if status == 206 else whole)

        control("/reset", b"")
        control("/mode?service=package&variant=break-once&after=600000", b"")
        self.assertBreaks()
        r = https_get("/packages/release.zip", headers={"Range": "bytes=600000-", "If-Range": tag})
        self.assertEqual(r.status, 206)
        self.assertEqual(r.read(), whole[600000:])
        stats = json.loads(control("/stats"))
        self.assertEqual(stats["package_bytes"], 1 << 20)

        # A lying server states a range one byte later than the one it sends.
        control("/mode?service=package&variant=break-once&after=10&range=wrong", b"")
        self.assertBreaks()
        r = https_get("/packages/release.zip", headers={"Range": "bytes=10-", "If-Range": tag})
        self.assertEqual(r.getheader("Content-Range"), "bytes 11-1048575/1048576")
        self.assertEqual(r.read(), whole[10:])

        # After the break the file is another: the old tag no longer holds.
        other = os.path.join(self.state, "packages", "other.zip")
        with open(other, "wb") as f:
            f.write(b"other" * 1000)
        control("/mode?service=package&variant=break-once&after=10&then=other.zip", b"")
        self.assertBreaks()
        r = https_get("/packages/release.zip", headers={"Range": "bytes=10-", "If-Range": tag})
        self.assertEqual((r.status, r.read()), (200, b"other" * 1000))

    def test_certificates_chain_to_the_test_root_as_chosen(self):
        """What a client that trusts only the test root makes of each certificate."""
        trusting = ssl.create_default_context(cafile=os.path.join(self.root_dir, "root.pem"))
        trusting.verify_flags &= ~ssl.VERIFY_X509_STRICT
        cases = {"good": None, "other-name": "Hostname mismatch",
                 "self-signed": "self-signed", "untrusted-root": "unable to get local issuer",
                 "expired": "expired"}
        for kind, refusal in cases.items():
            with self.subTest(kind):
                control("/certificate?kind=" + kind, b"")
                conn = http.client.HTTPSConnection("localhost", 443, context=trusting, timeout=10)
                try:
                    if refusal is None:
                        conn.request("GET", "/echo")
                        self.assertEqual(conn.getresponse().status, 200)
                    else:
                        with self.assertRaisesRegex(ssl.SSLCertVerificationError, refusal):
                            conn.request("GET", "/echo")
                finally:
                    conn.close()

    def test_trickled_and_large_replies(self):
        control("/mode?service=package&variant=trickle&interval=0.05", b"")
        started = time.monotonic()
        r = https_get("/packages/release.zip")
        self.assertEqual(r.getheader("Content-Length"), str(1 << 20))
        self.assertEqual(r.read(3), bytes(range(3)))
        self.assertGreaterEqual(time.monotonic() - started, 0.15)
        r.close()
        control("/mode?service=version&variant=large", b"")
        r = https_get(PATH + "?" + signed_query())
        self.assertIsNone(r.getheader("Content-Length"))
        self.assertGreater(len(json.loads(r.read())["pad"]), 2 * 1000 * 1000)

    def test_vendor_dns_answers_every_host_and_records_the_request(self):
        reply = plain_get("127.0.0.1", "/v1/d?dn=a.test,b.test,c.test,d.test")
        self.assertTrue(reply.startswith(b"HTTP/1.1 200"))
        data = json.loads(reply.split(b"\r\n\r\n", 1)[1])
        self.assertEqual(data["retCode"], 0)
        self.assertEqual([e["dn"] for e in data["data"]], ["a.test", "b.test", "c.test", "d.test"])
        self.assertEqual({e["item"] for e in data["data"]}, {"127.0.0.1"})
        self.assertEqual(control("/last-request?service=vendor-dns"),
                         b"GET /v1/d?dn=a.test,b.test,c.test,d.test HTTP/1.1\r\n"
                         b"Host: 127.0.0.1\r\n\r\n")

    def test_dns_failure_modes(self):
        control("/mode?service=vendor-dns&variant=close", b"")
        self.assertEqual(plain_get("127.0.0.1", "/v1/d?dn=a"), b"")
        control("/mode?service=vendor-dns&variant=large", b"")
        self.assertGreater(len(plain_get("127.0.0.1", "/v1/d?dn=a")), 4096)
        control("/mode?service=public-dns&variant=split", b"")
        started = time.monotonic()
        reply = plain_get("127.0.0.2", "/d?dn=a.test")
        self.assertGreaterEqual(time.monotonic() - started, 0.2)
        self.assertTrue(reply.endswith(b"\r\n\r\n127.0.0.1;127.0.0.1,600"))


if __name__ == "__main__":
    unittest.main(verbosity=2)
