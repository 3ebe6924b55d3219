"""The shipped programs are single static executables that need nothing but Windows' own DLLs."""
import re
import struct
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


def subsystem_version(exe):
    """The Windows version the PE header asks for (MajorSubsystemVersion.MinorSubsystemVersion)."""
    data = exe.read_bytes()[:4096]
    header = struct.unpack_from("<I", data, 0x3C)[0] + 24  # the optional header, after "PE\0\0" and the file header
    return struct.unpack_from("<HH", data, header + 48)


def subsystem(exe):
    """The PE header's subsystem: 2 for a windowed program, 3 for a console one."""
    data = exe.read_bytes()[:4096]
    header = struct.unpack_from("<I", data, 0x3C)[0] + 24
    return struct.unpack_from("<H", data, header + 68)[0]


def imported_dlls(exe):
    # Each architecture's objdump; LC_ALL=C, as binutils localise their output.
    objdump = "i686-w64-mingw32-objdump" if exe.read_bytes()[:4096].find(b"PE\0\0L\x01") >= 0 else \
        "x86_64-w64-mingw32-objdump"
    dump = subprocess.run([objdump, "-p", str(exe)], capture_output=True, text=True, check=True,
                          env={"PATH": "/usr/bin:/bin", "LC_ALL": "C"})
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
        # Windows 7 (6.1) refuses to start a program whose header asks for a later version.
        self.assertLessEqual(subsystem_version(exe), (6, 1))

    def test_quorvel(self):
        self.check_program(paths.quorvel_exe(), "asInvoker")

    def test_quorvelctl_is_a_console_program_on_known_dlls_only(self):
        for exe in (paths.quorvelctl_exe(), paths.stage("x86") / "quorvelctl.exe"):
            self.assertTrue(exe.exists(), f"{exe} not built")
            dlls = imported_dlls(exe)
            self.assertIn("kernel32.dll", dlls)
            self.assertFalse(dlls - KNOWN_DLLS, f"{exe} imports DLLs a planted file could replace")
            self.assertFalse(dlls & LOADED_AT_RUN_TIME, f"{exe} imports a DLL that pulls in winspool.drv")
            self.assertEqual(subsystem(exe), 3, exe)  # the console subsystem: it runs in the caller's window
            self.assertLessEqual(subsystem_version(exe), (6, 1))
            image = exe.read_bytes()
            self.assertIn(b'level="asInvoker"', image)
            self.assertIn("VS_VERSION_INFO".encode("utf-16-le"), image)

    def test_installer_helper_is_a_console_program_on_known_dlls_only(self):
        for exe in (paths.windows_build() / "setup" / "QRXStore.exe",
                    paths.windows_x86_build() / "setup" / "QRXStore.exe"):
            self.assertTrue(exe.exists(), f"{exe} not built")
            dlls = imported_dlls(exe)
            self.assertIn("kernel32.dll", dlls)
            # It runs with the installer's rights: a DLL planted beside it must not load.
            self.assertFalse(dlls - KNOWN_DLLS, f"{exe} imports DLLs a planted file could replace")
            self.assertNotIn("setupapi.dll", dlls, "setupapi is loaded from the system folder at run time")
            self.assertEqual(subsystem(exe), 3, exe)
            self.assertLessEqual(subsystem_version(exe), (6, 1))
            image = exe.read_bytes()
            self.assertIn(b'level="asInvoker"', image)
            self.assertIn("VS_VERSION_INFO".encode("utf-16-le"), image)

    def test_omblet_asks_for_administrator_rights(self):
        self.check_program(paths.omblet_exe(), "requireAdministrator")
        self.check_program(paths.omblet_fixture_wmi_exe(), "requireAdministrator")

    def test_x86_programs(self):
        self.check_program(paths.stage("x86") / "Quorvel.exe", "asInvoker")
        self.check_program(paths.stage("x86") / "Omblet.exe", "requireAdministrator")


class ReleasePackage(unittest.TestCase):
    def test_zip_holds_both_architectures_each_with_its_programs_package_and_skins(self):
        with zipfile.ZipFile(paths.release_zip()) as package:
            names = {name.split("/", 1)[1] for name in package.namelist()}
            for arch in ("x64", "x86"):
                for wanted in ("Quorvel.exe", "Omblet.exe", "quorvelctl.exe", "QRX/QRX.inf", "QRX/QRX203.GPD",
                               "QRX/QRX.cat", "skin/"):
                    self.assertIn(f"{arch}/{wanted}", names)
                # The skin folder ships empty: every file in it would show in the skin lists.
                self.assertFalse([n for n in names if n.startswith(f"{arch}/skin/") and n != f"{arch}/skin/"])
                top = package.namelist()[0].split("/", 1)[0]
                for name in ("Quorvel.exe", "Omblet.exe", "quorvelctl.exe", "QRX/QRX.cat"):
                    self.assertEqual(package.read(f"{top}/{arch}/{name}"), (paths.stage(arch) / name).read_bytes())
            # The guide goes in after the end-to-end run, with its screenshots (scripts/release-guide).
            self.assertNotIn("Quorvel.exe", names)


if __name__ == "__main__":
    unittest.main()
