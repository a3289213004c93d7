"""Nothing a run attached or mounted may outlive it: no loop device on the disk image, no new
mount below the tests' folders (where the runs' private folders are too), and the run's private
folder removed. Mounts elsewhere are left out: other programs on the host may mount meanwhile."""

import os

from hostdev import loops_backed_by, mount_table
from results import require


def new_mounts_below(mounts_before, folders):
    roots = [os.path.realpath(f) for f in folders]
    return sorted(m for m in mount_table() - mounts_before
                  if any(m[0] == r or m[0].startswith(r + os.sep) for r in roots))


def check_nothing_left(images, mounts_before, folders, private_temp=None):
    attached = {image: loops_backed_by(image) for image in images}
    still = {image: loops for image, loops in attached.items() if loops}
    require(not still, "still attached: " + "; ".join(f"{i} on {', '.join(l)}" for i, l in still.items()))
    new = new_mounts_below(mounts_before, folders)
    require(not new, "mounts left behind: " + "; ".join(f"{m[1]} on {m[0]} ({m[2]})" for m in new))
    if private_temp is not None:
        left = os.listdir(private_temp) if os.path.isdir(private_temp) else []
        require(not left, f"the run left {', '.join(left)} in its TMPDIR {private_temp}")
    return f"no loop device on {len(images)} image(s), no new mount" + (", TMPDIR empty" if private_temp else "")
