"""The real wizard cancelled in the middle of extracting a large release over an installed earlier
one, driven through the X display with the pointer: the installer ends once the engine has put
the earlier release back, byte for byte, and its setup log tells the cancel and the rollback.

Clicking the close button and waiting for the box takes seconds, longer than Wine takes to
extract thousands of entries, so the question is asked while the version reply still trickles in
and answered with the pointer already on OK the moment the log says that the extraction began."""
import os
import random
import re
import sys
import time

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(SOURCE_DIR, "engine", "e2e"))
import e2e_support  # noqa: E402
import wizard_driver  # noqa: E402
from wizard_driver import read_text  # noqa: E402

# Enough entries and bytes that the extraction under Wine lasts seconds, many times the moment
# between the log line and the click.
LARGE_FOLDERS = 400
LARGE_FILES_PER_FOLDER = 100
LARGE_FILE_BYTES = 1024
# A version reply of some hundred bytes takes seconds at this pause before each byte: time for the
# question to come up before the package is fetched.
VERSION_BYTE_PAUSE = 0.02


class CancelEndToEnd(e2e_support.EnvironmentTestCase):
    def large_package(self, earlier_files):
        """A later release: new bytes for every file of the earlier one, first, so that each is
        moved aside before the cancel comes, then thousands of files of random bytes."""
        generator = random.Random(1729)
        entries = [(name.replace(os.sep, "/"), b"later release of %s\r\n" % name.encode(), {})
                   for name in sorted(earlier_files)]
        for folder in range(LARGE_FOLDERS):
            for number in range(LARGE_FILES_PER_FOLDER):
                entries.append(("library/shelf%02d/book%03d.bin" % (folder, number),
                                generator.randbytes(LARGE_FILE_BYTES), {}))
        path = os.path.join(self.package_dir, "large.zip")
        e2e_support.write_package(path, entries)
        return path

    def test_cancel_during_the_extraction_restores_the_earlier_release(self):
        self.env.reset_services()
        code, lines = self.env.run_engine()
        self.assertEqual(code, 0, "\n".join(lines))
        self.assertEqual(lines[-1], "FINISHED")
        install_dir = self.env.unix_path(self.env.install_dir)
        earlier = e2e_support.tree(install_dir)
        earlier_files = [name for name, digest in earlier.items() if digest is not None]
        self.assertIn("Bokrin.exe", earlier_files)

        self.env.set_release(zip=self.large_package(earlier_files), name="Bokrin.zip", version_no="1.13.7")
        temp = self.env.temp_dir()
        log = os.path.join(temp, "BokrinSetup.log")
        for name in ("BokrinSetup.log", "BokrinSetup.old.log"):
            if os.path.exists(os.path.join(temp, name)):
                os.remove(os.path.join(temp, name))

        driver = wizard_driver.WizardDriver(self.env, os.path.join(self.env.work, "screenshots"))
        try:
            driver.start()
            self.env.control("POST", "/mode?service=version&variant=trickle&interval=%s" % VERSION_BYTE_PAUSE)
            driver.click(0, "btn_InstallFast")
            driver.click(2, "btn_CloseInstallGuideWnd")
            driver.point_at_box(driver.wait_for_box(), "btn_ok")
            self.assertNotIn("Download started", read_text(log), "the question came after the version reply")
            driver.wait_for(lambda: "Extraction started into" in read_text(log), 240, "the extraction", interval=0.05)
            driver.press()
            confirmed = time.monotonic()
            self.assertEqual(driver.wait_for_exit(60), 1, "the exit code of a cancelled installation")
            print("  from the OK to the end of the installer: %.1f s" % (time.monotonic() - confirmed))
        finally:
            driver.stop()

        text = read_text(log)
        stopped = re.search(r"Extraction stopped before entry (\d+)", text)
        self.assertIsNotNone(stopped, text)
        # Past every replaced file of the earlier release, and before the end of the package.
        self.assertGreater(int(stopped.group(1)), len(earlier_files), text)
        self.assertIn("Installation cancelled", text)
        rollback = re.search(r"Rollback of (.*): (\d+) files removed, \d+ folders removed, (\d+) files restored, "
                             r"(\d+) left as they are", text)
        self.assertIsNotNone(rollback, text)
        self.assertEqual(rollback.group(1), self.env.install_dir)
        self.assertEqual(int(rollback.group(3)), len(earlier_files), rollback.group(0))
        self.assertEqual(int(rollback.group(4)), 0, rollback.group(0))
        self.assertIn("Cancel: the installation has stopped", text)
        self.assertNotIn("Installation finished", text)

        # The earlier release as it was: nothing of the later one, no backup folder.
        after = e2e_support.tree(install_dir)
        self.assertEqual(sorted(set(after) - set(earlier)), [])
        self.assertEqual(sorted(set(earlier) - set(after)), [])
        self.assertEqual(after, earlier)
        journal = os.path.join(self.env.drive_c, "ProgramData", "BokrinSetup", "Rollback.journal")
        self.assertFalse(os.path.exists(journal), journal)


if __name__ == "__main__":
    e2e_support.main(CancelEndToEnd)
