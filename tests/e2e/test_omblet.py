"""The driver installer from start to close under Wine: spooler start, detection, port, printui, check, message.

Wine's WMI lists no USB devices, so most cases run the test build Omblet_fixture_wmi.exe, whose WMI service reads
device texts from wmi_fixture.txt beside it. cmd.exe and rundll32.exe of the system folder are recording stubs; the
rundll32 stub may add the printer it was asked to install, as printui would.
"""
import json
import re
import shutil
import subprocess
import time
import unittest

from harness import fixtures, paths
from harness.case import WineTestCase

CAPTION = "OmbletV300.19(20180607)"
FOLDER = "C:\\Program Files\\Omblet"
INF = FOLDER + "\\QRX\\QRX.inf"
WAITING = "正在查询USB打印机，请确认打印机是否处于打开状态:"
HUB = "\\\\PC01\\root\\cimv2:Win32_PnPEntity.DeviceID=\"USB\\\\ROOT_HUB30\\\\4&2F1C&0&0\""


def dependent(instance):
    return "\\\\PC01\\root\\cimv2:Win32_PnPEntity.DeviceID=\"" + instance.replace("\\", "\\\\") + "\""


def printui(name, port):
    return (f'rundll32 printui.dll,PrintUIEntry /if /b "{name}" /f "{INF}" /r {port} /m "{name}"')


def countdown(n):
    return f"打印机驱动安装完成:{n}s(5秒后自动关闭)"


def screenshot_with_message_box(session, name, box_title="Omblet"):
    """The screen with the message box drawn in. Xvfb keeps no contents of a window that lies wholly over an
    unmanaged window, so a grab of the root shows the box black; the box's own grab is pasted in at its place."""
    path = session.screenshot(name)
    display = session.display.name
    info = subprocess.run(["xwininfo", "-name", box_title, "-display", display], capture_output=True, text=True)
    left = re.search(r"Absolute upper-left X:\s+(-?\d+)", info.stdout)
    top = re.search(r"Absolute upper-left Y:\s+(-?\d+)", info.stdout)
    if info.returncode != 0 or not left or not top:
        return path
    box = subprocess.run(["xwd", "-silent", "-name", box_title, "-display", display], capture_output=True)
    if box.returncode != 0:
        return path
    box_png = path.with_name(name + "-box.png")
    subprocess.run(["convert", "xwd:-", str(box_png)], input=box.stdout, check=True)
    subprocess.run(["convert", str(path), str(box_png), "-geometry", f"+{left.group(1)}+{top.group(1)}",
                    "-composite", str(path)], check=True)
    return path


class OmbletCase(WineTestCase):
    exe = None
    stub_adds_printers = False
    stub_seconds = 0

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.program = cls.session.install_program(cls.exe or paths.omblet_fixture_wmi_exe(), FOLDER)
        cls.folder = cls.session.drive_c(FOLDER)
        cls.session.replace_system_program("cmd.exe", paths.tool_exe("record_stub.exe"))
        cls.session.replace_system_program("rundll32.exe", paths.tool_exe("install_stub.exe"))
        cls.record_log = cls.session.system_folder() / "record_stub.log"
        cls.fixture = cls.folder / "wmi_fixture.txt"
        cls.session.env["INSTALL_STUB_ADDS_PRINTERS"] = "1" if cls.stub_adds_printers else "0"
        cls.session.env["INSTALL_STUB_SECONDS"] = str(cls.stub_seconds)

    def devices(self, *texts):
        self.fixture.write_text("".join(t + "\r\n" for t in texts), encoding="utf-8")

    def recorded(self):
        return self.record_log.read_text(encoding="utf-8").splitlines() if self.record_log.exists() else []

    def wait_recorded(self, count, timeout=15):
        deadline = time.monotonic() + timeout
        while len(self.recorded()) < count and time.monotonic() < deadline:
            time.sleep(0.2)
        return self.recorded()

    def lines(self):
        controls = self.gui.dump(CAPTION)["by_name"]
        return [controls[f"Label1({i})"]["text"] for i in range(15)]

    def wait_for(self, condition, timeout=20, what="condition"):
        deadline = time.monotonic() + timeout
        while True:
            lines = self.lines()
            if condition(lines):
                return lines
            if time.monotonic() > deadline:
                self.fail(f"timed out waiting for {what}; lines: {lines!r}")
            time.sleep(0.2)

    def start_program(self):
        self.__class__.process = self.session.start(self.program)
        self.gui.wait(CAPTION, timeout_ms=30000)


