#!/usr/bin/env python3
"""End to end: hostile or broken network counterparts. Certificates that do not hold for the
intended host, HTTP DNS answers that are not addresses, servers that never answer or trickle,
and an oversized version reply each end with the existing failure messages; an expired
certificate of a trusted root is tolerated.

    tools/test-env --work build/win64/e2e/network --fresh-prefix --services -- \
        engine/e2e/network_e2e_test.py --build-dir build/win64

The installations run with BOKRIN_TEST_TIME_DIVISOR=10: every time bound is a tenth of the
real one, and the trickling services pause 1.2 s before each byte instead of 12 s.
"""
import os
import sys

sys.dont_write_bytecode = True  # no cache files beside the sources
import e2e_support as e2e  # noqa: E402

QUERY_FAILED = e2e.FIRST_STEPS + ["ERROR 2 下载出错啦，请检查网络后重新下载！"]
# A version host that the system cannot resolve, so that the query goes through HTTP DNS and
# a bare address with a "Host: " line.
UNRESOLVABLE_VERSION_HOST = e2e.UNRESOLVABLE_STORAGE_HOST


class NetworkEndToEndTest(e2e.EnvironmentTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.env.env["BOKRIN_TEST_TIME_DIVISOR"] = "10"
        cls.package = os.path.join(cls.package_dir, "network.zip")
        with open(os.path.join(cls.env.standin_dir, "Bokrin.exe"), "rb") as f:
            e2e.write_package(cls.package, [("Bokrin.exe", f.read(), {})])

    def setUp(self):
        self.env.reset_services()
        self.env.set_release(zip=self.package, name="Bokrin.zip", version_no="1.13.6")
        self.env.env.pop("BOKRIN_TEST_VERSION_HOST", None)

    def set_certificate(self, kind):
        self.env.control("POST", "/certificate?kind=" + kind)

    def run_engine(self, expected_code):
        code, lines = self.env.run_engine()
        self.assertEqual(code, expected_code, "\n".join(lines))
        return lines

    def test_certificates_that_do_not_hold_fail_the_query(self):
        for kind in ("self-signed", "other-name", "untrusted-root", "expired-self-signed"):
            with self.subTest(kind):
                self.env.reset_services()
                self.set_certificate(kind)
                self.assertEqual(self.run_engine(1), QUERY_FAILED)
                # The retry through HTTP DNS meets the same certificate, and the signed query,
                # with the device's identifiers, reaches the server on neither attempt.
                self.assertGreaterEqual(self.env.stats()["requests"]["vendor-dns"], 1)
                self.assertEqual(self.env.last_request("version"), b"")

    def test_expired_certificate_of_the_trusted_root_is_tolerated(self):
        self.set_certificate("expired")
        self.assertEqual(self.run_engine(0)[-1], "FINISHED")

    def test_bare_address_retry_checks_the_host_lines_name(self):
        self.env.env["BOKRIN_TEST_VERSION_HOST"] = UNRESOLVABLE_VERSION_HOST
        self.assertEqual(self.run_engine(0)[-1], "FINISHED")
        self.assertIn(b"\r\nHost: %s\r\n" % UNRESOLVABLE_VERSION_HOST.encode(),
                      self.env.last_request("version"))
        self.env.reset_services()
        self.set_certificate("other-name")
        self.assertEqual(self.run_engine(1), QUERY_FAILED)
        self.assertEqual(self.env.last_request("version"), b"")

    def test_http_dns_answer_that_is_not_an_address_is_ignored(self):
        self.env.env["BOKRIN_TEST_VERSION_HOST"] = UNRESOLVABLE_VERSION_HOST
        answer = ('{"retCode":0,"data":[{"dn":"%s","item":"127.0.0.1/evil/path?x=",'
                  '"type":"A","ttl":600}]}' % UNRESOLVABLE_VERSION_HOST)
        self.env.set_mode("vendor-dns", "custom", answer.encode())
        self.env.set_mode("public-dns", "retcode1")
        self.assertEqual(self.run_engine(1), QUERY_FAILED)
        self.assertEqual(self.env.stats()["connections"]["https"], 0)

    def test_version_service_that_never_answers(self):
        self.set_certificate("no-handshake")
        self.assertEqual(self.run_engine(1), QUERY_FAILED)

    def test_trickled_version_reply_ends_at_the_query_bound(self):
        self.env.control("POST", "/mode?service=version&variant=trickle&interval=1.2")
        self.assertEqual(self.run_engine(1), QUERY_FAILED)
        # The bound holds for the query as a whole: no time is left for a retry.
        self.assertEqual(self.env.stats()["requests"]["version"], 1)

    def test_oversized_version_reply(self):
        self.env.set_mode("version", "large")
        self.assertEqual(self.run_engine(1), QUERY_FAILED)
        self.assertEqual(self.env.stats()["requests"]["version"], 2)

    def test_trickled_download_fails_as_stalled(self):
        self.env.control("POST", "/mode?service=package&variant=trickle&interval=1.2")
        lines = self.run_engine(3)
        # The first bytes of each attempt move nothing past 100.
        self.assertEqual(e2e.without_download(lines),
                         e2e.FIRST_STEPS + e2e.BEFORE_DOWNLOAD +
                         ["PROGRESS 100", "ERROR 0 下载失败，请检查网络后重新下载"])
        self.assertEqual(self.env.stats()["requests"]["package"], 2)


if __name__ == "__main__":
    e2e.main(NetworkEndToEndTest)
