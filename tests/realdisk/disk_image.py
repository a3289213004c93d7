"""Raw disk images with a partition table and formatted volumes, and their layout as the host's
own tools read it back (sfdisk --json), so the checks compare against what is really on disk.

The GUIDs and the MBR signature are random on every run: a program that wrote made-up or fixed
identities into the boot store could not match them by chance.
"""

import json
import os
import uuid

from procs import run

SECTOR = 512
MIB = 1024 * 1024
ESP_TYPE = "C12A7328-F81F-11D2-BA4B-00A0C93EC93B"
BASIC_DATA_TYPE = "EBD0A0A2-B9E5-4433-87C0-68B6B72699C7"


class Partition:
    def __init__(self, number, entry):
        self.number = number
        self.offset = entry["start"] * SECTOR
        self.size = entry["size"] * SECTOR
        self.type = entry["type"].upper()
        self.guid = entry.get("uuid", "").upper() or None  # GPT only
        self.bootable = bool(entry.get("bootable", False))


class Layout:
    """A disk image's table: `style` "gpt" or "dos", `disk_id` the GPT disk GUID (upper case)
    or the MBR signature (a number), `partitions` by number."""

    def __init__(self, image):
        table = json.loads(run(["sfdisk", "--json", image]).stdout)["partitiontable"]
        self.style = table["label"]
        if self.style == "gpt":
            self.disk_id = table["id"].upper()
        else:
            self.disk_id = int(table["id"], 16)
        self.partitions = {}
        for entry in table["partitions"]:
            number = int(entry["node"][len(table["device"]):].lstrip("p"))
            self.partitions[number] = Partition(number, entry)


def _sparse(image, size):
    if os.path.exists(image):
        os.remove(image)
    with open(image, "wb") as f:
        f.truncate(size)


def format_fat32(image, partition, label="SYSTEM"):
    # One sector a cluster keeps a 100 MiB volume above FAT32's cluster minimum, so firmware
    # reads it as FAT32 and not as FAT16.
    run(["mkfs.fat", "-F", "32", "-s", "1", "-S", str(SECTOR), "-n", label,
         "--offset", str(partition.offset // SECTOR), image, str(partition.size // 1024)])


def format_ntfs(devices, image, partition, label):
    """mkntfs -Q on a loop device of the partition alone, detached again at once."""
    device = devices.attach(image, offset=partition.offset, size=partition.size)
    try:
        run(["mkntfs", "-Q", "-L", label, "-p", str(partition.offset // SECTOR), "-H", "255", "-S", "63",
             device])
    finally:
        devices.release(1)


def make_gpt_disk(devices, image, size=2 * 1024 * MIB, esp_mib=100):
    """GPT: 1 ESP (FAT32), 2 basic data (NTFS "Target") filling the rest."""
    _sparse(image, size)
    run(["sgdisk", "-U", str(uuid.uuid4()),
         "-n", f"1:2048:+{esp_mib}M", "-t", "1:EF00", "-c", "1:EFI system partition", "-u", f"1:{uuid.uuid4()}",
         "-n", "2:0:0", "-t", "2:0700", "-c", "2:Basic data partition", "-u", f"2:{uuid.uuid4()}", image])
    layout = Layout(image)
    format_fat32(image, layout.partitions[1])
    format_ntfs(devices, image, layout.partitions[2], "Target")
    return layout


def make_mbr_disk(devices, image, size=2 * 1024 * MIB):
    """MBR with a random signature: 1 active NTFS (type 7) "Target" filling the disk."""
    _sparse(image, size)
    signature = int.from_bytes(os.urandom(4), "little") or 1
    run(["sfdisk", "--quiet", image], input=f"label: dos\nlabel-id: 0x{signature:08x}\n"
        "start=2048, type=7, bootable\n")
    layout = Layout(image)
    format_ntfs(devices, image, layout.partitions[1], "Target")
    return layout


def make_small_gpt_disk(devices, image, partitions=2):
    """A 64 MiB GPT disk with `partitions` NTFS partitions of 16 MiB, for the refusals."""
    _sparse(image, 64 * MIB)
    command = ["sgdisk"]
    for n in range(1, partitions + 1):
        command += ["-n", f"{n}:0:+16M", "-t", f"{n}:0700"]
    run(command + [image])
    layout = Layout(image)
    for n in range(1, partitions + 1):
        format_ntfs(devices, image, layout.partitions[n], f"Part{n}")
    return layout
