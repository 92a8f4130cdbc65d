"""The real wizard started with a command line, driven through the X display with the pointer:
directories given with /D= and /BOOKDIR= fill the customise page and are installed into as they
stand, and the installer's exit code tells how the wizard's last installation ended."""
import os
import subprocess
import sys
import time

from PIL import Image, ImageChops

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(SOURCE_DIR, "engine", "e2e"))
import e2e_support  # noqa: E402
import wizard_driver  # noqa: E402
from wizard_driver import read_text  # noqa: E402

# Blanks, Chinese and Hangul: Hangul lies outside the ANSI code page 936 of the prefix.
GIVEN_INSTALL_DIR = "C:\\安装 目录 설치"
GIVEN_BOOK_DIR = "C:\\书 籍 책"
PRODUCT_KEY = r"HKLM\SOFTWARE\Bokrin"
# A screenshot of a wizard page differs from skin-render's picture of it only where the wizard
# put texts of its own (the customise page's edits: under one percent); one of another page
# differs almost everywhere.
SAME_PAGE_DIFFERING_SHARE = 0.02


def differing_share(first, second):
    """The share of the pixels that differ between two screenshots of the same size."""
    with Image.open(first) as a, Image.open(second) as b:
        difference = ImageChops.difference(a.convert("RGB"), b.convert("RGB")).convert("L")
    histogram = difference.histogram()
    return 1.0 - histogram[0] / sum(histogram)


class CommandLineEndToEnd(e2e_support.EnvironmentTestCase):
    def setUp(self):
        self.env.reset_services()
        self.log = os.path.join(self.env.temp_dir(), "BokrinSetup.log")

    def wizard(self, arguments=()):
        """A started wizard whose screenshots go into a folder named after the test."""
        driver = wizard_driver.WizardDriver(self.env, os.path.join(self.env.work, "screenshots", self._testMethodName))
        self.addCleanup(driver.stop)
        driver.start(arguments)
        return driver

    def reg_value(self, name):
        return self.env.registry_values(PRODUCT_KEY).get(name)

    def assert_on_page(self, driver, page, shot_name):
        """Shoots the wizard with the pointer on its corner, where it turns no control hot, and
        checks the shot against skin-render's picture of the page."""
        driver.point_at(driver.window, (1, 1))
        shot = driver.screenshot(shot_name)
        share = differing_share(shot, driver.layout.page_picture(page))
        self.assertLess(share, SAME_PAGE_DIFFERING_SHARE,
                        "%s is not page %d: %.1f%% of it differs" % (shot, page, share * 100))

    def close_and_wait(self, driver, page, timeout=60):
        """The wizard's close button on that page; the installer then ends without asking."""
        driver.click(page, "btn_CloseInstallGuideWnd")
        try:
            return driver.wait_for_exit(timeout)
        except subprocess.TimeoutExpired:
            asked = driver.find_window(wizard_driver.BOX_TITLE) is not None
            self.fail("the installer did not end after its close button%s" % (" (a box asks)" if asked else ""))

    def test_given_directories_installed_from_the_customise_page_as_they_stand(self):
        if os.path.exists(self.log):
            os.remove(self.log)  # an earlier run's, which a finished installation may have left
        driver = self.wizard(['/BOOKDIR="%s"' % GIVEN_BOOK_DIR, "/D=" + GIVEN_INSTALL_DIR])
        driver.click(0, "btn_CustomizeInstall")
        time.sleep(1.0)  # the page is laid out and drawn
        self.assert_on_page(driver, 1, "page1-prefilled")
        # Nothing typed: the prefilled texts are what the install button takes.
        driver.click(1, "btn_Install")
        driver.wait_for(lambda: "Installation finished" in read_text(self.log), 240, "the installation")
        driver.wait_for(lambda: wizard_driver.installed(self.env), 30, "the uninstall entry")
        time.sleep(1.5)  # the finish page follows the engine's last report
        self.assert_on_page(driver, 3, "command-line-page3-finished")
        # The finish page's close button ends the installer at once.
        self.assertEqual(self.close_and_wait(driver, 3), 0, "the exit code of a finished installation")

        install_dir = GIVEN_INSTALL_DIR + "\\Bokrin\\"
        self.assertEqual(self.reg_value("Bokrin"), install_dir)
        self.assertEqual(self.reg_value("BokrinEbook"), GIVEN_BOOK_DIR + "\\BokrinEBooks\\")
        self.assertTrue(os.path.isfile(self.env.unix_path(install_dir + "Bokrin.exe")), install_dir)
        self.assertTrue(os.path.isdir(self.env.unix_path(GIVEN_BOOK_DIR + "\\BokrinEBooks")))
        self.assertFalse(os.path.exists(self.env.unix_path(self.env.install_dir + "Bokrin.exe")),
                         "installed into the default directory too")
        self.assertIn("Extraction started into " + install_dir, read_text(self.log))

    def test_closed_after_the_version_service_failed_ends_with_its_code(self):
        self.env.set_mode("version", "error-code")
        driver = self.wizard()
        driver.click(0, "btn_InstallFast")
        box = driver.wait_for_box()
        driver.screenshot("box-service-failed", box)
        driver.click_box(box, "btn_ok")
        driver.wait_for_no_box()
        time.sleep(0.5)
        self.assert_on_page(driver, 0, "page0-after-the-error")
        self.assertGreaterEqual(self.env.stats()["requests"]["version"], 1)
        self.assertEqual(self.close_and_wait(driver, 0), 2, "the exit code of a failed version service")

    def test_closed_after_a_given_directory_was_refused_ends_as_cancelled(self):
        # A directory cannot be made below a file.
        blocking_file = "C:\\占位 文件"
        with open(self.env.unix_path(blocking_file), "wb") as f:
            f.write(b"not a folder\r\n")
        driver = self.wizard(["/D=%s\\Bokrin" % blocking_file])
        driver.click(0, "btn_CustomizeInstall")
        time.sleep(1.0)
        self.assert_on_page(driver, 1, "page1-given")
        driver.click(1, "btn_Install")
        box = driver.wait_for_box()
        driver.screenshot("command-line-box-path-error", box)
        driver.click_box(box, "btn_ok")
        driver.wait_for_no_box()
        self.assert_on_page(driver, 1, "page1-after-the-error")
        # The page's check refused the directory before any installation began.
        self.assertEqual(self.env.stats()["requests"]["version"], 0)
        self.assertTrue(os.path.isfile(self.env.unix_path(blocking_file)))
        self.assertEqual(self.close_and_wait(driver, 1), 1, "the exit code of a wizard closed before installing")


if __name__ == "__main__":
    e2e_support.main(CommandLineEndToEnd)
