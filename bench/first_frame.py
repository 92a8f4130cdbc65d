"""Times programs from their start to their first painted frame: a cross through the middle of
the screen, where both windows open centred, is polled on the X display until it shows a
picture of more than one colour that differs from the empty screen. Each program runs once to warm the caches,
then `--runs` times, taking turns; between runs it is ended with taskkill."""
import argparse
import ctypes
import os
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WINE_RUN = os.path.join(ROOT, "tools", "wine-run")
TIMEOUT = 120


class Screen:
    def __init__(self):
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x11.XGetImage.restype = ctypes.c_void_p
        self.x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                       ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.x11.XGetPixel.restype = ctypes.c_ulong
        self.x11.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
        self.x11.XDestroyImage.argtypes = [ctypes.c_void_p]
        self.x11.XDisplayWidth.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.x11.XDisplayHeight.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.display = self.x11.XOpenDisplay(None)
        if not self.display:
            raise SystemExit("first_frame: no X display")
        self.root = self.x11.XDefaultRootWindow(self.display)
        self.width = self.x11.XDisplayWidth(self.display, 0)
        self.height = self.x11.XDisplayHeight(self.display, 0)

    def strip(self, left, top, width, height):
        z_pixmap, all_planes = 2, 0xFFFFFFFF
        image = self.x11.XGetImage(self.display, self.root, left, top, width, height, all_planes, z_pixmap)
        pixels = tuple(self.x11.XGetPixel(image, x, y) for y in range(height) for x in range(width))
        self.x11.XDestroyImage(image)
        return pixels

    def sample(self):
        return (self.strip(0, self.height // 2, self.width, 1) +
                self.strip(self.width // 2, 0, 1, self.height))


def wait_for(probe, what):
    deadline = time.monotonic() + TIMEOUT
    while not probe():
        if time.monotonic() > deadline:
            raise SystemExit("first_frame: timed out waiting for %s" % what)
        time.sleep(0.002)


def first_frame_seconds(screen, program, empty):
    start = time.perf_counter()
    process = subprocess.Popen([WINE_RUN, program], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    wait_for(lambda: (lambda p: p != empty and len(set(p)) > 1)(screen.sample()), "a frame of " + program)
    seconds = time.perf_counter() - start
    subprocess.run([WINE_RUN, "taskkill", "/F", "/IM", os.path.basename(program)], stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    process.wait(timeout=TIMEOUT)
    wait_for(lambda: screen.sample() == empty, "the window of %s to go" % program)
    return seconds


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=10)
    parser.add_argument("installer")
    parser.add_argument("yardstick")
    args = parser.parse_args()
    screen = Screen()
    empty = screen.sample()
    programs = (args.installer, args.yardstick)
    times = {p: [] for p in programs}
    for run in range(args.runs + 1):
        for program in programs:
            seconds = first_frame_seconds(screen, program, empty)
            if run > 0:
                times[program].append(seconds)
    medians = {p: statistics.median(times[p]) for p in programs}
    for program in programs:
        print("%-18s first frame: median %.3f s (min %.3f, max %.3f, %d runs)" % (
            os.path.basename(program), medians[program], min(times[program]), max(times[program]), args.runs))
    print("ratio installer / bare window: %.2f" % (medians[args.installer] / medians[args.yardstick]))
    sys.stdout.flush()


if __name__ == "__main__":
    main()
