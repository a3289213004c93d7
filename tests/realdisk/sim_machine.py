"""The simulated machine around a real disk: a folder-backed system disk with C: and its ESP, a
plain drive D: holding install.wim, and the real disk as disk 1; and a halvora-sim run on it.
"""

import json
import os
import shutil
import subprocess

INSTALL_ARGUMENTS = ["/ImageFile:D:\\install.wim", "/Index:1", "/ApplyDrv:E:", "/after:Finish", "/ApplyStart"]
# The person answers the confirmation Yes and lets the summary box count down.
SCRIPT = [{"answer": "Yes"}, {"waitIdle": True}, {"advance": 6000}]
ESP_GPT_TYPE = "{C12A7328-F81F-11D2-BA4B-00A0C93EC93B}"


def prepare_machine(folder, wim, real_disk):
    """Lays out the machine in folder (made anew) with `real_disk` as disk 1 and a copy of wim
    on D:. Returns the description's path."""
    for name in ("C", "esp0", "D"):
        shutil.rmtree(os.path.join(folder, name), ignore_errors=True)
    for sub in ("C/Windows/System32", "C/Temp", "C/Halvora", "esp0", "D"):
        os.makedirs(os.path.join(folder, sub), exist_ok=True)
    # The program offers the imaging library and the boot tool only when their files are there.
    for dll in ("wimgapi.dll", "Bcdboot.exe"):
        with open(os.path.join(folder, "C/Windows/System32", dll), "wb") as f:
            f.write(b"MZ")
    if wim is not None:
        shutil.copyfile(wim, os.path.join(folder, "D", "install.wim"))
    description = {
        "windowsVersion": {"major": 10, "minor": 0, "build": 19045},
        "programPath": "C:\\Halvora\\halvora.exe",
        "versionResources": {"C:\\Windows\\System32\\wimgapi.dll": {
            "translation": [1033, 1200], "strings": {"FileVersion": "10.0.19041.1"}}},
        "fonts": ["Segoe UI", "MS Shell Dlg"],
        "drives": {"D": "D"},
        "disks": [
            {"number": 0, "style": "GPT", "bus": 17, "vendor": "Samsung", "product": "SSD 970 EVO",
             "partitions": [
                 {"number": 1, "gptType": ESP_GPT_TYPE, "fileSystem": "FAT32", "size": 104857600,
                  "folder": "esp0"},
                 {"number": 3, "letter": "C", "label": "Windows", "size": 128849018880, "folder": "C"}]},
            real_disk,
        ],
    }
    path = os.path.join(folder, "machine.json")
    with open(path, "w", encoding="utf-8") as f:
        json.dump(description, f, indent=1, ensure_ascii=False)
    with open(os.path.join(folder, "script.json"), "w") as f:
        json.dump(SCRIPT, f)
    return path


class SimRun:
    def __init__(self, returncode, stdout, stderr, report):
        self.returncode = returncode
        self.stdout = stdout
        self.stderr = stderr
        self.report = report  # the parsed report, or None when none was written

    def texts(self):
        """Everything the person was shown: the boxes' texts and the final status fields."""
        if not self.report:
            return ""
        boxes = [box.get("text", "") for box in self.report.get("messageBoxes", [])]
        status = (self.report.get("final") or {}).get("status", [])
        return "\n".join(boxes + status)

    def bcdboot_calls(self):
        calls = (self.report or {}).get("calls", [])
        return [c for c in calls if c.startswith("CreateProcessW") and "Bcdboot" in c]


def private_temp(machine_folder):
    """The TMPDIR halvora-sim runs with for the machine in machine_folder."""
    return os.path.join(machine_folder, "tmp")


def run_sim(sim, machine, log_prefix, arguments=INSTALL_ARGUMENTS, timeout=900):
    """Runs halvora-sim with the machine's script; keeps stdout, stderr next to log_prefix."""
    folder = os.path.dirname(machine)
    report_path = log_prefix + ".report.json"
    if os.path.exists(report_path):
        os.remove(report_path)
    command = [sim, "--machine", machine, "--script", os.path.join(folder, "script.json"),
               "--report", report_path, "--trace", "--wait-limit", "600", "--"] + arguments
    # The runner's private folder (its mounts, its FAT mirrors) goes under the run's own TMPDIR,
    # so that what it leaves behind can be told from what other programs on the host do.
    temp = private_temp(folder)
    shutil.rmtree(temp, ignore_errors=True)
    os.makedirs(temp)
    result = subprocess.run(command, capture_output=True, text=True, timeout=timeout,
                            env=dict(os.environ, TMPDIR=temp))
    with open(log_prefix + ".stdout", "w") as f:
        f.write(result.stdout)
    with open(log_prefix + ".stderr", "w") as f:
        f.write(result.stderr)
    report = None
    if os.path.exists(report_path):
        with open(report_path, encoding="utf-8") as f:
            report = json.load(f)
    return SimRun(result.returncode, result.stdout, result.stderr, report)
