"""quorvelprint as its users run it: the real server on 127.0.0.1 at a private port with a private state folder,
as an unprivileged user (it refuses root), printed to with ipptool, its printers on the emulated USB bus of
quorvelctl's tests or behind a raw TCP port."""
import os
import plistlib
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
QUORVELPRINT = os.environ.get("QUORVELPRINT", str(ROOT / "build/linux/print_app/quorvelprint"))
NOBODY = ("setpriv", "--reuid=65534", "--regid=65534", "--clear-groups")

ENUMS = {"orientation_requested": "enum", "print_quality": "enum"}
JOB_STATES = {3: "pending", 4: "held", 5: "processing", 6: "stopped", 7: "canceled", 8: "aborted", 9: "completed"}


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def wait_until(condition, timeout, what):
    """Polls `condition` until it returns something true; fails with `what` after `timeout` seconds."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out after {timeout} s waiting for {what}")
        time.sleep(0.05)


def ipp(uri, operation_lines, file=None, prefix=()):
    """One IPP request to `uri` through ipptool ($uri in the lines), run after `prefix` (another user's setpriv);
    returns the response's attributes (plist)."""
    with tempfile.NamedTemporaryFile("w", suffix=".test") as test:
        lines = ["{", "NAME \"request\""] + operation_lines
        if file:
            lines.append(f"FILE \"{file}\"")
        lines.append("}")
        test.write("\n".join(lines) + "\n")
        test.flush()
        os.chmod(test.name, 0o644)
        result = subprocess.run([*prefix, "ipptool", "-X", "-T", "30", uri, test.name], capture_output=True,
                                timeout=60)
    if not result.stdout.strip():
        raise AssertionError("ipptool: " + result.stderr.decode(errors="replace"))
    report = plistlib.loads(result.stdout)
    tests = report.get("Tests") or []
    if not tests:
        raise AssertionError("ipptool gave no result: " + result.stderr.decode(errors="replace"))
    return tests[0]


def job_state(uri, job_id):
    """(state name, reasons, message) of job `job_id` of the printer at `uri`."""
    result = ipp(uri, [
        "OPERATION Get-Job-Attributes", "GROUP operation-attributes-tag",
        "ATTR charset attributes-charset utf-8", "ATTR naturalLanguage attributes-natural-language en",
        "ATTR uri printer-uri $uri", f"ATTR integer job-id {job_id}", "ATTR name requesting-user-name tester",
        "ATTR keyword requested-attributes job-state,job-state-reasons,job-state-message"])
    attrs = {}
    for group in result.get("ResponseAttributes") or []:
        attrs.update(group)
    reasons = attrs.get("job-state-reasons", [])
    reasons = reasons if isinstance(reasons, list) else [reasons]
    return JOB_STATES.get(attrs.get("job-state"), str(attrs.get("job-state"))), reasons, \
        attrs.get("job-state-message", "")


class PrintServer:
    """One `quorvelprint server`; `env` adds to its environment (the emulated bus's)."""

    def __init__(self, env=None, options=()):
        self.folder = Path(tempfile.mkdtemp(prefix="quorvelprint-test-"))
        self.folder.chmod(0o777)
        # The build folder may lie where an unprivileged user cannot go: run a copy from the test's own folder.
        self.program = self.folder / "quorvelprint"
        shutil.copy2(QUORVELPRINT, self.program)
        self.program.chmod(0o755)
        self.port = free_port()
        self.log = self.folder / "server.log"
        self.state = self.folder / "state"
        self.prefix = NOBODY if os.geteuid() == 0 else ()
        self.env = dict(env if env is not None else os.environ)
        # PAPPL's client commands find the server's socket in TMPDIR, by the user's number.
        self.env.update(HOME=str(self.folder), TMPDIR=str(self.folder))
        self.env.pop("XDG_STATE_HOME", None)
        # Client commands need no USB bus: they only talk to the server.
        self.client_env = {key: value for key, value in self.env.items()
                           if key not in ("LD_PRELOAD", "UMOCKDEV_DIR")}
        command = [*self.prefix, str(self.program), "server", "-o", f"server-port={self.port}",
                   "-o", "listen-hostname=127.0.0.1", "-o", f"state-directory={self.state}", "-o", "log-level=debug",
                   "-o", f"log-file={self.log}", *options]
        self.output = open(self.folder / "server.out", "wb")
        self.process = subprocess.Popen(command, env=self.env, stdout=self.output, stderr=subprocess.STDOUT)
        wait_until(self._answers, 20, "the server to answer")

    def _answers(self):
        if self.process.poll() is not None:
            raise AssertionError("the server ended: " + (self.folder / "server.out").read_text(errors="replace"))
        with socket.socket() as probe:
            return probe.connect_ex(("127.0.0.1", self.port)) == 0

    def uri(self, printer):
        return f"ipp://127.0.0.1:{self.port}/ipp/print/{printer}"

    def command(self, *args, timeout=60):
        """A client sub-command, as the server's user: (exit code, output, errors)."""
        result = subprocess.run([*self.prefix, str(self.program), *map(str, args)], env=self.client_env,
                                capture_output=True,
                                text=True, timeout=timeout)
        return result.returncode, result.stdout, result.stderr

    def add_printer(self, name, driver, device_uri):
        code, out, err = self.command("add", "-d", name, "-m", driver, "-v", device_uri)
        if code != 0:
            raise AssertionError(f"add {name}: {out}{err}")

    def ipp(self, printer, operation_lines, file=None, prefix=()):
        """One IPP request through ipptool; returns the response's attributes (plist)."""
        return ipp(self.uri(printer), operation_lines, file, prefix)

    def submit(self, printer, path, format, **attributes):
        """Print-Job with `path`; job attributes by name (media_type="continuous"); returns the job id."""
        lines = ["OPERATION Print-Job", "GROUP operation-attributes-tag", "ATTR charset attributes-charset utf-8",
                 "ATTR naturalLanguage attributes-natural-language en", "ATTR uri printer-uri $uri",
                 "ATTR name requesting-user-name tester", f"ATTR mimeMediaType document-format {format}",
                 "GROUP job-attributes-tag"]
        for name, value in attributes.items():
            if name == "media_type":  # PAPPL takes the type as a member of media-col, as CUPS sends it
                lines.append(f"ATTR collection media-col {{ MEMBER keyword media-type {value} }}")
                continue
            kind = ENUMS.get(name) or ("integer" if isinstance(value, int) else "keyword")
            lines.append(f"ATTR {kind} {name.replace('_', '-')} {value}")
        result = self.ipp(printer, lines, file=path)
        response = result.get("ResponseAttributes") or []
        for group in response:
            if "job-id" in group:
                return group["job-id"]
        raise AssertionError(f"no job id: {result.get('StatusCode')}")

    def job(self, printer, job_id):
        """(state name, reasons, message) of a job."""
        return job_state(self.uri(printer), job_id)

    def jobs(self, printer):
        """The ids of all the printer's jobs, ended ones included."""
        result = self.ipp(printer, [
            "OPERATION Get-Jobs", "GROUP operation-attributes-tag", "ATTR charset attributes-charset utf-8",
            "ATTR naturalLanguage attributes-natural-language en", "ATTR uri printer-uri $uri",
            "ATTR keyword which-jobs all", "ATTR keyword requested-attributes job-id"])
        return [group["job-id"] for group in result.get("ResponseAttributes") or [] if "job-id" in group]

    def printer_reasons(self, printer):
        result = self.ipp(printer, [
            "OPERATION Get-Printer-Attributes", "GROUP operation-attributes-tag",
            "ATTR charset attributes-charset utf-8", "ATTR naturalLanguage attributes-natural-language en",
            "ATTR uri printer-uri $uri", "ATTR keyword requested-attributes printer-state-reasons"])
        for group in result.get("ResponseAttributes") or []:
            if "printer-state-reasons" in group:
                reasons = group["printer-state-reasons"]
                return reasons if isinstance(reasons, list) else [reasons]
        return []

    def cancel(self, printer, job_id):
        return self.ipp(printer, [
            "OPERATION Cancel-Job", "GROUP operation-attributes-tag", "ATTR charset attributes-charset utf-8",
            "ATTR naturalLanguage attributes-natural-language en", "ATTR uri printer-uri $uri",
            f"ATTR integer job-id {job_id}", "ATTR name requesting-user-name tester"])

    def wait_job(self, printer, job_id, timeout=30, until=("canceled", "aborted", "completed")):
        return wait_until(lambda: (lambda s: s if s[0] in until else None)(self.job(printer, job_id)), timeout,
                          f"job {job_id} to reach {until}")

    def log_text(self):
        return self.log.read_text(errors="replace") if self.log.exists() else ""

    def close(self):
        if self.process.poll() is not None and self.process.returncode != 0:
            # It ended before the test was done with it: what it said goes with the test's failure.
            self.output.flush()
            tail = (self.folder / "server.out").read_text(errors="replace")[-3000:]
            log = "\n".join(line for line in self.log_text().splitlines() if not line.startswith("D"))[-3000:]
            print(f"quorvelprint ended with {self.process.returncode}:\n{tail}\n{log}", file=sys.stderr)
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.output.close()
        shutil.rmtree(self.folder, ignore_errors=True)


class SocketPrinter:
    """A printer behind a print server's raw port on 127.0.0.1: records what each connection sent."""

    def __init__(self):
        self.listener = socket.socket()
        self.listener.bind(("127.0.0.1", 0))
        self.listener.listen(4)
        self.port = self.listener.getsockname()[1]
        self.jobs = []
        self.lock = threading.Lock()
        self.thread = threading.Thread(target=self._serve, daemon=True)
        self.thread.start()

    @property
    def uri(self):
        return f"socket://127.0.0.1:{self.port}"

    def _serve(self):
        while True:
            try:
                connection, _ = self.listener.accept()
            except OSError:
                return
            data = bytearray()
            with connection:
                while chunk := connection.recv(65536):
                    data += chunk
            with self.lock:
                self.jobs.append(bytes(data))

    def received(self, count, timeout=30):
        """The first `count` connections' bytes, once they have ended."""
        return wait_until(lambda: (lambda j: j[:count] if len(j) >= count else None)(list(self.jobs)), timeout,
                          f"{count} connections to the printer")

    def close(self):
        self.listener.close()
