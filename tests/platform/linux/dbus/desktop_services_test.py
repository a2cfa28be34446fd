#!/usr/bin/python3
"""The Linux backend's session, power, display, screensaver and dial-up requests, made by the
real LinuxPlatform (through vespern_desktop_probe) to python3-dbusmock services on two private
buses that each test starts and stops, and what it tells the user when they fail. Nothing here
may reach the machine's own buses.

Usage: desktop_services_test.py --probe PATH [unittest arguments]
"""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

import dbus

PROBE = None
MOCK = 'org.freedesktop.DBus.Mock'
LOGIND = ('org.freedesktop.login1', '/org/freedesktop/login1')
LOGIND_MANAGER = 'org.freedesktop.login1.Manager'
NM = ('org.freedesktop.NetworkManager', '/org/freedesktop')
SKIP_INHIBITORS = 1 << 4
MONITOR = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'call_monitor.py')

# A bus whose only service directory is the test's own, empty unless a test puts a service
# there: a name nobody owns is otherwise never started on demand.
BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>{address}</listen>
  <servicedir>{services}</servicedir>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
"""


class PrivateBuses(unittest.TestCase):
    """Each test: its own directory, HOME and XDG dirs, a private 'system' and 'session' bus."""

    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix='vespern-dbus-')
        self.addCleanup(shutil.rmtree, self.dir, ignore_errors=True)
        self.env = {'PATH': '/usr/bin:/bin', 'LANG': 'C.UTF-8', 'VESPERN_TEST_BUS_DIR': self.dir}
        for name, sub in (('HOME', 'home'), ('XDG_RUNTIME_DIR', 'run'), ('XDG_CONFIG_HOME', 'config'),
                          ('XDG_DATA_HOME', 'data'), ('XDG_CACHE_HOME', 'cache'), ('XDG_STATE_HOME', 'state'),
                          ('XDG_DATA_DIRS', 'share')):
            path = os.path.join(self.dir, sub)
            os.makedirs(path, mode=0o700)
            self.env[name] = path
        self.env['DBUS_SYSTEM_BUS_ADDRESS'] = self.start_bus('system')
        self.env['DBUS_SESSION_BUS_ADDRESS'] = self.start_bus('session')
        self.system = dbus.bus.BusConnection(self.env['DBUS_SYSTEM_BUS_ADDRESS'])
        self.session = dbus.bus.BusConnection(self.env['DBUS_SESSION_BUS_ADDRESS'])
        self.addCleanup(self.system.close)
        self.addCleanup(self.session.close)

    def start_bus(self, name):
        config = os.path.join(self.dir, name + '.conf')
        wanted = 'unix:path=' + os.path.join(self.dir, name)
        services = os.path.join(self.dir, name + '-services')
        os.makedirs(services)
        with open(config, 'w', encoding='utf-8') as file:
            file.write(BUS_CONFIG.format(address=wanted, services=services))
        out = subprocess.run(['dbus-daemon', '--config-file=' + config, '--address=' + wanted, '--fork',
                              '--print-address=1', '--print-pid=1'],
                             env=self.env, capture_output=True, text=True, timeout=10, check=True).stdout.split()
        address, pid = out[0], int(out[1])
        self.addCleanup(os.kill, pid, signal.SIGTERM)
        self.assertTrue(address.startswith('unix:path=' + self.dir + '/'), address)
        return address

    def start_mock(self, bus, args, name):
        log = os.path.join(self.dir, name.replace('/', '_') + '.log')
        flag = '--system' if bus is self.system else '--session'
        process = subprocess.Popen(['/usr/bin/python3', '-m', 'dbusmock', flag, '-l', log] + args, env=self.env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(stop, process)
        deadline = time.monotonic() + 10
        while not bus.name_has_owner(name):
            self.assertIsNone(process.poll(), 'the mock for ' + name + ' ended')
            self.assertLess(time.monotonic(), deadline, 'the mock for ' + name + ' did not start')
            time.sleep(0.05)
        return log

    def mock(self, bus, name, path):
        return dbus.Interface(bus.get_object(name, path), MOCK)

    def calls(self, bus, name, path, method):
        return [list(args) for _, args in self.mock(bus, name, path).GetMethodCalls(method)]

    def probe(self, *words, env=None, timeout=20):
        """Runs one request and handles its answer; returns (result, flags, lastError, stderr
        lines, pid). What it told the user is left in self.notices, how long the call took to
        return and the longest gap of the probe's 20 ms timer in self.loop."""
        env = env or self.env
        for variable in ('DBUS_SYSTEM_BUS_ADDRESS', 'DBUS_SESSION_BUS_ADDRESS'):
            if not env[variable].startswith('unix:path=' + self.dir + '/'):
                raise RuntimeError(variable + ' is not a private test bus: refusing to run the probe')
        process = subprocess.Popen([PROBE] + [str(word) for word in words], env=env, text=True,
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        try:
            out, err = process.communicate(timeout=timeout)
        finally:
            stop(process)
        self.assertEqual(process.returncode, 0, err)
        lines = out.splitlines()
        fields = dict(item.split('=') for item in lines[0].split())
        self.notices = [line[len('notice='):] for line in lines[1:] if line.startswith('notice=')]
        self.loop = {key: int(fields[key]) for key in ('callMs', 'maxGapMs', 'ticks')}
        return (int(fields['result']), int(fields['flags']), int(fields['lastError']),
                err.splitlines(), process.pid)

    def monitor(self, bus):
        """Records every method call on the bus from now on; returns a function that gives the
        (member, destination, interactive) of those made so far."""
        address = self.env['DBUS_SYSTEM_BUS_ADDRESS' if bus is self.system else 'DBUS_SESSION_BUS_ADDRESS']
        log = os.path.join(self.dir, 'monitor-%d.log' % len(os.listdir(self.dir)))
        process = subprocess.Popen(['/usr/bin/python3', MONITOR, address, log], env=self.env, text=True,
                                   stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.addCleanup(process.stdout.close)
        self.addCleanup(stop, process)
        self.assertEqual(process.stdout.readline().strip(), 'ready')

        def seen(until=None):
            deadline = time.monotonic() + 10
            while True:
                with open(log, encoding='utf-8') as file:
                    calls = [tuple(line.split()) for line in file]
                if until is None or any(call[0] == until for call in calls) or time.monotonic() > deadline:
                    return [(member, destination, interactive == '1') for member, destination, interactive in calls]
                time.sleep(0.05)
        return seen

    def assert_one_line(self, lines, *parts):
        self.assertEqual(len(lines), 1, lines)
        for part in parts:
            self.assertIn(part, lines[0])


def stop(process):
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


class LogindTest(PrivateBuses):
    def start_logind(self):
        self.start_mock(self.system, ['-t', 'logind'], LOGIND[0])
        return self.mock(self.system, *LOGIND)

    def add_with_flags(self, logind, code=''):
        for method in ('PowerOff', 'Reboot', 'Suspend', 'Hibernate'):
            logind.AddMethod(LOGIND_MANAGER, method + 'WithFlags', 't', '', code)

    def manager_calls(self, method):
        return self.calls(self.system, *LOGIND, method)

    def test_requests_name_the_logind_call_and_its_arguments(self):
        logind = self.start_logind()
        self.add_with_flags(logind)
        cases = [
            (('exit', 1), 'PowerOff', [True]),
            (('exit', 8), 'PowerOff', [True]),
            (('exit', 2), 'Reboot', [True]),
            (('exit', 5), 'PowerOffWithFlags', [SKIP_INHIBITORS]),
            (('exit', 6), 'RebootWithFlags', [SKIP_INHIBITORS]),
            (('power', 1, 1), 'SuspendWithFlags', [SKIP_INHIBITORS]),
            (('power', 0, 1), 'HibernateWithFlags', [SKIP_INHIBITORS]),
            (('power', 1, 0), 'Suspend', [True]),
            (('power', 0, 0), 'Hibernate', [True]),
        ]
        for words, method, args in cases:
            with self.subTest(words=words):
                logind.ClearCalls()
                result, _, _, errors, _ = self.probe(*words)
                self.assertEqual((result, errors), (1, []))
                # Only an unforced request looks for inhibitors first.
                expected = [method] if 'WithFlags' in method else ['ListInhibitors', method]
                self.assertEqual([call[1] for call in logind.GetCalls()], expected)
                self.assertEqual(self.manager_calls(method), [args])
        logind.ClearCalls()
        result, _, error, errors, _ = self.probe('exit', 3)  # restart and shut down at once
        self.assertEqual((result, error), (0, 87))
        self.assert_one_line(errors, 'nothing was done')
        self.assertEqual(logind.GetCalls(), [])

    def test_forced_requests_fall_back_to_the_plain_call_on_older_logind(self):
        logind = self.start_logind()  # before 248: no *WithFlags calls at all
        self.assertEqual(self.probe('exit', 5)[0], 1)
        self.assertEqual(self.manager_calls('PowerOff'), [[True]])
        logind.ClearCalls()
        # before 256: the calls exist but reject the skip-inhibitors flag
        self.add_with_flags(logind, "raise dbus.exceptions.DBusException('Invalid flags parameter', "
                                    "name='org.freedesktop.DBus.Error.InvalidArgs')")
        self.assertEqual(self.probe('exit', 6)[0], 1)
        self.assertEqual(self.manager_calls('RebootWithFlags'), [[SKIP_INHIBITORS]])
        self.assertEqual(self.manager_calls('Reboot'), [[True]])

    def test_block_inhibitors_of_others_stop_only_unforced_requests(self):
        logind = self.start_logind()
        self.add_with_flags(logind)
        manager = dbus.Interface(self.system.get_object(*LOGIND), LOGIND_MANAGER)
        held = [manager.Inhibit('shutdown', 'Backup', 'Copying files', 'block'),
                manager.Inhibit('sleep', 'Player', 'Playing', 'delay')]
        result, _, error, errors, _ = self.probe('exit', 1)
        self.assertEqual((result, error), (1, 5))
        self.assert_one_line(errors, 'cannot power off', '"Backup" is blocking it (Copying files)')
        self.assertEqual(self.notices, ['Shutdown was refused: "Backup" is blocking it (Copying files)'])
        self.assertEqual(self.manager_calls('PowerOff'), [])
        # A delay inhibitor only postpones, and a shutdown lock does not concern sleep.
        self.assertEqual(self.probe('power', 1, 0)[0], 1)
        self.assertEqual(self.manager_calls('Suspend'), [[True]])
        result, _, _, errors, _ = self.probe('exit', 5)
        self.assertEqual((result, errors), (1, []))
        self.assertEqual(self.manager_calls('PowerOffWithFlags'), [[SKIP_INHIBITORS]])
        del held

    def test_log_off_and_lock_act_on_the_callers_own_session(self):
        logind = self.start_logind()
        logind.AddSession('c1', 'seat0', dbus.UInt32(1000), 'alice', True)
        logind.AddMethod(LOGIND_MANAGER, 'GetSessionByPID', 'u', 'o', 'ret = "/org/freedesktop/login1/session/c1"')
        session = ('org.freedesktop.login1', '/org/freedesktop/login1/session/c1')
        for words, method in ((('exit', 0), 'Terminate'), (('exit', 4), 'Terminate'), (('lock',), 'Lock')):
            with self.subTest(words=words):
                self.mock(self.system, *session).ClearCalls()
                logind.ClearCalls()
                result, _, _, errors, pid = self.probe(*words)
                self.assertEqual((result, errors), (1, []))
                self.assertEqual(self.manager_calls('GetSessionByPID'), [[pid]])
                self.assertEqual(self.calls(self.system, *session, method), [[]])
                self.assertEqual(self.manager_calls('TerminateSession') + self.manager_calls('PowerOff'), [])

    def test_the_session_is_found_by_XDG_SESSION_ID_outside_the_sessions_processes(self):
        logind = self.start_logind()  # its GetSessionByPID is unknown, as for a process in no session
        logind.AddSession('c2', 'seat0', dbus.UInt32(1000), 'alice', True)
        env = dict(self.env, XDG_SESSION_ID='c2')
        self.assertEqual(self.probe('lock', env=env)[0], 1)
        self.assertEqual(self.manager_calls('GetSession'), [['c2']])
        self.assertEqual(self.calls(self.system, 'org.freedesktop.login1', '/org/freedesktop/login1/session/c2',
                                    'Lock'), [[]])

    def test_no_session_of_this_program_is_reported(self):
        self.start_logind()
        result, _, error, errors, _ = self.probe('lock')
        self.assertEqual((result, error), (1, 1168))
        self.assert_one_line(errors, 'cannot lock the session', 'knows no login session')

    def test_absent_logind_or_bus_gives_one_line_and_one_notice_each(self):
        no_bus = dict(self.env, DBUS_SYSTEM_BUS_ADDRESS='unix:path=' + os.path.join(self.dir, 'missing'))
        for env, text, reason in (
                (self.env, 'logind (org.freedesktop.login1) is not running on the system bus',
                 'logind (org.freedesktop.login1) is not running'),
                (no_bus, 'the system bus cannot be reached', 'the system bus cannot be reached')):
            for words, action in ((('exit', 1), 'Shutdown'), (('exit', 4), 'Log Off'), (('power', 0, 1), 'Hibernate'),
                                  (('lock',), 'Lock/Switch User')):
                with self.subTest(words=words, text=text):
                    result, _, error, errors, _ = self.probe(*words, env=env)
                    self.assertEqual((result, error), (1, 1722))
                    self.assert_one_line(errors, text)
                    self.assertEqual(self.notices, [action + ' failed: ' + reason])

    def test_a_refusal_tells_the_user_the_action_and_the_reason(self):
        logind = self.start_logind()
        cases = [
            ('org.freedesktop.DBus.Error.InteractiveAuthorizationRequired', 'Interactive authentication required.',
             'Shutdown was refused: authentication is required'),
            ('org.freedesktop.DBus.Error.AccessDenied', 'Access denied', 'Shutdown was refused: permission denied'),
        ]
        for name, text, notice in cases:
            with self.subTest(name=name):
                logind.AddMethod(LOGIND_MANAGER, 'PowerOff', 'b', '',
                                 'raise dbus.exceptions.DBusException(%r, name=%r)' % (text, name))
                result, _, error, errors, _ = self.probe('exit', 1)
                self.assertEqual((result, error), (1, 5))
                self.assert_one_line(errors, 'cannot power off', text)
                self.assertEqual(self.notices, [notice])

    def test_every_request_polkit_guards_lets_the_agent_ask(self):
        logind = self.start_logind()
        self.add_with_flags(logind)
        logind.AddSession('c1', 'seat0', dbus.UInt32(1000), 'alice', True)
        logind.AddMethod(LOGIND_MANAGER, 'GetSessionByPID', 'u', 'o', 'ret = "/org/freedesktop/login1/session/c1"')
        seen = self.monitor(self.system)
        for words in (('exit', 1), ('exit', 6), ('power', 1, 0), ('power', 0, 1), ('exit', 0), ('lock',)):
            self.assertEqual(self.probe(*words)[:4], (1, 0, 0, []), words)
        calls = [(member, interactive) for member, destination, interactive in seen(until='Lock')
                 if destination == LOGIND[0]]
        guarded = {'PowerOff', 'RebootWithFlags', 'Suspend', 'HibernateWithFlags', 'Terminate', 'Lock'}
        self.assertEqual(sorted(member for member, _ in calls if member in guarded), sorted(guarded))
        # The plain calls say so in their argument as well (checked above); the lookups never ask.
        for member, interactive in calls:
            self.assertEqual(interactive, member in guarded, member)

    def test_a_logind_that_does_not_answer_is_given_up_on(self):
        logind = self.start_logind()
        logind.AddMethod(LOGIND_MANAGER, 'PowerOffWithFlags', 't', '', 'time.sleep(4)')
        result, _, error, errors, _ = self.probe('--timeout-ms', 300, 'exit', 5, timeout=3)
        self.assertEqual((result, error), (1, 1460))
        self.assert_one_line(errors, 'cannot power off', 'did not answer in time')


class SessionManagerTest(PrivateBuses):
    """Without Force the session ends through the desktop's session manager; logind is used
    only when none runs, and with Force."""

    GNOME = ('org.gnome.SessionManager', '/org/gnome/SessionManager', 'org.gnome.SessionManager')
    PLASMA = ('org.kde.Shutdown', '/Shutdown', 'org.kde.Shutdown')
    KSMSERVER = ('org.kde.ksmserver', '/KSMServer', 'org.kde.KSMServerInterface')
    XFCE = ('org.xfce.SessionManager', '/org/xfce/SessionManager', 'org.xfce.Session.Manager')
    LXQT = ('org.lxqt.session', '/LXQtSession', 'org.lxqt.session')

    def setUp(self):
        super().setUp()
        self.start_mock(self.system, ['-t', 'logind'], LOGIND[0])
        self.logind = self.mock(self.system, *LOGIND)
        for method in ('PowerOff', 'Reboot'):
            self.logind.AddMethod(LOGIND_MANAGER, method + 'WithFlags', 't', '', '')
        self.logind.AddSession('c1', 'seat0', dbus.UInt32(1000), 'alice', True)
        self.logind.AddMethod(LOGIND_MANAGER, 'GetSessionByPID', 'u', 'o',
                              'ret = "/org/freedesktop/login1/session/c1"')
        self.session_object = self.mock(self.system, 'org.freedesktop.login1', '/org/freedesktop/login1/session/c1')

    def start_manager(self, where, methods):
        name, path, interface = where
        self.start_mock(self.session, [name, path, interface], name)
        manager = self.mock(self.session, name, path)
        for method, signature in methods:
            manager.AddMethod('', method, signature, '', '')
        return manager

    def logind_ends(self):
        """The calls that end the session or the system, as logind received them."""
        return ([('PowerOff' if 'PowerOff' in call[1] else call[1], list(call[2]))
                 for call in self.logind.GetCalls() if call[1] in ('PowerOff', 'Reboot', 'PowerOffWithFlags',
                                                                   'RebootWithFlags')]
                + [('Terminate', [])] * len(self.session_object.GetMethodCalls('Terminate')))

    def check_desktop(self, where, methods, expected, env=None):
        manager = self.start_manager(where, methods)
        for flags, call in zip((0, 1, 2), expected):
            with self.subTest(desktop=where[0], flags=flags):
                manager.ClearCalls()
                result, _, _, errors, _ = self.probe('exit', flags, env=env)
                self.assertEqual((result, errors, self.notices), (1, [], []))
                self.assertEqual([(c[1], list(c[2])) for c in manager.GetCalls()], [call])
                self.assertEqual(self.logind_ends(), [], 'logind is not asked without Force')
        # With Force the session manager is passed by: logind kills or powers off at once.
        manager.ClearCalls()
        for flags, call in ((4, ('Terminate', [])), (5, ('PowerOff', [SKIP_INHIBITORS])),
                            (6, ('RebootWithFlags', [SKIP_INHIBITORS]))):
            self.logind.ClearCalls()
            self.session_object.ClearCalls()
            self.assertEqual(self.probe('exit', flags, env=env)[0], 1)
            self.assertEqual(self.logind_ends(), [call])
        self.assertEqual(manager.GetCalls(), [])

    def test_the_gnome_family_without_its_confirmation(self):
        # cinnamon-session and mate-session: shutdown and reboot without a dialog
        self.check_desktop(self.GNOME, [('Logout', 'u'), ('RequestShutdown', ''), ('RequestReboot', '')],
                           [('Logout', [1]), ('RequestShutdown', []), ('RequestReboot', [])])

    def test_gnome_session_shows_its_own_end_session_dialog_for_shutdown_and_reboot(self):
        # gnome-session has no RequestShutdown/RequestReboot
        self.check_desktop(self.GNOME, [('Logout', 'u'), ('Shutdown', ''), ('Reboot', '')],
                           [('Logout', [1]), ('Shutdown', []), ('Reboot', [])])

    def test_plasma(self):
        self.check_desktop(self.PLASMA, [('logout', ''), ('logoutAndShutdown', ''), ('logoutAndReboot', '')],
                           [('logout', []), ('logoutAndShutdown', []), ('logoutAndReboot', [])])

    def test_older_plasma_through_ksmserver(self):
        self.check_desktop(self.KSMSERVER, [('logout', 'iii')],
                           [('logout', [0, 0, -1]), ('logout', [0, 2, -1]), ('logout', [0, 1, -1])])

    def test_xfce_saves_the_session(self):
        self.check_desktop(self.XFCE, [('Logout', 'bb'), ('Shutdown', 'b'), ('Restart', 'b')],
                           [('Logout', [False, True]), ('Shutdown', [True]), ('Restart', [True])])

    def test_lxqt(self):
        self.check_desktop(self.LXQT, [('logout', ''), ('powerOff', ''), ('reboot', '')],
                           [('logout', []), ('powerOff', []), ('reboot', [])])

    def test_the_current_desktop_picks_among_running_managers(self):
        gnome = self.start_manager(self.GNOME, [('Logout', 'u')])
        xfce = self.start_manager(self.XFCE, [('Logout', 'bb')])
        for desktop, chosen, other in (('XFCE', xfce, gnome), ('', gnome, xfce), ('ubuntu:GNOME', gnome, xfce)):
            with self.subTest(desktop=desktop):
                gnome.ClearCalls()
                xfce.ClearCalls()
                self.assertEqual(self.probe('exit', 0, env=dict(self.env, XDG_CURRENT_DESKTOP=desktop))[0], 1)
                self.assertEqual(len(chosen.GetCalls()), 1)
                self.assertEqual(other.GetCalls(), [])

    def test_a_session_manager_that_refuses_is_reported_and_logind_is_not_asked(self):
        manager = self.start_manager(self.GNOME, [])
        manager.AddMethod('', 'Logout', 'u', '', 'raise dbus.exceptions.DBusException('
                          '"Logout interface is only available during the Running phase", '
                          'name="org.gnome.SessionManager.NotInRunning")')
        result, _, error, errors, _ = self.probe('exit', 0)
        self.assertEqual((result, error), (1, 31))
        self.assert_one_line(errors, 'cannot log off', 'only available during the Running phase')
        self.assertEqual(self.notices, ['Log Off failed: the session manager (org.gnome.SessionManager) answered: '
                                        'Logout interface is only available during the Running phase'])
        self.assertEqual(self.logind_ends(), [])

    def test_without_a_session_manager_logind_is_asked_and_may_ask_for_a_password(self):
        for flags, call in ((0, ('Terminate', [])), (1, ('PowerOff', [True])), (2, ('Reboot', [True]))):
            self.logind.ClearCalls()
            self.session_object.ClearCalls()
            self.assertEqual(self.probe('exit', flags)[:4], (1, 0, 0, []))
            self.assertEqual(self.logind_ends(), [call])


class NetworkManagerTest(PrivateBuses):
    def setUp(self):
        super().setUp()
        self.start_mock(self.system, ['-t', 'networkmanager'], NM[0])
        self.nm = self.mock(self.system, *NM)
        self.settings = dbus.Interface(self.system.get_object(NM[0], '/org/freedesktop/NetworkManager/Settings'),
                                       'org.freedesktop.NetworkManager.Settings')
        self.device = self.nm.AddEthernetDevice('mock0', 'mock0', 100)
        self.count = 0

    def activate(self, kind, extra=None, state=2):
        """Adds a connection of that kind and makes it active; returns the active connection's path."""
        self.count += 1
        settings = {'connection': {'id': kind + str(self.count), 'type': kind, 'uuid': 'uuid-%d' % self.count}}
        settings.update(extra or {})
        path = self.settings.AddConnection(dbus.Dictionary(settings, signature='sa{sv}'))
        return str(self.nm.AddActiveConnection([self.device], path, '/', 'ac%d' % self.count,
                                               dbus.UInt32(state)))

    def bluetooth(self, profile):
        return self.activate('bluetooth', {'bluetooth': {'bdaddr': dbus.ByteArray(b'\x01\x02\x03\x04\x05\x06'),
                                                         'type': profile}})

    def test_connected_state_and_its_flags(self):
        modem, lan = 0x01, 0x02
        cases = [  # (global state, kinds up, result, flags)
            (70, ['802-3-ethernet'], 1, lan),
            (70, ['gsm'], 1, modem),
            (60, ['cdma', '802-11-wireless'], 1, modem | lan),
            (50, [], 1, lan),
            (20, ['gsm'], 0, 0),
            (10, [], 0, 0),
        ]
        for state, kinds, result, flags in cases:
            with self.subTest(state=state, kinds=kinds):
                for path in self.system.get_object(NM[0], '/org/freedesktop/NetworkManager').Get(
                        'org.freedesktop.NetworkManager', 'ActiveConnections',
                        dbus_interface='org.freedesktop.DBus.Properties'):
                    self.nm.RemoveActiveConnection(self.device, path)
                for kind in kinds:
                    self.activate(kind)
                self.nm.SetGlobalConnectionState(dbus.UInt32(state))
                self.assertEqual(self.probe('connected')[:4], (result, flags, 0, []))

    def test_hang_up_deactivates_the_dial_up_connections_only(self):
        dial_up = [self.activate('gsm'), self.activate('pppoe'), self.bluetooth('dun'),
                   self.activate('cdma', state=1)]
        self.activate('802-3-ethernet')
        self.activate('vpn')
        self.bluetooth('panu')
        self.activate('adsl', state=4)  # already gone
        result, _, _, errors, _ = self.probe('hangup')
        self.assertEqual((result, errors), (1, []))
        deactivated = [args[0] for args in self.calls(self.system, NM[0], '/org/freedesktop/NetworkManager',
                                                      'DeactivateConnection')]
        self.assertEqual(sorted(deactivated), sorted(dial_up))

    def test_hang_up_with_nothing_dialled_touches_nothing(self):
        self.activate('802-3-ethernet')
        self.assertEqual(self.probe('hangup')[:4], (1, 0, 0, []))
        self.assertEqual(self.calls(self.system, NM[0], '/org/freedesktop/NetworkManager', 'DeactivateConnection'), [])


class NetworkManagerAbsentTest(PrivateBuses):
    def test_absent_network_manager_gives_one_line_and_no_connection(self):
        result, flags, error, errors, _ = self.probe('connected')
        self.assertEqual((result, flags, error), (0, 0, 1722))
        self.assert_one_line(errors, 'NetworkManager (org.freedesktop.NetworkManager) is not running')
        result, _, _, errors, _ = self.probe('hangup')
        self.assertEqual(result, 1)
        self.assert_one_line(errors, 'cannot hang up')


class ScreenSaverTest(PrivateBuses):
    def check_freedesktop_screensaver(self, path):
        name = 'org.freedesktop.ScreenSaver'
        self.start_mock(self.session, [name, path, name], name)
        self.mock(self.session, name, path).AddMethod('', 'SetActive', 'b', 'b', 'ret = True')
        self.assertEqual(self.probe('screensave')[:4], (0, 0, 0, []))
        self.assertEqual(self.calls(self.session, name, path, 'SetActive'), [[True]])

    def test_the_freedesktop_screensaver_is_asked_to_start(self):
        self.check_freedesktop_screensaver('/org/freedesktop/ScreenSaver')

    def test_the_plasma_path_of_the_freedesktop_screensaver_is_tried_next(self):
        self.check_freedesktop_screensaver('/ScreenSaver')

    def test_gnome_screensaver_is_used_when_the_freedesktop_one_is_absent(self):
        self.start_mock(self.session, ['-t', 'gnome_screensaver'], 'org.gnome.ScreenSaver')
        self.assertEqual(self.probe('screensave')[:4], (0, 0, 0, []))
        self.assertEqual(self.calls(self.session, 'org.gnome.ScreenSaver', '/org/gnome/ScreenSaver', 'SetActive'),
                         [[True]])

    def install_service(self, name, command):
        """Makes the name activatable on the session bus: the bus runs the command on demand."""
        services = os.path.join(self.dir, 'session-services')
        with open(os.path.join(services, name + '.service'), 'w', encoding='utf-8') as file:
            file.write('[D-BUS Service]\nName=%s\nExec=/usr/bin/env DBUS_SESSION_BUS_ADDRESS=%s %s\n'
                       % (name, self.env['DBUS_SESSION_BUS_ADDRESS'], command))
        self.session.call_blocking('org.freedesktop.DBus', '/org/freedesktop/DBus', 'org.freedesktop.DBus',
                                   'ReloadConfig', '', ())
        self.addCleanup(self.stop_activated, name)

    def stop_activated(self, name):
        """Ends the service the bus started, and waits until its name is free again."""
        try:
            pid = int(self.session.call_blocking('org.freedesktop.DBus', '/org/freedesktop/DBus',
                                                 'org.freedesktop.DBus', 'GetConnectionUnixProcessID', 's', (name,)))
        except dbus.exceptions.DBusException:
            return  # not running (any more)
        os.kill(pid, signal.SIGTERM)
        deadline = time.monotonic() + 10
        while self.session.name_has_owner(name) and time.monotonic() < deadline:
            time.sleep(0.05)

    def test_a_screensaver_that_is_not_running_yet_is_started_for_the_request(self):
        template = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'freedesktop_screensaver.py')
        # Both services can be started; the desktop decides which one is asked.
        for desktop, name in (('GNOME', 'org.gnome.ScreenSaver'), ('XFCE', 'org.freedesktop.ScreenSaver')):
            with self.subTest(desktop=desktop):
                log = os.path.join(self.dir, desktop + '.log')
                self.install_service('org.gnome.ScreenSaver',
                                     '/usr/bin/python3 -m dbusmock --session -l %s -t gnome_screensaver' % log)
                self.install_service('org.freedesktop.ScreenSaver',
                                     '/usr/bin/python3 -m dbusmock --session -l %s -t %s' % (log, template))
                self.assertFalse(self.session.name_has_owner(name), 'not running before the request')
                env = dict(self.env, XDG_CURRENT_DESKTOP=desktop)
                self.assertEqual(self.probe('screensave', env=env)[:4], (0, 0, 0, []))
                self.assertTrue(self.session.name_has_owner(name), 'the bus started it')
                with open(log, encoding='utf-8') as file:
                    self.assertIn('SetActive True', file.read())
                self.stop_activated(name)

    def test_a_refusal_and_an_absent_service_are_reported(self):
        # A screensaver on the system bus is not the desktop's.
        name, path = 'org.freedesktop.ScreenSaver', '/org/freedesktop/ScreenSaver'
        self.start_mock(self.system, [name, path, name], name)
        self.mock(self.system, name, path).AddMethod('', 'SetActive', 'b', 'b', 'ret = True')
        _, _, error, errors, _ = self.probe('screensave')
        self.assertEqual(error, 1722)
        self.assert_one_line(errors, 'no screensaver service is running on the session bus')
        self.assertEqual(self.calls(self.system, name, path, 'SetActive'), [])

        self.start_mock(self.session, [name, path, name], name)
        self.mock(self.session, name, path).AddMethod('', 'SetActive', 'b', 'b', 'ret = False')
        _, _, error, errors, _ = self.probe('screensave')
        self.assertEqual(error, 5)
        self.assert_one_line(errors, 'org.freedesktop.ScreenSaver declined')


class DisplayPowerTest(PrivateBuses):
    MUTTER = ('org.gnome.Mutter.DisplayConfig', '/org/gnome/Mutter/DisplayConfig')

    def start_mutter(self):
        log = self.start_mock(self.session, [self.MUTTER[0], self.MUTTER[1], self.MUTTER[0]], self.MUTTER[0])
        self.mock(self.session, *self.MUTTER).AddProperty(self.MUTTER[0], 'PowerSaveMode', dbus.Int32(0))
        return log

    def power_save_mode(self):
        return int(self.session.get_object(*self.MUTTER).Get(self.MUTTER[0], 'PowerSaveMode',
                                                             dbus_interface='org.freedesktop.DBus.Properties'))

    def test_only_the_off_request_switches_a_wayland_display_off(self):
        log = self.start_mutter()
        env = dict(self.env, WAYLAND_DISPLAY='wayland-test')
        for lparam in (0, -1, 1):
            self.assertEqual(self.probe('monitor', lparam, env=env)[:4], (0, 0, 0, []))
        self.assertEqual(self.power_save_mode(), 0)
        self.assertEqual(self.probe('monitor', 2, env=env)[:4], (0, 0, 0, []))
        self.assertEqual(self.power_save_mode(), 3)
        with open(log, encoding='utf-8') as file:
            self.assertIn('Set /org/gnome/Mutter/DisplayConfig org.gnome.Mutter.DisplayConfig.PowerSaveMode 3',
                          file.read())

    def test_plasma_turns_the_screen_off_through_its_shortcut(self):
        name, path = 'org.kde.kglobalaccel', '/component/org_kde_powerdevil'
        self.start_mock(self.session, [name, path, 'org.kde.kglobalaccel.Component'], name)
        self.mock(self.session, name, path).AddMethod('', 'invokeShortcut', 's', '', '')
        self.assertEqual(self.probe('monitor', 2, env=dict(self.env, XDG_SESSION_TYPE='wayland'))[:4], (0, 0, 0, []))
        self.assertEqual(self.calls(self.session, name, path, 'invokeShortcut'), [['Turn Off Screen']])

    def test_a_display_that_cannot_be_switched_off_is_reported(self):
        cases = [
            (dict(self.env, WAYLAND_DISPLAY='wayland-test'), 'no desktop service offers it on the session bus'),
            (self.env, 'there is no X11 or Wayland display'),
            (dict(self.env, DISPLAY=':65432'), 'cannot be opened'),  # no such server
        ]
        for env, text in cases:
            with self.subTest(text=text):
                result, _, _, errors, _ = self.probe('monitor', 2, env=env)
                self.assertEqual(result, 0)
                self.assert_one_line(errors, 'the display cannot be switched off here', text)

    @unittest.skipUnless(shutil.which('Xvfb'), 'needs Xvfb')
    def test_an_x_server_without_dpms_falls_back_to_the_desktop(self):
        env = dict(self.env, DISPLAY=self.start_xvfb())
        result, _, _, errors, _ = self.probe('monitor', 2, env=env)
        self.assertEqual(result, 0)
        self.assert_one_line(errors, 'has no display power management (DPMS)', 'no desktop service offers it')
        self.start_mutter()
        self.assertEqual(self.probe('monitor', 2, env=env)[:4], (0, 0, 0, []))
        self.assertEqual(self.power_save_mode(), 3)

    def start_xvfb(self):
        read, write = os.pipe()
        process = subprocess.Popen(['Xvfb', '-displayfd', str(write), '-nolisten', 'tcp', '-screen', '0',
                                    '640x480x24'], env=self.env, pass_fds=(write,),
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(stop, process)
        os.close(write)
        with os.fdopen(read) as pipe:
            number = pipe.readline().strip()
        self.assertTrue(number.isdigit(), 'Xvfb did not start')
        return ':' + number


class SlowServicesTest(PrivateBuses):
    """Services that never answer, answer late, or answer late with an error. Every request
    returns at once as accepted, the probe's 20 ms timer keeps its rate while the answer is
    awaited, a failure is told once when it is known, and a late success tells nothing."""

    # The timer's rate plus what a loaded machine may add; a call that waits on a service
    # instead shows gaps of the service's whole time.
    LONGEST_GAP_MS = 150
    LOGIND_SILENT = 'logind (org.freedesktop.login1) did not answer in time'

    def assert_loop_kept_running(self, words):
        self.assertLess(self.loop['callMs'], self.LONGEST_GAP_MS, words)
        self.assertLess(self.loop['maxGapMs'], self.LONGEST_GAP_MS, words)

    def test_a_service_that_never_answers_is_told_once_and_nothing_waits(self):
        # The test's own connections own the names and never read what is sent to them.
        for name in (LOGIND[0], NM[0]):
            self.system.request_name(name)
        self.session.request_name('org.freedesktop.ScreenSaver')
        cases = [  # (request, what it returns: accepted, or the window procedure's 0; what is told)
            (('exit', 5), 1, 'Shutdown failed: ' + self.LOGIND_SILENT),
            (('exit', 1), 1, 'Shutdown failed: ' + self.LOGIND_SILENT),  # its inhibitor check waits
            (('power', 1, 1), 1, 'Sleep/Stand by failed: ' + self.LOGIND_SILENT),
            (('lock',), 1, 'Lock/Switch User failed: ' + self.LOGIND_SILENT),
            (('hangup',), 1, 'Hang Up Internet failed: NetworkManager (org.freedesktop.NetworkManager) did not '
                             'answer in time'),
            (('screensave',), 0, 'Show Screensaver failed: org.freedesktop.ScreenSaver did not answer in time'),
        ]
        for words, returned, notice in cases:
            with self.subTest(words=words):
                result, _, error, errors, _ = self.probe('--timeout-ms', 800, *words)
                self.assertEqual((result, error, self.notices), (returned, 1460, [notice]))
                self.assertEqual(len(errors), 1, errors)
                self.assert_loop_kept_running(words)
                self.assertGreaterEqual(self.loop['ticks'], 30, 'the timer ticked all along')
        self.session.request_name(SessionManagerTest.GNOME[0])
        result, _, error, _, _ = self.probe('--timeout-ms', 800, 'exit', 0)
        self.assertEqual((result, error), (1, 1460))
        self.assertEqual(self.notices, ['Log Off failed: the session manager (org.gnome.SessionManager) did not '
                                        'answer in time'])
        self.assert_loop_kept_running('log off')
        self.session.request_name('org.gnome.Mutter.DisplayConfig')
        self.probe('--timeout-ms', 800, 'monitor', 2, env=dict(self.env, XDG_SESSION_TYPE='wayland'))
        self.assertEqual(self.notices, ['Turn Off Monitor failed: Mutter (org.gnome.Mutter.DisplayConfig) did not '
                                        'answer in time'])
        self.assert_loop_kept_running('monitor off')

    def test_the_connection_state_is_unknown_after_a_quarter_of_a_second(self):
        self.system.request_name(NM[0])
        result, flags, error, errors, _ = self.probe('connected')
        self.assertEqual((result, flags, error), (0, 0, 1460))
        self.assertLess(self.loop['callMs'], 250 + self.LONGEST_GAP_MS)
        self.assert_one_line(errors, 'cannot read the connection state', 'did not answer in time')
        self.assertEqual(self.notices, ['Hang Up Internet failed: NetworkManager (org.freedesktop.NetworkManager) '
                                        'did not answer in time'])

    def test_a_late_answer_tells_only_a_failure(self):
        self.start_mock(self.system, ['-t', 'logind'], LOGIND[0])
        logind = self.mock(self.system, *LOGIND)
        cases = [
            ('time.sleep(1.5)', []),
            ("time.sleep(1.5); raise dbus.exceptions.DBusException('no', name='org.freedesktop.DBus.Error.AccessDenied')",
             ['Shutdown was refused: permission denied']),
        ]
        for code, notices in cases:
            with self.subTest(code=code):
                logind.AddMethod(LOGIND_MANAGER, 'PowerOffWithFlags', 't', '', code)
                started = time.monotonic()
                result, _, _, errors, _ = self.probe('exit', 5)
                self.assertGreater(time.monotonic() - started, 1.5, 'the answer was awaited')
                self.assertEqual((result, self.notices, len(errors)), (1, notices, len(notices)))
                self.assert_loop_kept_running(code)


def main():
    global PROBE  # pylint: disable=global-statement
    args = sys.argv[1:]
    if len(args) < 2 or args[0] != '--probe':
        sys.exit(__doc__)
    PROBE = args[1]
    unittest.main(argv=[sys.argv[0]] + args[2:], verbosity=2)


if __name__ == '__main__':
    main()
