#!/usr/bin/env python3
"""The demo's installation onto a real disk: a 2 GiB disk image with a GPT, an EFI system
partition (FAT32) and an NTFS partition, the demo's install image applied onto it by halvora-sim
with the program's own command line, what landed read back with the host's tools (ntfs-3g,
mtools, hivex), and the disk booted in QEMU with OVMF up to the installed boot manager.

    scripts/lib/demo_real_disk.py HALVORA_SIM INSTALL_WIM ARTIFACT_DIR BOOT_MARKER

Needs root (loop devices, FUSE). The disk image, the machine and the serial log stay in
ARTIFACT_DIR. Exits 1 when a step failed.
"""

import os
import subprocess
import sys

sys.dont_write_bytecode = True
REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(REPO, "tests", "realdisk"))

from boot_qemu import boot_until_marker  # noqa: E402
from check_bcd import check_store, windows_guid_bytes  # noqa: E402
from disk_image import make_gpt_disk  # noqa: E402
from hostdev import HostDevices, loops_backed_by  # noqa: E402
from procs import run  # noqa: E402
from sim_machine import INSTALL_ARGUMENTS, prepare_machine  # noqa: E402


def fail(message):
    print(f"demo: {message}", file=sys.stderr)
    sys.exit(1)


def main():
    if len(sys.argv) != 5:
        fail(__doc__)
    sim, wim, artifacts, marker = sys.argv[1:]
    os.makedirs(artifacts, exist_ok=True)
    image = os.path.join(artifacts, "disk.img")
    with HostDevices() as devices:
        layout = make_gpt_disk(devices, image)
    esp, target = layout.partitions[1], layout.partitions[2]
    print(f"   disk.img: 2 GiB (sparse), GPT {layout.disk_id}")
    print(f"     partition 1: EFI system partition, FAT32, {esp.size >> 20} MiB, {esp.guid}")
    print(f"     partition 2: basic data, NTFS \"Target\", {target.size >> 20} MiB, {target.guid}")
    real_disk = {"number": 1, "image": "disk.img", "letters": {"2": "E"}, "bus": 7,
                 "vendor": "Halvora", "product": "Disk image"}
    machine = prepare_machine(artifacts, wim, real_disk)
    print(f"   halvora.exe {' '.join(INSTALL_ARGUMENTS)}")
    print()
    command = [sim, "--machine", machine, "--script", os.path.join(artifacts, "script.json"),
               "--report", os.path.join(artifacts, "report.json"), "--trace", "--"] + INSTALL_ARGUMENTS
    status = subprocess.run(command).returncode
    print(f"halvora.exe ended with exit code {status}")
    if status != 0:
        fail(f"the installation onto the disk image did not end with exit code 0 ({artifacts}/report.json)")
    if loops_backed_by(image):
        fail(f"halvora-sim left {image} attached to {loops_backed_by(image)}")

    print()
    print("== What is on the disk image, read with the host's tools")
    with HostDevices() as devices:
        device = devices.attach(image, offset=target.offset, size=target.size, read_only=True)
        root = devices.mount_ntfs(device, os.path.join(artifacts, "ntfs-readonly"))
        files = sum(len(names) for _, _, names in os.walk(root))
        info = run(["wiminfo", wim, "1"]).stdout
        expected = next((int(line.split(":")[1]) for line in info.splitlines() if line.startswith("File Count")), -1)
        print(f"   NTFS (ntfs-3g, read-only): {files} files, as many as the image holds: "
              f"{'yes' if files == expected else f'NO ({expected})'}")
        if files != expected:
            fail(f"the NTFS partition holds {files} files, the image {expected}")
        if not os.path.isfile(os.path.join(root, "Windows", "System32", "winload.efi")):
            fail("the NTFS partition holds no Windows\\System32\\winload.efi")
    env = dict(os.environ, MTOOLS_SKIP_CHECK="1")
    at = f"{image}@@{esp.offset}"
    tree = run(["mdir", "-/", "-b", "-i", at, "::/EFI"], env=env).stdout.split()
    files = sorted(p.replace("::/", "").replace("/", "\\") for p in tree if not p.endswith("/"))
    print("   ESP (mtools): " + ", ".join(files))
    hive = os.path.join(artifacts, "BCD")
    run(["mcopy", "-o", "-i", at, "::/EFI/Microsoft/Boot/BCD", hive], env=env)
    try:
        summary = check_store(hive, "\\Windows\\system32\\winload.efi", windows_guid_bytes(target.guid),
                              windows_guid_bytes(layout.disk_id), 0)
    except AssertionError as error:
        fail(f"the boot store EFI\\Microsoft\\Boot\\BCD (hivexsh): {error}")
    print(f"   BCD (hivexsh): {summary}")

    print()
    print("== Booting the disk image in QEMU with OVMF (software emulation)")
    seconds = boot_until_marker(image, marker, artifacts, timeout=180)
    print(f"   the firmware started EFI\\Boot\\bootx64.efi from the ESP after {seconds:.0f} s; on the serial console:")
    print(f"     {marker}")
    print(f"   The disk image stays in {image}")


if __name__ == "__main__":
    main()
