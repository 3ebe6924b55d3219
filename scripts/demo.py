"""Quorvel.exe under Wine with one simulated printer attached. Usage: scripts/demo [--seconds N]"""
import argparse
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))

from harness import fixtures, paths  # noqa: E402
from harness.gui import GuiDriver  # noqa: E402
from harness.printer import SimulatedPrinter  # noqa: E402
from harness.session import WineSession  # noqa: E402

CAPTION = "热敏打印机参数设置工具V1.0--2017-12-12"
INSTANCE = "USB\\VID_1A86&PID_1000\\DEMO0001"


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--seconds", type=int, default=0,
                        help="on a real display, close after this many seconds (default: when the window closes)")
    args = parser.parse_args()

    screenshots = paths.REPO_ROOT / "artifacts" / "demo"
    session = WineSession("demo", use_existing_display=True)
    session.artifacts = screenshots
    screenshots.mkdir(parents=True, exist_ok=True)
    try:
        printer = SimulatedPrinter(session, INSTANCE)
        fixtures.register_usb_printer(session, INSTANCE, enum_index=0, port_number=1)
        fixtures.add_windows_printer(session, "KESTRAMO X1", "USB001")
        process = session.start(session.install_program(paths.quorvel_exe()))
        gui = GuiDriver(session)
        gui.wait(CAPTION)
        time.sleep(1)
        shot = session.screenshot("01-main-window")
        print(f"simulated printer at {printer.device_path}")
        if session.display.headless:
            print(f"no display: screenshots saved in {screenshots}/ ({shot.name})")
            return 0
        print(f"Quorvel runs on {session.display.name}; close its window to end the demo")
        deadline = time.monotonic() + args.seconds if args.seconds else None
        while process.poll() is None and (deadline is None or time.monotonic() < deadline):
            time.sleep(0.5)
        return 0
    finally:
        session.close()


if __name__ == "__main__":
    sys.exit(main())
