#!/usr/bin/env python3
"""End to end: a quick install of the stand-in client from the local services into a Wine
prefix, what it leaves on disk and in the registry, the start of the installed client, and a
second installation over the first, and a third while another program holds the earlier package
open.

    tools/test-env --work build/win64/e2e/install --fresh-prefix --services -- \
        engine/e2e/install_e2e_test.py --build-dir build/win64
"""
import math
import os
import re
import sys
import time

sys.dont_write_bytecode = True  # no cache files beside the sources
import e2e_support as e2e  # noqa: E402

INSTALL_KEY = r"HKLM\SOFTWARE\Bokrin"
USER_KEY = r"HKCU\SOFTWARE\Bokrin"
OPEN_COMMAND_KEY = r"HKCU\Software\Classes\Applications\Bokrin.exe\shell\open\command"
UNINSTALL_KEY = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Bokrin"
LINK_NAME = "Bokrin阅读.lnk"

READ_ONLY_TIME = 1700000000   # 2023-11-14 22:13:20 UTC
HIDDEN_TIME = 1600000000      # 2020-09-13 12:26:40 UTC
FILE_ATTRIBUTE_READONLY = 0x01
FILE_ATTRIBUTE_HIDDEN = 0x02
FILE_ATTRIBUTE_ARCHIVE = 0x20


