"""Shared pieces of the end-to-end installation tests.

Each test file runs in an environment of its own made by tools/test-env (network namespace,
display, services and a fresh Wine prefix). It keeps that prefix and the one instance of the
local services for all of its rows and switches the services' reply variants per row through
the control endpoint.
"""
import contextlib
import hashlib
import json
import os
import re
import struct
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.error
import urllib.parse
import urllib.request
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
CONTROL = "http://127.0.0.1:8080"

# Package host name that the system cannot resolve but the vendor HTTP DNS service knows
# (index 1 of the resolver's hosts in test builds).
UNRESOLVABLE_STORAGE_HOST = "storage1.bokrin.invalid"

FIRST_STEPS = [
    "STATUS 获取安装包，请稍候...",
    "PROGRESS 20",
    "STATUS 正在访问链接，请稍候...",
    "STATUS 链接返回，请稍候...",
    "PROGRESS 80",
]
BEFORE_DOWNLOAD = ["PROGRESS 100", "STATUS 正在下载，请稍候..."]
AFTER_DOWNLOAD = ["PROGRESS 800", "STATUS 正在解压，请稍候..."]
# A package that cannot be read or extracted as it should: a bad download, back to the start.
OPENING_FAILED = ["STATUS 打开压缩包失败，请重新下载！", "ERROR 2 下载失败，请检查网络后重新下载！"]


def parse_args():
    build_dir = None
    rest = [sys.argv[0]]
    args = sys.argv[1:]
    while args:
        if args[0] == "--build-dir" and len(args) > 1:
            build_dir = os.path.abspath(args[1])
            args = args[2:]
        else:
            rest.append(args.pop(0))
    if build_dir is None:
        raise SystemExit("usage: %s --build-dir BUILD_DIR" % sys.argv[0])
    sys.argv = rest
    return build_dir


