"""The format dialog on a partition of a real disk: the partition is formatted for real (NTFS,
with the label given) and only it: a file on the disk's other partition is still there, read
with ntfs-3g afterwards."""

import json
import os

from disk_image import make_small_gpt_disk
from hostdev import HostDevices, mount_table
from leftovers import check_nothing_left
from procs import run
from results import require
from sim_machine import prepare_machine, run_sim

# Open the target list, pick E: (the second drive after C:), answer the format dialog, format.
SCRIPT = [{"click": "TargetButton"}, {"clickRow": ["TargetDriveList", 1]}, {"click": "TargetDoneButton"},
          {"format": {"fileSystem": "NTFS", "label": "Fresh"}}, {"click": "TargetFormatButton"},
          {"snapshot": "formatted"}]


def _fill(devices, image, layout, number, name, text):
    partition = layout.partitions[number]
    device = devices.attach(image, offset=partition.offset, size=partition.size)
    root = devices.mount_ntfs(device, image + f".p{number}", read_only=False)
    with open(os.path.join(root, name), "w") as f:
        f.write(text)
    devices.release(2)


def _files_on(devices, image, partition):
    device = devices.attach(image, offset=partition.offset, size=partition.size, read_only=True)
    root = devices.mount_ntfs(device, image + ".check")
    try:
        return {name: open(os.path.join(root, name)).read() for name in os.listdir(root)
                if os.path.isfile(os.path.join(root, name))}
    finally:
        devices.release(2)


def _check_formatted(outcome, image, layout):
    require(outcome.report is not None, f"no report; stderr:\n{outcome.stderr.strip()}")
    calls = [c for c in outcome.report.get("calls", []) if c.startswith("SHFormatDrive")]
    require(calls == ["SHFormatDrive E: id=0xFFFF options=0x0"], f"the format calls were {calls}")
    rows = outcome.report["snapshots"][0]["state"]["lists"]["TargetRow"]["rows"]
    require(rows and rows[0][0] == "E:" and rows[0][3] == "Fresh",
            f"the target row does not show E: \"Fresh\": {json.dumps(rows, ensure_ascii=False)}")
    partition = layout.partitions[1]
    probe = run(["blkid", "-p", "-o", "export", "-O", str(partition.offset), image]).stdout
    require("TYPE=ntfs" in probe and "LABEL=Fresh" in probe, f"partition 1 is not NTFS \"Fresh\": {probe}")
    with HostDevices() as devices:
        formatted = _files_on(devices, image, partition)
        other = _files_on(devices, image, layout.partitions[2])
    require(not formatted, f"the formatted partition still holds {sorted(formatted)}")
    require(other.get("keep.txt") == "on partition 2\n", f"partition 2 lost its file: {sorted(other)}")
    return "partition 1 is NTFS \"Fresh\" and empty; partition 2 kept keep.txt"


def run_case(ctx, results):
    print("== The format dialog on a partition of a real disk", flush=True)
    if ctx.by_hand:
        results.skip("format", "it is the program's; nothing to check by hand")
        return
    folder = os.path.join(ctx.artifacts, "format")
    os.makedirs(folder, exist_ok=True)
    image = os.path.join(folder, "disk.img")
    with HostDevices() as devices:
        layout = make_small_gpt_disk(devices, image, partitions=2)
        _fill(devices, image, layout, 1, "old.txt", "on partition 1\n")
        _fill(devices, image, layout, 2, "keep.txt", "on partition 2\n")
    mounts_before = mount_table()
    machine = prepare_machine(os.path.join(folder, "machine"), None,
                              {"number": 1, "image": "../disk.img", "letters": {"1": "E", "2": "F"}})
    with open(os.path.join(os.path.dirname(machine), "script.json"), "w") as f:
        json.dump(SCRIPT, f)
    outcome = run_sim(ctx.sim, machine, os.path.join(folder, "halvora-sim"), arguments=[], timeout=120)
    results.check("the format dialog formats partition 1 of the disk image, and nothing else",
                  _check_formatted, outcome, image, layout)
    results.check("after the format nothing is attached to the image or mounted",
                  check_nothing_left, [image], mounts_before, [ctx.artifacts])
