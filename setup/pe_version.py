"""The file version of a Windows program, from the fixed part of its version resource (VS_FIXEDFILEINFO), which
Windows Installer compares when it decides whether to replace an installed file."""
import struct

KEY = "VS_VERSION_INFO\0".encode("utf-16-le")
SIGNATURE = 0xFEEF04BD


def file_version(data):
    """"major.minor.build.revision" of the program's bytes, or None when it has no version resource."""
    start = data.find(KEY)
    while start >= 0:
        # The fixed part follows the key, aligned to 32 bits from the resource's start (6 bytes before the key).
        fixed = start + len(KEY)
        fixed += (4 - (fixed - (start - 6)) % 4) % 4
        if data[fixed:fixed + 4] == struct.pack("<I", SIGNATURE):
            most, least = struct.unpack_from("<II", data, fixed + 8)
            return f"{most >> 16}.{most & 0xFFFF}.{least >> 16}.{least & 0xFFFF}"
        start = data.find(KEY, start + 1)
    return None
