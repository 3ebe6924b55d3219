"""A printer that takes no data, as one out of paper, with its cover open or busy does: the main window keeps
answering while its write waits, says why nothing happened, starts no settings wait, and reads again once the
printer takes data again."""
import time
import unittest

from harness import fixtures, quorvel
from harness.case import WineTestCase
from harness.printer import SimulatedPrinter

INSTANCE = "USB\\VID_1A86&PID_2000\\STALL001"
WAIT_CAPTION = "参数设置中，请稍候"
NO_DATA = "The printer took no data"
SETTINGS_NOT_WRITTEN = "The settings were not written"


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

    def probe_until(self, predicate, what, timeout=40):
        """Probes the window in one-second rounds, as the system does to tell a hung window, until the debug view
        satisfies `predicate`; every probe must be answered. Returns the text and the number of probe rounds."""
        deadline = time.monotonic() + timeout
        rounds = 0
        while True:
            probe = self.gui.probe(quorvel.MAIN, for_ms=1000, each_ms=2000)
            self.assertEqual(probe["unanswered"], 0, f"while waiting for {what}: {probe}")
            rounds += 1
            text = self.debug_text()
            if predicate(text):
                return text, rounds
            self.assertLess(time.monotonic(), deadline, f"waiting for {what}; debug view: {text!r}")

    def test_1_the_window_answers_throughout_a_stalled_read_and_says_why(self):
        text, rounds = self.probe_until(lambda t: NO_DATA in t, "the stalled read's message")
        self.assertIn("out of paper", text)
        self.assertGreater(rounds, 1)  # the window was probed while the write waited, not only after it

    def test_2_a_set_that_does_not_go_through_starts_no_wait(self):
        self.gui.click(quorvel.MAIN, "Command4")
        text, _ = self.probe_until(lambda t: SETTINGS_NOT_WRITTEN in t, "the stalled Set's message")
        self.assertIn("out of paper", text)
        self.assertNotIn(WAIT_CAPTION, [w["title"] for w in self.gui.windows()])
        self.assertTrue(self.gui.dump(quorvel.MAIN)["enabled"])

    def test_3_the_next_read_works_once_the_printer_takes_data_again(self):
        self.printer.control("mode normal")
        answered = self.printer.answers()
        self.gui.click(quorvel.MAIN, "Command8")
        deadline = time.monotonic() + 30
        while not (self.debug_text().startswith("Read correct!") and self.printer.answers() > answered):
            self.assertLess(time.monotonic(), deadline, f"waiting for a good read; debug view: {self.debug_text()!r}")
            time.sleep(0.3)


if __name__ == "__main__":
    unittest.main()
