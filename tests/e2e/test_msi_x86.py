"""The x86 installer package under Wine's msiexec, as the x64 one in test_msi: into Program Files (x86) of 64-bit
Windows, with its 32-bit helper putting the driver package into the driver store. Run through
harness/with_wine32.sh, which lets Wine start the 32-bit helper."""
import unittest

import test_msi
import test_x86


class X86InstallerPackage(test_msi.InstallerPackage):
    arch = "x86"
    session_class = test_x86.X86Session


if __name__ == "__main__":
    unittest.main()
