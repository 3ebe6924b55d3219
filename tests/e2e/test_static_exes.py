"""The shipped programs are single static executables that need nothing but Windows' own DLLs."""
import re
import subprocess
import unittest
import zipfile

from harness import paths

# DLLs that every supported Windows has.
SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "comdlg32.dll", "advapi32.dll", "winspool.drv",
    "shell32.dll", "ole32.dll", "oleaut32.dll", "msvcrt.dll", "ntdll.dll", "uxtheme.dll", "version.dll",
}


def imported_dlls(exe):
    dump = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", str(exe)], capture_output=True, text=True, check=True)
    return {name.lower() for name in re.findall(r"DLL Name: (\S+)", dump.stdout)}


class StaticExecutables(unittest.TestCase):
    def check_program(self, exe, execution_level):
        self.assertTrue(exe.exists(), f"{exe} not built")
        dlls = imported_dlls(exe)
        self.assertIn("kernel32.dll", dlls)
        self.assertFalse(dlls - SYSTEM_DLLS, f"{exe.name} imports non-system DLLs")
        image = exe.read_bytes()
        self.assertIn(b"Microsoft.Windows.Common-Controls", image)
        self.assertIn(b'version="6.0.0.0"', image)
        self.assertIn(b"<dpiAware", image)
        self.assertIn(f'level="{execution_level}"'.encode(), image)
        self.assertIn("VS_VERSION_INFO".encode("utf-16-le"), image)

    def test_quorvel(self):
        self.check_program(paths.quorvel_exe(), "asInvoker")

    def test_omblet_asks_for_administrator_rights(self):
        self.check_program(paths.omblet_exe(), "requireAdministrator")


class ReleasePackage(unittest.TestCase):
    def test_zip_holds_both_programs_the_driver_package_skins_and_the_guide(self):
        packages = sorted(paths.windows_build().glob("Quorvel-*-win64.zip"))
        self.assertTrue(packages, "release zip not built")
        with zipfile.ZipFile(packages[-1]) as package:
            names = {name.split("/", 1)[1] for name in package.namelist()}
            self.assertEqual(package.read(next(n for n in package.namelist() if n.endswith("/Quorvel.exe"))),
                             paths.quorvel_exe().read_bytes())
        for wanted in ("Quorvel.exe", "Omblet.exe", "QRX/QRX.inf", "QRX/QRX203.GPD", "skin/", "guide/guide.zh.md",
                       "guide/guide.en.md", "guide/images/launcher.png"):
            self.assertIn(wanted, names)


if __name__ == "__main__":
    unittest.main()
