"""The installer packages under Wine's msiexec: building test packages from a build's inputs, installing and
removing them, and reading what they left in the prefix (files, shortcuts, Installed apps entries, driver store)."""
import getpass
import os
import re
import shutil
import subprocess
from pathlib import Path

from . import paths

BUILD_MSI = paths.REPO_ROOT / "setup" / "build_msi.py"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"
# Windows puts a per-machine package's shortcuts into the start menu of all users; Wine 8 puts them into the
# installing user's. Either is where the shortcuts are looked for; only one may hold them.
START_MENUS = ("C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Quorvel",
               "C:\\users\\{user}\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Quorvel")
SHORTCUTS = {"Quorvel 打印机设置.lnk": "Quorvel.exe", "Quorvel printer settings.lnk": "Quorvel.exe",
             "Quorvel 与 Omblet 使用说明.lnk": "guide.zh.html", "Quorvel and Omblet user guide.lnk": "guide.en.html"}
# Exit codes of msiexec that deployment tools read.
SUCCESS, FATAL_ERROR, UNKNOWN_PRODUCT = 0, 1603, 1605
# Windows ends an install whose custom action failed with 1603; Wine's msiexec ends it with 1627 (function failed).
WINE_ACTION_FAILED = 1627
# Wine hands a Linux parent only the low byte of a Windows exit code (1603 arrives as 67), so msiexec runs under a
# batch file of Wine's cmd, which waits for it and prints the whole code, as a deployment tool on Windows reads it.
MSIEXEC_BATCH = "@start \"\" /wait msiexec %*\r\n@echo msiexec exit %errorlevel%\r\n"


def make_guide(folder):
    """A small stand-in for the release guide: both pages and a picture in a subfolder."""
    (folder / "images").mkdir(parents=True, exist_ok=True)
    (folder / "guide.zh.html").write_text("<html><body>使用说明</body></html>\n", encoding="utf-8")
    (folder / "guide.en.html").write_text("<html><body>User guide</body></html>\n", encoding="utf-8")
    (folder / "images" / "launcher.png").write_bytes(b"\x89PNG\r\n\x1a\n" + bytes(range(64)))
    return folder


def build_package(build, arch, out, version=None, guide=None, stage=None):
    """Builds a package as the build does, from its inputs, with another version, staged folder or output and a
    guide."""
    command = ["python3", str(BUILD_MSI), "--inputs", str(build / "msi" / f"{arch}.json"), "--out", str(out)]
    if version:
        command += ["--version", version]
    if stage:
        command += ["--stage", str(stage)]
    if guide:
        command += ["--guide", str(guide)]
    result = subprocess.run(command, capture_output=True, text=True, timeout=300)
    assert result.returncode == 0, result.stdout + result.stderr
    return out


def wine_tool(session):
    """The loader that starts Wine's own programs (msiexec, cmd, reg): the 64-bit one, unless the session is a
    32-bit prefix."""
    return getattr(session, "tool_loader", "/usr/lib/wine/wine64")


def registry_views(session):
    """The registry views to look in: a 32-bit prefix has only one."""
    return getattr(session, "registry_views", ("/reg:64", "/reg:32"))


def msiexec(session, *args, log=None, timeout=600):
    """Runs Wine's 64-bit msiexec to its end; its Windows exit code, and the verbose log when `log` names one."""
    batch = session.root / "msiexec.cmd"
    batch.write_bytes(MSIEXEC_BATCH.encode("ascii"))
    command = [wine_tool(session), "cmd", "/c", session.windows_path(batch), *map(str, args)]
    if log:
        command += ["/l*v", session.windows_path(log)]
    result = subprocess.run(command, env=session.env, capture_output=True, timeout=timeout)
    # msiexec may leave its service working on: wait for everything in the prefix to end before looking.
    subprocess.run(["wineserver", "-w"], env=session.env, timeout=timeout)
    found = re.search(rb"msiexec exit (-?\d+)", result.stdout)
    assert found, f"msiexec ran but printed no exit code: {result.stdout!r} {result.stderr!r}"
    return int(found.group(1)) & 0xFFFFFFFF


