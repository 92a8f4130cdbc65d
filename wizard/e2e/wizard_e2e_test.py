"""The real wizard against the local services, driven through the X display: quick install,
the finish page, the start button, and the stand-in client started with the right parameters."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))),
                                "engine", "e2e"))
import e2e_support  # noqa: E402
import wizard_driver  # noqa: E402


class WizardEndToEnd(e2e_support.EnvironmentTestCase):
    def test_quick_install_then_start_reading(self):
        shots = os.path.join(self.env.work, "screenshots")
        driver, code, command_line = wizard_driver.quick_install(self.env, shots)
        self.assertEqual(code, 0)
        parameters = '"%s" "%sopenglessl\\"' % (self.env.install_dir, self.env.install_dir)
        self.assertTrue(command_line.endswith(" " + parameters), command_line)
        # Every page shown was drawn: no screenshot is one flat colour.
        from PIL import Image
        for path in driver.shots:
            with Image.open(path) as shot:
                self.assertEqual(shot.size, (800, 550), path)
                colours = shot.convert("RGB").getcolors(maxcolors=4096)
                self.assertTrue(colours is None or len(colours) > 8, path)


if __name__ == "__main__":
    e2e_support.main(WizardEndToEnd)
