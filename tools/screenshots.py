#!/usr/bin/python3
"""Takes the pictures of the windows under docs/ from the real program, in a dry run.

Usage: xvfb-run -a -s '-screen 0 1024x768x24' dbus-run-session -- tools/screenshots.py build/vespern [DIR]

The windows are opened through the accessibility bus, the screen is taken with ImageMagick's
`import -window root`, and each window is cut out by the place the accessibility bus gives.
Nothing is asked of the system: the program runs with VESPERN_DRY_RUN=1 and a temporary home.
"""
import os
import subprocess
import sys
import tempfile
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))


def wait_for(predicate, seconds=15.0):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        found = predicate()
        if found:
            return found
        time.sleep(0.1)
    raise SystemExit("timed out waiting for the program")


def walk(node):
    yield node
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            yield from walk(child)


def find(node, role, name):
    for candidate in walk(node):
        if candidate.get_role_name() == role and candidate.get_name() == name \
                and candidate.get_state_set().contains(Atspi.StateType.SHOWING):
            return candidate
    return None


def press(node, action="Press"):
    for i in range(node.get_n_actions()):
        if node.get_action_name(i) == action:
            node.do_action(i)
            return
    raise SystemExit("no action %s on %s" % (action, node.get_name()))


def key(keysym):
    Atspi.generate_keyboard_event(keysym, None, Atspi.KeySynthType.SYM)
    time.sleep(0.3)


def shoot(window, path):
    time.sleep(0.8)  # let the window paint
    box = window.get_extents(Atspi.CoordType.SCREEN)
    with tempfile.NamedTemporaryFile(suffix=".png") as screen:
        subprocess.run(["import", "-window", "root", screen.name], check=True, timeout=30)
        subprocess.run(["convert", screen.name, "-crop", "%dx%d+%d+%d" % (box.width, box.height, box.x, box.y),
                        "+repage", path], check=True, timeout=30)
    print("wrote " + path)


def main():
    vespern = sys.argv[1]
    out = sys.argv[2] if len(sys.argv) > 2 else os.path.join(HERE, "..", "docs")
    with tempfile.TemporaryDirectory() as root:
        runtime = os.path.join(root, "runtime")
        os.makedirs(runtime, mode=0o700)
        env = dict(os.environ, HOME=root, XDG_CONFIG_HOME=os.path.join(root, "config"),
                   XDG_DATA_HOME=os.path.join(root, "data"), XDG_CACHE_HOME=os.path.join(root, "cache"),
                   XDG_RUNTIME_DIR=runtime, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                   VESPERN_DRY_RUN="1", LC_ALL="C.UTF-8")
        program = subprocess.Popen([vespern], env=env, stderr=subprocess.DEVNULL)
        try:
            def application():
                desktop = Atspi.get_desktop(0)
                for i in range(desktop.get_child_count()):
                    candidate = desktop.get_child_at_index(i)
                    if candidate is not None and candidate.get_process_id() == program.pid:
                        return candidate
                return None

            app = wait_for(application)

            def window(role, name):
                for i in range(app.get_child_count()):
                    candidate = app.get_child_at_index(i)
                    if candidate is not None and candidate.get_role_name() == role and candidate.get_name() == name \
                            and candidate.get_state_set().contains(Atspi.StateType.SHOWING):
                        return candidate
                return None

            frame = wait_for(lambda: window("frame", "Vespern"))
            shoot(frame, os.path.join(out, "main-window.png"))
            press(find(frame, "push button", "Option"))
            options = wait_for(lambda: window("dialog", "Vespern Option"))
            shoot(options, os.path.join(out, "options-dialog.png"))
            press(find(options, "push button", "Close"))
            press(find(frame, "link", "About"))
            shoot(wait_for(lambda: window("dialog", "About")), os.path.join(out, "about-box.png"))
        finally:
            program.terminate()
            program.wait(10)


if __name__ == "__main__":
    main()
