'''Avahi's server interface on a private system bus: every service browser announces its
computers before the reply that names it, as the real daemon may.'''

BUS_NAME = 'org.freedesktop.Avahi'
MAIN_OBJ = '/'
MAIN_IFACE = 'org.freedesktop.Avahi.Server'
SYSTEM_BUS = True

BROWSER_IFACE = 'org.freedesktop.Avahi.ServiceBrowser'

SERVICE_BROWSER_NEW = '''
self.browsers = getattr(self, "browsers", 0) + 1
path = "/Client1/ServiceBrowser%d" % self.browsers
self.AddObject(path, "org.freedesktop.Avahi.ServiceBrowser", {}, [("Free", "", "", "")])
if args[2] == "_smb._tcp":
    names = ["SERVER1", "server1"]
else:
    names = ["ws-host [00:11:22:33:44:55]", "SERVER1 [66:77:88:99:aa:bb]"]
for name in names:
    get_object(path).EmitSignal("org.freedesktop.Avahi.ServiceBrowser", "ItemNew", "iisssu",
                                [2, 0, name, args[2], "local", 0])
# A browser that is not ours announces too; it must not show.
get_object("/Client9/ServiceBrowser1").EmitSignal("org.freedesktop.Avahi.ServiceBrowser", "ItemNew",
                                                  "iisssu", [2, 0, "STRANGER", args[2], "local", 0])
ret = path
'''


def load(mock, parameters):
    mock.AddMethods(MAIN_IFACE, [
        ('GetVersionString', '', 's', 'ret = "avahi 0.8"'),
        ('ServiceBrowserNew', 'iissu', 'o', SERVICE_BROWSER_NEW),
    ])
    mock.AddObject('/Client9/ServiceBrowser1', BROWSER_IFACE, {}, [])
