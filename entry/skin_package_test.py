#!/usr/bin/env python3
"""Checks the packed skin archive: its 74 entries in the root, each picture at its size, and the
skin files well-formed, UTF-8 with CRLF line ends and a byte-order mark only where one belongs.

usage: skin_package_test.py skin.zip
"""
import io
import sys
import unittest
import xml.etree.ElementTree as ElementTree
import zipfile

from PIL import Image

ARCHIVE = None

SKIN_FILES = {  # name: root element, has a byte-order mark
    "install.xml": ("Window", True),
    "default.xml": ("DefaultConfig", False),
    "configpage.xml": ("Window", False),
    "configpage2.xml": ("Window", False),
    "installingpage.xml": ("Window", True),
    "finishpage.xml": ("Window", False),
    "ErrTipWnd.xml": ("Window", False),
    "CloseTipWnd.xml": ("Window", False),
}

# Base size of every picture; all but the last three also come at two and three times that size.
PICTURES = {
    "neirong1.jpg": (800, 549), "neirong2.jpg": (800, 549), "neirong3.jpg": (800, 645),
    "neirong4.jpg": (800, 549), "peitu-6.jpg": (800, 549), "peitu-7.jpg": (800, 549),
    "btn-1-4.png": (219, 69), "quxiaoanzhuang.png": (259, 69),
    "jiantou-nor.png": (16, 16), "jiantou-sel.png": (16, 16),
    "install_less.png": (20, 20), "install_close.png": (20, 20), "icon-wancheng.png": (70, 70),
    "logo-1.png": (120, 127), "logo-60.png": (60, 60), "jindu.png": (50, 23), "jindu-2.png": (10, 12),
    "btn-red-nor.png": (35, 35), "btn-red-sel.png": (39, 39),
    "btn-8-nor.png": (20, 20), "btn-8-sel.png": (20, 20),
}
SINGLE_PICTURES = {"shadow.png": (520, 312), "msgWarning.png": (40, 40), "biankuang.png": (160, 160)}


def expected_pictures():
    pictures = dict(SINGLE_PICTURES)
    for name, (width, height) in PICTURES.items():
        for factor in (1, 2, 3):
            variant = name if factor == 1 else name.replace(".", "@%dx." % factor)
            pictures[variant] = (width * factor, height * factor)
    return pictures


class SkinPackageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.archive = zipfile.ZipFile(ARCHIVE)
        cls.entries = {info.filename: info for info in cls.archive.infolist()}

    def test_holds_the_skin_files_and_pictures_in_its_root(self):
        self.assertEqual(len(self.archive.infolist()), 74)
        self.assertEqual(set(self.entries), set(SKIN_FILES) | set(expected_pictures()))
        for info in self.archive.infolist():
            self.assertNotIn("/", info.filename)
            self.assertIn(info.compress_type, (zipfile.ZIP_STORED, zipfile.ZIP_DEFLATED))

    def test_pictures_have_their_sizes_and_formats(self):
        for name, size in expected_pictures().items():
            with self.subTest(name=name):
                picture = Image.open(io.BytesIO(self.archive.read(name)))
                self.assertEqual(picture.size, size)
                self.assertEqual(picture.format, "JPEG" if name.endswith(".jpg") else "PNG")

    def test_skin_files_are_well_formed_utf8_with_crlf(self):
        for name, (root, bom) in SKIN_FILES.items():
            with self.subTest(name=name):
                data = self.archive.read(name)
                self.assertEqual(data.startswith(b"\xef\xbb\xbf"), bom)
                data.decode("utf-8")
                self.assertNotIn(b"\n", data.replace(b"\r\n", b""))
                self.assertNotIn(b"\r", data.replace(b"\r\n", b""))
                self.assertEqual(ElementTree.fromstring(data).tag, root)

    def test_every_picture_named_by_a_skin_file_is_packed_or_known_missing(self):
        # default.xml names the scroll bar's pictures, which no page shows and the archive lacks.
        missing = {"scroll.png", "scroll1.png"}
        lowered = {name.lower() for name in self.entries}
        for name in SKIN_FILES:
            text = self.archive.read(name).decode("utf-8-sig")
            for picture in set(_picture_names(text)):
                with self.subTest(skin=name, picture=picture):
                    self.assertTrue(picture.lower() in lowered or picture in missing)


def _picture_names(text):
    for word in text.replace("'", " ").replace('"', " ").replace("=", " ").replace(";", " ").split():
        if word.lower().endswith((".png", ".jpg")):
            yield word


if __name__ == "__main__":
    ARCHIVE = sys.argv.pop(1)
    unittest.main()
