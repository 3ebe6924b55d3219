"""Access on the emulated USB bus: a user who may not open a printer's device node is told which udev rule and which
group give access. Its own CTest entry, so that a skip (not run as root) shows there and hides nothing else."""
import os
import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

from ctl_harness import QUORVELCTL
from test_usb_program import UsbCase


class UsbAccess(UsbCase):
    def test_a_printer_the_user_may_not_open_is_named_with_the_rule_and_the_group(self):
        # As root, setpriv drops to nobody, who may not open the device node. Elsewhere the test cannot run: a skip
        # that CTest shows, or under CI (which has what it needs) a failure.
        if os.geteuid() != 0 or shutil.which("setpriv") is None:
            reason = "needs root and setpriv, to run the program as a user without access"
            if os.environ.get("CI"):
                self.fail(f"cannot run under CI: {reason}")
            self.skipTest(reason)
        nobody = ("setpriv", "--reuid=65534", "--regid=65534", "--clear-groups")
        # The build folder may lie where other users cannot go (a clone under /root): run a copy from a folder that
        # everyone can reach, so that only the device node's own permissions keep the user out.
        folder = Path(tempfile.mkdtemp(prefix="quorvelctl-nobody-"))
        self.addCleanup(shutil.rmtree, folder, True)
        folder.chmod(0o755)
        program = folder / "quorvelctl"
        shutil.copy2(QUORVELCTL, program)
        program.chmod(0o755)
        self.assertEqual(subprocess.run([*nobody, program, "--version"], capture_output=True).returncode, 0,
                         "an unprivileged user cannot run the copy of the program")
        _, printer = self.printer("p", 1)
        root = self.bus.testbed.get_root_dir()
        for folder, _, _ in os.walk(root):
            os.chmod(folder, 0o777)  # umockdev's event sockets are made in it by each program
        # The testbed is the test's own: everyone may use it (its sockets included), except the device node.
        for folder, _, files in os.walk(root):
            for file in files:
                path = os.path.join(folder, file)
                if not os.path.islink(path):
                    os.chmod(path, 0o666)
        node_file = os.path.join(root, printer.node.lstrip("/"))
        os.chmod(node_file, 0o600)
        code, _, err = self.run_ctl("read", "--device", printer.node, prefix=nobody, program=program)
        self.assertEqual(code, 3, err)
        self.assertIn(f"cannot open {printer.node}: permission denied", err)
        self.assertIn("70-quorvelctl.rules", err)
        self.assertIn("'lp'", err)




if __name__ == "__main__":
    unittest.main()
