"""build_msi.py on a stand-in release: what the package holds, with and without the guide, and its refusals of bad
input, which name the problem and leave an earlier package as it was."""
import struct
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

BUILD_MSI = Path(__file__).resolve().parent / "build_msi.py"
STAGED = ("Quorvel.exe", "Omblet.exe", "quorvelctl.exe", "QRX/QRX.inf", "QRX/QRX203.GPD", "QRX/QRX.cat")


# Versions the stand-in programs carry in their version resources, each its own so that a mix-up shows.
VERSIONS = {"Quorvel.exe": (1, 2, 3, 1), "Omblet.exe": (1, 2, 3, 2), "quorvelctl.exe": (1, 2, 3, 3),
            "QRXStore.exe": (1, 2, 3, 4)}


def program(version):
    """A stand-in program with the fixed part of a version resource (VS_FIXEDFILEINFO) after some other bytes."""
    major, minor, build, revision = version
    header = struct.pack("<HHH", 0x34C, 0x34, 0) + "VS_VERSION_INFO\0".encode("utf-16-le") + b"\0\0"
    fixed = struct.pack("<IIII", 0xFEEF04BD, 0x10000, major << 16 | minor, build << 16 | revision)
    return b"MZ stand-in program\0\0\0\0" + header + fixed + bytes(44)


def table(package, name):
    exported = subprocess.run(["msiinfo", "export", str(package), name], capture_output=True, check=True)
    return [line.split("\t") for line in exported.stdout.decode("utf-8").splitlines()[3:] if line]


