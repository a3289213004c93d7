"""What was checked and how it went: one line each, and a failure does not hide the checks that
do not depend on it."""

import traceback

from procs import CommandFailed


class CheckFailed(AssertionError):
    pass


def require(condition, message):
    if not condition:
        raise CheckFailed(message)


class Results:
    def __init__(self):
        self.passed = []
        self.failed = []

    def check(self, name, function, *args, **kwargs):
        """Runs one check; prints `ok` with what it returned as detail, or `FAIL` with why.
        Returns the check's value, or None when it failed."""
        try:
            detail = function(*args, **kwargs)
        except (AssertionError, CommandFailed) as failure:
            self._fail(name, str(failure))
            return None
        except Exception as error:  # a tool that failed is a failed check, named with its output
            self._fail(name, f"{type(error).__name__}: {error}\n{traceback.format_exc(limit=3)}")
            return None
        self.passed.append(name)
        print(f"  ok    {name}" + (f": {detail}" if isinstance(detail, str) and detail else ""), flush=True)
        return detail if detail is not None else True

    def fail(self, name, why):
        self._fail(name, why)

    def _fail(self, name, why):
        self.failed.append((name, why))
        indented = "\n".join("          " + line for line in why.rstrip().splitlines())
        print(f"  FAIL  {name}\n{indented}", flush=True)

    def skip(self, name, why):
        print(f"  skip  {name}: {why}", flush=True)
