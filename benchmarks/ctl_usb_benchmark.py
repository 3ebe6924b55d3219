"""quorvelctl's own time, on the emulated USB bus of the tests (run by hand, as root, from the repository):

    /usr/bin/python3 benchmarks/ctl_usb_benchmark.py [RUNS]

QUORVELCTL and PRINTER_SIM name the programs (default: build/linux's). It measures:
  - `read` of one printer that answers at once and of one that answers after 50 ms: the second minus 50 ms is
    our own time beyond the printer's answer, the program's start, discovery and the emulated bus included;
  - `apply --all` (one second of settle time) to one printer and to four: the printers are handled at the same
    time, so four should take about as long as one.
The emulated bus is slower than a real one (every usbfs call crosses a socket to a Python handler, and libusb polls
while it waits), so the figures are an upper bound of what a real printer sees.

On the 2-core build machine (busy with other builds), with the Release program of the Debian package build:
  read 14.5 ms with a prompt printer, 65.9 ms with one that answers after 50 ms: 15.9 ms of our own (17.7 ms in a
  second run), the program's start, libusb's discovery and the emulated bus included;
  apply --all 1024 ms to one printer, 1062 ms to four (one second of settle time each): 1.04 times one (1.07 in a
  second run)."""
import statistics
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "ctl"))
from ctl_harness import QUORVELCTL, Bench  # noqa: E402
from usb_bench import UsbBus  # noqa: E402


def timed(env, *args):
    start = time.perf_counter()
    result = subprocess.run([QUORVELCTL, *map(str, args)], env=env, capture_output=True, text=True)
    elapsed = time.perf_counter() - start
    if result.returncode != 0:
        raise RuntimeError(f"quorvelctl {' '.join(map(str, args))}: {result.stderr}")
    return elapsed


def median_ms(env, runs, *args):
    return statistics.median(timed(env, *args) for _ in range(runs)) * 1000


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 20
    bench, bus = Bench(), UsbBus()
    try:
        prompt = bus.plug(1, bench.printer("prompt"))
        late = bus.plug(2, bench.printer("late", mode="late:50"))
        profile = bench.root / "profile.json"
        subprocess.run([QUORVELCTL, "save", str(profile), "--device", prompt.node], env=bus.env(), check=True,
                       capture_output=True)
        targets = [bus.plug(3 + i, bench.printer(f"target{i}")) for i in range(4)]
        env = bus.env()

        read_prompt = median_ms(env, runs, "read", "--device", prompt.node)
        read_late = median_ms(env, runs, "read", "--device", late.node)
        print(f"read, prompt printer:          {read_prompt:7.1f} ms (median of {runs})")
        print(f"read, answer after 50 ms:      {read_late:7.1f} ms; ours beyond the answer: {read_late - 50:.1f} ms")

        apply_runs = max(3, runs // 5)
        one = median_ms(env, apply_runs, "apply", profile, "--all", "--settle", "1", "--device", targets[0].node)
        four_args = [arg for target in targets for arg in ("--device", target.node)]
        four = median_ms(env, apply_runs, "apply", profile, "--all", "--settle", "1", *four_args)
        print(f"apply --all, one printer:      {one:7.1f} ms (median of {apply_runs})")
        print(f"apply --all, four printers:    {four:7.1f} ms; {four / one:.3f} times one")
    finally:
        bus.close()
        bench.close()


if __name__ == "__main__":
    main()
