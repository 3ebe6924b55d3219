"""The main flows as a person does them: the X pointer moved to a control's place on the screen and clicked there.

The GUI driver's messages go straight to a control whatever lies in front of it; a pointer click goes to what the
screen shows at that place. So these tests catch a box that is meant to be in front but is not.
"""
import shutil
import time
import unittest

from harness import fixtures, quorvel
from harness.case import WineTestCase
from harness.printer import SimulatedPrinter

CONSOLE = "Lumisk-条码打印机指令测试"
WAIT_CAPTION = "参数设置中，请稍候"
PRINTER = "KESTRAMO K-108"
INSTANCE = "USB\\VID_1A86&PID_2000\\POINT001"


class WithThePointer(WineTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.printer = SimulatedPrinter(cls.session, INSTANCE, pid="2000", sensor_type="1")
        fixtures.register_usb_printer(cls.session, INSTANCE, enum_index=0, port_number=1)
        cls.jobs_folder = cls.session.artifacts / "jobs"
        shutil.rmtree(cls.jobs_folder, ignore_errors=True)
        fixtures.add_windows_printer(cls.session, PRINTER, "USB001")
        fixtures.capture_port_jobs(cls.session, "USB001", cls.jobs_folder)
        quorvel.start(cls.session, cls.gui)

    def controls(self, title):
        return self.gui.dump(title)["by_name"]

    def wait_for(self, title, condition, what, timeout=20):
        deadline = time.monotonic() + timeout
        while not condition(controls := self.controls(title)):
            self.assertLess(time.monotonic(), deadline, f"timed out waiting for {what}")
            time.sleep(0.3)
        return controls

    def test_1_launcher_buttons(self):
        self.gui.pointer_click(quorvel.LAUNCHER, quorvel.LANGUAGE_OPTION["English"])
        self.assertEqual(self.controls(quorvel.LAUNCHER)["Option2"]["checked"], 1)
        self.gui.pointer_click(quorvel.LAUNCHER, quorvel.ENTRY_BUTTON[quorvel.MAIN])
        self.gui.wait(quorvel.MAIN)
        self.gui.gone(quorvel.LAUNCHER)
        quorvel.wait_for_first_read(self.gui)

    def test_2_read_and_set(self):
        report = quorvel.read_after_click(self.gui, self.printer,
                                          lambda: self.gui.pointer_click(quorvel.MAIN, "Command8"))
        self.assertTrue(report.startswith("Read correct!"), report)
        self.gui.pointer_click(quorvel.MAIN, "Option1")  # gap sensor
        self.assertEqual(self.controls(quorvel.MAIN)["Option1"]["checked"], 1)
        self.gui.pointer_click(quorvel.MAIN, "Command4")
        self.gui.wait(WAIT_CAPTION)
        self.gui.gone(WAIT_CAPTION, timeout_ms=25000)
        self.assertEqual(self.printer.state()["sensor_type"], "0")

    def test_3_console_send(self):
        self.gui.pointer_click(quorvel.MAIN, "Command6")
        self.gui.wait(CONSOLE)
        self.gui.type(CONSOLE, "Text1", "PTESTPAGE")
        self.gui.pointer_click(CONSOLE, "Command4")
        deadline = time.monotonic() + 15
        while not (jobs := fixtures.captured_jobs(self.jobs_folder)):
            self.assertLess(time.monotonic(), deadline, "no job arrived")
            time.sleep(0.2)
        self.assertEqual(jobs, [b"PTESTPAGE"])

    def test_4_command_list_in_front_takes_the_double_click(self):
        self.gui.type(CONSOLE, "Text1", "")
        self.gui.pointer_click(CONSOLE, "CommandC")
        self.assertTrue(self.controls(CONSOLE)["List2"]["visible"])
        self.gui.pointer_click_item(CONSOLE, "List2", 1)  # 下载程序
        self.assertEqual(self.controls(CONSOLE)["Text1"]["text"], "PROGRAME UPGRADE\r\n")
        self.session.screenshot("command-list")

    def test_5_character_view_in_front_takes_the_click(self):
        image = self.session.root / "image.bin"
        image.write_bytes(b"\x0bPOINTER TEST")
        self.gui.pointer_click(CONSOLE, "Command5")
        self.gui.file_dialog("打开二进制文件", self.session.windows_path(image),
                             then_window=CONSOLE, name="Text1", length=3 * 13)
        self.assertTrue(self.controls(CONSOLE)["TASCII"]["visible"])
        # A click on the character view toggles the view: all three boxes side by side.
        self.gui.pointer_click(CONSOLE, "TASCII")
        c = self.wait_for(CONSOLE, lambda c: c["TXTRE"]["visible"], "the side-by-side view")
        self.assertTrue(c["TASCII"]["visible"])
        self.assertTrue(c["Text1"]["visible"])

    def test_6_probe_result_is_in_view(self):
        self.gui.pointer_click(CONSOLE, "Text1")  # back to the send box alone: the receive box is hidden
        self.assertFalse(self.controls(CONSOLE)["TXTRE"]["visible"])
        self.gui.pointer_click(CONSOLE, "Command8")
        c = self.wait_for(CONSOLE, lambda c: c["TXTRE"]["text"] == "没有找到PID", "the probe's answer")
        self.assertTrue(c["TXTRE"]["visible"])
        self.session.screenshot("probe-result")


if __name__ == "__main__":
    unittest.main()
