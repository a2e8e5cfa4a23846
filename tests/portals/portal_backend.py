#!/usr/bin/python3
"""A desktop portal back end for tests: the GlobalShortcuts and RemoteDesktop implementations
that xdg-desktop-portal hands its calls to. It grants everything, records every call as one
JSON line in the file named on the command line, and emits Activated when told to through its
own interface org.pastewise.PortalTest."""

import json
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

BUS_NAME = "org.freedesktop.impl.portal.desktop.pwtest"
PATH = "/org/freedesktop/portal/desktop"
SHORTCUTS = "org.freedesktop.impl.portal.GlobalShortcuts"
REMOTE = "org.freedesktop.impl.portal.RemoteDesktop"
TEST = "org.pastewise.PortalTest"
KEYBOARD = 1
GRANT = "pwtest-grant"


def plain(value):
    """D-Bus values as JSON ones."""
    if isinstance(value, (dbus.Dictionary, dict)):
        return {str(k): plain(v) for k, v in value.items()}
    if isinstance(value, (dbus.Array, dbus.Struct, list, tuple)):
        return [plain(v) for v in value]
    if isinstance(value, (dbus.Boolean, bool)):
        return bool(value)
    if isinstance(value, (int, dbus.Int32, dbus.UInt32, dbus.Int64, dbus.UInt64, dbus.Byte)):
        return int(value)
    return str(value)


class RemoteSessions(dbus.service.Object):
    """Both interfaces have a CreateSession; dbus-python looks a call up by name along the
    class hierarchy and takes the first whose interface matches, so this one lives here."""

    @dbus.service.method(REMOTE, in_signature="oosa{sv}", out_signature="ua{sv}")
    def CreateSession(self, handle, session_handle, app_id, options):
        self.record(REMOTE, "CreateSession", session=session_handle, options=options)
        return 0, {"session_handle": session_handle}


class Backend(RemoteSessions):
    def __init__(self, bus, record_path):
        super().__init__(bus, PATH)
        self.record_path = record_path

    def record(self, interface, method, **arguments):
        with open(self.record_path, "a", encoding="utf-8") as record:
            entry = {"interface": interface, "method": method}
            entry.update({k: plain(v) for k, v in arguments.items()})
            record.write(json.dumps(entry) + "\n")

    # GlobalShortcuts

    @dbus.service.method(SHORTCUTS, in_signature="oosa{sv}", out_signature="ua{sv}")
    def CreateSession(self, handle, session_handle, app_id, options):
        self.record(SHORTCUTS, "CreateSession", session=session_handle, options=options)
        return 0, {"session_handle": session_handle}

    @dbus.service.method(SHORTCUTS, in_signature="ooa(sa{sv})sa{sv}", out_signature="ua{sv}")
    def BindShortcuts(self, handle, session_handle, shortcuts, parent_window, options):
        self.record(SHORTCUTS, "BindShortcuts", session=session_handle, shortcuts=shortcuts)
        bound = dbus.Array(
            [dbus.Struct((id_, {"description": props.get("description", ""),
                                "trigger_description": props.get("preferred_trigger", "")}),
                         signature="sa{sv}") for id_, props in shortcuts],
            signature="(sa{sv})")
        return 0, {"shortcuts": bound}

    @dbus.service.method(SHORTCUTS, in_signature="oo", out_signature="ua{sv}")
    def ListShortcuts(self, handle, session_handle):
        return 0, {"shortcuts": dbus.Array([], signature="(sa{sv})")}

    @dbus.service.signal(SHORTCUTS, signature="osta{sv}")
    def Activated(self, session_handle, shortcut_id, timestamp, options):
        pass

    @dbus.service.signal(SHORTCUTS, signature="osta{sv}")
    def Deactivated(self, session_handle, shortcut_id, timestamp, options):
        pass

    # RemoteDesktop, on the same object

    @dbus.service.method(REMOTE, in_signature="oosa{sv}", out_signature="ua{sv}")
    def SelectDevices(self, handle, session_handle, app_id, options):
        self.record(REMOTE, "SelectDevices", session=session_handle, options=options)
        return 0, {}

    @dbus.service.method(REMOTE, in_signature="oossa{sv}", out_signature="ua{sv}")
    def Start(self, handle, session_handle, app_id, parent_window, options):
        self.record(REMOTE, "Start", session=session_handle, options=options)
        return 0, {"devices": dbus.UInt32(KEYBOARD), "restore_token": GRANT}

    @dbus.service.method(REMOTE, in_signature="oa{sv}iu", out_signature="")
    def NotifyKeyboardKeysym(self, session_handle, options, keysym, state):
        self.record(REMOTE, "NotifyKeyboardKeysym", keysym=keysym, state=state)

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.GetAll(interface)[name]

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        if interface == REMOTE:
            return {"AvailableDeviceTypes": dbus.UInt32(KEYBOARD), "version": dbus.UInt32(1)}
        if interface == SHORTCUTS:
            return {"version": dbus.UInt32(1)}
        return {}

    # The test's own controls

    @dbus.service.method(TEST, in_signature="os", out_signature="")
    def Activate(self, session_handle, shortcut_id):
        self.Activated(session_handle, shortcut_id, dbus.UInt64(0), {})


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    backend = Backend(bus, sys.argv[1])
    name = dbus.service.BusName(BUS_NAME, bus)
    GLib.MainLoop().run()
    del backend, name


if __name__ == "__main__":
    main()
