"""A printer that takes no data, as one out of paper, with its cover open or busy does: the main window takes
input throughout, says that it waits and then why nothing happened, starts no settings wait, reads again once the
printer takes data again, and closes at once while a write waits."""
import time
import unittest
from pathlib import Path

from harness import fixtures, quorvel
from harness.case import WineTestCase
from harness.printer import SimulatedPrinter

INSTANCE = "USB\\VID_1A86&PID_2000\\STALL001"
WAIT_CAPTION = "参数设置中，请稍候"
WAITING = "Waiting for the printer"
NO_DATA = "The printer took no data"
SETTINGS_NOT_WRITTEN = "The settings were not written"
# Bounds an order of magnitude under the 5-second write limit: a window whose thread waited on the printer would
# take that long. The figures themselves are measured and reported by benchmarks/stalled_window.py.
CLICK_HANDLED_MS = 300
QUEUE_GAP_MS = 500


class StalledPrinter(WineTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.printer = SimulatedPrinter(cls.session, INSTANCE, pid="2000", mode="stall")
        fixtures.register_usb_printer(cls.session, INSTANCE, enum_index=0, port_number=1)
        # The printer is found at load and read at the first automatic-read tick: that read's write stalls.
        cls.process = quorvel.open_main_window(cls.session, cls.gui)

    def debug_text(self):
        return self.gui.dump(quorvel.MAIN)["by_name"]["RichTextBox1"]["text"]

    def wait_for_text(self, predicate, what, timeout=30):
        deadline = time.monotonic() + timeout
        while not predicate(text := self.debug_text()):
            self.assertLess(time.monotonic(), deadline, f"waiting for {what}; debug view: {text!r}")
            time.sleep(0.1)
        return text

    def start_stalled_read(self):
        """Clicks the read button and returns once the view says the write waits for the printer."""
        self.wait_for_text(lambda t: WAITING not in t, "the last write to end")
        self.gui.click(quorvel.MAIN, "Command8")
        return self.wait_for_text(lambda t: WAITING in t, "the read's write to wait")

    def test_1_input_is_handled_while_a_read_waits_and_then_the_view_says_why(self):
        self.start_stalled_read()
        box = self.gui.dump(quorvel.MAIN)["by_name"]["Check5"]
        ms = self.gui.time_check(quorvel.MAIN, "Check5", 0 if box["checked"] else 1,
                                 lambda: self.gui.pointer_click(quorvel.MAIN, "Check5"))
        self.assertLess(ms, CLICK_HANDLED_MS, "a real click on a check box waited for the printer")
        self.assertIn(WAITING, self.debug_text())  # still within the same stalled write
        gap = self.gui.queue_gap(quorvel.MAIN, "Check1", for_ms=2500)
        self.assertLess(gap["longest_ms"], QUEUE_GAP_MS, f"the window's thread was away from its queue: {gap}")
        text = self.wait_for_text(lambda t: NO_DATA in t, "the stalled read's message")
        self.assertIn("out of paper", text)

    def test_2_single_probes_in_a_stall_are_answered(self):
        """As the system asks whether a window hangs: once, with nothing else asking before."""
        self.start_stalled_read()
        started = time.monotonic()
        for at in (3, 8):
            time.sleep(max(0.0, started + at - time.monotonic()))
            probe = self.gui.probe(quorvel.MAIN, for_ms=1, each_ms=2000)
            self.assertEqual((probe["probes"], probe["unanswered"]), (1, 0), f"{at} s into the stall: {probe}")
            if at == 3:
                # Automatic reads keep the printer stalled for the second probe.
                self.gui.check(quorvel.MAIN, "Check2", 1)
        self.gui.check(quorvel.MAIN, "Check2", 0)

    def test_3_a_set_that_does_not_go_through_starts_no_wait(self):
        self.wait_for_text(lambda t: WAITING not in t, "the last write to end")
        self.gui.click(quorvel.MAIN, "Command4")
        text = self.wait_for_text(lambda t: SETTINGS_NOT_WRITTEN in t, "the stalled Set's message")
        self.assertIn("out of paper", text)
        self.assertNotIn(WAIT_CAPTION, [w["title"] for w in self.gui.windows()])
        self.assertTrue(self.gui.dump(quorvel.MAIN)["enabled"])

    def test_4_the_next_read_works_once_the_printer_takes_data_again(self):
        self.wait_for_text(lambda t: WAITING not in t, "the last write to end")
        self.printer.control("mode normal")
        answered = self.printer.answers()
        self.gui.click(quorvel.MAIN, "Command8")
        deadline = time.monotonic() + 30
        while not (self.debug_text().startswith("Read correct!") and self.printer.answers() > answered):
            self.assertLess(time.monotonic(), deadline, f"waiting for a good read; debug view: {self.debug_text()!r}")
            time.sleep(0.3)

    def test_5_the_window_closes_at_once_while_a_write_waits(self):
        self.printer.control("mode stall")
        self.start_stalled_read()
        closed = time.monotonic()
        self.gui.close(quorvel.MAIN)
        self.process.wait(timeout=20)
        self.assertLess(time.monotonic() - closed, 2.0, "the program did not end soon after its window closed")
        self.assertEqual(self.process.returncode, 0)
        self.assertEqual(programs_left(self.session.env["WINEPREFIX"]), [])


def programs_left(prefix):
    """Our programs still running in the Wine prefix `prefix`."""
    left = []
    for entry in Path("/proc").iterdir():
        try:
            environ = (entry / "environ").read_bytes().split(b"\0")
            command = (entry / "cmdline").read_bytes().replace(b"\0", b" ").decode(errors="replace")
        except (OSError, ValueError):
            continue
        if f"WINEPREFIX={prefix}".encode() in environ and "Quorvel.exe" in command:
            left.append(command)
    return left


if __name__ == "__main__":
    unittest.main()
