#!/usr/bin/env python3
"""End to end: an update from release A to release B that fails on the way leaves A as it was,
byte for byte, with its attributes and times, and no trace of B, of the backups or of the
journal; a killed update is undone by the next run; a finished one keeps what A's user added.
The download's side of an update: a broken body resumed with a range, a package changed
between the attempts, a package larger than its volume, a folder in the package file's place.

    tools/test-env --work build/win64/e2e/rollback --fresh-prefix --services -- \
        engine/e2e/rollback_e2e_test.py --build-dir build/win64
"""
import os
import random
import shutil
import signal
import stat
import struct
import subprocess
import sys
import time

sys.dont_write_bytecode = True  # no cache files beside the sources
import e2e_support as e2e  # noqa: E402

NO_SPACE = ["STATUS 磁盘空间不足，无法解压安装包！",
            "ERROR 2 安装目录所在磁盘空间不足，请清理磁盘或更换安装目录后重试！"]
QUERY_FAILED = ["ERROR 2 连接失败,请检查Host或重新连接网络后重试！", "STATUS 连接失败！请检查Host或重新连接网络后重试！"]
INSTALLED = ["PROGRESS 970", "STATUS 正在安装，请稍候...", "PROGRESS 980", "PROGRESS 1000", "STATUS 安装完成",
             "FINISHED"]
TEMP_NO_SPACE = "ERROR 0 临时文件夹所在磁盘空间不足，请清理磁盘后重试！"

BACKUP_FOLDER = "BokrinSetup.rollback"
FILE_ATTRIBUTE_READONLY = 0x01
FILE_ATTRIBUTE_HIDDEN = 0x02
FILE_ATTRIBUTE_ARCHIVE = 0x20

# What A's user put into the install directory after installing it; no release has these.
USER_FILES = {"MyBooks/novel.epub": b"PK user's own book", "MyBooks/notes/margin.txt": b"page 12\r\n"}

# Sizes of the killed update's files: zeros, so that the package stays small while writing
# them takes long enough to be caught in the middle.
LARGE_FILE_COUNT = 60
LARGE_FILE_SIZE = 6 << 20


def release_entries(client, version, seed, large=False):
    """A release's entries in the order they are written: files that replace A's at the start
    and in the middle, new folders and files around them, and new files last."""
    rng = random.Random(seed)
    entries = [("Bokrin.exe", client + version.encode(), {}),
               ("Uninstall.exe", b"MZ uninstaller " + version.encode(), {}),
               ("readme.txt", ("Bokrin %s\r\n" % version).encode(), {})]
    entries += [("fonts/font-%02d.ttf" % i, rng.randbytes(8192), {}) for i in range(10)]
    entries += [("data/catalog.db", rng.randbytes(64 * 1024), {}),
                ("data/notes/read-only.txt", ("read-only %s\r\n" % version).encode(),
                 {"mtime": 1700000000 + seed, "dos_attributes": FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE}),
                ("data/hidden.dat", b"\x00hidden " + version.encode(),
                 {"mtime": 1600000000 + seed, "dos_attributes": FILE_ATTRIBUTE_HIDDEN}),
                ("data/chapters/", b"", {})]
    entries += [("data/chapters/chapter-%02d.txt" % i, rng.randbytes(4096), {}) for i in range(10)]
    if large:
        entries += [("large/part-%02d.bin" % i, bytes(LARGE_FILE_SIZE), {}) for i in range(LARGE_FILE_COUNT)]
    entries += [("openglessl/settings.txt", b"renderer=software\r\n", {}),
                ("last.txt", ("end of %s\r\n" % version).encode(), {})]
    return entries


def release_a(client):
    """The previous release: fewer files, one of them (plugins/) gone from every later release."""
    rng = random.Random(1)
    return [("Bokrin.exe", client, {}),
            ("Uninstall.exe", b"MZ uninstaller A", {}),
            ("readme.txt", b"Bokrin A\r\n", {}),
            ("data/catalog.db", rng.randbytes(32 * 1024), {}),
            ("data/notes/read-only.txt", b"read-only A\r\n",
             {"mtime": 1500000000, "dos_attributes": FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE}),
            ("data/hidden.dat", b"\x00hidden A", {"mtime": 1400000000, "dos_attributes": FILE_ATTRIBUTE_HIDDEN}),
            ("plugins/old-plugin.dll", rng.randbytes(16 * 1024), {"mtime": 1300000000})]


