"""The command console: raw sends through the spooler, the command list, file loads, and the tool's hand-offs."""
import os
import shutil
import time
import unittest

from harness import fixtures, paths, quorvel
from harness.case import WineTestCase

CONSOLE = "Lumisk-条码打印机指令测试"
PRINTER = "KESTRAMO K-108"
INSTANCE = "USB\\VID_1A86&PID_2000\\CONSOLE1"
SHOWN_FILE_BYTES = 64 * 1024  # kShownFileBytes: how much of a loaded file the boxes show


class ConsoleCase(WineTestCase):
    printers = (PRINTER,)

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.jobs_folder = cls.session.artifacts / "jobs"
        shutil.rmtree(cls.jobs_folder, ignore_errors=True)  # jobs of an earlier run
        for name in cls.printers:
            fixtures.add_windows_printer(cls.session, name, "USB001")
        fixtures.capture_port_jobs(cls.session, "USB001", cls.jobs_folder)
        fixtures.register_usb_printer(cls.session, INSTANCE, enum_index=0, port_number=1)
        cls.prepare()
        cls.process = quorvel.open_main_window(cls.session, cls.gui)
        cls.gui.click(quorvel.MAIN, "Command6")
        cls.gui.wait(CONSOLE)

    @classmethod
    def prepare(cls):
        pass

    def controls(self):
        return self.gui.dump(CONSOLE)["by_name"]

    def jobs(self):
        return fixtures.captured_jobs(self.jobs_folder)

    def wait_for_jobs(self, count, timeout=30):
        deadline = time.monotonic() + timeout
        while len(jobs := self.jobs()) < count:
            self.assertLess(time.monotonic(), deadline, f"{len(jobs)} of {count} jobs arrived")
            time.sleep(0.2)
        return jobs

    def failing_sends(self, text, count=20):
        """Sends `text` that cannot arrive `count` times; returns the message boxes, once handles and memory are
        seen back where they were after the first failure."""
        self.gui.type(CONSOLE, "Text1", text)
        self.gui.click(CONSOLE, "Command4")
        self.gui.message_box()
        baseline = self.gui.stats(CONSOLE)
        boxes = []
        for _ in range(count):
            self.gui.click(CONSOLE, "Command4")
            boxes.append(self.gui.message_box())
        self.assert_back_to(baseline, CONSOLE)
        return boxes

    def send(self, text, hex_mode):
        before = len(self.jobs())
        self.gui.check(CONSOLE, "CheckHEXMode", 1 if hex_mode else 0)
        self.gui.type(CONSOLE, "Text1", text)
        self.gui.click(CONSOLE, "Command4")
        return self.wait_for_jobs(before + 1)[before]


