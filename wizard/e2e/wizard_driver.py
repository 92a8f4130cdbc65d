"""Drives the real wizard (BokrinSetup.exe under Wine) the way a user does: it finds the
window on the X display, clicks with the X pointer (xdotool) and saves screenshots of what the
window shows (ImageMagick's import). Used by the wizard's end-to-end test and by run.sh."""
import os
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))),
                                "engine", "e2e"))
import e2e_support  # noqa: E402

WIZARD_TITLE = "安装引导"
BOX_TITLE = "Tip"  # the message box, ErrTipWnd
PAGES = ("ConfigOneUI=configpage.xml", "ConfigTwoUI=configpage2.xml", "InstallPageUI=installingpage.xml",
         "InstallFinishUI=finishpage.xml")


class Layout:
    """Where the named controls of a skin window are at the display scale, as skin-render lays
    them out: the real window is clicked and checked there, not at numbers copied from the skin."""

    def __init__(self, env, work_dir, scale):
        self.env = env
        self.work_dir = work_dir
        self.scale = scale
        self.cache = {}

    def page(self, index):
        return self.controls(*self.page_render(index))

    def page_picture(self, index):
        """The page as skin-render draws it, with the texts of the skin: a PNG file."""
        skin, options = self.page_render(index)
        self.controls(skin, options)
        return self.cache[(skin, tuple(options))][1]

    @staticmethod
    def page_render(index):
        return "install.xml", ["--select", "wizardTab=%d" % index] + [a for page in PAGES for a in ("--page", page)]

    def box(self):
        return self.controls("ErrTipWnd.xml", [])

    def controls(self, skin, options):
        key = (skin, tuple(options))
        if key not in self.cache:
            name = "layout-%d-%s" % (len(self.cache), skin)
            png = os.path.join(self.work_dir, name + ".png")
            text = os.path.join(self.work_dir, name + ".txt")
            result = self.env.wine([os.path.join(self.env.build_dir, "skin-render.exe"), "--skin", skin,
                                    "--from", e2e_support.windows_path(os.path.join(self.env.build_dir, "entry", "skin.zip")),
                                    "--out", e2e_support.windows_path(png), "--scale", str(self.scale),
                                    "--positions", e2e_support.windows_path(text)] + options)
            if result.returncode != 0:
                raise AssertionError("skin-render failed for %s: %s" % (skin, result.stdout + result.stderr))
            positions = {}
            with open(text) as f:
                for line in f:
                    fields = line.split()
                    positions[fields[0]] = tuple(int(v) for v in fields[1:5])
            self.cache[key] = (positions, png)
        return self.cache[key][0]


