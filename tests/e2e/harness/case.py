"""Base class of the end-to-end tests: one Wine session per test class."""
import unittest

from .gui import GuiDriver
from .session import WineSession


HANDLE_SLACK = 8                # handles Wine's own layers may still be settling
MEMORY_SLACK = 4 * 1024 * 1024  # bytes


class WineTestCase(unittest.TestCase):
    session = None
    gui = None
    lang = "zh_CN.UTF-8"  # the locale of the class's prefix, and so its ANSI code page
    screen = "1280x1024"

    def assert_back_to(self, baseline, title):
        """The process owning window `title` holds no more handles or memory than at `baseline`."""
        stats = self.gui.stats(title)
        self.assertLessEqual(stats["handles"], baseline["handles"] + HANDLE_SLACK, (baseline, stats))
        self.assertLessEqual(stats["private_bytes"], baseline["private_bytes"] + MEMORY_SLACK, (baseline, stats))

    @classmethod
    def setUpClass(cls):
        cls.session = WineSession(cls.__name__, lang=cls.lang, screen=cls.screen)
        # Also when the rest of a class's setup fails, which skips tearDownClass: no display or prefix is left.
        cls.addClassCleanup(cls.session.close)
        cls.gui = GuiDriver(cls.session)

    @classmethod
    def tearDownClass(cls):
        if cls.session:
            cls.session.close()