class Environment:
    """The Wine prefix and services instance of tools/test-env, and the build's programs."""

    def __init__(self, build_dir):
        if os.environ.get("BOKRIN_IN_TEST_ENV") != "1":
            raise SystemExit("run inside tools/test-env --fresh-prefix --services")
        self.build_dir = build_dir
        self.prefix = os.environ["BOKRIN_WINEPREFIX"]
        self.work = os.path.dirname(self.prefix)
        self.engine_run = os.path.join(build_dir, "engine-run.exe")
        self.hold_file = os.path.join(build_dir, "hold-file.exe")
        self.run_command_line = os.path.join(build_dir, "run-command-line.exe")
        self.standin_dir = os.path.join(build_dir, "tools", "standin")
        self.env = dict(os.environ)
        for program in (self.engine_run, self.hold_file, self.run_command_line):
            if not os.path.isfile(program):
                raise SystemExit("%s is missing: build the test build first" % program)
        self.user_dir = self.find_user_dir()
        # What Windows gives a program depends on its architecture: a 32-bit one on 64-bit
        # Windows gets "Program Files (x86)" and the 32-bit view of the machine's registry.
        self.bits = pe_bits(self.engine_run)
        self.other_bits = 96 - self.bits
        self.install_dir = ("C:\\Program Files (x86)\\Bokrin\\" if self.bits == 32
                            else "C:\\Program Files\\Bokrin\\")

    def wine(self, args, timeout=300):
        """Runs a Windows program; its output goes through files, not pipes, since programs it
        starts (the client, Wine's own services) inherit the handles and would hold a pipe open."""
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            code = subprocess.run([os.path.join(ROOT, "tools", "wine-run")] + args, env=self.env,
                                  timeout=timeout, stdin=subprocess.DEVNULL, stdout=out,
                                  stderr=err).returncode
            out.seek(0)
            err.seek(0)
            return subprocess.CompletedProcess(args, code, out.read(), err.read())

    def start_with_command_line(self, program, arguments, output, cwd=None, variables=None):
        """Starts a Windows program with `arguments` as the rest of its command line exactly as
        written (Wine would quote separate arguments that hold blanks and escape their quotes);
        the returned process ends with the program's exit code. Output goes to the open file
        `output`, not a pipe, for the reason given at wine(). `cwd`, a folder of the Linux side,
        becomes its current directory; `variables` are added to its environment."""
        line = '"%s"' % windows_path(program) + (" " + arguments if arguments else "")
        return subprocess.Popen([os.path.join(ROOT, "tools", "wine-run"), self.run_command_line],
                                env=dict(self.env, BOKRIN_COMMAND_LINE=line, **(variables or {})),
                                cwd=cwd, stdin=subprocess.DEVNULL, stdout=output, stderr=output)

    def run_engine(self, install_dir="", book_dir=""):
        """Returns the exit code and the printed lines of one headless installation."""
        result = self.wine([self.engine_run, install_dir, book_dir])
        lines = result.stdout.decode("utf-8").splitlines()
        return result.returncode, lines

    def launch_client(self):
        result = self.wine([self.engine_run, "--launch"], timeout=120)
        return result.returncode, result.stdout.decode("utf-8").strip()

    # The prefix as the Linux side sees it.
    @property
    def drive_c(self):
        return os.path.join(self.prefix, "drive_c")

    def find_user_dir(self):
        users = os.path.join(self.drive_c, "users")
        names = [n for n in os.listdir(users) if n.lower() != "public"]
        if len(names) != 1:
            raise RuntimeError("cannot tell the Wine user from %s" % names)
        return os.path.join(users, names[0])

    def temp_dir(self):
        """%TEMP% of the prefix's programs, where the setup log goes, as the Linux side sees it."""
        temp = self.wine(["cmd", "/c", "echo %TEMP%"]).stdout.decode("utf-8", "replace").strip()
        return self.unix_path(temp)

    @contextlib.contextmanager
    def file_held(self, windows_path):
        """Keeps the file open without sharing in another program (hold-file) for the block."""
        # Output through a file: Wine's own processes started with the holder inherit its
        # handles and would keep a pipe open.
        holder_output = os.path.join(self.work, "hold-file.out")
        with open(holder_output, "wb") as out:
            holder = subprocess.Popen([os.path.join(ROOT, "tools", "wine-run"), self.hold_file, windows_path],
                                      env=self.env, stdin=subprocess.PIPE, stdout=out)
        try:
            deadline = time.monotonic() + 60
            while time.monotonic() < deadline and holder.poll() is None:
                with open(holder_output, "rb") as f:
                    if f.read().strip() == b"HELD":
                        break
                time.sleep(0.1)
            with open(holder_output, "rb") as f:
                if f.read().strip() != b"HELD":
                    raise AssertionError("hold-file did not hold %s" % windows_path)
            yield
        finally:
            holder.stdin.close()
            holder.wait(timeout=60)

    def unix_path(self, windows_path):
        assert windows_path[:3].upper() == "C:\\", windows_path
        return os.path.join(self.drive_c, windows_path[3:].replace("\\", "/"))

    def reg_query(self, key, value, view=None):
        """The data of a REG_SZ value ("" for the default value), or None when missing; read in
        the registry view of the build's programs unless another is named."""
        args = ["reg", "query", key] + (["/ve"] if value == "" else ["/v", value])
        args.append("/reg:%d" % (view or self.bits))
        result = self.wine(args)
        if result.returncode != 0:
            return None
        for line in result.stdout.decode("gbk", "replace").splitlines():
            parts = line.strip().split("    ")
            if len(parts) >= 3 and parts[1] == "REG_SZ":
                return "    ".join(parts[2:])
            if len(parts) == 2 and parts[1] == "REG_SZ":
                return ""
        return None

    def registry_values(self, key):
        """The REG_SZ values of a key in the view of the build's programs, read through a Unicode
        export: reg's console output loses what the ANSI code page cannot hold (Hangul). Empty
        when the key is missing."""
        with tempfile.TemporaryDirectory(dir=self.work) as folder:
            exported = os.path.join(folder, "key.reg")
            result = self.wine(["reg", "export", key, windows_path(exported), "/y", "/reg:%d" % self.bits])
            if result.returncode != 0:
                return {}
            with open(exported, "rb") as f:
                text = f.read().decode("utf-16")
        values = {}
        for line in text.splitlines():
            match = re.fullmatch(r'"((?:[^"\\]|\\.)*)"="((?:[^"\\]|\\.)*)"', line)
            if match:
                values[match.group(1)] = re.sub(r"\\(.)", r"\1", match.group(2))
        return values

    # The local services.
    def control(self, method, path, body=b""):
        request = urllib.request.Request(CONTROL + path, data=body if method == "POST" else None,
                                         method=method)
        with urllib.request.urlopen(request, timeout=10) as reply:
            return reply.read()

    def reset_services(self):
        self.control("POST", "/reset")

    def set_mode(self, service, variant, body=b""):
        self.control("POST", "/mode?service=%s&variant=%s" % (service, variant), body)

    def set_release(self, **params):
        query = "&".join("%s=%s" % (k, urllib.parse.quote(v, safe="")) for k, v in params.items())
        return json.loads(self.control("POST", "/release?" + query))

    def stats(self):
        return json.loads(self.control("GET", "/stats"))

    def last_request(self, service):
        try:
            return self.control("GET", "/last-request?service=" + service)
        except urllib.error.HTTPError:
            return b""

    def snapshot_drive_c(self):
        """Every path below drive_c except Wine's own and the installer's three places."""
        listing = set()
        # The user folders that Wine links to the (private) home are followed too.
        for dirpath, dirnames, filenames in os.walk(self.drive_c, followlinks=True):
            rel = os.path.relpath(dirpath, self.drive_c)
            if rel == "windows" or rel.startswith("windows" + os.sep):
                dirnames[:] = []
                continue
            for name in dirnames + filenames:
                listing.add(os.path.normpath(os.path.join(rel, name)))
        return listing


