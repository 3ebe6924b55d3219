"""scripts/sign-release with a throwaway certificate and a local RFC 3161 timestamp server: every program and
catalog of the release is signed and verifies against that certificate (osslsigncode), the signed catalogs still
cover their packages (wintrust under Wine), the installer packages are built again from the signed files and signed,
and the script refuses clearly without ever leaving a half-signed zip."""
import hashlib
import http.server
import os
import re
import subprocess
import threading
import unittest
import zipfile
from harness import paths
from harness.case import WineTestCase

SIGN_RELEASE = paths.REPO_ROOT / "scripts" / "sign-release"
SIGNED = ("x64/Quorvel.exe", "x64/Omblet.exe", "x64/quorvelctl.exe", "x86/Quorvel.exe", "x86/Omblet.exe",
          "x86/quorvelctl.exe", "x64/QRX/QRX.cat", "x86/QRX/QRX.cat")
TSA_CONFIG = """
[tsa]
default_tsa = tsa_config
[tsa_config]
dir = {dir}
serial = $dir/tsa-serial
signer_cert = $dir/tsa.pem
signer_key = $dir/tsa.key
certs = $dir/ca.pem
signer_digest = sha256
default_policy = 1.2.3.4.1
digests = sha1, sha256
accuracy = secs:1
ess_cert_id_chain = no
ess_cert_id_alg = sha256
"""


def openssl(*args, cwd):
    subprocess.run(["openssl", *args], cwd=cwd, check=True, capture_output=True)


def issue(folder, name, subject, extensions, ca="ca"):
    """A key and a certificate issued by the throwaway root."""
    (folder / f"{name}.ext").write_text(extensions)
    openssl("req", "-newkey", "rsa:2048", "-nodes", "-keyout", f"{name}.key", "-out", f"{name}.csr",
            "-subj", subject, cwd=folder)
    openssl("x509", "-req", "-in", f"{name}.csr", "-CA", f"{ca}.pem", "-CAkey", f"{ca}.key", "-CAcreateserial",
            "-days", "3", "-sha256", "-out", f"{name}.pem", "-extfile", f"{name}.ext", cwd=folder)


def make_root(folder, name, subject):
    openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", f"{name}.key", "-out", f"{name}.pem",
            "-days", "3", "-sha256", "-subj", subject, "-addext", "basicConstraints=critical,CA:TRUE",
            "-addext", "keyUsage=critical,keyCertSign,cRLSign", cwd=folder)


class TimestampServer:
    """An RFC 3161 server on the loopback address: each request answered by `openssl ts -reply`."""

    def __init__(self, folder):
        config = folder / "tsa.cnf"
        config.write_text(TSA_CONFIG.format(dir=folder))
        (folder / "tsa-serial").write_text("01\n")
        self.requests = 0
        self.fail_from = None  # the number of the first request to refuse, when set
        server = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_POST(self):
                query = self.rfile.read(int(self.headers["Content-Length"]))
                server.requests += 1
                if server.fail_from is not None and server.requests >= server.fail_from:
                    try:
                        self.send_error(503, "refused by the test")
                    except (BrokenPipeError, ConnectionResetError):
                        pass  # the client may hang up as soon as it reads the status
                    return
                answer = subprocess.run(["openssl", "ts", "-reply", "-config", str(config), "-queryfile", "/dev/stdin",
                                         "-out", "/dev/stdout"], input=query, capture_output=True)
                self.send_response(200 if answer.returncode == 0 else 500)
                self.send_header("Content-Type", "application/timestamp-reply")
                self.send_header("Content-Length", str(len(answer.stdout)))
                self.end_headers()
                self.wfile.write(answer.stdout)

            def log_message(self, *args):
                pass

        self.httpd = http.server.HTTPServer(("127.0.0.1", 0), Handler)
        self.url = f"http://127.0.0.1:{self.httpd.server_address[1]}/"
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()