def lines_after_extracting(written, tail):
    """The engine's lines without the download's own when `written` entries were written, one
    progress value each, and `tail` followed."""
    return (e2e.FIRST_STEPS + e2e.BEFORE_DOWNLOAD + e2e.AFTER_DOWNLOAD +
            ["PROGRESS %d" % (801 + i) for i in range(written)] + tail)


def index_of(entries, name):
    return [entry[0] for entry in entries].index(name)


def dos_attributes(path):
    """Wine keeps the hidden and system bits in this attribute where the file system allows."""
    try:
        return os.getxattr(path, "user.DOSATTRIB", follow_symlinks=False)
    except OSError:
        return None


def snapshot(root):
    """Every folder and file below root: a file with its bytes, mode, write and access times
    and DOS attributes; read without touching the access time."""
    listing = {}
    for dirpath, dirnames, filenames in os.walk(root):
        for name in dirnames:
            path = os.path.join(dirpath, name)
            listing[os.path.relpath(path, root) + "/"] = {"mode": stat.S_IMODE(os.lstat(path).st_mode),
                                                        "dos": dos_attributes(path)}
        for name in filenames:
            path = os.path.join(dirpath, name)
            descriptor = os.open(path, os.O_RDONLY | os.O_NOATIME)
            with os.fdopen(descriptor, "rb") as f:
                data = f.read()
            info = os.lstat(path)
            listing[os.path.relpath(path, root)] = {"data": data, "mode": stat.S_IMODE(info.st_mode),
                                                    "mtime": info.st_mtime_ns, "atime": info.st_atime_ns,
                                                    "dos": dos_attributes(path)}
    return listing


def differences(expected, actual):
    """Readable lines for what differs between two snapshots."""
    lines = ["missing: " + p for p in sorted(expected.keys() - actual.keys())]
    lines += ["not expected: " + p for p in sorted(actual.keys() - expected.keys())]
    for path in sorted(expected.keys() & actual.keys()):
        changed = [field for field in expected[path] if expected[path][field] != actual[path].get(field)]
        if changed:
            lines.append("changed: %s (%s)" % (path, ", ".join(changed)))
    return lines


def damage(package, number, how):
    """Damages one entry consistently in its local header and its central record, so that the
    package passes every look before the extraction and fails only on the entry's data:
    "crc" flips its CRC, "size" announces one byte less than it holds."""
    with open(package, "r+b") as f:
        content = bytearray(f.read())
        end = content.rindex(b"PK\x05\x06")
        central = struct.unpack_from("<I", content, end + 16)[0]
        for _ in range(number):
            names, extra, comment = struct.unpack_from("<HHH", content, central + 28)
            central += 46 + names + extra + comment
        assert content[central:central + 4] == b"PK\x01\x02"
        local = struct.unpack_from("<I", content, central + 42)[0]
        assert content[local:local + 4] == b"PK\x03\x04"
        for crc_at, size_at in ((central + 16, central + 24), (local + 14, local + 22)):
            if how == "crc":
                struct.pack_into("<I", content, crc_at, struct.unpack_from("<I", content, crc_at)[0] ^ 0x5A5A5A5A)
            else:
                struct.pack_into("<I", content, size_at, struct.unpack_from("<I", content, size_at)[0] - 1)
        f.seek(0)
        f.write(content)


