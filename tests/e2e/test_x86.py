"""The x86 (32-bit) programs under 32-bit Wine: the launcher, a read from the simulator, a console send, quorvelctl's
read and set, and the driver installer's flow with the fixture WMI. Run through harness/with_wine32.sh, in one
prefix for all of them; the 64-bit test tools (GUI driver, spooler setup, stand-ins) run beside them, as they would
on 64-bit Windows."""
import json
import shutil
import struct
import subprocess
import time
import unittest
from pathlib import Path

from harness import fixtures, paths, quorvel
from harness.case import WineTestCase
from harness.gui import GuiDriver
from harness.printer import SimulatedPrinter
from harness.session import WineSession

I386, AMD64 = 0x14C, 0x8664
CONSOLE = "Lumisk-条码打印机指令测试"
OMBLET = "OmbletV300.19(20180607)"
PRINTER = "KESTRAMO K-108"
READER = "USB\\VID_1A86&PID_2000\\X86READ1"
INSTALLED = "USB\\VID_1A86&PID_600E\\7&X86&0&1"
HUB = "\\\\PC01\\root\\cimv2:Win32_PnPEntity.DeviceID=\"USB\\\\ROOT_HUB30\\\\4&2F1C&0&0\""
QUORVEL_FOLDER = "C:\\Quorvel32"
OMBLET_FOLDER = "C:\\Omblet32"
# Programs the installer starts: in the system folders, stand-ins record them (system32 is syswow64 for a 32-bit
# program). Beside the programs, planted files record into the program's folder if they ever run.
STAND_INS = {"cmd.exe": "record_stub.exe", "rundll32.exe": "install_stub.exe"}
SYSTEM_FOLDERS = ("windows/system32", "windows/syswow64")


def printui(name, port, folder):
    return f'rundll32 printui.dll,PrintUIEntry /if /b "{name}" /f "{folder}\\QRX\\QRX.inf" /r {port} /m "{name}"'


def machine(path):
    """The machine field of a PE file's header."""
    data = Path(path).read_bytes()[:4096]
    offset = struct.unpack_from("<I", data, 0x3C)[0]
    assert data[offset:offset + 4] == b"PE\0\0", f"{path} is no PE file"
    return struct.unpack_from("<H", data, offset + 4)[0]


def x86_exe(name):
    build = paths.windows_x86_build()
    for folder in ("stage/x86", "driver_installer/win32", "config_tool/win32", "tools/win32_test_programs"):
        if (build / folder / name).exists():
            return build / folder / name
    raise FileNotFoundError(f"{name} not built in {build}")


class X86Session(WineSession):
    """Starts 32-bit programs with the 32-bit loader and everything else with the 64-bit one directly, which spares
    each call of a 64-bit tool a start of the 32-bit loader."""

    def loader(self, program=None):
        if program is not None:
            text = str(program)
            path = self.drive_c(text) if text[1:3] == ":\\" else Path(text)
            if path.exists() and machine(path) == I386:
                return "wine"
        return "/usr/lib/wine/wine64"


