"""Starting the configuration tool the way a user does: through its launcher."""
import shutil

from . import paths

LAUNCHER = "版本(Version)"
MAIN = "热敏打印机参数设置工具V1.0--2017-12-12"
HANDHELD = "蓝牙打印机参数设置"
LANGUAGE_OPTION = {"English": "Option2", "中文": "Option1"}
ENTRY_BUTTON = {MAIN: "Command1", HANDHELD: "Command2"}
SKIN_ENGINE_DLL = "SkinH_VB6.dll"


def install(session, folder="C:\\Quorvel", skin_files=(), recording_skin_engine=False):
    """Copies Quorvel into the prefix, with extra (empty) skin files and, if asked, the recording skin engine."""
    program = session.install_program(paths.quorvel_exe(), folder)
    skin_folder = session.drive_c(folder) / "skin"
    skin_folder.mkdir(exist_ok=True)
    for name in skin_files:
        (skin_folder / name).write_bytes(b"")
    if recording_skin_engine:
        shutil.copy2(paths.tool_exe("skin_recorder.dll"), session.drive_c(folder) / SKIN_ENGINE_DLL)
    return program


def skin_calls(session, folder="C:\\Quorvel"):
    log = session.drive_c(folder) / "skin_calls.log"
    return log.read_text(encoding="utf-8").splitlines() if log.exists() else []


def start(session, gui, folder="C:\\Quorvel", **install_args):
    """Installs and starts Quorvel; returns the process once its launcher shows."""
    process = session.start(install(session, folder, **install_args))
    gui.wait(LAUNCHER)
    return process


def enter(gui, language="English", window=MAIN):
    """Picks the language in the launcher and opens `window` (the main or the handheld window)."""
    gui.click(LAUNCHER, LANGUAGE_OPTION[language])
    gui.click(LAUNCHER, ENTRY_BUTTON[window])
    gui.wait(window)
    gui.gone(LAUNCHER)


FIRST_READ_ENDINGS = ("Read correct!", "数据读取OK", "读取失败", "Cannot open the printer", "打开打印机失败")


def wait_for_first_read(gui, timeout=20):
    """A printer found at load is read once at the first automatic-read tick, about four seconds in. Waits until
    that read has shown its outcome, so that it cannot overwrite what a test then sets."""
    import time
    deadline = time.monotonic() + timeout
    if not gui.dump(MAIN)["by_name"]["List3"].get("items"):
        return  # no printer identified at load: nothing is read
    while not gui.dump(MAIN)["by_name"]["RichTextBox1"]["text"].startswith(FIRST_READ_ENDINGS):
        if time.monotonic() > deadline:
            raise AssertionError("the read of the printer found at load did not end")
        time.sleep(0.3)


def open_main_window(session, gui, language="English", folder="C:\\Quorvel", printer_attached=False):
    process = start(session, gui, folder)
    enter(gui, language)
    if printer_attached:
        wait_for_first_read(gui)
    return process


QUERY = b"RETURN VALUE\r\n"


def read_after_click(gui, printer, click, title=MAIN, timeout=30):
    """Clicks the read button through `click` and returns the report that this read brought.

    An earlier read (the automatic one at load) leaves a report of its own, so the printer's head temperature is
    changed first: only a read made after the change can show the new value. The printer must also have received
    a query after the click, which proves the click itself, and not a timer, made the read."""
    import time
    temperature = f"{(int(printer.state()['temperature']) + 1) % 1000:03d}"
    printer.control(f"set temperature {temperature}")
    deadline = time.monotonic() + 10
    while printer.state()["temperature"] != temperature:
        if time.monotonic() > deadline:
            raise AssertionError(f"the simulated printer did not take the temperature {temperature}")
        time.sleep(0.05)
    queries = printer.received().count(QUERY)
    click()
    deadline = time.monotonic() + timeout
    while printer.received().count(QUERY) <= queries:
        if time.monotonic() > deadline:
            raise AssertionError("the printer received no query after the click on the read button")
        time.sleep(0.1)
    shown = (f"temprature:{temperature}degree", f"温度值:{temperature}摄氏度")
    while not any(value in (text := gui.dump(title)["by_name"]["RichTextBox1"]["text"]) for value in shown):
        if time.monotonic() > deadline:
            raise AssertionError(f"the report of the clicked read (temperature {temperature}) did not show; "
                                 f"debug view: {text!r}")
        time.sleep(0.2)
    return text
