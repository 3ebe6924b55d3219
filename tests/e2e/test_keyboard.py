"""The windows used from the keyboard alone: real key presses on the X display (xdotool), and the focus read back
from the program's GUI thread after each one."""
import time
import unittest

from harness import quorvel
from harness.case import WineTestCase

CONSOLE = "Lumisk-条码打印机指令测试"
# Out of sight at the bottom edge of the main window: never a tab stop.
OUT_OF_SIGHT = {"List4", "ComboPrinter", "Command10"}


class KeyboardCase(WineTestCase):
    """Waiting for the focus, and Tab rounds, with real key presses."""
    def focus_in(self, title, what, condition, timeout=15):
        """Waits until the focus in window `title` meets `condition`, and returns it."""
        deadline = time.monotonic() + timeout
        while True:
            focus = self.gui.focus(title)
            if condition(focus):
                return focus
            self.assertLess(time.monotonic(), deadline, f"timed out waiting for the focus {what} in {title}: {focus}")
            time.sleep(0.2)

    def press_until_focus_moves(self, title, key):
        before = self.gui.focus(title)
        self.gui.keys(key)
        return self.focus_in(title, f"to move from {before.get('name')} on {key}",
                             lambda f: f.get("name") != before.get("name") or f.get("id") != before.get("id"))

    def assert_visible_inside(self, title, focus):
        self.assertTrue(focus["in_window"], focus)
        self.assertTrue(focus["visible"], focus)
        left, top, right, bottom = focus["rect"]
        c_left, c_top, c_right, c_bottom = focus["client"]
        centre_x, centre_y = (left + right) // 2, (top + bottom) // 2
        self.assertTrue(c_left <= centre_x < c_right and c_top <= centre_y < c_bottom,
                        f"{focus['name']} of {title} is out of sight: {focus}")

    def tab_round(self, title, limit=60, labels=None):
        """Tabs from the focused control round to it again; returns the names visited, the first one first. With
        `labels` (a dict), also records the label a screen reader names each control by."""
        first = self.focus_in(title, "on a control", lambda f: f["name"] is not None and f["in_window"])
        self.assert_visible_inside(title, first)
        visited = [first["name"]]
        if labels is not None:
            labels[first["name"]] = (first["class"], first.get("label"))
        for _ in range(limit):
            focus = self.press_until_focus_moves(title, "Tab")
            self.assert_visible_inside(title, focus)
            if labels is not None:
                labels[focus["name"]] = (focus["class"], focus.get("label"))
            if focus["name"] == first["name"]:
                return visited
            visited.append(focus["name"])
        self.fail(f"Tab did not come round in {title} within {limit} presses: {visited}")

    def tab_to(self, title, name, key="Tab", limit=60):
        for _ in range(limit):
            if self.gui.focus(title)["name"] == name:
                return
            self.press_until_focus_moves(title, key)
        self.fail(f"{key} never reached {name} in {title}")


