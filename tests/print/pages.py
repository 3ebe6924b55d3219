"""Test pages: PWG raster, PNG, JPEG and PDF with black rectangles at known places, and the bytes the printers' Windows
driver sends for a one-bit page (the table of docs/driver-package.md), to compare what a printer received."""
import struct
import subprocess
import zlib

DPI = 203


def pwg_raster(width, height, black=(), pages=1, bits=8, dpi=DPI, color_space=18, header_width=None):
    """An 8-bit grey PWG raster (sGray: 255 is white) of `pages` pages, `black` a list of (x0, y0, x1, y1) boxes
    (end exclusive). `header_width` writes another width into the header than the rows have (a damaged file)."""
    out = bytearray(b"RaS2")
    for _ in range(pages):
        header = bytearray(1796)
        header[0:9] = b"PwgRaster"
        def put(offset, value):
            struct.pack_into(">I", header, offset, value)
        put(276, dpi)
        put(280, dpi)
        put(340, 1)
        put(352, round(width * 72 / dpi))
        put(356, round(height * 72 / dpi))
        put(372, header_width if header_width is not None else width)
        put(376, height)
        put(384, bits)
        put(388, bits)
        put(392, (width * bits + 7) // 8)
        put(400, color_space)
        put(420, 1)
        put(452, pages)  # cupsInteger[0]: the total page count
        out += header
        for y in range(height):
            row = bytearray(b"\xff" * width)
            for x0, y0, x1, y1 in black:
                if y0 <= y < y1:
                    row[x0:x1] = b"\x00" * (x1 - x0)
            out += b"\x00" + _runs(row)  # no line repeat
    return bytes(out)


def _runs(row):
    """PWG raster's run-length code for one row of one-byte pixels."""
    out = bytearray()
    at = 0
    while at < len(row):
        run = 1
        while at + run < len(row) and run < 128 and row[at + run] == row[at]:
            run += 1
        if run > 1:
            out += bytes([run - 1, row[at]])
        else:
            # Literal pixels, up to the next repeat.
            end = at + 1
            while end < len(row) and end - at < 128 and (end + 1 >= len(row) or row[end] != row[end + 1]):
                end += 1
            out += bytes([257 - (end - at)]) + row[at:end] if end - at > 1 else bytes([0, row[at]])
            at = end
            continue
        at += run
    return bytes(out)


def png(width, height, black=(), dpi=DPI):
    """An 8-bit grey PNG at `dpi` (its pHYs chunk), white with black boxes."""
    raw = bytearray()
    for y in range(height):
        row = bytearray(b"\xff" * width)
        for x0, y0, x1, y1 in black:
            if y0 <= y < y1:
                row[x0:x1] = b"\x00" * (x1 - x0)
        raw += b"\x00" + row
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    per_metre = round(dpi / 0.0254)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 0, 0, 0, 0)) +
            chunk(b"pHYs", struct.pack(">IIB", per_metre, per_metre, 1)) + chunk(b"IDAT", zlib.compress(bytes(raw))) +
            chunk(b"IEND", b""))


def pdf(width_mm, height_mm, black_mm=()):
    """A one-page PDF written by hand: a page of `width_mm` x `height_mm`, white, with black filled rectangles
    `black_mm` (x0, y0, x1, y1 in millimetres from the page's top left corner, as the printer's rows count)."""
    def points(mm):
        return f"{mm * 72 / 25.4:.4f}"
    drawing = "".join(f"0 g {points(x0)} {points(height_mm - y1)} {points(x1 - x0)} {points(y1 - y0)} re f\n"
                      for x0, y0, x1, y1 in black_mm).encode()
    objects = [b"<< /Type /Catalog /Pages 2 0 R >>", b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
               f"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 {points(width_mm)} {points(height_mm)}] "
               "/Contents 4 0 R /Resources << >> >>".encode(),
               b"<< /Length %d >>\nstream\n" % len(drawing) + drawing + b"endstream"]
    out = bytearray(b"%PDF-1.4\n")
    offsets = []
    for number, body in enumerate(objects, 1):
        offsets.append(len(out))
        out += b"%d 0 obj\n" % number + body + b"\nendobj\n"
    table = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    out += b"".join(b"%010d 00000 n \n" % offset for offset in offsets)
    out += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objects) + 1, table)
    return bytes(out)


def jpeg(png_path, jpeg_path):
    """The same picture as a JPEG (ImageMagick), at the PNG's resolution."""
    subprocess.run(["convert", str(png_path), "-density", str(DPI), "-units", "PixelsPerInch", "-quality", "100",
                    str(jpeg_path)], check=True)


def one_bit_rows(width, height, black=()):
    """The rows of a page as the printer gets them: eight dots a byte, black = 1."""
    row_bytes = (width + 7) // 8
    rows = []
    for y in range(height):
        bits = bytearray(row_bytes)
        for x0, y0, x1, y1 in black:
            if y0 <= y < y1:
                for x in range(max(x0, 0), min(x1, width)):
                    bits[x // 8] |= 0x80 >> (x % 8)
        rows.append(bytes(bits))
    return rows


def driver_bytes(rows, roll=False):
    """One page as the Windows driver sends it, without the job's own ESC @ before and after: ESC @, ESC J for white
    rows (a roll: none above the first printed row, 24 after the last), GS v 0 blocks of at most 32 KB, FF."""
    out = bytearray(b"\x1b@")
    white = 0
    printed = False
    block = []
    def flush():
        nonlocal block
        if block:
            width = len(block[0])
            out.extend(b"\x1dv0\x00" + struct.pack("<HH", width, len(block)) + b"".join(block))
            block = []
    def feed(count):
        while count > 0:
            step = min(count, 255)
            out.extend(b"\x1bJ" + bytes([step]))
            count -= step
    for row in rows:
        if not any(row):
            flush()
            white += 1
            continue
        if white and (not roll or printed):
            feed(white)
        white = 0
        if (len(block) + 1) * len(row) > 32768:
            flush()
        block.append(row)
        printed = True
    flush()
    if roll and printed:
        feed(24)
    out += b"\x0c"
    return bytes(out)


def decode(data):
    """The pages a printer received, each as (rows, row_bytes): the GS v 0 blocks placed at their rows, ESC J moving
    down. Other commands (ESC @, FF) are skipped; FF starts a new page."""
    pages, rows, at = [], [], 0
    while at < len(data):
        if data.startswith(b"\x1d\x76\x30\x00", at):
            width, count = struct.unpack_from("<HH", data, at + 4)
            at += 8
            for _ in range(count):
                rows.append(bytes(data[at:at + width]))
                at += width
        elif data.startswith(b"\x1bJ", at):
            rows.extend([b""] * data[at + 2])
            at += 3
        elif data.startswith(b"\x1b@", at):
            at += 2
        elif data[at] == 0x0C:
            pages.append(rows)
            rows = []
            at += 1
        else:
            raise ValueError(f"unexpected byte {data[at]:#04x} at {at}")
    return pages


def black_box(rows):
    """(x0, y0, x1, y1) around every black dot of `rows` (end exclusive); None for a white page."""
    box = None
    for y, row in enumerate(rows):
        for index, byte in enumerate(row):
            if not byte:
                continue
            for bit in range(8):
                if byte & (0x80 >> bit):
                    x = index * 8 + bit
                    box = (x, y, x + 1, y + 1) if box is None else (min(box[0], x), min(box[1], y),
                                                                    max(box[2], x + 1), max(box[3], y + 1))
    return box
