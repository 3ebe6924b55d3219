"""Files placed beside the programs under the names of system programs and DLLs never run.

A technician unpacks the release into a download folder and runs Omblet, which asks for administrator rights.
A rundll32.exe, cmd.exe or winspool.drv in that folder would run with those rights if the programs took them from
their own folder. Here recording stand-ins lie beside both programs, with WINEDLLOVERRIDES set so that Wine, like
Windows, would take winspool.drv from the program's folder; the real programs must use the system folder's
stand-ins, which record the exact command lines.
"""
import time
import unittest

from harness import fixtures, paths, quorvel
from harness.case import WineTestCase

FOLDER = "C:\\Quorvel"
TOOL_PRINTER = "USB\\VID_1A86&PID_2000\\PLANT001"
INSTALLER_PRINTER = "USB\\VID_1A86&PID_600E\\PLANT002"
OMBLET = "OmbletV300.19(20180607)"
CONSOLE = "Lumisk-条码打印机指令测试"


def printui(name, port, inf=FOLDER + "\\QRX\\QRX.inf"):
    return f'rundll32 printui.dll,PrintUIEntry /if /b "{name}" /f "{inf}" /r {port} /m "{name}"'


class PlantedFiles(WineTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        session = cls.session
        session.env["WINEDLLOVERRIDES"] += ";winspool.drv=n,b"
        session.replace_system_program("rundll32.exe", paths.tool_exe("install_stub.exe"))
        session.replace_system_program("cmd.exe", paths.tool_exe("record_stub.exe"))
        session.env["INSTALL_STUB_ADDS_PRINTERS"] = "1"
        cls.system_log = session.system_folder() / "record_stub.log"

        quorvel.install(session, FOLDER)
        cls.folder = session.drive_c(FOLDER)
        (cls.folder / "Omblet.exe").write_bytes(paths.omblet_fixture_wmi_exe().read_bytes())
        (cls.folder / "wmi_fixture.txt").write_text(
            "\\\\PC01\\root\\cimv2:Win32_PnPEntity.DeviceID=\"" + INSTALLER_PRINTER.replace("\\", "\\\\") + "\"\r\n",
            encoding="utf-8")
        # The planted files: run, they would record into the program's folder.
        for name in ("rundll32.exe", "cmd.exe"):
            (cls.folder / name).write_bytes(paths.tool_exe("record_stub.exe").read_bytes())
        (cls.folder / "winspool.drv").write_bytes(paths.tool_exe("planted_winspool.dll").read_bytes())
        cls.planted_logs = [cls.folder / "record_stub.log", cls.folder / "planted_winspool.log"]

        fixtures.register_usb_printer(session, TOOL_PRINTER, enum_index=0, port_number=1)
        fixtures.register_usb_printer(session, INSTALLER_PRINTER, enum_index=1, port_number=2)
        fixtures.add_windows_printer(session, "KESTRAMO K-108", "USB001")

    def system_lines(self, count, timeout=30):
        """The stand-ins' lines once there are `count` of them, or as soon as a planted file has run."""
        deadline = time.monotonic() + timeout
        while True:
            lines = self.system_log.read_text(encoding="utf-8").splitlines() if self.system_log.exists() else []
            if len(lines) >= count or time.monotonic() > deadline or any(p.exists() for p in self.planted_logs):
                return lines
            time.sleep(0.2)

    def assert_nothing_planted_ran(self):
        ran = {log.name: log.read_text(errors="replace") for log in self.planted_logs if log.exists()}
        self.assertEqual(ran, {}, "planted files ran")

    def test_both_programs_run_only_the_system_folders_programs_and_dlls(self):
        quorvel.open_main_window(self.session, self.gui)
        self.gui.click(quorvel.MAIN, "Command5")  # 安装406DPI驱动: printui through rundll32
        lines = self.system_lines(1)
        self.assert_nothing_planted_ran()
        self.assertEqual(len(lines), 1, lines)
        self.assertIn("\\system32\\rundll32.exe", lines[0].lower())
        # The window shows the port of the last printer its search found: the second one, "Port Number" 2.
        self.assertEqual(self.gui.dump(quorvel.MAIN)["by_name"]["Label4"]["text"], "USB002")
        self.assertTrue(lines[0].endswith(printui("RIRIRU", "USB002")[len("rundll32"):]), lines[0])

        self.gui.click(quorvel.MAIN, "Command6")  # the console lists the spooler's printers
        self.gui.wait(CONSOLE)
        self.assertIn("KESTRAMO K-108", self.gui.dump(CONSOLE)["by_name"]["ComboPrinter"]["items"])

        self.assert_nothing_planted_ran()
        self.gui.click(quorvel.MAIN, "Command7")  # Omblet, from the same folder
        self.gui.wait(OMBLET, timeout_ms=30000)
        box = self.gui.message_box(press_ok=False, timeout_ms=40000)
        omblet_lines = [self.gui.dump(OMBLET)["by_name"][f"Label1({i})"]["text"] for i in range(15)]
        self.assertEqual(box["text"], "驱动安装成功!!", omblet_lines)
        self.assertEqual(omblet_lines[4], "检测到打印机虚拟端口:USB002")  # "Port Number" 2
        self.gui.message_box(press_ok=True)
        self.gui.gone(OMBLET)

        self.assertEqual(self.system_lines(4)[1:], [
            "cmd /c net start spooler",
            printui("发票专用驱动S", "USB002"),
            printui("Vollenby LP-702", "USB002"),
        ])
        self.assert_nothing_planted_ran()
        self.session.screenshot("planting-console")


if __name__ == "__main__":
    unittest.main()
