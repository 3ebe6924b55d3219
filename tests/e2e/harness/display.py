"""An X display for Wine: the caller's $DISPLAY, or a private headless Xvfb."""
import os
import subprocess


class Display:
    def __init__(self, use_existing=False, size="1280x1024"):
        self._xvfb = None
        if use_existing and os.environ.get("DISPLAY"):
            self.name = os.environ["DISPLAY"]
            return
        read_end, write_end = os.pipe()
        # -displayfd lets Xvfb pick a free display number and tell us which. -noreset: by default the server resets
        # whenever its last client leaves (between two programs of a test), and a connection made meanwhile fails.
        self._xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{size}x24", "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as reader:
            number = reader.readline().strip()
        if not number:
            self._xvfb.kill()
            raise RuntimeError("Xvfb did not start")
        self.name = ":" + number

    @property
    def headless(self):
        return self._xvfb is not None

    def screenshot(self, path):
        """Saves what the whole screen shows as a PNG.

        One image of the root window. Not xwd: it walks the window tree first and exits on the X error of a window
        that closes during the walk, which a busy machine makes likely while Wine opens and closes windows."""
        path.parent.mkdir(parents=True, exist_ok=True)
        grab = subprocess.run(["import", "-display", self.name, "-window", "root", "-silent", f"png:{path}"],
                              capture_output=True, text=True, timeout=60)
        if grab.returncode != 0:
            raise RuntimeError(f"screenshot of display {self.name} into {path} failed: {grab.stderr.strip()}")
        return path

    def close(self):
        if self._xvfb:
            self._xvfb.terminate()
            try:
                self._xvfb.wait(5)
            except subprocess.TimeoutExpired:
                self._xvfb.kill()
            self._xvfb = None
