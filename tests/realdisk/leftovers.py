"""Nothing a run attached or mounted may outlive it: no loop device on the disk image, no mount
that was not there before."""

from hostdev import loops_backed_by, mount_table
from results import require


def check_nothing_left(images, mounts_before):
    attached = {image: loops_backed_by(image) for image in images}
    still = {image: loops for image, loops in attached.items() if loops}
    require(not still, "still attached: " + "; ".join(f"{i} on {', '.join(l)}" for i, l in still.items()))
    new = sorted(mount_table() - mounts_before)
    require(not new, "mounts left behind: " + "; ".join(f"{m[1]} on {m[0]} ({m[2]})" for m in new))
    return f"no loop device on {len(images)} image(s), no new mount"
