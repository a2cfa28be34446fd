#!/usr/bin/python3
"""A start without argument shows its start-up balloon once, through the notification service.

Run under an X server (xvfb-run): Qt offers its D-Bus notification area only to a real display
platform, not to the offscreen one."""

import os
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from sessionbus import PrivateSessionBus, wait_for_calls  # noqa: E402

PROGRAM = os.environ.get("VESPERN_PROGRAM", "vespern")


class StartupBalloon(unittest.TestCase):
    def test_title_and_text_reach_the_notification_service_exactly_once(self):
        with PrivateSessionBus() as bus, tempfile.TemporaryDirectory(prefix="vespern-home-") as home:
            notifications = bus.start_notification_service()
            watcher = bus.start_notification_area()
            env = bus.environment()
            env.update({"HOME": home, "XDG_CONFIG_HOME": os.path.join(home, "config"),
                        "XDG_DATA_HOME": os.path.join(home, "data"), "XDG_RUNTIME_DIR": home,
                        "VESPERN_REGISTRY_DIR": os.path.join(home, "registry"),
                        "VESPERN_DRY_RUN": "1", "QT_QPA_PLATFORM": "xcb"})
            program = bus.spawn([PROGRAM], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)

            calls = wait_for_calls(notifications, "Notify")
            self.assertEqual(len(calls), 1, "expected one balloon")
            _, args = calls[0]
            summary, body, timeout = str(args[3]), str(args[4]), int(args[7])
            self.assertEqual(summary, "Vespern Information")
            self.assertEqual(body, "Double click icon to show windows and Right click to view popup menu")
            self.assertEqual(timeout, 10000)
            self.assertGreaterEqual(len(wait_for_calls(watcher, "RegisterStatusNotifierItem")), 1)

            time.sleep(1)
            self.assertEqual(len(notifications.GetMethodCalls("Notify")), 1, "the balloon is shown once")
            self.assertIsNone(program.poll(), "the program keeps running in the tray")


if __name__ == "__main__":
    unittest.main(verbosity=2)
