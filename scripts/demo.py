"""Quorvel.exe under Wine with one simulated printer attached. Usage: scripts/demo [--seconds N]"""
import argparse
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))

from harness import fixtures, paths, quorvel  # noqa: E402
from harness.gui import GuiDriver  # noqa: E402
from harness.printer import SimulatedPrinter  # noqa: E402
from harness.session import WineSession  # noqa: E402

CONSOLE = "Lumisk-条码打印机指令测试"
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
        gui = GuiDriver(session)
        process = quorvel.start(session, gui)
        print(f"simulated printer at {printer.device_path}")
        if not session.display.headless:
            print(f"Quorvel runs on {session.display.name}; close its windows to end the demo")
        else:
            # No one to click: walk through the launcher, a read and the console, and keep a picture of each.
            time.sleep(1)
            shots = [session.screenshot("01-launcher")]
            quorvel.enter(gui, "中文")
            time.sleep(1)
            shots.append(session.screenshot("02-main-window"))
            gui.click(quorvel.MAIN, "Command8")
            deadline = time.monotonic() + 15
            while not gui.dump(quorvel.MAIN)["by_name"]["RichTextBox1"]["text"].startswith("数据读取OK"):
                if time.monotonic() > deadline:
                    print("the simulated printer did not answer the read")
                    return 1
                time.sleep(0.3)
            shots.append(session.screenshot("03-after-read"))
            gui.click(quorvel.MAIN, "Command6")
            gui.wait(CONSOLE)
            time.sleep(1)
            shots.append(session.screenshot("04-console"))
            print(f"no display: screenshots saved in {screenshots}/ ({', '.join(shot.name for shot in shots)})")
            return 0
        deadline = time.monotonic() + args.seconds if args.seconds else None
        while process.poll() is None and (deadline is None or time.monotonic() < deadline):
            time.sleep(0.5)
        return 0
    finally:
        session.close()


if __name__ == "__main__":
    sys.exit(main())
