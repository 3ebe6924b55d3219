"""The Linux quorvelctl on an emulated USB bus: libusb in the real program talks usbfs to umockdev's device nodes,
behind which printer_sim processes compute the printers' answers."""
import json
import subprocess
import time
import unittest
from pathlib import Path

from ctl_harness import QUORVELCTL, Bench
from usb_bench import UsbBus

QUERY = b"RETURN VALUE\r\n"


class UsbCase(unittest.TestCase):
    """A bench of printer simulators and an emulated bus for each test."""

    def setUp(self):
        self.bench = Bench()
        self.bus = UsbBus()
        self.addCleanup(self.bench.close)
        self.addCleanup(self.bus.close)

    def run_ctl(self, *args, input=None, stdout=subprocess.PIPE, prefix=(), timeout=120, program=QUORVELCTL):
        result = subprocess.run([*prefix, str(program), *map(str, args)], env=self.bus.env(), input=input,
                                stdout=stdout, stderr=subprocess.PIPE, timeout=timeout, text=True)
        return result.returncode, result.stdout, result.stderr

    def start_ctl(self, *args):
        return subprocess.Popen([QUORVELCTL, *map(str, args)], env=self.bus.env(), stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, text=True)

    def printer(self, name, port, serial=None, pid="1000", **options):
        simulator = self.bench.printer(name, pid=pid)
        return simulator, self.bus.plug(port, simulator, product=int(pid, 16), serial=serial, **options)


