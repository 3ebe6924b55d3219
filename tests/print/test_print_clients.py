"""quorvelprint with the clients its users have: a private cupsd in front of it (lpadmin -m everywhere, lp of a PDF),
CUPS's own IPP Everywhere checks, and its printer's settings page in headless Chromium. As root the server runs as
nobody; the CUPS test needs root (cupsd as root, its filters as lp). A test whose needs are not met is skipped, and
under CI, which has them all, fails instead."""
import html
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

import everywhere_checks
import pages
from cups_harness import PROGRAMS as CUPS_PROGRAMS, PrivateCups
from print_harness import ROOT, PrintServer, SocketPrinter, wait_until

sys.path.insert(0, str(ROOT / "tests" / "ctl"))  # the emulated USB bus of quorvelctl's tests

QUERY = b"RETURN VALUE\r\n"
RESET = b"\x1b@"
MM_PER_INCH = 25.4


def dots(mm):
    return round(mm * pages.DPI / MM_PER_INCH)


class ClientCase(unittest.TestCase):
    def require(self, missing):
        """Skips with `missing` (a reason) when there is one; under CI, which has everything, fails instead."""
        if not missing:
            return
        if os.environ.get("CI"):
            self.fail(f"cannot run under CI: {missing}")
        self.skipTest(missing)

    @staticmethod
    def lacking(*programs):
        absent = [name for name in programs if shutil.which(name) is None]
        return f"needs {', '.join(absent)}" if absent else ""

    def folder(self):
        path = Path(tempfile.mkdtemp(prefix="quorvelprint-clients-"))
        self.addCleanup(shutil.rmtree, path, True)
        return path


class CupsInFront(ClientCase):
    def test_a_pdf_printed_through_cups_arrives_as_the_windows_driver_sends_it(self):
        # cupsd runs as root, its filters as lp, as the system's does.
        self.require("needs root, to run cupsd" if os.geteuid() != 0 else self.lacking(*CUPS_PROGRAMS))
        server = PrintServer()
        self.addCleanup(server.close)
        target = SocketPrinter()
        self.addCleanup(target.close)
        server.add_printer("label", "qrx-label-100x150", target.uri)
        cups = PrivateCups()
        self.addCleanup(cups.close)
        cups.add_everywhere_queue("T", server.uri("label"))

        # A page the size of the label with a black rectangle 20 to 50 mm from its left edge, 30 to 45 mm from its
        # top. Written by hand (pages.pdf): no other program's idea of a page in between.
        box_mm = (20, 30, 50, 45)
        document = self.folder() / "label.pdf"
        document.write_bytes(pages.pdf(100, 150, [box_mm]))
        cups_job = cups.print_file("T", document)
        state, reasons, message = cups.wait_job("T", cups_job)
        self.assertEqual(state, "completed", (reasons, message, cups.job_log()))
        (job,) = server.jobs("label")
        state, reasons, message = server.wait_job("label", job)
        self.assertEqual(state, "completed", (reasons, message, server.log_text()[-3000:], cups.job_log()))

        received = target.received(1)[0]
        # The first job on a printer asks for its settings first (to set its sensor for the job's media type); a
        # printer behind a raw port that answers nothing is not asked again.
        self.assertTrue(received.startswith(QUERY), received[:32])
        data = received[len(QUERY):]
        self.assertTrue(data.startswith(RESET + RESET), data[:16].hex(" "))
        self.assertTrue(data.endswith(b"\x0c" + RESET), data[-16:].hex(" "))
        (rows,) = pages.decode(data)
        printed = [row for row in rows if row]
        self.assertTrue(printed and all(len(row) == 98 for row in printed),
                        "every GS v 0 row is the 100 mm label's 783 dots, 98 bytes")
        # Ghostscript renders the page at 203 dpi with its top edge at the first row; the printer prints the middle
        # 783 of the label's 799 dots, 8 to the left of them unprinted. So a point x mm from the left edge lands in
        # column dots(x) - 8, y mm from the top in row dots(y). CUPS places the page within the margin that the
        # printer reports (1.01 mm, 8.07 dots), not at a whole dot, and Ghostscript blackens every dot that an edge
        # touches: each edge may land one dot off.
        left = (dots(100) - 783) // 2
        x0, y0, x1, y1 = box_mm
        expected = (dots(x0) - left, dots(y0), dots(x1) - left, dots(y1))
        box = pages.black_box(rows)
        self.assertIsNotNone(box, "a white label")
        for name, got, wanted in zip(("left", "top", "right", "bottom"), box, expected):
            self.assertLessEqual(abs(got - wanted), 1,
                                 f"the rectangle's {name} edge at {got}, not {wanted}: {box} for {expected}; "
                                 f"CUPS's page sizes: {cups.page_sizes('T')}")