class InstallEndToEndTest(e2e.EnvironmentTestCase):
    def make_package(self, name, read_only_text):
        with open(os.path.join(self.env.standin_dir, "Bokrin.exe"), "rb") as f:
            client = f.read()
        with open(os.path.join(self.env.standin_dir, "Uninstall.exe"), "rb") as f:
            uninstaller = f.read()
        entries = [
            ("Bokrin.exe", client, {}),
            ("Uninstall.exe", uninstaller, {}),
            ("openglessl/", b"", {}),
            ("openglessl/settings.txt", b"renderer=software\r\n", {}),
            ("data/notes/read-only.txt", read_only_text,
             {"mtime": READ_ONLY_TIME, "dos_attributes": FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE}),
            ("data/hidden.dat", b"\x00\x01hidden", {"mtime": HIDDEN_TIME,
                                                     "dos_attributes": FILE_ATTRIBUTE_HIDDEN}),
        ]
        path = os.path.join(self.package_dir, name)
        e2e.write_package(path, entries)
        return path, entries

    def install(self, package_name, version, read_only_text):
        self.env.reset_services()
        package, entries = self.make_package(package_name, read_only_text)
        self.env.set_release(zip=package, version_no=version)
        started = time.monotonic()
        code, lines = self.env.run_engine()
        print("  engine-run: %.1f s" % (time.monotonic() - started))
        self.assertEqual(code, 0, "\n".join(lines))
        return package, entries, lines

    def check_messages(self, lines, package, entry_count):
        extraction = ["PROGRESS %d" % (801 + i) for i in range(entry_count)]
        self.assertEqual(e2e.without_download(lines),
                         e2e.FIRST_STEPS + e2e.BEFORE_DOWNLOAD +
                         ["PROGRESS 800", "STATUS 正在解压，请稍候..."] + extraction +
                         ["PROGRESS 970", "STATUS 正在安装，请稍候...", "PROGRESS 980",
                          "PROGRESS 1000", "STATUS 安装完成", "FINISHED"])
        download = lines[lines.index("STATUS 正在下载，请稍候...") + 1:lines.index("PROGRESS 800")]
        values = e2e.progress_values(download)
        self.assertTrue(values, download)
        self.assertEqual(values, sorted(set(values)))
        self.assertEqual(values[-1], 799)
        # The size text is renewed only with the value, and 799 can come a body piece before the
        # end, so the last text shows an amount from the first that makes 799 up to the whole.
        size = os.path.getsize(package)
        first_at_799 = math.ceil(699 * 1.4286 / 1000 * size)
        shown = re.fullmatch(r"STATUS 正在下载，请稍候...\(已下载：([0-9.]+) MB 共：([0-9.]+) MB\)", download[-1])
        self.assertIsNotNone(shown, download[-1])
        self.assertEqual(shown.group(2), "%.2f" % (size / 1048576.0))
        self.assertGreaterEqual(float(shown.group(1)), float("%.2f" % (first_at_799 / 1048576.0)))
        self.assertLessEqual(float(shown.group(1)), float(shown.group(2)))
        # Each value comes with its size text.
        self.assertEqual(len(download), 2 * len(values))

    def check_files(self, entries):
        install_dir = self.env.unix_path(self.env.install_dir)
        self.assert_installed(install_dir, entries)
        read_only = os.path.join(install_dir, "data/notes/read-only.txt")
        self.assertEqual(os.stat(read_only).st_mode & 0o222, 0, "read-only file is writable")
        self.assertNotEqual(os.stat(os.path.join(install_dir, "Bokrin.exe")).st_mode & 0o200, 0)
        hidden = os.path.join(install_dir, "data/hidden.dat")
        try:
            dos = os.getxattr(hidden, "user.DOSATTRIB")
        except OSError:
            dos = None
        if dos is not None:  # Wine keeps the hidden bit in this attribute where the file system allows
            self.assertTrue(int(dos.strip(b"\x00").decode(), 16) & FILE_ATTRIBUTE_HIDDEN, dos)

    def check_registry(self, version, package, package_name="Bokrin.zip"):
        env = self.env
        app_data = env.reg_query(INSTALL_KEY, "BokrinAppDate")
        self.assertTrue(app_data and app_data.endswith("\\Bokrin\\"), app_data)
        self.assertTrue(os.path.isdir(env.unix_path(app_data)), app_data)
        book_dir = app_data + "eBooks\\BokrinEBooks\\"
        for key in (INSTALL_KEY, USER_KEY):
            self.assertEqual(env.reg_query(key, "Bokrin"), env.install_dir, key)
            self.assertEqual(env.reg_query(key, "BokrinEbook"), book_dir, key)
            self.assertEqual(env.reg_query(key, "BokrinAppDate"), app_data, key)
        self.assertTrue(os.path.isdir(env.unix_path(book_dir)), book_dir)
        package_path = env.reg_query(INSTALL_KEY, "BokrinPackage")
        self.assertTrue(package_path and package_path.endswith("\\BokrinInstallZip\\" + package_name), package_path)
        self.assertIsNone(env.reg_query(USER_KEY, "BokrinPackage"))
        with open(env.unix_path(package_path), "rb") as downloaded, open(package, "rb") as served:
            self.assertEqual(downloaded.read(), served.read())
        self.assertEqual(env.reg_query(OPEN_COMMAND_KEY, ""),
                         '"%sBokrin.exe" "%%1"' % env.install_dir)
        self.assertEqual(env.reg_query(UNINSTALL_KEY, "DisplayIcon"), env.install_dir + "Bokrin.exe")
        self.assertEqual(env.reg_query(UNINSTALL_KEY, "DisplayName"), "Bokrin阅读")
        self.assertEqual(env.reg_query(UNINSTALL_KEY, "DisplayVersion"), version)
        self.assertEqual(env.reg_query(UNINSTALL_KEY, "UninstallString"), '"%sUninstall.exe"' % env.install_dir)
        self.assertEqual(env.reg_query(UNINSTALL_KEY, "Publisher"), "Quillmark")
        # The machine-wide values land in the program's own view alone (the 32-bit one for the
        # shipped installer); the user's key is one for both views.
        self.assertIsNone(env.reg_query(INSTALL_KEY, "Bokrin", view=env.other_bits))
        self.assertIsNone(env.reg_query(UNINSTALL_KEY, "DisplayName", view=env.other_bits))
        self.assertEqual(env.reg_query(USER_KEY, "Bokrin", view=env.other_bits), env.install_dir)

    def link_paths(self):
        user = self.env.user_dir
        return [os.path.join(user, "Desktop", LINK_NAME),
                os.path.join(user, "AppData", "Roaming", "Microsoft", "Windows", "Start Menu",
                             "Programs", LINK_NAME)]

    def check_links(self):
        target = (self.env.install_dir + "Bokrin.exe").encode("utf-16-le")
        for link in self.link_paths():
            self.assertTrue(os.path.isfile(link), link)
            with open(link, "rb") as f:
                content = f.read()
            self.assertTrue(content.startswith(b"\x4c\x00\x00\x00"), link)  # shell link header
            self.assertIn(target, content, link)

    def test_1_quick_install_then_start_the_client(self):
        package, entries, lines = self.install("first.zip", "1.13.6-e2e", b"first read-only text\r\n")
        self.check_messages(lines, package, len(entries))
        self.check_files(entries)
        self.check_registry("1.13.6-e2e", package)
        self.check_links()

        code, output = self.env.launch_client()
        self.assertEqual((code, output), (0, "LAUNCHED"))
        command_line = e2e.client_command_line(self.env.unix_path(self.env.install_dir + "launch-args.txt"))
        parameters = '"%s" "%sopenglessl\\"' % (self.env.install_dir, self.env.install_dir)
        self.assertTrue(command_line.endswith(" " + parameters), command_line)
        executable = command_line[:-len(parameters) - 1].strip().strip('"')
        self.assertEqual(executable.lower(), (self.env.install_dir + "Bokrin.exe").lower())

    def test_2_second_install_over_the_first(self):
        links_before = {link: os.stat(link).st_mtime_ns for link in self.link_paths()}
        time.sleep(1.1)  # lets the replaced links carry a later time
        package, entries, lines = self.install("second.zip", "1.13.7-e2e", b"second text\r\n")
        self.check_messages(lines, package, len(entries))
        self.check_files(entries)
        self.check_registry("1.13.7-e2e", package)
        self.check_links()
        for link, before in links_before.items():
            self.assertGreater(os.stat(link).st_mtime_ns, before, link)

    def test_3_earlier_package_held_by_another_program(self):
        earlier = self.env.reg_query(INSTALL_KEY, "BokrinPackage")
        self.assertTrue(earlier and earlier.endswith("\\Bokrin.zip"), earlier)
        with open(self.env.unix_path(earlier), "rb") as f:
            earlier_bytes = f.read()
        with self.env.file_held(earlier):
            package, entries, lines = self.install("third.zip", "1.13.8-e2e", b"third text\r\n")
        self.check_registry("1.13.8-e2e", package, package_name="Bokrin-1.zip")
        self.check_files(entries)
        self.check_messages(lines, package, len(entries))
        with open(self.env.unix_path(earlier), "rb") as f:
            self.assertEqual(f.read(), earlier_bytes)


if __name__ == "__main__":
    e2e.main(InstallEndToEndTest)
