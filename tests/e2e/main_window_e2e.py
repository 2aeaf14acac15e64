#!/usr/bin/python3
"""Starts the real program under Xvfb on a task file written by python3-dbf, adds, edits,
clones, deletes and completes tasks with real key presses, closes it, and reads the table
back with dbfread.

Usage: main_window_e2e.py QUILLET_EXECUTABLE [SCREENSHOT_DIR]
An X server named by QUILLET_XVFB_DISPLAY is used when set; otherwise the test starts its
own Xvfb on a free display. A missing tool fails the test: scripts/install-deps.sh installs
every one it needs."""

import datetime
import os
import shutil
import subprocess
import sys
import tempfile
import time

SETUP_FAULT = 1

try:
    import dbf
    import dbfread
except ImportError:
    print("python3-dbf and python3-dbfread are needed: run scripts/install-deps.sh")
    sys.exit(SETUP_FAULT)


def need(tool):
    if shutil.which(tool) is None:
        print(f"{tool} is needed: run scripts/install-deps.sh")
        sys.exit(SETUP_FAULT)


def start_xvfb():
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                               "1024x768x24", "-nolisten", "tcp"], pass_fds=(write_end,),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read_end, 16)
        if not chunk:
            break
        number += chunk
    os.close(read_end)
    return server, ":" + number.decode().strip()


def write_tasks(folder, today):
    table = dbf.Table(os.path.join(folder, "QUILX.DBF"),
                      "DATE C(8); TIME C(5); DESCRIPT C(50); NOTE M; DONE L; KEYS C(60); "
                      "PRIORITY C(1)", dbf_type="fp")
    table.open(dbf.READ_WRITE)
    for row in [(today, "09:30", "Alpha", "first note", False, "home", "A"),
                ("20261231", "13:05", "Beta", "", False, "work", "B"),
                ("", "", "Gamma", "", False, "", "C")]:
        table.append(row)
    table.close()


