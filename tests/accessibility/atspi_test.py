#!/usr/bin/python3
"""The program as a screen-reader and keyboard user meets it, through the accessibility bus.

Usage: xvfb-run -a -s '-screen 0 1024x768x24' dbus-run-session -- atspi_test.py VESPERN [CASE...]

dbus-run-session gives a private session bus, which starts the accessibility bus (at-spi2-core)
on demand. Every run of the program is a dry run (VESPERN_DRY_RUN=1) with a temporary home: the
requests it would make are read from the "dry run:" lines on its standard error. The program is
driven only through AT-SPI (actions, text, focus) and synthesized keys, never through its code.
Every process started here is ended here; every wait is bounded.
"""
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

failures = []
KEY_TAB, KEY_RETURN, KEY_ESCAPE, KEY_DOWN = 0xFF09, 0xFF0D, 0xFF1B, 0xFF54
KEY_SPACE, KEY_A = 0x20, 0x61
# What every control role a person operates must carry: a name.
CONTROL_ROLES = {"push button", "check box", "radio button", "spin button", "text", "link", "combo box",
                 "page tab", "progress bar"}


def check(condition, what):
    print(("ok     " if condition else "FAILED ") + what, flush=True)
    if not condition:
        failures.append(what)
    return condition


def wait_until(predicate, seconds=10.0):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        pump()
        result = predicate()
        if result:
            return result
        time.sleep(0.05)
    return predicate()


def pump():
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)


def settle(seconds=0.3):
    wait_until(lambda: False, seconds)


def states(node):
    return node.get_state_set()


def showing(node):
    try:
        return states(node).contains(Atspi.StateType.SHOWING)
    except GLib.Error:
        return False


def walk(node):
    """The node and everything below it."""
    yield node
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            yield from walk(child)


def find(node, role, name=None, shown=True):
    for candidate in walk(node):
        if candidate.get_role_name() == role and (name is None or candidate.get_name() == name) \
                and (not shown or showing(candidate)):
            return candidate
    return None


def text_of(node):
    return node.get_text(0, node.get_character_count())


def spoken_name(node):
    """The name a screen reader speaks: the object's own, else the one of its label."""
    name = (node.get_name() or "").strip()
    if name and node.get_role_name() != "combo box":
        return name
    for relation in node.get_relation_set():
        if relation.get_relation_type() == Atspi.RelationType.LABELLED_BY and relation.get_n_targets():
            return (relation.get_target(0).get_name() or "").strip()
    return "" if node.get_role_name() == "combo box" else name


def act(node, action):
    """Runs a named action (Press, Toggle) as assistive technology does."""
    for i in range(node.get_n_actions()):
        if node.get_action_name(i) == action:
            return node.do_action(i)
    raise AssertionError("%s %r has no action %s" % (node.get_role_name(), node.get_name(), action))


def key(keysym):
    Atspi.generate_keyboard_event(keysym, None, Atspi.KeySynthType.SYM)
    settle(0.15)


def type_text(text):
    Atspi.generate_keyboard_event(0, text, Atspi.KeySynthType.STRING)
    settle(0.3)


def select_all():
    """Ctrl+A."""
    control = 1 << Atspi.ModifierType.CONTROL
    Atspi.generate_keyboard_event(control, None, Atspi.KeySynthType.LOCKMODIFIERS)
    Atspi.generate_keyboard_event(KEY_A, None, Atspi.KeySynthType.SYM)
    Atspi.generate_keyboard_event(control, None, Atspi.KeySynthType.UNLOCKMODIFIERS)
    settle(0.15)


class FocusTracker:
    """Follows the focus as a screen reader does: by the focus events the program sends."""

    def __init__(self):
        self.current = None
        self.listener = Atspi.EventListener.new(self._event)
        self.listener.register("object:state-changed:focused")

    def _event(self, event):
        if event.detail1 == 1:
            self.current = event.source

    def close(self):
        self.listener.deregister("object:state-changed:focused")


tracker = None