class EverywhereChecks(ClientCase):
    def test_cups_ipp_everywhere_checks_pass(self):
        self.require(self.lacking("ipptool", "convert")
                     or ("" if everywhere_checks.CUPS_TESTS.joinpath("ipp-everywhere.test").exists()
                         else "needs CUPS's ipp-everywhere.test (cups-ipp-utils)"))
        server = PrintServer()
        self.addCleanup(server.close)
        target = SocketPrinter()
        self.addCleanup(target.close)
        server.add_printer("label", "qrx-label-100x150", target.uri)
        folder = self.folder()
        tests = everywhere_checks.make_copy(folder / "checks")
        document = folder / "label.png"
        document.write_bytes(pages.png(400, 304, [(96, 48, 200, 104)]))
        # printer-up-time counts whole seconds from the printer's creation, and the checks want it above 0.
        wait_until(lambda: self.up_time(server, "label") > 0, 10, "printer-up-time above 0")

        checks, problems = everywhere_checks.run(tests, server.uri("label"), document)
        self.assertEqual(problems, [])
        failed = [(name, errors) for name, outcome, errors in checks if outcome == "fail"]
        self.assertEqual([name for name, _ in failed], [], "\n".join(
            f"{name}:\n" + "\n".join(f"  {error[:150]}" for error in errors) for name, errors in failed))
        # The checks that matter ran: a suite whose checks were all skipped would pass too.
        passed = {name for name, outcome, _ in checks if outcome == "pass"}
        for name in ("RFC 8011 section 4.2.1: Print-Job Operation",
                     "RFC 8011 section 4.2.5: Get-Printer-Attributes Operation (default)",
                     "Get-Job-Attributes Until Job Complete", "Print-Job with job-hold-until",
                     "PWG 5100.12 section 6.2 - Required Printer Description Attributes",
                     "PWG 5100.14 section 5.1/5.2 - Required Operations and Attributes"):
            self.assertIn(name, passed)

    @staticmethod
    def up_time(server, printer):
        result = server.ipp(printer, [
            "OPERATION Get-Printer-Attributes", "GROUP operation-attributes-tag",
            "ATTR charset attributes-charset utf-8", "ATTR naturalLanguage attributes-natural-language en",
            "ATTR uri printer-uri $uri", "ATTR keyword requested-attributes printer-up-time"])
        return next((group["printer-up-time"] for group in result.get("ResponseAttributes") or []
                     if "printer-up-time" in group), 0)


class SettingsPageInABrowser(ClientCase):
    """The page of a printer on the emulated USB bus, added when it was plugged in, in headless Chromium."""

    def test_the_printer_page_shows_the_model_and_the_settings_read_from_the_printer(self):
        self.require(self.lacking("chromium") or usb_bench_missing())
        from ctl_harness import Bench, ctl  # noqa: E402 - they need the emulated bus's GObject bindings
        from usb_bench import UsbBus
        bench, bus = Bench(), UsbBus()
        self.addCleanup(bench.close)
        self.addCleanup(bus.close)
        # A gap threshold no printer starts with: the page must show what was read from this printer.
        simulator = bench.printer("p", pid="1000", gap_threshold="0437")
        bus.plug(1, simulator, product=0x1000, serial="SIM0001")
        # The testbed is the test's own: the server (nobody, when the test runs as root) may use all of it, its
        # device node and the sockets that each program makes in its folders.
        for folder, _, files in os.walk(bus.testbed.get_root_dir()):
            os.chmod(folder, 0o777)
            for file in files:
                path = os.path.join(folder, file)
                if not os.path.islink(path):
                    os.chmod(path, 0o666)
        code, listed, err = ctl("list", env=bus.env())
        self.assertEqual(code, 0, err)
        model = listed.split("\t")[3]  # the model name quorvelctl gives this printer

        server = PrintServer(env=bus.env())
        self.addCleanup(server.close)
        queue = wait_until(lambda: self.only_queue(server), 20, "a queue for the plugged-in printer")

        home = f"http://127.0.0.1:{server.port}/{queue}"
        links = re.findall(r'<a [^>]*href="([^"]+)"[^>]*>Model and settings</a>', self.chromium("--dump-dom", home))
        self.assertEqual(len(set(links)), 1, f"one link to the settings page on {home}")
        page = f"http://127.0.0.1:{server.port}{links[0]}"
        dom = self.chromium("--dump-dom", page)
        self.assertIn(f'<p id="model">Model: {html.escape(model)}</p>', dom)
        settings = re.search(r'<pre id="settings">(.*?)</pre>', dom, re.S)
        self.assertIsNotNone(settings, dom[-2000:])
        self.assertTrue(any(line.startswith("GAP AD value") and line.endswith(":0437")
                            for line in settings[1].splitlines()), settings[1])

        artifacts = Path(os.environ.get("ARTIFACTS_DIR") or ROOT / "artifacts")
        artifacts.mkdir(parents=True, exist_ok=True)
        shot = artifacts / "quorvelprint-settings.png"
        shot.unlink(missing_ok=True)
        self.chromium("--window-size=1000,900", f"--screenshot={shot}", page)
        header = shot.read_bytes()[:24]
        self.assertEqual((header[:8], header[16:24]), (b"\x89PNG\r\n\x1a\n", (1000).to_bytes(4, "big") +
                                                      (900).to_bytes(4, "big")))

    @staticmethod
    def only_queue(server):
        try:
            code, out, _ = server.command("printers", timeout=10)
        except subprocess.TimeoutExpired:
            raise AssertionError("the server stopped answering once the printer was plugged in: "
                                 + server.log_text()[-2000:]) from None
        names = out.split()
        return names[0] if code == 0 and len(names) == 1 else None

    def chromium(self, *args):
        profile = self.folder()
        result = subprocess.run(["chromium", "--headless", "--no-sandbox", "--disable-gpu",
                                 f"--user-data-dir={profile}", *args], capture_output=True, text=True, timeout=120)
        self.assertEqual(result.returncode, 0, result.stderr[-2000:])
        return result.stdout


def usb_bench_missing():
    """Why the emulated USB bus cannot run here, or ""."""
    try:
        import gi
        gi.require_version("UMockdev", "1.0")
    except (ImportError, ValueError) as error:
        return f"needs umockdev's GObject bindings (gir1.2-umockdev-1.0, python3-gi): {error}"
    return ""


if __name__ == "__main__":
    unittest.main()
