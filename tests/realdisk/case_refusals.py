"""Real disks the runner must refuse before it runs anything (exit 64, a message on stderr):
a device one of whose partitions is mounted, a disk image already attached to a loop device,
a disk image another program holds a lock on (as a virtual machine running from it does), and a
"letters" entry naming a partition the disk does not have. None may leave anything
attached or mounted."""

import fcntl
import os

from disk_image import make_small_gpt_disk
from hostdev import HostDevices, loops_backed_by, mount_table
from leftovers import check_nothing_left
from results import require
from sim_machine import prepare_machine, private_temp, run_sim


def _check_refused(outcome, must_name, log_prefix, temp):
    """Exit 64, and a message that names what was refused (so that a description the runner
    does not understand at all, refused for that, does not pass); nothing left in its TMPDIR."""
    stderr = outcome.stderr.strip()
    require(outcome.returncode == 64, f"halvora-sim exited with {outcome.returncode}, not 64; stderr:\n{stderr}"
            f"\n(logs: {log_prefix}.*)")
    require(stderr, "refused without a message on stderr")
    require("is not a known field" not in stderr, f"refused as a description it does not know: {stderr}")
    require(must_name in stderr, f"the message does not name {must_name!r}: {stderr}")
    require(not os.listdir(temp), f"the refused run left {', '.join(os.listdir(temp))} in its TMPDIR {temp}")
    return f"64: {stderr.splitlines()[0]}"


def run_case(ctx, results):
    print("== Real disks that are refused", flush=True)
    if ctx.by_hand:
        results.skip("refusals", "they are the program's; nothing to check by hand")
        return
    folder = os.path.join(ctx.artifacts, "refusals")
    os.makedirs(folder, exist_ok=True)
    image = os.path.join(folder, "small.img")
    with HostDevices() as devices:
        make_small_gpt_disk(devices, image, partitions=2)
    mounts_before = mount_table()

    def refused(name, real_disk, must_name):
        machine = prepare_machine(os.path.join(folder, name), None, real_disk)
        log_prefix = os.path.join(folder, name, "halvora-sim")
        outcome = run_sim(ctx.sim, machine, log_prefix, timeout=120)
        return _check_refused(outcome, must_name, log_prefix, private_temp(os.path.dirname(machine)))

    with HostDevices() as devices:
        device = devices.attach(image, scan=True)
        mount_point = devices.mount_ntfs(device + "p2", os.path.join(folder, "mounted-p2"))
        results.check("a device with a mounted partition is refused", refused, "mounted-device",
                      {"number": 1, "device": device, "letters": {"1": "E"}}, device)
        results.check("the refusal left the user's mount alone", _still_mounted, mount_point)
    with HostDevices() as devices:
        device = devices.attach(image)
        results.check("a disk image attached to a loop device is refused", refused, "attached-image",
                      {"number": 1, "image": "../small.img", "letters": {"1": "E"}}, "small.img")
        results.check("the refusal left the user's loop device alone", _still_attached, image, device)
    # A virtual machine running from the image holds locks on it, as QEMU does.
    with open(image, "rb+") as held:
        fcntl.lockf(held, fcntl.LOCK_SH | fcntl.LOCK_NB, 1, 100)
        results.check("a disk image another program holds a lock on is refused", refused, "locked-image",
                      {"number": 1, "image": "../small.img", "letters": {"1": "E"}}, "holds a lock on it")
    results.check("a letter for a partition that is not there is refused", refused, "missing-partition",
                  {"number": 1, "image": "../small.img", "letters": {"1": "E", "5": "F"}}, "5")
    results.check("after the refusals nothing is attached to the image or mounted",
                  check_nothing_left, [image], mounts_before, [ctx.artifacts])


def _still_mounted(mount_point):
    require(mount_point in {m[0] for m in mount_table()}, f"{mount_point} is no longer mounted")
    return f"{mount_point} still mounted"


def _still_attached(image, device):
    require(device in loops_backed_by(image), f"{device} was detached")
    return f"{device} still attached"
