"""Each built Windows program, in both architectures, carries its icon group and version information in Chinese and
English with one product name, a copyright line and the project's version. Read with wrestool (icoutils)."""
import os
import struct
import subprocess
import unittest
from pathlib import Path

PROGRAMS = ("config_tool/win32/Quorvel.exe", "driver_installer/win32/Omblet.exe", "cli/win32/quorvelctl.exe")
ICON_SIZES = {16, 20, 24, 32, 40, 48, 256}
GROUP_ICON, VERSION = 14, 16


def resource(exe, kind):
    found = subprocess.run(["wrestool", "-x", "--raw", f"--type={kind}", str(exe)], capture_output=True, check=True)
    return found.stdout


def version_strings(data):
    """The StringFileInfo blocks of a VS_VERSIONINFO resource: {block name: {key: value}}."""
    def read_node(offset):
        length, value_length, kind = struct.unpack_from("<HHH", data, offset)
        end_key = data.index(b"\0\0", offset + 6)
        while (end_key - offset) % 2:
            end_key = data.index(b"\0\0", end_key + 1)
        key = data[offset + 6:end_key].decode("utf-16-le")
        value_start = (end_key + 2 + 3) & ~3
        value_bytes = value_length * 2 if kind == 1 else value_length
        value = data[value_start:value_start + value_bytes]
        children_start = (value_start + value_bytes + 3) & ~3
        children = []
        child = children_start
        while child < offset + length:
            node, child_end = read_node(child)
            children.append(node)
            child = (child_end + 3) & ~3
        return (key, value, children), offset + length

    (_, _, top_children), _ = read_node(0)
    blocks = {}
    for key, _, children in top_children:
        if key != "StringFileInfo":
            continue
        for block, _, strings in children:
            blocks[block] = {name: value.decode("utf-16-le").rstrip("\0") for name, value, _ in strings}
    return blocks


def icon_sizes(group):
    _, _, count = struct.unpack_from("<HHH", group, 0)
    return {(group[6 + 14 * i] or 256) for i in range(count)}


class ProgramResources(unittest.TestCase):
    def builds(self):
        found = [Path(os.environ[name]) for name in ("WINDOWS_BUILD_DIR", "WINDOWS_X86_BUILD_DIR")
                 if os.environ.get(name)]
        self.assertTrue(found, "no Windows build named")
        return found

    def test_each_program_has_an_icon_group_with_every_size(self):
        for build in self.builds():
            for program in PROGRAMS:
                with self.subTest(exe=str(build / program)):
                    self.assertEqual(icon_sizes(resource(build / program, GROUP_ICON)), ICON_SIZES)

    def test_version_information_is_in_chinese_and_english_with_one_product_name_and_version(self):
        version = os.environ["PROJECT_VERSION"] + ".0"
        for build in self.builds():
            for program in PROGRAMS:
                with self.subTest(exe=str(build / program)):
                    blocks = version_strings(resource(build / program, VERSION))
                    self.assertEqual(set(blocks), {"080404b0", "040904b0"})
                    for strings in blocks.values():
                        self.assertEqual(strings["ProductName"], "Quorvel")
                        self.assertEqual(strings["FileVersion"], version)
                        self.assertEqual(strings["ProductVersion"], version)
                        self.assertEqual(strings["OriginalFilename"], Path(program).name)
                        self.assertTrue(strings["LegalCopyright"].startswith("Copyright"), strings)
                    english = blocks["040904b0"]["FileDescription"]
                    self.assertTrue(english and english.isascii(), english)


if __name__ == "__main__":
    unittest.main()
