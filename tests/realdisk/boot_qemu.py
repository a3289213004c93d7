"""Boots a GPT disk image in QEMU with OVMF (software emulation; no KVM here) and waits,
bounded, for the boot marker on the serial console: the firmware found the ESP, read FAT32 and
started EFI\\Boot\\bootx64.efi, the boot manager the installation put there."""

import os
import shutil
import subprocess
import time

OVMF_CODE = "/usr/share/OVMF/OVMF_CODE_4M.fd"
OVMF_VARS = "/usr/share/OVMF/OVMF_VARS_4M.fd"


def boot_until_marker(image, marker, work, timeout=120):
    """Returns the seconds until the marker appeared; raises with the serial log's end when it
    did not appear within `timeout` seconds or QEMU ended first."""
    variables = os.path.join(work, "OVMF_VARS.fd")
    serial = os.path.join(work, "serial.log")
    shutil.copyfile(OVMF_VARS, variables)
    if os.path.exists(serial):
        os.remove(serial)
    command = ["qemu-system-x86_64", "-machine", "q35", "-m", "256", "-nographic", "-display", "none",
               "-net", "none", "-no-reboot",
               "-drive", f"if=pflash,format=raw,readonly=on,file={OVMF_CODE}",
               "-drive", f"if=pflash,format=raw,file={variables}",
               # A snapshot: the boot must not change the disk that is being checked.
               "-drive", f"file={image},format=raw,if=virtio,snapshot=on",
               "-serial", f"file:{serial}", "-monitor", "none"]
    with open(os.path.join(work, "qemu.log"), "wb") as log:
        qemu = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT)
    started = time.monotonic()
    try:
        while time.monotonic() - started < timeout:
            if _serial_has(serial, marker):
                return time.monotonic() - started
            if qemu.poll() is not None:
                if _serial_has(serial, marker):
                    return time.monotonic() - started
                raise AssertionError(f"QEMU ended with {qemu.returncode} before the marker; serial log ends:\n"
                                     + _tail(serial))
            time.sleep(0.5)
        raise AssertionError(f"no {marker} on the serial console within {timeout} s; serial log ends:\n"
                             + _tail(serial))
    finally:
        if qemu.poll() is None:
            qemu.kill()
        qemu.wait()


def _serial_has(path, marker):
    try:
        with open(path, "rb") as f:
            return marker.encode() in f.read()
    except FileNotFoundError:
        return False


def _tail(path, lines=15):
    try:
        with open(path, "rb") as f:
            text = f.read().decode("utf-8", "replace")
    except FileNotFoundError:
        return "(no serial log)"
    return "\n".join(text.replace("\r", "").splitlines()[-lines:]) or "(empty)"
