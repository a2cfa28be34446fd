#!/usr/bin/python3
"""The tray icon against a private session bus with a mocked notification area and
notification service.

Usage: xvfb-run -a tray_bus_test.py PROBE VESPERN

Runs on an X display (the offscreen platform of Qt 6.4 has no notification-area support at all).

PROBE is the tray probe (the component alone), VESPERN the program, run with VESPERN_DRY_RUN=1.
Every process started here is ended here; every wait is bounded.
"""
import os
import signal
import subprocess
import sys
import tempfile
import time

import dbus

WATCHER = "org.kde.StatusNotifierWatcher"
NOTIFICATIONS = "org.freedesktop.Notifications"
MOCK = "org.freedesktop.DBus.Mock"
failures = []


def check(condition, what):
    print(("ok     " if condition else "FAILED ") + what, flush=True)
    if not condition:
        failures.append(what)


def wait_until(predicate, seconds=10.0):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if predicate():
            return True
        time.sleep(0.05)
    return predicate()


class Session:
    def __init__(self, root):
        self.root = root
        self.processes = []
        home = os.path.join(root, "home")
        runtime = os.path.join(root, "runtime")
        os.makedirs(home)
        os.makedirs(runtime, mode=0o700)
        self.env = dict(os.environ)
        self.env.update(HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                        XDG_DATA_HOME=os.path.join(home, ".local/share"),
                        XDG_CACHE_HOME=os.path.join(home, ".cache"), XDG_RUNTIME_DIR=runtime,
                        QT_QPA_PLATFORM="xcb", VESPERN_DRY_RUN="1")
        out = subprocess.run(["dbus-daemon", "--session", "--address=unix:path=%s/bus" % root, "--fork",
                              "--print-address=1", "--print-pid=1"], check=True, capture_output=True, text=True,
                             timeout=10).stdout.split()
        self.address, self.daemon = out[0], int(out[1])
        self.env["DBUS_SESSION_BUS_ADDRESS"] = self.address
        self.bus = dbus.bus.BusConnection(self.address)

    def start(self, argv, **kwargs):
        process = subprocess.Popen(argv, env=self.env, **kwargs)
        self.processes.append(process)
        return process

    def mock(self, *arguments):
        self.start(["/usr/bin/python3", "-m", "dbusmock", "--session", *arguments],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def owned(self, name):
        return self.bus.name_has_owner(name)

    def start_watcher(self):
        # A template, so the watcher is complete before it answers its first call.
        self.mock("-t", os.path.join(os.path.dirname(os.path.abspath(__file__)), "status_notifier_watcher.py"))
        assert wait_until(lambda: self.owned(WATCHER)), "the watcher mock did not start"
        return dbus.Interface(self.bus.get_object(WATCHER, "/StatusNotifierWatcher"), MOCK)

    def start_notifications(self):
        self.mock("-t", "notification_daemon")
        assert wait_until(lambda: self.owned(NOTIFICATIONS)), "the notification mock did not start"
        return dbus.Interface(self.bus.get_object(NOTIFICATIONS, "/org/freedesktop/Notifications"), MOCK)

    def close(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        self.bus.close()
        os.kill(self.daemon, signal.SIGTERM)


def calls(mock, method):
    return [call[1] for call in mock.GetMethodCalls(method)]


def registered_item(watcher):
    items = calls(watcher, "RegisterStatusNotifierItem")
    return str(items[-1][0]) if items else None


def component_test(probe):
    with tempfile.TemporaryDirectory() as root:
        session = Session(root)
        try:
            watcher = session.start_watcher()
            notifications = session.start_notifications()
            run = subprocess.run([probe], env=session.env, capture_output=True, text=True, timeout=30)
            check(run.returncode == 0, "the probe ends normally: " + run.stderr.strip()[-300:])
            check("available 1" in run.stdout, "the notification area is seen")
            check(registered_item(watcher) is not None, "the icon registers with the notification area")
            notes = calls(notifications, "Notify")
            check(len(notes) == 2, "two balloons reach the notification service (%d)" % len(notes))
            if len(notes) == 2:
                first, second = notes
                check(str(first[3]) == "T" * 63, "the balloon title arrives cut at 63 characters")
                check(str(first[4]) == "x" * 255, "the balloon text arrives cut at 255 characters")
                check(int(first[7]) == 10000, "the display time is given in milliseconds")
                check(str(second[3]) == "Second", "the second balloon arrives")
            closed = [int(c[0]) for c in calls(notifications, "CloseNotification")]
            check(closed[:1] == [1], "the second balloon takes the first one away first (%s)" % closed)
        finally:
            session.close()


def menu_item_id(layout, label):
    _, (item_id, properties, children) = layout
    if str(properties.get("label", "")).replace("&", "") == label:
        return int(item_id)
    for child in children:
        found = menu_item_id((0, child), label)
        if found is not None:
            return found
    return None


def program_test(vespern):
    with tempfile.TemporaryDirectory() as root:
        session = Session(root)
        try:
            watcher = session.start_watcher()
            notifications = session.start_notifications()
            program = session.start([vespern], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
            check(wait_until(lambda: registered_item(watcher) is not None), "the program's icon registers")
            service = registered_item(watcher)
            if service is None:
                return
            item = session.bus.get_object(service, "/StatusNotifierItem")
            tooltip = item.Get("org.kde.StatusNotifierItem", "ToolTip", dbus_interface=dbus.PROPERTIES_IFACE)
            check(str(tooltip[2]) == "Vespern", "the tooltip is \"Vespern\" (%s)" % tooltip[2])
            check(wait_until(lambda: len(calls(notifications, "Notify")) >= 1),
                  "the start-up balloon is shown")
            start_up = calls(notifications, "Notify")[0]
            check(str(start_up[3]) == "Vespern Information", "the start-up balloon has its title")
            # The notification area restarts: the icon is announced to the new one.
            session.processes[0].terminate()
            session.processes[0].wait(5)
            watcher = session.start_watcher()
            check(wait_until(lambda: registered_item(watcher) is not None, 10),
                  "a restarted notification area gets the program's icon again")
            menu_path = str(item.Get("org.kde.StatusNotifierItem", "Menu", dbus_interface=dbus.PROPERTIES_IFACE))
            menu = dbus.Interface(session.bus.get_object(service, menu_path), "com.canonical.dbusmenu")
            layout = menu.GetLayout(0, -1, dbus.Array([], signature="s"))
            exit_id = menu_item_id(layout, "Exit Vespern")
            check(exit_id is not None, "the tray menu offers \"Exit Vespern\"")
            if exit_id is None:
                return
            menu.Event(exit_id, "clicked", dbus.Int32(0, variant_level=1), dbus.UInt32(0))
            try:
                code = program.wait(10)
            except subprocess.TimeoutExpired:
                code = None
            check(code == 0, "\"Exit Vespern\" ends the program (exit code %s)" % code)
            check(not session.owned(service) if not service.startswith(":") else True,
                  "the icon is gone from the bus when the program has ended")
        finally:
            session.close()


def late_area_test(vespern):
    """Without a notification area a start without argument keeps the window up and says so."""
    with tempfile.TemporaryDirectory() as root:
        session = Session(root)
        try:
            session.start_notifications()
            program = session.start([vespern], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
            time.sleep(1.0)
            check(program.poll() is None, "without a notification area the program keeps running")
            watcher = session.start_watcher()
            check(wait_until(lambda: registered_item(watcher) is not None, 10),
                  "a notification area that appears later gets the icon")
            service = registered_item(watcher)
            if service is not None:
                item = session.bus.get_object(service, "/StatusNotifierItem")
                properties = item.GetAll("org.kde.StatusNotifierItem", dbus_interface=dbus.PROPERTIES_IFACE)
                check(str(properties["ToolTip"][2]) == "Vespern", "its tooltip is \"Vespern\"")
                check(len(properties["IconPixmap"]) == 1 and int(properties["IconPixmap"][0][0]) == 38,
                      "it carries the icon picture")
                # The notification area restarts: the icon is announced to the new one.
                session.processes[-1].terminate()
                session.processes[-1].wait(5)
                watcher = session.start_watcher()
                check(wait_until(lambda: registered_item(watcher) is not None, 10),
                      "a restarted notification area gets the icon again")
            program.terminate()
            _, errors = program.communicate(timeout=10)
            check("no notification area" in errors, "the missing notification area is said on standard error")
        finally:
            session.close()


def main():
    probe, vespern = sys.argv[1], sys.argv[2]
    component_test(probe)
    program_test(vespern)
    late_area_test(vespern)
    if failures:
        print("%d failed" % len(failures))
        return 1
    print("all tray checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