class UsbProgram(UsbCase):
    # --- discovery and choice --------------------------------------------------------------------------------------
    def test_only_our_printers_are_listed_with_their_place_on_the_bus(self):
        _, first = self.printer("first", 1, serial="SIM0001")
        _, second = self.printer("second", 2, serial="SIM0002", pid="2000")
        other = self.bench.printer("other")
        self.bus.plug(3, other, vendor=0x04B8, product=0x0202, serial="OTHER1")  # another maker's printer
        self.bus.plug(4, None, vendor=0x1A86, product=0x7523, interface_class=0xFF)  # our vendor, not a printer
        code, out, err = self.run_ctl("list")
        self.assertEqual(code, 0, err)
        self.assertEqual(out.splitlines(), [f"1\t{first.node}\t1A86:1000\tVollenby LP-420B\t1-1\tSIM0001",
                                            f"2\t{second.node}\t1A86:2000\tKESTRAMO K-108\t1-2\tSIM0002"])
        listed = json.loads(self.run_ctl("list", "--json")[1])
        self.assertEqual([(p["device"], p["location"], p["port"]) for p in listed],
                         [(first.node, "1-1", None), (second.node, "1-2", None)])
        # --all reaches ours only: the other maker's printer gets nothing.
        code, _, err = self.run_ctl("set", "--all", "--speed-limit", "on", "--settle", "0")
        self.assertEqual(code, 0, err)
        self.assertEqual(other.received(), b"")

    def test_libusb_that_cannot_start_is_told_apart_from_an_empty_bus(self):
        self.printer("p", 1)
        env = self.bus.env()
        env["QUORVEL_FAULT_NO_NETLINK"] = "1"  # a sandboxed service: libusb's device monitor cannot start
        for args in (["list"], ["list", "--json"], ["read"], ["set", "--all", "--speed-limit", "on"]):
            with self.subTest(args=args):
                result = subprocess.run([QUORVELCTL, *args], env=env, capture_output=True, text=True, timeout=60)
                self.assertEqual(result.returncode, 3, result.stderr)
                self.assertIn("libusb could not start", result.stderr)
                self.assertNotIn("no printer attached", result.stderr)

    def test_no_printer_on_the_bus(self):
        code, out, err = self.run_ctl("list")
        self.assertEqual((code, out), (2, ""))
        self.assertIn("no printer attached", err)
        self.assertEqual(self.run_ctl("list", "--json")[:2], (2, "[]\n"))

    def test_a_text_naming_two_printers_is_refused_and_digit_serials_are_not_list_numbers(self):
        first_sim, first = self.printer("first", 1, serial="2")
        second_sim, second = self.printer("second", 2, serial="00000001")
        code, _, err = self.run_ctl("read", "-p", "2")  # list number 2, and the serial of number 1
        self.assertEqual(code, 1)
        self.assertIn("names 2 different printers", err)
        # Every way the hint names finds one of the two: their real places on the bus.
        ways = err.strip().split("say which you mean: ")[1].split(" or ")
        self.assertEqual(ways, ["--location 1-2", "--location 1-1"])
        found = set()
        for way in ways:
            code, out, err = self.run_ctl("read", *way.split(" ", 1), "--json")
            self.assertEqual(code, 0, err)
            found.add(json.loads(out)["device"])
        self.assertEqual(found, {first.node, second.node})
        first_sim.received(), second_sim.received()  # what the hint's reads brought
        code, out, err = self.run_ctl("read", "--serial", "2", "--json")
        self.assertEqual((code, json.loads(out)["device"]), (0, first.node), err)
        code, out, err = self.run_ctl("read", "-p", "00000001", "--json")
        self.assertEqual((code, json.loads(out)["device"]), (0, second.node), err)
        code, out, err = self.run_ctl("read", "-p", "1-2", "--json")
        self.assertEqual((code, json.loads(out)["device"]), (0, second.node), err)
        self.assertEqual(first_sim.received(), QUERY * 2)
        self.assertEqual(second_sim.received(), QUERY * 3)

    def test_device_takes_usb_nodes_only(self):
        simulator, printer = self.printer("p", 1)
        self.assertEqual(json.loads(self.run_ctl("read", "--device", printer.node, "--json")[1])["device"],
                         printer.node)
        plain = self.bench.root / "plain-file"
        plain.write_bytes(b"keep")
        for path in (plain, self.bench.root / "missing"):
            code, _, err = self.run_ctl("send", "--device", path, "--text", "RETURN VALUE\r\n")
            self.assertEqual(code, 1, err)
            self.assertIn("not a USB", err)
        self.assertEqual(plain.read_bytes(), b"keep")
        # The kernel printer driver's node is taken as its USB device.
        lp = self.bus.bind_printer_driver(printer, 0)
        code, out, err = self.run_ctl("read", "--device", lp, "--json")
        self.assertEqual(code, 0, err)
        self.assertEqual(simulator.received(), QUERY * 2)
        self.assertEqual(self.run_ctl("read", "--device", "/dev/usb/lp7")[0], 2)
        self.assertEqual(self.run_ctl("read", "--device", "/dev/bus/usb/001/099")[0], 2)

    def test_a_path_to_another_makers_printer_is_refused_before_a_byte(self):
        other = self.bench.printer("other")
        handler = self.bus.plug(1, other, vendor=0x04B8, product=0x0202, serial="OTHER1")
        lp = self.bus.bind_printer_driver(handler, 0)
        image = self.bench.root / "fw.bin"
        image.write_bytes(b"\x01" * 2000)
        runs = {"firmware by its printer node": ("firmware", image, "--device", lp, "--yes"),
                "selftest by its USB node": ("selftest", "-p", handler.node),
                "set by its printer node": ("set", "--device", lp, "--speed-limit", "on", "--settle", "0"),
                "read by its USB node": ("read", "--device", handler.node),
                "send by its printer node": ("send", "-p", lp, "--hex", "1B 40")}
        for name, args in runs.items():
            with self.subTest(name):
                code, _, err = self.run_ctl(*args)
                self.assertEqual(code, 1, err)
                self.assertIn("vendor 04B8", err)
                self.assertIn("nothing was sent", err)
        self.assertEqual(other.received(), b"")
        self.assertEqual([event for event in self.bus.events.items if event[1] == handler.node], [])

    # --- the transfers ---------------------------------------------------------------------------------------------
    def test_a_frame_in_one_transfer_or_in_pieces(self):
        for piece in (None, 32, 20):
            with self.subTest(piece=piece):
                simulator, printer = self.printer(f"p{piece}", 1 + len(self.bus.handlers), piece=piece)
                code, out, err = self.run_ctl("read", "--device", printer.node, "--json")
                self.assertEqual(code, 0, err)
                self.assertEqual(json.loads(out)["product_id"], "1000")
                self.assertEqual(simulator.received(), QUERY)

    def test_a_printer_that_does_not_answer(self):
        simulator = self.bench.printer("silent", mode="silent")
        printer = self.bus.plug(1, simulator)
        code, _, err = self.run_ctl("read", "--timeout", "0.5")
        self.assertEqual(code, 3)
        self.assertIn(f"{printer.node}: the printer did not answer within 0.5 s", err)
        self.assertEqual(simulator.received(), QUERY)

    def test_set_and_selftest_reach_the_printer_whole(self):
        simulator, printer = self.printer("p", 1)
        code, out, err = self.run_ctl("set", "--speed-limit", "on", "--settle", "0")
        self.assertEqual((code, out), (0, f"{printer.node}: settings written and read back\n"), err)
        self.assertEqual(simulator.state()["speed_limit"], "1")
        before = simulator.received()
        self.assertEqual(self.run_ctl("selftest")[0], 0)
        # The simulator reads as the bytes come, which may be after the program has ended.
        self.assertEqual(simulator.received_at_least(len(before) + 11), before + b"PTESTPAGE\r\n")

    def test_a_large_send_arrives_whole_and_in_order(self):
        simulator, printer = self.printer("p", 1)
        job = self.bench.root / "job.bin"
        data = bytes((i * 7) % 256 for i in range(50000))  # more than one write piece
        job.write_bytes(data)
        code, out, err = self.run_ctl("send", "--file", job)
        self.assertEqual((code, out), (0, f"{printer.node}: sent 50000 bytes\n"), err)
        self.assertEqual(simulator.received_at_least(len(data)), data)

    # --- holding the printer ---------------------------------------------------------------------------------------
    def test_a_printer_held_elsewhere_is_busy_and_gets_nothing(self):
        simulator, printer = self.printer("p", 1, held_elsewhere=True)
        code, _, err = self.run_ctl("set", "--speed-limit", "on")
        self.assertEqual(code, 3)
        self.assertIn(f"quorvelctl: the printer {printer.node} is busy", err)
        self.assertIn("give --wait SECONDS", err)
        # A wait that ran out says so, and does not offer the wait it just did.
        code, _, err = self.run_ctl("read", "--wait", "0.3")
        self.assertEqual(code, 3)
        self.assertIn(f"quorvelctl: the printer {printer.node} is busy", err)
        self.assertIn("still busy after waiting 0.3 s", err)
        self.assertNotIn("give --wait SECONDS", err)
        self.assertEqual(simulator.received(), b"")

    def test_completion_offers_the_serials_and_the_locations(self):
        self.printer("first", 1, serial="SIM0001")
        self.printer("second", 2, serial="SIM0002")
        folder = self.bench.root / "bin"
        folder.mkdir()
        (folder / "quorvelctl").symlink_to(QUORVELCTL)
        script = Path(__file__).resolve().parents[2] / "cli/packaging/quorvelctl.bash"
        env = self.bus.env()
        env["PATH"] = f"{folder}:{env['PATH']}"
        cases = {("read", "--serial", ""): ["SIM0001", "SIM0002"], ("set", "--serial", "SIM0002"): ["SIM0002"],
                 ("read", "--location", ""): ["1-1", "1-2"], ("apply", "p.json", "--location", "1-2"): ["1-2"],
                 ("read", "--wait", ""): []}
        for words, offered in cases.items():
            with self.subTest(words=words):
                line = " ".join(f"'{word}'" for word in ("quorvelctl", *words))
                program = (f"source '{script}'; COMP_WORDS=({line}); COMP_CWORD={len(words)}; _quorvelctl; "
                           "printf '%s\\n' \"${COMPREPLY[@]}\"")
                result = subprocess.run(["bash", "-c", program], env=env, capture_output=True, text=True, timeout=60)
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertEqual(sorted(result.stdout.split()), offered)

    def test_a_print_job_on_the_printer_driver_node_keeps_the_printer_busy_with_nothing_sent(self):
        simulator, printer = self.printer("p", 1)
        lp = self.bus.bind_printer_driver(printer, 0)
        job = self.bench.root / "job-printing"  # while it exists, a print job has /dev/usb/lp0 open
        job.write_bytes(b"")
        env = self.bus.env()
        env["QUORVEL_FAULT_LP_HELD"] = str(job)
        for args in (["set", "--speed-limit", "on"], ["read", "--device", printer.node], ["selftest", "-p", lp]):
            with self.subTest(args=args):
                result = subprocess.run([QUORVELCTL, *args], env=env, capture_output=True, text=True, timeout=60)
                self.assertEqual(result.returncode, 3, result.stderr)
                self.assertIn("is busy (a print job has /dev/usb/lp0 open): another program holds it", result.stderr)
                self.assertIn("Nothing was sent", result.stderr)
        self.assertEqual(simulator.received(), b"")
        self.assertEqual([event for event in self.bus.events.items if event[1] == printer.node], [])
        # With --wait the run looks again until the job has ended, then goes ahead.
        waiting = subprocess.Popen([QUORVELCTL, "read", "--json", "--wait", "60"], env=env, stdout=subprocess.PIPE,
                                   stderr=subprocess.PIPE, text=True)
        try:
            deadline = time.monotonic() + 60
            looks = len(job.read_bytes())
            while len(job.read_bytes()) < looks + 2 and time.monotonic() < deadline:
                time.sleep(0.02)  # each look the program takes leaves a byte
            self.assertGreaterEqual(len(job.read_bytes()), looks + 2, "the run did not look again")
            job.unlink()
            out, err = waiting.communicate(timeout=60)
        finally:
            if waiting.poll() is None:
                waiting.kill()
                waiting.communicate()
        self.assertEqual(waiting.returncode, 0, err)
        self.assertEqual(json.loads(out)["device"], printer.node)
        self.assertEqual(simulator.received(), QUERY)

    def test_set_holds_its_printer_through_the_wait(self):
        simulator, printer = self.printer("p", 1)
        batch = b"SENSORTYPE 0\r\nSUPPORT 0\r\nUSBHANDO\r\nLIMITED 11110000\r\n"
        # The first run gets its first frame; the answer to its read-back the printer keeps back until we say, so
        # that however slow this machine, the first run is still holding the printer while the others ask.
        printer.hold_answers(after=64)
        first = self.start_ctl("set", "--speed-limit", "on", "--settle", "1", "--timeout", "60")
        waiting = None
        try:
            self.assertEqual(simulator.received_at_least(len(QUERY + batch + QUERY), timeout=60),
                             QUERY + batch + QUERY, "waited for the first run's read-back query")
            code, _, err = self.run_ctl("read")
            self.assertEqual(code, 3, err)
            self.assertIn(f"the printer {printer.node} is busy", err)
            waiting = self.start_ctl("read", "--json", "--wait", "60")
            self.bus.events.wait_for(("busy", printer.node), count=2)
            printer.release_answers()
            out, err = first.communicate(timeout=60)
            self.assertEqual(first.returncode, 0, err)
            out, err = waiting.communicate(timeout=60)
            self.assertEqual(waiting.returncode, 0, err)
            self.assertEqual(json.loads(out)["speed_limit"], True)
        finally:
            printer.release_answers()
            for process in (first, waiting):
                if process is not None and process.poll() is None:
                    process.kill()
                    process.communicate()
        # The first run's query, batch and read-back came in one piece; the second run's query after them.
        self.assertEqual(simulator.received(), QUERY + batch + QUERY + QUERY)

    def test_apply_to_four_printers_holds_them_all_at_once(self):
        source_sim, source = self.printer("source", 1)
        profile = self.bench.root / "shop.json"
        code, _, err = self.run_ctl("save", profile, "--device", source.node)
        self.assertEqual(code, 0, err)
        targets = [self.printer(f"t{i}", 2 + i) for i in range(4)]
        # They answer only once all four are held together: handled one after the other, the first never would.
        self.bus.together([handler for _, handler in targets])
        args = ["apply", profile, "--all", "--settle", "0.2", "--timeout", "20"]
        for _, handler in targets:
            args += ["--device", handler.node]
        code, out, err = self.run_ctl(*args)
        self.assertEqual(code, 0, err)
        self.assertEqual(out.splitlines(), [f"{h.node}: settings written and read back" for _, h in targets])
        self.assertEqual(self.bus.events.most_held_at_once({h.node for _, h in targets}), 4)

    # --- the emulated bus behaves like a real one ------------------------------------------------------------------
    def test_runs_started_together_all_see_the_printer(self):
        # Each program's emulated uevent socket must be its own, as a netlink socket is: when two shared a name, one
        # of them could not start libusb's device monitor and saw no printer.
        _, printer = self.printer("p", 1)
        for _ in range(20):
            runs = [self.start_ctl("list") for _ in range(8)]
            for run in runs:
                out, err = run.communicate(timeout=120)
                self.assertEqual((run.returncode, out.split("\t")[1:2]), (0, [printer.node]), err)

    def test_a_killed_run_gives_up_its_claim_as_the_kernel_does(self):
        simulator, printer = self.printer("p", 1)
        running = self.start_ctl("set", "--speed-limit", "on", "--settle", "600")
        try:
            self.bus.events.wait_for(("claim", printer.node))
        finally:
            running.kill()
            running.communicate()
        self.bus.events.wait_for(("release", printer.node))
        code, out, err = self.run_ctl("read", "--json")
        self.assertEqual((code, json.loads(out)["device"]), (0, printer.node), err)

    # --- output ----------------------------------------------------------------------------------------------------
    def test_output_that_cannot_be_written_is_an_error(self):
        self.printer("p", 1)
        with open("/dev/full", "w") as full:
            code, _, err = self.run_ctl("read", "--json", stdout=full)
        self.assertEqual(code, 1)
        self.assertIn("standard output", err)

    def test_a_device_path_that_is_not_utf8_does_not_stop_the_program(self):
        self.printer("p", 1)
        result = subprocess.run([QUORVELCTL.encode(), b"read", b"--json", b"-p", b"/dev/bus/usb/\xff/1"],
                                env=self.bus.env(), capture_output=True, timeout=60)
        self.assertEqual(result.returncode, 1, result.stderr)
        self.assertNotIn(b"terminate", result.stderr)


if __name__ == "__main__":
    unittest.main()
