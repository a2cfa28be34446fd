#!/usr/bin/python3
"""A service that never answers freezes nothing: after a tray menu request whose service never
answers (the test's own connection owns the name and reads nothing sent to it), the program's
tray object on the session bus answers within half a second at every moment of the next 15 s.
NetworkManager in a dry run; then, outside the dry run, a session manager and logind that never
answer (private buses only).

Both bus addresses are checked to lie in the test's own directory before the program starts.
Run under an X server (xvfb-run)."""

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
from sessionbus import PrivateSessionBus, wait_for_calls  # noqa: E402
from tray_bus_test import menu_item_id  # noqa: E402

PROGRAM = os.environ.get("VESPERN_PROGRAM", "vespern")
ITEM = "org.kde.StatusNotifierItem"
WATCH_SECONDS = 15
LONGEST_ANSWER = 0.5


class SlowService(unittest.TestCase):
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
        for variable in ("DBUS_SYSTEM_BUS_ADDRESS", "DBUS_SESSION_BUS_ADDRESS"):
            if not self.env[variable].startswith("unix:path=" + self.root + "/"):
                raise RuntimeError(variable + " is not a private test bus: refusing to run the program")
        self.notifications = self.session.start_notification_service()
        self.watcher = self.session.start_notification_area()

    def start_program(self, env):
        program = self.session.spawn([PROGRAM], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.assertEqual(len(wait_for_calls(self.notifications, "Notify")), 1, "the start-up balloon")
        service = str(wait_for_calls(self.watcher, "RegisterStatusNotifierItem")[-1][1][0])
        self.item = self.session.connection.get_object(service, "/StatusNotifierItem")
        menu_path = str(self.item.Get(ITEM, "Menu", dbus_interface=dbus.PROPERTIES_IFACE))
        self.menu = dbus.Interface(self.session.connection.get_object(service, menu_path), "com.canonical.dbusmenu")
        return program

    def click(self, label):
        item_id = menu_item_id(self.menu.GetLayout(0, -1, dbus.Array([], signature="s")), label)
        self.assertIsNotNone(item_id, "the tray menu offers " + label)
        self.menu.Event(item_id, "clicked", dbus.Int32(0, variant_level=1), dbus.UInt32(0))

    def longest_answer(self, seconds):
        """Asks the tray object for its title again and again; the longest wait for an answer."""
        longest = 0.0
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            started = time.monotonic()
            self.item.Get(ITEM, "Title", dbus_interface=dbus.PROPERTIES_IFACE, timeout=10)
            longest = max(longest, time.monotonic() - started)
            time.sleep(0.05)
        return longest

    def test_hang_up_with_a_network_manager_that_never_answers_in_a_dry_run(self):
        self.system.request_name("org.freedesktop.NetworkManager")
        program = self.start_program(dict(self.env, VESPERN_DRY_RUN="1"))
        self.click("Hang Up Internet")
        longest = self.longest_answer(WATCH_SECONDS)
        self.assertLess(longest, LONGEST_ANSWER, "the tray object took %.3f s to answer" % longest)
        calls = self.notifications.GetMethodCalls("Notify")
        self.assertEqual([str(args[4]) for _, args in calls[1:]],
                         ["Hang Up Internet failed: NetworkManager (org.freedesktop.NetworkManager) did not answer "
                          "in time"], "told once")
        self.assertIsNone(program.poll())

    def test_session_requests_to_services_that_never_answer(self):
        self.session.connection.request_name("org.gnome.SessionManager")
        self.system.request_name("org.freedesktop.login1")
        program = self.start_program(self.env)
        self.click("Shutdown")  # without Force: the session manager
        self.click("Lock/Switch User")  # logind, queued behind it
        longest = self.longest_answer(WATCH_SECONDS)
        self.assertLess(longest, LONGEST_ANSWER, "the tray object took %.3f s to answer" % longest)
        self.assertIsNone(program.poll())


if __name__ == "__main__":
    unittest.main(verbosity=2)
