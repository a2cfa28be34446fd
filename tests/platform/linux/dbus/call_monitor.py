#!/usr/bin/python3
"""Watches a bus and appends one line per method call to a file: the member, the destination
and 1 or 0 for whether the caller allows interactive authorization (a flag of the message
header that no mock sees). Prints "ready" once it watches.

Usage: call_monitor.py ADDRESS FILE
"""

import sys

import dbus
import dbus.lowlevel
import dbus.mainloop.glib
from gi.repository import GLib


def main():
    address, path = sys.argv[1], sys.argv[2]
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.bus.BusConnection(address)
    bus.call_blocking('org.freedesktop.DBus', '/org/freedesktop/DBus', 'org.freedesktop.DBus.Monitoring',
                      'BecomeMonitor', 'asu', (["type='method_call'"], dbus.UInt32(0)))
    with open(path, 'a', encoding='utf-8', buffering=1) as out:
        def record(_, message):
            if isinstance(message, dbus.lowlevel.MethodCallMessage):
                out.write('%s %s %d\n' % (message.get_member(), message.get_destination(),
                                          int(message.get_allow_interactive_authorization())))
        bus.add_message_filter(record)
        print('ready', flush=True)
        GLib.MainLoop().run()


if __name__ == '__main__':
    main()
