"""A fresh Wine prefix with its display, fixtures and the programs started in it."""
import os
import shutil
import subprocess
import tempfile
import time
from pathlib import Path

from . import paths
from .display import Display

USB_PRINTER_CLASS = "{28d78fad-5a12-11d1-ae5b-0000f803a8c2}"
WINE_ERRORS = "-all,err+all"  # Wine's error messages only


class WineSession:
    """One prefix per test class: its locale (zh_CN.UTF-8 unless told), a display, and cleanup of everything it
    started. Wine takes the ANSI code page from the locale; a prefix keeps one locale for its life."""

    def __init__(self, name, use_existing_display=False, lang="zh_CN.UTF-8", screen="1280x1024"):
        self.name = name
        self.artifacts = paths.artifacts() / name
        self.artifacts.mkdir(parents=True, exist_ok=True)
        self.root = Path(tempfile.mkdtemp(prefix=f"e2e-{name}-"))
        self.prefix = self.root / "prefix"
        self.display = Display(use_existing_display, screen)
        self._processes = []
        self._closers = []
        self._closed = False
        self.env = dict(os.environ)
        self.env.update({
            "WINEPREFIX": str(self.prefix),
            "WINEDEBUG": "-all",
            "LANG": lang,
            "LC_ALL": lang,
            "DISPLAY": self.display.name,
            # No Mono or Gecko install prompts: the programs need neither.
            "WINEDLLOVERRIDES": "mscoree,mshtml=",
        })
        try:
            self._boot()
        except BaseException:
            self.close()
            raise

    # --- prefix -------------------------------------------------------------------------------------------------
    def _boot(self):
        started = time.monotonic()
        subprocess.run(["wineboot", "-i"], env=self.env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=180)
        # Without a window manager, Wine draws the frames itself, so captions show up in screenshots.
        self.reg_add(r"HKCU\Software\Wine\X11 Driver", "Managed", "REG_SZ", "N")
        self.reg_add(r"HKCU\Software\Wine\X11 Driver", "Decorated", "REG_SZ", "N")
        self.boot_seconds = time.monotonic() - started

    def loader(self, program=None):
        """The Wine loader command that starts `program` (None: one of Wine's own 64-bit programs)."""
        return "wine"

    def reg_add(self, key, name, kind, data):
        """Writes a registry value in the prefix; a failure says what reg printed and is logged in the session's
        artefacts."""
        command = [self.loader(), "reg", "add", key, "/v", name, "/t", kind, "/d", str(data), "/f"]
        result = subprocess.run(command, env=dict(self.env, WINEDEBUG=WINE_ERRORS), capture_output=True, timeout=60)
        if result.returncode != 0:
            output = (result.stdout + result.stderr).decode("gbk", "replace").strip()  # the prefix's code page
            failure = f"reg add {key} /v {name} exited {result.returncode}: {output}"
            with open(self.artifacts / "registry-failures.log", "a", encoding="utf-8") as log:
                log.write(failure + "\n")
            raise RuntimeError(failure)

    def drive_c(self, windows_folder):
        """The unix folder of a C:\\ path inside the prefix."""
        relative = windows_folder.replace("\\", "/").split(":", 1)[1].strip("/")
        return self.prefix / "drive_c" / relative

    @staticmethod
    def windows_path(unix_path):
        """How a Windows program names a unix path (Wine's Z: drive)."""
        return "Z:" + str(unix_path).replace("/", "\\")

    def dosdevice(self, device_path):
        """The prefix entry that a \\\\?\\ device path opens."""
        name = device_path[4:] if device_path.startswith("\\\\?\\") else device_path
        return self.prefix / "dosdevices" / name.lower()

    def system_folder(self):
        return self.prefix / "drive_c" / "windows" / "system32"

    def replace_system_program(self, name, stand_in):
        """Puts `stand_in` over the system folder's `name` (rundll32.exe, cmd.exe): a program that starts that file
        by its full path then runs the stand-in (Wine would otherwise run its builtin)."""
        shutil.copy2(stand_in, self.system_folder() / name)
        self.env["WINEDLLOVERRIDES"] += f";{name}=n"

    def install_program(self, exe, windows_folder="C:\\Quorvel", with_data=True):
        """Copies a program (and the shipped QRX and skin folders) into the prefix; returns its Windows path."""
        folder = self.drive_c(windows_folder)
        folder.mkdir(parents=True, exist_ok=True)
        shutil.copy2(exe, folder / Path(exe).name)
        if with_data:
            for data in ("QRX", "skin"):
                source = paths.REPO_ROOT / "shipped" / data
                if source.exists():
                    shutil.copytree(source, folder / data, dirs_exist_ok=True)
        return windows_folder + "\\" + Path(exe).name

    # --- programs -----------------------------------------------------------------------------------------------
    def start(self, program, *args, log_name=None):
        """Starts a Windows program without waiting; it is ended when the session closes."""
        output = open(self.artifacts / (log_name or "wine-output.log"), "ab")
        process = subprocess.Popen([self.loader(program), str(program), *map(str, args)], env=self.env,
                                   stdout=output, stderr=subprocess.STDOUT)
        self._processes.append((process, output))
        return process

    def run(self, program, *args, timeout=60, wine_errors=False):
        """Runs a Windows console program to its end and returns its exit code and UTF-8 output. With
        `wine_errors`, Wine's own error messages join its standard error, for a tool whose failure should say why
        even when it never reached its own code."""
        env = dict(self.env, WINEDEBUG=WINE_ERRORS) if wine_errors else self.env
        result = subprocess.run([self.loader(program), str(program), *map(str, args)], env=env,
                                capture_output=True, timeout=timeout)
        return result.returncode, result.stdout.decode("utf-8", "replace"), result.stderr.decode("utf-8", "replace")

    def on_close(self, closer):
        self._closers.append(closer)

    def screenshot(self, name):
        return self.display.screenshot(self.artifacts / f"{name}.png")

    def close(self):
        if self._closed:
            return
        self._closed = True
        for closer in reversed(self._closers):
            closer()
        for process, output in self._processes:
            if process.poll() is None:
                process.terminate()
        subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for process, output in self._processes:
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                process.kill()
            output.close()
        self.display.close()
        if not os.environ.get("E2E_KEEP_PREFIX"):
            shutil.rmtree(self.root, ignore_errors=True)
