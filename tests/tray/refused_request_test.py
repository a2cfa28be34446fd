#!/usr/bin/python3
"""A request the system refuses is told to the user: the program itself (not a dry run) asks a
mocked logind on a private system bus, which refuses; the balloon must reach the mocked
notification service on a private session bus, once, and the program keeps running. Without a
display the same refusal of a one-shot run is printed and the run ends.

Both bus addresses are checked to lie in the test's own directory before the program starts:
nothing here can reach the machine's own buses. Run under an X server (xvfb-run)."""

import os
import signal
import subprocess
import sys
import tempfile
import time
import unittest

import dbus

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [HERE, os.path.join(os.path.dirname(HERE), "ui")]
from sessionbus import PYTHON, PrivateSessionBus, wait_for_calls  # noqa: E402
from tray_bus_test import menu_item_id  # noqa: E402

PROGRAM = os.environ.get("VESPERN_PROGRAM", "vespern")
LOGIND = ("org.freedesktop.login1", "/org/freedesktop/login1")
MANAGER = "org.freedesktop.login1.Manager"
REFUSALS = {
    "org.freedesktop.DBus.Error.InteractiveAuthorizationRequired": "authentication is required",
    "org.freedesktop.DBus.Error.AccessDenied": "permission denied",
}


class RefusedRequest(unittest.TestCase):
    def setUp(self):
        self.session = PrivateSessionBus().__enter__()
        self.addCleanup(self.session.__exit__, None, None, None)
        self.root = self.session.directory.name
        out = subprocess.run(["dbus-daemon", "--session", "--address=unix:path=" + os.path.join(self.root, "system"),
                              "--fork", "--print-address=1", "--print-pid=1"],
                             capture_output=True, text=True, check=True, timeout=10).stdout.split()
        self.system_address, system_pid = out[0], int(out[1])
        self.addCleanup(os.kill, system_pid, signal.SIGTERM)
        self.system = dbus.bus.BusConnection(self.system_address)
        self.addCleanup(self.system.close)
        home = tempfile.TemporaryDirectory(prefix="vespern-home-")
        self.addCleanup(home.cleanup)
        self.env = self.session.environment()
        self.env.update({"HOME": home.name, "XDG_CONFIG_HOME": os.path.join(home.name, "config"),
                         "XDG_DATA_HOME": os.path.join(home.name, "data"), "XDG_RUNTIME_DIR": home.name,
                         "VESPERN_REGISTRY_DIR": os.path.join(home.name, "registry"),
                         "DBUS_SYSTEM_BUS_ADDRESS": self.system_address, "QT_QPA_PLATFORM": "xcb"})
        for name in ("VESPERN_DRY_RUN", "XDG_CURRENT_DESKTOP"):
            self.env.pop(name, None)
        self.logind = None

    def private_buses_only(self, env):
        for variable in ("DBUS_SYSTEM_BUS_ADDRESS", "DBUS_SESSION_BUS_ADDRESS"):
            if not env.get(variable, "").startswith("unix:path=" + self.root + "/"):
                raise RuntimeError(variable + " is not a private test bus: refusing to run the program")

    def start_logind(self):
        process = subprocess.Popen([PYTHON, "-m", "dbusmock", "--system", "-t", "logind"],
                                   env=dict(self.env, DBUS_SYSTEM_BUS_ADDRESS=self.system_address),
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.session.processes.append(process)
        deadline = time.monotonic() + 10
        while not self.system.name_has_owner(LOGIND[0]):
            self.assertLess(time.monotonic(), deadline, "the logind mock did not start")
            time.sleep(0.05)
        self.logind = dbus.Interface(self.system.get_object(*LOGIND), "org.freedesktop.DBus.Mock")
        return process

    def refuse(self, name):
        self.logind.AddMethod(MANAGER, "PowerOff", "b", "",
                              "raise dbus.exceptions.DBusException('refused by the test', name=%r)" % name)

    def test_each_refusal_is_one_balloon_and_the_program_keeps_running(self):
        notifications = self.session.start_notification_service()
        watcher = self.session.start_notification_area()
        logind_process = self.start_logind()
        self.private_buses_only(self.env)
        program = self.session.spawn([PROGRAM], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                     text=True)
        self.assertEqual(len(wait_for_calls(notifications, "Notify")), 1, "the start-up balloon")
        service = str(wait_for_calls(watcher, "RegisterStatusNotifierItem")[-1][1][0])
        item = self.session.connection.get_object(service, "/StatusNotifierItem")
        menu_path = str(item.Get("org.kde.StatusNotifierItem", "Menu", dbus_interface=dbus.PROPERTIES_IFACE))
        menu = dbus.Interface(self.session.connection.get_object(service, menu_path), "com.canonical.dbusmenu")
        shutdown = menu_item_id(menu.GetLayout(0, -1, dbus.Array([], signature="s")), "Shutdown")
        self.assertIsNotNone(shutdown, "the tray menu offers Shutdown")

        expected = ["Shutdown was refused: " + reason for reason in REFUSALS.values()]
        expected.append("Shutdown failed: logind (org.freedesktop.login1) is not running")
        for count, (name, text) in enumerate(zip(list(REFUSALS) + [None], expected), start=2):
            with self.subTest(text=text):
                if name:
                    self.refuse(name)
                else:
                    logind_process.terminate()
                    logind_process.wait(5)
                menu.Event(shutdown, "clicked", dbus.Int32(0, variant_level=1), dbus.UInt32(0))
                calls = wait_for_calls(notifications, "Notify", count)
                self.assertEqual(len(calls), count)
                args = calls[-1][1]
                self.assertEqual((str(args[3]), str(args[4])), ("Vespern", text))
                self.assertEqual(str(args[2]), "dialog-error", "the error icon")
                time.sleep(0.5)
                self.assertEqual(len(notifications.GetMethodCalls("Notify")), count, "told once")
                self.assertIsNone(program.poll(), "the program keeps running")

    def test_without_a_display_a_refused_one_shot_run_prints_it_and_ends(self):
        self.start_logind()
        self.refuse("org.freedesktop.DBus.Error.InteractiveAuthorizationRequired")
        env = dict(self.env)
        for name in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"):
            env.pop(name, None)
        self.private_buses_only(env)
        completed = subprocess.run([PROGRAM, "/home/someone/Desktop/SHUTDOWN.link", "-platform", "x"], env=env,
                                   capture_output=True, text=True, timeout=30, stdin=subprocess.DEVNULL)
        self.assertEqual(completed.returncode, 0, completed.stderr)
        lines = completed.stderr.splitlines()
        self.assertIn("Vespern: Shutdown was refused: authentication is required", lines)
        self.assertTrue(any(line.startswith("vespern: cannot power off: ") for line in lines), lines)


if __name__ == "__main__":
    unittest.main(verbosity=2)
