"""An emulated USB bus for the Linux quorvelctl: umockdev's testbed holds a device record per printer (sysfs
attributes with the binary descriptors), and a usbfs handler per device node answers the ioctls libusb sends. The
printers' answers come live from printer_sim processes: the handler writes what the host sends to a simulator's
pseudo-terminal and hands back what the simulator answers, in bulk transfers of the size the host asks for."""
import errno
import os
import select
import struct
import threading
import traceback

import gi

gi.require_version("UMockdev", "1.0")
from gi.repository import GLib, UMockdev  # noqa: E402

from ctl_harness import REAL_SYSTEM  # noqa: E402


def _ioc(direction, number, size):
    return (direction << 30) | (size << 16) | (ord("U") << 8) | number


_NONE, _WRITE, _READ = 0, 1, 2
CONTROL = _ioc(_READ | _WRITE, 0, 24)
SETINTERFACE = _ioc(_READ, 4, 8)
SETCONFIGURATION = _ioc(_READ, 5, 4)
GETDRIVER = _ioc(_WRITE, 8, 260)
SUBMITURB = _ioc(_READ, 10, 56)
DISCARDURB = _ioc(_NONE, 11, 0)
REAPURB = _ioc(_WRITE, 12, 8)
REAPURBNDELAY = _ioc(_WRITE, 13, 8)
CLAIMINTERFACE = _ioc(_READ, 15, 4)
RELEASEINTERFACE = _ioc(_READ, 16, 4)
CONNECTINFO = _ioc(_WRITE, 17, 8)
IOCTL = _ioc(_READ | _WRITE, 18, 16)
RESET = _ioc(_NONE, 20, 0)
CLEAR_HALT = _ioc(_READ, 21, 4)
DISCONNECT = _ioc(_NONE, 22, 0)
CONNECT = _ioc(_NONE, 23, 0)
GET_CAPABILITIES = _ioc(_READ, 26, 4)
DISCONNECT_CLAIM = _ioc(_READ, 27, 264)
GET_SPEED = _ioc(_NONE, 31, 0)

# Bulk continuation, no packet size limit, reap after disconnect, zero packet.
CAPABILITIES = 0x02 | 0x04 | 0x08 | 0x10

URB_SIZE = 56
URB_TYPE_CONTROL, URB_TYPE_BULK = 2, 3
OUT_ENDPOINT, IN_ENDPOINT = 0x01, 0x82

PRINTER_CLASS = 7


def descriptors(vendor, product, interface_class=PRINTER_CLASS):
    """The device descriptor and the configuration with one interface of two bulk endpoints, 64-byte packets."""
    device = struct.pack("<BBHBBBBHHHBBBB", 18, 1, 0x0110, 0, 0, 0, 64, vendor, product, 0x0100, 1, 2, 3, 1)
    interface = struct.pack("<BBBBBBBBB", 9, 4, 0, 0, 2, interface_class, 1, 2, 0)
    endpoint_out = struct.pack("<BBBBHB", 7, 5, OUT_ENDPOINT, 2, 64, 0)
    endpoint_in = struct.pack("<BBBBHB", 7, 5, IN_ENDPOINT, 2, 64, 0)
    body = interface + endpoint_out + endpoint_in
    config = struct.pack("<BBHBBBBB", 9, 2, 9 + len(body), 1, 1, 0, 0x80, 50) + body
    return device + config


class Events:
    """What the handlers saw, in order, for the test to read: ("claim" | "release" | "reattach" | "busy" | "holding",
    device node)."""

    def __init__(self):
        self.lock = threading.Condition()
        self.items = []
        self.holders = {}  # device node -> the client holding its printer interface

    def add(self, kind, node):
        with self.lock:
            self.items.append((kind, node))
            self.lock.notify_all()

    def wait_for(self, what, count=1, timeout=60):
        with self.lock:
            if not self.lock.wait_for(lambda: self.items.count(what) >= count, timeout):
                raise AssertionError(f"waited {timeout} s for {count} x {what}; saw {self.items}")

    def most_held_at_once(self, nodes):
        held, most = set(), 0
        with self.lock:
            for kind, node in self.items:
                if node not in nodes:
                    continue
                if kind == "claim":
                    held.add(node)
                elif kind == "release":
                    held.discard(node)
                most = max(most, len(held))
        return most


