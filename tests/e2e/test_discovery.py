"""Quorvel finds the printers the usbprint service recorded, names the model and lists the brand printers."""
import unittest

from harness import fixtures, quorvel
from harness.case import WineTestCase
from harness.printer import device_path

CAPTION = "热敏打印机参数设置工具V1.0--2017-12-12"
UNKNOWN = "USB\\VID_1A86&PID_9999\\DISC0000"  # a product the identity table lacks
KNOWN = "USB\\VID_1A86&PID_2000\\DISC0002"    # KESTRAMO K-108


class Discovery(WineTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        fixtures.register_usb_printer(cls.session, UNKNOWN, enum_index=0, port_number=5)
        fixtures.register_usb_printer(cls.session, KNOWN, enum_index=2, port_number=100)
        fixtures.add_windows_printer(cls.session, "KESTRAMO K-108", "USB001")
        fixtures.add_windows_printer(cls.session, "Vollenby LP-420B", "USB001")
        fixtures.add_windows_printer(cls.session, "Office kestramo", "LPT1:")
        cls.process = quorvel.open_main_window(cls.session, cls.gui)

    def test_lists_printers_model_port_and_brand_printers(self):
        controls = self.gui.dump(CAPTION)["by_name"]
        self.assertEqual(controls["List4"]["items"], [device_path(UNKNOWN), device_path(KNOWN)])
        self.assertEqual(controls["List3"]["items"], ["KESTRAMO K-108"])
        self.assertEqual(controls["Label4"]["text"], "USB100")
        self.assertEqual(sorted(controls["ComboPrinter"]["items"]), ["KESTRAMO K-108", "Vollenby LP-420B"])
        self.assertEqual(controls["ComboPrinter"]["selected"], 0)
        self.assertEqual(len(controls["List2"]["items"]), 76)
        self.assertEqual(controls["List2"]["items"][controls["List2"]["selected"]], "KESTRAMO K-208")
        self.assertTrue(controls["Check4"]["checked"])
        self.session.screenshot("discovery")

    def test_click_on_the_detected_model_makes_its_printer_current(self):
        self.gui.select(CAPTION, "List3", 0)
        controls = self.gui.dump(CAPTION)["by_name"]
        self.assertEqual(controls["Label1"]["text"], "KESTRAMO K-108")
        self.assertEqual(controls["List4"]["selected"], 1)
        self.assertEqual(controls["Label4"]["text"], "USB100")


if __name__ == "__main__":
    unittest.main()
