"""The printer application's own time, measured (run by hand with Debian's python3 as root, from tests/print):
  cd tests/print && /usr/bin/python3 ../../benchmarks/print_latency.py [ROUNDS]
- submit (ipptool Print-Job of a 100 x 150 mm label PNG) to the first and to the last byte at a printer behind a raw
  TCP port on 127.0.0.1, and at a printer on the emulated USB bus (printer_sim; its bytes are logged as they come);
- the idle server's memory (VmRSS), after start and after the jobs.
ipptool's own start (about 10 ms) is inside the submit time."""
import statistics
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests/print"))
sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests/ctl"))

import pages  # noqa: E402
from print_harness import PrintServer, SocketPrinter, wait_until  # noqa: E402


def rss_kb(pid):
    for line in Path(f"/proc/{pid}/status").read_text().splitlines():
        if line.startswith("VmRSS:"):
            return int(line.split()[1])
    return 0


class TimedSocketPrinter(SocketPrinter):
    """Notes when each connection's first and last bytes came."""

    def _serve(self):
        self.times = []
        while True:
            try:
                connection, _ = self.listener.accept()
            except OSError:
                return
            first = last = None
            with connection:
                while chunk := connection.recv(65536):
                    first = first or time.monotonic()
                    last = time.monotonic()
            self.times.append((first, last))
            self.jobs.append(b"")


def usb_round(rounds, label):
    """The same labels to a printer on the emulated USB bus (its simulator logs the bytes as they come)."""
    import os
    from ctl_harness import Bench
    from usb_bench import UsbBus
    bench, bus = Bench(), UsbBus()
    simulator = bench.printer("bench")
    bus.plug(1, simulator, serial="BENCH1")
    root = bus.testbed.get_root_dir()
    for folder, _, files in os.walk(root):
        os.chmod(folder, 0o777)
        for file in files:
            if not os.path.islink(os.path.join(folder, file)):
                os.chmod(os.path.join(folder, file), 0o666)
    server = PrintServer(env=bus.env())
    try:
        name = wait_until(lambda: server.command("printers")[1].split(), 20, "the queue")[0]
        last = []
        for n in range(rounds + 1):
            before = len(simulator.received())
            start = time.monotonic()
            job = server.submit(name, label, "image/png")
            server.wait_job(name, job)
            # The job is complete once its last byte (ESC @) has arrived.
            wait_until(lambda: len(simulator.received()) > before and simulator.received().endswith(b"\x1b@"), 20,
                       "the last byte")
            if n:
                last.append((time.monotonic() - start) * 1000)
        print(f"emulated USB printer, {rounds} labels: submit to last byte median {statistics.median(last):.1f} ms "
              f"(max {max(last):.1f}; job states are polled every 50 ms)")
    finally:
        server.close()
        bus.close()
        bench.close()


def main(rounds):
    folder = Path("/tmp/quorvelprint-bench")
    folder.mkdir(exist_ok=True)
    label = folder / "label.png"
    label.write_bytes(pages.png(783, 1198, [(100, 100, 683, 300), (100, 500, 683, 1100)]))
    server = PrintServer()
    try:
        time.sleep(1)
        print(f"idle server after start: {rss_kb(server.process.pid) / 1024:.1f} MB")
        target = TimedSocketPrinter()
        server.add_printer("bench", "qrx-label-100x150", target.uri)
        first, last = [], []
        for n in range(rounds + 1):
            start = time.monotonic()
            job = server.submit("bench", label, "image/png")
            server.wait_job("bench", job)
            wait_until(lambda: len(target.times) > n, 10, "the bytes")
            if n == 0:
                continue  # the first job also asks the printer for its settings (2 s without an answer)
            f, l = target.times[n]
            first.append((f - start) * 1000)
            last.append((l - start) * 1000)
        print(f"raw TCP printer, {rounds} labels: submit to first byte median {statistics.median(first):.1f} ms "
              f"(max {max(first):.1f}), to last byte median {statistics.median(last):.1f} ms (max {max(last):.1f})")
        time.sleep(2)
        print(f"idle server after {rounds + 1} jobs: {rss_kb(server.process.pid) / 1024:.1f} MB")
    finally:
        server.close()
    usb_round(rounds, label)


if __name__ == "__main__":
    main(int(sys.argv[1]) if len(sys.argv) > 1 else 20)
