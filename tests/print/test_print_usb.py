"""quorvelprint and our USB printers on the emulated bus of quorvelctl's tests: a printer gets a queue when it is
plugged in, its sensor follows the job's media type, and a job waits for a printer that quorvelctl holds, for a
printer that takes no data, and ends with a reason when it is unplugged or cancelled; the next job still prints."""
import os
import sys
import tempfile
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "ctl"))

import pages  # noqa: E402
from ctl_harness import Bench, ctl  # noqa: E402
from print_harness import PrintServer, wait_until  # noqa: E402
from usb_bench import UsbBus  # noqa: E402

QUERY = b"RETURN VALUE\r\n"
RESET = b"\x1b@"
LABEL = pages.pwg_raster(799, 200, [(208, 20, 408, 60)])
LABEL_BYTES = RESET + pages.driver_bytes(pages.one_bit_rows(783, 200, [(200, 20, 400, 60)])) + RESET


class UsbPrinting(unittest.TestCase):
    def setUp(self):
        self.bench = Bench()
        self.bus = UsbBus()
        self.addCleanup(self.bench.close)
        self.addCleanup(self.bus.close)
        self.files = Path(tempfile.mkdtemp(prefix="quorvelprint-usb-"))
        self.label = self.files / "label.pwg"
        self.label.write_bytes(LABEL)
        # PAPPL prints a PWG raster while its request is still open, so a submit returns only once it has printed:
        # the jobs that must wait are pictures, which are spooled first.
        self.picture = self.files / "label.png"
        self.picture.write_bytes(pages.png(400, 300, [(100, 50, 200, 100)]))

    def plug(self, port=1, serial="SIM0001", **state):
        simulator = self.bench.printer(f"p{len(self.bench.printers)}", **state)
        handler = self.bus.plug(port, simulator, serial=serial)
        self.open_testbed()
        return simulator, handler

    def open_testbed(self):
        # The server runs as nobody: the testbed is the test's own, so everyone may use it (its sockets included).
        root = self.bus.testbed.get_root_dir()
        for folder, _, files in os.walk(root):
            os.chmod(folder, 0o777)
            for file in files:
                path = os.path.join(folder, file)
                if not os.path.islink(path):
                    os.chmod(path, 0o666)

    def serve(self, *options):
        server = PrintServer(env=self.bus.env(), options=("-o", "sensor-settle=1", *options))
        self.addCleanup(server.close)
        return server

    def queue(self, server):
        """The one queue the server made for the plugged-in printer."""
        return wait_until(lambda: server.command("printers")[1].split(), 20, "the plugged-in printer's queue")[0]

    def test_a_plugged_in_printer_gets_a_queue_and_prints_the_windows_drivers_bytes(self):
        simulator, _ = self.plug()
        server = self.serve()
        name = self.queue(server)
        self.assertEqual(name, "Vollenby_LP-420B_SIM0001")  # the model table's name and the serial
        job = server.submit(name, self.label, "image/pwg-raster")
        self.assertEqual(server.wait_job(name, job)[0], "completed")
        # The printer answers the settings request and is already set for gap labels: nothing is written to it.
        self.assertEqual(simulator.received(), QUERY + LABEL_BYTES)

    def test_the_sensor_follows_the_media_type_unless_the_admin_turned_it_off(self):
        simulator, _ = self.plug(sensor_type="0")
        server = self.serve()
        name = self.queue(server)
        job = server.submit(name, self.label, "image/pwg-raster", media_type="continuous")
        self.assertEqual(server.wait_job(name, job)[0], "completed")
        self.assertEqual(simulator.state()["sensor_type"], "2")
        self.assertTrue("sensor from gap to continuous for media-type continuous" in server.log_text())
        self.assertTrue(simulator.received().endswith(LABEL_BYTES))

        # The admin turns it off for this printer: a job for black-mark labels leaves the sensor alone.
        result = server.ipp(name, [
            "OPERATION Set-Printer-Attributes", "GROUP operation-attributes-tag",
            "ATTR charset attributes-charset utf-8", "ATTR naturalLanguage attributes-natural-language en",
            "ATTR uri printer-uri $uri", "GROUP printer-attributes-tag",
            "ATTR boolean sensor-follows-media-default false"])
        self.assertEqual(result.get("StatusCode"), "successful-ok", result)
        before = len(simulator.received())
        job = server.submit(name, self.label, "image/pwg-raster", media_type="labels-black-mark")
        self.assertEqual(server.wait_job(name, job)[0], "completed")
        self.assertEqual(simulator.state()["sensor_type"], "2")
        self.assertEqual(simulator.received()[before:], LABEL_BYTES)

    def test_a_job_waits_for_the_printer_quorvelctl_holds_and_their_bytes_never_mix(self):
        simulator, handler = self.plug()
        server = self.serve()
        name = self.queue(server)
        # quorvelctl holds the printer from its read to its read-back (--settle 3).
        holder = self.bus_ctl_start("set", "--device", handler.node, "--speed-limit", "on", "--settle", "3")
        wait_until(lambda: simulator.received().startswith(QUERY), 10, "quorvelctl's read")
        job = server.submit(name, self.picture, "image/png")
        wait_until(lambda: "in use by another program" in server.log_text(), 20, "the job to wait for the printer")
        _, err = holder.communicate(timeout=60)
        self.assertEqual(holder.returncode, 0, err)
        self.assertEqual(server.wait_job(name, job, timeout=60)[0], "completed")
        received = simulator.received()
        # quorvelctl's read, batch and read-back, then the job whole: one page, after the last query.
        job_bytes = received[received.rindex(QUERY) + len(QUERY):]
        self.assertTrue(job_bytes.startswith(RESET + RESET) and job_bytes.endswith(b"\x0c" + RESET), job_bytes[:16])
        self.assertEqual(len(pages.decode(job_bytes)), 1)

    def bus_ctl_start(self, *args):
        import subprocess
        from ctl_harness import QUORVELCTL
        return subprocess.Popen([QUORVELCTL, *args], env=self.bus.env(), stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, text=True)

    def test_a_stalled_printer_is_reported_then_the_job_stops_and_the_next_one_prints(self):
        simulator, handler = self.plug()
        server = self.serve("-o", "stall-limit=12")
        name = self.queue(server)
        handler.hold_writes_after(len(QUERY) + 100)  # the printer takes the start, then nothing (no paper)
        job = server.submit(name, self.picture, "image/png")
        _, _, message = wait_until(lambda: (lambda s: s if "took no data" in s[2] else None)(server.job(name, job)),
                                   30, "the job to say the printer takes nothing")
        self.assertIn("the printer took no data for 5 s", message)
        self.assertIn("offline", server.printer_reasons(name))  # PAPPL's keyword for offline-report
        state, _, message = server.wait_job(name, job, timeout=60)
        self.assertEqual(state, "aborted")
        self.assertIn("the printer took no data for 12 s", message)
        handler.release_writes()  # paper in
        before = len(simulator.received_at_least(len(QUERY) + 100))
        job = server.submit(name, self.label, "image/pwg-raster")
        self.assertEqual(server.wait_job(name, job)[0], "completed")
        # The stopped job was cut in the middle of a raster block: white finishes the block before the next job,
        # which starts from the printer's defaults. The whole stream reads as commands, the next label last.
        received = simulator.received()
        self.assertTrue(received.endswith(LABEL_BYTES))
        *_, last = pages.decode(received.replace(QUERY, b""))  # each job asks for the settings first
        (label,) = pages.decode(LABEL_BYTES)
        self.assertEqual(last[-len(label):], label)
        self.assertNotIn("offline", server.printer_reasons(name))
        self.assertGreater(len(simulator.received()), before)

    def test_a_job_cancelled_while_the_printer_holds_off_ends_and_the_next_one_prints(self):
        simulator, handler = self.plug()
        server = self.serve()
        name = self.queue(server)
        handler.hold_writes_after(len(QUERY) + 100)
        job = server.submit(name, self.picture, "image/png")
        wait_until(lambda: server.job(name, job)[0] == "processing", 20, "the job to print")
        server.cancel(name, job)
        self.assertEqual(server.wait_job(name, job, timeout=30)[0], "canceled")
        handler.release_writes()
        job = server.submit(name, self.label, "image/pwg-raster")
        self.assertEqual(server.wait_job(name, job)[0], "completed")
        self.assertTrue(simulator.received().endswith(LABEL_BYTES))

    def test_a_printer_unplugged_during_a_job_ends_it_with_the_reason_and_the_server_serves_on(self):
        _, handler = self.plug(port=1, serial="SIM0001")
        other, _ = self.plug(port=2, serial="SIM0002")
        server = self.serve()
        names = wait_until(lambda: (lambda n: n if len(n) == 2 else None)(server.command("printers")[1].split()), 20,
                           "both printers' queues")
        name, other_name = sorted(names)
        handler.hold_writes_after(len(QUERY) + 100)
        job = server.submit(name, self.picture, "image/png")
        wait_until(lambda: server.job(name, job)[0] == "processing", 20, "the job to print")
        self.bus.unplug(handler)
        state, _, message = server.wait_job(name, job, timeout=30)
        self.assertEqual(state, "aborted")
        self.assertIn("unplugged", message)
        # The other printer prints on.
        job = server.submit(other_name, self.label, "image/pwg-raster")
        self.assertEqual(server.wait_job(other_name, job)[0], "completed")
        self.assertEqual(other.received(), QUERY + LABEL_BYTES)


if __name__ == "__main__":
    unittest.main()
