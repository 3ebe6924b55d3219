"""make_cat against small packages: what each entry holds, the catalog's time, and what it refuses."""
import datetime
import hashlib
import pathlib
import subprocess
import sys
import tempfile
import unittest

import make_cat

INF = "\ufeff[Version]\r\nSignature=\"$Windows NT$\"\r\nDriverVer=03/14/2025,1.2.3.4\r\n"


class MakeCat(unittest.TestCase):
    def setUp(self):
        self.folder = pathlib.Path(tempfile.mkdtemp())
        self.inf = self.folder / "Pkg.INF"
        self.inf.write_bytes(INF.encode("utf-16-le"))
        self.gpd = self.folder / "data.gpd"
        self.gpd.write_bytes(b"*GPDSpecVersion: \"1.0\"\r\n")

    def make(self, *files):
        output = self.folder / "pkg.cat"
        result = subprocess.run([sys.executable, str(pathlib.Path(make_cat.__file__)), str(output), *map(str, files)],
                                capture_output=True, text=True)
        return result, output

    def parse(self, output):
        info = make_cat.ContentInfo.load(output.read_bytes())
        return info["content"]["content_info"]["content"]

    def test_entries_hold_hash_tag_name_and_windows_versions(self):
        result, output = self.make(self.inf, self.gpd)
        self.assertEqual(result.returncode, 0, result.stderr)
        ctl = self.parse(output)
        self.assertEqual(ctl["subject_usage"].native, [make_cat.OID_CATALOG_LIST])
        self.assertEqual(ctl["subject_algorithm"]["algorithm"].native, make_cat.OID_CATALOG_LIST_MEMBER)
        found = {}
        for entry in ctl["trusted_subjects"]:
            attributes = {}
            for attribute in entry["attributes"]:
                value = attribute["values"][0]
                if attribute["type"].native == make_cat.OID_CAT_NAMEVALUE:
                    pair = make_cat.CatNameValue.load(value.dump())
                    self.assertEqual(pair["flags"].native, 0x10010001)
                    attributes[pair["tag"].native] = pair["value"].native.decode("utf-16-le")
                elif attribute["type"].native == make_cat.OID_SPC_INDIRECT_DATA:
                    indirect = make_cat.SpcIndirectDataContent.load(value.dump())
                    self.assertEqual(indirect["message_digest"]["digest_algorithm"]["algorithm"].native, "sha1")
                    attributes["digest"] = indirect["message_digest"]["digest"].native
                elif attribute["type"].native == make_cat.OID_CAT_MEMBERINFO:
                    info = make_cat.CatMemberInfo.load(value.dump())
                    attributes["subject"] = info["subject_guid"].native
            found[attributes["File"]] = (entry["identifier"].native, attributes)
        self.assertEqual(sorted(found), ["data.gpd\0", "pkg.inf\0"])
        for path in (self.inf, self.gpd):
            tag, attributes = found[path.name.lower() + "\0"]
            digest = hashlib.sha1(path.read_bytes()).digest()
            self.assertEqual(attributes["digest"], digest)
            self.assertEqual(tag, (digest.hex().upper() + "\0").encode("utf-16-le"))
            self.assertEqual(attributes["OSAttr"], "2:6.1,2:6.2,2:6.3,2:10.0\0")
            self.assertEqual(attributes["subject"], "{DE351A42-8E59-11D0-8C47-00C04FC295EE}")
        self.assertEqual(ctl["this_update"].native, datetime.datetime(2025, 3, 14, tzinfo=datetime.timezone.utc))
        # OpenSSL reads it as a PKCS #7 signed-data message.
        check = subprocess.run(["openssl", "pkcs7", "-inform", "DER", "-in", str(output), "-noout"],
                               capture_output=True)
        self.assertEqual(check.returncode, 0, check.stderr)

    def test_same_package_same_catalog_and_a_changed_file_changes_it(self):
        first = self.make(self.inf, self.gpd)[1].read_bytes()
        self.assertEqual(self.make(self.gpd, self.inf)[1].read_bytes(), first)
        self.gpd.write_bytes(b"*GPDSpecVersion: \"1.1\"\r\n")
        self.assertNotEqual(self.make(self.inf, self.gpd)[1].read_bytes(), first)

    def test_refuses_what_makes_no_catalog(self):
        twin = self.folder / "sub"
        twin.mkdir()
        (twin / "DATA.GPD").write_bytes(b"x")
        cases = [((self.inf, self.gpd, twin / "DATA.GPD"), "two files of the same name"),
                 ((self.gpd,), "no INF with a DriverVer"),
                 ((self.inf, self.folder / "pkg.cat"), "cannot list itself")]
        (self.folder / "pkg.cat").write_bytes(b"old")
        for files, message in cases:
            with self.subTest(message=message):
                result, output = self.make(*files)
                self.assertNotEqual(result.returncode, 0)
                self.assertIn(message, result.stderr)
                self.assertEqual(output.read_bytes(), b"old")


if __name__ == "__main__":
    unittest.main()
