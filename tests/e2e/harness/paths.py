"""Where the built programs and the artefacts are, from the environment the test runner sets."""
import os
from pathlib import Path

REPO_ROOT = Path(__file__).resolve().parents[3]


def _dir(variable, default):
    return Path(os.environ.get(variable, default)).resolve()


def windows_build():
    return _dir("WINDOWS_BUILD_DIR", REPO_ROOT / "build" / "mingw")


def native_build():
    return _dir("NATIVE_BUILD_DIR", REPO_ROOT / "build" / "linux")


def artifacts():
    return _dir("ARTIFACTS_DIR", REPO_ROOT / "artifacts" / "e2e")


def quorvel_exe():
    return windows_build() / "config_tool" / "win32" / "Quorvel.exe"


def omblet_exe():
    return windows_build() / "driver_installer" / "win32" / "Omblet.exe"


def quorvelctl_exe():
    return windows_build() / "cli" / "win32" / "quorvelctl.exe"


def tool_exe(name):
    """A Win32 test program: gui_driver.exe, record_stub.exe, spooler_setup.exe, raw_probe.exe, inf_check.exe."""
    for folder in ("tools/gui_driver", "tools/win32_test_programs", "tools/package_checks", "tests/win32"):
        candidate = windows_build() / folder / name
        if candidate.exists():
            return candidate
    raise FileNotFoundError(f"{name} not built in {windows_build()}")


def printer_sim():
    return native_build() / "tools" / "printer_sim" / "printer_sim"


def omblet_fixture_wmi_exe():
    """The test build of Omblet whose WMI service reads device texts from a file."""
    return windows_build() / "driver_installer" / "win32" / "Omblet_fixture_wmi.exe"


def windows_x86_build():
    """The MinGW x86 build (build/mingw32): its programs and its staged package."""
    return _dir("WINDOWS_X86_BUILD_DIR", REPO_ROOT / "build" / "mingw32")


def stage(arch):
    """The staged programs of one architecture beside their driver package with its catalog: x64 or x86."""
    build = windows_build() if arch == "x64" else windows_x86_build()
    return build / "stage" / arch


def release_zip():
    """The release zip of the x64 build, which holds both architectures."""
    packages = sorted(windows_build().glob("Quorvel-*-windows.zip"))
    if not packages:
        raise FileNotFoundError(f"no release zip in {windows_build()}")
    return packages[-1]