class Session:
    def __init__(self, display):
        # A session bus address where none listens: reminders never reach the person's desktop.
        self.env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb",
                        DBUS_SESSION_BUS_ADDRESS="unix:path=/nonexistent/quillet-e2e-bus")

    def xdotool(self, *args):
        return subprocess.run(["xdotool", *args], env=self.env, capture_output=True,
                              text=True).stdout.strip()

    def window(self, name, timeout=20.0):
        end = time.time() + timeout
        while time.time() < end:
            found = self.xdotool("search", "--onlyvisible", "--name", f"^{name}$")
            if found:
                return found.split()[0]
            time.sleep(0.1)
        raise AssertionError(f"no window {name!r}")

    def gone(self, name, timeout=20.0):
        end = time.time() + timeout
        while time.time() < end:
            if not self.xdotool("search", "--onlyvisible", "--name", f"^{name}$"):
                return
            time.sleep(0.1)
        raise AssertionError(f"window {name!r} stayed")

    def focus(self, window, timeout=10.0):
        """Gives `window` the keyboard and waits until the X server says it has it."""
        end = time.time() + timeout
        while time.time() < end:
            self.xdotool("windowfocus", "--sync", window)
            held = self.xdotool("getwindowfocus")
            # A dialog's pop-up menus are windows of the same name; the keyboard in any
            # window of that name is in the dialog.
            if held == window or self.xdotool("getwindowname", held) == \
                    self.xdotool("getwindowname", window):
                time.sleep(0.2)  # the program's own activation handling
                return
            time.sleep(0.1)
        held = self.xdotool("getwindowfocus")
        raise AssertionError(f"window {window} never had the keyboard; {held} "
                             f"({self.xdotool('getwindowname', held)!r}) has it")

    def keys(self, window, *keys):
        self.focus(window)
        for key in keys:
            self.xdotool("key", "--clearmodifiers", key)
            time.sleep(0.15)

    def type(self, window, text):
        self.focus(window)
        self.xdotool("type", "--delay", "20", text)

    def answer_question(self):
        """Presses Enter (Yes) on the question box, which shares the main window's caption."""
        end = time.time() + 10.0
        while len(self.visible("Quillet")) < 2:
            if time.time() > end:
                raise AssertionError("no question was asked")
            time.sleep(0.1)
        for _ in range(3):
            self.keys(self.visible("Quillet")[-1], "Return")
            end = time.time() + 5.0
            while time.time() < end and len(self.visible("Quillet")) > 1:
                time.sleep(0.1)
            if len(self.visible("Quillet")) == 1:
                time.sleep(0.3)
                return
        raise AssertionError("the question stayed")

    def visible(self, name):
        return self.xdotool("search", "--onlyvisible", "--name", f"^{name}$").split()

    def describe_task(self, main_window, key, text):
        """Opens the task editor with `key`, replaces the task's text and presses Ok."""
        self.keys(main_window, key)
        editor = self.window("Task Editor")
        # A loaded machine may hand the keys over before the dialog has taken its
        # activation; what was typed is checked in the table at the end.
        for attempt in range(3):
            self.keys(editor, "ctrl+a")
            self.type(editor, text)
            self.keys(editor, "Return")
            try:
                self.gone("Task Editor", timeout=5.0 * (attempt + 1))
                return
            except AssertionError:
                if attempt == 2:
                    raise

    def shot(self, path):
        if path:
            subprocess.run(["import", "-window", "root", path], env=self.env, check=True)


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    need("xdotool")
    executable = sys.argv[1]
    shots = sys.argv[2] if len(sys.argv) > 2 else None
    if shots:
        need("import")
    server = None
    display = os.environ.get("QUILLET_XVFB_DISPLAY")
    if not display:
        need("Xvfb")
        server, display = start_xvfb()
    folder = tempfile.mkdtemp(prefix="quillet-e2e-")
    program = None
    try:
        today = datetime.date.today().strftime("%Y%m%d")
        write_tasks(folder, today)
        shutil.copy(executable, os.path.join(folder, "quillet"))
        session = Session(display)
        runtime = tempfile.mkdtemp(prefix="quillet-e2e-run-")
        program = subprocess.Popen([os.path.join(folder, "quillet")], cwd=folder,
                                   env=dict(session.env, XDG_RUNTIME_DIR=runtime))
        main_window = session.window("Quillet")
        time.sleep(1.0)
        session.shot(shots and os.path.join(shots, "populated.png"))

        # Add: Insert opens the editor on a new task; its text is replaced, Enter is Ok.
        session.describe_task(main_window, "Insert", "Added by keys")

        # Edit the new task (the current row) through Enter in the grid.
        session.describe_task(main_window, "Return", "Edited by keys")

        # Clone it (Alt+C, then Yes).
        session.keys(main_window, "alt+c")
        session.answer_question()

        # Delete the first row (Ctrl+Home, Delete, Yes); the next task becomes current.
        session.keys(main_window, "ctrl+Home", "Delete")
        session.answer_question()

        # Complete the task now current (Alt+O), then close with Alt+X.
        session.keys(main_window, "alt+o")
        time.sleep(0.5)
        session.shot(shots and os.path.join(shots, "after_commands.png"))
        session.keys(main_window, "alt+x")
        program.wait(timeout=20)
        if program.returncode != 0:
            raise AssertionError(f"the program ended with {program.returncode}")

        rows = [(r["DESCRIPT"].rstrip(), bool(r["DONE"]), r["PRIORITY"], r["DATE"].rstrip())
                for r in dbfread.DBF(os.path.join(folder, "QUILX.DBF"), encoding="cp1252")]
        deleted = [r["DESCRIPT"].rstrip()
                   for r in dbfread.DBF(os.path.join(folder, "QUILX.DBF"), encoding="cp1252",
                                        load=True).deleted]
        expected = [("Beta", True, "B", "20261231"), ("Gamma", False, "C", ""),
                    ("Edited by keys", False, "B", ""), ("Edited by keys", False, "B", "")]
        if rows != expected or deleted != ["Alpha"]:
            raise AssertionError(f"table read back: {rows}, deleted {deleted}")
        settings = open(os.path.join(folder, "TODO.INI"), encoding="cp1252").read()
        if "[Preferences]" not in settings or "[TMainScreen_Placement" not in settings:
            raise AssertionError(f"settings written: {settings!r}")
        print("ok:", rows)
        return 0
    finally:
        if program is not None and program.poll() is None:
            program.kill()
        if server is not None:
            server.terminate()
            server.wait()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
