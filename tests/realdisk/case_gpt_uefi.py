"""A GPT disk image, ESP and NTFS: the installation onto its NTFS partition, checked with
ntfs-3g, mtools and hivex, then booted by QEMU with OVMF to the installed boot manager."""

import os

import by_hand
import check_bcd
import check_esp
from boot_qemu import boot_until_marker
from check_files import check_copied, compare_volume
from disk_image import make_gpt_disk
from hostdev import HostDevices
from installation import install
from test_image import BOOT_MARKER


def run_case(ctx, results):
    print("== GPT disk image: ESP (FAT32) and NTFS, installed as E:", flush=True)
    folder = os.path.join(ctx.artifacts, "gpt")
    os.makedirs(folder, exist_ok=True)
    image = os.path.join(folder, "disk.img")
    with HostDevices() as devices:
        layout = make_gpt_disk(devices, image)
    esp, target = layout.partitions[1], layout.partitions[2]
    print(f"  disk {layout.disk_id}; ESP {esp.guid} at {esp.offset}; NTFS {target.guid} at {target.offset}")
    real_disk = {"number": 1, "image": "disk.img", "letters": {"2": "E"}, "bus": 7, "removable": False}
    install(ctx, results, folder, image, layout, real_disk,
            lambda: by_hand.fill_gpt(image, layout, ctx.wim, ctx.tree))

    def image_on_volume():
        with HostDevices() as devices:
            device = devices.attach(image, offset=target.offset, size=target.size, read_only=True)
            mounted = devices.mount_ntfs(device, os.path.join(folder, "mnt"))
            return compare_volume(ctx.reference, mounted)

    results.check("the NTFS partition (ntfs-3g, read-only) holds the image", image_on_volume)
    bootmgfw = os.path.join(ctx.tree, "Windows/Boot/EFI/bootmgfw.efi")
    booted_files = results.check("the ESP (mtools) has the image's boot manager",
                                 check_esp.check_boot_manager, image, esp, bootmgfw)
    if ctx.by_hand:
        results.skip("the boot folder and the boot store", "the disk was filled by hand, without them")
    else:
        _check_boot_folder_and_store(ctx, results, folder, image, layout)
    if booted_files:
        results.check("QEMU with OVMF boots the disk image to the installed boot manager",
                      lambda: f"{BOOT_MARKER} on the serial console after "
                      f"{boot_until_marker(image, BOOT_MARKER, folder):.1f} s")
    else:
        results.skip("QEMU boot", "the ESP has no boot manager to start")
    if ctx.by_hand:
        _checks_catch_damage(ctx, results, folder, image, esp, target, bootmgfw)


def _check_boot_folder_and_store(ctx, results, folder, image, layout):
    """The rest of the Windows' boot files in EFI/Microsoft/Boot, and a store whose default
    loader starts winload.efi from the NTFS partition, and whose boot manager is on the ESP."""
    esp, target = layout.partitions[1], layout.partitions[2]

    def boot_folder():
        esp_files = check_esp.extract_all(image, esp, os.path.join(folder, "esp-files"))
        boot = os.path.join(ctx.tree, "Windows/Boot")
        return check_copied([(os.path.join(boot, "EFI"), os.path.join(esp_files, "EFI/Microsoft/Boot")),
                             (os.path.join(boot, "Fonts"), os.path.join(esp_files, "EFI/Microsoft/Boot/Fonts"))])

    results.check("the ESP (mtools) has the image's Boot\\EFI and Boot\\Fonts in EFI/Microsoft/Boot", boot_folder)
    store = os.path.join(folder, "BCD")
    if not results.check("the ESP (mtools) has EFI/Microsoft/Boot/BCD", check_esp.fetch_store, image, esp, store):
        return
    disk = check_bcd.windows_guid_bytes(layout.disk_id)
    results.check("the boot store (hivexsh) boots winload.efi from the NTFS partition of this disk",
                  check_bcd.check_store, store, "\\Windows\\system32\\winload.efi",
                  check_bcd.windows_guid_bytes(target.guid), disk, 0, (check_bcd.windows_guid_bytes(esp.guid), disk))


def _checks_catch_damage(ctx, results, folder, image, esp, target, bootmgfw):
    """The checks themselves fail on a damaged installation: one byte of one file changed on the
    NTFS partition, a boot manager on the ESP that is not the image's."""

    def damaged_file_is_found():
        with HostDevices() as devices:
            device = devices.attach(image, offset=target.offset, size=target.size)
            mounted = devices.mount_ntfs(device, os.path.join(folder, "mnt"), read_only=False)
            with open(os.path.join(mounted, "Windows/System32/lib050.dll"), "r+b") as f:
                f.seek(3)
                f.write(b"X")
            devices.release(1)  # unmount, so the read-only check below sees what was written
            mounted = devices.mount_ntfs(device, os.path.join(folder, "mnt"))
            try:
                compare_volume(ctx.reference, mounted)
            except AssertionError as failure:
                if "lib050.dll" in str(failure):
                    return "the changed lib050.dll is reported"
                raise
            raise AssertionError("compare_volume passed a volume with a changed file")

    def wrong_boot_manager_is_found():
        other = os.path.join(folder, "other.efi")
        with open(other, "wb") as f:
            f.write(b"MZ not the image's boot manager\n")
        check_esp.write_file(image, esp, other, "/EFI/Boot/bootx64.efi")
        try:
            check_esp.check_boot_manager(image, esp, bootmgfw)
        except AssertionError as failure:
            return f"reported: {failure}"
        raise AssertionError("check_boot_manager passed a foreign bootx64.efi")

    results.check("the file check catches a changed byte", damaged_file_is_found)
    results.check("the ESP check catches a foreign boot manager", wrong_boot_manager_is_found)
