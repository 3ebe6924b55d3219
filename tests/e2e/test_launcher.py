"""The launcher comes first: it sets the language, dresses the windows and opens the main or the handheld window."""
import time
import unittest

from harness import fixtures, quorvel
from harness.case import WineTestCase
from harness.printer import SimulatedPrinter

INSTANCE = "USB\\VID_1A86&PID_2000\\LAUNCH01"
SKINS = ["blue.she", "china.she", "skinh.she", "notes.txt"]
SKIN_FOLDER = "C:\\Quorvel\\skin\\"


def start_sequence(attach_calls):
    """What a window with fewer than 39 skin files hands the engine at its start."""
    return (["Attach"] * attach_calls
            + [f"AttachEx({SKIN_FOLDER}skinh.she,)", f"AttachEx({SKIN_FOLDER},)",
               f"AttachEx({SKIN_FOLDER}china.she,)", "SetAero(0)"])


class ChineseToMainWindow(WineTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.printer = SimulatedPrinter(cls.session, INSTANCE, pid="2000", external_power="1")
        fixtures.register_usb_printer(cls.session, INSTANCE, enum_index=0, port_number=1)
        cls.process = quorvel.start(cls.session, cls.gui, skin_files=SKINS, recording_skin_engine=True)

    def main_controls(self):
        return self.gui.dump(quorvel.MAIN)["by_name"]

    def test_1_launcher_offers_language_families_and_skins(self):
        launcher = self.gui.dump(quorvel.LAUNCHER)
        c = launcher["by_name"]
        self.assertEqual(c["Frame1"]["text"], "语言（Language）")
        self.assertEqual(c["Option2"]["text"], "English")
        self.assertEqual(c["Option1"]["text"], "中文")
        self.assertEqual(c["Command1"]["text"], "进入面单打印机（Computer printer）")
        self.assertEqual(c["Command2"]["text"], "进入手持设备（Pocket printer）")
        self.assertEqual(sorted(c["List1"]["items"]), sorted(SKINS))
        self.assertEqual(c["List1"]["items"][c["List1"]["selected"]], "china.she")
        self.assertEqual(quorvel.skin_calls(self.session), start_sequence(2))
        self.session.screenshot("launcher")

    def test_2_main_window_has_chinese_captions_and_its_own_skin_start(self):
        quorvel.enter(self.gui, "中文")
        c = self.main_controls()
        self.assertEqual(c["Frame7"]["text"], "自动识别打印机型号（已经连接）")
        self.assertEqual(c["Frame1"]["text"], "打印起始位置 撕纸位置")
        self.assertEqual(c["Command7"]["text"], "安装驱动")
        self.assertEqual(c["Combo1"]["items"][0], "默认位置")
        self.assertEqual(len(c["Combo2"]["items"]), 21)
        self.assertEqual(c["LabelLength"]["text"], "0.000m")
        self.assertFalse(c["Combo7"]["enabled"])
        self.assertEqual(c["List1"]["items"][c["List1"]["selected"]], "china.she")
        self.assertEqual(quorvel.skin_calls(self.session), start_sequence(2) + start_sequence(1))
        self.session.screenshot("main-window-after-load")

    def test_3_read_reports_in_chinese_and_external_power_greys_the_protection_choice(self):
        quorvel.wait_for_first_read(self.gui)  # the read the load asks for, so that it does not come after this one
        self.gui.click(quorvel.MAIN, "Command8")
        deadline = time.monotonic() + 10
        while not (c := self.main_controls())["RichTextBox1"]["text"].startswith("数据读取OK"):
            self.assertLess(time.monotonic(), deadline, c["RichTextBox1"]["text"])
            time.sleep(0.3)
        c = self.main_controls()  # a dump may straddle the handler that sets the controls: read again
        self.assertIn("打印机芯：外置电源", c["RichTextBox1"]["text"])
        self.assertEqual(c["Combo6"]["selected"], 0)
        self.assertFalse(c["Combo7"]["enabled"])
        self.session.screenshot("main-window-after-read-chinese")

    def test_4_skin_buttons_and_list_double_click(self):
        before = len(quorvel.skin_calls(self.session))
        self.gui.click(quorvel.MAIN, "Command2")
        self.gui.click(quorvel.MAIN, "Command3")
        blue = self.main_controls()["List1"]["items"].index("blue.she")
        self.gui.double_click(quorvel.MAIN, "List1", blue)
        deadline = time.monotonic() + 5
        while len(calls := quorvel.skin_calls(self.session)) < before + 3 and time.monotonic() < deadline:
            time.sleep(0.2)
        self.assertEqual(calls[before:], ["SetAero(1)", "SetAero(0)", f"AttachEx({SKIN_FOLDER}blue.she,)"])


class PocketPrinter(WineTestCase):
    def test_pocket_printer_button_opens_the_handheld_window(self):
        process = quorvel.start(self.session, self.gui)
        quorvel.enter(self.gui, "English", quorvel.HANDHELD)
        c = self.gui.dump(quorvel.HANDHELD)["by_name"]
        self.assertEqual(c["FrameDebug"]["text"], "调试信息")
        self.assertEqual(c["FramePairCode"]["text"], "配对密码")
        self.assertEqual(c["FrameBlueToothName"]["text"], "蓝牙名称")
        self.assertEqual(c["FrameBandrate"]["text"], "波特率")
        self.assertEqual(c["CommandFactoryReset"]["text"], "回复出厂设置")
        for name in ("RichTextBox1", "TextPairCode", "TextblueToothname", "ComboBandrate"):
            self.assertIn(name, c)
        self.gui.click(quorvel.HANDHELD, "CommandFactoryReset")  # does nothing, and nothing breaks
        self.session.screenshot("handheld")
        self.gui.close(quorvel.HANDHELD)
        self.assertEqual(process.wait(20), 0)


if __name__ == "__main__":
    unittest.main()
