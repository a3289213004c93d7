"""The EFI system partition read with mtools straight from the disk image (this kernel has no
vfat): the boot manager in the fallback path and the boot store."""

import os
import shutil

from procs import run
from results import require


def _mtools_env():
    return dict(os.environ, MTOOLS_SKIP_CHECK="1")


def _on(image, partition, path):
    return f"{image}@@{partition.offset}", "::" + path


def read_file(image, partition, path):
    """The bytes of `path` (/EFI/Boot/bootx64.efi) on the FAT volume of the partition."""
    drive, name = _on(image, partition, path)
    return run(["mcopy", "-n", "-i", drive, name, "-"], env=_mtools_env(), binary=True).stdout


def exists(image, partition, path):
    drive, name = _on(image, partition, path)
    return run(["mdir", "-b", "-i", drive, name], env=_mtools_env(), check=False).returncode == 0


def write_file(image, partition, source, path):
    """Copies a host file onto the FAT volume, making its folders (used to fill a disk by hand)."""
    drive, _ = _on(image, partition, path)
    folder = ""
    for part in path.strip("/").split("/")[:-1]:
        folder += "/" + part
        run(["mmd", "-D", "s", "-i", drive, "::" + folder], env=_mtools_env(), check=False)
    run(["mcopy", "-o", "-i", drive, source, "::" + path], env=_mtools_env())


def extract_all(image, partition, destination):
    """Copies every file and folder of the FAT volume into destination (made anew)."""
    shutil.rmtree(destination, ignore_errors=True)
    os.makedirs(destination)
    run(["mcopy", "-s", "-n", "-i", f"{image}@@{partition.offset}", "::*", destination], env=_mtools_env())
    return destination


def check_boot_manager(image, partition, bootmgfw):
    """EFI/Boot/bootx64.efi and EFI/Microsoft/Boot/bootmgfw.efi equal the image's boot manager."""
    with open(bootmgfw, "rb") as f:
        want = f.read()
    for path in ("/EFI/Boot/bootx64.efi", "/EFI/Microsoft/Boot/bootmgfw.efi"):
        require(exists(image, partition, path), f"{path} is not on the ESP")
        have = read_file(image, partition, path)
        require(have == want, f"{path} on the ESP ({len(have)} bytes) is not the image's bootmgfw.efi "
                f"({len(want)} bytes)")
    return f"EFI/Boot/bootx64.efi and EFI/Microsoft/Boot/bootmgfw.efi = the image's bootmgfw.efi ({len(want)} bytes)"


def fetch_store(image, partition, destination):
    """Copies EFI/Microsoft/Boot/BCD off the ESP to destination; fails when it is not there."""
    path = "/EFI/Microsoft/Boot/BCD"
    require(exists(image, partition, path), f"{path} is not on the ESP")
    data = read_file(image, partition, path)
    with open(destination, "wb") as f:
        f.write(data)
    return f"{path} is there ({len(data)} bytes)"
