"""The simulated printer under Wine, reached through a device path as the programs reach a real one."""
import json
import unittest

from harness import paths
from harness.case import WineTestCase
from harness.printer import SimulatedPrinter

RETURN_VALUE = b"RETURN VALUE\r\n"


class PrinterLink(WineTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.printer = SimulatedPrinter(cls.session, "USB\\VID_1A86&PID_1000\\LINK0001", pid="7584", version="15")
        cls.second = SimulatedPrinter(cls.session, "USB\\VID_1A86&PID_2000\\LINK0002", pid="2000")
        cls.silent = SimulatedPrinter(cls.session, "USB\\VID_1A86&PID_3000\\SILENT01", mode="silent")

    def probe(self, printer, *extra):
        code, out, err = self.session.run(paths.tool_exe("raw_probe.exe"), printer.device_path, *extra)
        self.assertEqual(code, 0, err)
        return json.loads(out)

    def test_answers_return_value_with_the_frame_of_its_state(self):
        before = len(self.printer.received())
        result = self.probe(self.printer)
        self.assertTrue(result["opened"])
        self.assertEqual(result["state"], "complete")
        frame = bytes.fromhex(result["bytes"])
        self.assertEqual(len(frame), 64)
        self.assertEqual(frame[0], 0x40)
        self.assertEqual(frame[63], 0x40)
        self.assertEqual(frame[1:3], b"15")
        self.assertEqual(frame[9:13], b"7584")
        self.assertEqual(self.printer.received()[before:], RETURN_VALUE)

    def test_several_printers_answer_each_for_itself(self):
        frame = bytes.fromhex(self.probe(self.second)["bytes"])
        self.assertEqual(frame[9:13], b"2000")

    def test_silent_printer_leaves_the_reply_wanting(self):
        result = self.probe(self.silent, "--timeout", "700")
        self.assertEqual(result["state"], "timeout")
        self.assertEqual(result["bytes"], "")
        self.assertTrue(self.silent.received().endswith(RETURN_VALUE))

    def test_win32_platform_layer(self):
        """The Win32 implementations, tested on Wine's registry, spooler, controls and the simulated printers."""
        spooled = self.session.root / "spooled.bin"
        self.session.reg_add(r"HKCU\Software\Wine\Printing\Spooler", "USB001", "REG_SZ", str(spooled))
        env = self.session.env
        env["PRINTER_DEVICE_PATH"] = self.printer.device_path
        env["SILENT_DEVICE_PATH"] = self.silent.device_path
        env["SPOOLER_OUT_UNIX"] = str(spooled)
        code, out, err = self.session.run(paths.tool_exe("platform_win32_test.exe"), timeout=300)
        (self.session.artifacts / "platform_win32_test.log").write_text(out + err)
        self.assertEqual(code, 0, out[-3000:])
        self.assertNotIn("SKIPPED", out)


if __name__ == "__main__":
    unittest.main()
