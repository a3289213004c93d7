"""Fills a disk image the way the installation does, with the host's tools alone: wimlib applies
the image onto the NTFS partition and mtools puts the boot manager on the ESP (GPT), or ntfs-3g
puts bootmgr at the partition's root (MBR). No boot store is written.

This proves the checks and the QEMU boot on a disk whose content is known to be right, without
the program; `run --by-hand` uses it."""

import os
import shutil

import check_esp
from hostdev import HostDevices
from procs import run


def apply_image(image, partition, wim):
    with HostDevices() as devices:
        device = devices.attach(image, offset=partition.offset, size=partition.size)
        run(["wimapply", wim, "1", device])


def fill_gpt(image, layout, wim, tree):
    apply_image(image, layout.partitions[2], wim)
    bootmgfw = os.path.join(tree, "Windows/Boot/EFI/bootmgfw.efi")
    for path in ("/EFI/Boot/bootx64.efi", "/EFI/Microsoft/Boot/bootmgfw.efi"):
        check_esp.write_file(image, layout.partitions[1], bootmgfw, path)


def fill_mbr(image, layout, wim, tree, work):
    partition = layout.partitions[1]
    apply_image(image, partition, wim)
    with HostDevices() as devices:
        device = devices.attach(image, offset=partition.offset, size=partition.size)
        mounted = devices.mount_ntfs(device, os.path.join(work, "fill-mnt"), read_only=False)
        shutil.copyfile(os.path.join(tree, "Windows/Boot/PCAT/bootmgr"), os.path.join(mounted, "bootmgr"))
        os.makedirs(os.path.join(mounted, "Boot"), exist_ok=True)
