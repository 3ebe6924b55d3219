"""The installer packages under Wine's msiexec: building test packages from a build's inputs, installing and
removing them, and reading what they left in the prefix (files, shortcuts, Installed apps entries, driver store)."""
import json
import re
import subprocess
from pathlib import Path

from . import paths

BUILD_MSI = paths.REPO_ROOT / "setup" / "build_msi.py"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"
START_MENU = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Quorvel"
SHORTCUTS = {"Quorvel 打印机设置.lnk": "Quorvel.exe", "Quorvel printer settings.lnk": "Quorvel.exe",
             "Quorvel 与 Omblet 使用说明.lnk": "guide.zh.html", "Quorvel and Omblet user guide.lnk": "guide.en.html"}
# Exit codes of msiexec that deployment tools read.
SUCCESS, FATAL_ERROR = 0, 1603


def inputs(build, arch):
    """The inputs a MinGW build wrote for its package of `arch`."""
    return json.loads((build / "msi" / f"{arch}.json").read_text(encoding="utf-8"))


def make_guide(folder):
    """A small stand-in for the release guide: both pages and a picture in a subfolder."""
    (folder / "images").mkdir(parents=True, exist_ok=True)
    (folder / "guide.zh.html").write_text("<html><body>使用说明</body></html>\n", encoding="utf-8")
    (folder / "guide.en.html").write_text("<html><body>User guide</body></html>\n", encoding="utf-8")
    (folder / "images" / "launcher.png").write_bytes(b"\x89PNG\r\n\x1a\n" + bytes(range(64)))
    return folder


def build_package(build, arch, out, version=None, guide=None):
    """Builds a package as the build does, from its inputs, with another version or output and a guide."""
    command = ["python3", str(BUILD_MSI), "--inputs", str(build / "msi" / f"{arch}.json"), "--out", str(out)]
    if version:
        command += ["--version", version]
    if guide:
        command += ["--guide", str(guide)]
    result = subprocess.run(command, capture_output=True, text=True, timeout=300)
    assert result.returncode == 0, result.stdout + result.stderr
    return out


def msiexec(session, *args, log=None, timeout=600):
    """Runs Wine's 64-bit msiexec to its end; its exit code, and the verbose log when `log` names one."""
    command = ["/usr/lib/wine/wine64", "msiexec", *map(str, args)]
    if log:
        command += ["/l*v", session.windows_path(log)]
    result = subprocess.run(command, env=session.env, capture_output=True, timeout=timeout)
    # msiexec may leave its service working on: wait for everything in the prefix to end before looking.
    subprocess.run(["wineserver", "-w"], env=session.env, timeout=timeout)
    return result.returncode


def uninstall_entries(session):
    """Installed apps entries named Quorvel: {key: {value name: data}}."""
    result = subprocess.run(["/usr/lib/wine/wine64", "reg", "query", UNINSTALL_KEY, "/s"], env=session.env,
                            capture_output=True, timeout=60)
    entries, key = {}, None
    for line in result.stdout.decode("utf-8", "replace").splitlines():
        if line.startswith("HKEY_"):
            key = line.strip()
            entries[key] = {}
        elif key and line.startswith("    "):
            parts = re.split(r"\s{4}", line.strip(), maxsplit=2)
            if len(parts) == 3:
                entries[key][parts[0]] = parts[2]
            elif len(parts) == 2:
                entries[key][parts[0]] = ""
    return {k: v for k, v in entries.items() if v.get("DisplayName") == "Quorvel"}


def stored_copies(session, inf):
    """Names of the driver store's INF copies (C:\\windows\\inf\\oem*.inf) that are copies of `inf`."""
    folder = session.prefix / "drive_c" / "windows" / "inf"
    wanted = Path(inf).read_bytes()
    return sorted(p.name for p in folder.iterdir()
                  if re.fullmatch(r"oem\d+\.inf", p.name, re.IGNORECASE) and p.read_bytes() == wanted)


def files_under(folder):
    """Every file and folder below `folder`, as relative POSIX paths (folders end in /)."""
    if not folder.exists():
        return set()
    return {p.relative_to(folder).as_posix() + ("/" if p.is_dir() else "") for p in folder.rglob("*")}
