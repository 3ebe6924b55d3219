"""quorvelprint prints what IPP clients send with the bytes of the printers' Windows driver, to a printer behind a
raw TCP port; it keeps serving whatever it is sent."""
import os
import subprocess
import tempfile
import unittest
from pathlib import Path

import pages
from print_harness import PrintServer, SocketPrinter, wait_until

QUERY = b"RETURN VALUE\r\n"
RESET = b"\x1b@"


class PrintServerCase(unittest.TestCase):
    queues = 0

    @classmethod
    def setUpClass(cls):
        cls.server = PrintServer()
        cls.files = Path(tempfile.mkdtemp(prefix="quorvelprint-pages-"))

    @classmethod
    def tearDownClass(cls):
        cls.server.close()

    def printer(self, driver):
        """A new queue on its own raw port; returns its name and the port."""
        target = SocketPrinter()
        self.addCleanup(target.close)
        PrintServerCase.queues += 1
        name = f"q{PrintServerCase.queues}_{driver}".replace("-", "_")
        self.server.add_printer(name, driver, target.uri)
        return name, target

    def write(self, name, data):
        path = self.files / name
        path.write_bytes(data)
        return path

    def print_and_wait(self, name, path, format, **attributes):
        job = self.server.submit(name, path, format, **attributes)
        state, reasons, message = self.server.wait_job(name, job)
        return job, state, reasons, message


class DriverBytes(PrintServerCase):
    def test_a_pwg_raster_page_arrives_as_the_windows_driver_sends_it(self):
        # driver, medium width in dots (the raster PAPPL and CUPS make), printable width, rows, a black box in the
        # raster's columns, where it prints (the rows are cropped around their middle), roll or label.
        cases = [
            ("qrx-label-100x150", 799, 783, 1000, (208, 100, 408, 150), (200, 100, 400, 150), False),
            ("qrx-label-76x130", 607, 591, 700, (8, 0, 16, 1), (0, 0, 8, 1), False),  # the first printable dots
            ("qrx-roll-80", 639, 576, 600, (100, 300, 300, 340), (69, 300, 269, 340), True),
            ("qrx-roll-58", 463, 384, 500, (0, 50, 463, 60), (0, 50, 384, 60), True),  # black beyond the edges
            # More than 32 KB of black rows: two blocks.
            ("qrx-invoice-241x140", 1926, 1910, 300, (0, 10, 1926, 250), (0, 10, 1910, 250), False),
        ]
        for driver, width, printable, height, box, printed, roll in cases:
            with self.subTest(driver=driver):
                name, target = self.printer(driver)
                path = self.write(f"{driver}.pwg", pages.pwg_raster(width, height, [box]))
                _, state, reasons, message = self.print_and_wait(name, path, "image/pwg-raster")
                self.assertEqual(state, "completed", (reasons, message, self.server.log_text()[-3000:]))
                expected = pages.driver_bytes(pages.one_bit_rows(printable, height, [printed]), roll=roll)
                # The first job asks the printer for its settings (to follow the media type); a printer behind a
                # raw port that answers nothing is not asked again.
                self.assertEqual(target.received(1)[0], QUERY + RESET + expected + RESET)

    def test_a_second_job_is_not_held_up_by_a_printer_that_sends_nothing_back(self):
        name, target = self.printer("qrx-label-100x100")
        page = self.write("second.pwg", pages.pwg_raster(799, 100, [(8, 10, 16, 20)]))
        for _ in range(2):
            self.assertEqual(self.print_and_wait(name, page, "image/pwg-raster")[1], "completed")
        first, second = target.received(2)
        self.assertTrue(first.startswith(QUERY + RESET))
        self.assertTrue(second.startswith(RESET + RESET + b"\x1bJ\x0a"), second[:16])
        self.assertIn("not set for this printer's jobs", self.server.log_text())

    def test_pictures_land_at_their_place(self):
        # A 400 x 304 picture at 203 dpi, not scaled, on a 100 x 150 mm label: centred on the medium (799 x 1198
        # dots), then cropped by 8 dots on the left. Its box lies on JPEG's 8 x 8 blocks, so both formats give the
        # same dots.
        box = (96, 48, 200, 104)
        picture = self.write("picture.png", pages.png(400, 304, [box]))
        photo = self.files / "picture.jpg"
        pages.jpeg(picture, photo)
        one_bit = self.files / "picture-1bit.png"
        subprocess.run(["convert", str(picture), "-type", "bilevel", "-depth", "1", str(one_bit)], check=True)
        left, top = (799 - 400) // 2 - 8, (1198 - 304) // 2
        expected = (left + box[0], top + box[1], left + box[2], top + box[3])
        for path, format in ((picture, "image/png"), (photo, "image/jpeg"), (one_bit, "image/png")):
            with self.subTest(file=path.name):
                name, target = self.printer("qrx-label-100x150")
                _, state, reasons, message = self.print_and_wait(name, path, format, print_scaling="none",
                                                                 orientation_requested=3, print_quality=4)
                self.assertEqual(state, "completed", (reasons, message))
                received = target.received(1)[0]
                self.assertTrue(received.startswith(QUERY + RESET + RESET), received[:32])
                (rows,) = pages.decode(received[len(QUERY):])
                self.assertTrue(all(len(row) in (0, 98) for row in rows), "rows of the 100 mm label's 783 dots")
                self.assertEqual(pages.black_box(rows), expected)