class ReleaseSigning(WineTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.keys = cls.session.root / "keys"
        cls.keys.mkdir()
        make_root(cls.keys, "ca", "/CN=Quorvel Throwaway Root")
        issue(cls.keys, "signer", "/CN=Quorvel Throwaway Signer",
              "basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n")
        issue(cls.keys, "tsa", "/CN=Quorvel Throwaway Timestamps",
              "basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=critical,timeStamping\n")
        make_root(cls.keys, "other", "/CN=Some Other Root")
        (cls.keys / "chain.pem").write_text((cls.keys / "signer.pem").read_text() + (cls.keys / "ca.pem").read_text())
        cls.tsa = TimestampServer(cls.keys)
        cls.session.on_close(cls.tsa.close)
        cls.unsigned = paths.release_zip()

    def sign(self, out, **env):
        variables = {k: v for k, v in os.environ.items() if not k.startswith("SIGN_")}
        variables.update(env)
        return subprocess.run([str(SIGN_RELEASE), str(self.unsigned), str(out)], env=variables, capture_output=True,
                              text=True, timeout=300)

    def good_env(self, **extra):
        env = {"SIGN_CERT": str(self.keys / "chain.pem"), "SIGN_KEY": str(self.keys / "signer.key")}
        env.update(extra)
        return env

    def verify(self, path, ca="ca.pem", *extra):
        return subprocess.run(["osslsigncode", "verify", "-CAfile", str(self.keys / ca), "-TSA-CAfile",
                               str(self.keys / "ca.pem"), *extra, "-in", str(path)], capture_output=True, text=True)

    def unpack(self, zip_path, name):
        folder = self.session.root / name
        with zipfile.ZipFile(zip_path) as archive:
            archive.extractall(folder)
        (top,) = list(folder.iterdir())
        return top

    def test_1_signed_release_verifies_with_timestamps(self):
        out = self.session.root / "signed.zip"
        result = self.sign(out, **self.good_env(SIGN_TIMESTAMP_URL=self.tsa.url))
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(self.tsa.requests, len(SIGNED))
        signed = self.unpack(out, "signed")
        unsigned = self.unpack(self.unsigned, "unsigned")
        for name in SIGNED:
            with self.subTest(name=name):
                check = self.verify(signed / name)
                self.assertEqual(check.returncode, 0, check.stdout + check.stderr)
                self.assertIn("Signature verification: ok", check.stdout)
                self.assertIn("Quorvel Throwaway Signer", check.stdout)
                self.assertIn("Message digest algorithm: SHA256", check.stdout)
                self.assertIn("Timestamp Server Signature verification: ok", check.stdout)
                self.assertNotEqual((signed / name).read_bytes(), (unsigned / name).read_bytes())
                # A certificate nobody issued to us does not vouch for it.
                self.assertNotEqual(self.verify(signed / name, "other.pem").returncode, 0)
        # Everything else is what the unsigned release held.
        rest = sorted(str(p.relative_to(unsigned)) for p in unsigned.rglob("*"))
        self.assertEqual(rest, sorted(str(p.relative_to(signed)) for p in signed.rglob("*")))
        for path in unsigned.rglob("*"):
            if path.is_file() and str(path.relative_to(unsigned)) not in SIGNED:
                self.assertEqual(path.read_bytes(), (signed / path.relative_to(unsigned)).read_bytes(), path)
        self.__class__.signed = signed

    def test_2_signed_catalogs_list_each_file_of_their_package(self):
        for arch in ("x64", "x86"):
            package = self.signed / arch / "QRX"
            listing = self.verify(package / "QRX.cat", "ca.pem", "-verbose").stdout
            digests = set(re.findall(r"Message digest: ([0-9A-F]{40}) ", listing))
            files = {hashlib.sha1((package / name).read_bytes()).hexdigest().upper() for name in ("QRX.inf",
                                                                                                   "QRX203.GPD")}
            self.assertEqual(digests, files, listing)
            # wintrust reads the signed catalog as it read the unsigned one.
            code, out, err = self.session.run(paths.tool_exe("cat_check.exe"),
                                              self.session.windows_path(package / "QRX.cat"),
                                              "--os-attr", "2:6.1,2:6.2,2:6.3,2:10.0")
            self.assertEqual(code, 0, out + err)

    def test_3_refuses_without_certificate_or_key_or_with_a_foreign_key(self):
        out = self.session.root / "refused.zip"
        cases = [
            ({"SIGN_KEY": str(self.keys / "signer.key")}, "SIGN_CERT is not set"),
            ({"SIGN_CERT": str(self.keys / "chain.pem")}, "SIGN_KEY is not set"),
            (self.good_env(SIGN_KEY=str(self.keys / "tsa.key")), "SIGN_KEY does not belong to the first certificate"),
            (self.good_env(SIGN_CERT=str(self.keys / "signer.key")), "holds no PEM certificate"),
            (self.good_env(SIGN_KEY=str(self.keys / "missing.key")), "cannot read the private key"),
        ]
        for env, message in cases:
            with self.subTest(message=message):
                result = self.sign(out, **env)
                self.assertEqual(result.returncode, 1)
                self.assertIn(message, result.stderr)
                self.assertFalse(out.exists())

    def test_4_a_failure_midway_leaves_the_old_zip_and_no_partial_one(self):
        folder = self.session.root / "midway"
        folder.mkdir()
        scratch = folder / "tmp"  # where the script unpacks and signs
        scratch.mkdir()
        out = folder / "release.zip"
        out.write_bytes(b"the zip of an earlier run")
        # The server answers two files' timestamps and refuses the third: two files are signed by then.
        first = self.tsa.requests + 1
        self.tsa.fail_from = first + 2
        try:
            result = self.sign(out, TMPDIR=str(scratch), **self.good_env(SIGN_TIMESTAMP_URL=self.tsa.url))
        finally:
            self.tsa.fail_from = None
        self.assertEqual(result.returncode, 1, result.stderr)
        self.assertEqual(self.tsa.requests - first + 1, 3, "the failure was not on the third file")
        self.assertEqual(result.stdout.count("signed "), 2, result.stdout)
        self.assertIn("signing ", result.stderr)
        self.assertEqual(out.read_bytes(), b"the zip of an earlier run")
        self.assertEqual(sorted(p.name for p in folder.iterdir()), ["release.zip", "tmp"])
        self.assertEqual(list(scratch.iterdir()), [], "the unpacked and half-signed release was left behind")

    def test_5_refuses_to_sign_a_signed_release(self):
        out = self.session.root / "twice.zip"
        first = self.session.root / "once.zip"
        self.assertEqual(self.sign(first, **self.good_env()).returncode, 0)
        variables = {k: v for k, v in os.environ.items() if not k.startswith("SIGN_")}
        variables.update(self.good_env())
        result = subprocess.run([str(SIGN_RELEASE), str(first), str(out)], env=variables, capture_output=True,
                                text=True, timeout=300)
        self.assertEqual(result.returncode, 1)
        self.assertIn("is already signed", result.stderr)
        self.assertFalse(out.exists())

    def test_6_installer_packages_are_built_from_the_signed_files_and_signed(self):
        msi_dir = self.session.root / "signed-packages"
        out = self.session.root / "with-packages.zip"
        variables = {k: v for k, v in os.environ.items() if not k.startswith("SIGN_")}
        variables.update(self.good_env())
        result = subprocess.run([str(SIGN_RELEASE), str(self.unsigned), str(out), str(msi_dir)], env=variables,
                                capture_output=True, text=True, timeout=600)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        packages = sorted(p.name for p in msi_dir.iterdir())
        self.assertEqual(packages, ["Quorvel-1.0.0-x64.msi", "Quorvel-1.0.0-x86.msi"])
        for name in packages:
            with self.subTest(package=name):
                check = self.verify(msi_dir / name)
                self.assertEqual(check.returncode, 0, check.stdout + check.stderr)
                self.assertIn("Quorvel Throwaway Signer", check.stdout)
                # What the package installs is signed too: the programs, the helper and the catalog.
                contents = self.session.root / ("extracted-" + name)
                subprocess.run(["msiextract", "-C", str(contents), str(msi_dir / name)], check=True,
                               capture_output=True, timeout=120)
                for wanted in ("Quorvel.exe", "Omblet.exe", "quorvelctl.exe", "QRXStore.exe", "QRX.cat"):
                    (found,) = list(contents.rglob(wanted))
                    check = self.verify(found)
                    self.assertEqual(check.returncode, 0, f"{wanted}: {check.stdout}{check.stderr}")
                # And the custom action DLL that runs the helper, which lives in the Binary table.
                action = contents / "QRXStoreAction.dll"
                action.write_bytes(subprocess.run(["msiinfo", "extract", str(msi_dir / name), "Binary.QRXStoreAction"],
                                                  check=True, capture_output=True, timeout=120).stdout)
                check = self.verify(action)
                self.assertEqual(check.returncode, 0, f"QRXStoreAction.dll: {check.stdout}{check.stderr}")

    def test_7_packages_need_another_folder_than_the_unsigned_ones(self):
        out = self.session.root / "same-folder.zip"
        variables = {k: v for k, v in os.environ.items() if not k.startswith("SIGN_")}
        variables.update(self.good_env())
        result = subprocess.run([str(SIGN_RELEASE), str(self.unsigned), str(out), str(self.unsigned.parent)],
                                env=variables, capture_output=True, text=True, timeout=300)
        self.assertEqual(result.returncode, 1)
        self.assertIn("MSI_DIR is the folder of the unsigned packages", result.stderr)
        self.assertFalse(out.exists())


if __name__ == "__main__":
    unittest.main()
