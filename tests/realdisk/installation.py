"""One installation onto a real disk image: halvora-sim run with the program's unattended
command line (or, with --by-hand, the host's tools doing the same), and the checks of what the
run itself must show: exit code 0, the completion texts, nothing left attached or mounted."""

import os

import by_hand
from hostdev import mount_table
from leftovers import check_nothing_left
from results import require
from sim_machine import prepare_machine, private_temp, run_sim

COMPLETION_TEXTS = ("이미지 설치 완료.", "BCDBOOT 성공.")


def _check_run(outcome, log_prefix):
    require(outcome.report is not None, f"no report was written; stderr:\n{outcome.stderr.strip()}")
    require(outcome.returncode == 0, f"halvora-sim exited with {outcome.returncode} (report exitCode "
            f"{outcome.report.get('exitCode')}); stderr:\n{outcome.stderr.strip()}\nshown:\n{outcome.texts()}"
            f"\n(logs: {log_prefix}.*)")
    shown = outcome.texts()
    for text in COMPLETION_TEXTS:
        require(text in shown, f"the run did not say {text!r}; it showed:\n{shown}")
    calls = outcome.bcdboot_calls()
    return f"exit 0, {' '.join(COMPLETION_TEXTS)}; " + (calls[0] if calls else "no Bcdboot start logged")


def install(ctx, results, folder, image, layout, real_disk, fill):
    """Installs onto the image; returns the halvora-sim outcome (None when filled by hand)."""
    mounts_before = mount_table()
    if ctx.by_hand:
        results.check("the disk image filled by hand (wimapply, mtools, ntfs-3g)", fill)
        outcome = None
    else:
        machine = prepare_machine(folder, ctx.wim, real_disk)
        log_prefix = os.path.join(folder, "halvora-sim")
        outcome = run_sim(ctx.sim, machine, log_prefix)
        results.check("halvora-sim installs onto the disk image", _check_run, outcome, log_prefix)
    results.check("after the run nothing is attached to the image or mounted",
                  check_nothing_left, [image], mounts_before, [ctx.artifacts],
                  None if ctx.by_hand else private_temp(folder))
    return outcome
