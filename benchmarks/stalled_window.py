"""How long the main window's thread spends away from its message queue while the printer takes no data (run by hand
from the repository, after scripts/build; WINDOWS_BUILD_DIR and NATIVE_BUILD_DIR as for the end-to-end tests):

    setarch x86_64 -R python3 benchmarks/stalled_window.py [SECONDS]

A stalled read and a stalled Set each run against the simulator's stalled printer while the GUI driver posts check
state changes to a check box and times how soon the window shows each (`gui_driver queuegap`): that is the time
the thread took to get back to its queue. It prints the samples, the median and the longest per operation.

On the 2-core build machine, idle, Release x64 build under Wine 8: about 195 samples per operation, median 0 ms,
longest 2-4 ms for a stalled read and for a stalled Set (5 ms while other builds ran). Before the device writes moved
off the window's thread, a click waited up to the 5-second write limit."""
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))
from harness import fixtures, quorvel  # noqa: E402
from harness.gui import GuiDriver  # noqa: E402
from harness.printer import SimulatedPrinter  # noqa: E402
from harness.session import WineSession  # noqa: E402

INSTANCE = "USB\\VID_1A86&PID_2000\\BENCH001"
WAITING = "Waiting for the printer"


def main():
    seconds = float(sys.argv[1]) if len(sys.argv) > 1 else 4.0
    session = WineSession("stalled_window_benchmark")
    try:
        gui = GuiDriver(session)
        SimulatedPrinter(session, INSTANCE, pid="2000", mode="stall")
        fixtures.register_usb_printer(session, INSTANCE, enum_index=0, port_number=1)
        quorvel.open_main_window(session, gui)
        for operation, button in (("stalled read", "Command8"), ("stalled Set", "Command4")):
            wait_for(gui, lambda text: WAITING not in text)
            gui.click(quorvel.MAIN, button)
            wait_for(gui, lambda text: WAITING in text)
            gap = gui.queue_gap(quorvel.MAIN, "Check1", for_ms=seconds * 1000)
            print(f"{operation}: {gap['samples']} samples, median {gap['median_ms']} ms, "
                  f"longest {gap['longest_ms']} ms away from the queue")
    finally:
        session.close()


def wait_for(gui, predicate, timeout=30):
    deadline = time.monotonic() + timeout
    while not predicate(gui.dump(quorvel.MAIN)["by_name"]["RichTextBox1"]["text"]):
        if time.monotonic() > deadline:
            raise SystemExit("the debug view never showed what the benchmark waits for")
        time.sleep(0.1)


if __name__ == "__main__":
    main()
