"""The x86 installer package under Wine's msiexec, as the x64 one in test_msi, in a 32-bit prefix (32-bit Windows,
where the x86 package is the one to install; test_msi shows it refused on 64-bit Windows), with its 32-bit helper
putting the driver package into the driver store. Run through harness/with_wine32.sh, which lets Wine start 32-bit
programs."""
import unittest

import test_msi
from harness.session import WineSession


class Win32Session(WineSession):
    """A 32-bit prefix: every program, Wine's own included, runs with the 32-bit loader, and the registry has one
    view."""
    tool_loader = "wine"
    registry_views = ("/reg:32",)

    def _boot(self):
        self.env["WINEARCH"] = "win32"
        super()._boot()

    def loader(self, program=None):
        return self.tool_loader


class X86InstallerPackage(test_msi.InstallerPackage):
    arch = "x86"
    session_class = Win32Session
    # 64-bit Windows refusing the x86 package is shown in test_msi's x64 prefix; this prefix is 32-bit Windows.
    test_9_the_x86_package_is_refused_on_64_bit_windows = None


if __name__ == "__main__":
    unittest.main()