class RollbackEndToEndTest(e2e.EnvironmentTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        with open(os.path.join(cls.env.standin_dir, "Bokrin.exe"), "rb") as f:
            cls.client = f.read()
        cls.release_a = os.path.join(cls.package_dir, "release-a.zip")
        e2e.write_package(cls.release_a, release_a(cls.client))
        cls.entries_b = release_entries(cls.client, "B", 2)
        cls.release_b = os.path.join(cls.package_dir, "release-b.zip")
        e2e.write_package(cls.release_b, cls.entries_b)
        cls.install_dir = cls.env.unix_path(cls.env.install_dir)
        cls.journal_dir = os.path.join(cls.env.drive_c, "ProgramData", "BokrinSetup")
        temp = cls.env.temp_dir()
        cls.log = os.path.join(temp, "BokrinSetup.log")
        cls.old_log = os.path.join(temp, "BokrinSetup.old.log")
        cls.package_folder = os.path.join(temp, "BokrinInstallZip")
        cls.snapshot_a = None

    def setUp(self):
        self.env.reset_services()
        self.env.env.pop("BOKRIN_TEST_EXTRACTION_ROOM", None)
        self.start_from_release_a()

    def start_from_release_a(self):
        """Installs A again unless the install directory still is A as it was left."""
        if self.snapshot_a is None or snapshot(self.install_dir) != self.snapshot_a:
            self.install_release_a()
        self.assert_no_journal()

    def install_release_a(self):
        shutil.rmtree(self.install_dir, ignore_errors=True)
        self.env.set_release(zip=self.release_a, name="Bokrin.zip", version_no="1.13.6-a")
        code, lines = self.env.run_engine()
        self.assertEqual(code, 0, "\n".join(lines))
        for name, data in USER_FILES.items():
            path = os.path.join(self.install_dir, name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)
        type(self).snapshot_a = snapshot(self.install_dir)
        self.env.reset_services()

    def offer(self, package, version_no="1.13.7-b"):
        self.env.set_release(zip=package, name="Bokrin.zip", version_no=version_no)

    def run_update(self, expected_code):
        code, lines = self.env.run_engine()
        self.assertEqual(code, expected_code, "\n".join(lines))
        return lines

    def log_texts(self, path):
        with open(path, "rb") as f:
            return [line[24:] for line in f.read().decode("utf-8").split("\r\n") if line]

    def assert_no_journal(self):
        self.assertFalse(os.path.exists(self.journal_dir), "%ProgramData%\\BokrinSetup left")

    def assert_release_a_intact(self):
        self.assertEqual(differences(self.snapshot_a, snapshot(self.install_dir)), [])
        self.assertFalse(os.path.exists(os.path.join(self.install_dir, BACKUP_FOLDER)), "backup folder left")
        self.assert_no_journal()

    def assert_rolled_back_cleanly(self):
        rollbacks = [t for t in self.log_texts(self.log) if t.startswith("Rollback of ")]
        self.assertEqual(len(rollbacks), 1, rollbacks)
        self.assertTrue(rollbacks[0].startswith("Rollback of %s: " % self.env.install_dir), rollbacks[0])
        self.assertTrue(rollbacks[0].endswith(", 0 left as they are"), rollbacks[0])

    def assert_release_installed(self, entries):
        """The release's files byte for byte, A's files that it lacks and the user's untouched."""
        after = snapshot(self.install_dir)
        for name, data, _ in entries:
            if name.endswith("/"):
                self.assertIn(name, after)
            else:
                self.assertEqual(after[name]["data"], data, name)
        names = {name for name, _, _ in entries}
        kept = {path: self.snapshot_a[path] for path in self.snapshot_a
                if path not in names and not path.endswith("/")}
        self.assertEqual(differences(kept, {path: after.get(path, {}) for path in kept}), [])
        self.assertFalse(os.path.exists(os.path.join(self.install_dir, BACKUP_FOLDER)), "backup folder left")
        self.assert_no_journal()

    def assert_installed_lines(self, lines, entries):
        self.assertEqual(e2e.without_download(lines), lines_after_extracting(len(entries), INSTALLED))

    def test_damaged_entry_rolls_back(self):
        count = len(self.entries_b)
        for how in ("crc", "size"):
            for where, number in (("middle", index_of(self.entries_b, "data/notes/read-only.txt")),
                                  ("near the end", count - 2)):
                with self.subTest(how=how, where=where):
                    self.start_from_release_a()
                    package = os.path.join(self.package_dir, "damaged-%s-%d.zip" % (how, number))
                    shutil.copyfile(self.release_b, package)
                    damage(package, number, how)
                    self.offer(package)
                    lines = self.run_update(1)
                    self.assertEqual(e2e.without_download(lines), lines_after_extracting(number, e2e.OPENING_FAILED))
                    self.assert_release_a_intact()
                    self.assert_rolled_back_cleanly()

    def test_file_of_a_held_by_another_program(self):
        self.offer(self.release_b)
        held = "data/catalog.db"
        with self.env.file_held(self.env.install_dir + held.replace("/", "\\")):
            lines = self.run_update(1)
        self.assertEqual(e2e.without_download(lines),
                         lines_after_extracting(index_of(self.entries_b, held),
                                                    ["ERROR 2 文件被其他程序占用：data\\catalog.db，请关闭该程序后重试！"]))
        self.assert_release_a_intact()
        self.assert_rolled_back_cleanly()

    def test_no_space_for_the_last_entries(self):
        # The count of written bytes lives in the Windows process: the variable has to reach it.
        self.env.env["BOKRIN_TEST_EXTRACTION_ROOM"] = "12345"
        echoed = self.env.wine(["cmd", "/c", "echo %BOKRIN_TEST_EXTRACTION_ROOM%"]).stdout
        self.assertEqual(echoed.decode("utf-8", "replace").strip(), "12345")
        failing = len(self.entries_b) - 2
        room = sum(len(data) for _, data, _ in self.entries_b[:failing])
        self.env.env["BOKRIN_TEST_EXTRACTION_ROOM"] = str(room)
        self.offer(self.release_b)
        lines = self.run_update(1)
        self.assertEqual(e2e.without_download(lines), lines_after_extracting(failing, NO_SPACE))
        self.assert_release_a_intact()
        self.assert_rolled_back_cleanly()

    def engine_processes(self):
        """The Linux ids of the engine-run processes of this test's Wine prefix. Wine hands a
        Windows process over to init, so it is found by its command and its prefix."""
        prefix = b"\0WINEPREFIX=" + self.env.prefix.encode() + b"\0"
        found = []
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                with open("/proc/%s/cmdline" % pid, "rb") as f:
                    command = f.read().split(b"\0")[0]
                with open("/proc/%s/environ" % pid, "rb") as f:
                    environment = b"\0" + f.read()
            except OSError:
                continue
            # A 64-bit Wine process shows its Windows path, a 32-bit one the Unix path it was started by.
            if command.lower().replace(b"/", b"\\").endswith(b"\\engine-run.exe") and prefix in environment:
                found.append(int(pid))
        return found

    def test_killed_update_is_undone_by_the_next_run(self):
        entries = release_entries(self.client, "large B", 3, large=True)
        package = os.path.join(self.package_dir, "large-b.zip")
        e2e.write_package(package, entries)
        self.offer(package)
        first_large = os.path.join(self.install_dir, "large/part-02.bin")
        last_large = os.path.join(self.install_dir, "large/part-%02d.bin" % (LARGE_FILE_COUNT - 1))
        output = os.path.join(self.env.work, "killed-run.out")
        with open(output, "wb") as out:
            launcher = subprocess.Popen([os.path.join(e2e.ROOT, "tools", "wine-run"), self.env.engine_run],
                                        env=self.env.env, stdin=subprocess.DEVNULL, stdout=out,
                                        stderr=subprocess.DEVNULL)
        try:
            deadline = time.monotonic() + 120
            while not os.path.exists(first_large) and launcher.poll() is None and time.monotonic() < deadline:
                time.sleep(0.02)
            engines = self.engine_processes()
            self.assertTrue(engines, "no engine-run process to kill")
        finally:
            for pid in self.engine_processes():
                os.kill(pid, signal.SIGKILL)
            launcher.wait(timeout=60)
        with open(output, "rb") as f:
            killed_lines = f.read().decode("utf-8").splitlines()
        self.assertNotIn("FINISHED", killed_lines)
        self.assertTrue(os.path.exists(first_large), "the extraction had not reached the large files")
        self.assertFalse(os.path.exists(last_large), "the extraction had finished before the kill")
        self.assertTrue(os.listdir(self.journal_dir), "the killed run left no journal")

        self.env.set_mode("version", "error-code")
        lines = self.run_update(1)
        self.assertEqual(lines, e2e.FIRST_STEPS + QUERY_FAILED)
        self.assert_release_a_intact()
        killed_log = self.log_texts(self.old_log)
        self.assertIn("Extraction started into " + self.env.install_dir, killed_log)
        self.assertNotIn("Extraction finished", killed_log)
        texts = self.log_texts(self.log)
        recovery = "Recovery: the installation into %s did not finish; it is rolled back" % self.env.install_dir
        self.assertIn(recovery, texts)
        self.assertLess(texts.index(recovery), texts.index("Version query started"))
        self.assert_rolled_back_cleanly()

    def test_update_over_a_keeps_what_b_lacks(self):
        self.offer(self.release_b)
        self.assert_installed_lines(self.run_update(0), self.entries_b)
        self.assert_release_installed(self.entries_b)
        self.assertIn("plugins/old-plugin.dll", self.snapshot_a)
        self.assertIn("MyBooks/novel.epub", self.snapshot_a)

    # The download.

    def test_broken_download_resumes_with_a_range(self):
        size = os.path.getsize(self.release_b)
        after = size * 6 // 10
        self.offer(self.release_b)
        self.env.control("POST", "/mode?service=package&variant=break-once&after=%d" % after)
        lines = self.run_update(0)
        self.assert_installed_lines(lines, self.entries_b)
        # The page never goes back: the second attempt goes on from where the first ended.
        values = e2e.progress_values(lines)
        self.assertEqual(values, sorted(set(values)))
        self.assert_release_installed(self.entries_b)
        stats = self.env.stats()
        self.assertEqual(stats["requests"]["package"], 2, stats)
        self.assertLessEqual(stats["package_bytes"], size * 1.1, stats)
        request = self.env.last_request("package").decode("latin-1")
        ranges = [line for line in request.split("\r\n") if line.lower().startswith("range: bytes=")]
        self.assertEqual(len(ranges), 1, request)
        start = int(ranges[0].split("=", 1)[1].rstrip("-"))
        self.assertGreater(start, 0, request)
        self.assertLessEqual(start, after, request)
        self.assertIn("\r\nIf-Range: ", request)

    def test_package_changed_between_attempts_starts_again(self):
        changed_entries = release_entries(self.client, "changed B", 4)
        changed = os.path.join(self.package_dir, "changed-b.zip")
        e2e.write_package(changed, changed_entries)
        # Served under another name; the announced release stays B.
        self.env.set_release(zip=changed, name="changed-b.zip")
        self.offer(self.release_b)
        after = os.path.getsize(self.release_b) * 6 // 10
        self.env.control("POST", "/mode?service=package&variant=break-once&after=%d&then=changed-b.zip" % after)
        self.assert_installed_lines(self.run_update(0), changed_entries)
        self.assert_release_installed(changed_entries)
        package_path = self.env.reg_query(r"HKLM\SOFTWARE\Bokrin", "BokrinPackage")
        with open(self.env.unix_path(package_path), "rb") as downloaded, open(changed, "rb") as served:
            self.assertEqual(downloaded.read(), served.read())
        stats = self.env.stats()
        self.assertEqual(stats["requests"]["package"], 2, stats)
        self.assertEqual(stats["package_bytes"], after + os.path.getsize(changed), stats)

    def test_package_larger_than_its_volume_fails_at_once(self):
        for variant, announced in (("huge-length", None), ("no-length", str(1 << 50))):
            with self.subTest(variant=variant):
                self.start_from_release_a()
                self.env.reset_services()
                if announced is None:
                    self.offer(self.release_b)
                else:
                    self.env.set_release(zip=self.release_b, name="Bokrin.zip", version_no="1.13.7-b", size=announced)
                self.env.set_mode("package", variant)
                lines = self.run_update(3)
                self.assertEqual(lines, e2e.FIRST_STEPS + e2e.BEFORE_DOWNLOAD + [TEMP_NO_SPACE])
                self.assert_release_a_intact()

    def test_folder_in_the_package_files_place(self):
        planted = os.path.join(self.package_folder, "Bokrin.zip")
        if os.path.isdir(planted):
            shutil.rmtree(planted)
        elif os.path.lexists(planted):
            os.remove(planted)
        os.makedirs(os.path.join(planted, "inside"))
        self.offer(self.release_b)
        self.assert_installed_lines(self.run_update(0), self.entries_b)
        self.assert_release_installed(self.entries_b)
        package_path = self.env.reg_query(r"HKLM\SOFTWARE\Bokrin", "BokrinPackage")
        self.assertTrue(os.path.isfile(self.env.unix_path(package_path)), package_path)
        with open(self.env.unix_path(package_path), "rb") as downloaded, open(self.release_b, "rb") as served:
            self.assertEqual(downloaded.read(), served.read())


if __name__ == "__main__":
    e2e.main(RollbackEndToEndTest)
