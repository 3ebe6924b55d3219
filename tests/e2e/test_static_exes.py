"""The shipped programs are single static executables that need nothing but Windows' own DLLs."""
import re
import subprocess
import unittest
import zipfile

from harness import paths

# Windows loads its KnownDLLs from the system folder whatever lies beside a program; any other DLL a program
# imports is looked for in the program's folder first, where a planted file would run with the program's rights
# (Omblet's are an administrator's). These are the KnownDLLs of Windows 7 that Windows 10 and 11 keep.
KNOWN_DLLS = {
    "advapi32.dll", "clbcatq.dll", "comdlg32.dll", "difxapi.dll", "gdi32.dll", "imagehlp.dll", "imm32.dll",
    "kernel32.dll", "msctf.dll", "msvcrt.dll", "normaliz.dll", "nsi.dll", "ole32.dll", "oleaut32.dll", "psapi.dll",
    "rpcrt4.dll", "sechost.dll", "setupapi.dll", "shell32.dll", "shlwapi.dll", "user32.dll", "wldap32.dll",
    "ws2_32.dll",
}
# Bound through the manifest's side-by-side dependency (checked below), not searched for.
SIDE_BY_SIDE_DLLS = {"comctl32.dll"}
# KnownDLLs that themselves import winspool.drv: imported statically, they would load it from the program's
# folder before the program can restrict the DLL search, so the programs load them at run time.
LOADED_AT_RUN_TIME = {"comdlg32.dll"}


def imported_dlls(exe):
    dump = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", str(exe)], capture_output=True, text=True, check=True)
    return {name.lower() for name in re.findall(r"DLL Name: (\S+)", dump.stdout)}


class StaticExecutables(unittest.TestCase):
    def check_program(self, exe, execution_level):
        self.assertTrue(exe.exists(), f"{exe} not built")
        dlls = imported_dlls(exe)
        self.assertIn("kernel32.dll", dlls)
        self.assertFalse(dlls - KNOWN_DLLS - SIDE_BY_SIDE_DLLS, f"{exe.name} imports DLLs a planted file could replace")
        self.assertFalse(dlls & LOADED_AT_RUN_TIME, f"{exe.name} imports a DLL that pulls in winspool.drv")
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
        self.check_program(paths.omblet_fixture_wmi_exe(), "requireAdministrator")


class ReleasePackage(unittest.TestCase):
    def test_zip_holds_both_programs_the_driver_package_and_skins(self):
        packages = sorted(paths.windows_build().glob("Quorvel-*-win64.zip"))
        self.assertTrue(packages, "release zip not built")
        with zipfile.ZipFile(packages[-1]) as package:
            names = {name.split("/", 1)[1] for name in package.namelist()}
            self.assertEqual(package.read(next(n for n in package.namelist() if n.endswith("/Quorvel.exe"))),
                             paths.quorvel_exe().read_bytes())
        # The guide goes in after the end-to-end run (scripts/release-guide).
        for wanted in ("Quorvel.exe", "Omblet.exe", "QRX/QRX.inf", "QRX/QRX203.GPD", "skin/"):
            self.assertIn(wanted, names)


if __name__ == "__main__":
    unittest.main()
