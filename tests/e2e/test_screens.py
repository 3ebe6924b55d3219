"""Every window fits the screen at the text sizes people set: 96, 120, 144 and 192 DPI on a 1366 x 768 and a
1920 x 1080 screen. Where the layout at that DPI would not fit, it is drawn smaller until it does.

Wine takes the DPI from HKCU\\Control Panel\\Desktop\\LogPixels when a program starts. Screenshots of each window
at each setting are kept as artefacts.
"""
import unittest

from harness import paths, quorvel
from harness.case import WineTestCase

CONSOLE = "Lumisk-条码打印机指令测试"
OMBLET = "OmbletV300.19(20180607)"
OMBLET_FOLDER = "C:\\Program Files\\Omblet"


class ScreenCase(WineTestCase):
    def within(self, rect, work, what):
        left, top, right, bottom = rect
        self.assertGreaterEqual(left, work[0], what)
        self.assertGreaterEqual(top, work[1], f"{what}: title bar above the screen")
        self.assertLessEqual(right, work[2], what)
        self.assertLessEqual(bottom, work[3], f"{what}: bottom below the work area")

    def windows_at(self, dpi):
        """Opens each window at `dpi`, checks it against the work area, and returns the main window's width."""
        self.session.reg_add(r"HKCU\Control Panel\Desktop", "LogPixels", "REG_DWORD", dpi)
        work = self.gui.work_area()
        name = f"{self.screen}-{dpi}dpi"

        quorvel.start(self.session, self.gui)
        self.within(self.gui.dump(quorvel.LAUNCHER)["rect"], work, f"launcher at {dpi} DPI")
        quorvel.enter(self.gui, "中文")
        main = self.gui.dump(quorvel.MAIN)["rect"]
        self.within(main, work, f"main window at {dpi} DPI")
        self.session.screenshot(f"main-{name}")
        self.gui.click(quorvel.MAIN, "Command6")
        self.gui.wait(CONSOLE)
        self.within(self.gui.dump(CONSOLE)["rect"], work, f"console at {dpi} DPI")
        self.session.screenshot(f"console-{name}")
        self.gui.close(CONSOLE)
        self.gui.gone(CONSOLE)
        self.gui.close(quorvel.MAIN)
        self.gui.gone(quorvel.MAIN, timeout_ms=30000)

        program = self.session.install_program(paths.omblet_fixture_wmi_exe(), OMBLET_FOLDER)
        self.session.start(program)
        self.gui.wait(OMBLET, timeout_ms=30000)
        self.within(self.gui.dump(OMBLET)["rect"], work, f"installer at {dpi} DPI")
        self.session.screenshot(f"omblet-{name}")
        self.gui.close(OMBLET)
        self.gui.gone(OMBLET)
        return main[2] - main[0]

    def test_every_window_fits_at_every_dpi(self):
        widths = {dpi: self.windows_at(dpi) for dpi in (96, 120, 144, 192)}
        # The setting took effect: larger text makes the window larger until the screen stops it.
        self.assertGreater(max(widths.values()), widths[96], widths)


class SmallLaptopScreen(ScreenCase):
    screen = "1366x768"


class FullHdScreen(ScreenCase):
    screen = "1920x1080"


del ScreenCase

if __name__ == "__main__":
    unittest.main()
