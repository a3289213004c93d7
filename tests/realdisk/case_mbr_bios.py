"""An MBR disk image with one active NTFS partition: the program boots it from the partition
itself (BIOS), so bootmgr lands at the partition's root and the store in Boot\\BCD, naming the
partition by the disk's signature and its byte offset."""

import filecmp
import os
import shutil
import struct

import by_hand
import check_bcd
from check_files import check_copied, compare_volume
from disk_image import make_mbr_disk
from hostdev import HostDevices
from installation import install
from results import require

BOOT_FILES = ("bootmgr", "Boot")  # what a BIOS boot tool may put beside the image


def _check_bcdboot_call(outcome):
    calls = outcome.bcdboot_calls() if outcome else []
    require(calls, "no Bcdboot start in the report's calls")
    call = calls[0]
    require("/s E:" in call and "/f BIOS" in call,
            f"Bcdboot was not asked for BIOS boot files on E: itself: {call}")
    return call


def run_case(ctx, results):
    print("== MBR disk image: one active NTFS partition, installed as E:, booted by BIOS", flush=True)
    folder = os.path.join(ctx.artifacts, "mbr")
    os.makedirs(folder, exist_ok=True)
    image = os.path.join(folder, "disk.img")
    with HostDevices() as devices:
        layout = make_mbr_disk(devices, image)
    target = layout.partitions[1]
    print(f"  disk signature 0x{layout.disk_id:08x}; NTFS at byte {target.offset}")
    real_disk = {"number": 1, "image": "disk.img", "letters": {"1": "E"}, "bus": 7, "removable": False}
    work = os.path.join(folder, "work")
    os.makedirs(work, exist_ok=True)
    outcome = install(ctx, results, folder, image, layout, real_disk,
                      lambda: by_hand.fill_mbr(image, layout, ctx.wim, ctx.tree, work))
    if not ctx.by_hand:
        results.check("the program asks Bcdboot for BIOS files on the partition itself", _check_bcdboot_call, outcome)
    store = os.path.join(folder, "BCD")

    def volume_checks():
        with HostDevices() as devices:
            device = devices.attach(image, offset=target.offset, size=target.size, read_only=True)
            mounted = devices.mount_ntfs(device, os.path.join(folder, "mnt"))
            summary = compare_volume(ctx.reference, mounted, allowed_extra=BOOT_FILES)
            bootmgr = os.path.join(mounted, "bootmgr")
            require(os.path.isfile(bootmgr), "no bootmgr at the partition's root")
            require(filecmp.cmp(bootmgr, os.path.join(ctx.tree, "Windows/Boot/PCAT/bootmgr"), shallow=False),
                    "bootmgr at the root is not the image's Windows\\Boot\\PCAT\\bootmgr")
            if not ctx.by_hand:
                boot = os.path.join(ctx.tree, "Windows/Boot")
                summary += "; " + check_copied([(os.path.join(boot, "PCAT"), os.path.join(mounted, "Boot")),
                                                (os.path.join(boot, "Fonts"), os.path.join(mounted, "Boot/Fonts"))],
                                               skip=("bootmgr",))
            bcd = os.path.join(mounted, "Boot", "BCD")
            has_store = os.path.isfile(bcd)
            if has_store:
                shutil.copyfile(bcd, store)
            return summary + "; bootmgr = the image's; " + ("Boot\\BCD is there" if has_store else "no Boot\\BCD")

    results.check("the NTFS partition (ntfs-3g, read-only) holds the image, bootmgr and the Boot folder", volume_checks)
    if ctx.by_hand:
        results.skip("the boot store (hivexsh)", "the disk was filled by hand, without a boot store")
        return
    partition = struct.pack("<Q", target.offset)
    signature = struct.pack("<I", layout.disk_id)

    def store_checks():
        require(os.path.isfile(store), "the partition has no Boot\\BCD")
        return check_bcd.check_store(store, "\\Windows\\system32\\winload.exe", partition, signature, 1,
                                     (partition, signature))

    results.check("the boot store Boot\\BCD (hivexsh) boots winload.exe from this partition", store_checks)
