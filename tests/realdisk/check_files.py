"""The installed volume against the image: every file and folder of the image, read back by
ntfs-3g from the partition, with the same content as wimapply gives for the same image."""

import filecmp
import os

from procs import run
from results import require


def apply_reference(wim, folder):
    """The image's files as wimlib itself extracts them."""
    run(["wimapply", wim, "1", folder])
    return folder


def _walk(root):
    files, folders = set(), set()
    for folder, subfolders, names in os.walk(root):
        relative = os.path.relpath(folder, root)
        for sub in subfolders:
            folders.add(os.path.normpath(os.path.join(relative, sub)))
        for name in names:
            files.add(os.path.normpath(os.path.join(relative, name)))
    return files, folders


# What ntfs-3g shows of a fresh volume besides the files put on it.
_VOLUME_OWN = {"System Volume Information"}


def compare_volume(reference, mounted, allowed_extra=()):
    """Every file of `reference` is on `mounted` with identical bytes, every folder is there,
    and nothing else is, but for paths starting with one of `allowed_extra` (boot files a boot
    tool puts beside the image). Returns a summary."""
    want_files, want_folders = _walk(reference)
    have_files, have_folders = _walk(mounted)
    missing = sorted(want_files - have_files)
    require(not missing, f"{len(missing)} of {len(want_files)} files of the image are not on the volume: "
            + ", ".join(missing[:10]))
    missing_folders = sorted(want_folders - have_folders)
    require(not missing_folders, "folders of the image missing on the volume: " + ", ".join(missing_folders[:10]))
    differing = [f for f in sorted(want_files)
                 if not filecmp.cmp(os.path.join(reference, f), os.path.join(mounted, f), shallow=False)]
    require(not differing, f"{len(differing)} files differ from the image: " + ", ".join(differing[:10]))

    def expected(path):
        top = path.split(os.sep)[0]
        return top in _VOLUME_OWN or any(path == a or path.startswith(a + os.sep) for a in allowed_extra)

    extra = sorted(p for p in (have_files - want_files) | (have_folders - want_folders) if not expected(p))
    require(not extra, "the volume holds what is not in the image: " + ", ".join(extra[:10]))
    size = sum(os.path.getsize(os.path.join(reference, f)) for f in want_files)
    return f"{len(want_files)} files, {len(want_folders)} folders, {size} bytes identical"


def check_copied(pairs, skip=()):
    """Each (source, destination) folder pair: every file below source (but those named in
    `skip`, relative to it) is below destination with identical bytes. For the boot files a
    boot tool copies out of the installed Windows."""
    count = 0
    for source, destination in pairs:
        files, _ = _walk(source)
        for f in sorted(files - set(skip)):
            copy = os.path.join(destination, f)
            require(os.path.isfile(copy), f"{copy} is missing (a copy of {os.path.join(source, f)})")
            require(filecmp.cmp(os.path.join(source, f), copy, shallow=False),
                    f"{copy} differs from {os.path.join(source, f)}")
            count += 1
    return f"{count} boot files identical to the image's"
