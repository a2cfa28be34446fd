"""A private D-Bus session bus with mocks of a notification area (StatusNotifierWatcher) and of
the notification service, for tests of what the program shows there."""

import os
import signal
import subprocess
import tempfile
import time

import dbus

PYTHON = "/usr/bin/python3"


class PrivateSessionBus:
    def __init__(self):
        self.directory = tempfile.TemporaryDirectory(prefix="vespern-bus-")
        self.processes = []
        self.daemon_pid = None
        self.address = None

    def __enter__(self):
        out = subprocess.run(
            ["dbus-daemon", "--session", "--address=unix:path=" + os.path.join(self.directory.name, "bus"),
             "--fork", "--print-address=1", "--print-pid=1"],
            capture_output=True, text=True, check=True, timeout=10).stdout.split()
        self.address, self.daemon_pid = out[0], int(out[1])
        self.connection = dbus.bus.BusConnection(self.address)
        return self

    def __exit__(self, *exc):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    process.kill()
        if self.daemon_pid:
            try:
                os.kill(self.daemon_pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
        self.directory.cleanup()

    def environment(self):
        env = dict(os.environ)
        env["DBUS_SESSION_BUS_ADDRESS"] = self.address
        return env

    def spawn(self, arguments, env=None, **kwargs):
        process = subprocess.Popen(arguments, env=env or self.environment(), stdin=subprocess.DEVNULL, **kwargs)
        self.processes.append(process)
        return process

    def wait_for_name(self, name, timeout=10):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.connection.name_has_owner(name):
                return
            time.sleep(0.05)
        raise TimeoutError("nobody took the bus name " + name)

    def start_notification_service(self):
        self.spawn([PYTHON, "-m", "dbusmock", "--session", "-t", "notification_daemon"],
                   stdout=subprocess.DEVNULL)
        self.wait_for_name("org.freedesktop.Notifications")
        return self.mock("org.freedesktop.Notifications", "/org/freedesktop/Notifications")

    def start_notification_area(self):
        self.spawn([PYTHON, "-m", "dbusmock", "--session", "org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher",
                    "org.kde.StatusNotifierWatcher"], stdout=subprocess.DEVNULL)
        self.wait_for_name("org.kde.StatusNotifierWatcher")
        watcher = self.mock("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher")
        watcher.AddProperties("org.kde.StatusNotifierWatcher", dbus.Dictionary({
            "IsStatusNotifierHostRegistered": dbus.Boolean(True),
            "ProtocolVersion": dbus.Int32(0),
            "RegisteredStatusNotifierItems": dbus.Array([], signature="s"),
        }, signature="sv"))
        watcher.AddMethod("org.kde.StatusNotifierWatcher", "RegisterStatusNotifierItem", "s", "", "")
        return watcher

    def mock(self, name, path):
        return dbus.Interface(self.connection.get_object(name, path), "org.freedesktop.DBus.Mock")


def wait_for_calls(mock, method, count=1, timeout=15):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        calls = [call for call in mock.GetMethodCalls(method)]
        if len(calls) >= count:
            return calls
        time.sleep(0.05)
    return [call for call in mock.GetMethodCalls(method)]