class StopTheWait(OmbletCase):
    """No printer attached: the window waits for one until its stop button or Esc ends it."""
    def wait_for_the_printer_wait(self):
        self.start_program()
        self.devices(HUB)
        self.wait_for(lambda l: l[2].startswith(WAITING), what="the wait for a printer")

    def test_1_only_lines_with_text_show_and_the_stop_button_has_the_focus(self):
        self.wait_for_the_printer_wait()
        controls = self.gui.dump(CAPTION)["by_name"]
        for i in range(15):
            line = controls[f"Label1({i})"]
            self.assertEqual(line["visible"], bool(line["text"]), line)
        focus = self.gui.focus(CAPTION)
        self.assertEqual(focus["name"], "CommandStop", focus)
        self.assertTrue(focus["visible"] and focus["in_window"], focus)
        self.assertTrue(controls["CommandStop"]["text"])

    def test_1b_a_changing_status_line_tells_screen_readers(self):
        events = self.gui.win_events(CAPTION, 3500)  # the waiting line counts its scans, one a second
        lines = {e["name"] for e in events if e["event"] == "live" and e["name"].startswith("Label1(")}
        self.assertIn("Label1(2)", lines, events)
        self.assertTrue(all(e["text"] for e in events if e["event"] == "live"), events)

    def test_2_esc_ends_the_wait(self):
        self.gui.keys("Escape")
        self.gui.gone(CAPTION)

    def test_3_the_stop_button_ends_the_wait(self):
        self.wait_for_the_printer_wait()
        self.gui.keys("Return")  # on the focused stop button
        self.gui.gone(CAPTION)


class VerifiedInstall(OmbletCase):
    """A printer plugged in late; printui installs both printers."""
    stub_adds_printers = True
    instance = "USB\\VID_1A86&PID_600E\\7&1B2C3D4E&0&1"

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        fixtures.register_usb_printer(cls.session, cls.instance, enum_index=0, port_number=1)

    def test_1_spooler_start_then_wmi_failure_shown_and_detection_goes_on(self):
        self.start_program()
        window = self.gui.dump(CAPTION)
        self.assertEqual(window["by_name"]["Label2"]["text"], "Quorvel 热敏打印机驱动安装程序")
        lines = self.lines()
        self.assertEqual(lines[0], "打印驱动安装中请你耐心等待")
        self.assertTrue(lines[1].startswith("启动打印服务"))
        self.assertEqual(self.wait_recorded(1), ["cmd /c net start spooler"])
        # A second start hands over to the running installer and ends, starting nothing.
        code, _, _ = self.session.run(self.program, timeout=30)
        self.assertEqual(code, 0)
        self.assertEqual([w["title"] for w in self.gui.windows()].count(CAPTION), 1)
        # No fixture file yet: the query fails, and the line says so.
        self.wait_for(lambda l: l[3] == "无法通过WMI查询USB设备，稍后重试", what="the WMI failure")
        lines = self.lines()  # lines 1 and 2 as they stand after the failure, not as the waiting dump read them
        self.assertEqual(lines[1], "启动打印服务.....")
        self.assertEqual(lines[2], "正在检测USB打印机")

    def test_2_waiting_text_counts_the_devices(self):
        self.devices(HUB, dependent("USB\\VID_046D&PID_C52B\\6&1"))
        lines = self.wait_for(lambda l: l[2].startswith(WAITING) and l[2] != WAITING + "2s", what="a second scan")
        self.assertRegex(lines[2], "^" + WAITING + r"\d+s$")
        self.assertEqual(int(lines[2][len(WAITING):-1]) % 2, 0)
        self.assertEqual(lines[3], dependent("USB\\VID_046D&PID_C52B\\6&1"))
        self.session.screenshot("omblet-detecting")

    def test_3_printer_found_port_resolved_and_printui_commands_exact(self):
        self.devices(HUB, dependent(self.instance))
        self.wait_for(lambda l: l[9].startswith("打印机驱动安装完成:"), what="the countdown")
        # A dump reads the lines one by one while the installer answers it from its install steps, so the dump
        # that saw the countdown may hold line 2 from before the printer was found: read again, now that the
        # install has ended and only the countdown still changes.
        lines = self.lines()
        self.assertEqual(lines[2], "检测到USB打印机型号:Vollenby LP-702")
        self.assertEqual(lines[3], dependent(self.instance))
        self.assertEqual(lines[4], "检测到打印机虚拟端口:USB001")
        self.assertEqual(lines[5], "正在将打印机驱动程序复制到你的计算机..")
        self.assertEqual(lines[6:9], ["加载驱动文件..", "安装发票专用驱动..", "安装标准驱动.."])
        recorded = self.wait_recorded(3)
        # printui runs once for the invoice printer and, when that has ended, once for the standard printer.
        self.assertEqual(recorded, ["cmd /c net start spooler", printui("发票专用驱动S", "USB001"),
                                    printui("Vollenby LP-702", "USB001")])

    def test_4_countdown_to_six_then_the_verified_message(self):
        box = self.gui.message_box(press_ok=False, timeout_ms=30000)
        self.assertEqual(box, {"title": "Omblet", "text": "驱动安装成功!!"})
        lines = self.lines()
        self.assertEqual(lines[9], countdown(6))
        self.assertEqual(lines[10], "")
        time.sleep(1)  # let the message box paint itself
        screenshot_with_message_box(self.session, "omblet-success")
        _, out, _ = self.session.run(paths.tool_exe("spooler_setup.exe"), "list")
        names = [p["name"] for p in json.loads(out)]
        self.assertIn("发票专用驱动S", names)
        self.assertIn("Vollenby LP-702", names)
        # The window stays until the user has closed the message box.
        self.gui.wait(CAPTION, timeout_ms=1000)
        self.gui.message_box(press_ok=True)
        self.gui.gone(CAPTION)
        self.assertEqual(self.process.wait(20), 0)


