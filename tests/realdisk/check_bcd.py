"""The boot store, a registry hive, read with hivex's own shell (hivexsh): the boot manager's
default entry and the device, path and system root of the loader it names.

Device elements are compared with the identities the partition table really holds (GPT: the
partition's and the disk's GUIDs; MBR: the disk signature and the partition's byte offset), in
the layout the Windows boot manager reads: device kind at 0x10, 0x48 at 0x18, the partition (GUID or offset)
at 0x20, the style at 0x34 (0 GPT, 1 MBR), the disk (GUID or signature) at 0x38.
"""

import re
import struct
import uuid

from procs import run
from results import require

BOOT_MANAGER = "{9dea862c-5cdd-4e70-acc1-f32b344d4795}"
TYPE_BOOT_MANAGER = 0x10100002
TYPE_LOADER = 0x10200003
APPLICATION_DEVICE = "11000001"
APPLICATION_PATH = "12000002"
OS_DEVICE = "21000001"
SYSTEM_ROOT = "22000002"
DEFAULT_OBJECT = "23000003"
DEVICE_PARTITION = 6


def windows_guid_bytes(text):
    """A GUID in the byte order Windows stores it: Data1 to Data3 little-endian."""
    return uuid.UUID(text.strip("{}")).bytes_le


class Hive:
    def __init__(self, path):
        self.path = path

    def _shell(self, commands):
        script = "".join(line + "\n" for line in commands) + "exit\n"
        return run(["hivexsh", self.path], input=script.encode(), binary=True).stdout

    def subkeys(self, key):
        out = self._shell([f"cd {key}", "ls"]).decode("utf-8", "replace")
        return [line.strip() for line in out.splitlines() if line.strip()]

    def raw(self, key, name):
        """The value's data as hivexsh prints one value: text (and a newline) for strings,
        the number in decimal for a DWORD, the raw bytes for binary data."""
        out = self._shell([f"cd {key}", f"lsval {name}"])
        # Some hivexsh versions print binary data as .reg text ("hex(3):06,00,...").
        if out.startswith(b"hex(") and b":" in out:
            return bytes.fromhex(out.split(b":", 1)[1].decode().replace(",", "").strip())
        return out

    def text(self, key, name):
        return self.raw(key, name).decode("utf-8").rstrip("\n")

    def dword(self, key, name):
        return int(self.text(key, name)) & 0xFFFFFFFF

    def element(self, obj, number):
        return f"Objects\\{obj}\\Elements\\{number}"


def _find_object(hive, guid):
    objects = hive.subkeys("Objects")
    for name in objects:
        if name.lower() == guid.lower():
            return name
    raise AssertionError(f"the store has no object {guid}; it has: {', '.join(objects) or 'none'}")


def _device(hive, obj, number):
    data = hive.raw(hive.element(obj, number), "Element")
    require(len(data) >= 0x3C, f"{obj} element {number} is {len(data)} bytes, too short for a partition device")
    return data


def _check_device(name, data, partition_bytes, disk_bytes, style):
    """The element names the partition (at 0x20) of the disk (at 0x38) in that style."""
    hexdump = data.hex(" ")
    require(partition_bytes in data, f"{name}: the partition ({partition_bytes.hex(' ')}) is not in it: {hexdump}")
    require(disk_bytes in data, f"{name}: the disk ({disk_bytes.hex(' ')}) is not in it: {hexdump}")
    kind = struct.unpack_from("<I", data, 0x10)[0]
    require(kind == DEVICE_PARTITION, f"{name}: device kind {kind} at 0x10, not {DEVICE_PARTITION} (partition): {hexdump}")
    length = struct.unpack_from("<I", data, 0x18)[0]
    require(length == 0x48, f"{name}: 0x{length:x} at 0x18, not 0x48: {hexdump}")
    require(data[0x20:0x20 + len(partition_bytes)] == partition_bytes,
            f"{name}: the partition is not at 0x20: {hexdump}")
    stored_style = struct.unpack_from("<I", data, 0x34)[0]
    require(stored_style == style, f"{name}: style {stored_style} at 0x34, not {style}: {hexdump}")
    require(data[0x38:0x38 + len(disk_bytes)] == disk_bytes, f"{name}: the disk is not at 0x38: {hexdump}")


def check_store(store, loader_path, partition_bytes, disk_bytes, style, boot_manager_device=None):
    """The boot manager's default (23000003) is a Windows loader whose path is loader_path,
    whose system root is \\Windows and whose application and OS devices are the partition.
    With boot_manager_device (partition bytes, disk bytes): the boot manager's own device too.
    Returns a summary."""
    with open(store, "rb") as f:
        start = f.read(64)
    require(start.startswith(b"regf"), f"the store is not a registry hive; it starts with {start[:40]!r}")
    hive = Hive(store)
    manager = _find_object(hive, BOOT_MANAGER)
    manager_type = hive.dword(f"Objects\\{manager}\\Description", "Type")
    require(manager_type == TYPE_BOOT_MANAGER, f"the boot manager's type is 0x{manager_type:08x}")
    default = hive.text(hive.element(manager, DEFAULT_OBJECT), "Element")
    require(re.fullmatch(r"\{[0-9a-fA-F-]{36}\}", default), f"the boot manager's default is not a GUID: {default!r}")
    loader = _find_object(hive, default)
    loader_type = hive.dword(f"Objects\\{loader}\\Description", "Type")
    require(loader_type == TYPE_LOADER, f"the default {loader} has type 0x{loader_type:08x}, not a Windows loader")
    path = hive.text(hive.element(loader, APPLICATION_PATH), "Element")
    require(path.lower() == loader_path.lower(), f"the loader's path (12000002) is {path!r}, not {loader_path!r}")
    root = hive.text(hive.element(loader, SYSTEM_ROOT), "Element")
    require(root.lower() == "\\windows", f"the loader's system root (22000002) is {root!r}, not '\\Windows'")
    for number in (APPLICATION_DEVICE, OS_DEVICE):
        _check_device(f"loader {number}", _device(hive, loader, number), partition_bytes, disk_bytes, style)
    if boot_manager_device:
        _check_device(f"boot manager {APPLICATION_DEVICE}", _device(hive, manager, APPLICATION_DEVICE),
                      boot_manager_device[0], boot_manager_device[1], style)
    return f"default {loader}: {path}, root {root}, devices name partition {partition_bytes.hex()} of disk {disk_bytes.hex()}"
