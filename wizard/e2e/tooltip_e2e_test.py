"""The tooltips of the customise page with the X pointer: resting on either path edit shows the
edit's tip text just below the pointer, and the tip goes when the pointer moves away or clicks.
The tip is a window of its own whose title is its text, which Wine gives its X window as name."""
import os
import subprocess
import sys
import time

from PIL import Image

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))),
                                "engine", "e2e"))
import e2e_support  # noqa: E402
import wizard_driver  # noqa: E402

PATH_TIPS = (("edit_InstallPath", "请输入或选择安装路径"), ("edit_BookPath", "请输入或选择书籍存放路径"))
# How far from the pointer the tip may start: it goes just below it.
NEAR = 60


def shell_values(command):
    """The NAME=value lines that xdotool prints with --shell, as integers."""
    found = subprocess.run(command, capture_output=True, text=True, check=True)
    return {name: int(value) for name, value in (line.split("=", 1) for line in found.stdout.split() if "=" in line)
            if value.lstrip("-").isdigit()}


def pointer():
    values = shell_values(["xdotool", "getmouselocation", "--shell"])
    return values["X"], values["Y"]


def tip_geometry(window):
    values = shell_values(["xdotool", "getwindowgeometry", "--shell", window])
    return values["X"], values["Y"], values["WIDTH"], values["HEIGHT"]


class ToolTipEndToEnd(e2e_support.EnvironmentTestCase):
    def assert_text_drawn(self, path):
        """The tip's shot holds a background and a text in another colour."""
        with Image.open(path) as shot:
            colours = sorted(shot.convert("RGB").getcolors(maxcolors=1 << 16), reverse=True)
        background = colours[0][1]
        other = sum(count for count, colour in colours
                    if sum(abs(a - b) for a, b in zip(colour, background)) > 200)
        self.assertGreater(other, 20, "no text in the tip: %s" % path)

    def test_resting_on_the_path_edits_shows_their_tips_below_the_pointer(self):
        driver = wizard_driver.WizardDriver(self.env, os.path.join(self.env.work, "screenshots"))
        try:
            driver.start()
            driver.click(0, "btn_CustomizeInstall")
            time.sleep(1.0)
            page = driver.layout.page(1)
            # A place on the page where no control has a tip: the logo.
            away = wizard_driver.centre(page["lab_logo"])
            for edit, text in PATH_TIPS:
                driver.point_at(driver.window, away)
                left, top, right, bottom = page[edit]
                # Over the left part of the edit, clear of the button laid over its right end.
                driver.point_at(driver.window, (left + (right - left) // 4, (top + bottom) // 2))
                time.sleep(1.0)
                tip = driver.wait_for(lambda: driver.find_window(text), 5, "the tip %s" % text)
                x, y = pointer()
                tip_x, tip_y, width, height = tip_geometry(tip)
                self.assertLessEqual(abs(tip_x - x), NEAR, "tip at %d,%d, pointer at %d,%d" % (tip_x, tip_y, x, y))
                self.assertTrue(0 < tip_y - y <= NEAR, "tip at %d,%d, pointer at %d,%d" % (tip_x, tip_y, x, y))
                self.assertGreater(width, 40)
                self.assertGreater(height, 8)
                self.assert_text_drawn(driver.screenshot("tooltip-%s" % edit, tip))
                driver.screenshot("tooltip-%s-screen" % edit, "root")  # the tip over the page

                driver.point_at(driver.window, away)
                driver.wait_for(lambda: driver.find_window(text) is None, 5, "the tip %s to go" % text)

            # A click on the edit takes its tip away, and it stays away while the pointer rests.
            edit, text = PATH_TIPS[0]
            left, top, right, bottom = page[edit]
            driver.point_at(driver.window, (left + (right - left) // 4, (top + bottom) // 2))
            driver.wait_for(lambda: driver.find_window(text), 5, "the tip %s" % text)
            driver.press()
            driver.wait_for(lambda: driver.find_window(text) is None, 5, "the tip %s to go" % text)
            time.sleep(1.0)
            self.assertIsNone(driver.find_window(text), "the tip came back after a click")
        finally:
            driver.stop()


if __name__ == "__main__":
    e2e_support.main(ToolTipEndToEnd)
