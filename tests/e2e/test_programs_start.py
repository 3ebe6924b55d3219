"""Both programs start under Wine, show their window with its caption, and exit cleanly when closed."""
import unittest

from harness import paths, quorvel
from harness.case import WineTestCase

OMBLET_CAPTION = "OmbletV300.19(20180607)"


class ProgramsStart(WineTestCase):
    def start_and_close(self, exe, folder, caption, shot):
        program = self.session.install_program(exe, folder)
        process = self.session.start(program)
        self.gui.wait(caption)
        window = self.gui.dump(caption)
        self.assertEqual(window["title"], caption)
        self.assertTrue(window["visible"])
        self.assertTrue(window["enabled"])
        self.session.screenshot(shot)
        self.gui.close(caption)
        self.gui.gone(caption)
        self.assertEqual(process.wait(20), 0)

    def test_quorvel_starts_on_its_launcher(self):
        self.start_and_close(paths.quorvel_exe(), "C:\\Quorvel", quorvel.LAUNCHER, "quorvel-launcher")

    def test_omblet_shows_its_caption(self):
        self.start_and_close(paths.omblet_exe(), "C:\\Omblet", OMBLET_CAPTION, "omblet-window")


if __name__ == "__main__":
    unittest.main()
