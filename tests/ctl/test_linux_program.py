"""The Linux quorvelctl's commands end to end: the real program against printers on an emulated USB bus, whose
answers printer_sim computes (see usb_bench)."""
import json
import signal
import subprocess
import time
import unittest

from ctl_harness import QUORVELCTL, Bench, ctl, ctl_json
from usb_bench import UsbBus


class UsbPrinter:
    """A printer_sim behind a device node of the emulated bus."""

    def __init__(self, simulator, handler):
        self.simulator = simulator
        self.handler = handler
        self.device = handler.node
        self.received = simulator.received
        self.received_at_least = simulator.received_at_least
        self.state = simulator.state

ENGLISH_REPORT = """Read correct!
Sofeware Version：V1.5
Sofeware publish date：2018-06-07
USBPID:1000(Vollenby LP-420B)
USB hand:open
Sensor type：GAP
sofeware compatible：close
GAP AD value(Save):0150
Paper AD value:0200
GAP value current:0100
Print position:000
Cut Position:000
Print Length:20171106
speed limited：clsoe
Power voltage:24V
printer head temprature:036degree centigrade
head sensor AD value level(Save):0120
head sensor AD value current:0180
head sensor：have
printer type：outside power
Printer head protect circuit：have
const dengsity：close
Out sensor：Open
"""

CHINESE_REPORT = """数据读取OK
软件版本：V1.5
程序发布日期：2018-06-07
USBPID:1000(Vollenby LP-420B)
USB握手:打开
传感器类型：缝隙
驱动兼容性：关闭
缝隙AD阀值:0150
当前纸张AD值（对位后产生）:0200
当前缝隙AD值（对位后产生）:0100
打印起始位置:000
撕纸位置:000
打印长度:20171106
速度限制：关闭
电源电压(误差正负1V):24V
打印头当前温度值:036摄氏度
前传感器阀AD阀值:0120
前传感器有纸AD阀值（对位后产生）:0180
外部传感器：有
打印机芯：外置电源
打印机头保护：有
固定浓度：关闭
强制关闭前传感器功能：关闭
"""

QUERY = b"RETURN VALUE\r\n"


