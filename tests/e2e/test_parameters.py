"""Reading the printer's parameters, writing new settings and reading them back, against the simulator."""
import time
import unittest

from harness import fixtures, quorvel
from harness.case import WineTestCase
from harness.printer import SimulatedPrinter

CAPTION = "热敏打印机参数设置工具V1.0--2017-12-12"
WAIT_CAPTION = "参数设置中，请稍候"
INSTANCE = "USB\\VID_1A86&PID_2000\\PARAM001"


class QuorvelCase(WineTestCase):
    printer_mode = None

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.printer = SimulatedPrinter(
            cls.session, INSTANCE, mode=cls.printer_mode, pid="2000", sensor_type="1", usb_handshake="0",
            compat="1", speed_limit="1", front_sensor="0", external_power="0", head_protection="0",
            offset_index="11", density="1", sensor_off="1", temperature="036")
        fixtures.register_usb_printer(cls.session, INSTANCE, enum_index=0, port_number=1)
        cls.process = quorvel.open_main_window(cls.session, cls.gui, printer_attached=True)

    def controls(self):
        return self.gui.dump(CAPTION)["by_name"]

    def wait_for(self, condition, timeout=10, what="condition"):
        deadline = time.monotonic() + timeout
        while True:
            controls = self.controls()
            if condition(controls):
                # A dump reads control after control, so it may straddle the handler that sets them: read again.
                return self.controls()
            if time.monotonic() > deadline:
                self.fail(f"timed out waiting for {what}; debug view: {controls['RichTextBox1']['text']!r}")
            time.sleep(0.3)


class ReadAndWrite(QuorvelCase):
    def test_1_read_shows_the_report_and_every_setting(self):
        report = quorvel.read_after_click(self.gui, self.printer, lambda: self.gui.click(CAPTION, "Command8"))
        self.assertTrue(report.startswith("Read correct!"), report)
        c = self.controls()
        self.assertIn("Sofeware Version：V1.5\r\n", report)
        self.assertIn("USBPID:2000(KESTRAMO K-108)\r\n", report)
        self.assertIn("Sensor type：black mark\r\n", report)
        self.assertIn("printer head temprature:037degree centigrade\r\n", report)  # one up for this read
        self.assertIn("Out sensor：closed\r\n", report)
        self.assertEqual(c["Option2"]["checked"], 1)
        self.assertEqual(c["Option5"]["checked"], 1)
        self.assertEqual(c["Check1"]["checked"], 1)
        self.assertEqual(c["Combo4"]["selected"], 1)
        self.assertEqual(c["Combo5"]["selected"], 1)
        self.assertEqual(c["Combo6"]["selected"], 1)
        self.assertEqual(c["Combo7"]["selected"], 1)
        self.assertTrue(c["Combo7"]["enabled"])
        self.assertEqual(c["Combo8"]["items"][c["Combo8"]["selected"]], "+2 mm")
        self.assertEqual(c["Check5"]["checked"], 1)
        self.assertEqual(c["CheckCloseOutSensor"]["checked"], 1)
        self.assertTrue(self.printer.received().endswith(b"RETURN VALUE\r\n"))
        self.session.screenshot("report")

    def test_2_set_writes_the_batch_waits_and_reads_back(self):
        self.gui.click(CAPTION, "Option1")
        self.gui.click(CAPTION, "Option4")
        self.gui.check(CAPTION, "Check1", 0)
        self.gui.select(CAPTION, "Combo4", 0)
        self.gui.select(CAPTION, "Combo5", 0)
        self.gui.select(CAPTION, "Combo6", 0)
        self.gui.select(CAPTION, "Combo8", 7)
        self.gui.check(CAPTION, "Check5", 0)
        before = len(self.printer.received())
        self.gui.click(CAPTION, "Command4")
        self.gui.wait(WAIT_CAPTION)
        batch = b"SENSORTYPE 0\r\nSUPPORT 0\r\nUSBHANDO\r\nLIMITED 01100701\r\n"
        deadline = time.monotonic() + 20
        while len(self.printer.received()) < before + len(batch):
            self.assertLess(time.monotonic(), deadline, f"the printer received only {self.printer.received()[before:]!r}")
            time.sleep(0.1)
        self.assertEqual(self.printer.received()[before:], batch)
        self.assertFalse(self.gui.dump(CAPTION)["enabled"])
        wait = self.gui.dump(WAIT_CAPTION)
        self.assertTrue(wait["topmost"])
        first = wait["by_name"]["ProgressBar1"]["progress"]
        self.assertEqual(first["max"], 150)
        self.session.screenshot("settings-wait")
        deadline = time.monotonic() + 10
        while self.gui.dump(WAIT_CAPTION)["by_name"]["ProgressBar1"]["progress"]["pos"] <= first["pos"]:
            self.assertLess(time.monotonic(), deadline, "the wait window's progress bar did not move")
            time.sleep(0.2)

        self.gui.gone(WAIT_CAPTION, timeout_ms=25000)
        self.assertTrue(self.gui.dump(CAPTION)["enabled"])
        state = self.printer.state()
        self.assertEqual((state["sensor_type"], state["offset_index"], state["head_protection"]), ("0", "7", "0"))
        c = self.wait_for(lambda c: "Sensor type：GAP" in c["RichTextBox1"]["text"], timeout=30, what="the read-back")
        self.assertEqual(c["Option1"]["checked"], 1)
        self.assertEqual(c["Combo8"]["items"][c["Combo8"]["selected"]], "-14 mm")


