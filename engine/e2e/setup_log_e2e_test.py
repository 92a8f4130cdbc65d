#!/usr/bin/env python3
"""End to end: the setup log that a headless installation leaves in %TEMP%: one block per run
with each stage, the release record and what the user was shown; the previous run's log kept;
a log that cannot be written leaving the installation working.

    tools/test-env --work build/win64/e2e/setup_log --fresh-prefix --services -- \
        engine/e2e/setup_log_e2e_test.py --build-dir build/win64
"""
import os
import re
import shutil
import sys

sys.dont_write_bytecode = True  # no cache files beside the sources
import e2e_support as e2e  # noqa: E402

STAMP = re.compile(r"^\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3} ")
HEADER = "BokrinSetup (no version resource) started, command line: "
# A line that starts with each of these, in this order, for a successful installation.
STAGES = [
    "Installation started: ",
    "Version query started",
    "Version query returned: status code 0,",
    'Release: version "1.13.6", URL "https://',
    "Locations: install directory ",
    "Download started into ",
    "Download finished",
    "Extraction started into ",
    "Extraction finished",
    "Registration started",
    "Registration finished",
    "Installation finished",
]


class SetupLogEndToEndTest(e2e.EnvironmentTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.package = os.path.join(cls.package_dir, "release.zip")
        with open(os.path.join(cls.env.standin_dir, "Bokrin.exe"), "rb") as f:
            client = f.read()
        e2e.write_package(cls.package, [("Bokrin.exe", client, {}), ("Uninstall.exe", b"MZ stand-in", {})])
        cls.log = os.path.join(cls.env.temp_dir(), "BokrinSetup.log")
        cls.old_log = os.path.join(cls.env.temp_dir(), "BokrinSetup.old.log")

    def setUp(self):
        self.env.reset_services()
        self.env.set_release(zip=self.package, name="Bokrin.zip", version_no="1.13.6")
        for path in (self.log, self.old_log):
            if os.path.isdir(path):
                shutil.rmtree(path)
            elif os.path.lexists(path):
                os.remove(path)

    def log_texts(self, path):
        """The texts of the log's lines, each checked for its time stamp."""
        with open(path, "rb") as f:
            content = f.read().decode("utf-8")
        self.assertTrue(content.endswith("\r\n"), content[-200:])
        texts = []
        for line in content[:-2].split("\r\n"):
            self.assertRegex(line, STAMP)
            texts.append(STAMP.sub("", line))
        return texts

    def test_installation_writes_one_block_with_each_stage(self):
        code, lines = self.env.run_engine()
        self.assertEqual(code, 0, "\n".join(lines))
        texts = self.log_texts(self.log)
        self.assertTrue(texts[0].startswith(HEADER), texts[0])
        self.assertIn("engine-run.exe", texts[0])
        self.assertEqual(sum(t.startswith(HEADER) for t in texts), 1, "one block per run")
        self.assert_in_order(texts, STAGES)
        release = [t for t in texts if t.startswith("Release: ")]
        self.assertTrue(release[0].endswith('/packages/Bokrin.zip"'), release)
        self.assertFalse(os.path.exists(self.old_log))

    def test_second_run_keeps_the_first_as_old_log(self):
        self.assertEqual(self.env.run_engine()[0], 0)
        with open(self.log, "rb") as f:
            first = f.read()
        self.assertEqual(self.env.run_engine()[0], 0)
        with open(self.old_log, "rb") as f:
            self.assertEqual(f.read(), first)
        second = self.log_texts(self.log)
        self.assertTrue(second[0].startswith(HEADER), second[0])
        self.assert_in_order(second, STAGES)

    def test_log_that_cannot_be_opened_leaves_the_installation_working(self):
        os.makedirs(self.log)
        code, lines = self.env.run_engine()
        self.assertEqual(code, 0, "\n".join(lines))
        self.assertEqual(lines[-1], "FINISHED")
        self.assertTrue(os.path.isdir(self.log))
        self.assertFalse(os.path.exists(self.old_log))

    def test_failed_version_query_is_logged_with_what_the_user_saw(self):
        self.env.set_mode("version", "error-code")
        code, lines = self.env.run_engine()
        self.assertEqual(code, 1, "\n".join(lines))
        texts = self.log_texts(self.log)
        self.assert_in_order(texts, ["Version query started", "Version query returned: status code ",
                                     "Error shown, mode 2: 连接失败,请检查Host或重新连接网络后重试！"])
        returned = [t for t in texts if t.startswith("Version query returned: status code ")]
        self.assertNotIn("status code 0,", returned[0])
        self.assertFalse([t for t in texts if t.startswith("Download started")], texts)

    def test_launch_from_a_relative_directory_is_refused_and_logged(self):
        result = self.env.wine(["reg", "add", r"HKLM\SOFTWARE\Bokrin", "/v", "Bokrin", "/t", "REG_SZ",
                                "/d", "Bokrin\\", "/f", "/reg:%d" % self.env.bits])
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(self.env.launch_client(), (1, "LAUNCH FAILED"))
        texts = self.log_texts(self.log)
        self.assertIn('Launch refused: the recorded install directory "Bokrin\\" is not a full path', texts)


if __name__ == "__main__":
    e2e.main(SetupLogEndToEndTest)