def focused(window):
    """The focused object, when it belongs to the window."""
    node = tracker.current
    if node is None:
        return None
    ancestor = node
    while ancestor is not None and ancestor != window:
        ancestor = ancestor.get_parent()
    return node if ancestor == window else None


def described(node):
    return (node.get_role_name(), spoken_name(node)) if node is not None else None


class Program:
    """One run of the program in a home of its own."""

    def __init__(self, vespern, root):
        self.root = root
        home = os.path.join(root, "home")
        runtime = os.path.join(root, "runtime")
        os.makedirs(home)
        os.makedirs(runtime, mode=0o700)
        env = dict(os.environ)
        env.update(HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                   XDG_DATA_HOME=os.path.join(home, ".local/share"), XDG_CACHE_HOME=os.path.join(home, ".cache"),
                   XDG_RUNTIME_DIR=runtime, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                   VESPERN_DRY_RUN="1", LC_ALL="C.UTF-8", LANGUAGE="")
        env.pop("VESPERN_REGISTRY_DIR", None)
        self.errors_path = os.path.join(root, "stderr")
        self.errors = open(self.errors_path, "w")
        self.process = subprocess.Popen([vespern], env=env, stdout=subprocess.DEVNULL, stderr=self.errors)
        self.application = wait_until(self._application, 20)
        if self.application is None:
            raise AssertionError("the program does not appear on the accessibility bus")
        self.frame = wait_until(lambda: self.window("frame", "Vespern"), 20)
        if self.frame is None:
            raise AssertionError("the main window does not appear as a frame named Vespern")
        self._focus_into(self.frame)

    def _application(self):
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            application = desktop.get_child_at_index(i)
            if application is not None and application.get_process_id() == self.process.pid:
                return application
        return None

    def window(self, role, name):
        for i in range(self.application.get_child_count()):
            window = self.application.get_child_at_index(i)
            if window is not None and window.get_role_name() == role and window.get_name() == name \
                    and showing(window):
                return window
        return None

    def _focus_into(self, window):
        # Without a window manager the keyboard goes to the window that was clicked.
        box = find(window, "panel", "Computer Name").get_extents(Atspi.CoordType.SCREEN)
        Atspi.generate_mouse_event(box.x + 4, box.y + box.height - 4, "b1c")
        settle(0.5)

    def requests(self, operation="ExitWindowsEx"):
        self.errors.flush()
        with open(self.errors_path) as errors:
            return [line.split("dry run: ", 1)[1].strip() for line in errors
                    if line.startswith("dry run: " + operation)]

    def control(self, role, name):
        found = wait_until(lambda: find(self.frame, role, name), 5)
        if found is None:
            raise AssertionError("no %s %r is showing" % (role, name))
        return found

    def list_field(self, name):
        """The text field of a list, named like the list."""
        return self.control("text", name)

    def pick(self, list_name, item):
        """Chooses a list item with the arrow keys, as a keyboard user does."""
        lists = [n for n in walk(self.frame) if n.get_role_name() == "combo box" and showing(n)
                 and spoken_name(n) == list_name]
        if not lists:
            raise AssertionError("no list %r is showing" % list_name)
        items = [n.get_name() for n in walk(lists[0]) if n.get_role_name() == "list item"]
        self.list_field(list_name).grab_focus()
        settle(0.2)
        for _ in range(items.index(item) + 1):
            key(KEY_DOWN)
        if not wait_until(lambda: lists[0].get_name() == item, 5):
            raise AssertionError("the list %r does not show %r" % (list_name, item))

    def close(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.errors.close()


def x_titles():
    """The titles of the program's top-level X windows, as a window manager reads them."""
    tree = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True, text=True, timeout=10).stdout
    titles = []
    for line in tree.splitlines():
        if '"' in line and "vespern" in line.lower():
            titles.append(line.split('"')[1])
    return titles


