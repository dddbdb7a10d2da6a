#!/usr/bin/python3
"""The window's date drop-downs as a screen reader hears them.

Starts the real program on an X server of its own (Xvfb) with Qt's xcb
platform, on a D-Bus session of its own with the accessibility bus, and reads
the window's accessible tree over that bus with pyatspi, as Orca does. Each
drop-down must be announced with what it asks for (its name, or the label it
is labelled by) and with the text it shows.

    dropdowns_over_the_bus.py <the famescope program>

Exit status 0: passed; 1: failed; 77: skipped, a tool is missing (with
FAMESCOPE_NO_SKIP set, as scripts/test sets it, that is a failure).
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIP = 77
EXPECTED = [("Day of birth", "1"), ("Month of birth", "January"), ("Year of birth", "1980")]


def give_up(what):
    print(f"skipped: {what} is missing (scripts/setup ci installs it)")
    sys.exit(1 if os.environ.get("FAMESCOPE_NO_SKIP") else SKIP)


def start_x_server():
    # Xvfb picks a free display itself and writes its number to a pipe.
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as pipe:
        display = pipe.readline().strip()
    if not display:
        server.kill()
        raise RuntimeError("Xvfb did not start")
    return server, ":" + display


def find_window(pyatspi, deadline):
    while time.monotonic() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is None:
                continue
            for frame in app:
                if frame is not None and frame.name == "Famescope":
                    return frame
        time.sleep(0.2)
    return None


def announced(pyatspi, combo):
    """What a screen reader says for the drop-down: its label, its text."""
    label = combo.name
    for relation in combo.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            label = " ".join(relation.getTarget(i).name for i in range(relation.getNTargets()))
    shown = ""
    for child in combo:
        if child is not None and child.getRole() in (pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY):
            text = child.queryText()
            shown = text.getText(0, text.characterCount)
    return label, combo.description, shown


def check(program):
    import pyatspi

    server, display = start_x_server()
    folder = tempfile.mkdtemp()
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb",
               QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", XDG_RUNTIME_DIR=folder,
               XDG_DATA_HOME=os.path.join(folder, "data"), XDG_DATA_DIRS=folder)
    window = subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.PIPE)
    try:
        frame = find_window(pyatspi, time.monotonic() + 30)
        if frame is None:
            print("no window named Famescope on the accessibility bus within 30 s")
            return 1
        combos = pyatspi.findAllDescendants(
            frame, lambda o: o is not None and o.getRole() == pyatspi.ROLE_COMBO_BOX)
        heard = [announced(pyatspi, combo) for combo in combos]
        for label, description, shown in heard:
            print(f"combo box: label {label!r}, description {description!r}, text {shown!r}")
        failures = 0
        for purpose, text in EXPECTED:
            if not any(purpose in (label, description) and shown == text
                       for label, description, shown in heard):
                print(f"FAIL: no drop-down announced as {purpose!r} showing {text!r}")
                failures += 1
        if len(heard) != len(EXPECTED):
            print(f"FAIL: {len(heard)} combo boxes, not {len(EXPECTED)}")
            failures += 1
        return 1 if failures else 0
    finally:
        window.terminate()
        try:
            window.wait(5)
        except subprocess.TimeoutExpired:
            window.kill()
        server.terminate()
        server.wait()
        shutil.rmtree(folder, ignore_errors=True)


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    program = os.path.abspath(sys.argv[1])
    if os.environ.get("FAMESCOPE_ON_A_BUS_OF_ITS_OWN"):
        # A hung call on the bus fails the test instead of holding it.
        signal.alarm(90)
        return check(program)
    for tool in ("dbus-run-session", "Xvfb"):
        if not shutil.which(tool):
            give_up(tool)
    try:
        import pyatspi  # noqa: F401
    except ImportError:
        give_up("python3-pyatspi")
    env = dict(os.environ, FAMESCOPE_ON_A_BUS_OF_ITS_OWN="1")
    return subprocess.call(["dbus-run-session", "--", sys.executable, __file__, program], env=env)


if __name__ == "__main__":
    sys.exit(main())
