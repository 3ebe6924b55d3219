"""The GUI driver, a Win32 program of ours that finds, reads and operates windows of the programs under test."""
import json

from . import paths


class GuiError(AssertionError):
    pass


class GuiDriver:
    def __init__(self, session):
        self.session = session
        self.exe = paths.tool_exe("gui_driver.exe")

    def _call(self, *args, timeout=60):
        code, out, err = self.session.run(self.exe, *args, timeout=timeout, wine_errors=True)
        if code != 0:
            raise GuiError(f"gui_driver {' '.join(map(str, args))} failed ({code}): {err.strip()}")
        return out

    def _json(self, *args, timeout=60):
        return json.loads(self._call(*args, timeout=timeout))

    def wait(self, title, timeout_ms=15000):
        self._call("wait", "--title", title, "--timeout", timeout_ms)

    def gone(self, title, timeout_ms=10000):
        self._call("gone", "--title", title, "--timeout", timeout_ms)

    def windows(self):
        return self._json("list")

    def dump(self, title):
        """The window and its controls; controls are also indexed by name under 'by_name'."""
        window = self._json("dump", "--title", title)
        window["by_name"] = {c["name"]: c for c in window["controls"] if c.get("name")}
        return window

    def click(self, title, name):
        """Posts the click: returns at once, so that a message box the click opens cannot block the test."""
        self._call("click", "--title", title, "--name", name)

    def click_handled(self, title, name, timeout_ms=20000):
        """Clicks and returns once the window has handled the click (for clicks that open no message box)."""
        self._call("click", "--title", title, "--name", name, "--sync", "--timeout", timeout_ms,
                   timeout=timeout_ms / 1000 + 30)

    def select(self, title, name, index):
        self._call("select", "--title", title, "--name", name, "--index", index)

    def double_click(self, title, name, index):
        self._call("dblclick", "--title", title, "--name", name, "--index", index)

    def check(self, title, name, value):
        self._call("check", "--title", title, "--name", name, "--value", value)

    def set_system_colours(self, colours):
        """Sets system colours, {COLOR_* index: (r, g, b)}, for the rest of the session."""
        self._call("syscolors", *(f"{index}={r},{g},{b}" for index, (r, g, b) in colours.items()))

    def type(self, title, name, text):
        self._call("type", "--title", title, "--name", name, "--text", text)

    def close(self, title):
        self._call("close", "--title", title)

    def message_box(self, press_ok=True, timeout_ms=10000):
        args = ["msgbox", "--timeout", timeout_ms]
        if press_ok:
            args += ["--press", "ok"]
        return self._json(*args)

    def file_dialog(self, title, path=None, then_window=None, name=None, length=None, timeout_ms=15000):
        """Answers an open-file dialog with `path` (or cancels it). With `then_window`, waits until control `name`
        of that window holds `length` characters and returns the milliseconds that took."""
        args = ["filedialog", "--title", title, "--timeout", timeout_ms]
        args += ["--path", path] if path else ["--cancel", "yes"]
        if then_window:
            args += ["--then-window", then_window, "--name", name, "--length", length]
            return self._json(*args, timeout=timeout_ms / 1000 + 30)["milliseconds"]
        self._call(*args)
        return None

    # --- the real pointer: xdotool moves the X pointer and clicks, so the click goes wherever the screen shows
    # something at that place, as a person's would -------------------------------------------------------------
    def _pointer(self, x, y, clicks):
        import subprocess
        subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(y), "click", "--repeat", str(clicks),
                        "--delay", "80", "1"], env=self.session.env, check=True, timeout=30)

    def pointer_click(self, title, name, clicks=1):
        """Clicks the middle of control `name` of window `title` with the pointer."""
        left, top, right, bottom = self.dump(title)["by_name"][name]["rect"]
        self._pointer((left + right) // 2, (top + bottom) // 2, clicks)

    def pointer_click_item(self, title, name, index, clicks=2):
        """Clicks (double, unless told) item `index` of list box `name` with the pointer."""
        left, top, right, bottom = self._json("itemrect", "--title", title, "--name", name, "--index", index)
        self._pointer((left + right) // 2, (top + bottom) // 2, clicks)

    # --- the real keyboard: xdotool presses keys on the X display, so they go to whichever window has the focus
    def keys(self, *keys):
        """Presses `keys` (X key names, such as "Tab", "shift+Tab", "Return", "Escape") one after the other."""
        import subprocess
        subprocess.run(["xdotool", "key", "--delay", "60", *keys], env=self.session.env, check=True, timeout=30)

    def focus(self, title):
        """The control that has the keyboard focus in the thread of window `title`: its name (None when none has
        it), class, screen rect, whether it is visible and inside that window, the window's client rect on the
        screen, and the title of the active window."""
        return self._json("focus", "--title", title)

    def win_events(self, title, for_ms):
        """The name and live-region changes that the controls of window `title` raise for `for_ms`: a list of
        {"event": "name" or "live", "name", "text"}."""
        return self._json("winevents", "--title", title, "--for", for_ms, timeout=for_ms / 1000 + 60)

    def work_area(self):
        return self._json("workarea")

    def probe(self, title, for_ms, each_ms=2000):
        """Asks window `title` whether it responds, as the system does, again and again for `for_ms`; returns
        {"probes", "unanswered", "longest_ms"}."""
        return self._json("probe", "--title", title, "--for", for_ms, "--each", each_ms,
                          timeout=for_ms / 1000 + each_ms / 1000 + 60)

    def queue_gap(self, title, check_box, for_ms):
        """How long window `title`'s thread takes to get to what is posted to it, sampled for `for_ms` with check
        state changes posted to `check_box`: {"samples", "longest_ms", "median_ms"}."""
        return self._json("queuegap", "--title", title, "--name", check_box, "--for", for_ms,
                          timeout=for_ms / 1000 + 90)

    def time_check(self, title, check_box, value, click):
        """Calls `click` (a real click on `check_box`) and returns the milliseconds from its end until the box of
        window `title` holds `value`."""
        import subprocess
        process = subprocess.Popen([self.session.loader(self.exe), str(self.exe), "watchcheck", "--title", title,
                                    "--name", check_box, "--value", str(value), "--timeout", "20000"],
                                   env=self.session.env, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                   stderr=subprocess.PIPE)
        try:
            if process.stdout.readline().strip() != b"ready":
                raise GuiError("gui_driver watchcheck did not start")
            click()
            process.stdin.write(b"go\n")
            process.stdin.flush()
            out, err = process.communicate(timeout=60)
        finally:
            if process.poll() is None:
                process.kill()
        if process.returncode != 0:
            raise GuiError(f"gui_driver watchcheck failed ({process.returncode}): {err.decode(errors='replace')}")
        return json.loads(out)["ms"]

    def stats(self, title):
        """Handle count and private bytes of the process that owns window `title`."""
        return self._json("stats", "--title", title)

