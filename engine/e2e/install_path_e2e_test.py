#!/usr/bin/env python3
"""End to end: links and user-writable folders on the install path. A link (a Unix symbolic
link made from the Linux side, which is what this Wine shows as a reparse point) as the install
folder, above it or as a folder of the package stops the installation before anything is
written, and its target stays as it was; a folder that standard users can write is installed
into, with the log saying that the client there is started only with the desktop user's rights.

    tools/test-env --work build/win64/e2e/install_path --fresh-prefix --services -- \
        engine/e2e/install_path_e2e_test.py --build-dir build/win64
"""
import os
import shutil
import sys

sys.dont_write_bytecode = True  # no cache files beside the sources
import e2e_support as e2e  # noqa: E402

# Refused before anything is written: told as a package that cannot be opened (engine-run's
# code 1 after an error of mode 2); the installer's own exit code, in the log, blames the
# install directory.
LINK_REFUSED = e2e.AFTER_DOWNLOAD + e2e.OPENING_FAILED


class InstallPathEndToEndTest(e2e.EnvironmentTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        with open(os.path.join(cls.env.standin_dir, "Bokrin.exe"), "rb") as f:
            client = f.read()
        cls.entries = [("Bokrin.exe", client, {}), ("Uninstall.exe", b"MZ stand-in", {}),
                       ("openglessl/settings.txt", b"renderer=software\r\n", {}),
                       ("openglessl/shaders/basic.frag", b"void main() {}\n", {})]
        cls.package = os.path.join(cls.package_dir, "release.zip")
        e2e.write_package(cls.package, cls.entries)
        cls.log = os.path.join(cls.env.temp_dir(), "BokrinSetup.log")
        cls.journal_dir = os.path.join(cls.env.drive_c, "ProgramData", "BokrinSetup")
        cls.apps = os.path.join(cls.env.drive_c, "Apps")

    def setUp(self):
        self.env.reset_services()
        self.env.set_release(zip=self.package, name="Bokrin.zip", version_no="1.13.6")
        for path in (self.apps, self.log):
            if os.path.islink(path) or os.path.isfile(path):
                os.remove(path)
            elif os.path.isdir(path):
                shutil.rmtree(path)
        os.makedirs(self.apps)

    def log_text(self):
        with open(self.log, "rb") as f:
            return f.read().decode("utf-8")

    def link_target(self, name):
        """A folder outside the install path with a file of its own: what a link points to."""
        target = os.path.join(self.apps, name)
        os.makedirs(target)
        with open(os.path.join(target, "precious.txt"), "wb") as f:
            f.write(b"not the installer's\r\n")
        return target

    def assert_refused(self, install_dir, link, target):
        before = e2e.tree(target)
        code, lines = self.env.run_engine(install_dir)
        self.assertEqual(code, 1, "\n".join(lines))
        self.assertEqual(lines[-len(LINK_REFUSED):], LINK_REFUSED, "\n".join(lines))
        self.assertIn("Installation result: exit code 5", self.log_text())
        self.assertEqual(e2e.tree(target), before, "written through the link")
        self.assertFalse(os.path.exists(self.journal_dir), "a journal was started")
        self.assertIn("Install path: %s is a link" % link, self.log_text())
        self.assertIn("nothing is written through it", self.log_text())

    def test_link_as_install_folder_above_it_or_as_a_package_folder_is_refused(self):
        rows = [
            # (what, the link's name below C:\Apps, the install folder below C:\Apps)
            ("the install folder", "Bokrin", "Bokrin"),
            ("a folder above it", "Programs", "Programs\\Bokrin"),
        ]
        for what, link_name, install_name in rows:
            with self.subTest(what):
                self.setUp()
                target = self.link_target("target")
                os.symlink(target, os.path.join(self.apps, link_name))
                self.assert_refused("C:\\Apps\\%s\\" % install_name, "C:\\Apps\\%s" % link_name, target)

    def test_earlier_installations_package_folder_replaced_by_a_link_is_refused(self):
        code, lines = self.env.run_engine("C:\\Apps\\Bokrin\\")
        self.assertEqual(code, 0, "\n".join(lines))
        install_dir = os.path.join(self.apps, "Bokrin")
        target = self.link_target("target")
        shutil.rmtree(os.path.join(install_dir, "openglessl"))
        os.symlink(target, os.path.join(install_dir, "openglessl"))
        installed = e2e.tree(install_dir)

        self.assert_refused("C:\\Apps\\Bokrin\\", "C:\\Apps\\Bokrin\\openglessl", target)
        # The earlier installation is as it was.
        self.assertEqual(e2e.tree(install_dir), installed)

    def test_folder_that_standard_users_can_write_is_installed_into_and_logged(self):
        rows = [
            # (what, the folder that Everyone may write, below C:\Apps)
            ("the install folder itself", "Shared/Bokrin"),
            # The installer makes Bokrin\ with its own protection, but whoever may change the
            # folder above could rename it away and put their own in its place.
            ("the folder above it", "Shared"),
        ]
        for what, writable in rows:
            with self.subTest(what):
                self.setUp()
                os.makedirs(os.path.join(self.apps, writable))
                # What this Wine shows as Everyone being allowed to write.
                os.chmod(os.path.join(self.apps, writable), 0o777)

                code, lines = self.env.run_engine("C:\\Apps\\Shared\\")

                self.assertEqual(code, 0, "\n".join(lines))
                self.assert_installed(os.path.join(self.apps, "Shared", "Bokrin"), self.entries)
                self.assertIn("Extraction: standard users can write the chosen folder C:\\Apps\\Shared\\Bokrin\\; the "
                              "client will be started only with the desktop user's rights", self.log_text())
                self.assertIn("Install path: standard users may replace what is in C:\\Apps\\Shared\\Bokrin\\, "
                              "through C:\\Apps\\%s\\" % writable.replace("/", "\\"), self.log_text())

    def test_folder_that_only_administrators_can_write_is_not_logged_as_writable(self):
        code, lines = self.env.run_engine("C:\\Apps\\Own\\")

        self.assertEqual(code, 0, "\n".join(lines))
        self.assert_installed(os.path.join(self.apps, "Own", "Bokrin"), self.entries)
        self.assertNotIn("standard users", self.log_text())


if __name__ == "__main__":
    e2e.main(InstallPathEndToEndTest)