class Sends(ConsoleCase):
    def test_1_console_opens_enlarged_with_its_printers(self):
        c = self.controls()
        self.assertEqual(c["ComboPrinter"]["items"], [PRINTER])
        self.assertTrue(c["Text1"]["visible"])
        self.assertFalse(c["TASCII"]["visible"])
        self.assertFalse(c["TXTRE"]["visible"])
        self.assertEqual(c["Command4"]["text"], "发送")
        self.assertEqual(c["Label2"]["text"], "######")
        self.session.screenshot("console-enlarged")

    def test_2_text_mode_sends_code_page_bytes(self):
        self.assertEqual(self.send("AB中文", hex_mode=False), b"AB\xd6\xd0\xce\xc4")

    def test_3_hex_mode_sends_the_bytes(self):
        self.assertEqual(self.send("1B 40 0d0A", hex_mode=True), b"\x1b\x40\x0d\x0a")
        self.assertEqual(self.send("1B 4", hex_mode=True), b"\x1b\x04")

    def test_4_bad_hex_sends_nothing(self):
        before = len(self.jobs())
        self.gui.check(CONSOLE, "CheckHEXMode", 1)
        self.gui.type(CONSOLE, "Text1", "1B XY")
        self.gui.click(CONSOLE, "Command4")
        box = self.gui.message_box()
        self.assertEqual(box["text"], "发送失败!格式不对！")
        self.assertEqual(box["title"], "提示")
        time.sleep(0.5)
        self.assertEqual(len(self.jobs()), before)

    def test_5_return_value_from_the_command_list(self):
        self.gui.click(CONSOLE, "Command7")
        self.gui.click(CONSOLE, "CommandC")
        c = self.controls()
        self.assertTrue(c["List2"]["visible"])
        self.assertEqual(c["List2"]["items"][2], "返回参数")
        self.gui.double_click(CONSOLE, "List2", 2)
        self.gui.check(CONSOLE, "CheckHEXMode", 0)
        before = len(self.jobs())
        self.gui.click(CONSOLE, "Command4")
        self.assertEqual(self.wait_for_jobs(before + 1)[before], b"RETURN VALUE\r\n")

    def test_6_firmware_procedure_delivers_the_file(self):
        image = bytes((i * 37 + 11) % 256 for i in range(5000))
        firmware = self.session.artifacts / "firmware.bin"
        firmware.write_bytes(image)
        self.gui.click(CONSOLE, "Command7")
        self.gui.click(CONSOLE, "CommandC")
        self.gui.double_click(CONSOLE, "List2", 1)
        self.gui.check(CONSOLE, "CheckHEXMode", 0)
        before = len(self.jobs())
        self.gui.click(CONSOLE, "Command4")
        self.assertEqual(self.wait_for_jobs(before + 1)[before], b"PROGRAME UPGRADE\r\n")

        self.gui.click(CONSOLE, "Command5")
        self.gui.file_dialog("打开二进制文件", self.session.windows_path(firmware),
                             then_window=CONSOLE, name="Text1", length=3 * len(image))
        c = self.controls()
        self.assertTrue(c["Text1"]["text"].startswith("0B 30 55 "))
        self.assertTrue(c["TASCII"]["visible"])
        self.gui.check(CONSOLE, "CheckHEXMode", 1)
        self.gui.click(CONSOLE, "Command4")
        self.assertEqual(self.wait_for_jobs(before + 2)[before + 1], image)

    def test_7_side_by_side_view(self):
        self.gui.click(CONSOLE, "TXTRE")  # enlarged -> the three boxes side by side
        time.sleep(0.3)
        c = self.controls()
        self.assertTrue(c["Text1"]["visible"] and c["TASCII"]["visible"] and c["TXTRE"]["visible"])
        self.session.screenshot("console-side-by-side")

    def test_8_timed_send_makes_a_job_every_100ms(self):
        self.gui.check(CONSOLE, "CheckHEXMode", 0)
        self.gui.type(CONSOLE, "Text1", "PTESTPAGE")
        before = len(self.jobs())
        self.gui.check(CONSOLE, "Check1", 1)
        self.wait_for_jobs(before + 5)
        self.gui.check(CONSOLE, "Check1", 0)  # handled before it returns: no tick comes after it
        made = self.jobs()[before:]
        self.assertTrue(all(job == b"PTESTPAGE" for job in made))
        time.sleep(1)  # ten ticks' time
        self.assertEqual(len(self.jobs()), before + len(made))  # stopped

    def test_9_probe_without_usb_devices_in_wmi(self):
        self.gui.click(CONSOLE, "Command8")
        deadline = time.monotonic() + 20
        while self.controls()["TXTRE"]["text"] != "没有找到PID":
            self.assertLess(time.monotonic(), deadline)
            time.sleep(0.3)
        self.assertEqual(self.controls()["Label2"]["text"], "######")


class TimedSendForAMinute(ConsoleCase):
    def test_hundreds_of_jobs_and_nothing_held_afterwards(self):
        self.gui.type(CONSOLE, "Text1", "PTESTPAGE")
        self.send("PTESTPAGE", hex_mode=False)
        baseline = self.gui.stats(CONSOLE)
        self.gui.check(CONSOLE, "Check1", 1)
        self.wait_for_jobs(200, timeout=300)  # about a minute at one job every 100 ms
        self.gui.check(CONSOLE, "Check1", 0)
        jobs = self.jobs()
        self.assertTrue(all(job == b"PTESTPAGE" for job in jobs))
        self.assert_back_to(baseline, CONSOLE)


