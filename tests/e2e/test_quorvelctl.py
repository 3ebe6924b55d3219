"""quorvelctl.exe under Wine: printers found in the registry as the configuration tool finds them, reached through
their device paths, here the simulated printers."""
import json
import time
import unittest

from harness import fixtures, paths
from harness.case import WineTestCase
from harness.printer import SimulatedPrinter, device_path

FIRST = "USB\\VID_1A86&PID_1000\\CTL0001"   # Vollenby LP-420B
SECOND = "USB\\VID_1A86&PID_2000\\CTL0002"  # KESTRAMO K-108
QUERY = b"RETURN VALUE\r\n"


class QuorvelctlUnderWine(WineTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.program = cls.session.install_program(paths.quorvelctl_exe(), "C:\\Tools", with_data=False)
        fixtures.register_usb_printer(cls.session, FIRST, enum_index=0, port_number=1)
        fixtures.register_usb_printer(cls.session, SECOND, enum_index=2, port_number=12)
        cls.first = SimulatedPrinter(cls.session, FIRST, pid="1000")
        cls.second = SimulatedPrinter(cls.session, SECOND, pid="2000", ignore=["compat"])

    def ctl(self, *args, timeout=120):
        return self.session.run(self.program, *args, timeout=timeout)

    def test_list_shows_the_registry_printers_with_their_ports(self):
        code, out, err = self.ctl("list")
        self.assertEqual(code, 0, err)
        self.assertEqual(out.splitlines(), [
            f"1\t{device_path(FIRST)}\t1A86:1000\tVollenby LP-420B\tUSB001\tCTL0001",
            f"2\t{device_path(SECOND)}\t1A86:2000\tKESTRAMO K-108\tUSB012\tCTL0002"])
        code, out, err = self.ctl("list", "--json")
        listed = json.loads(out)
        self.assertEqual([p["port"] for p in listed], ["USB001", "USB012"])
        self.assertEqual([p["location"] for p in listed], ["USB001", "USB012"])
        self.assertEqual(listed[1]["serial"], "CTL0002")

    def test_a_printer_is_chosen_by_its_port_as_its_location(self):
        for choice in (["-p", "USB012"], ["--location", "usb012"], ["--serial", "CTL0002"]):
            code, out, err = self.ctl("read", *choice, "--json")
            self.assertEqual(code, 0, err)
            self.assertEqual(json.loads(out)["device"], device_path(SECOND), choice)
        code, _, err = self.ctl("read", "--location", "USB099")
        self.assertEqual(code, 2, err)

    def test_read_in_both_languages_and_as_json(self):
        code, out, err = self.ctl("read", "-p", "1")
        self.assertEqual(code, 0, err)
        lines = out.splitlines()
        self.assertEqual(lines[0], "Read correct!")
        self.assertEqual(lines[3], "USBPID:1000(Vollenby LP-420B)")
        self.assertEqual(lines[-1], "Out sensor：Open")
        self.assertEqual(len(lines), 23)
        code, out, err = self.ctl("read", "-p", "CTL0002", "--lang", "zh")
        self.assertEqual(code, 0, err)
        self.assertEqual(out.splitlines()[:4], ["数据读取OK", "软件版本：V1.5", "程序发布日期：2018-06-07",
                                                "USBPID:2000(KESTRAMO K-108)"])
        code, out, err = self.ctl("read", "-p", device_path(SECOND), "--json")
        report = json.loads(out)
        self.assertEqual((report["model"], report["sensor"], report["offset_mm"]), ("KESTRAMO K-108", "gap", 0))
        self.assertEqual(report["device"], device_path(SECOND))

    def test_several_printers_need_a_choice(self):
        code, _, err = self.ctl("read")
        self.assertEqual(code, 1)
        self.assertIn("2 printers are attached", err)
        self.assertEqual(self.ctl("read", "-p", "5")[0], 2)

    def test_set_reads_back_and_a_setting_not_taken_is_exit_four(self):
        before = len(self.first.received())
        code, out, err = self.ctl("set", "-p", "1", "--sensor", "continuous", "--offset", "20", "--speed-limit", "off",
                                  "--settle", "0")
        self.assertEqual(code, 0, err)
        self.assertEqual(out, f"{device_path(FIRST)}: settings written and read back\n")
        self.assertEqual(self.first.received()[before:],
                         QUERY + b"SENSORTYPE 2\r\nSUPPORT 0\r\nUSBHANDO\r\nLIMITED 01112000\r\n" + QUERY)
        self.assertEqual(self.first.state()["offset_index"], "20")
        code, _, err = self.ctl("set", "-p", "2", "--driver-compatibility", "on", "--settle", "0")
        self.assertEqual(code, 4, err)
        self.assertIn("driver_compatibility: wrote on, reads off", err)

    def test_apply_to_every_printer_at_once(self):
        profile = self.session.root / "profile.json"
        code, _, err = self.ctl("save", self.session.windows_path(profile), "-p", "1")
        self.assertEqual(code, 0, err)
        saved = json.loads(profile.read_text())
        saved["settings"]["speed_limit"] = True
        saved["settings"].pop("driver_compatibility")
        profile.write_text(json.dumps(saved))
        code, _, err = self.ctl("apply", self.session.windows_path(profile), "--all")
        self.assertEqual(code, 5)
        self.assertIn("settings.driver_compatibility is missing", err)
        saved["settings"]["driver_compatibility"] = False
        profile.write_text(json.dumps(saved))
        # Saved from the first printer's model, it goes to the second, another model, only with --force.
        code, out, err = self.ctl("apply", self.session.windows_path(profile), "--all", "--settle", "1", "--force")
        self.assertEqual(code, 0, err)
        self.assertEqual(out.splitlines(), [f"{device_path(FIRST)}: settings written and read back",
                                            f"{device_path(SECOND)}: settings written and read back"])
        self.assertEqual(self.first.state()["speed_limit"], "1")
        self.assertEqual(self.second.state()["speed_limit"], "1")

    def test_a_silent_printer_and_a_missing_one(self):
        silent = SimulatedPrinter(self.session, "USB\\VID_1A86&PID_1000\\SILENT", mode="silent")
        code, _, err = self.ctl("read", "--device", silent.device_path, "--timeout", "0.5")
        self.assertEqual(code, 3)
        self.assertIn("did not answer within 0.5 s", err)
        code, _, err = self.ctl("read", "--device", device_path("USB\\VID_1A86&PID_1000\\NOTHERE"))
        self.assertEqual(code, 2)
        self.assertIn("no such device", err)

    def test_selftest_and_send_through_the_device_file(self):
        before = len(self.second.received())
        self.assertEqual(self.ctl("selftest", "-p", "2")[0], 0)
        # A whole line: the simulator reads lines, and a later command must not run into this one.
        self.assertEqual(self.ctl("send", "-p", "2", "--hex", "1B 40 0D 0A")[0], 0)
        deadline = time.monotonic() + 5
        while len(self.second.received()) < before + 15 and time.monotonic() < deadline:
            time.sleep(0.05)
        self.assertEqual(self.second.received()[before:], b"PTESTPAGE\r\n\x1b@\r\n")


if __name__ == "__main__":
    unittest.main()