def roles_names_and_titles(program):
    frame = program.frame
    check(frame.get_role_name() == "frame", "the main window is a frame")
    everything = list(walk(frame))
    check(not [n for n in everything if n.get_role_name() == "image"], "the banner picture is not in the tree")
    labels = [n for n in everything if n.get_role_name() == "label"]
    check(all((n.get_name() or "").strip() for n in labels), "every label in the tree has something to say")
    unnamed = [described(n) for n in everything if n.get_role_name() in CONTROL_ROLES and showing(n)
               and not spoken_name(n)]
    check(not unnamed, "every control of the main window has a name (%s)" % unnamed)
    host = socket.gethostname().split(".")[0].lower()
    check(any((n.get_name() or "").lower() == host[:15] for n in labels),
          "the computer name is read out (%s)" % host)
    check(spoken_name(program.control("combo box", "Event Menu")) == "Event", "the event list is labelled Event")

    check("Vespern" in x_titles(), "the main window is titled exactly Vespern (%s)" % x_titles())

    act(program.control("push button", "Option"), "Press")
    options = wait_until(lambda: program.window("dialog", "Vespern Option"))
    if check(options is not None, "Options opens as a dialog named Vespern Option"):
        unnamed = [described(n) for n in walk(options) if n.get_role_name() in CONTROL_ROLES and showing(n)
                   and not spoken_name(n)]
        check(not unnamed, "every control of Options has a name (%s)" % unnamed)
        main, dialog = frame.get_extents(Atspi.CoordType.SCREEN), options.get_extents(Atspi.CoordType.SCREEN)
        offset = abs((main.x + main.width // 2) - (dialog.x + dialog.width // 2)) \
            + abs((main.y + main.height // 2) - (dialog.y + dialog.height // 2))
        check(offset <= 4, "Options opens centred on the main window (%d pixels off)" % offset)
        check("Vespern Option" in x_titles(), "its title is exactly Vespern Option (%s)" % x_titles())
        key(KEY_ESCAPE)
        check(wait_until(lambda: program.window("dialog", "Vespern Option") is None, 5), "Escape closes Options")

    act(program.control("link", "About"), "Press")
    about = wait_until(lambda: program.window("dialog", "About"))
    if check(about is not None, "the About link opens a dialog named About"):
        read = [(n.get_role_name(), n.get_name()) for n in walk(about)][1:]
        check(read == [("label", "Vespern"), ("label", "Version 1.0")],
              "the About box reads name and version, no decorations (%s)" % read)
        check("About" in x_titles(), "its title is exactly About (%s)" % x_titles())
        key(KEY_ESCAPE)
        check(wait_until(lambda: program.window("dialog", "About") is None, 5), "Escape closes the About box")
    check(not [t for t in x_titles() if "\u2014" in t], "no title carries an added application name")


def next_focus(window, press):
    """Presses a key and waits for the focus to move (on a loaded machine the event comes late)."""
    before = tracker.current
    press()
    wait_until(lambda: tracker.current is not before, 3)
    return described(focused(window))


def tab_order(window, first, presses):
    visited = [next_focus(window, first.grab_focus)]
    for _ in range(presses):
        visited.append(next_focus(window, lambda: key(KEY_TAB)))
    return visited


def tab_orders(program):
    frame = program.frame
    idle = [("link", "Help"), ("link", "About"), ("radio button", "Local Computer"), ("combo box", "Event"),
            ("combo box", "Action"), ("check box", "Force Action"), ("check box", "Show Confirm Before Execute Action"),
            ("push button", "Start"), ("push button", "Now"), ("push button", "Option"), ("link", "Help")]
    visited = tab_order(frame, program.control("link", "Help"), len(idle) - 1)
    check(visited == idle, "Tab visits the main window's shown controls in order (%s)" % visited)
    # With an event chosen, its settings join; the covered ones never do.
    program.pick("Event", "Low CPU Usage")
    visited = tab_order(frame, program.control("link", "Help"), 7)
    check(visited[3:7] == [("combo box", "Event"), ("spin button", "CPU usage below, percent"),
                           ("spin button", "For how many seconds"), ("combo box", "Action")],
          "only the chosen event's settings take part in Tab (%s)" % visited[3:7])
    # Network mode: the network set, none of the local controls.
    act(program.control("radio button", "Network Computer"), "Toggle")
    settle(0.3)
    visited = tab_order(frame, program.control("link", "Help"), 8)
    check(visited[2:8] == [("radio button", "Network Computer"), ("text", "Client computer name"),
                           ("push button", "Browse"), ("combo box", "Event"), ("combo box", "Action"),
                           ("check box", "Force Action")],
          "in network mode Tab visits the network set only (%s)" % visited[2:8])
    act(program.control("push button", "Option"), "Press")
    options = wait_until(lambda: program.window("dialog", "Vespern Option"))
    if check(options is not None, "Options opens"):
        first = find(options, "check box", "Empty Recycle bin on action")
        visited = [name for _, name in tab_order(options, first, 8)]
        check(visited == ["Empty Recycle bin on action", "Run minimized in Start Up", "Always on top",
                          "Disable Ctrl+Alt+Del for display task manager", "Hide shutdown button on start menu",
                          "Hide log off button on start menu", "Close", "Save Setting", "General"],
              "Tab visits the General page of Options, then its buttons (%s)" % visited)


def toggle_force_then_now(program):
    force = program.control("check box", "Force Action")
    act(force, "Toggle")
    check(wait_until(lambda: states(force).contains(Atspi.StateType.CHECKED), 3), "Toggle ticks Force Action")
    program.pick("Action", "Shutdown")
    act(program.control("push button", "Now"), "Press")
    check(wait_until(lambda: program.requests(), 10) == ["ExitWindowsEx uFlags=5 dwReserved=0"],
          "Now after Toggle asks for the forced shutdown (%s)" % program.requests())


def whole_text_process_name(program, root):
    # A program of our own with a name nothing else has.
    watched = os.path.join(root, "vespernwatch")
    shutil.copy("/bin/sleep", watched)
    sleeper = subprocess.Popen([watched, "300"])
    try:
        program.pick("Event", "On Process Stops")
        field = program.list_field("Process name")
        field.set_text_contents("vespernwatch")
        settle(0.3)
        program.pick("Action", "Shutdown")
        act(program.control("push button", "Start"), "Press")
        check(wait_until(lambda: find(program.frame, "push button", "Stop"), 5) is not None, "Start arms the watch")
        settle(3.0)
        check(program.requests() == [], "nothing fires while the named process runs (%s)" % program.requests())
        sleeper.send_signal(signal.SIGTERM)
        sleeper.wait(5)
        check(wait_until(lambda: program.requests(), 15) == ["ExitWindowsEx uFlags=1 dwReserved=0"],
              "the action runs once the named process has stopped (%s)" % program.requests())
    finally:
        if sleeper.poll() is None:
            sleeper.kill()
            sleeper.wait()


def escape_cancels_the_confirmation(program):
    announced = []
    listener = Atspi.EventListener.new(
        lambda event: announced.append((event.type, event.source.get_role_name(), event.source.get_name())))
    for kind in ("window:activate", "object:state-changed:showing"):
        listener.register(kind)
    act(program.control("check box", "Show Confirm Before Execute Action"), "Toggle")
    program.pick("Event", "On Process Stops")
    program.list_field("Process name").set_text_contents("no-such-program-here")
    program.pick("Action", "Shutdown")
    act(program.control("push button", "Start"), "Press")
    alert = wait_until(lambda: program.window("alert", "Message"), 10)
    if not check(alert is not None, "the confirmation opens as an alert named Message"):
        return
    check(wait_until(lambda: ("window:activate", "alert", "Message") in announced, 5),
          "its opening is announced (%s)" % announced[-3:])
    check(alert.get_description().strip() == "Are you sure wan to Shutdown ?",
          "the alert carries the question (%r)" % alert.get_description())
    check(described(wait_until(lambda: focused(alert), 3)) == ("push button", "Cancel"), "the focus starts on Cancel")
    bar = find(alert, "progress bar")
    if check(bar is not None, "the countdown is a progress bar"):
        seconds = bar.get_current_value()
        check(1 <= seconds <= 10 and bar.get_maximum_value() == 10,
              "its value is the seconds left (%s of %s)" % (seconds, bar.get_maximum_value()))
        check(bar.get_description().endswith("seconds left"), "its text says the seconds left (%r)"
              % bar.get_description())
    visited = [name for _, name in tab_order(alert, find(alert, "push button", "Cancel"), 2)]
    check(visited == ["Cancel", "Execute Now", "Cancel"], "Tab goes between its two buttons (%s)" % visited)
    key(KEY_ESCAPE)
    check(wait_until(lambda: program.window("alert", "Message") is None, 5), "Escape closes it")
    check(wait_until(lambda: find(program.frame, "push button", "Start"), 5) is not None, "and disarms the event")
    settle(11.0)
    check(program.requests() == [], "no request follows a cancelled confirmation (%s)" % program.requests())
    listener.deregister("window:activate")
    listener.deregister("object:state-changed:showing")


def start_by_keyboard_then_space(program):
    program.pick("Event", "Countdown")
    program.pick("Action", "Shutdown")
    start = program.control("push button", "Start")
    next_focus(program.frame, start.grab_focus)
    check(next_focus(program.frame, lambda: key(KEY_SPACE)) == ("push button", "Stop"),
          "after Start the focus is on Stop, in Start's place")
    check(next_focus(program.frame, lambda: key(KEY_SPACE)) == ("push button", "Start"),
          "a second Space stops, and the focus is back on Start")
    key(KEY_SPACE)
    key(KEY_SPACE)
    settle(1.0)
    check(program.requests() == [], "no sequence of Space runs the action (%s)" % program.requests())


def typed_time_is_armed(program):
    program.pick("Event", "On Time")
    program.pick("Action", "Shutdown")
    picker = program.control("spin button", "Time of day")
    picker.grab_focus()
    settle(0.2)
    select_all()
    type_text("07:41:44")
    check(text_of(picker) == "07:41:44", "the picker shows the typed time (%r)" % text_of(picker))
    # Pressed by assistive technology: the focus stays in the picker.
    act(program.control("push button", "Start"), "Press")
    check(wait_until(lambda: find(program.frame, "label", "07:41:44"), 5) is not None,
          "the typed whole time is the time armed")
    act(program.control("push button", "Stop"), "Press")
    program.control("push button", "Start")
    picker = program.control("spin button", "Time of day")
    picker.grab_focus()
    settle(0.2)
    select_all()
    type_text("7x")
    act(program.control("push button", "Start"), "Press")
    error = wait_until(lambda: [n for n in walk(program.application)
                                if n.get_role_name() == "label" and "not a valid date and time" in (n.get_name() or "")],
                       5)
    check(bool(error) and error[0].get_name() == "'7x' is not a valid date and time.",
          "unreadable text is answered (%s)" % (error[0].get_name() if error else None))
    key(KEY_RETURN)
    settle(0.5)
    check(find(program.frame, "push button", "Start") is not None, "and the event is not armed")
    check(text_of(picker) == "07:41:44", "the picker shows its time again")


CASES = {
    "roles": roles_names_and_titles,
    "tab": tab_orders,
    "force": toggle_force_then_now,
    "process": whole_text_process_name,
    "confirm": escape_cancels_the_confirmation,
    "keyboard": start_by_keyboard_then_space,
    "time": typed_time_is_armed,
}


def main():
    global tracker
    tracker = FocusTracker()
    vespern = sys.argv[1]
    chosen = sys.argv[2:] or list(CASES)
    for name in chosen:
        print("--- " + name, flush=True)
        with tempfile.TemporaryDirectory() as root:
            program = None
            try:
                program = Program(vespern, root)
                case = CASES[name]
                case(program, root) if case is whole_text_process_name else case(program)
            except (AssertionError, GLib.Error) as error:
                check(False, "%s: %s" % (name, error))
            finally:
                if program is not None:
                    program.close()
    if failures:
        print("%d failed" % len(failures))
        return 1
    print("all accessibility checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
