"""Drives the real wizard (BokrinSetup.exe under Wine) the way a user does: it finds the
window on the X display, clicks with the X pointer (xdotool) and saves screenshots of what the
window shows (ImageMagick's import). Used by the wizard's end-to-end test and by run.sh."""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))),
                                "engine", "e2e"))
import e2e_support  # noqa: E402

WIZARD_TITLE = "安装引导"
# Where the buttons are in the wizard's window at 100 percent, from the skin's layout.
QUICK_INSTALL = (400, 470)   # "btn_InstallFast" on page 0
BEGIN_READING = (400, 463)   # "btn_BeginToRead" on page 3


class WizardDriver:
    def __init__(self, env, shots_dir):
        self.env = env
        self.shots_dir = shots_dir
        os.makedirs(shots_dir, exist_ok=True)
        self.process = None
        self.window = None
        self.shots = []
        self.installer = os.path.join(env.build_dir, "BokrinSetup.exe")

    def start(self):
        """Starts the installer and waits for its wizard window; its output goes to files, since
        Wine's helpers inherit it and would hold a pipe open."""
        log = open(os.path.join(self.shots_dir, "installer.log"), "wb")
        self.process = subprocess.Popen([os.path.join(e2e_support.ROOT, "tools", "wine-run"), self.installer],
                                        env=self.env.env, stdin=subprocess.DEVNULL, stdout=log, stderr=log)
        # The window is made layered at its first paint, and Wine then replaces its X window:
        # the one to click is the one that stays.
        self.window = self.wait_for(self.stable_window, 120, "the wizard window")

    def stable_window(self):
        first = self.find_window()
        time.sleep(1.0)
        return first if first is not None and first == self.find_window() else None

    def find_window(self):
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", WIZARD_TITLE],
                               capture_output=True, text=True)
        ids = found.stdout.split()
        return ids[0] if ids else None

    @staticmethod
    def wait_for(probe, timeout, what):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            value = probe()
            if value:
                return value
            time.sleep(0.25)
        raise AssertionError("timed out waiting for %s" % what)

    def click(self, point):
        subprocess.run(["xdotool", "mousemove", "--window", self.window, str(point[0]), str(point[1])], check=True)
        time.sleep(0.3)  # the button turns hot first, as under a hand
        subprocess.run(["xdotool", "click", "1"], check=True)

    def screenshot(self, name):
        path = os.path.join(self.shots_dir, name + ".png")
        subprocess.run(["import", "-window", self.window, path], check=True, capture_output=True)
        self.shots.append(path)
        return path

    def wait_for_exit(self, timeout):
        return self.process.wait(timeout=timeout)

    def stop(self):
        if self.process is not None and self.process.poll() is None:
            self.process.kill()
            self.process.wait()


def installed(env):
    """True once the registration has written the uninstall entry."""
    return bool(env.reg_query(r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Bokrin", "DisplayName"))


def client_command_line(env, timeout=30):
    args_file = env.unix_path(env.install_dir + "launch-args.txt")
    deadline = time.monotonic() + timeout
    while not os.path.isfile(args_file) and time.monotonic() < deadline:
        time.sleep(0.2)
    time.sleep(0.3)
    with open(args_file, "rb") as f:
        return f.read().decode("utf-8").rstrip("\r\n")


def quick_install(env, shots_dir):
    """Quick install, then the start button of the finish page. Returns the driver (screenshots
    in .shots), the installer's exit code and the client's command line."""
    args_file = env.unix_path(env.install_dir + "launch-args.txt")
    if os.path.exists(args_file):
        os.remove(args_file)  # left by the client of an earlier run
    driver = WizardDriver(env, shots_dir)
    try:
        driver.start()
        driver.screenshot("page0-start")
        driver.click(QUICK_INSTALL)
        time.sleep(1.0)
        driver.screenshot("page2-installing")
        driver.wait_for(lambda: installed(env), 240, "the installation")
        time.sleep(2.0)  # the finish page follows the registration
        driver.screenshot("page3-finished")
        driver.click(BEGIN_READING)
        code = driver.wait_for_exit(60)
        return driver, code, client_command_line(env)
    finally:
        driver.stop()


def main():
    """For run.sh: the quick install through the wizard, printing what a user would check."""
    import argparse
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--shots", required=True)
    args = parser.parse_args()
    env = e2e_support.Environment(os.path.abspath(args.build_dir))
    driver, code, command_line = quick_install(env, args.shots)
    print("installer exit code:   %d" % code)
    print("client's command line: %s" % command_line)
    for shot in driver.shots:
        print("screenshot:            %s" % shot)
    parameters = '"%s" "%sopenglessl\\"' % (env.install_dir, env.install_dir)
    if code != 0 or not command_line.endswith(" " + parameters):
        print("the client was not started with %s" % parameters, file=sys.stderr)
        sys.exit(1)


if __name__ == "__main__":
    main()