class X86Programs(WineTestCase):
    @classmethod
    def setUpClass(cls):
        cls.session = X86Session(cls.__name__)
        cls.gui = GuiDriver(cls.session)
        session = cls.session
        cls.jobs_folder = session.artifacts / "jobs"
        shutil.rmtree(cls.jobs_folder, ignore_errors=True)
        fixtures.add_windows_printer(session, PRINTER, "USB001")
        fixtures.capture_port_jobs(session, "USB001", cls.jobs_folder)
        cls.printer = SimulatedPrinter(session, READER, pid="2000", version="15", temperature="036")
        fixtures.register_usb_printer(session, READER, enum_index=0, port_number=1)
        for system in SYSTEM_FOLDERS:
            for name, stand_in in STAND_INS.items():
                shutil.copy2(paths.tool_exe(stand_in), session.prefix / "drive_c" / system / name)
        session.env["WINEDLLOVERRIDES"] += ";rundll32.exe,cmd.exe=n;winspool.drv=n,b"
        session.env["INSTALL_STUB_SECONDS"] = "0"
        cls.planted_logs = []
        for windows_folder in (QUORVEL_FOLDER, OMBLET_FOLDER):
            folder = session.drive_c(windows_folder)
            folder.mkdir(parents=True, exist_ok=True)
            for name in STAND_INS:
                shutil.copy2(paths.tool_exe("record_stub.exe"), folder / name)
            shutil.copy2(x86_exe("planted_winspool.dll"), folder / "winspool.drv")
            cls.planted_logs += [folder / "record_stub.log", folder / "planted_winspool.log"]

    def system_lines(self):
        """What the system folders' stand-ins recorded, in the order the programs started them."""
        lines = []
        for system in SYSTEM_FOLDERS:
            log = self.session.prefix / "drive_c" / system / "record_stub.log"
            if log.exists():
                lines += log.read_text(encoding="utf-8").splitlines()
        return lines

    def assert_nothing_planted_ran(self):
        ran = {str(log): log.read_text(errors="replace") for log in self.planted_logs if log.exists()}
        self.assertEqual(ran, {}, "files planted beside the 32-bit programs ran")

    def wait_for(self, condition, what, timeout=60, interval=0.5):
        deadline = time.monotonic() + timeout
        while True:
            value = condition()
            if value:
                return value
            if time.monotonic() > deadline:
                self.fail(f"timed out waiting for {what}")
            time.sleep(interval)

    def wait_window(self, title, seconds=150):
        """Waits for a window of a 32-bit program, which starts slowly under emulation, in calls the session allows."""
        deadline = time.monotonic() + seconds
        while True:
            try:
                # Short enough that the call ends within the session's limit on a slow start, too.
                self.gui.wait(title, timeout_ms=30000)
                return
            except (AssertionError, subprocess.TimeoutExpired):
                if time.monotonic() > deadline:
                    self.session.screenshot("x86-no-" + title[:8])
                    self.fail(f"no window {title!r}; windows: {[w.get('title') for w in self.gui.windows()]}")

    def test_0_the_programs_are_x86_and_need_only_system_dlls(self):
        for name in ("Quorvel.exe", "Omblet.exe"):
            self.assertEqual(machine(paths.stage("x86") / name), I386, name)
            self.assertEqual(machine(paths.stage("x64") / name), AMD64, name)
        self.assertEqual(machine(x86_exe("Omblet_fixture_wmi.exe")), I386)
        self.assertEqual(self.session.loader(paths.stage("x86") / "Quorvel.exe"), "wine")

    def test_1_launcher_then_main_window(self):
        program = self.session.install_program(x86_exe("Quorvel.exe"), QUORVEL_FOLDER)
        (self.session.drive_c(QUORVEL_FOLDER) / "skin").mkdir(exist_ok=True)
        self.__class__.quorvel = self.session.start(program, log_name="quorvel-x86.log")
        self.wait_window(quorvel.LAUNCHER)
        launcher = self.gui.dump(quorvel.LAUNCHER)
        self.assertTrue(launcher["visible"])
        self.assertIn("Option1", launcher["by_name"])
        self.session.screenshot("x86-launcher")
        self.gui.click(quorvel.LAUNCHER, "Option2")
        self.gui.click(quorvel.LAUNCHER, "Command1")
        self.wait_window(quorvel.MAIN)
        self.gui.gone(quorvel.LAUNCHER, timeout_ms=30000)

    def test_2_read_from_the_simulator(self):
        text = quorvel.read_after_click(self.gui, self.printer, lambda: self.gui.click(quorvel.MAIN, "Command8"),
                                        timeout=120)
        self.assertTrue(text.startswith("Read correct!"), text)
        self.assertIn("Sofeware Version：V1.5\r\n", text)
        self.assertIn("USBPID:2000(KESTRAMO K-108)\r\n", text)
        self.assertIn("printer head temprature:037degree centigrade\r\n", text)  # one up from 036 for this read
        self.session.screenshot("x86-report")

    def test_2b_driver_install_starts_the_systems_rundll32(self):
        self.gui.click(quorvel.MAIN, "Command5")  # 安装406DPI驱动
        lines = self.wait_for(lambda: self.system_lines() or self.assert_nothing_planted_ran(), "rundll32's start")
        self.assert_nothing_planted_ran()
        self.assertEqual(len(lines), 1, lines)
        self.assertIn("\\system32\\rundll32.exe", lines[0].lower())
        self.assertTrue(lines[0].endswith(printui("RIRIRU", "USB001", QUORVEL_FOLDER)[len("rundll32"):]), lines[0])

    def test_3_console_send(self):
        self.gui.click(quorvel.MAIN, "Command6")
        self.wait_window(CONSOLE)
        self.assertEqual(self.gui.dump(CONSOLE)["by_name"]["ComboPrinter"]["items"], [PRINTER])
        sends = [("AB中文", 0, b"AB\xd6\xd0\xce\xc4"), ("1B 40 0d0A", 1, b"\x1b\x40\x0d\x0a")]
        for text, hex_mode, expected in sends:
            before = len(fixtures.captured_jobs(self.jobs_folder))
            self.gui.check(CONSOLE, "CheckHEXMode", hex_mode)
            self.gui.type(CONSOLE, "Text1", text)
            self.gui.click(CONSOLE, "Command4")
            jobs = self.wait_for(lambda: len(fixtures.captured_jobs(self.jobs_folder)) > before and
                                 fixtures.captured_jobs(self.jobs_folder), f"the job of {text!r}")
            self.assertEqual(jobs[before], expected)
        self.session.screenshot("x86-console")
        self.gui.close(CONSOLE)
        self.gui.close(quorvel.MAIN)
        self.gui.gone(quorvel.MAIN, timeout_ms=30000)
        self.assertEqual(self.quorvel.wait(60), 0)

    def test_3b_quorvelctl_reads_and_sets_the_simulator(self):
        exe = paths.stage("x86") / "quorvelctl.exe"
        self.assertEqual(machine(exe), I386)
        program = self.session.install_program(exe, "C:\\Tools32", with_data=False)
        code, out, err = self.session.run(program, "read", "--json", timeout=180)
        self.assertEqual(code, 0, err)
        report = json.loads(out)
        self.assertEqual((report["product_id"], report["model"], report["temperature"]),
                         ("2000", "KESTRAMO K-108", "037"))  # as the main window's read left it
        before = len(self.printer.received())
        code, out, err = self.session.run(program, "set", "--speed-limit", "on", "--settle", "0", timeout=180)
        self.assertEqual(code, 0, err)
        self.assertEqual(self.printer.state()["speed_limit"], "1")
        self.assertEqual(self.printer.received()[before:].count(b"RETURN VALUE\r\n"), 2)

    def test_4_omblet_fixture_flow(self):
        session = self.session
        program = session.install_program(x86_exe("Omblet_fixture_wmi.exe"), OMBLET_FOLDER)
        folder = session.drive_c(OMBLET_FOLDER)
        session.env["INSTALL_STUB_ADDS_PRINTERS"] = "1"  # so that the installer sees its printers installed
        # The installer finds this printer alone: the reader of the tests before is unplugged.
        subprocess.run([session.loader(), "reg", "delete", fixtures.USBPRINT_ENUM, "/f"], env=session.env,
                       check=True, capture_output=True, timeout=60)
        fixtures.register_usb_printer(session, INSTALLED, enum_index=0, port_number=2)
        dependent = "\\\\PC01\\root\\cimv2:Win32_PnPEntity.DeviceID=\"" + INSTALLED.replace("\\", "\\\\") + "\""
        (folder / "wmi_fixture.txt").write_text(HUB + "\r\n" + dependent + "\r\n", encoding="utf-8")

        process = session.start(program, log_name="omblet-x86.log")
        self.wait_window(OMBLET)

        def lines():
            controls = self.gui.dump(OMBLET)["by_name"]
            return [controls[f"Label1({i})"]["text"] for i in range(15)]

        self.wait_for(lambda: lines()[9].startswith("打印机驱动安装完成:"), "the countdown", timeout=120)
        # A dump reads the lines one by one and may straddle the tick that found the printer: read them again.
        done = lines()
        self.assertEqual(done[2], "检测到USB打印机型号:Vollenby LP-702")
        self.assertEqual(done[4], "检测到打印机虚拟端口:USB002")
        self.assertEqual(done[6:9], ["加载驱动文件..", "安装发票专用驱动..", "安装标准驱动.."])
        box = self.gui.message_box(press_ok=False, timeout_ms=50000)
        self.assertEqual(box, {"title": "Omblet", "text": "驱动安装成功!!"})
        session.screenshot("x86-omblet")
        self.assertEqual(self.system_lines()[1:], [
            "cmd /c net start spooler",
            printui("发票专用驱动S", "USB002", OMBLET_FOLDER),
            printui("Vollenby LP-702", "USB002", OMBLET_FOLDER),
        ])
        self.assert_nothing_planted_ran()
        self.gui.message_box(press_ok=True)
        self.gui.gone(OMBLET, timeout_ms=30000)
        self.assertEqual(process.wait(60), 0)


if __name__ == "__main__":
    unittest.main()
