"""The real wizard driven with the keyboard alone: xdotool key strokes and typing through the X
display, never the pointer. A quick install to the finish page, and a customised one whose
install directory is typed into the page's edit."""
import os
import sys
import time

from PIL import Image

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(SOURCE_DIR, "engine", "e2e"))
import e2e_support  # noqa: E402
import wizard_driver  # noqa: E402
from wizard_driver import read_text  # noqa: E402

TYPED_INSTALL_DIR = "C:\\Typed By Keys"
PRODUCT_KEY = r"HKLM\SOFTWARE\Bokrin"
# The quick-install button's text colour, in which its focus mark is drawn.
MARK_COLOUR = (255, 255, 255)


class KeyboardEndToEnd(e2e_support.EnvironmentTestCase):
    def setUp(self):
        self.env.reset_services()
        self.log = os.path.join(self.env.temp_dir(), "BokrinSetup.log")
        if os.path.exists(self.log):
            os.remove(self.log)  # an earlier run's
        self.scale = int(os.environ.get("BOKRIN_DISPLAY_SCALE", "100"))

    def wizard(self):
        driver = wizard_driver.WizardDriver(self.env, os.path.join(self.env.work, "screenshots", self._testMethodName))
        self.addCleanup(driver.stop)
        driver.start()
        time.sleep(1.0)  # the first paint has given the first button the focus
        return driver

    def wait_for_installation(self, driver):
        driver.wait_for(lambda: "Installation finished" in read_text(self.log), 240, "the installation")
        driver.wait_for(lambda: wizard_driver.installed(self.env), 30, "the uninstall entry")
        time.sleep(1.5)  # the finish page follows the engine's last report

    def mark_sides(self, shot, rect):
        """Whether each side of the 1-unit frame 2 units inside the button has the mark's colour."""
        inset = 2 * self.scale // 100
        left, top, right, bottom = rect[0] + inset, rect[1] + inset, rect[2] - inset - 1, rect[3] - inset - 1
        middle_x, middle_y = (left + right) // 2, (top + bottom) // 2
        with Image.open(shot) as image:
            rgb = image.convert("RGB")
            sides = [rgb.getpixel(p) for p in ((left, middle_y), (right, middle_y), (middle_x + 30, top),
                                               (middle_x + 30, bottom))]
        return [side == MARK_COLOUR for side in sides]

    def assert_focus_mark(self, driver, shot_name, rect, present):
        """The mark along all four sides, or nowhere. Wine can take in the keys that follow typed
        text a second or two late, so the shot is taken again until it shows the mark as
        expected or ten seconds have passed."""
        deadline = time.monotonic() + 10
        while True:
            shot = driver.screenshot(shot_name)
            marked = self.mark_sides(shot, rect)
            if marked == [present] * 4 or time.monotonic() > deadline:
                break
            time.sleep(0.5)
        self.assertEqual(marked, [present] * 4, "the sides of the focus mark in %s" % shot)

    def test_quick_install_to_the_finish_page_and_start_reading(self):
        driver = self.wizard()
        button = driver.layout.page(0)["btn_InstallFast"]
        self.assert_focus_mark(driver, "keyboard-page0-start", button, False)
        # Round the page and its title bar both ways, back to the quick install.
        driver.keys("Tab", "Tab", "Tab", "Tab")
        self.assert_focus_mark(driver, "keyboard-page0-round", button, True)
        driver.keys("shift+Tab", "shift+Tab")
        self.assert_focus_mark(driver, "keyboard-page0-back", button, False)
        driver.keys("shift+Tab", "shift+Tab")
        self.assert_focus_mark(driver, "keyboard-page0-focused", button, True)

        driver.keys("Return")
        self.wait_for_installation(driver)
        driver.screenshot("keyboard-page3-finished")
        # A quick install goes where an earlier test of this prefix installed, when one did.
        install_dir = self.env.registry_values(PRODUCT_KEY).get("Bokrin")
        args_file = self.env.unix_path(install_dir + "launch-args.txt")
        if os.path.exists(args_file):
            os.remove(args_file)  # left by the client of an earlier run
        # The start-reading button has the focus on the finish page.
        driver.keys("Return")
        self.assertEqual(driver.wait_for_exit(60), 0)
        parameters = '"%s" "%sopenglessl\\"' % (install_dir, install_dir)
        command_line = e2e_support.client_command_line(args_file, 30)
        self.assertTrue(command_line.endswith(" " + parameters), command_line)

    def test_customised_install_directory_typed_with_the_keys(self):
        driver = self.wizard()
        driver.keys("Tab", "Return")  # the customise link
        time.sleep(1.0)
        driver.screenshot("keyboard-page1-customise")
        # The install-path edit has the keys: its prefilled text is replaced by the typed one.
        driver.keys("End", "shift+Home")
        driver.type_text(TYPED_INSTALL_DIR)
        # On past the folder picker, the book path and its picker, to the install button.
        driver.keys("Tab", "Tab", "Tab", "Tab")
        self.assert_focus_mark(driver, "keyboard-page1-typed", driver.layout.page(1)["btn_Install"], True)
        driver.keys("Return")
        self.wait_for_installation(driver)
        driver.screenshot("keyboard-page3-finished")
        # Escape is the close button, which ends the installer once it has finished.
        driver.keys("Escape")
        self.assertEqual(driver.wait_for_exit(60), 0)

        install_dir = TYPED_INSTALL_DIR + "\\Bokrin\\"
        self.assertEqual(self.env.registry_values(PRODUCT_KEY).get("Bokrin"), install_dir)
        self.assertTrue(os.path.isfile(self.env.unix_path(install_dir + "Bokrin.exe")), install_dir)
        self.assertIn("Extraction started into " + install_dir, read_text(self.log))


if __name__ == "__main__":
    e2e_support.main(KeyboardEndToEnd)
