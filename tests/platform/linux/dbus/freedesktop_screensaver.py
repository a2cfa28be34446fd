"""python3-dbusmock template: the freedesktop.org screensaver service, complete before it
answers its first call (so that it can be started on demand)."""

BUS_NAME = 'org.freedesktop.ScreenSaver'
MAIN_OBJ = '/org/freedesktop/ScreenSaver'
MAIN_IFACE = 'org.freedesktop.ScreenSaver'
SYSTEM_BUS = False


def load(mock, parameters):  # pylint: disable=unused-argument
    mock.AddMethod(MAIN_IFACE, 'SetActive', 'b', 'b', 'ret = True')