class AutomaticRead(QuorvelCase):
    def queries(self):
        return self.printer.received().count(b"RETURN VALUE\r\n")

    def test_a_change_not_yet_written_is_kept_until_it_is_undone(self):
        self.assertEqual(self.controls()["Combo4"]["selected"], 1)  # the printer's speed limit, read at load
        self.gui.check(CAPTION, "Check2", 1)
        start = self.queries()
        deadline = time.monotonic() + 15
        while self.queries() == start:
            self.assertLess(time.monotonic(), deadline, "no automatic read came")
            time.sleep(0.2)
        quorvel.wait_for_first_read(self.gui)
        self.gui.select(CAPTION, "Combo4", 0)
        self.wait_for(lambda c: "Automatic read paused" in c["RichTextBox1"]["text"], timeout=15,
                      what="the automatic read to say it is paused")
        paused_at = self.queries()
        time.sleep(7)  # two more ticks of the automatic read
        self.assertEqual(self.controls()["Combo4"]["selected"], 0)
        self.assertEqual(self.queries(), paused_at)
        self.gui.select(CAPTION, "Combo4", 1)  # undone: the automatic read goes on
        deadline = time.monotonic() + 15
        while self.queries() == paused_at:
            self.assertLess(time.monotonic(), deadline, "the automatic read did not go on")
            time.sleep(0.2)
        self.wait_for(lambda c: c["RichTextBox1"]["text"].startswith("Read correct!"), what="the read's report")
        self.gui.check(CAPTION, "Check2", 0)


class SilentPrinter(QuorvelCase):
    printer_mode = "silent"

    def test_read_fails_visibly(self):
        # The read at load failed the same way: empty the view first, so that only this read can fill it.
        self.gui.type(CAPTION, "RichTextBox1", "")
        queries = self.printer.received().count(quorvel.QUERY)
        self.gui.click(CAPTION, "Command8")
        deadline = time.monotonic() + 20
        while self.printer.received().count(quorvel.QUERY) == queries:
            self.assertLess(time.monotonic(), deadline, "the printer received no query after the click")
            time.sleep(0.1)
        self.wait_for(lambda c: c["RichTextBox1"]["text"] == "读取失败\r\n", what="the failure text")

    def test_unplugged_printer_cannot_be_opened(self):
        link = self.session.dosdevice(self.printer.device_path)
        target = link.resolve()
        link.unlink()
        try:
            self.gui.click(CAPTION, "Command8")
            self.wait_for(lambda c: c["RichTextBox1"]["text"] == "Cannot open the printer", what="the open failure")
        finally:
            link.symlink_to(target)


if __name__ == "__main__":
    unittest.main()
