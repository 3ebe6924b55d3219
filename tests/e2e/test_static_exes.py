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


MACHINE_ARCHITECTURES = {0x14C: "x86", 0x8664: "amd64"}
RT_MANIFEST = 24


def machine(exe):
    """The architecture the PE header says the program is built for."""
    data = exe.read_bytes()[:4096]
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    return MACHINE_ARCHITECTURES.get(struct.unpack_from("<H", data, pe + 4)[0], "unknown")


def manifest_resource(exe):
    """The text of the program's manifest resource (type 24), read through the PE's resource directory."""
    data = exe.read_bytes()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    sections, optional_size = struct.unpack_from("<H", data, pe + 6)[0], struct.unpack_from("<H", data, pe + 20)[0]
    optional = pe + 24
    directories = optional + (96 if struct.unpack_from("<H", data, optional)[0] == 0x10B else 112)
    resource_rva = struct.unpack_from("<I", data, directories + 2 * 8)[0]
    table = [struct.unpack_from("<IIII", data, optional + optional_size + 40 * i + 8) for i in range(sections)]

    def offset(rva):
        for size, address, raw_size, raw in table:
            if address <= rva < address + max(size, raw_size):
                return raw + rva - address
        raise ValueError(f"RVA {rva:#x} is in no section of {exe}")

    base = offset(resource_rva)

    def entries(directory):
        named, ids = struct.unpack_from("<HH", data, base + directory + 12)
        for i in range(named + ids):
            yield struct.unpack_from("<II", data, base + directory + 16 + 8 * i)

    for name, target in entries(0):
        if name == RT_MANIFEST and target & 0x80000000:
            _, by_id = next(entries(target & 0x7FFFFFFF))
            _, by_language = next(entries(by_id & 0x7FFFFFFF))
            rva, size = struct.unpack_from("<II", data, base + by_language)
            return data[offset(rva):offset(rva) + size].decode("utf-8")
    raise AssertionError(f"{exe} has no manifest resource")


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


class Manifests(unittest.TestCase):
    def test_each_program_s_manifest_names_the_architecture_it_is_built_for(self):
        """Windows' side-by-side loader may refuse a program whose manifest names another architecture."""
        programs = [paths.quorvel_exe(), paths.omblet_exe(), paths.omblet_fixture_wmi_exe(), paths.quorvelctl_exe()]
        programs += [paths.stage("x86") / name for name in ("Quorvel.exe", "Omblet.exe", "quorvelctl.exe")]
        seen = set()
        for exe in programs:
            with self.subTest(exe=str(exe)):
                self.assertTrue(exe.exists(), f"{exe} not built")
                seen.add(machine(exe))
                identity = re.search(r"<assemblyIdentity\b[^>]*>", manifest_resource(exe))
                self.assertIsNotNone(identity, exe)
                named = re.search(r'processorArchitecture="([^"]*)"', identity.group(0))
                self.assertIsNotNone(named, identity.group(0))
                self.assertIn(named.group(1), (machine(exe), "*"), f"{exe.name} is built for {machine(exe)}")
        self.assertEqual(seen, {"x86", "amd64"})


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