class FromTheKeyboard(KeyboardCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        quorvel.start(cls.session, cls.gui)

    def test_1_launcher_opens_with_the_focus_on_its_first_control_and_tabs_in_reading_order(self):
        chosen = [name for name, c in self.gui.dump(quorvel.LAUNCHER)["by_name"].items()
                  if name.startswith("Option") and c.get("checked") == 1]
        self.assertEqual(len(chosen), 1)
        # The language options are one tab stop, on the chosen one; the arrows move between them.
        self.focus_in(quorvel.LAUNCHER, "on the chosen language", lambda f: f["name"] == chosen[0])
        self.session.screenshot("launcher-focus")
        self.assertEqual(self.tab_round(quorvel.LAUNCHER), [chosen[0], "Command1", "Command2", "List1"])

    def test_2_enter_on_the_launchers_entry_button_opens_the_main_window(self):
        self.tab_to(quorvel.LAUNCHER, "Command1")
        self.gui.keys("Return")
        self.gui.wait(quorvel.MAIN)
        self.gui.gone(quorvel.LAUNCHER)

    def test_3_main_window_visits_each_control_in_sight_once(self):
        focus = self.focus_in(quorvel.MAIN, "on a control at open", lambda f: f["name"] is not None)
        self.assertEqual(focus["name"], "List2")  # the model list, top left
        labels = {}
        visited = self.tab_round(quorvel.MAIN, labels=labels)
        self.assertEqual(len(visited), len(set(visited)), visited)
        # Every box is named for a screen reader by the label right before it: its frame and label, not just "Y".
        for name, (cls, label) in labels.items():
            if cls.lower() in ("combobox", "listbox", "edit", "richedit50w"):
                self.assertTrue(label, f"{name} has no label for a screen reader")
        self.assertEqual(labels["Combo8"][1], "位置调整 Y")
        self.assertEqual(labels["RichTextBox1"][1], "调试信息")
        self.assertFalse(OUT_OF_SIGHT & set(visited), visited)
        self.assertIn("RichTextBox1", visited)  # the debug view, read-only, can be reached
        # Down the left column, then the middle one, then the debug view.
        self.assertLess(visited.index("Command3"), visited.index("Option1"))
        self.assertLess(visited.index("Command6"), visited.index("RichTextBox1"))
        shift_round = [self.press_until_focus_moves(quorvel.MAIN, "shift+Tab")["name"] for _ in visited]
        self.assertEqual(shift_round, list(reversed(visited[1:])) + [visited[0]])

    def test_3b_arrows_move_within_a_group_of_options_and_space_toggles_a_check_box(self):
        options = ("Option1", "Option2", "Option3")  # the sensor type, one frame
        controls = self.gui.dump(quorvel.MAIN)["by_name"]
        chosen = [name for name in options if controls[name]["checked"] == 1]
        self.assertEqual(len(chosen), 1, chosen)
        self.tab_to(quorvel.MAIN, chosen[0])  # the group's one tab stop
        key = "Left" if chosen[0] == "Option3" else "Right"
        focus = self.press_until_focus_moves(quorvel.MAIN, key)
        self.assertIn(focus["name"], options)
        deadline = time.monotonic() + 10
        while self.gui.dump(quorvel.MAIN)["by_name"][focus["name"]]["checked"] != 1:
            self.assertLess(time.monotonic(), deadline, f"{key} did not choose {focus['name']}")
            time.sleep(0.2)
        before = self.gui.dump(quorvel.MAIN)["by_name"]["Check1"]["checked"]
        self.tab_to(quorvel.MAIN, "Check1")
        self.gui.keys("space")
        deadline = time.monotonic() + 10
        while self.gui.dump(quorvel.MAIN)["by_name"]["Check1"]["checked"] == before:
            self.assertLess(time.monotonic(), deadline, "Space did not toggle the check box")
            time.sleep(0.2)

    def test_4_enter_on_a_focused_button_presses_it(self):
        self.tab_to(quorvel.MAIN, "Command6")  # the console button
        self.gui.keys("Return")
        self.gui.wait(CONSOLE)
        self.focus_in(CONSOLE, "on a control at open", lambda f: f["name"] is not None and f["in_window"])
        self.session.screenshot("console-focus")

    def test_5_console_tabs_out_of_the_send_box_and_esc_keeps_the_text(self):
        self.gui.type(CONSOLE, "Text1", "")
        self.tab_to(CONSOLE, "Text1")
        self.gui.keys("a", "b", "c")
        self.focus_in(CONSOLE, "to stay in the send box", lambda f: f["name"] == "Text1")
        self.assertEqual(self.gui.dump(CONSOLE)["by_name"]["Text1"]["text"], "abc")
        focus = self.press_until_focus_moves(CONSOLE, "Tab")
        self.assertNotEqual(focus["name"], "Text1")
        self.assertEqual(self.gui.dump(CONSOLE)["by_name"]["Text1"]["text"], "abc")  # no tab typed into it
        self.press_until_focus_moves(CONSOLE, "shift+Tab")
        self.focus_in(CONSOLE, "back in the send box", lambda f: f["name"] == "Text1")
        self.gui.keys("Escape")
        self.gui.keys("d")  # keys still go to the box: the console did not close
        deadline = time.monotonic() + 10
        while self.gui.dump(CONSOLE)["by_name"]["Text1"]["text"] != "abcd":
            self.assertLess(time.monotonic(), deadline, "the send box did not keep its text after Esc")
            time.sleep(0.2)
        self.assertEqual(self.tab_round(CONSOLE).count("Text1"), 1)

    def test_6_enter_on_a_command_in_the_console_command_list_adds_it(self):
        self.gui.type(CONSOLE, "Text1", "")
        self.gui.click(CONSOLE, "CommandC")
        deadline = time.monotonic() + 10
        while not self.gui.dump(CONSOLE)["by_name"]["List2"]["visible"]:
            self.assertLess(time.monotonic(), deadline, "the command list did not show")
            time.sleep(0.2)
        self.tab_to(CONSOLE, "List2")
        self.gui.keys("Home", "Down")  # the first command, below the heading
        self.gui.keys("Return")
        deadline = time.monotonic() + 10
        while self.gui.dump(CONSOLE)["by_name"]["Text1"]["text"] != "PROGRAME UPGRADE\r\n":
            self.assertLess(time.monotonic(), deadline, "Enter on the command list added no command")
            time.sleep(0.2)

    def test_7_the_main_window_gets_its_focus_back_when_the_console_closes(self):
        self.gui.close(CONSOLE)
        self.gui.gone(CONSOLE)
        self.focus_in(quorvel.MAIN, "back on the console button", lambda f: f["name"] == "Command6")

    def test_8_enter_on_the_pocket_printer_button_and_tab_through_the_handheld_window(self):
        self.gui.close(quorvel.MAIN)
        self.gui.gone(quorvel.MAIN, timeout_ms=30000)
        quorvel.start(self.session, self.gui)
        self.tab_to(quorvel.LAUNCHER, "Command2")
        self.gui.keys("Return")
        self.gui.wait(quorvel.HANDHELD)
        self.gui.gone(quorvel.LAUNCHER)
        labels = {}
        visited = self.tab_round(quorvel.HANDHELD, labels=labels)
        self.assertEqual(visited, ["RichTextBox1", "TextPairCode", "TextblueToothname", "ComboBandrate",
                                   "CommandFactoryReset"])
        for name in ("TextPairCode", "TextblueToothname", "ComboBandrate"):
            self.assertTrue(labels[name][1], f"{name} has no label for a screen reader")
        # Esc in a box of the handheld window keeps the window and what was typed.
        self.tab_to(quorvel.HANDHELD, "TextPairCode")
        self.gui.keys("1", "2", "Escape", "3")
        deadline = time.monotonic() + 10
        while self.gui.dump(quorvel.HANDHELD)["by_name"]["TextPairCode"]["text"] != "123":
            self.assertLess(time.monotonic(), deadline, "the pairing code box lost its text or the window closed")
            time.sleep(0.2)


class ConsoleFromTheKeyboard(KeyboardCase):
    """The console's command list, views and send box with real key presses (after the clicks that set up each
    case)."""
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        quorvel.open_main_window(cls.session, cls.gui)
        cls.gui.click(quorvel.MAIN, "Command6")
        cls.gui.wait(CONSOLE)

    def controls(self):
        return self.gui.dump(CONSOLE)["by_name"]

    def wait_for(self, what, condition, timeout=10):
        deadline = time.monotonic() + timeout
        while not condition(self.controls()):
            self.assertLess(time.monotonic(), deadline, f"timed out waiting until {what}")
            time.sleep(0.2)

    def show_command_list(self):
        self.gui.type(CONSOLE, "Text1", "")
        self.gui.click(CONSOLE, "CommandC")
        self.wait_for("the command list shows", lambda c: c["List2"]["visible"])
        self.tab_to(CONSOLE, "List2")

    def test_a_tab_from_the_command_list_goes_to_a_control_in_sight_and_typing_leaves_the_send_box_alone(self):
        self.show_command_list()
        focus = self.press_until_focus_moves(CONSOLE, "Tab")
        self.assertNotEqual(focus["name"], "Text1")
        self.assert_visible_inside(CONSOLE, focus)
        self.gui.keys("space", "0", "A")
        self.assertNotIn("Text1", self.tab_round(CONSOLE))
        self.assertEqual(self.controls()["Text1"]["text"], "")

    def test_b_esc_hides_the_command_list_and_returns_to_the_send_box(self):
        self.show_command_list()
        self.gui.keys("Escape")
        self.wait_for("the command list hides", lambda c: not c["List2"]["visible"])
        self.focus_in(CONSOLE, "in the send box", lambda f: f["name"] == "Text1" and f["visible"])
        self.gui.keys("a")
        self.wait_for("the send box takes the key", lambda c: c["Text1"]["text"] == "a")

    def probe(self):
        """The probe from the send box enlarged, as the console opens: its outcome takes the send box's place."""
        self.gui.keys("Escape")  # the send box back in view
        self.wait_for("the send box shows", lambda c: c["Text1"]["visible"])
        self.gui.pointer_click(CONSOLE, "Text1")
        self.wait_for("the send box alone shows", lambda c: not c["TXTRE"]["visible"])
        self.gui.click(CONSOLE, "Command8")
        self.wait_for("the probe shows its outcome", lambda c: c["TXTRE"]["text"] and not c["Text1"]["visible"])

    def test_c_after_the_probe_esc_brings_the_send_box_back(self):
        self.probe()
        self.gui.keys("Escape")
        self.wait_for("the send box shows", lambda c: c["Text1"]["visible"])
        self.focus_in(CONSOLE, "in the send box", lambda f: f["name"] == "Text1" and f["visible"])

    def test_d_the_receive_view_is_read_only_and_enter_or_space_on_it_toggles_the_views(self):
        self.probe()
        self.assertTrue(self.controls()["TXTRE"]["read_only"])
        result = self.controls()["TXTRE"]["text"]
        self.tab_to(CONSOLE, "TXTRE")
        self.gui.keys("Return")  # enlarged -> side by side
        self.wait_for("the three views show", lambda c: c["Text1"]["visible"] and c["TASCII"]["visible"])
        self.gui.keys("space")  # side by side -> the receive view enlarged
        self.wait_for("the receive view alone shows", lambda c: not c["Text1"]["visible"])
        self.assertEqual(self.controls()["TXTRE"]["text"], result)

    def test_e_f6_toggles_the_focused_view_as_a_click_does(self):
        self.probe()
        self.tab_to(CONSOLE, "TXTRE")
        self.gui.keys("F6")
        self.wait_for("the three views show", lambda c: c["Text1"]["visible"] and c["TASCII"]["visible"])
        self.tab_to(CONSOLE, "Text1")
        self.gui.keys("F6")  # the send box enlarged, the others hidden, as its click does
        self.wait_for("the send box alone shows", lambda c: c["Text1"]["visible"] and not c["TXTRE"]["visible"])

    def test_f_after_a_hex_text_and_enter_the_caret_line_is_in_view(self):
        self.gui.type(CONSOLE, "Text1", "")
        self.gui.keys("Escape")
        self.wait_for("the send box shows", lambda c: c["Text1"]["visible"])
        self.gui.pointer_click(CONSOLE, "Text1")  # the send box enlarged, as the console opens
        self.wait_for("the send box alone shows", lambda c: not c["TXTRE"]["visible"])
        self.focus_in(CONSOLE, "in the send box", lambda f: f["name"] == "Text1" and f["visible"])
        self.gui.keys("1", "B", "space", "4", "0", "Return")
        self.wait_for("the line break arrives", lambda c: c["Text1"]["text"] == "1B 40\r\n")
        focus = self.gui.focus(CONSOLE)
        self.session.screenshot("console-line-break")
        self.assertEqual(focus["caret_line"], 1, focus)
        self.assertLessEqual(focus["first_line"], 1, focus)
        self.assertTrue(focus["caret_in_view"], focus)
        self.assertGreater(focus["rect"][3] - focus["rect"][1], 40, focus)  # more than one line high


class Shortcuts(KeyboardCase):
    """The shortcut keys of the main window and the console press their buttons; the captions stay as they are."""
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        quorvel.open_main_window(cls.session, cls.gui)

    def wait_for(self, title, what, condition, timeout=15):
        deadline = time.monotonic() + timeout
        while not condition(self.gui.dump(title)["by_name"]):
            self.assertLess(time.monotonic(), deadline, f"timed out waiting until {what}")
            time.sleep(0.2)

    def test_1_main_window_read_and_set(self):
        captions = {n: c["text"] for n, c in self.gui.dump(quorvel.MAIN)["by_name"].items() if n.startswith("Command")}
        self.focus_in(quorvel.MAIN, "on a control", lambda f: f["name"] is not None)
        for key, outcome in (("F5", "No printer linked"), ("ctrl+s", "no printer linked!"),
                             ("F5", "No printer linked")):
            self.gui.keys(key)
            self.wait_for(quorvel.MAIN, f"{key} reports", lambda c: c["RichTextBox1"]["text"].strip() == outcome)
        self.assertEqual({n: c["text"] for n, c in self.gui.dump(quorvel.MAIN)["by_name"].items()
                          if n.startswith("Command")}, captions)

    def test_2_main_window_install_driver(self):
        self.focus_in(quorvel.MAIN, "on a control", lambda f: f["name"] is not None)
        self.gui.keys("ctrl+d")
        box = self.gui.message_box()
        self.assertIn("Omblet.exe", box["text"])

    def test_3_main_window_opens_the_console(self):
        self.focus_in(quorvel.MAIN, "on a control", lambda f: f["name"] is not None)
        self.gui.keys("ctrl+p")
        self.gui.wait(CONSOLE)
        self.focus_in(CONSOLE, "on a control", lambda f: f["name"] is not None and f["in_window"])

    def test_4_console_add_command_clear_open_file_and_send(self):
        self.gui.keys("ctrl+k")
        self.wait_for(CONSOLE, "the command list shows", lambda c: c["List2"]["visible"])
        self.gui.keys("Escape")
        self.wait_for(CONSOLE, "the command list hides", lambda c: not c["List2"]["visible"])
        self.gui.type(CONSOLE, "Text1", "1B 40")
        self.gui.keys("ctrl+l")
        self.wait_for(CONSOLE, "the send box is cleared", lambda c: c["Text1"]["text"] == "")
        self.gui.keys("ctrl+o")
        self.gui.file_dialog("打开二进制文件")  # cancelled
        self.assertEqual(self.gui.message_box()["text"], "Please select file")
        self.gui.type(CONSOLE, "Text1", "1B 4G")  # not hex: the send says the format is wrong
        self.gui.check(CONSOLE, "CheckHEXMode", 1)
        self.focus_in(CONSOLE, "on a control", lambda f: f["name"] is not None and f["in_window"])
        self.gui.keys("ctrl+Return")
        self.assertEqual(self.gui.message_box()["text"], "发送失败!格式不对！")


if __name__ == "__main__":
    unittest.main()