class Safety(PrintServerCase):
    def test_only_the_user_and_admins_administer_and_root_is_refused(self):
        # Whoever reaches the local socket administers: PAPPL makes it open to everyone.
        socket_file = wait_until(lambda: next(self.server.folder.glob("quorvelprint*.sock"), None), 10, "the socket")
        wait_until(lambda: socket_file.stat().st_mode & 0o077 == 0, 10, "the socket to be closed to others")
        # Without avahi-daemon, a device listing that reached DNS-SD would abort the server: ours never does.
        code, out, err = self.server.command("devices")
        self.assertEqual(code, 0, err)
        self.assertEqual(self.server.command("status")[0], 0)
        if os.geteuid() == 0:
            # Over TCP from this machine, a user outside the admin group may read a printer but not change it.
            name, _ = self.printer("qrx-label-100x100")
            change = ["OPERATION Set-Printer-Attributes", "GROUP operation-attributes-tag",
                      "ATTR charset attributes-charset utf-8", "ATTR naturalLanguage attributes-natural-language en",
                      "ATTR uri printer-uri $uri", "GROUP printer-attributes-tag",
                      "ATTR boolean sensor-follows-media-default false"]
            read = ["OPERATION Get-Printer-Attributes", "GROUP operation-attributes-tag",
                    "ATTR charset attributes-charset utf-8", "ATTR naturalLanguage attributes-natural-language en",
                    "ATTR uri printer-uri $uri"]
            stranger = ("setpriv", "--reuid=65533", "--regid=65533", "--clear-groups")
            self.assertEqual(self.server.ipp(name, change, prefix=stranger).get("StatusCode"),
                             "client-error-forbidden")
            self.assertEqual(self.server.ipp(name, read, prefix=stranger).get("StatusCode"), "successful-ok")
            self.assertEqual(self.server.ipp(name, change).get("StatusCode"), "successful-ok")  # root may
            result = subprocess.run([str(self.server.program), "server", "-o", "server-port=0"], capture_output=True,
                                    text=True, timeout=30, env={**self.server.env, "HOME": "/nonexistent"})
            self.assertNotEqual(result.returncode, 0)
            self.assertIn("will not run as root", result.stderr)


class BadInput(PrintServerCase):
    def test_bad_files_end_with_a_reason_and_the_server_prints_on(self):
        name, target = self.printer("qrx-label-100x150")
        good = pages.pwg_raster(799, 100, [(208, 10, 408, 20)])
        wide_page = pages.pwg_raster(2000, 50, [(0, 10, 2000, 20)])
        # file, format, the end it must reach, words of its message
        cases = [
            ("wide.pwg", wide_page, "image/pwg-raster", "completed", ""),  # wider than the medium: cropped
            ("too-wide.pwg", pages.pwg_raster(5000, 10), "image/pwg-raster", "aborted", "5000 dots wide"),
            ("ten-metres.pwg", pages.pwg_raster(799, 81200), "image/pwg-raster", "aborted", "mm long"),
            ("300dpi.pwg", pages.pwg_raster(799, 10, dpi=300), "image/pwg-raster", "aborted", "300x300 dpi"),
            ("damaged.pwg", pages.pwg_raster(799, 10, header_width=900), "image/pwg-raster", "aborted", ""),
            ("cut-short.pwg", good[:len(good) // 3], "image/pwg-raster", None, ""),
            ("text.png", b"this is not a picture\n" * 40, "image/png", "aborted", ""),
            ("text.jpg", b"this is not a photo\n" * 40, "image/jpeg", "aborted", ""),
        ]
        for file, data, format, end, words in cases:
            with self.subTest(file=file):
                before = len(target.jobs)
                try:
                    job = self.server.submit(name, self.write(file, data), format)
                    state, reasons, message = self.server.wait_job(name, job)
                except AssertionError as refused:  # refused with the request itself: as good as an aborted job
                    state, reasons, message = "refused", [], str(refused)
                if end is not None:
                    self.assertIn(state, (end, "refused") if end == "aborted" else (end,), (reasons, message))
                self.assertIn(words, message)
                # The server still serves, and the printer is left ready: the next job starts from its defaults.
                self.assertEqual(self.print_and_wait(name, self.write("good.pwg", good), "image/pwg-raster")[1],
                                 "completed")
                received = target.received(len(target.jobs) if len(target.jobs) > before else before + 1)[-1]
                self.assertTrue(received.startswith(RESET + RESET) and received.endswith(b"\x0c" + RESET))


if __name__ == "__main__":
    unittest.main()
