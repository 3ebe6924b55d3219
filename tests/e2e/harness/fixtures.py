"""Registry and spooler fixtures: what Windows records about an attached USB printer."""
from . import paths
from .session import USB_PRINTER_CLASS

USBPRINT_ENUM = r"HKLM\SYSTEM\CurrentControlSet\Services\usbprint\Enum"
PRINTER_CLASS_KEY = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\" + USB_PRINTER_CLASS


def interface_key_name(instance):
    return "##?#" + instance.replace("\\", "#") + "#" + USB_PRINTER_CLASS


def register_usb_printer(session, instance, enum_index=0, port_number=1):
    """The usbprint Enum value and the interface's Port Number, as the USB printing class driver leaves them."""
    session.reg_add(USBPRINT_ENUM, str(enum_index), "REG_SZ", instance)
    if port_number is not None:
        key = PRINTER_CLASS_KEY + "\\" + interface_key_name(instance) + "\\#\\Device Parameters"
        session.reg_add(key, "Port Number", "REG_DWORD", port_number)


def add_windows_printer(session, name, port="USB001"):
    """A Windows printer with a raw-capable driver, listed by the spooler."""
    setup = paths.tool_exe("spooler_setup.exe")
    for args in (("add-driver",), ("add-printer", name, port)):
        code, out, err = session.run(setup, *args)
        if code != 0:
            raise RuntimeError(f"spooler_setup {' '.join(args)} failed: {err or out}")


def map_port_to_file(session, port, unix_file):
    """Raw jobs printed to `port` land in `unix_file` (each job replaces the file)."""
    session.reg_add(r"HKCU\Software\Wine\Printing\Spooler", port, "REG_SZ", str(unix_file))


def capture_port_jobs(session, port, folder):
    """Every raw job printed to `port` is stored as its own numbered file in `folder` (job-00000.bin, ...)."""
    script = paths.REPO_ROOT / "tests" / "e2e" / "harness" / "capture_job.sh"
    session.reg_add(r"HKCU\Software\Wine\Printing\Spooler", port, "REG_SZ", f"|{script} {folder}")


def captured_jobs(folder):
    return [path.read_bytes() for path in sorted(folder.glob("job-*.bin"))]
