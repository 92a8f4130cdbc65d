"""The wizard at 400 percent, started from a folder that a standard user controls (Downloads),
with a glaring picture planted there under every name the toolkit asks for at that scale: the
"@4x" variant of each of the skin's pictures, of which the archive holds none. The elevated
installer must draw from its own archive alone: not one planted pixel may show."""
import io
import os
import shutil
import sys
import time
import zipfile

from PIL import Image

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))),
                                "engine", "e2e"))
import e2e_support  # noqa: E402
import wizard_driver  # noqa: E402

PLANTED_COLOUR = (255, 0, 255)
PICTURE_EXTENSIONS = (".png", ".jpg")


def variant_name(name, factor):
    """The name the toolkit looks up for a picture at a display-scale factor: every "." becomes
    "@<factor>x."."""
    return name.replace(".", "@%dx." % factor)


def planted_names(archive_path, factor):
    with zipfile.ZipFile(archive_path) as archive:
        names = {os.path.basename(n) for n in archive.namelist() if n.lower().endswith(PICTURE_EXTENSIONS)}
    return sorted(variant_name(n, factor) for n in names if "@" not in n and variant_name(n, factor) not in names)


def glaring_png():
    out = io.BytesIO()
    Image.new("RGB", (64, 64), PLANTED_COLOUR).save(out, "PNG")
    return out.getvalue()


def planted_pixels(path):
    with Image.open(path) as shot:
        return sum(count for count, colour in shot.convert("RGB").getcolors(maxcolors=1 << 24)
                   if sum(abs(x - y) for x, y in zip(colour, PLANTED_COLOUR)) < 60)


class PlantedPictureEndToEnd(e2e_support.EnvironmentTestCase):
    def setUp(self):
        self.scale = int(os.environ.get("BOKRIN_DISPLAY_SCALE", "100"))
        self.assertEqual(self.scale, 400, "run with tools/test-env --scale 400")
        self.downloads = os.path.join(self.env.work, "Downloads")
        shutil.rmtree(self.downloads, ignore_errors=True)
        os.makedirs(self.downloads)
        self.names = planted_names(os.path.join(self.env.build_dir, "entry", "skin.zip"), self.scale // 100)
        self.assertIn("neirong1@4x.jpg", self.names)  # the first page's background
        picture = glaring_png()
        for name in self.names:
            with open(os.path.join(self.downloads, name), "wb") as f:
                f.write(picture)
        # Wine gives a program the Unix current directory of whoever starts it.
        self.saved_directory = os.getcwd()
        os.chdir(self.downloads)

    def tearDown(self):
        os.chdir(self.saved_directory)

    def test_pictures_in_the_current_directory_are_not_drawn(self):
        driver = wizard_driver.WizardDriver(self.env, os.path.join(self.env.work, "screenshots"))
        try:
            driver.start()
            time.sleep(1.0)  # the first page's pictures are all loaded by its first paint
            shot = driver.screenshot("planted-pictures")
        finally:
            driver.stop()
        with Image.open(shot) as image:
            colours = image.convert("RGB").getcolors(maxcolors=1 << 24)
        self.assertGreater(len(colours), 8, "the wizard drew nothing: %s" % shot)
        self.assertEqual(planted_pixels(shot), 0, "a planted picture shows in %s" % shot)


if __name__ == "__main__":
    e2e_support.main(PlantedPictureEndToEnd)