def windows_path(path):
    """A file of the Linux side as Wine's programs see it."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def pe_bits(path):
    """32 or 64, from the machine field of a Windows program's PE header."""
    with open(path, "rb") as f:
        header = f.read(4096)
    offset = struct.unpack_from("<I", header, 0x3C)[0]
    assert header[offset:offset + 4] == b"PE\0\0", path
    machine = struct.unpack_from("<H", header, offset + 4)[0]
    return {0x14C: 32, 0x8664: 64}[machine]


def write_package(path, entries):
    """Writes a zip: entries are (name, data, options) with options "mtime" (Unix time, stored
    as an extended time stamp), "dos_attributes" (made on a DOS system with these attribute
    bits) and "raw_name" (bytes stored as the name as they are)."""
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as package:
        for name, data, options in entries:
            info = zipfile.ZipInfo(name, date_time=(2024, 5, 1, 10, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            if "dos_attributes" in options:
                info.create_system = 0
                info.external_attr = options["dos_attributes"]
            else:
                info.create_system = 3
                info.external_attr = (0o40755 << 16) | 0x10 if name.endswith("/") else (0o100644 << 16)
            if "mtime" in options:
                info.extra = b"UT" + struct.pack("<HBl", 5, 1, options["mtime"])
            package.writestr(info, data)


def tree(root):
    """Every folder and file below root: relative path -> None for a folder, else the SHA-256
    of the file's bytes."""
    found = {}
    for folder, folders, files in os.walk(root):
        for name in folders:
            found[os.path.relpath(os.path.join(folder, name), root)] = None
        for name in files:
            path = os.path.join(folder, name)
            with open(path, "rb") as f:
                found[os.path.relpath(path, root)] = hashlib.sha256(f.read()).hexdigest()
    return found


def client_command_line(args_file, timeout=30):
    """The command line that the stand-in client recorded in `args_file` (launch-args.txt beside
    it, a path of the Linux side) once it has started; it writes the file a moment after."""
    deadline = time.monotonic() + timeout
    while not os.path.isfile(args_file) and time.monotonic() < deadline:
        time.sleep(0.2)
    time.sleep(0.3)
    with open(args_file, "rb") as f:
        return f.read().decode("utf-8").rstrip("\r\n")


def progress_values(lines):
    return [int(line.split()[1]) for line in lines if line.startswith("PROGRESS ")]


def without_download(lines):
    """The lines with the download's own reports (values 101..799 and the size texts) taken
    out, so that the fixed steps of the pipeline can be compared as a whole."""
    kept = []
    for line in lines:
        if line.startswith("STATUS 正在下载，请稍候...("):
            continue
        if line.startswith("PROGRESS "):
            value = int(line.split()[1])
            if 100 < value < 800:
                continue
        kept.append(line)
    return kept


class EnvironmentTestCase(unittest.TestCase):
    """Test cases that share one Environment (services, Wine prefix) for the whole class."""

    @classmethod
    def setUpClass(cls):
        cls.env = Environment(cls.build_dir)
        cls.package_dir = os.path.join(cls.env.work, "packages")
        os.makedirs(cls.package_dir, exist_ok=True)

    def assert_in_order(self, texts, prefixes):
        """Each prefix begins one of the texts (log lines), each after the one before."""
        position = 0
        for prefix in prefixes:
            found = [i for i in range(position, len(texts)) if texts[i].startswith(prefix)]
            self.assertTrue(found, "%r missing after line %d:\n%s" % (prefix, position, "\n".join(texts)))
            position = found[0] + 1

    def assert_installed(self, install_dir, entries):
        """The package's entries (as write_package takes them) below `install_dir`, a folder of
        the Linux side: each folder there, each file with its bytes and its time when given."""
        for name, data, options in entries:
            path = os.path.join(install_dir, name)
            if name.endswith("/"):
                self.assertTrue(os.path.isdir(path), name)
                continue
            with open(path, "rb") as f:
                self.assertEqual(f.read(), data, name)
            if "mtime" in options:
                self.assertEqual(int(os.stat(path).st_mtime), options["mtime"], name)


def main(test_class):
    build_dir = parse_args()
    test_class.build_dir = build_dir
    started = time.monotonic()
    runner = unittest.TextTestRunner(verbosity=2)
    result = runner.run(unittest.defaultTestLoader.loadTestsFromTestCase(test_class))
    print("e2e %s: %.1f s" % (test_class.__name__, time.monotonic() - started))
    sys.exit(0 if result.wasSuccessful() else 1)
