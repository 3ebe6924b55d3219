"""Faults a user meets: a printer unplugged mid-read, one that answers badly or never, impatient clicking,
closing while a read is pending, and a registry that holds odd things. After each the program still answers,
says what happened, and holds no more handles or memory than before."""
import subprocess
import time
import unittest

from harness import fixtures, quorvel
from harness.case import WineTestCase
from harness.printer import SimulatedPrinter

INSTANCE = "USB\\VID_1A86&PID_2000\\FAULT001"


def long_root(key):
    """A .reg file names the root key in full."""
    return key.replace("HKLM\\", "HKEY_LOCAL_MACHINE\\", 1)


class FaultCase(WineTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.printer = SimulatedPrinter(cls.session, INSTANCE, pid="2000")
        fixtures.register_usb_printer(cls.session, INSTANCE, enum_index=0, port_number=1)
        cls.prepare()
        cls.process = quorvel.open_main_window(cls.session, cls.gui, printer_attached=True)

    @classmethod
    def prepare(cls):
        pass

    def debug_text(self):
        return self.gui.dump(quorvel.MAIN)["by_name"]["RichTextBox1"]["text"]

    def wait_for_text(self, predicate, timeout=20, what="text"):
        deadline = time.monotonic() + timeout
        while not predicate(text := self.debug_text()):
            self.assertLess(time.monotonic(), deadline, f"waiting for {what}; debug view: {text!r}")
            time.sleep(0.3)
        return text

    def read_ok(self):
        answered = self.printer.answers()
        self.gui.click(quorvel.MAIN, "Command8")
        # The printer's answer tells this read from an earlier one with the same report.
        return self.wait_for_text(lambda t: t.startswith("Read correct!") and self.printer.answers() > answered,
                                  what="a good read")


class PrinterFaults(FaultCase):
    def test_1_unplugged_between_command_and_reply_then_back(self):
        self.read_ok()
        baseline = self.gui.stats(quorvel.MAIN)
        self.printer.control("mode silent")
        link = self.session.dosdevice(self.printer.device_path)
        target = link.resolve()
        # The click's handler writes the command and opens the reply handle: once it has returned, the read is
        # pending, however slow the machine.
        self.gui.click_handled(quorvel.MAIN, "Command8")
        link.unlink()  # gone while the read is pending
        try:
            self.wait_for_text(lambda t: t == "读取失败\r\n", what="the failed read")
            self.gui.click(quorvel.MAIN, "Command8")
            self.wait_for_text(lambda t: t == "Cannot open the printer", what="the open failure")
        finally:
            link.symlink_to(target)
            self.printer.control("mode normal")  # the next tests need an answering printer even if this one failed
        self.read_ok()
        self.assert_back_to(baseline, quorvel.MAIN)

    def test_2_short_late_garbage_and_silent_answers_then_a_good_read(self):
        self.read_ok()
        baseline = self.gui.stats(quorvel.MAIN)
        for mode in ("short:20", "corrupt", "silent", "late:300"):
            self.printer.control(f"mode {mode}")
            self.gui.click(quorvel.MAIN, "Command8")
            if mode == "late:300":
                self.wait_for_text(lambda t: t.startswith("Read correct!"), what="the late answer")
            else:
                self.wait_for_text(lambda t: t.startswith("读取失败"), what=f"the failed read ({mode})")
            self.printer.control("mode normal")
            self.read_ok()
        self.assert_back_to(baseline, quorvel.MAIN)

    def test_4_simulator_gone_mid_read_and_a_new_one_plugged_in(self):
        self.read_ok()
        baseline = self.gui.stats(quorvel.MAIN)
        self.printer.control("mode silent")
        self.gui.click_handled(quorvel.MAIN, "Command8")
        self.printer.stop()  # the printer is gone with its device while the read is pending
        self.wait_for_text(lambda t: t.startswith("读取失败") or t == "Cannot open the printer", what="the failure")
        type(self).printer = SimulatedPrinter(self.session, INSTANCE, pid="2000")
        self.read_ok()
        self.assert_back_to(baseline, quorvel.MAIN)

    def test_3_a_hundred_rapid_read_clicks(self):
        self.read_ok()
        baseline = self.gui.stats(quorvel.MAIN)
        for _ in range(100):
            self.gui.click(quorvel.MAIN, "Command8")
        self.wait_for_text(lambda t: t.startswith("Read correct!"), what="the report after the clicks")
        time.sleep(3)
        self.read_ok()
        self.assert_back_to(baseline, quorvel.MAIN)

    def test_5_stray_bytes_before_the_frame(self):
        """A whole read's worth of bytes that are no frame (the tail of a late answer, status bytes) comes
        first, the frame a moment later: the read is posted again and takes the frame."""
        self.read_ok()
        baseline = self.gui.stats(quorvel.MAIN)
        self.printer.control("mode stray:64")
        try:
            for _ in range(3):
                self.read_ok()
            self.printer.control("mode stray:128")  # two reads end without the frame
            self.read_ok()
        finally:
            self.printer.control("mode normal")
        self.read_ok()
        self.assert_back_to(baseline, quorvel.MAIN)


class AutomaticRead(FaultCase):
    def test_automatic_read_for_three_minutes(self):
        self.read_ok()
        baseline = self.gui.stats(quorvel.MAIN)
        answers = self.printer.answers()
        self.gui.check(quorvel.MAIN, "Check2", 1)
        # One read every 3 s: fifty of them take two and a half minutes, longer on a busy machine.
        deadline = time.monotonic() + 360
        while self.printer.answers() - answers < 50:
            self.assertLess(time.monotonic(), deadline,
                            f"only {self.printer.answers() - answers} automatic reads in six minutes")
            time.sleep(1)
        self.gui.check(quorvel.MAIN, "Check2", 0)
        time.sleep(4)  # a read the last tick started ends before the next one
        self.read_ok()
        self.assert_back_to(baseline, quorvel.MAIN)


class CloseWhileReading(FaultCase):
    def test_closing_with_a_read_pending_ends_cleanly(self):
        self.printer.control("mode silent")
        self.gui.click_handled(quorvel.MAIN, "Command8")
        self.gui.close(quorvel.MAIN)
        self.gui.gone(quorvel.MAIN)
        self.assertEqual(self.process.wait(20), 0)


class OddRegistry(FaultCase):
    """Enum values of the wrong type, a very long one, a gap in the numbering and thousands of interface keys."""

    @classmethod
    def prepare(cls):
        enum = fixtures.USBPRINT_ENUM
        cls.session.reg_add(enum, "0", "REG_SZ", "USB\\VID_1A86&PID_1000\\" + "L" * 400)  # long
        cls.session.reg_add(enum, "1", "REG_DWORD", 7)                                    # wrong type
        cls.session.reg_add(enum, "3", "REG_SZ", INSTANCE)                                # after a gap
        serial = "USB\\VID_1A86&PID_1006\\NONUL9".encode("utf-16-le")
        lines = ["Windows Registry Editor Version 5.00", "",
                 f"[{long_root(enum)}]", '"2"=hex(1):' + ",".join(f"{b:02x}" for b in serial), ""]  # no terminating NUL
        for i in range(3000):
            lines += [f"[{long_root(fixtures.PRINTER_CLASS_KEY)}\\##?#USB#VID_0000&PID_{i:04X}#N{i}#"
                      f"{{28d78fad-5a12-11d1-ae5b-0000f803a8c2}}]", ""]
        reg = cls.session.root / "many-keys.reg"
        reg.write_text("\r\n".join(lines), encoding="utf-16")
        code, out, err = cls.session.run("regedit", "/s", cls.session.windows_path(reg), timeout=300)
        assert code == 0, err
        keys = subprocess.run(["wine", "reg", "query", fixtures.PRINTER_CLASS_KEY], env=cls.session.env,
                              capture_output=True, text=True, errors="replace").stdout
        assert keys.count("VID_0000") >= 3000, "the interface keys were not imported"

    def test_window_lists_the_readable_printers_and_still_reads(self):
        c = self.gui.dump(quorvel.MAIN)["by_name"]
        self.assertEqual(len(c["List4"]["items"]), 3, c["List4"]["items"])  # the DWORD is no device
        self.assertTrue(c["List4"]["items"][1].endswith("#NONUL9#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}"))
        self.assertTrue(c["List4"]["items"][0].endswith("L" * 400 + "#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}"))
        self.assertEqual(c["Label4"]["text"], "USB001")
        self.read_ok()
        baseline = self.gui.stats(quorvel.MAIN)
        for _ in range(10):
            self.read_ok()
        self.assert_back_to(baseline, quorvel.MAIN)


if __name__ == "__main__":
    unittest.main()