class LinuxProgram(unittest.TestCase):
    def setUp(self):
        self.bench = Bench()
        self.bus = UsbBus()
        self.addCleanup(self.bench.close)
        self.addCleanup(self.bus.close)

    def printer(self, name="p", mode=None, ignore=(), **state):
        simulator = self.bench.printer(name, mode=mode, ignore=ignore, **state)
        handler = self.bus.plug(len(self.bus.handlers) + 1, simulator, product=int(state.get("pid", "1000"), 16))
        return UsbPrinter(simulator, handler)

    def ctl(self, *args, **options):
        return ctl(*args, env=self.bus.env(), **options)

    def ctl_json(self, *args, **options):
        return ctl_json(*args, env=self.bus.env(), **options)

    # --- read ----------------------------------------------------------------------------------------------------
    def test_read_shows_the_report_in_both_languages(self):
        printer = self.printer()
        code, out, err = self.ctl("read", "--device", printer.device)
        self.assertEqual((code, err), (0, ""))
        self.assertEqual(out, ENGLISH_REPORT)
        code, out, _ = self.ctl("read", "--device", printer.device, "--lang", "zh")
        self.assertEqual((code, out), (0, CHINESE_REPORT))
        self.assertEqual(printer.received(), QUERY * 2)

    def test_read_as_json(self):
        printer = self.printer(sensor_type="1", offset_index="14", density="1", print_length="20171106")
        report = self.ctl_json("read", "--device", printer.device, "--json")
        self.assertEqual(report["device"], printer.device)
        self.assertEqual(report["model"], "Vollenby LP-420B")
        self.assertEqual(report["sensor"], "black_mark")
        self.assertEqual(report["offset_mm"], 8)
        self.assertIs(report["constant_density"], True)
        self.assertIs(report["usb_handshake"], True)
        self.assertEqual(report["temperature"], "036")
        self.assertEqual(bytes.fromhex(report["raw"])[9:13], b"1000")
        plain = self.printer("plain", print_length="00012345")
        report = self.ctl_json("read", "--device", plain.device, "--json")
        self.assertNotIn("front_sensor_fitted", report)
        self.assertNotIn("offset_mm", report)

    def test_a_silent_printer_is_exit_three_after_the_timeout(self):
        printer = self.printer(mode="silent")
        code, out, err = self.ctl("read", "--device", printer.device, "--timeout", "0.5")
        self.assertEqual(code, 3)
        self.assertIn(f"{printer.device}: the printer did not answer within 0.5 s", err)
        self.assertEqual(printer.received(), QUERY)

    def test_a_late_printer_is_waited_for(self):
        printer = self.printer(mode="late:700")
        self.assertEqual(self.ctl_json("read", "--device", printer.device, "--json")["product_id"], "1000")

    # --- set -----------------------------------------------------------------------------------------------------
    def test_set_writes_one_batch_and_reads_it_back(self):
        printer = self.printer(sensor_type="2", density="1")
        code, out, err = self.ctl("set", "--device", printer.device, "--sensor", "black_mark", "--speed-limit", "on",
                             "--offset", "-14", "--settle", "0.2")
        self.assertEqual(code, 0, err)
        self.assertEqual(out, f"{printer.device}: settings written and read back\n")
        self.assertEqual(printer.received(),
                         QUERY + b"SENSORTYPE 1\r\nSUPPORT 0\r\nUSBHANDO\r\nLIMITED 11110710\r\n" + QUERY)
        state = printer.state()
        self.assertEqual((state["sensor_type"], state["speed_limit"], state["offset_index"], state["density"]),
                         ("1", "1", "7", "1"))

    def test_a_read_back_that_differs_is_exit_four(self):
        printer = self.printer(ignore=["head_protection"])
        code, _, err = self.ctl("set", "--device", printer.device, "--head-protection", "off", "--settle", "0")
        self.assertEqual(code, 4)
        self.assertIn("read back different: head_protection: wrote off, reads on", err)

    def test_a_silent_printer_gets_no_settings(self):
        printer = self.printer(mode="silent")
        code, _, err = self.ctl("set", "--device", printer.device, "--speed-limit", "on", "--timeout", "0.3")
        self.assertEqual(code, 3)
        self.assertIn("nothing written", err)
        self.assertEqual(printer.received(), QUERY)

    def test_bad_values_are_refused_with_nothing_sent(self):
        printer = self.printer()
        for bad in (["--offset", "3"], ["--offset", "24"], ["--sensor", "hole"], ["--power", "ac"],
                    ["--usb-handshake", "1"], []):
            code, _, err = self.ctl("set", "--device", printer.device, *bad)
            self.assertEqual(code, 1, bad)
            self.assertTrue(err, bad)
        self.assertEqual(printer.received(), b"")

    def test_dry_run_prints_the_batch_and_writes_nothing_else(self):
        printer = self.printer()
        code, out, _ = self.ctl("set", "--device", printer.device, "--constant-density", "on", "--dry-run")
        self.assertEqual(code, 0)
        self.assertEqual(out.splitlines()[1:], ["  SENSORTYPE 0", "  SUPPORT 0", "  USBHANDO", "  LIMITED 01110010"])
        self.assertEqual(printer.received(), QUERY)

    # --- profiles ------------------------------------------------------------------------------------------------
    def test_save_and_apply_to_four_printers_at_once(self):
        source = self.printer("source", sensor_type="1", compat="1", offset_index="13", external_power="0",
                                    sensor_off="1")
        profile = self.bench.root / "shop.json"
        code, _, err = self.ctl("save", profile, "--device", source.device)
        self.assertEqual(code, 0, err)
        saved = json.loads(profile.read_text())
        self.assertEqual(saved["settings"], {
            "sensor": "black_mark", "driver_compatibility": True, "usb_handshake": True, "speed_limit": False,
            "front_sensor_fitted": True, "external_power": False, "head_protection": True, "offset_mm": 6,
            "constant_density": False, "front_sensor_off": True})
        self.assertEqual(saved["source"]["model"], "Vollenby LP-420B")

        targets = [self.printer(f"target{i}", pid="2000") for i in range(4)]
        # They answer only once all four are held at the same time: a run that handles them one after the other
        # never hears from the first.
        self.bus.together([target.handler for target in targets])
        args = ["apply", profile, "--all", "--settle", "1", "--force", "--timeout", "30"]
        for target in targets:
            args += ["--device", target.device]
        code, out, err = self.ctl(*args)
        self.assertEqual(code, 0, err)
        self.assertEqual(out.splitlines(), [f"{t.device}: settings written and read back" for t in targets])
        self.assertEqual(self.bus.events.most_held_at_once({t.device for t in targets}), 4)
        for target in targets:
            self.assertEqual(target.received(), QUERY + b"SENSORTYPE 1\r\nSUPPORT 1\r\nUSBHANDO\r\nLIMITED 01011301\r\n"
                             + QUERY)

    def test_apply_ends_with_a_line_for_each_printer_good_or_bad(self):
        profile = self.bench.root / "p.json"
        source = self.printer("source")
        self.ctl("save", profile, "--device", source.device)
        good = self.printer("good")
        stubborn = self.printer("stubborn", ignore=["sensor_type"])
        silent = self.printer("silent", mode="silent")
        profile.write_text(profile.read_text().replace('"gap"', '"continuous"'))
        # Long enough for the answering printers on a busy machine; the silent one takes all of it.
        code, out, err = self.ctl("apply", profile, "--all", "--settle", "0", "--timeout", "3",
                                  "--device", good.device, "--device", stubborn.device, "--device", silent.device)
        self.assertEqual(code, 4)  # the first printer that failed, in the order given
        self.assertEqual(out, f"{good.device}: settings written and read back\n")
        self.assertIn(f"{stubborn.device}: settings written, but read back different: sensor: wrote continuous, "
                      f"reads gap", err)
        self.assertIn(f"{silent.device}: the printer did not answer within 3 s; nothing written", err)

    def test_bad_profiles_are_refused_with_nothing_sent(self):
        printers = [self.printer(f"p{i}") for i in range(2)]
        devices = [arg for p in printers for arg in ("--device", p.device)]
        valid = {"format": "quorvelctl-profile", "version": 1, "settings": {
            "sensor": "gap", "driver_compatibility": False, "usb_handshake": True, "speed_limit": False,
            "front_sensor_fitted": True, "external_power": True, "head_protection": True, "offset_mm": 0,
            "constant_density": False, "front_sensor_off": False}}
        broken = {
            "not json": "{\"format\": ",
            "missing setting": json.dumps({**valid, "settings": {k: v for k, v in valid["settings"].items()
                                                                 if k != "head_protection"}}),
            "odd offset": json.dumps({**valid, "settings": {**valid["settings"], "offset_mm": 5}}),
            "string flag": json.dumps({**valid, "settings": {**valid["settings"], "speed_limit": "off"}}),
            "unknown setting": json.dumps({**valid, "settings": {**valid["settings"], "speed": 1}}),
            "wrong format": json.dumps({**valid, "format": "other"}),
            "key twice": json.dumps(valid)[:-2] + ', "offset_mm": 4}}',
        }
        for name, text in broken.items():
            path = self.bench.root / "broken.json"
            path.write_text(text)
            code, _, err = self.ctl("apply", path, "--all", *devices)
            self.assertEqual(code, 5, name)
            self.assertIn("broken.json", err, name)
        self.assertEqual(self.ctl("apply", self.bench.root / "missing.json", "--all", *devices)[0], 5)
        for printer in printers:
            self.assertEqual(printer.received(), b"")

    def test_a_profile_from_standard_input_with_outcomes_as_json(self):
        source = self.printer("source", sensor_type="1")
        profile = self.bench.root / "p.json"
        self.assertEqual(self.ctl("save", profile, "--device", source.device)[0], 0)
        target = self.printer("target", ignore=["sensor_type"])
        code, out, err = self.ctl("apply", "-", "--json", "--settle", "0", "--device", target.device,
                                  input=profile.read_text())
        self.assertEqual(code, 4, err)
        outcome = json.loads(out)
        self.assertEqual((outcome["device"], outcome["exit_code"], outcome["outcome"]),
                         (target.device, 4, "readback_differs"))
        self.assertEqual(outcome["differences"], ["sensor: wrote black_mark, reads gap"])
        code, out, err = self.ctl("set", "--json", "--speed-limit", "on", "--dry-run", "--device", target.device)
        self.assertEqual(code, 0, err)
        self.assertEqual(json.loads(out)["batch"], ["SENSORTYPE 0", "SUPPORT 0", "USBHANDO", "LIMITED 11110000"])

    def test_a_profile_of_another_model_needs_force(self):
        source = self.printer("source")  # LP-420B
        profile = self.bench.root / "p.json"
        self.assertEqual(self.ctl("save", profile, "--device", source.device)[0], 0)
        other = self.printer("other", pid="2000")
        code, _, err = self.ctl("apply", profile, "--settle", "0", "--device", other.device)
        self.assertEqual(code, 5)  # the profile does not fit this printer; 1 would say nothing was sent at all
        self.assertIn("saved from a Vollenby LP-420B, but this printer is a KESTRAMO K-108", err)
        self.assertEqual(other.received(), QUERY)
        # A mixed run: one written, one refused; its objects say how each ended and which printer it was.
        code, out, err = self.ctl("apply", profile, "--settle", "0", "--json", "--all")
        self.assertEqual(code, 5, err)
        objects = [json.loads(line) for line in out.splitlines()]
        by_device = {o["device"]: o for o in objects}
        self.assertEqual([by_device[p.device]["outcome"] for p in (source, other)], ["done", "other_model"])
        for found in objects:
            self.assertIn("serial", found)
            self.assertIn("location", found)
            self.assertIsNotNone(found["location"])
        self.assertEqual(other.received(), QUERY * 2)  # each run only read it
        code, _, err = self.ctl("apply", profile, "--settle", "0", "--force", "--device", other.device)
        self.assertEqual(code, 0, err)

    def test_save_replaces_the_file_whole_and_refuses_a_symlink(self):
        printer = self.printer()
        profile = self.bench.root / "p.json"
        profile.write_text("old")
        self.assertEqual(self.ctl("save", profile, "--device", printer.device)[0], 0)
        self.assertEqual(json.loads(profile.read_text())["format"], "quorvelctl-profile")
        self.assertEqual(sorted(p.name for p in self.bench.root.iterdir() if p.name.startswith("p.json")),
                         ["p.json"])
        link = self.bench.root / "link.json"
        link.symlink_to(self.bench.root / "target.json")
        code, _, err = self.ctl("save", link, "--device", printer.device)
        self.assertEqual(code, 5)
        self.assertIn("symbolic link", err)
        self.assertFalse((self.bench.root / "target.json").exists())

    def test_save_keeps_the_files_mode_and_group(self):
        import grp
        import os
        printer = self.printer()
        profile = self.bench.root / "private.json"
        profile.write_text("old")
        os.chmod(profile, 0o600)
        os.chown(profile, -1, grp.getgrnam("lp").gr_gid)
        self.assertEqual(self.ctl("save", profile, "--device", printer.device)[0], 0)
        status = profile.stat()
        self.assertEqual((status.st_mode & 0o7777, status.st_gid), (0o600, grp.getgrnam("lp").gr_gid))
        self.assertEqual(json.loads(profile.read_text())["format"], "quorvelctl-profile")

    def test_standard_streams_pipes_and_process_substitution_name_files(self):
        printer = self.printer()
        code, out, err = self.ctl("save", "-", "--device", printer.device)
        self.assertEqual(code, 0, err)
        self.assertEqual(json.loads(out)["format"], "quorvelctl-profile")  # the profile alone, nothing else
        self.assertFalse((self.bench.root / "-").exists())
        profile = self.bench.root / "p.json"
        profile.write_text(out)

        def through_bash(script, *args, input=None):
            return subprocess.run(["bash", "-c", script, QUORVELCTL, *map(str, args)], env=self.bus.env(),
                                  input=input, capture_output=True, timeout=120)

        ways = [("apply -", lambda: self.ctl("apply", "-", "--settle", "0", "--device", printer.device, input=out)),
                ("apply /dev/stdin from a pipe",
                 lambda: through_bash('cat "$1" | "$0" apply /dev/stdin --settle 0 --device "$2"', profile,
                                      printer.device)),
                ("apply <(...)",
                 lambda: through_bash('"$0" apply <(cat "$1") --settle 0 --device "$2"', profile, printer.device))]
        for way, run in ways:
            with self.subTest(way):
                result = run()
                code, err = (result[0], result[2]) if isinstance(result, tuple) else (result.returncode, result.stderr)
                self.assertEqual(code, 0, err)

        job = bytes(range(256)) * 8 + b"\r\n\x1a"  # every byte value, CR LF and ^Z as they are
        image = bytes(reversed(range(256))) * 16
        printer.received()  # what the reads and applies brought
        sent = through_bash('"$0" send --file - --device "$1"', printer.device, input=job)
        self.assertEqual(sent.returncode, 0, sent.stderr)
        image_file = self.bench.root / "fw.bin"
        image_file.write_bytes(image)
        flashed = through_bash('"$0" firmware <(cat "$1") --yes --device "$2"', image_file, printer.device)
        self.assertEqual(flashed.returncode, 0, flashed.stderr)
        expected = job + b"PROGRAME UPGRADE\r\n" + image
        self.assertEqual(printer.received_at_least(len(expected))[-len(expected):], expected)

    # --- device-file commands ------------------------------------------------------------------------------------
    def test_selftest_send_and_firmware_go_through_the_device_file(self):
        printer = self.printer()
        self.assertEqual(self.ctl("selftest", "--device", printer.device)[0], 0)
        self.assertEqual(self.ctl("send", "--device", printer.device, "--hex", "1B 40 0A")[0], 0)
        self.assertEqual(self.ctl("send", "--device", printer.device, "--text", "TEXT 10,10\r\n")[0], 0)
        image = bytes(range(256)) * 40
        firmware = self.bench.root / "fw.bin"
        firmware.write_bytes(image)
        code, _, err = self.ctl("firmware", firmware, "--device", printer.device, input="n\n")
        self.assertEqual(code, 1)
        self.assertIn("Download", err)
        code, out, err = self.ctl("firmware", firmware, "--device", printer.device, input="y\n")
        self.assertEqual(code, 0, err)
        self.assertEqual(out, f"{printer.device}: firmware image of {len(image)} bytes sent\n")
        expected = b"PTESTPAGE\r\n\x1b@\n" + b"TEXT 10,10\r\n" + b"PROGRAME UPGRADE\r\n" + image
        self.assertEqual(printer.received_at_least(len(expected)), expected)


    def test_firmware_opens_the_printer_only_after_the_answer(self):
        printer = self.printer()
        firmware = self.bench.root / "fw.bin"
        firmware.write_bytes(b"\x01" * 100)
        asking = subprocess.Popen([QUORVELCTL, "firmware", str(firmware), "--device", printer.device],
                                  env=self.bus.env(), stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                  stderr=subprocess.PIPE, text=True)
        try:
            prompt = asking.stderr.read(len("Download"))  # the question is being asked
            self.assertEqual(prompt, "Download")
            code, _, err = self.ctl("read", "--device", printer.device)
            self.assertEqual(code, 0, err)  # not held meanwhile
            out, _ = asking.communicate("n\n", timeout=60)
            self.assertEqual(asking.returncode, 1)
        finally:
            if asking.poll() is None:
                asking.kill()
                asking.communicate()
        self.assertEqual(printer.received(), QUERY)

    def test_a_signal_during_a_download_ends_the_piece_then_stops(self):
        for stop in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
            with self.subTest(signal=stop.name):
                printer = self.printer(f"p{stop}")
                firmware = self.bench.root / "fw.bin"
                image = bytes(range(256)) * 64  # four pieces of 4096
                firmware.write_bytes(image)
                command = b"PROGRAME UPGRADE\r\n"
                # The printer takes the command and one piece, then holds the second piece in flight.
                printer.handler.hold_writes_after(len(command) + 4096)
                running = subprocess.Popen([QUORVELCTL, "firmware", str(firmware), "--yes", "--device",
                                            printer.device], env=self.bus.env(), stdout=subprocess.PIPE,
                                           stderr=subprocess.PIPE, text=True)
                try:
                    self.bus.events.wait_for(("holding", printer.device))
                    running.send_signal(stop)
                    printer.handler.release_writes()
                    out, err = running.communicate(timeout=60)
                finally:
                    if running.poll() is None:
                        running.kill()
                        running.communicate()
                self.assertEqual(running.returncode, 6, err)
                self.assertIn("stopped by a signal after 8192 of 16384 bytes: the firmware image is incomplete", err)
                self.bus.events.wait_for(("reattach", printer.device))
                self.assertIn("may need the download again", err)
                self.assertEqual(printer.received_at_least(len(command) + 8192), command + image[:8192])

    # --- unplugs -----------------------------------------------------------------------------------------------
    def unplug_when(self, running, printer, condition):
        """Pulls `printer` out once `condition()` holds; returns the run's end and how long it took after the pull."""
        try:
            condition()
            pulled = time.monotonic()
            self.bus.unplug(printer.handler)
            out, err = running.communicate(timeout=120)
            return out, err, time.monotonic() - pulled
        finally:
            if running.poll() is None:
                running.kill()
                running.communicate()

    def test_an_unplug_during_a_read_is_reported_at_once(self):
        printer = self.printer(mode="silent")
        running = self.start("read", "--device", printer.device, "--timeout", "60")
        _, err, after = self.unplug_when(running, printer, lambda: printer.received_at_least(len(QUERY), 60))
        self.assertEqual(running.returncode, 3, err)
        self.assertIn(f"{printer.device}: the printer was unplugged; nothing read", err)
        self.assertLess(after, 1.0, "the unplug was reported when the wait ran out, not when it happened")

    def test_an_unplug_during_sets_wait_is_reported_at_once_with_what_was_done(self):
        batch = b"SENSORTYPE 0\r\nSUPPORT 0\r\nUSBHANDO\r\nLIMITED 11110000\r\n"
        printer = self.printer()
        running = self.start("set", "--speed-limit", "on", "--settle", "60", "--device", printer.device)
        _, err, after = self.unplug_when(running, printer,
                                         lambda: printer.received_at_least(len(QUERY + batch), 60))
        self.assertEqual(running.returncode, 3, err)
        self.assertIn(f"{printer.device}: the printer was unplugged: settings written, not read back", err)
        self.assertLess(after, 1.0, "the unplug was reported when the wait ran out, not when it happened")

    # --- signals while a printer is held -----------------------------------------------------------------------
    def start(self, *args):
        return subprocess.Popen([QUORVELCTL, *map(str, args)], env=self.bus.env(), stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, text=True)

    def stop_when(self, running, stop, condition):
        """Sends `stop` once `condition()` holds, then collects the run's end."""
        try:
            condition()
            running.send_signal(stop)
            return running.communicate(timeout=60)
        finally:
            if running.poll() is None:
                running.kill()
                running.communicate()

    def test_a_signal_during_sets_wait_gives_the_printer_back_and_says_what_was_done(self):
        batch = b"SENSORTYPE 0\r\nSUPPORT 0\r\nUSBHANDO\r\nLIMITED 11110000\r\n"
        for stop in (signal.SIGINT, signal.SIGTERM):
            with self.subTest(signal=stop.name):
                printer = self.printer(f"p{stop}")
                running = self.start("set", "--speed-limit", "on", "--settle", "600", "--device", printer.device)
                _, err = self.stop_when(running, stop, lambda: printer.received_at_least(len(QUERY + batch), 60))
                self.assertEqual(running.returncode, 6, err)
                self.assertIn(f"{printer.device}: stopped by a signal: settings written, not read back: run "
                              "`quorvelctl read` to check", err)
                self.bus.events.wait_for(("release", printer.device))
                self.bus.events.wait_for(("reattach", printer.device))
                self.assertEqual(printer.received(), QUERY + batch)

    def test_a_signal_during_apply_to_all_gives_every_printer_back(self):
        source = self.printer("source")
        profile = self.bench.root / "p.json"
        self.assertEqual(self.ctl("save", profile, "--device", source.device)[0], 0)
        batch = b"SENSORTYPE 0\r\nSUPPORT 0\r\nUSBHANDO\r\nLIMITED 01110000\r\n"
        for stop in (signal.SIGINT, signal.SIGTERM):
            with self.subTest(signal=stop.name):
                targets = [self.printer(f"t{stop}-{i}") for i in range(2)]
                args = ["apply", profile, "--all", "--settle", "600"]
                for target in targets:
                    args += ["--device", target.device]
                running = self.start(*args)

                def both_written():
                    for target in targets:
                        self.assertEqual(target.received_at_least(len(QUERY + batch), 60), QUERY + batch)

                _, err = self.stop_when(running, stop, both_written)
                self.assertEqual(running.returncode, 6, err)
                for target in targets:
                    self.assertIn(f"{target.device}: stopped by a signal: settings written, not read back", err)
                    self.bus.events.wait_for(("release", target.device))
                    self.bus.events.wait_for(("reattach", target.device))


    def test_a_printer_that_stops_taking_data_is_given_up_on_saying_how_much_it_took(self):
        printer = self.printer()
        job = self.bench.root / "job.bin"
        data = bytes(range(256)) * 160  # ten pieces of 4096
        job.write_bytes(data)
        # A printer that runs out of paper after the first four pieces.
        printer.handler.hold_writes_after(16384)
        code, out, err = self.ctl("send", "--device", printer.device, "--file", job, "--timeout", "1")
        self.assertEqual((code, out), (3, ""), err)
        self.assertIn(f"{printer.device}: the printer took 16384 of {len(data)} bytes, then nothing for 1 s: it may be "
                      "out of paper, have its cover open, be busy or be switched off", err)
        self.assertEqual(printer.received_at_least(16384), data[:16384])


if __name__ == "__main__":
    unittest.main()
