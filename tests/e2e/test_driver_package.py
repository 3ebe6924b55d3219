"""The staged driver packages, read by Windows' own INF parser (setupapi) and catalog functions (wintrust, crypt32)
under Wine, through inf_check.exe and cat_check.exe; and broken copies, which they must refuse."""
import hashlib
import re
import shutil
import unittest

from harness import paths
from harness.case import WineTestCase

DECORATIONS = ("NTamd64", "NTx86", "NTarm64")
WINDOWS_VERSIONS = "2:6.1,2:6.2,2:6.3,2:10.0"


def read_inf(path):
    raw = path.read_bytes()
    assert raw.startswith(b"\xff\xfe"), "the INF is UTF-16LE with a byte-order mark"
    return raw[2:].decode("utf-16-le")


def write_inf(path, text):
    path.write_bytes(b"\xff\xfe" + text.encode("utf-16-le"))


class DriverPackage(WineTestCase):
    def copy_package(self, arch, name):
        """A copy of a staged package that a test may break."""
        target = self.session.root / name / "QRX"
        shutil.rmtree(target.parent, ignore_errors=True)
        shutil.copytree(paths.stage(arch) / "QRX", target)
        return target

    def inf_check(self, folder):
        args = [self.session.windows_path(folder / "QRX.inf")]
        for decoration in DECORATIONS:
            args += ["--decoration", decoration]
        return self.session.run(paths.tool_exe("inf_check.exe"), *args)

    def cat_check(self, folder):
        return self.session.run(paths.tool_exe("cat_check.exe"), self.session.windows_path(folder / "QRX.cat"),
                                "--os-attr", WINDOWS_VERSIONS)

    def test_staged_packages_pass_both_readers(self):
        for arch in ("x64", "x86"):
            with self.subTest(arch=arch):
                folder = paths.stage(arch) / "QRX"
                self.assertEqual(sorted(p.name for p in folder.iterdir()), ["QRX.cat", "QRX.inf", "QRX203.GPD"])
                code, out, err = self.inf_check(folder)
                self.assertEqual(code, 0, out + err)
                models = len(re.findall(r'^"[^"]+"=QRX_THERMAL\r?$', read_inf(folder / "QRX.inf"), re.MULTILINE))
                self.assertEqual(out.strip(), f"ok: 3 models sections, {models} models, 1 install sections, 1 files")
                code, out, err = self.cat_check(folder)
                self.assertEqual(code, 0, out + err)
                self.assertEqual(out.strip(), "ok: 2 members cover 2 files")
        # Both architectures ship the same package, so the same catalog.
        self.assertEqual((paths.stage("x64") / "QRX" / "QRX.cat").read_bytes(),
                         (paths.stage("x86") / "QRX" / "QRX.cat").read_bytes())

    def test_catalog_digests_are_the_files_sha1(self):
        folder = paths.stage("x64") / "QRX"
        catalog = (folder / "QRX.cat").read_bytes()
        for name in ("QRX.inf", "QRX203.GPD"):
            digest = hashlib.sha1((folder / name).read_bytes()).digest()
            self.assertIn(digest, catalog, name)
            self.assertIn(digest.hex().upper().encode("utf-16-le"), catalog, f"{name}: tag")

    def test_inf_check_refuses_a_model_without_install_section(self):
        folder = self.copy_package("x64", "no-install")
        text = read_inf(folder / "QRX.inf")
        text = text.replace('"RIRIRU"=QRX_THERMAL', '"RIRIRU"=QRX_MISSING', 1)
        write_inf(folder / "QRX.inf", text)
        code, out, _ = self.inf_check(folder)
        self.assertEqual(code, 1, out)
        self.assertIn("model RIRIRU in [Quorvel.NTamd64]: install section [QRX_MISSING] is missing", out)

    def test_inf_check_refuses_a_missing_decoration(self):
        folder = self.copy_package("x64", "no-arm64")
        text = read_inf(folder / "QRX.inf").replace(",NTarm64", "")
        write_inf(folder / "QRX.inf", text)
        code, out, _ = self.inf_check(folder)
        self.assertEqual(code, 1, out)
        self.assertIn("[Manufacturer] offers Quorvel without NTarm64", out)

    def test_inf_check_refuses_a_file_the_package_lacks(self):
        folder = self.copy_package("x64", "no-gpd")
        (folder / "QRX203.GPD").unlink()
        code, out, _ = self.inf_check(folder)
        self.assertEqual(code, 1, out)
        self.assertIn("the package lacks QRX203.GPD", out)
        self.assertIn("[SourceDisksFiles] lists QRX203.GPD, which the package lacks", out)
        code, out, _ = self.cat_check(folder)
        self.assertEqual(code, 1, out)
        self.assertIn("matches no file of the package", out)

    def test_inf_check_refuses_a_missing_catalog_and_an_unlisted_file(self):
        folder = self.copy_package("x64", "no-cat")
        (folder / "QRX.cat").unlink()
        text = read_inf(folder / "QRX.inf").replace("QRX203.GPD=1", "")
        write_inf(folder / "QRX.inf", text)
        code, out, _ = self.inf_check(folder)
        self.assertEqual(code, 1, out)
        self.assertIn("[Version] names the catalog QRX.cat, which the package lacks", out)
        self.assertIn("[SourceDisksFiles] does not list QRX203.GPD", out)

    def test_inf_check_refuses_a_parse_error(self):
        folder = self.copy_package("x64", "parse-error")
        text = read_inf(folder / "QRX.inf").replace("[QRX_GPD]", "[QRX_GPD", 1)
        write_inf(folder / "QRX.inf", text)
        code, out, _ = self.inf_check(folder)
        self.assertEqual(code, 1, out)
        self.assertTrue(out.startswith("parse error: line "), out)

    def test_cat_check_refuses_a_changed_file_and_an_extra_file(self):
        folder = self.copy_package("x86", "changed")
        gpd = folder / "QRX203.GPD"
        gpd.write_bytes(gpd.read_bytes().replace(b"*MaxCopies: 1", b"*MaxCopies: 2"))
        (folder / "readme.txt").write_text("not in the catalog")
        code, out, _ = self.cat_check(folder)
        self.assertEqual(code, 1, out)
        self.assertRegex(out, r"QRX203\.GPD \([0-9A-F]{40}\) has no member in the catalog")
        self.assertRegex(out, r"readme\.txt \([0-9A-F]{40}\) has no member in the catalog")
        self.assertIn("matches no file of the package", out)

    def test_cat_check_refuses_other_windows_versions_and_a_broken_catalog(self):
        folder = self.copy_package("x64", "versions")
        code, out, _ = self.session.run(paths.tool_exe("cat_check.exe"),
                                        self.session.windows_path(folder / "QRX.cat"), "--os-attr", "2:10.0")
        self.assertEqual(code, 1, out)
        self.assertIn("the catalog's OSAttr is \"2:6.1,2:6.2,2:6.3,2:10.0\", not \"2:10.0\"", out)
        catalog = folder / "QRX.cat"
        catalog.write_bytes(catalog.read_bytes()[:200])
        code, out, _ = self.cat_check(folder)
        self.assertEqual(code, 1, out)
        self.assertEqual(out.strip(), "crypt32 reads no certificate trust list in QRX.cat")


if __name__ == "__main__":
    unittest.main()
