"""quorvelctl.exe under Wine with jobs longer than one write: a printer that takes data slowly gets a whole job, and
one that takes nothing is given up on after --timeout, with how many bytes went. They time the program, so CTest
runs them alone."""
import time
import unittest

from harness import paths
from harness.case import WineTestCase
from harness.printer import SimulatedPrinter

SLOW = "USB\\VID_1A86&PID_1000\\SLOW0001"
STALLED = "USB\\VID_1A86&PID_1000\\STALL001"
RATE = 81920  # bytes a second, about what a printer printing a long job takes
JOB_SIZE = 1024 * 1024  # at RATE, about 13 s: many times the 5 s a single write was once given


def job():
    """Text lines the simulator logs as unknown commands, each numbered, so that a piece sent twice or lost shows."""
    lines = b"".join(b"PRINT LINE %08d\r\n" % number for number in range(JOB_SIZE // 20 + 1))
    return lines[:JOB_SIZE - 2] + b"\r\n"


class QuorvelctlLongJobs(WineTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.program = cls.session.install_program(paths.quorvelctl_exe(), "C:\\Tools", with_data=False)
        cls.job = cls.session.root / "job.prn"
        cls.job.write_bytes(job())

    def send(self, printer, *extra):
        started = time.monotonic()
        code, out, err = self.session.run(self.program, "send", "--device", printer.device_path,
                                          "--file", self.session.windows_path(self.job), *extra, timeout=180)
        return code, out, err, time.monotonic() - started

    def test_a_long_job_to_a_printer_that_takes_it_slowly_arrives_whole(self):
        printer = SimulatedPrinter(self.session, SLOW, mode=f"slow:{RATE}")
        code, out, err, _ = self.send(printer)
        self.assertEqual((code, err), (0, ""))
        self.assertEqual(out, f"{printer.device_path}: sent {JOB_SIZE} bytes\n")
        # The last piece may still sit in the device's buffer when the write returns.
        deadline = time.monotonic() + 30
        while len(printer.received()) < JOB_SIZE and time.monotonic() < deadline:
            time.sleep(0.2)
        received = printer.received()
        self.assertEqual(len(received), JOB_SIZE)
        self.assertTrue(received == self.job.read_bytes(), "the printer got other bytes than the job")

    def test_a_printer_that_takes_nothing_is_given_up_on_after_the_timeout(self):
        printer = SimulatedPrinter(self.session, STALLED, mode="stall")
        code, out, err, seconds = self.send(printer, "--timeout", "2")
        self.assertEqual(code, 3, err)
        self.assertEqual(out, "")
        self.assertIn(f"{printer.device_path}: the printer took 0 of {JOB_SIZE} bytes, then nothing for 2 s: "
                      "it may be out of paper, have its cover open, be busy or be switched off", err)
        # Generous: the limit is 2 s, and Wine's start and the cancel of the write come on top.
        self.assertLess(seconds, 10)


if __name__ == "__main__":
    unittest.main()