class LargeImage(ConsoleCase):
    def test_0_a_wrong_gigabyte_file_is_refused_and_the_box_kept(self):
        wrong = self.session.artifacts / "wrong.iso"
        with open(wrong, "wb") as file:
            file.truncate(1 << 30)  # sparse: no gigabyte is written
        self.gui.click(CONSOLE, "Command5")
        self.gui.file_dialog("打开二进制文件")  # the dialog's first use loads the system's shell parts
        self.gui.message_box()
        self.gui.type(CONSOLE, "Text1", "1B 40")
        baseline = self.gui.stats(CONSOLE)
        self.gui.click(CONSOLE, "Command5")
        self.gui.file_dialog("打开二进制文件", self.session.windows_path(wrong))
        box = self.gui.message_box()
        wrong.unlink()
        self.assertEqual(box, {"title": "error", "text": "文件太大：最多只能载入 16777216 字节。"})
        self.assertEqual(self.controls()["Text1"]["text"], "1B 40")
        self.assert_back_to(baseline, CONSOLE)

    def load(self, image, name):
        """Loads `image` through the open-file dialog while probing the console as the system does to tell a hung
        window: every probe must be answered until the send box shows the file's first part."""
        path = self.session.artifacts / name
        path.write_bytes(image)
        self.gui.click(CONSOLE, "Command5")
        self.gui.file_dialog("打开二进制文件", self.session.windows_path(path))
        shown = 3 * min(len(image), SHOWN_FILE_BYTES)
        deadline = time.monotonic() + 120
        while True:
            probe = self.gui.probe(CONSOLE, for_ms=1000, each_ms=2000)
            self.assertEqual(probe["unanswered"], 0, f"the console stopped answering while loading: {probe}")
            c = self.controls()
            if len(c["Text1"]["text"]) == shown:
                return c
            self.assertLess(time.monotonic(), deadline, "the file's first part never reached the send box")

    def test_1_three_megabyte_image_shows_its_start_and_sends_whole(self):
        image = os.urandom(3_000_000)
        firmware = self.session.artifacts / "large.bin"
        firmware.write_bytes(image)
        self.gui.click(CONSOLE, "Command5")
        milliseconds = self.gui.file_dialog("打开二进制文件", self.session.windows_path(firmware),
                                            then_window=CONSOLE, name="Text1", length=3 * SHOWN_FILE_BYTES,
                                            timeout_ms=60000)
        (self.session.artifacts / "load-time.txt").write_text(f"{milliseconds} ms from confirming the file\n")
        print(f"\n3,000,000-byte image's first part shown after {milliseconds} ms", flush=True)
        c = self.controls()
        self.assertEqual(c["Text1"]["text"], " ".join(f"{b:02X}" for b in image[:SHOWN_FILE_BYTES]) + " ")
        self.assertIn(f"The file has {len(image)} bytes; only the first {SHOWN_FILE_BYTES} are shown",
                      c["TASCII"]["text"])
        self.gui.check(CONSOLE, "CheckHEXMode", 1)
        self.gui.click(CONSOLE, "Command4")
        self.assertEqual(self.wait_for_jobs(1, timeout=60)[0], image)

    def test_2_sixteen_megabyte_file_keeps_the_console_answering(self):
        image = bytes(range(256)) * (16 * 1024 * 1024 // 256)
        before = len(self.jobs())
        c = self.load(image, "huge.bin")
        self.assertIn("larger than one send can carry", c["TASCII"]["text"])
        # What goes is the whole file, not the part shown: it is more than one send carries, and refused as before.
        self.gui.check(CONSOLE, "CheckHEXMode", 1)
        self.gui.click(CONSOLE, "Command4")
        self.assertEqual(self.gui.message_box()["text"], "发送失败!格式不对！")
        self.assertEqual(len(self.jobs()), before)


class RefusingSpooler(ConsoleCase):
    """The spooler opens the printer but cannot deliver the job: its port leads to a folder that does not exist."""

    @classmethod
    def prepare(cls):
        cls.session.reg_add(r"HKCU\Software\Wine\Printing\Spooler", "USB001", "REG_SZ", "/nonexistent-folder/job.bin")

    def test_a_job_that_does_not_arrive_is_reported(self):
        for box in self.failing_sends("PTESTPAGE"):
            self.assertIn("发送失败", box["text"])
            self.assertIn(PRINTER, box["text"])
            self.assertEqual(box["title"], "提示")
        self.assertEqual(self.controls()["Text1"]["text"], "PTESTPAGE")  # what the user typed is kept


class UnknownPrinter(ConsoleCase):
    printers = ()

    def test_send_with_no_printer_reports_it(self):
        for box in self.failing_sends("X"):
            self.assertEqual(box["text"], "The Printer Name you typed wasn't recognized.")
        self.assertEqual(self.jobs(), [])


class BrokenWmi(ConsoleCase):
    """WMI's provider is switched off, so the service cannot be reached."""

    @classmethod
    def prepare(cls):
        cls.session.env["WINEDLLOVERRIDES"] += ";wbemprox=d"

    def test_probe_says_nothing_was_found_and_the_console_goes_on(self):
        for _ in range(2):
            self.gui.click(CONSOLE, "Command8")
            deadline = time.monotonic() + 20
            while self.controls()["TXTRE"]["text"] != "没有找到PID":
                self.assertLess(time.monotonic(), deadline, self.controls()["TXTRE"]["text"])
                time.sleep(0.3)
        self.assertEqual(self.send("1B 40", hex_mode=True), b"\x1b\x40")


class HandOffs(ConsoleCase):
    """The main window's install buttons, with stubs that record how they were started."""

    @classmethod
    def prepare(cls):
        cls.session.replace_system_program("rundll32.exe", paths.tool_exe("record_stub.exe"))
        cls.session.env["RECORD_STUB_LOG"] = "C:\\Quorvel\\started.log"

    def started(self, count):
        log = self.session.drive_c("C:\\Quorvel") / "started.log"
        deadline = time.monotonic() + 15
        while True:
            lines = log.read_text(encoding="utf-8").splitlines() if log.exists() else []
            if len(lines) >= count or time.monotonic() > deadline:
                return lines
            time.sleep(0.2)

    def box_after_clicks(self, button, clicks=10):
        """Clicks `button` again and again, closing its box each time; returns the last box's text once the
        window holds no more than after the first."""
        self.gui.click(quorvel.MAIN, button)
        self.gui.message_box()
        baseline = self.gui.stats(quorvel.MAIN)
        for _ in range(clicks):
            self.gui.click(quorvel.MAIN, button)
            text = self.gui.message_box()["text"]
        self.assert_back_to(baseline, quorvel.MAIN)
        return text

    def test_0_missing_driver_package_is_named_and_nothing_starts(self):
        qrx = self.session.drive_c("C:\\Quorvel") / "QRX"
        qrx.rename(qrx.with_name("QRX.away"))
        try:
            self.assertIn("C:\\Quorvel\\QRX\\QRX.inf", self.box_after_clicks("Command5"))
        finally:
            qrx.with_name("QRX.away").rename(qrx)
        self.assertEqual(self.started(0), [])

    def test_1_install_printer_runs_printui_with_the_quoted_inf(self):
        self.gui.click(quorvel.MAIN, "Command5")
        lines = self.started(1)
        self.assertEqual(len(lines), 1, lines)
        self.assertIn("\\system32\\rundll32.exe", lines[0].lower())
        self.assertTrue(lines[0].endswith(
            'printui.dll,PrintUIEntry /if /b "RIRIRU" /f "C:\\Quorvel\\QRX\\QRX.inf" /r USB001 /m "RIRIRU"'),
            lines[0])

    def test_2_missing_installer_is_named(self):
        self.assertIn("C:\\Quorvel\\Omblet.exe", self.box_after_clicks("Command7"))

    def test_3_install_drivers_starts_omblet(self):
        folder = self.session.drive_c("C:\\Quorvel")
        (folder / "Omblet.exe").write_bytes(paths.tool_exe("record_stub.exe").read_bytes())
        self.gui.click(quorvel.MAIN, "Command7")
        lines = self.started(2)
        self.assertEqual(len(lines), 2, lines)
        self.assertIn("Omblet.exe", lines[1])


if __name__ == "__main__":
    unittest.main()