class FailedInstall(OmbletCase):
    """A no-invoice model on a port found past a gap in the usbprint numbering; printui installs nothing."""
    stub_seconds = 8
    instance = "USB\\VID_1A86&PID_A00E\\8&2C&0&2"

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        fixtures.register_usb_printer(cls.session, cls.instance, enum_index=1, port_number=3)

    def test_install_waits_for_printui_then_names_the_missing_printer(self):
        self.devices(HUB, dependent(self.instance))
        self.start_program()
        self.wait_for(lambda l: l[1].startswith("打印机驱动安装完成:"), what="the countdown on line 1")
        lines = self.lines()  # line 0 as it stands once the countdown shows (see VerifiedInstall.test_3)
        self.assertEqual(lines[0], "安装标准驱动..")
        self.assertEqual(lines[2], "检测到USB打印机型号:KESTRAMO 5800N")
        self.assertEqual(lines[4], "检测到打印机虚拟端口:USB003")
        self.assertEqual(lines[7], "")
        self.wait_for(lambda l: l[10].startswith("正在等待驱动安装程序结束.."), what="the wait for printui")
        # A dump reads the lines one by one, so the tick may have fallen between line 1 and line 10: read again.
        self.assertEqual(self.lines()[1], countdown(6))
        box = self.gui.message_box(press_ok=False, timeout_ms=30000)
        self.assertEqual(box, {"title": "Omblet", "text": "以下打印机没有安装成功: KESTRAMO 5800N"})
        self.assertEqual(self.lines()[10], "以下打印机没有安装成功: KESTRAMO 5800N")
        self.assertEqual(self.lines()[1], "打印机驱动没有安装成功")  # no longer "closes in 5 s"
        time.sleep(1)
        screenshot_with_message_box(self.session, "omblet-failed")
        self.assertEqual(self.recorded(), ["cmd /c net start spooler", printui("KESTRAMO 5800N", "USB003")])
        self.gui.message_box(press_ok=True)
        self.gui.gone(CAPTION)
        self.assertEqual(self.process.wait(20), 0)


