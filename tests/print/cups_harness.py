"""A private cupsd (Debian's cups) in front of quorvelprint: its own configuration folder, listening on 127.0.0.1 at a
free port and on a socket in that folder, which its clients (lpadmin, lp) reach through CUPS_SERVER. It runs as root
and its filters as lp, as the system's cupsd does."""
import grp
import os
import re
import shutil
import subprocess
import tempfile
from pathlib import Path

from print_harness import free_port, ipp, job_state, wait_until

# What a private cupsd needs, beside root: the scheduler, its clients, and the PDF filters of cups-filters.
PROGRAMS = ("cupsd", "lpadmin", "lp", "lpstat", "ipptool", "gs")


class PrivateCups:
    def __init__(self):
        self.folder = Path(tempfile.mkdtemp(prefix="cupsd-test-"))
        # The filters run as lp: they must reach the PPD and the spooled files below this folder.
        self.folder.chmod(0o755)
        self.port = free_port()
        self.socket = self.folder / "cups.sock"
        lp = grp.getgrnam("lp").gr_gid
        for name, mode in (("spool", 0o710), ("tmp", 0o1770), ("cache", 0o755), ("state", 0o755), ("log", 0o755),
                           ("ppd", 0o755), ("ssl", 0o700)):
            path = self.folder / name
            path.mkdir()
            # Without a temporary folder that lp may write, the PDF filter fails and the printer gets an empty job.
            if name in ("spool", "tmp"):
                os.chown(path, 0, lp)
            path.chmod(mode)
        (self.folder / "cupsd.conf").write_text(
            f"Listen 127.0.0.1:{self.port}\nListen {self.socket}\nLogLevel debug\nBrowsing No\nWebInterface No\n"
            "DefaultAuthType None\nDefaultEncryption Never\n"
            "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
            "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n")
        # Every place the scheduler writes is in the folder: the system's printcap and certificates stay as they are.
        (self.folder / "cups-files.conf").write_text(
            f"ServerRoot {self.folder}\nRequestRoot {self.folder}/spool\nTempDir {self.folder}/tmp\n"
            f"CacheDir {self.folder}/cache\nStateDir {self.folder}/state\nErrorLog {self.folder}/log/error_log\n"
            f"AccessLog {self.folder}/log/access_log\nPageLog {self.folder}/log/page_log\n"
            f"Printcap {self.folder}/printcap\nServerKeychain {self.folder}/ssl\nCreateSelfSignedCerts no\n"
            "User lp\nGroup lp\nSystemGroup root\n")
        self.env = dict(os.environ, CUPS_SERVER=str(self.socket))
        self.process = subprocess.Popen(["cupsd", "-f", "-c", str(self.folder / "cupsd.conf"), "-s",
                                         str(self.folder / "cups-files.conf")],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        wait_until(self._running, 20, "the private cupsd to answer")

    def _running(self):
        if self.process.poll() is not None:
            raise AssertionError(f"cupsd ended: {self.process.stderr.read().decode(errors='replace')}\n"
                                 f"{self.log_text()[-3000:]}")
        return self.run("lpstat", "-r").stdout.startswith("scheduler is running")

    def run(self, *args):
        return subprocess.run(list(args), env=self.env, capture_output=True, text=True, timeout=60)

    def uri(self, queue):
        return f"ipp://127.0.0.1:{self.port}/printers/{queue}"

    def add_everywhere_queue(self, queue, printer_uri):
        """lpadmin -m everywhere: CUPS asks the printer at `printer_uri` what it can do and makes a PPD of it."""
        result = self.run("lpadmin", "-p", queue, "-E", "-v", printer_uri, "-m", "everywhere")
        if result.returncode != 0:
            raise AssertionError(f"lpadmin: {result.stderr}")
        # cupsd answers lpadmin before it has asked the printer and made the PPD, and meanwhile takes jobs for the
        # queue as a raw one (a PDF then goes to the printer as it is): the queue is ready once it has its PPD.
        wait_until(lambda: self._nickname(queue) and self._nickname(queue) == self._make_and_model(queue), 30,
                   f"CUPS to make the PPD of {queue}")

    def _nickname(self, queue):
        ppd = self.folder / "ppd" / f"{queue}.ppd"
        found = re.search(r'^\*NickName: "(.*)"', ppd.read_text(errors="replace"), re.M) if ppd.exists() else None
        return found[1] if found else None

    def _make_and_model(self, queue):
        result = ipp(self.uri(queue), [
            "OPERATION Get-Printer-Attributes", "GROUP operation-attributes-tag",
            "ATTR charset attributes-charset utf-8", "ATTR naturalLanguage attributes-natural-language en",
            "ATTR uri printer-uri $uri", "ATTR keyword requested-attributes printer-make-and-model"])
        return next((group["printer-make-and-model"] for group in result.get("ResponseAttributes") or []
                     if "printer-make-and-model" in group), None)

    def page_sizes(self, queue):
        """The PageSize lines of the PPD that CUPS made for `queue`."""
        ppd = self.folder / "ppd" / f"{queue}.ppd"
        return [line for line in ppd.read_text(errors="replace").splitlines() if "PageSize" in line] \
            if ppd.exists() else []

    def print_file(self, queue, path, *options):
        """lp; returns CUPS's job id."""
        result = self.run("lp", "-d", queue, *(word for option in options for word in ("-o", option)), str(path))
        found = re.search(rf"request id is {re.escape(queue)}-(\d+)", result.stdout)
        if result.returncode != 0 or not found:
            raise AssertionError(f"lp: {result.stdout}{result.stderr}")
        return int(found[1])

    def wait_job(self, queue, job_id, timeout=60):
        """The job's end state, polled through IPP: (state name, reasons, message)."""
        return wait_until(lambda: (lambda s: s if s[0] in ("canceled", "aborted", "completed") else None)(
            job_state(self.uri(queue), job_id)), timeout, f"CUPS job {job_id} to end")

    def log_text(self):
        log = self.folder / "log" / "error_log"
        return log.read_text(errors="replace") if log.exists() else ""

    def job_log(self):
        """What the scheduler said about its jobs: filters started and ended, errors, states (no debug detail)."""
        return "\n".join(line for line in self.log_text().splitlines()
                         if "[Job " in line and (not line.startswith("D ") or "exited" in line or "filter" in line))

    def close(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=20)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.process.stderr.close()
        shutil.rmtree(self.folder, ignore_errors=True)
