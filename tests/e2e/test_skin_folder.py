"""The skin engine opens ANSI paths only. Unpacked into a folder whose name the ANSI code page lacks (a Chinese user
name on a Western European Windows), the program still hands the engine skin files it can open."""
import unittest

from harness import quorvel
from harness.case import WineTestCase

FOLDER = "C:\\Users\\张三\\Downloads\\Quorvel"
SKINS = ["blue.she", "china.she", "skinh.she"]


class SkinsInAFolderTheCodePageCannotName(WineTestCase):
    lang = "en_US.UTF-8"  # code page 1252, which has no Chinese characters

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.process = quorvel.start(cls.session, cls.gui, FOLDER, skin_files=SKINS, recording_skin_engine=True)

    def test_the_launcher_s_skins_reach_the_engine_as_files_it_opens(self):
        calls = quorvel.skin_calls(self.session, FOLDER)
        self.assertIn("AttachEx(skinh.she,)", calls)  # the bare name, with the skin folder current
        self.assertIn("AttachEx(china.she,)", calls)
        opens = (self.session.drive_c(FOLDER) / "skin_opens.log").read_text(encoding="utf-8").splitlines()
        self.assertIn("opened skinh.she", opens)
        self.assertIn("opened china.she", opens)
        self.assertFalse([line for line in opens if "?" in line], opens)  # no name mangled by the code page


if __name__ == "__main__":
    unittest.main()
