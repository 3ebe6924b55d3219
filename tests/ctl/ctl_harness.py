"""The Linux quorvelctl against simulated printers: printer_sim processes, each on a pseudo-terminal that usb_bench
puts behind a device node of an emulated USB bus."""
import json
import os
import shutil
import subprocess
import tempfile
import time
from pathlib import Path

QUORVELCTL = os.environ.get("QUORVELCTL", str(Path(__file__).resolve().parents[2] / "build/linux/cli/linux/quorvelctl"))
REAL_SYSTEM = os.environ.get("REAL_SYSTEM", str(Path(__file__).resolve().parents[2] /
                                                "build/linux/tests/libreal_system.so"))
PRINTER_SIM = os.environ.get("PRINTER_SIM",
                             str(Path(__file__).resolve().parents[2] / "build/linux/tools/printer_sim/printer_sim"))


class Printer:
    """One printer_sim process; its device is the symlink `link` to its pseudo-terminal."""

    def __init__(self, folder, name, mode=None, ignore=(), **state):
        self.folder = folder / name
        self.folder.mkdir(parents=True)
        self.link = self.folder / "device"
        self.log = self.folder / "received.log"
        self.state_file = self.folder / "state.txt"
        ready = self.folder / "ready"
        command = [PRINTER_SIM, "--link", str(self.link), "--log", str(self.log), "--state-file", str(self.state_file),
                   "--ready", str(ready)]
        for key, value in state.items():
            command += ["--set", f"{key}={value}"]
        for key in ignore:
            command += ["--ignore", key]
        if mode:
            command += ["--mode", mode]
        self.process = subprocess.Popen(command, stderr=subprocess.PIPE)
        deadline = time.monotonic() + 10
        # The file is complete once it holds the pseudo-terminal's name.
        while not (ready.exists() and ready.read_text().strip()):
            if self.process.poll() is not None:
                raise RuntimeError("printer_sim failed: " + self.process.stderr.read().decode())
            if time.monotonic() > deadline:
                raise RuntimeError("printer_sim did not get ready")
            time.sleep(0.01)
        self.pty = ready.read_text().strip()

    @property
    def device(self):
        return str(self.link)

    def received(self):
        """Every byte the printer has received, in order."""
        data = bytearray()
        if self.log.exists():
            # "unknown" lines quote received bytes as they are: not always UTF-8.
            for line in self.log.read_text(errors="replace").splitlines():
                if line.startswith("rx "):
                    data += bytes.fromhex(line[3:])
        return bytes(data)

    def received_at_least(self, count, timeout=10):
        """What the printer has received once it holds `count` bytes (it reads as the bytes come)."""
        deadline = time.monotonic() + timeout
        while len(self.received()) < count and time.monotonic() < deadline:
            time.sleep(0.02)
        return self.received()

    def state(self):
        values = {}
        for line in self.state_file.read_text().splitlines():
            key, _, value = line.partition("=")
            values[key] = value
        return values

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.process.stderr.close()


class Bench:
    """A folder with the printers' simulators, their logs and state files."""

    def __init__(self):
        self.root = Path(tempfile.mkdtemp(prefix="quorvelctl-"))
        self.printers = []

    def printer(self, name="p", **options):
        printer = Printer(self.root / "printers", name, **options)
        self.printers.append(printer)
        return printer

    def close(self):
        for printer in self.printers:
            printer.stop()
        shutil.rmtree(self.root, ignore_errors=True)


def ctl(*args, env=None, input=None, timeout=120, prefix=(), program=QUORVELCTL):
    """Runs quorvelctl; returns (exit code, stdout, stderr) as texts."""
    result = subprocess.run([*prefix, str(program), *map(str, args)], env=env, input=input, capture_output=True,
                            timeout=timeout, text=True)
    return result.returncode, result.stdout, result.stderr


def ctl_json(*args, **options):
    code, out, err = ctl(*args, **options)
    if code != 0:
        raise AssertionError(f"quorvelctl {' '.join(map(str, args))} exited {code}: {err}")
    return json.loads(out)