class BuildMsi(unittest.TestCase):
    def setUp(self):
        self.folder = Path(tempfile.mkdtemp(prefix="build_msi_test-"))
        self.addCleanup(subprocess.run, ["rm", "-rf", str(self.folder)])
        self.stage = self.folder / "stage"
        for name in STAGED:
            (self.stage / name).parent.mkdir(parents=True, exist_ok=True)
            (self.stage / name).write_bytes(program(VERSIONS[name]) if name in VERSIONS else name.encode() * 10)
        self.helper = self.folder / "QRXStore.exe"
        self.helper.write_bytes(program(VERSIONS["QRXStore.exe"]))
        self.action = self.folder / "QRXStoreAction.dll"
        self.action.write_bytes(b"action")
        self.guide = self.folder / "guide"
        (self.guide / "images").mkdir(parents=True)
        (self.guide / "guide.zh.html").write_text("zh")
        (self.guide / "guide.en.html").write_text("en")
        (self.guide / "images" / "a.png").write_bytes(b"png")
        self.out = self.folder / "out" / "Quorvel-1.2.3-x86.msi"

    def build(self, *extra, version="1.2.3", arch="x86"):
        command = [sys.executable, str(BUILD_MSI), "--arch", arch, "--stage", str(self.stage), "--helper",
                   str(self.helper), "--action", str(self.action), "--version", version, "--out", str(self.out),
                   *map(str, extra)]
        return subprocess.run(command, capture_output=True, text=True, timeout=300)

    def test_package_with_the_guide(self):
        result = self.build("--guide", self.guide)
        self.assertEqual(result.returncode, 0, result.stderr)
        properties = dict(row[:2] for row in table(self.out, "Property"))
        self.assertEqual(properties["ProductVersion"], "1.2.3")
        files = sorted(row[2] for row in table(self.out, "File"))
        self.assertEqual(files, sorted(["Quorvel.exe", "Omblet.exe", "quorvelctl.exe", "QRXStore.exe", "QRX.inf",
                                        "QRX203.GPD", "QRX.cat", "guide.zh.html", "guide.en.html", "a.png"]))
        shortcuts = {row[0]: (row[2], row[4]) for row in table(self.out, "Shortcut")}
        self.assertEqual(shortcuts["GuideZh"], ("Quorvel 与 Omblet 使用说明", "[#GuideZhHtml]"))
        self.assertEqual(shortcuts["GuideEn"], ("Quorvel and Omblet user guide", "[#GuideEnHtml]"))
        actions = {row[0]: row[3] for row in table(self.out, "CustomAction")}
        self.assertEqual(actions["SetHelpLink"], "[INSTALLDIR]guide\\guide.zh.html")
        # Every folder of the guide goes on removal.
        removed = {row[3] for row in table(self.out, "RemoveFile")}
        directories = {row[0]: row[2] for row in table(self.out, "Directory")}
        self.assertEqual({directories[d] for d in removed if d not in ("INSTALLDIR", "ProgramMenuDir")},
                         {"QRX", "skin", "guide", "images"})
        self.assertEqual(list(self.out.parent.iterdir()), [self.out])

    def test_programs_are_versioned_files_and_the_summary_has_the_products_language(self):
        result = self.build()
        self.assertEqual(result.returncode, 0, result.stderr)
        versions = {row[2]: row[4] for row in table(self.out, "File")}
        self.assertEqual(versions, {"Quorvel.exe": "1.2.3.1", "Omblet.exe": "1.2.3.2", "quorvelctl.exe": "1.2.3.3",
                                    "QRXStore.exe": "1.2.3.4", "QRX.inf": "", "QRX203.GPD": "", "QRX.cat": ""})
        properties = dict(row[:2] for row in table(self.out, "Property"))
        summary = subprocess.run(["msiinfo", "suminfo", str(self.out)], capture_output=True, text=True).stdout
        self.assertIn(f"\nTemplate: Intel;{properties['ProductLanguage']}\n", summary)
        self.assertIn("\nSubject: Quorvel 1.2.3 (x86)\n", summary)

    def test_package_without_the_guide_has_no_guide_shortcut_or_help_link(self):
        result = self.build()
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(sorted(row[0] for row in table(self.out, "Shortcut")), ["QuorvelEn", "QuorvelZh"])
        self.assertNotIn("SetHelpLink", [row[0] for row in table(self.out, "CustomAction")])

    def test_bad_input_is_refused_by_name_and_leaves_the_earlier_package(self):
        self.out.parent.mkdir(parents=True)
        self.out.write_bytes(b"an earlier package")
        (self.guide / "guide.en.html").rename(self.guide / "english.html")
        (self.folder / "bad-guide").mkdir()
        for name in ("guide.zh.html", "guide.en.html", "说明.png"):
            (self.folder / "bad-guide" / name).write_text("x")
        cases = [
            ((), "1.2", "x86", "version '1.2' is not major.minor.build"),
            ((), "1.256.0", "x86", "version '1.256.0' is not major.minor.build"),
            ((), "1.2.3", "arm64", "architecture 'arm64' is neither x64 nor x86"),
            (("--guide", self.guide), "1.2.3", "x86", "lacks guide.en.html"),
            (("--guide", self.folder / "bad-guide"), "1.2.3", "x86", "has a non-ASCII name"),
        ]
        for extra, version, arch, message in cases:
            with self.subTest(message=message):
                result = self.build(*extra, version=version, arch=arch)
                self.assertEqual(result.returncode, 1)
                self.assertIn(message, result.stderr)
        self.helper.write_bytes(b"a helper without a version resource")
        result = self.build()
        self.assertEqual(result.returncode, 1)
        self.assertIn(f"{self.helper} has no version resource", result.stderr)
        self.helper.write_bytes(program(VERSIONS["QRXStore.exe"]))
        (self.stage / "QRX" / "QRX.cat").unlink()
        result = self.build()
        self.assertEqual(result.returncode, 1)
        self.assertIn("lacks QRX/QRX.cat: stage the x86 release first", result.stderr)
        self.assertEqual(self.out.read_bytes(), b"an earlier package")
        self.assertEqual(list(self.out.parent.iterdir()), [self.out])


if __name__ == "__main__":
    unittest.main()
