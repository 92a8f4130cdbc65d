#!/usr/bin/env python3
"""End to end: BokrinSetup.exe run from a script with /S. It installs into the directories named
on its command line (blanks, Chinese and Hangul in them) without showing any window, tells each
kind of failure by its exit code with the client installed before left as it was, starts the
client with /LAUNCH, and refuses to run beside another silent installer.

    tools/test-env --work build/win64/e2e/silent --fresh-prefix --services -- \
        entry/e2e/silent_e2e_test.py --build-dir build/win64
"""
import contextlib
import os
import re
import shutil
import subprocess
import sys
import time

sys.dont_write_bytecode = True  # no cache files beside the sources
SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(SOURCE_DIR, "engine", "e2e"))
import e2e_support as e2e  # noqa: E402

INSTALL_KEY = r"HKEY_LOCAL_MACHINE\SOFTWARE\Bokrin"
UNINSTALL_KEY = r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Bokrin"
LINK_NAME = "Bokrin阅读.lnk"
USAGE_BOX_TITLE = "Bokrin阅读安装程序"

# As a deployment script writes them: the book directory quoted, the install directory last and
# bare. Neither names "Bokrin", so both get the installer's sub-directory.
BOOK_TEXT = "C:\\书 籍 책"
INSTALL_TEXT = "C:\\安装 目录 설치"
INSTALL_DIR = INSTALL_TEXT + "\\Bokrin\\"
BOOK_DIR = BOOK_TEXT + "\\BokrinEBooks\\"

# Stages of a whole installation in the setup log, in this order.
INSTALL_STAGES = ["Silent run", "Installation started", "Download started", "Extraction started",
                  "Registration started", "Installation finished", "Installation result: exit code 0",
                  "Silent run ended: exit code 0"]

# A version reply of some hundred bytes takes seconds at this pause before each byte: the first
# installer is still asking while the second one starts.
VERSION_BYTE_PAUSE = 0.03


def log_texts(path):
    """The texts of a setup log's lines, without their time stamps."""
    with open(path, "rb") as f:
        lines = f.read().decode("utf-8").splitlines()
    return [re.sub(r"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} ", "", line) for line in lines]


def visible_windows():
    """Id -> name of every window mapped on the test display."""
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", ""], capture_output=True, text=True)
    windows = {}
    for window in found.stdout.split():
        name = subprocess.run(["xdotool", "getwindowname", window], capture_output=True, text=True)
        windows[window] = name.stdout.strip()
    return windows


