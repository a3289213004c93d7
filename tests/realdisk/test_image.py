"""The install image of the tests: a Windows-like tree whose boot manager is a real EFI program,
captured with wimcapture as one LZX image.

Windows\\Boot\\EFI\\bootmgfw.efi is a GRUB made at test time with grub-mkstandalone; its
embedded grub.cfg writes BOOT_MARKER on the serial console and halts, so a machine that boots
the installed disk shows on its serial port that it ran the installed boot manager.
"""

import os

from procs import run

BOOT_MARKER = "HALVORA-BOOT-MARKER"

GRUB_CFG = f"""serial
terminal_output serial
echo {BOOT_MARKER}
halt
"""


def make_marker_efi(path, work):
    """A small x86-64 EFI program that prints BOOT_MARKER on the first serial port."""
    cfg = os.path.join(work, "grub.cfg")
    with open(cfg, "w") as f:
        f.write(GRUB_CFG)
    modules = "serial terminal echo halt"
    run(["grub-mkstandalone", "-O", "x86_64-efi", "-o", path, f"--modules={modules}",
         f"--install-modules=normal {modules}", "--locales=", "--fonts=", "--themes=",
         f"boot/grub/grub.cfg={cfg}"])


def _write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode())


def make_tree(root, work):
    """Writes the tree into root: boot managers, fonts, loaders and some small files whose
    contents differ, and a few larger ones of mixed content."""
    make_marker_efi(os.path.join(work, "bootmgfw.efi"), work)
    with open(os.path.join(work, "bootmgfw.efi"), "rb") as f:
        _write(os.path.join(root, "Windows/Boot/EFI/bootmgfw.efi"), f.read())
    _write(os.path.join(root, "Windows/Boot/EFI/memtest.efi"), "MZ memtest.efi\n")
    _write(os.path.join(root, "Windows/Boot/PCAT/bootmgr"), "bootmgr: the BIOS boot manager\n" * 40)
    _write(os.path.join(root, "Windows/Boot/PCAT/memtest.exe"), "MZ memtest.exe\n")
    _write(os.path.join(root, "Windows/Boot/PCAT/ko-KR/bootmgr.exe.mui"), "MUI bootmgr ko-KR\n")
    for name in ("wgl4_boot.ttf", "malgun_boot.ttf", "segmono_boot.ttf"):
        _write(os.path.join(root, "Windows/Boot/Fonts", name), f"font {name}\n" * 64)
    _write(os.path.join(root, "Windows/System32/winload.efi"), "MZ winload.efi: the UEFI loader\n")
    _write(os.path.join(root, "Windows/System32/winload.exe"), "MZ winload.exe: the BIOS loader\n")
    for i in range(1, 121):
        _write(os.path.join(root, f"Windows/System32/lib{i:03}.dll"), f"MZ system library {i}\n" + "0" * (i * 37))
    for i in range(1, 31):
        _write(os.path.join(root, f"Windows/System32/drivers/drv{i:02}.sys"), f"MZ driver {i}\n")
    # A few larger files with content that does not compress, so the apply writes real data
    # runs rather than only resident attributes.
    rng = __import__("random").Random(7)
    for i in range(1, 4):
        _write(os.path.join(root, f"Windows/System32/big{i}.bin"), rng.randbytes(300_000 * i))
    _write(os.path.join(root, "Users/Public/Documents/가나다 한글.txt"), "이름이 한글인 파일\n")
    _write(os.path.join(root, "Program Files/Common Files/System/common.dll"), "MZ common\n")
    os.makedirs(os.path.join(root, "Windows/Temp"), exist_ok=True)  # an empty folder


def make_install_wim(wim, work):
    """Makes the tree under work/tree and captures it into wim (LZX). Returns the tree's root."""
    root = os.path.join(work, "tree")
    make_tree(root, work)
    run(["wimcapture", root, wim, "Windows 10 Pro", "Windows 10 Pro", "--compress=LZX",
         "--image-property", "WINDOWS/ARCH=9", "--image-property", "WINDOWS/VERSION/MAJOR=10",
         "--image-property", "WINDOWS/VERSION/MINOR=0", "--image-property", "WINDOWS/VERSION/BUILD=19041",
         "--image-property", "WINDOWS/LANGUAGES/LANGUAGE=ko-KR",
         "--image-property", "WINDOWS/LANGUAGES/DEFAULT=ko-KR",
         "--image-property", "FLAGS=Professional", "--image-property", "DISPLAYNAME=Windows 10 Pro"])
    return root
