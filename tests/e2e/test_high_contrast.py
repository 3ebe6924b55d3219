"""The windows under a high-contrast colour scheme (white on black): they draw in the system's colours, with none of
their own (the console's purple send text, the installer's navy page). Screenshots of each window are kept with the
others."""
import subprocess
import time
import unittest

from harness import paths, quorvel
from harness.case import WineTestCase

CONSOLE = "Lumisk-条码打印机指令测试"
OMBLET = "OmbletV300.19(20180607)"
OMBLET_FOLDER = "C:\\Program Files\\Omblet"
PURPLE, NAVY, BLACK = (128, 0, 128), (0, 0, 128), (0, 0, 0)

# A "high contrast black" scheme, by COLOR_* index.
SCHEME = {
    1: (0, 0, 0),            # COLOR_BACKGROUND
    2: (0, 0, 255),          # COLOR_ACTIVECAPTION
    3: (0, 255, 0),          # COLOR_INACTIVECAPTION
    4: (0, 0, 0),            # COLOR_MENU
    5: (0, 0, 0),            # COLOR_WINDOW
    6: (255, 255, 255),      # COLOR_WINDOWFRAME
    7: (255, 255, 255),      # COLOR_MENUTEXT
    8: (255, 255, 255),      # COLOR_WINDOWTEXT
    9: (255, 255, 255),      # COLOR_CAPTIONTEXT
    12: (0, 0, 0),           # COLOR_APPWORKSPACE
    13: (26, 235, 255),      # COLOR_HIGHLIGHT
    14: (0, 0, 0),           # COLOR_HIGHLIGHTTEXT
    15: (0, 0, 0),           # COLOR_BTNFACE
    16: (128, 128, 128),     # COLOR_BTNSHADOW
    17: (63, 242, 63),       # COLOR_GRAYTEXT
    18: (255, 255, 255),     # COLOR_BTNTEXT
    19: (0, 0, 0),           # COLOR_INACTIVECAPTIONTEXT
    20: (255, 255, 255),     # COLOR_BTNHIGHLIGHT
    21: (255, 255, 255),     # COLOR_3DDKSHADOW
    22: (192, 192, 192),     # COLOR_3DLIGHT
}


def pixels(png, rect):
    """The colours of the pixels of `rect` (left, top, right, bottom) in a screenshot, as (r, g, b) tuples."""
    left, top, right, bottom = rect
    text = subprocess.run(["convert", str(png), "-crop", f"{right - left}x{bottom - top}+{left}+{top}",
                           "-depth", "8", "txt:-"], capture_output=True, text=True, check=True).stdout
    found = []
    for line in text.splitlines()[1:]:
        colour = line.split("(", 1)[1].split(")", 1)[0].split(",")[:3]
        found.append(tuple(int(float(c)) for c in colour))
    return found


class UnderHighContrast(WineTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.session.reg_add(r"HKCU\Control Panel\Accessibility\HighContrast", "Flags", "REG_SZ", "127")
        # Wine's own visual style would otherwise paint over the scheme's colours.
        cls.session.reg_add(r"HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager", "ThemeActive",
                            "REG_SZ", "0")
        # Switched as the system switches schemes, for the running session: no restart of the prefix's server,
        # whose desktop has already stored its own colours for the session.
        cls.gui.set_system_colours(SCHEME)

    def test_1_configuration_tool_windows(self):
        quorvel.start(self.session, self.gui)
        self.session.screenshot("launcher-high-contrast")
        quorvel.enter(self.gui, "中文")
        self.session.screenshot("main-high-contrast")
        self.gui.click(quorvel.MAIN, "Command6")
        self.gui.wait(CONSOLE)
        self.gui.type(CONSOLE, "Text1", "WWWWWWWWWWWWWWWWWWWW")
        left, top, right, bottom = self.gui.dump(CONSOLE)["by_name"]["Text1"]["rect"]
        area = (left + 2, top + 2, min(right - 20, left + 300), top + 30)
        deadline = time.monotonic() + 10
        while True:  # until the typed text is painted: the check reads the screen
            shot = self.session.screenshot("console-high-contrast")
            first_line = pixels(shot, area)
            if (255, 255, 255) in first_line or PURPLE in first_line or time.monotonic() > deadline:
                break
            time.sleep(0.3)
        self.assertNotIn(PURPLE, first_line, "the send box text is purple under high contrast")
        self.assertIn((255, 255, 255), first_line,
                      "waited 10 s for the send box to show its text in the system's text colour")

    def test_2_installer_window(self):
        program = self.session.install_program(paths.omblet_fixture_wmi_exe(), OMBLET_FOLDER)
        self.session.start(program)
        self.gui.wait(OMBLET, timeout_ms=30000)
        left, top, right, bottom = self.gui.dump(OMBLET)["rect"]
        shot = self.session.screenshot("omblet-high-contrast")
        # A strip along the right edge of the page, beside the ends of the status lines.
        page = pixels(shot, (right - 14, (top + bottom) // 2, right - 8, (top + bottom) // 2 + 40))
        self.assertNotIn(NAVY, page, "the installer's page is navy under high contrast")
        self.assertIn(BLACK, page, "the installer's page is not in the system's window colour")
        self.gui.close(OMBLET)
        self.gui.gone(OMBLET)


if __name__ == "__main__":
    unittest.main()