class InstallerFaults(OmbletCase):
    """A failing WMI and device texts of every odd kind, then a printer with the driver package missing."""
    instance = "USB\\VID_1A86&PID_600E\\9&1&0&1"

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        fixtures.register_usb_printer(cls.session, cls.instance, enum_index=0, port_number=1)
        shutil.rmtree(cls.folder / "QRX")

    def show(self, raw, line, expected, what):
        """Writes the device list as raw bytes and waits until status line `line` satisfies `expected`."""
        if raw is None:
            self.fixture.unlink(missing_ok=True)
        else:
            self.fixture.write_bytes(raw)
        return self.wait_for(lambda l: expected(l[line]), what=what)

    def test_1_failing_wmi_and_odd_device_texts_keep_it_waiting_without_leaks(self):
        self.start_program()
        failed = "无法通过WMI查询USB设备，稍后重试"
        self.show(None, 3, lambda t: t == failed, "the WMI failure")
        baseline = self.gui.stats(CAPTION)
        long_text = "USB\\VID_1A86&PID_0000\\" * 250
        cases = [
            (None, 3, lambda t: t == failed, "the WMI failure"),
            (b"\xff\xfegarbage\x80\x00\x81\r\n", 3, lambda t: "garbage" in t, "a text that is no UTF-8"),
            (long_text.encode() + b"\r\n", 3, lambda t: t == long_text, "a 6000-character text"),
            (b"USB\\VID_1A86&PID\r\nUSB\\VID\r\n", 3, lambda t: t == "USB\\VID", "texts cut inside a tag"),
            # The vendor and a known product in two different devices make no printer.
            (b"USB\\VID_1A86&PID_0001\\1\r\nUSB\\VID_046D&PID_600E\\2\r\n", 3,
             lambda t: t == "USB\\VID_046D&PID_600E\\2", "two devices that are no printer"),
            (b"USB\\VID_0483&PID_5720\\3\r\n", 2, lambda t: t == "目前打印在U盘模式下，请重启打印机", "the U-disk message"),
        ]
        for _ in range(3):
            for raw, line, expected, what in cases:
                self.show(raw, line, expected, what)
        lines = self.lines()
        self.assertEqual(lines[4:10], [""] * 6)  # nothing was installed
        self.assertEqual(self.recorded(), ["cmd /c net start spooler"])
        self.assert_back_to(baseline, CAPTION)

    def test_2_missing_driver_package_is_named_and_the_install_reported_failed(self):
        self.devices(HUB, dependent(self.instance))
        lines = self.wait_for(lambda l: l[11].startswith("找不到驱动文件"), what="the missing package")
        self.assertEqual(lines[11], "找不到驱动文件: " + INF)
        box = self.gui.message_box(press_ok=False, timeout_ms=40000)
        self.assertEqual(box["title"], "Omblet")
        self.assertTrue(box["text"].startswith("以下打印机没有安装成功: "), box)
        self.assertIn("Vollenby LP-702", box["text"])
        self.gui.message_box(press_ok=True)
        self.gui.gone(CAPTION)
        self.assertEqual(self.process.wait(20), 0)


class ProductionBuild(OmbletCase):
    """The real WMI: Wine's lists no USB devices, so the installer keeps waiting for a printer."""

    @classmethod
    def setUpClass(cls):
        cls.exe = paths.omblet_exe()
        super().setUpClass()

    def test_spooler_command_recorded_and_detection_keeps_waiting(self):
        self.start_program()
        self.assertEqual(self.wait_recorded(1), ["cmd /c net start spooler"])
        self.wait_for(lambda l: l[2] == "正在检测USB打印机", what="detection")
        time.sleep(3)  # a few scans with nothing found
        lines = self.lines()
        self.assertEqual(lines[0], "打印驱动安装中请你耐心等待")
        self.assertEqual(lines[1], "启动打印服务.....")
        self.assertEqual(lines[2], "正在检测USB打印机")
        self.assertEqual(lines[3], "")
        self.assertEqual(lines[4:], [""] * 11)
        self.session.screenshot("omblet-production-waiting")
        self.assertEqual(self.recorded(), ["cmd /c net start spooler"])
        self.gui.close(CAPTION)
        self.gui.gone(CAPTION)
        self.assertEqual(self.process.wait(20), 0)


if __name__ == "__main__":
    unittest.main()
