"""Every caption the user guide quotes for the programs' windows is on the screen: the guide's names, read from its
markdown, each found in the GUI driver's dump of the windows (titles, control texts and list items)."""
import re
import time
import unittest
from pathlib import Path

from harness import fixtures, paths, quorvel
from harness.case import WineTestCase
from harness.printer import SimulatedPrinter

GUIDE = Path(__file__).resolve().parents[2] / "docs" / "user-guide"
CONSOLE = "Lumisk-条码打印机指令测试"
SETTINGS_WAIT = "参数设置中，请稍候"
OMBLET = "OmbletV300.19(20180607)"
INSTANCE = "USB\\VID_1A86&PID_2000\\GUIDE001"
# The sections that walk through the windows; the others quote Windows' own dialogs or messages.
WINDOW_SECTIONS = {"en": ("## Starting", "## Troubleshooting"), "zh": ("## 启动", "## 常见问题")}


def quoted_names(language):
    """The captions the guide quotes in its walk through the windows. In the English guide a caption is the quoted
    Chinese text followed by its meaning in brackets; the Chinese guide quotes only captions there."""
    text = (GUIDE / f"guide.{language}.md").read_text(encoding="utf-8")
    start, end = WINDOW_SECTIONS[language]
    text = text[text.index(start):text.index(end)]
    text = re.sub(r"`[^`]*`", "", text)  # file names and typed text
    pattern = r'"([^"\n]+)" \[' if language == "en" else r'"([^"\n]+)"'
    return set(re.findall(pattern, text))


class GuideNames(WineTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.shown = set()
        SimulatedPrinter(cls.session, INSTANCE, pid="2000")
        fixtures.register_usb_printer(cls.session, INSTANCE, enum_index=0, port_number=1)
        quorvel.start(cls.session, cls.gui)
        cls.take(quorvel.LAUNCHER)
        quorvel.enter(cls.gui, "English")
        quorvel.wait_for_first_read(cls.gui)
        cls.take(quorvel.MAIN)
        cls.gui.click(quorvel.MAIN, "Command4")
        cls.gui.wait(SETTINGS_WAIT)
        cls.take(SETTINGS_WAIT)
        cls.gui.click(quorvel.MAIN, "Command6")
        cls.gui.wait(CONSOLE)
        cls.gui.click(CONSOLE, "CommandC")  # the command list's items
        cls.wait_until(CONSOLE, lambda c: c["List2"].get("items"))
        cls.take(CONSOLE)
        cls.gui.close(CONSOLE)
        cls.gui.gone(SETTINGS_WAIT, timeout_ms=40000)
        cls.gui.close(quorvel.MAIN)
        cls.gui.gone(quorvel.MAIN, timeout_ms=30000)
        quorvel.start(cls.session, cls.gui)
        quorvel.enter(cls.gui, "English", quorvel.HANDHELD)
        cls.take(quorvel.HANDHELD)
        # Omblet waiting for a printer it cannot find (its device query fails without a fixture file).
        omblet = cls.session.install_program(paths.omblet_fixture_wmi_exe(), "C:\\Program Files\\Omblet")
        cls.session.replace_system_program("cmd.exe", paths.tool_exe("record_stub.exe"))
        cls.session.start(omblet)
        cls.gui.wait(OMBLET, timeout_ms=30000)
        cls.wait_until(OMBLET, lambda c: c["Label1(2)"]["text"])
        cls.take(OMBLET)

    @classmethod
    def wait_until(cls, title, condition, timeout=20):
        deadline = time.monotonic() + timeout
        while not condition(cls.gui.dump(title)["by_name"]):
            if time.monotonic() > deadline:
                raise AssertionError(f"{title} did not get ready")
            time.sleep(0.2)

    @classmethod
    def take(cls, title):
        window = cls.gui.dump(title)
        cls.shown.add(window["title"])
        for control in window["controls"]:
            cls.shown.add(control["text"])
            cls.shown.update(control.get("items", []))

    def test_every_caption_the_guide_quotes_is_in_the_windows(self):
        for language in ("en", "zh"):
            names = quoted_names(language)
            with self.subTest(language=language):
                self.assertGreater(len(names), 30, names)  # the walk through the windows was read
                self.assertEqual(sorted(names - self.shown), [])


if __name__ == "__main__":
    unittest.main()
