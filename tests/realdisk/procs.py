"""Running the host's tools: a failure names the command and shows what it printed."""

import subprocess


class CommandFailed(RuntimeError):
    pass


def run(command, check=True, input=None, env=None, timeout=None, binary=False):
    result = subprocess.run(command, input=input, capture_output=True, text=not binary, env=env,
                            timeout=timeout)
    if check and result.returncode != 0:
        err = result.stderr if not binary else result.stderr.decode(errors="replace")
        out = result.stdout if not binary else result.stdout.decode(errors="replace")
        raise CommandFailed(f"{' '.join(map(str, command))} exited with {result.returncode}:\n"
                            f"{(err or out).strip()}")
    return result
