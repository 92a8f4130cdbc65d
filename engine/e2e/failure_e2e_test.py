#!/usr/bin/env python3
"""End to end: the ways an installation fails, each with the exact messages the wizard would
get, and with nothing written outside the install, book and package directories.

    tools/test-env --work build/win64/e2e/failures --fresh-prefix --services -- \
        engine/e2e/failure_e2e_test.py --build-dir build/win64
"""
import os
import shutil
import sys

sys.dont_write_bytecode = True  # no cache files beside the sources
import e2e_support as e2e  # noqa: E402


class InstallFailureEndToEndTest(e2e.EnvironmentTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.good_package = os.path.join(cls.package_dir, "good.zip")
        with open(os.path.join(cls.env.standin_dir, "Bokrin.exe"), "rb") as f:
            client = f.read()
        e2e.write_package(cls.good_package, [("Bokrin.exe", client, {}),
                                             ("Uninstall.exe", b"MZ stand-in", {}),
                                             ("readme.txt", b"Bokrin\r\n", {})])
        user = os.path.relpath(cls.env.user_dir, cls.env.drive_c)
        # The installer's own places, relative to drive_c; the default install directory depends
        # on the engine's architecture.
        install = os.path.join(*cls.env.install_dir.split("\\")[1:-1])
        cls.allowed = [install,
                       os.path.join(user, "AppData", "Roaming", "Bokrin"),
                       os.path.join(user, "AppData", "Local", "Temp", "BokrinInstallZip")]
        # The setup log and the previous run's.
        temp = os.path.relpath(cls.env.temp_dir(), cls.env.drive_c)
        cls.allowed += [os.path.join(temp, "BokrinSetup.log"), os.path.join(temp, "BokrinSetup.old.log")]

    def setUp(self):
        self.env.reset_services()
        self.env.set_release(zip=self.good_package, name="Bokrin.zip", version_no="1.13.6")

    def allowed_path(self, relative):
        for place in self.allowed:
            if relative == place or relative.startswith(place + os.sep) or place.startswith(relative + os.sep):
                return True
        return False

    def run_failing(self, expected_code, install_dir=""):
        before = self.env.snapshot_drive_c()
        code, lines = self.env.run_engine(install_dir)
        after = self.env.snapshot_drive_c()
        outside = sorted(p for p in after - before if not self.allowed_path(p))
        # The rollback journal and its folder are outside too: both go when the run ends.
        self.assertEqual(outside, [], "written outside the installer's directories")
        self.assertEqual(code, expected_code, "\n".join(lines))
        return lines

    def download_part(self, lines):
        start = lines.index("STATUS 正在下载，请稍候...") + 1
        return [line for line in lines[start:] if line.startswith("STATUS 正在下载，请稍候...(")
                or (line.startswith("PROGRESS ") and 100 < int(line.split()[1]) < 800)]

    def test_version_service_without_reply_on_both_attempts(self):
        self.env.set_mode("version", "close")
        lines = self.run_failing(1)
        self.assertEqual(lines, e2e.FIRST_STEPS + ["ERROR 2 下载出错啦，请检查网络后重新下载！"])
        stats = self.env.stats()
        self.assertEqual(stats["requests"]["version"], 2, stats)
        self.assertGreaterEqual(stats["requests"]["vendor-dns"], 1, stats)
        self.assertIn(b"\r\nHost: localhost\r\n", self.env.last_request("version"))

    def test_version_service_reports_an_error_code(self):
        self.env.set_mode("version", "error-code")
        lines = self.run_failing(1)
        self.assertEqual(lines, e2e.FIRST_STEPS + ["ERROR 2 连接失败,请检查Host或重新连接网络后重试！",
                                                   "STATUS 连接失败！请检查Host或重新连接网络后重试！"])

    def test_release_without_package_address(self):
        self.env.set_mode("version", "no-url")
        lines = self.run_failing(1)
        self.assertEqual(lines, e2e.FIRST_STEPS + ["ERROR 2 下载出错啦，请检查网络后重新下载！"])

    def test_package_host_reached_through_http_dns(self):
        self.env.set_release(url="https://%s/packages/Bokrin.zip" % e2e.UNRESOLVABLE_STORAGE_HOST)
        code, lines = self.env.run_engine()
        self.assertEqual(code, 0, "\n".join(lines))
        self.assertEqual(lines[-1], "FINISHED")
        stats = self.env.stats()
        self.assertEqual(stats["requests"]["package"], 1, stats)
        self.assertGreaterEqual(stats["requests"]["vendor-dns"], 1, stats)
        request = self.env.last_request("package")
        self.assertTrue(request.startswith(b"GET /packages/Bokrin.zip HTTP/1.1\r\n"), request)
        self.assertIn(b"\r\nHost: %s\r\n" % e2e.UNRESOLVABLE_STORAGE_HOST.encode(), request)

    def test_package_not_found_page(self):
        self.env.set_mode("package", "not-found")
        lines = self.run_failing(1)
        self.assertEqual(e2e.without_download(lines),
                         e2e.FIRST_STEPS + e2e.BEFORE_DOWNLOAD + e2e.AFTER_DOWNLOAD + e2e.OPENING_FAILED)
        self.assertEqual(self.download_part(lines)[-2:],
                         ["PROGRESS 799", "STATUS 正在下载，请稍候...(已下载：0.00 MB 共：0.00 MB)"])

    def test_package_body_cut_short(self):
        # Half the announced body, then an orderly close: the client counts the short body as
        # a failed transfer, so the retry through HTTP DNS runs and meets the same cut.
        self.env.set_mode("package", "cut-short")
        lines = self.run_failing(3)
        self.assertEqual(e2e.without_download(lines),
                         e2e.FIRST_STEPS + e2e.BEFORE_DOWNLOAD + ["ERROR 0 下载失败，请检查网络后重新下载"])
        # Each attempt gets half way (this server ignores the retry's range and sends the whole
        # file again); the page shows half once and never goes back.
        values = e2e.progress_values(lines)
        self.assertEqual(values.count(449), 1)
        self.assertEqual(values, sorted(set(values)))
        self.assertEqual(self.env.stats()["requests"]["package"], 2)
        self.assertIn(b"Range: bytes=", self.env.control("GET", "/last-request?service=package"))

    def test_corrupt_archive(self):
        # A damaged package is a bad download, not a running client: back to the first page.
        corrupt = os.path.join(self.package_dir, "corrupt.zip")
        e2e.write_package(corrupt, [("readme.txt", os.urandom(64 * 1024), {}),
                                    ("Bokrin.exe", b"MZ" * 1000, {})])
        with open(corrupt, "r+b") as f:  # damage the first entry's compressed data
            f.seek(2000)
            f.write(b"\xff" * 4000)
        self.env.set_release(zip=corrupt, name="Bokrin.zip")
        shutil.rmtree(self.env.unix_path(self.env.install_dir), ignore_errors=True)
        lines = self.run_failing(1)
        self.assertEqual(e2e.without_download(lines),
                         e2e.FIRST_STEPS + e2e.BEFORE_DOWNLOAD + e2e.AFTER_DOWNLOAD + e2e.OPENING_FAILED)
        self.assertFalse(os.path.exists(self.env.unix_path(self.env.install_dir + "readme.txt")))

    def test_package_without_the_client(self):
        no_client = os.path.join(self.package_dir, "no-client.zip")
        e2e.write_package(no_client, [("readme.txt", b"Bokrin\r\n", {}), ("Bokrin.exe/", b"", {})])
        self.env.set_release(zip=no_client, name="Bokrin.zip")
        shutil.rmtree(self.env.unix_path(self.env.install_dir), ignore_errors=True)
        lines = self.run_failing(1)
        self.assertEqual(e2e.without_download(lines),
                         e2e.FIRST_STEPS + e2e.BEFORE_DOWNLOAD + e2e.AFTER_DOWNLOAD + e2e.OPENING_FAILED)
        self.assertFalse(os.path.exists(self.env.unix_path(self.env.install_dir + "readme.txt")))

    def test_install_file_held_open(self):
        held = self.env.install_dir + "readme.txt"
        os.makedirs(self.env.unix_path(self.env.install_dir), exist_ok=True)
        with self.env.file_held(held):
            lines = self.run_failing(1)
        self.assertEqual(e2e.without_download(lines),
                         e2e.FIRST_STEPS + e2e.BEFORE_DOWNLOAD + e2e.AFTER_DOWNLOAD +
                         ["PROGRESS 801", "PROGRESS 802",
                          "ERROR 2 文件被其他程序占用：readme.txt，请关闭该程序后重试！"])

    def test_hostile_entry_names(self):
        hostile = os.path.join(self.package_dir, "hostile.zip")
        e2e.write_package(hostile, [("Bokrin.exe", b"MZ", {}),
                                    ("../escape-1.txt", b"x", {}),
                                    ("a/../../escape-2.txt", b"x", {}),
                                    ("..\\..\\escape-3.txt", b"x", {}),
                                    ("C:\\escape-4.txt", b"x", {}),
                                    ("/escape-5.txt", b"x", {})])
        self.env.set_release(zip=hostile, name="Bokrin.zip")
        lines = self.run_failing(1)
        self.assertEqual(e2e.without_download(lines),
                         e2e.FIRST_STEPS + e2e.BEFORE_DOWNLOAD + e2e.AFTER_DOWNLOAD + e2e.OPENING_FAILED)
        install_dir = self.env.unix_path(self.env.install_dir)
        escaped = [os.path.join(d, f) for d, _, files in os.walk(self.env.drive_c)
                   for f in files if f.startswith("escape-") and not d.startswith(install_dir)]
        self.assertEqual(escaped, [])


    def test_install_folder_not_given_in_full(self):
        # Relative to the engine's current folder (this process's), to the current drive's
        # root, or to the current folder of drive C: refused before any request or write.
        for folder in ("Bokrin\\", "\\Bokrin\\", "C:Bokrin\\"):
            with self.subTest(folder=folder):
                lines = self.run_failing(3, folder)
                self.assertEqual(lines, ["ERROR 0 解压路径出错啦"])
                stats = self.env.stats()
                self.assertEqual(stats["connections"]["https"], 0, stats)
                self.assertFalse(os.path.exists("Bokrin"), os.getcwd())

if __name__ == "__main__":
    e2e.main(InstallFailureEndToEndTest)
