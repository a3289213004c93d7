"""Loop devices and mounts that the tests make on the host, and what the host has attached or
mounted at a moment.

Everything a `HostDevices` makes is undone when its `with` block ends, in reverse order, also
when a check failed or the run was interrupted, so that a failed test never leaves a loop device
or a FUSE mount behind.
"""

import os
import time

from procs import run


def loops_backed_by(path):
    """The loop devices whose backing file is `path` (as `losetup -j` finds them)."""
    out = run(["losetup", "--noheadings", "-O", "NAME", "-j", os.path.realpath(path)]).stdout
    return [line.strip() for line in out.splitlines() if line.strip()]


def mount_table():
    """The mounts of this process's name space: (mount point, source, type) per mount."""
    entries = set()
    with open("/proc/self/mountinfo", encoding="utf-8", errors="replace") as mountinfo:
        for line in mountinfo:
            before, after = line.rstrip("\n").split(" - ", 1)
            fields = before.split(" ")
            rest = after.split(" ")
            entries.add((fields[4], rest[1] if len(rest) > 1 else "", rest[0]))
    return entries


class HostDevices:
    def __init__(self):
        self._undo = []  # (description, callable), undone last first

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.release_all()
        return False

    def attach(self, image, offset=None, size=None, read_only=False, scan=False):
        """Attaches the image (or the part of it from `offset`, `size` bytes) to a free loop
        device; `scan` also makes the kernel's partition devices (partx). Returns the device."""
        command = ["losetup", "-f", "--show"]
        if offset is not None:
            command += ["-o", str(offset)]
        if size is not None:
            command += ["--sizelimit", str(size)]
        if read_only:
            command.append("-r")
        device = run(command + [image]).stdout.strip()
        self._undo.append((f"losetup -d {device}", lambda: self._detach(device)))
        if scan:
            run(["partx", "-a", device])
            self._undo.append((f"partx -d {device}", lambda: run(["partx", "-d", device], check=False)))
        return device

    def mount_ntfs(self, device, mount_point, read_only=True):
        """Mounts an NTFS volume with ntfs-3g (FUSE) at mount_point, which it makes."""
        os.makedirs(mount_point, exist_ok=True)
        options = "ro" if read_only else "rw"
        run(["ntfs-3g", "-o", options, device, mount_point])
        self._undo.append((f"umount {mount_point}", lambda: self._unmount(mount_point)))
        return mount_point

    def release(self, count=None):
        """Undoes the last `count` things made (all when None)."""
        failures = []
        while self._undo and (count is None or count > 0):
            what, undo = self._undo.pop()
            try:
                undo()
            except Exception as error:  # keep undoing the rest; report at the end
                failures.append(f"{what}: {error}")
            if count is not None:
                count -= 1
        if failures:
            raise RuntimeError("could not undo: " + "; ".join(failures))

    def release_all(self):
        self.release(None)

    @staticmethod
    def _unmount(mount_point):
        # ntfs-3g writes back on unmount; a busy FUSE mount is retried briefly before giving up.
        for attempt in range(20):
            if run(["umount", mount_point], check=False).returncode == 0:
                break
            time.sleep(0.25)
        else:
            run(["umount", mount_point])
        os.rmdir(mount_point)

    @staticmethod
    def _detach(device):
        for attempt in range(20):
            result = run(["losetup", "-d", device], check=False)
            if result.returncode == 0:
                return
            time.sleep(0.25)
        raise RuntimeError(f"losetup -d {device} failed: {result.stderr.strip()}")
