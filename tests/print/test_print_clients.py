"""quorvelprint with the clients its users have: a private cupsd in front of it (lpadmin -m everywhere, lp of a PDF),
CUPS's own IPP Everywhere checks, and its printer's settings page in headless Chromium. These run as root (cupsd as
root with filters as lp, the server as nobody); elsewhere they are skipped, and under CI they fail instead."""
import os
import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

import everywhere_checks
import pages
from cups_harness import PROGRAMS as CUPS_PROGRAMS, PrivateCups
from print_harness import ROOT, PrintServer, SocketPrinter, wait_until

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

    def root_and(self, *programs):
        if os.geteuid() != 0:
            return "needs root, to run cupsd and to run the server as an unprivileged user"
        absent = [name for name in programs if shutil.which(name) is None]
        return f"needs {', '.join(absent)}" if absent else ""

    def folder(self):
        path = Path(tempfile.mkdtemp(prefix="quorvelprint-clients-"))
        self.addCleanup(shutil.rmtree, path, True)
        return path


class CupsInFront(ClientCase):
    def test_a_pdf_printed_through_cups_arrives_as_the_windows_driver_sends_it(self):
        self.require(self.root_and(*CUPS_PROGRAMS))
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
        self.assertEqual(state, "completed", (reasons, message, cups.log_text()[-4000:]))
        (job,) = server.jobs("label")
        state, reasons, message = server.wait_job("label", job)
        self.assertEqual(state, "completed", (reasons, message, server.log_text()[-3000:]))

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
        self.require(self.root_and("ipptool", "convert")
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


if __name__ == "__main__":
    unittest.main()
