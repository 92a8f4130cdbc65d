"""What a screen reader in another process reads from the running wizard: tools/a11y-dump's
a11y-dump.exe reads the window's accessible tree through oleacc, as readers do."""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))),
                                "engine", "e2e"))
import e2e_support  # noqa: E402
import wizard_driver  # noqa: E402


class AccessibleTreeEndToEnd(e2e_support.EnvironmentTestCase):
    def dump(self):
        result = self.env.wine([os.path.join(self.env.build_dir, "a11y-dump.exe"), "--wait", "30"], timeout=120)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        return result.stdout.decode("utf-8").splitlines()

    def shown(self, lines, role):
        """The names of the visible children of `role`, in the tree's order."""
        return [line.split('"')[1] for line in lines
                if " %s " % role in line and "invisible" not in line.split('"')[2]]

    def test_each_page_reads_from_another_process(self):
        driver = wizard_driver.WizardDriver(self.env, os.path.join(self.env.work, "screenshots"))
        try:
            driver.start()
            lines = self.dump()
            self.assertEqual(self.shown(lines, "ROLE_SYSTEM_PUSHBUTTON"), ["快速安装", "自定义安装", "最小化", "关闭"],
                             "\n".join(lines))
            # The page's first button has the focus as the window shows.
            focused = [line for line in lines if "focused" in line.split('"')[2]]
            self.assertEqual(len(focused), 1, "\n".join(lines))
            self.assertIn('"快速安装"', focused[0])

            driver.click(0, "btn_CustomizeInstall")
            time.sleep(1.0)
            lines = self.dump()
            self.assertEqual(self.shown(lines, "ROLE_SYSTEM_TEXT"), ["请输入或选择安装路径", "请输入或选择书籍存放路径"],
                             "\n".join(lines))
            edit = next(line for line in lines if '"请输入或选择安装路径"' in line)
            self.assertIn('value "C:\\', edit)
        finally:
            driver.stop()


if __name__ == "__main__":
    e2e_support.main(AccessibleTreeEndToEnd)
