"""The customise page's two "选择" buttons open the system's folder browser (which needs OLE on
the wizard's thread); a folder picked there with the keyboard alone lands in the page's edit,
becomes the edit's tooltip, and the installation then starts with both folders."""
import os
import re
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))),
                                "engine", "e2e"))
import e2e_support  # noqa: E402
import wizard_driver  # noqa: E402

# In the browser's tree, from the desktop it starts on: the last item (the computer), open it,
# its first drive (C:), open that, its first folder. Names that begin with "0" come first.
TO_FIRST_FOLDER_OF_C = ("End", "Right", "Right", "Right", "Right")


class FolderBrowserEndToEnd(e2e_support.EnvironmentTestCase):
    def setUp(self):
        self.env.reset_services()
        self.log = os.path.join(self.env.temp_dir(), "BokrinSetup.log")

    def pick_first_folder_of_c(self, driver, button, folder, shot):
        """Opens the browser with `button` after making C:\\`folder`, the first folder of C:,
        and picks that folder with the keyboard."""
        os.makedirs(self.env.unix_path("C:\\" + folder), exist_ok=True)
        driver.click(1, button)
        time.sleep(2.0)  # the tree fills
        for key in TO_FIRST_FOLDER_OF_C:
            driver.keys(key)
            time.sleep(0.3)
        driver.screenshot(shot, "root")
        driver.keys("Return")
        time.sleep(1.0)

    def test_both_buttons_pick_a_folder_with_the_keyboard(self):
        driver = wizard_driver.WizardDriver(self.env, os.path.join(self.env.work, "screenshots"))
        try:
            driver.start()
            driver.click(0, "btn_CustomizeInstall")
            time.sleep(1.0)
            self.pick_first_folder_of_c(driver, "btn_selecInstallPath", "0picked", "folder-browser-install")
            # "00books" now comes before "0picked".
            self.pick_first_folder_of_c(driver, "btn_SelecBookPath", "00books", "folder-browser-books")
            driver.screenshot("folder-browser-picked")
            # A chosen folder is the edit's tooltip from then on.
            left, top, right, bottom = driver.layout.page(1)["edit_InstallPath"]
            driver.point_at(driver.window, (left + (right - left) // 4, (top + bottom) // 2))
            driver.wait_for(lambda: driver.find_window(re.escape("C:\\0picked")), 10, "the chosen folder's tip")
            driver.screenshot("folder-browser-tip", "root")
            # What the edits hold is what the installation starts with.
            driver.click(1, "btn_Install")
            started = driver.wait_for(
                lambda: [line for line in wizard_driver.read_text(self.log).splitlines()
                         if "Installation started" in line], 60, "the installation")
            self.assertIn('install directory "C:\\0picked', started[-1])
            self.assertIn('book directory "C:\\00books', started[-1])
            self.assertNotIn("OLE cannot be initialised", wizard_driver.read_text(self.log))
        finally:
            driver.stop()


if __name__ == "__main__":
    e2e_support.main(FolderBrowserEndToEnd)