def centre(rect):
    return ((rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2)


class WizardDriver:
    def __init__(self, env, shots_dir):
        self.env = env
        self.shots_dir = shots_dir
        os.makedirs(shots_dir, exist_ok=True)
        self.scale = int(os.environ.get("BOKRIN_DISPLAY_SCALE", "100"))
        self.layout = Layout(env, shots_dir, self.scale)
        self.process = None
        self.window = None
        self.shots = []
        self.installer = os.path.join(env.build_dir, "BokrinSetup.exe")

    def start(self, arguments=()):
        """Starts the installer and waits for its wizard window; its output goes to files, since
        Wine's helpers inherit it and would hold a pipe open. The arguments reach the installer's
        command line exactly as written, joined by single blanks, quotes and all."""
        with open(os.path.join(self.shots_dir, "installer.log"), "wb") as log:
            self.process = self.env.start_with_command_line(self.installer, " ".join(arguments), log)
        # The window is made layered at its first paint, and Wine then replaces its X window:
        # the one to click is the one that stays.
        self.window = self.wait_for(lambda: self.stable_window(WIZARD_TITLE), 120, "the wizard window")

    def stable_window(self, title):
        first = self.find_window(title)
        time.sleep(1.0)
        return first if first is not None and first == self.find_window(title) else None

    @staticmethod
    def find_window(title):
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % title],
                               capture_output=True, text=True)
        ids = found.stdout.split()
        return ids[0] if ids else None

    def wait_for_box(self):
        return self.wait_for(lambda: self.stable_window(BOX_TITLE), 30, "the message box")

    def wait_for_no_box(self):
        self.wait_for(lambda: self.find_window(BOX_TITLE) is None, 30, "the message box to close")

    @staticmethod
    def wait_for(probe, timeout, what, interval=0.25):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            value = probe()
            if value:
                return value
            time.sleep(interval)
        raise AssertionError("timed out waiting for %s" % what)

    def click_at(self, window, point):
        self.point_at(window, point)
        self.press()

    @staticmethod
    def point_at(window, point):
        subprocess.run(["xdotool", "mousemove", "--window", window, str(point[0]), str(point[1])], check=True)
        time.sleep(0.3)  # the button turns hot first, as under a hand

    @staticmethod
    def press():
        """A click where the pointer is."""
        subprocess.run(["xdotool", "click", "1"], check=True)

    def click(self, page, name):
        """Clicks the control of that name on wizard page `page` with the X pointer."""
        self.click_at(self.window, centre(self.layout.page(page)[name]))

    def click_box(self, box, name):
        self.click_at(box, centre(self.layout.box()[name]))

    def point_at_box(self, box, name):
        """The pointer over the box's control, so that press() clicks it the moment it is due."""
        self.point_at(box, centre(self.layout.box()[name]))

    @staticmethod
    def keys(*names):
        """Key strokes through X to whatever window has the focus, as a hand types them."""
        subprocess.run(["xdotool", "key", "--delay", "80"] + list(names), check=True)

    @staticmethod
    def type_text(text):
        subprocess.run(["xdotool", "type", "--delay", "40", text], check=True)

    def screenshot(self, name, window=None):
        path = os.path.join(self.shots_dir, "%s-%d.png" % (name, self.scale))
        subprocess.run(["import", "-window", window or self.window, path], check=True, capture_output=True)
        self.shots.append(path)
        return path

    def wait_for_exit(self, timeout):
        return self.process.wait(timeout=timeout)

    def stop(self):
        if self.process is not None and self.process.poll() is None:
            # Wine runs the installer in a process of its own, below the one that starts it with
            # its command line, and it outlives its starter: a wizard left open would be the one
            # that the next start in the prefix brings forward instead of opening its own.
            owner = self.window_process()
            if owner is not None:
                os.kill(owner, signal.SIGKILL)
            self.process.kill()
            self.process.wait()

    def window_process(self):
        """The Unix process that shows the wizard window (Wine sets the window's _NET_WM_PID)."""
        if self.window is None:
            return None
        found = subprocess.run(["xdotool", "getwindowpid", self.window], capture_output=True, text=True)
        return int(found.stdout) if found.returncode == 0 and found.stdout.strip().isdigit() else None


def read_text(path):
    """A text file such as the setup log, empty while it does not exist."""
    try:
        with open(path, "rb") as f:
            return f.read().decode("utf-8", "replace")
    except FileNotFoundError:
        return ""


def installed(env):
    """True once the registration has written the uninstall entry."""
    return bool(env.reg_query(r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Bokrin", "DisplayName"))


def client_command_line(env, timeout=30):
    return e2e_support.client_command_line(env.unix_path(env.install_dir + "launch-args.txt"), timeout)


def quick_install(env, shots_dir):
    """Quick install, then the start button of the finish page. Returns the driver (screenshots
    in .shots), the installer's exit code and the client's command line."""
    args_file = env.unix_path(env.install_dir + "launch-args.txt")
    if os.path.exists(args_file):
        os.remove(args_file)  # left by the client of an earlier run
    driver = WizardDriver(env, shots_dir)
    try:
        driver.start()
        driver.screenshot("quick-page0-start")
        driver.click(0, "btn_InstallFast")
        time.sleep(1.0)
        driver.screenshot("quick-page2-installing")
        driver.wait_for(lambda: installed(env), 240, "the installation")
        time.sleep(2.0)  # the finish page follows the registration
        driver.screenshot("quick-page3-finished")
        driver.click(3, "btn_BeginToRead")
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
