#!/usr/bin/env python3
"""End to end: DLLs planted beside BokrinSetup.exe, under the names of the system DLLs that it
loads at run time, are never loaded, although Wine is told to prefer such copies to its own and
the folder is the current directory too; the silent installation, which needs all of them
(WinINet for the network check, WinHTTP and CryptoAPI for the services), still succeeds.

    tools/test-env --work build/win64/e2e/planted-dll --fresh-prefix --services -- \
        entry/e2e/planted_dll_e2e_test.py --build-dir build/win64
"""
import os
import shutil
import subprocess
import sys

sys.dont_write_bytecode = True  # no cache files beside the sources
SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(SOURCE_DIR, "engine", "e2e"))
import e2e_support as e2e  # noqa: E402

# Those of the program's DLLs that Windows does not protect: imported directly, each would be
# looked for beside the program before anywhere else.
PLANTED_NAMES = ["winhttp", "wininet", "crypt32"]
INSTALL_TEXT = "C:\\Planted Test"


class PlantedDllEndToEnd(e2e.EnvironmentTestCase):
    def plant(self, folder, program, names):
        """A fresh folder with a copy of `program` and the planted DLL under each of `names`;
        the copy's path."""
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        copy = os.path.join(folder, os.path.basename(program))
        shutil.copyfile(program, copy)
        planted = os.path.join(self.env.build_dir, "entry", "planted", "planted-dll.dll")
        for name in names:
            shutil.copyfile(planted, os.path.join(folder, name + ".dll"))
        return copy

    def loaded(self, program):
        """The planted DLLs that left their marker beside `program`, by the name each was loaded
        under (the loader may change its case)."""
        folder = os.path.dirname(program)
        return sorted(n[:-len(".loaded")].lower() for n in os.listdir(folder) if n.lower().endswith(".dll.loaded"))

    def run_planted(self, program, arguments, name):
        """Runs the copied program with its folder as the current directory and Wine told to
        prefer the planted copies to its own; its exit code, None when it did not end (a call
        into a planted copy, which has no functions, stops in Wine's debugger)."""
        overrides = "mscoree,mshtml=;" + ",".join(PLANTED_NAMES) + "=n,b"
        with open(os.path.join(self.env.work, name + ".out"), "wb") as output:
            run = self.env.start_with_command_line(program, arguments, output, cwd=os.path.dirname(program),
                                                   variables={"WINEDLLOVERRIDES": overrides})
            try:
                return run.wait(timeout=180)
            except subprocess.TimeoutExpired:
                run.kill()
                run.wait()
                return None

    def test_planted_dlls_are_not_loaded_and_the_installation_succeeds(self):
        # The folder a browser downloads into.
        installer = self.plant(os.path.join(self.env.work, "downloads"),
                               os.path.join(self.env.build_dir, "BokrinSetup.exe"), PLANTED_NAMES)
        with open(os.path.join(self.env.standin_dir, "Bokrin.exe"), "rb") as f:
            entries = [("Bokrin.exe", f.read(), {}), ("readme.txt", b"planted\r\n", {})]
        package = os.path.join(self.package_dir, "planted.zip")
        e2e.write_package(package, entries)
        self.env.reset_services()
        self.env.set_release(zip=package, name="Bokrin.zip", version_no="3.0.0")

        code = self.run_planted(installer, "/S /D=" + INSTALL_TEXT, "installer")

        self.assertEqual(self.loaded(installer), [], "planted DLLs that the installer loaded")
        self.assertEqual(code, 0, "the silent installation's exit code (None: it did not end)")
        self.assert_installed(self.env.unix_path(INSTALL_TEXT + "\\Bokrin\\"), entries)

    def test_a_direct_import_loads_the_planted_dll(self):
        # The control: without it the missing markers above would prove nothing. A program that
        # imports WinHTTP directly, run the same way, does load the planted copy.
        program = self.plant(os.path.join(self.env.work, "direct-import"),
                             os.path.join(self.env.build_dir, "entry", "direct-winhttp-import.exe"), ["winhttp"])
        code = self.run_planted(program, "", "direct-import")
        self.assertEqual(self.loaded(program), ["winhttp.dll"], "exit code %s" % code)


if __name__ == "__main__":
    e2e.main(PlantedDllEndToEnd)
