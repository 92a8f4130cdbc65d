"""The real wizard against the local services, driven through the X display with the pointer and
the keyboard, at the display scale of its environment (tools/test-env --scale): every page and
the message box are shot, and the shots are checked for what must be there."""
import os
import sys
import time
from xml.etree import ElementTree

from PIL import Image

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(SOURCE_DIR, "engine", "e2e"))
import e2e_support  # noqa: E402
import wizard_driver  # noqa: E402

def is_white(pixel):
    return min(pixel[:3]) >= 245


def distance(a, b):
    return sum(abs(x - y) for x, y in zip(a[:3], b[:3]))


def declared_badge_size():
    """The percent badge's width and height in skin units, as the installing page declares them."""
    page = ElementTree.parse(os.path.join(SOURCE_DIR, "skin", "installingpage.xml")).getroot()
    box = next(element for element in page.iter() if element.get("name") == "hor_Pos")
    return int(box.get("width")), int(box.get("height"))


class WizardEndToEnd(e2e_support.EnvironmentTestCase):
    def setUp(self):
        self.env.reset_services()
        self.scale = int(os.environ.get("BOKRIN_DISPLAY_SCALE", "100"))

    def s(self, units):
        return units * self.scale // 100

    def assert_drawn(self, path, size_in_units):
        """The shot has the window's size at this scale and is not one flat colour."""
        with Image.open(path) as shot:
            self.assertEqual(shot.size, (self.s(size_in_units[0]), self.s(size_in_units[1])), path)
            colours = shot.convert("RGB").getcolors(maxcolors=1 << 16)
            self.assertTrue(colours is None or len(colours) > 8, path)

    def assert_badge_over_fill(self, path, slider):
        """The bar is where the layout puts it, and the percent badge stands centred over the end
        of its filled part, ending 2 units above the bar, as the wizard computes it."""
        left, top, right, bottom = slider
        with Image.open(path) as shot:
            image = shot.convert("RGB")
        middle = (top + bottom) // 2
        row = [image.getpixel((x, middle)) for x in range(left, right)]
        self.assertFalse(any(is_white(p) for p in row), "the bar is not at %s in %s" % (slider, path))
        self.assertTrue(is_white(image.getpixel((left - 2, middle))) and is_white(image.getpixel((right + 1, middle))),
                        "the bar reaches beyond %s in %s" % (slider, path))
        fill, track = row[self.s(4)], row[-self.s(4)]
        self.assertGreater(distance(fill, track), 60, "no filled part in %s" % path)
        filled = next(i for i, p in enumerate(row) if distance(p, track) < distance(p, fill))
        width, height = declared_badge_size()
        badge_left, badge_top = left + filled - self.s(width // 2), top - self.s(height + 2)
        expected = (badge_left, badge_top, badge_left + self.s(width), badge_top + self.s(height))
        # The badge has the fill's colour; the status line above it is drawn in black.
        band = [(x, y) for y in range(top - self.s(30), top)
                for x in range(expected[0] - self.s(10), expected[2] + self.s(10))
                if distance(image.getpixel((x, y)), fill) < 60]
        self.assertTrue(band, "no badge above the bar in %s" % path)
        found = (min(x for x, _ in band), min(y for _, y in band), max(x for x, _ in band) + 1,
                 max(y for _, y in band) + 1)
        for got, want in zip(found, expected):
            self.assertLessEqual(abs(got - want), 2, "badge at %s, computed %s, in %s" % (found, expected, path))

    def test_customise_with_a_path_error_then_close_while_installing(self):
        driver = wizard_driver.WizardDriver(self.env, os.path.join(self.env.work, "screenshots"))
        try:
            driver.start()
            driver.click(0, "btn_CustomizeInstall")
            time.sleep(1.0)
            self.assert_drawn(driver.screenshot("customise-page1-customise"), (800, 550))

            # A drive that does not exist: the box names the install path, and Enter closes it.
            driver.click(1, "edit_InstallPath")
            driver.keys("End", "shift+Home")
            driver.type_text("Q:\\Bokrin")
            driver.click(1, "btn_Install")
            box = driver.wait_for_box()
            self.assert_drawn(driver.screenshot("customise-box-path-error", box), (380, 180))
            driver.keys("Return")
            driver.wait_for_no_box()

            # A good path; the package then stops halfway, which holds the progress still.
            self.env.set_mode("package", "stall")
            driver.click(1, "edit_InstallPath")
            driver.keys("End", "shift+Home")
            driver.type_text(self.env.install_dir.rstrip("\\"))
            driver.click(1, "btn_Install")
            page_two = driver.layout.page(2)
            driver.wait_for(lambda: self.env.stats()["requests"]["package"] > 0, 120, "the download")
            time.sleep(2.0)  # the half that comes is reported
            shot = driver.screenshot("customise-page2-installing")
            self.assert_drawn(shot, (800, 550))
            self.assert_badge_over_fill(shot, page_two["slider_process"])

            # Closing asks while installing; cancel keeps the installer, OK ends it.
            driver.click(2, "btn_CloseInstallGuideWnd")
            box = driver.wait_for_box()
            self.assert_drawn(driver.screenshot("customise-box-close-question", box), (380, 180))
            driver.click_box(box, "btn_cencal")
            driver.wait_for_no_box()
            self.assertIsNone(driver.process.poll())
            driver.click(2, "btn_CloseInstallGuideWnd")
            driver.click_box(driver.wait_for_box(), "btn_ok")
            self.assertEqual(driver.wait_for_exit(30), 1, "the exit code of a cancelled installation")
        finally:
            driver.stop()

    def test_quick_install_then_start_reading(self):
        driver, code, command_line = wizard_driver.quick_install(self.env, os.path.join(self.env.work, "screenshots"))
        self.assertEqual(code, 0)
        parameters = '"%s" "%sopenglessl\\"' % (self.env.install_dir, self.env.install_dir)
        self.assertTrue(command_line.endswith(" " + parameters), command_line)
        for path in driver.shots:
            self.assert_drawn(path, (800, 550))


if __name__ == "__main__":
    e2e_support.main(WizardEndToEnd)
