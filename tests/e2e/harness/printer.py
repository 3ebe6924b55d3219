"""A simulated USB printer behind a device path of the Wine prefix."""
import os
import subprocess
import time

from . import paths
from .session import USB_PRINTER_CLASS


def device_path(instance):
    """The device path of a usbprint instance such as USB\\VID_1A86&PID_1000\\ABC."""
    return "\\\\?\\" + instance.replace("\\", "#") + "#" + USB_PRINTER_CLASS


class SimulatedPrinter:
    def __init__(self, session, instance="USB\\VID_1A86&PID_1000\\SIM0001", mode=None, ignore=(), **state):
        self.session = session
        self.instance = instance
        self.device_path = device_path(instance)
        tag = instance.replace("\\", "_").replace("&", "_")
        work = session.root / f"printer-{tag}"
        work.mkdir(parents=True, exist_ok=True)
        self.log = work / "received.log"
        self.state_file = work / "state.txt"
        self.control_fifo = work / "control"
        ready = work / "ready"
        command = [str(paths.printer_sim()), "--link", str(session.dosdevice(self.device_path)),
                   "--log", str(self.log), "--state-file", str(self.state_file),
                   "--control", str(self.control_fifo), "--ready", str(ready)]
        for key, value in state.items():
            command += ["--set", f"{key}={value}"]
        for key in ignore:  # settings this printer accepts but does not take
            command += ["--ignore", key]
        if mode:
            command += ["--mode", mode]
        self._process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        deadline = time.monotonic() + 10
        while not ready.exists():
            if self._process.poll() is not None:
                raise RuntimeError("printer_sim failed: " + self._process.stderr.read().decode())
            if time.monotonic() > deadline:
                raise RuntimeError("printer_sim did not get ready")
            time.sleep(0.02)
        session.on_close(self.stop)

    def received(self):
        """Every byte the printer has received, in order."""
        data = bytearray()
        if self.log.exists():
            for line in self.log.read_text().splitlines():
                if line.startswith("rx "):
                    data += bytes.fromhex(line[3:])
        return bytes(data)

    def answers(self):
        """How many answers the printer has sent."""
        if not self.log.exists():
            return 0
        return sum(1 for line in self.log.read_text().splitlines() if line.startswith("tx "))

    def state(self):
        values = {}
        for line in self.state_file.read_text().splitlines():
            key, _, value = line.partition("=")
            values[key] = value
        return values

    def control(self, line):
        """Changes the simulator while it runs: 'mode silent', 'set pid 7584', ..."""
        fd = os.open(self.control_fifo, os.O_WRONLY | os.O_NONBLOCK)
        try:
            os.write(fd, (line + "\n").encode())
        finally:
            os.close(fd)

    def stop(self):
        if self._process.poll() is None:
            self._process.terminate()
            try:
                self._process.wait(5)
            except subprocess.TimeoutExpired:
                self._process.kill()