def product_code(package):
    """The ProductCode of a package file, from its Property table."""
    exported = subprocess.run(["msiinfo", "export", str(package), "Property"], capture_output=True, check=True,
                              timeout=60).stdout.decode("utf-8")
    return re.search(r"(?m)^ProductCode\t(\{[0-9A-F-]{36}\})", exported).group(1)


def stage_with_a_refused_driver(stage, folder):
    """A copy of a staged release whose QRX.inf the driver store refuses: it has no [Version] signature."""
    shutil.copytree(stage, folder, dirs_exist_ok=True)
    (folder / "QRX" / "QRX.inf").write_text("[Strings]\r\nNotADriver=1\r\n", encoding="ascii")
    return folder


def registry_value(session, key, name, view):
    """The data of a registry value as reg prints it, or None when it is not there."""
    view = [view] if view in registry_views(session) else []
    result = subprocess.run([wine_tool(session), "reg", "query", key, "/v", name, *view], env=session.env,
                            capture_output=True, timeout=60)
    found = re.search(rf"(?m)^\s+{re.escape(name)}\s+REG_\w+\s+(.*?)\s*$", result.stdout.decode("utf-8", "replace"))
    return found.group(1) if result.returncode == 0 and found else None


def machine_path_entries(session):
    """The entries of the machine's PATH, as the registry holds it."""
    value = registry_value(session, r"HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment", "PATH",
                           registry_views(session)[0])
    return [entry for entry in (value or "").split(";") if entry]


def in_a_new_console(session, command):
    """Runs a command line in a new cmd, which takes the PATH from the registry as a new console on Windows does;
    its exit code and output."""
    result = subprocess.run([wine_tool(session), "cmd", "/c", command], env=session.env, capture_output=True,
                            timeout=120)
    return result.returncode, (result.stdout + result.stderr).decode("utf-8", "replace")


def start_menu_folders(session):
    """The existing start-menu folders named Quorvel, in all users' and in the installing user's start menu."""
    user = os.environ.get("USER") or getpass.getuser()
    folders = [session.drive_c(folder.format(user=user)) for folder in START_MENUS]
    return [folder for folder in folders if folder.exists()]


def log_text(path):
    """An msiexec log: Wine writes it in the ANSI code page of the prefix (936 here)."""
    return Path(path).read_bytes().decode("gbk", "replace")


def registry_key_exists(session, key):
    """Whether `key` is in the 64-bit or the 32-bit registry view."""
    return any(subprocess.run([wine_tool(session), "reg", "query", key, view], env=session.env,
                              capture_output=True, timeout=60).returncode == 0 for view in registry_views(session))


def uninstall_entries(session):
    """Installed apps entries named Quorvel, in the 64-bit and the 32-bit registry view (where Windows keeps the
    entries of 32-bit packages): {key: {value name: data}}."""
    entries, key = {}, None
    for view in registry_views(session):
        result = subprocess.run([wine_tool(session), "reg", "query", UNINSTALL_KEY, "/s", view],
                                env=session.env, capture_output=True, timeout=60)
        for line in result.stdout.decode("utf-8", "replace").splitlines():
            if line.startswith("HKEY_"):
                key = f"{line.strip()} ({view})"
                entries[key] = {}
            elif key and line.startswith("    "):
                parts = re.split(r"\s{4}", line.strip(), maxsplit=2)
                if len(parts) == 3:
                    entries[key][parts[0]] = parts[2]
                elif len(parts) == 2:
                    entries[key][parts[0]] = ""
    return {k: v for k, v in entries.items() if v.get("DisplayName") == "Quorvel"}


def stored_copies(session, inf):
    """The driver store's copies of `inf` in C:\\windows\\inf. Windows names them oem<N>.inf; Wine keeps the
    package's own name while it is free."""
    folder = session.prefix / "drive_c" / "windows" / "inf"
    wanted = Path(inf).read_bytes()
    return sorted(p.name for p in folder.iterdir() if p.suffix.lower() == ".inf" and p.read_bytes() == wanted)


def files_under(folder):
    """Every file and folder below `folder`, as relative POSIX paths (folders end in /)."""
    if not folder.exists():
        return set()
    return {p.relative_to(folder).as_posix() + ("/" if p.is_dir() else "") for p in folder.rglob("*")}