class Together:
    """Printers that answer only once every one of them is held at the same time: a run that handles them one after
    the other never gets an answer from the first."""

    def __init__(self, events):
        self.events = events
        self.nodes = set()
        self.opened = False

    def check(self):
        if not self.opened:
            with self.events.lock:
                held = {node for node in self.nodes if node in self.events.holders}
            self.opened = held == self.nodes
        return self.opened


class UsbPrinterHandler(UMockdev.IoctlBase):
    """usbfs on one device node. `simulator` is a ctl_harness.Printer (None for a device that never answers);
    `piece` cuts each answer into transfers of at most that many bytes; `held_elsewhere` makes every claim busy."""

    def __init__(self, node, events, simulator=None, piece=None, held_elsewhere=False):
        super().__init__()
        self.node = node
        self.events = events
        self.piece = piece
        self.held_elsewhere = held_elsewhere
        self.together = None
        self.gone = False  # unplugged: every request fails as the kernel fails it for a disconnected device
        self.fd = None
        if simulator is not None:
            self.fd = os.open(simulator.pty, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
        self.inbox = bytearray()
        self.bytes_out = 0
        self.hold_after = None  # hold writes once the printer has taken this many bytes
        self.bytes_in = 0
        self.hold_answers_after = None  # once the host has this many bytes, answers wait until `release_answers`
        self.held = []  # (client, urb, payload) not yet taken
        self.in_urbs = []  # (client, urb data, buffer data, length)
        self.done_urbs = []  # (client, urb data) ready to reap
        self.lock = threading.Lock()

    def close(self):
        if self.fd is not None:
            os.close(self.fd)
            self.fd = None

    # --- umockdev's entry points: they must complete every ioctl, whatever happens --------------------------------
    def do_handle_ioctl(self, client):
        try:
            with self.lock:
                return self._handle(client)
        except GLib.Error:
            # The process went away in the middle of its request (killed): its socket is gone, so umockdev may never
            # say so; what it held is released here, as the kernel releases it.
            self.client_gone(client)
            return True
        except Exception:  # noqa: BLE001 - the client must never be left waiting
            traceback.print_exc()
            client.complete(-1, errno.EIO)
            return True

    def client_gone(self, client):
        """The client's process has closed the node (ended, or was killed): as the kernel does, what it held is
        released and its transfers are dropped."""
        with self.lock:
            self.in_urbs = [entry for entry in self.in_urbs if entry[0] != client]
            self.held = [entry for entry in self.held if entry[0] != client]
            self.done_urbs = [entry for entry in self.done_urbs if entry[0] != client]
        with self.events.lock:
            if self.events.holders.get(self.node) == client:
                del self.events.holders[self.node]
                self.events.items.append(("release", self.node))
                self.events.lock.notify_all()

    # --- the ioctls ----------------------------------------------------------------------------------------------
    def _handle(self, client):
        request = client.get_request()
        arg = client.get_arg()
        if self.gone:
            self._after_unplug(client, request, arg)
        elif request == GET_CAPABILITIES:
            data = arg.resolve(0, 4)
            data.update(0, list(struct.pack("<I", CAPABILITIES)))
            client.complete(0, 0)
        elif request in (CLAIMINTERFACE, DISCONNECT_CLAIM):
            self._claim(client)
        elif request == RELEASEINTERFACE:
            with self.events.lock:
                if self.events.holders.get(self.node) == client:
                    del self.events.holders[self.node]
                    self.events.items.append(("release", self.node))
                    self.events.lock.notify_all()
            client.complete(0, 0)
        elif request == GETDRIVER:
            client.complete(-1, errno.ENODATA)  # no kernel driver bound
        elif request == IOCTL:
            self._driver_ioctl(client, arg)
        elif request in (SETINTERFACE, SETCONFIGURATION, RESET, CLEAR_HALT, CONNECT, DISCONNECT):
            client.complete(0, 0)
        elif request == GET_SPEED:
            client.complete(2, 0)  # full speed
        elif request == SUBMITURB:
            self._submit(client, arg)
        elif request == DISCARDURB:
            self._discard(client, arg)
        elif request in (REAPURB, REAPURBNDELAY):
            self._reap(client, arg)
        else:
            client.complete(-1, errno.ENOTTY)
        return True

    def unplug(self):
        """From now on the device is gone: transfers in flight end as the host controller ends them when a device
        disconnects (-ESHUTDOWN), and every other request fails with ENODEV, as usbfs fails it."""
        with self.lock:
            self.gone = True

    def _after_unplug(self, client, request, arg):
        if request in (REAPURB, REAPURBNDELAY):
            pending = [(owner, urb) for owner, urb, _, _ in self.in_urbs if owner == client]
            pending += [(owner, urb) for owner, urb, _ in self.held if owner == client]
            if pending:
                _, urb = pending[0]
                self.in_urbs = [entry for entry in self.in_urbs if entry[1] is not urb]
                self.held = [entry for entry in self.held if entry[1] is not urb]
                self._finish(client, urb, -errno.ESHUTDOWN, 0)
            self._reap(client, arg, or_else=errno.ENODEV)
        else:
            client.complete(-1, errno.ENODEV)

    def _driver_ioctl(self, client, arg):
        """USBDEVFS_IOCTL: a request to the interface's kernel driver; CONNECT gives the interface back to it, as
        libusb does when it releases an interface it detached the driver from."""
        _, code = struct.unpack_from("<ii", bytes(arg.resolve(0, 16).retrieve()))
        if code == CONNECT:
            self.events.add("reattach", self.node)
        elif code == DISCONNECT:
            self.events.add("detach", self.node)
        client.complete(0, 0)

    def _claim(self, client):
        with self.events.lock:
            holder = self.events.holders.get(self.node)
            if self.held_elsewhere or (holder is not None and holder != client):
                self.events.items.append(("busy", self.node))
                self.events.lock.notify_all()
                client.complete(-1, errno.EBUSY)
                return
            if holder is None:
                self.events.holders[self.node] = client
                self.events.items.append(("claim", self.node))
                self.events.lock.notify_all()
        client.complete(0, 0)

    def _submit(self, client, arg):
        urb = arg.resolve(0, URB_SIZE)
        fields = bytes(urb.retrieve())
        kind, endpoint = fields[0], fields[1]
        length = struct.unpack_from("<i", fields, 24)[0]
        buffer = urb.resolve(16, length) if length > 0 else None
        if kind != URB_TYPE_BULK:
            self._finish(client, urb, -errno.EPIPE, 0)
        elif endpoint == OUT_ENDPOINT:
            payload = bytes(buffer.retrieve()) if buffer else b""
            if self.hold_after is not None and self.bytes_out >= self.hold_after:
                self.held.append((client, urb, payload))
                self.events.add("holding", self.node)
            else:
                self._take(client, urb, payload)
        elif endpoint == IN_ENDPOINT:
            self.in_urbs.append((client, urb, buffer, length))
        else:
            client.complete(-1, errno.ENOENT)
            return
        client.complete(0, 0)

    def _take(self, client, urb, payload):
        self._to_printer(payload)
        self.bytes_out += len(payload)
        self._finish(client, urb, 0, len(payload))

    def hold_writes_after(self, count):
        """From `count` bytes on, the printer takes no more data (a full buffer) until `release_writes`."""
        with self.lock:
            self.hold_after = count

    def hold_answers(self, after):
        """The host gets `after` bytes of answers; the rest wait in the printer until `release_answers`."""
        with self.lock:
            self.hold_answers_after = after

    def release_answers(self):
        with self.lock:
            self.hold_answers_after = None

    def release_writes(self):
        with self.lock:
            self.hold_after = None
            held, self.held = self.held, []
            for client, urb, payload in held:
                self._take(client, urb, payload)

    def _discard(self, client, arg):
        address = int.from_bytes(bytes(arg.retrieve())[:8], "little") if arg.data_length1 >= 8 else None
        for i, (owner, urb, _, _) in enumerate(self.in_urbs):
            if owner == client and (address is None or urb.client_addr == address):
                del self.in_urbs[i]
                self._finish(client, urb, -errno.ENOENT, 0)
                client.complete(0, 0)
                return
        for i, (owner, urb, _) in enumerate(self.held):
            if owner == client and (address is None or urb.client_addr == address):
                del self.held[i]
                self._finish(client, urb, -errno.ENOENT, 0)
                client.complete(0, 0)
                return
        client.complete(-1, errno.EINVAL)

    def _reap(self, client, arg, or_else=errno.EAGAIN):
        mine = [i for i, entry in enumerate(self.done_urbs) if entry[0] == client]
        if not mine and any(entry[0] == client for entry in self.in_urbs):
            self._answer_oldest_read(client)
            mine = [i for i, entry in enumerate(self.done_urbs) if entry[0] == client]
        if not mine:
            client.complete(-1, or_else)
            return
        _, urb = self.done_urbs.pop(mine[0])
        target = arg.resolve(0, 8)
        target.set_ptr(0, urb)
        client.complete(0, 0)

    # --- the printer behind it -----------------------------------------------------------------------------------
    def _to_printer(self, payload):
        if self.fd is None:
            return
        view = memoryview(payload)
        while view:
            try:
                written = os.write(self.fd, view)
                view = view[written:]
            except BlockingIOError:
                select.select([], [self.fd], [], 1)  # the simulator reads as it goes: wait until it has room

    def _answer_oldest_read(self, client):
        if self.fd is not None:
            try:
                while True:
                    chunk = os.read(self.fd, 4096)
                    if not chunk:
                        break
                    self.inbox += chunk
            except BlockingIOError:
                pass
        held = self.hold_answers_after is not None and self.bytes_in >= self.hold_answers_after
        if not self.inbox or held or (self.together is not None and not self.together.check()):
            return
        index = next(i for i, entry in enumerate(self.in_urbs) if entry[0] == client)
        _, urb, buffer, length = self.in_urbs.pop(index)
        count = min(length, len(self.inbox), self.piece or length)
        if self.hold_answers_after is not None:
            count = min(count, max(1, self.hold_answers_after - self.bytes_in))
        buffer.update(0, list(self.inbox[:count]))
        del self.inbox[:count]
        self.bytes_in += count
        self._finish(client, urb, 0, count)

    def _finish(self, client, urb, status, actual):
        urb.update(4, list(struct.pack("<i", status)))
        urb.update(28, list(struct.pack("<i", actual)))
        self.done_urbs.append((client, urb))


class UsbBus:
    """One testbed: bus 1 with its root hub and devices on its ports. Programs run with `env()` see it."""

    def __init__(self):
        self.testbed = UMockdev.Testbed.new()
        self.events = Events()
        self.handlers = []
        self.paths = {}  # sysfs path of each device -> its handler
        self.next_address = 2
        self._add("usb1", "/devices/usb1", 1, 0x1D6B, 0x0002, interface_class=9, ports=None)
        # umockdev never says that a client has gone (its client-vanished is not emitted, nor is a change of
        # "connected"), so the holders are looked at: a claim must not outlive its process, killed or not.
        self._closing = threading.Event()
        self._watcher = threading.Thread(target=self._watch_holders, daemon=True)
        self._watcher.start()

    def _watch_holders(self):
        while not self._closing.wait(0.02):
            with self.events.lock:
                held = list(self.events.holders.items())
            for node, client in held:
                if not client.props.connected:
                    next(h for h in self.handlers if h.node == node).client_gone(client)

    def _add(self, name, path, address, vendor, product, interface_class, ports, serial=None):
        blob = descriptors(vendor, product, interface_class).hex()
        lines = [f"P: {path}", f"N: bus/usb/001/{address:03d}", "E: SUBSYSTEM=usb", "E: DEVTYPE=usb_device",
                 "E: DRIVER=usb", "E: BUSNUM=001", f"E: DEVNUM={address:03d}",
                 f"E: DEVNAME=/dev/bus/usb/001/{address:03d}", "A: busnum=1\\n", f"A: devnum={address}\\n",
                 "A: speed=12\\n", "A: bConfigurationValue=1\\n", f"A: idVendor={vendor:04x}\\n",
                 f"A: idProduct={product:04x}\\n", f"H: descriptors={blob}"]
        if serial is not None:
            lines.append(f"A: serial={serial}\\n")  # sysfs attributes end with a line feed
        self.testbed.add_from_string("\n".join(lines) + "\n")

    def plug(self, port, simulator=None, vendor=0x1A86, product=0x1000, serial=None, interface_class=PRINTER_CLASS,
             piece=None, held_elsewhere=False):
        """A device on root port `port`; returns its handler (handler.node is its device node)."""
        address = self.next_address
        self.next_address += 1
        node = f"/dev/bus/usb/001/{address:03d}"
        handler = UsbPrinterHandler(node, self.events, simulator, piece, held_elsewhere)
        # The handler goes first, so that the node answers as soon as the device appears.
        if not self.testbed.attach_ioctl(node, handler):
            raise RuntimeError(f"umockdev did not take the handler of {node}")
        self._add(f"1-{port}", f"/devices/usb1/1-{port}", address, vendor, product, interface_class, port, serial)
        self.handlers.append(handler)
        self.paths[f"/devices/usb1/1-{port}"] = handler
        return handler

    def bind_printer_driver(self, handler, number):
        """Shows the printer at `handler` as the kernel's printer driver shows it: /dev/usb/lp<number> on its
        interface."""
        device = next(path for path, h in self.paths.items() if h is handler)
        interface = f"{device}/{device.rsplit('/', 1)[1]}:1.0"
        self.testbed.add_from_string(f"P: {interface}\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_interface\n"
                                     "A: bInterfaceClass=07\\n\n")
        node = f"{interface}/usbmisc/lp{number}"
        self.testbed.add_from_string(f"P: {node}\nN: usb/lp{number}\nE: SUBSYSTEM=usbmisc\n"
                                     f"E: DEVNAME=/dev/usb/lp{number}\n")
        self.testbed.set_attribute_link("/sys" + node, "device", "../..")
        return f"/dev/usb/lp{number}"

    def unplug(self, handler):
        """The device at `handler` is pulled out: its node answers as a disconnected device's does, and its record
        leaves the bus (sysfs, the device node, a "remove" event)."""
        handler.unplug()
        device = next(path for path, h in self.paths.items() if h is handler)
        self.testbed.remove_device("/sys" + device)

    def together(self, handlers):
        gate = Together(self.events)
        gate.nodes = {handler.node for handler in handlers}
        for handler in handlers:
            handler.together = gate
        return gate

    def env(self, base=None):
        """The environment of a program on this bus: umockdev's library, and real_system.c's ahead of it."""
        env = dict(base if base is not None else os.environ)
        env["UMOCKDEV_DIR"] = self.testbed.get_root_dir()
        preload = REAL_SYSTEM + ":libumockdev-preload.so.0"
        env["LD_PRELOAD"] = preload + (":" + env["LD_PRELOAD"] if env.get("LD_PRELOAD") else "")
        return env

    def close(self):
        self._closing.set()
        self._watcher.join()
        for handler in self.handlers:
            handler.close()
        self.handlers.clear()
