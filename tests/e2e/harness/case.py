"""Base class of the end-to-end tests: one Wine session per test class."""
import unittest

from .gui import GuiDriver
from .session import WineSession


class WineTestCase(unittest.TestCase):
    session = None
    gui = None

    @classmethod
    def setUpClass(cls):
        cls.session = WineSession(cls.__name__)
        cls.gui = GuiDriver(cls.session)

    @classmethod
    def tearDownClass(cls):
        if cls.session:
            cls.session.close()