class SilentInstallerEndToEnd(e2e.EnvironmentTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.installer = os.path.join(cls.env.build_dir, "BokrinSetup.exe")
        # Afresh: a log of an earlier run would tell of stages that this one never reached.
        cls.log_dir = os.path.join(cls.env.work, "logs")
        shutil.rmtree(cls.log_dir, ignore_errors=True)
        os.makedirs(cls.log_dir)
        cls.temp_log = os.path.join(cls.env.temp_dir(), "BokrinSetup.log")
        with open(os.path.join(cls.env.standin_dir, "Bokrin.exe"), "rb") as f:
            cls.client = f.read()
        with open(os.path.join(cls.env.standin_dir, "Uninstall.exe"), "rb") as f:
            cls.uninstaller = f.read()

    def setUp(self):
        self.env.reset_services()

    # Running the installer.
    def start_installer(self, arguments, name):
        """Starts BokrinSetup.exe with `arguments` as the rest of its command line, exactly as
        written."""
        with open(os.path.join(self.log_dir, name + ".out"), "wb") as output:
            return self.env.start_with_command_line(self.installer, arguments, output)

    def run_installer(self, arguments, name, answer=None, timeout=300):
        """The exit code of one run, and the windows that showed up on the display meanwhile;
        `answer` is called with the id and name of each one as it comes."""
        before = visible_windows()
        installer = self.start_installer(arguments, name)
        appeared = {}
        deadline = time.monotonic() + timeout
        while installer.poll() is None:
            if time.monotonic() > deadline:
                installer.kill()
                installer.wait()
                raise AssertionError("the installer did not end: %s" % arguments)
            # A window may be mapped before it has its title: it is answered again once it has.
            for window, title in visible_windows().items():
                if window in before or appeared.get(window) == title:
                    continue
                appeared[window] = title
                if answer:
                    answer(window, title)
            time.sleep(0.1)
        return installer.returncode, appeared

    def run_silent(self, arguments, name, expected_code, log_copy=True):
        """Runs the installer; returns its setup log after checking that the run showed nothing
        and ended with `expected_code`, and that the /LOG= copy is the setup log itself."""
        copy = os.path.join(self.log_dir, name + "-日志.log")
        if log_copy:
            arguments = "/LOG=%s %s" % (e2e.windows_path(copy), arguments)
        code, appeared = self.run_installer("/S " + arguments, name)
        texts = log_texts(self.temp_log)
        self.assertEqual(code, expected_code, "\n".join(texts))
        self.assertEqual(appeared, {}, "windows shown by a silent run")
        if log_copy:
            with open(copy, "rb") as f, open(self.temp_log, "rb") as g:
                self.assertEqual(f.read(), g.read(), "the /LOG= copy differs from the setup log")
        self.assertEqual(texts[-1], "Silent run ended: exit code %d" % expected_code, "\n".join(texts))
        return texts

    # Packages, files and registry.
    def release(self, version, name, extra_entries=()):
        """Announces a release whose every file carries its version, so that a run that should
        have changed nothing and did is seen."""
        entries = [("Bokrin.exe", self.client + version.encode(), {}),
                   ("Uninstall.exe", self.uninstaller, {}),
                   ("readme.txt", ("Bokrin %s\r\n" % version).encode(), {}),
                   ("openglessl/settings.txt", b"renderer=software\r\n", {}),
                   ("data/chapter.txt", os.urandom(4096), {})] + list(extra_entries)
        path = os.path.join(self.package_dir, name)
        e2e.write_package(path, entries)
        self.env.set_release(zip=path, name="Bokrin.zip", version_no=version)
        return entries

    def recorded_install_dir(self):
        return self.env.registry_values(INSTALL_KEY).get("Bokrin")

    def link_paths(self):
        user = self.env.user_dir
        return [os.path.join(user, "Desktop", LINK_NAME),
                os.path.join(user, "AppData", "Roaming", "Microsoft", "Windows", "Start Menu", "Programs", LINK_NAME)]

    def install_release(self, version, install_text):
        """A good silent installation into `install_text`; the install directory as seen here."""
        entries = self.release(version, "release-%s.zip" % version)
        self.run_silent("/D=" + install_text, "install-" + version, 0)
        install_dir = self.env.unix_path(self.recorded_install_dir())
        for name, data, _ in entries:
            with open(os.path.join(install_dir, name), "rb") as f:
                self.assertEqual(f.read(), data, name)
        return install_dir

    # The cases.
    def test_1_window_watch_sees_the_usage_box(self):
        # What makes the silent runs' "no window" mean something: the same watch sees the box
        # of a run without /S.
        def press_ok(window, title):
            if title == USAGE_BOX_TITLE:
                time.sleep(0.5)  # until the box takes keys
                subprocess.run(["xdotool", "windowfocus", "--sync", window, "key", "Return"], timeout=30)

        code, appeared = self.run_installer("/?", "usage", answer=press_ok, timeout=60)
        self.assertIn(USAGE_BOX_TITLE, appeared.values(),
                      "exit code %d, setup log:\n%s" % (code, "\n".join(log_texts(self.temp_log))))
        self.assertEqual(code, 0, "the exit code of a usage that was asked for")

    def test_2_silent_install_into_directories_with_blanks_chinese_and_hangul(self):
        entries = self.release("2.0.0", "first.zip", [("openglessl/", b"", {})])
        texts = self.run_silent('/BOOKDIR="%s" /D=%s' % (BOOK_TEXT, INSTALL_TEXT), "hangul", 0)

        # Taken as written, completed once the release is known.
        self.assertIn('Installation started: install directory "%s", book directory "%s"'
                      % (INSTALL_TEXT, BOOK_TEXT), texts)
        self.assertIn('Locations: install directory "%s", book directory "%s"' % (INSTALL_DIR, BOOK_DIR), texts)
        self.assert_in_order(texts, INSTALL_STAGES)
        started = next(i for i, t in enumerate(texts) if t.startswith("Installation started"))
        finished = texts.index("Installation finished")
        statuses = [t for t in texts[started:finished] if t.startswith("Status: ")]
        self.assertIn("Status: 正在下载，请稍候...", statuses)
        self.assertIn("Status: 正在解压，请稍候...", statuses)
        percents = [int(m.group(1)) for m in (re.fullmatch(r"Progress: (\d+)%.*", t) for t in texts[started:]) if m]
        self.assertEqual(percents, sorted(set(percents)), "progress goes back or repeats")
        self.assertEqual(percents[-1], 100, percents)
        self.assertGreaterEqual(len(percents), 5, percents)

        self.assert_installed(self.env.unix_path(INSTALL_DIR), entries)
        self.assertTrue(os.path.isdir(self.env.unix_path(BOOK_DIR)), BOOK_DIR)
        self.assertFalse(os.path.exists(self.env.unix_path(INSTALL_TEXT + "\\Bokrin.exe")))

        recorded = self.env.registry_values(INSTALL_KEY)
        self.assertEqual(recorded.get("Bokrin"), INSTALL_DIR, recorded)
        self.assertEqual(recorded.get("BokrinEbook"), BOOK_DIR, recorded)
        uninstall = self.env.registry_values(UNINSTALL_KEY)
        self.assertEqual(uninstall.get("DisplayIcon"), INSTALL_DIR + "Bokrin.exe", uninstall)
        self.assertEqual(uninstall.get("UninstallString"), '"%sUninstall.exe"' % INSTALL_DIR, uninstall)
        self.assertEqual(uninstall.get("DisplayVersion"), "2.0.0", uninstall)
        target = (INSTALL_DIR + "Bokrin.exe").encode("utf-16-le")
        for link in self.link_paths():
            with open(link, "rb") as f:
                content = f.read()
            self.assertTrue(content.startswith(b"\x4c\x00\x00\x00"), link)  # shell link header
            self.assertIn(target, content, link)

    def test_3_each_failure_has_its_code_and_leaves_the_installed_client(self):
        install_dir = self.install_release("3.0.0", "C:\\Program Files\\Earlier Bokrin")
        self.assertEqual(self.recorded_install_dir(), "C:\\Program Files\\Earlier Bokrin\\")
        installed = e2e.tree(install_dir)
        readme = self.recorded_install_dir() + "readme.txt"

        def damaged():
            path = os.path.join(self.package_dir, "damaged.zip")
            e2e.write_package(path, [("Bokrin.exe", os.urandom(64 * 1024), {}), ("readme.txt", b"damaged", {})])
            with open(path, "r+b") as f:  # the first entry's compressed data
                f.seek(2000)
                f.write(b"\xff" * 4000)
            self.env.set_release(zip=path, name="Bokrin.zip", version_no="3.0.2")

        def hostile():
            self.release("3.0.3", "hostile.zip", [("../escape.txt", b"out", {})])

        def later(service=None, variant=None):
            def prepare():
                self.release("3.0.1", "later.zip")
                if service:
                    self.env.set_mode(service, variant)
            return prepare

        def held():
            later()()
            return self.env.file_held(readme)

        # (name, preparation returning what to hold during the run or None, arguments, exit code,
        # the refusal logged before any installation or None); every release holds readme.txt
        # with other bytes than the installed one, so that a run that replaced anything is seen.
        rows = [
            ("version-service-error", later("version", "error-code"), "", 2, None),
            ("download-cut-short", later("package", "cut-short"), "", 3, None),
            ("damaged-package", damaged, "", 4, None),
            ("entry-outside-the-directory", hostile, "", 4, None),
            ("client-file-held-open", held, "", 5, None),
            ("install-directory-is-a-file", later(), "/D=" + readme, 7,
             'Silent run refused: the install directory "%s" cannot be used' % readme),
            ("unknown-switch", later(), "/X", 7, "Silent run refused: the switch /X cannot be taken (fault 2)"),
        ]
        for name, prepare, arguments, code, refusal in rows:
            with self.subTest(name):
                self.env.reset_services()
                during = prepare()
                # A command line that is refused as a whole has no /LOG= copy either.
                log_copy = name != "unknown-switch"
                with during or contextlib.nullcontext():
                    texts = self.run_silent(arguments, name, code, log_copy)
                if refusal is None:
                    self.assert_in_order(texts, ["Silent run", "Installation started",
                                                 "Installation result: exit code %d" % code])
                    self.assertNotIn("Installation finished", texts)
                else:
                    self.assertEqual(texts[-3:], ["Silent run", refusal, "Silent run ended: exit code 7"])
                self.assertEqual(e2e.tree(install_dir), installed, "the installed client changed")
                self.assertEqual(self.recorded_install_dir(), "C:\\Program Files\\Earlier Bokrin\\")
        self.assertEqual([p for p in os.listdir(os.path.dirname(install_dir.rstrip("/")))
                          if p.startswith("escape")], [])

    def test_4_second_silent_installer_while_the_first_runs(self):
        self.release("4.0.0", "slow.zip")
        self.env.control("POST", "/mode?service=version&variant=trickle&interval=%s" % VERSION_BYTE_PAUSE)
        first_copy = os.path.join(self.log_dir, "first-日志.log")
        second_copy = os.path.join(self.log_dir, "second-日志.log")
        first = self.start_installer("/S /LOG=%s" % e2e.windows_path(first_copy), "first")
        try:
            deadline = time.monotonic() + 120
            while not (os.path.exists(first_copy) and
                       any(t.startswith("Installation started") for t in log_texts(first_copy))):
                self.assertIsNone(first.poll(), "the first installer ended early")
                self.assertLess(time.monotonic(), deadline, "the first installer did not start installing")
                time.sleep(0.1)
            code, appeared = self.run_installer("/S /LOG=%s" % e2e.windows_path(second_copy), "second")
            self.assertIsNone(first.poll(), "the first installer ended before the second did: nothing was tested")
            second = log_texts(second_copy)
            self.assertEqual(code, 8, "\n".join(second))
            self.assertEqual(appeared, {})
            self.assertEqual(second[-2:], ["Silent run: another installer is running", "Silent run ended: exit code 8"])
            self.assertFalse([t for t in second if t.startswith("Installation started")], "\n".join(second))
            self.assertEqual(first.wait(timeout=300), 0, "\n".join(log_texts(first_copy)))
        finally:
            if first.poll() is None:
                first.kill()
                first.wait()
        texts = log_texts(first_copy)
        self.assert_in_order(texts, INSTALL_STAGES)
        self.assertNotIn("Silent run: another installer is running", texts)
        # The first one's setup log was left alone by the second one.
        with open(first_copy, "rb") as f, open(self.temp_log, "rb") as g:
            self.assertEqual(f.read(), g.read())

    def test_5_launch_only_when_asked(self):
        install_dir = self.env.unix_path(self.recorded_install_dir())
        started_client = os.path.join(install_dir, "launch-args.txt")
        for launch in (False, True):
            with self.subTest(launch=launch):
                self.release("5.0.%d" % launch, "launch-%d.zip" % launch)
                if os.path.exists(started_client):
                    os.remove(started_client)
                texts = self.run_silent("/LAUNCH" if launch else "", "launch-%d" % launch, 0)
                launches = [t for t in texts if t.startswith("Launch")]
                if not launch:
                    self.assertEqual(launches, [])
                    time.sleep(3)  # a client started anyway would have written its command line
                    self.assertFalse(os.path.exists(started_client), "a client was started without /LAUNCH")
                    continue
                directory = self.recorded_install_dir()
                parameters = '"%s" "%sopenglessl\\"' % (directory, directory)
                self.assertEqual(launches[:1], ["Launch: starting %sBokrin.exe %s" % (directory, parameters)])
                self.assertIn(launches[-1], ["Launch: the client was started by the desktop's shell, with the "
                                             "desktop user's rights",
                                             "Launch: the client was started by this installer, with its rights"])
                self.assert_in_order(texts, ["Installation finished", "Launch: starting", launches[-1],
                                             "Silent run ended: exit code 0"])
                command_line = e2e.client_command_line(started_client)
                self.assertTrue(command_line.endswith(" " + parameters), command_line)
                self.assertEqual(command_line[:-len(parameters) - 1].strip().strip('"').lower(),
                                 (directory + "Bokrin.exe").lower())


if __name__ == "__main__":
    e2e.main(SilentInstallerEndToEnd)
