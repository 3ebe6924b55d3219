"""The programs on a Windows whose ANSI code page is not the Chinese one: Western European (1252) and UTF-8 (65001,
"Use Unicode UTF-8 for worldwide language support"). Wine takes the code page from the locale.

Printer names go through the W functions, so a printer named in Chinese is listed, opened and checked whatever the
code page; the read and the Set reach the device as on a Chinese Windows.
"""
import json
import shutil
import time
import unittest

from harness import fixtures, paths, quorvel
from harness.case import WineTestCase
from harness.printer import SimulatedPrinter

MAIN = quorvel.MAIN
WAIT_CAPTION = "参数设置中，请稍候"
CONSOLE = "Lumisk-条码打印机指令测试"
OMBLET = "OmbletV300.19(20180607)"
CHINESE_PRINTER = "条码打印机 测试"
INSTANCE = "USB\\VID_1A86&PID_2000\\CP000001"
INSTALLER_INSTANCE = "USB\\VID_1A86&PID_600E\\CP000002"
OMBLET_FOLDER = "C:\\Program Files\\Omblet"


class CodePageCase(WineTestCase):
    code_page = None

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.printer = SimulatedPrinter(cls.session, INSTANCE, pid="2000", sensor_type="1", offset_index="11")
        fixtures.register_usb_printer(cls.session, INSTANCE, enum_index=0, port_number=1)
        cls.jobs_folder = cls.session.artifacts / "jobs"
        shutil.rmtree(cls.jobs_folder, ignore_errors=True)
        fixtures.add_windows_printer(cls.session, CHINESE_PRINTER, "USB001")
        fixtures.capture_port_jobs(cls.session, "USB001", cls.jobs_folder)
        quorvel.open_main_window(cls.session, cls.gui, printer_attached=True)

    def controls(self, title=MAIN):
        return self.gui.dump(title)["by_name"]

    def wait_for(self, condition, title=MAIN, timeout=20, what="condition"):
        deadline = time.monotonic() + timeout
        while True:
            controls = self.controls(title)
            if condition(controls):
                return self.controls(title)
            self.assertLess(time.monotonic(), deadline, f"timed out waiting for {what}")
            time.sleep(0.3)

    def test_0_the_prefix_runs_with_the_code_page_asked_for(self):
        code, out, err = self.session.run(paths.tool_exe("spooler_setup.exe"), "acp")
        self.assertEqual(code, 0, err)
        self.assertEqual(int(out), self.code_page)

    def test_1_read_and_set_reach_the_printer(self):
        report = quorvel.read_after_click(self.gui, self.printer, lambda: self.gui.click(MAIN, "Command8"))
        self.assertTrue(report.startswith("Read correct!"), report)
        self.assertIn("Sensor type：black mark\r\n", report)
        self.gui.click(MAIN, "Option1")  # gap sensor
        self.gui.click(MAIN, "Command4")
        self.gui.wait(WAIT_CAPTION)
        self.gui.gone(WAIT_CAPTION, timeout_ms=25000)
        self.assertEqual(self.printer.state()["sensor_type"], "0")
        self.wait_for(lambda c: "Sensor type：GAP" in c["RichTextBox1"]["text"], what="the read-back")

    def test_2_console_lists_and_sends_to_a_printer_named_in_chinese(self):
        self.gui.click(MAIN, "Command6")
        self.gui.wait(CONSOLE)
        c = self.controls(CONSOLE)
        self.assertEqual(c["ComboPrinter"]["items"], [CHINESE_PRINTER])
        self.assertEqual(c["ComboPrinter"]["text"], CHINESE_PRINTER)
        self.gui.check(CONSOLE, "CheckHEXMode", 1)
        self.gui.type(CONSOLE, "Text1", "1B 40 0D 0A")
        self.gui.click(CONSOLE, "Command4")
        deadline = time.monotonic() + 15
        while not (jobs := fixtures.captured_jobs(self.jobs_folder)):
            self.assertLess(time.monotonic(), deadline, "no job arrived")
            time.sleep(0.2)
        self.assertEqual(jobs, [b"\x1b\x40\r\n"])
        self.session.screenshot(f"console-{self.code_page}")

    def test_3_omblet_verifies_an_invoice_driver_install(self):
        session = self.session
        program = session.install_program(paths.omblet_fixture_wmi_exe(), OMBLET_FOLDER)
        session.replace_system_program("cmd.exe", paths.tool_exe("record_stub.exe"))
        session.replace_system_program("rundll32.exe", paths.tool_exe("install_stub.exe"))
        session.env["INSTALL_STUB_ADDS_PRINTERS"] = "1"
        fixtures.register_usb_printer(session, INSTALLER_INSTANCE, enum_index=0, port_number=1)
        (session.drive_c(OMBLET_FOLDER) / "wmi_fixture.txt").write_text(
            "\\\\PC01\\root\\cimv2:Win32_PnPEntity.DeviceID=\"" + INSTALLER_INSTANCE.replace("\\", "\\\\") + "\"\r\n",
            encoding="utf-8")
        session.start(program)
        self.gui.wait(OMBLET, timeout_ms=30000)
        box = self.gui.message_box(press_ok=False, timeout_ms=40000)
        lines = [self.controls(OMBLET)[f"Label1({i})"]["text"] for i in range(15)]
        self.assertEqual(box["text"], "驱动安装成功!!", lines)
        self.assertEqual(lines[7], "安装发票专用驱动..")
        _, out, _ = session.run(paths.tool_exe("spooler_setup.exe"), "list")
        self.assertIn("发票专用驱动S", [p["name"] for p in json.loads(out)])
        self.gui.message_box(press_ok=True)
        self.gui.gone(OMBLET)


class WesternEuropeanCodePage(CodePageCase):
    lang = "en_US.UTF-8"
    code_page = 1252


class Utf8CodePage(CodePageCase):
    lang = "hi_IN.UTF-8"
    code_page = 65001


del CodePageCase  # only its two code pages run

if __name__ == "__main__":
    unittest.main()
