"""What the Python package's tests share: the handheld emulator on a
pseudo-terminal, and the paths of the programs under test.

ctest passes the build's programs in the environment: TESSALINK_LIBRARY (the
shared library the package loads), TESSALINK_HANDHELD (the emulator) and
TESSALINK_CLI (the command-line tool, whose results the conversions are
checked against).
"""

import ctypes
import os
import re
import signal
import subprocess
import time
from pathlib import Path
from typing import List, Optional

import pytest

HANDHELD = os.environ.get("TESSALINK_HANDHELD", "")
CLI = os.environ.get("TESSALINK_CLI", "")
CLOSED_LINE = "the PC closed the line"


def wait_until(condition, seconds: float = 10.0, what: str = "the condition"):
    deadline = time.monotonic() + seconds
    while not condition():
        if time.monotonic() > deadline:
            raise AssertionError(f"waited {seconds} s for {what}")
        time.sleep(0.02)


def _end_with_the_tests():
    """In the emulator's process: SIGTERM when the tests' process ends, also
    when it crashes before its fixtures can stop the emulator."""
    PR_SET_PDEATHSIG = 1
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_PDEATHSIG, signal.SIGTERM)


class Handheld:
    """tessalink-handheld serving a directory on a pseudo-terminal, with its
    trace (-v) in a log: one entry per connection the PC made."""

    def __init__(self, work: Path, mode: int, pace: Optional[int] = None,
                 text_in: Optional[bytes] = None) -> None:
        if not HANDHELD:
            pytest.skip("TESSALINK_HANDHELD names no emulator")
        work.mkdir(parents=True, exist_ok=True)
        self.mode = mode
        self.files = work / "files"
        self.files.mkdir()
        self.text_out = work / "text-out"
        self.log_path = work / "handheld.log"
        env_file = work / "env"
        arguments = [HANDHELD, "--mode", str(mode), "--dir", str(self.files), "-v",
                     "--print-env-file", str(env_file), "--text-out", str(self.text_out)]
        if pace is not None:
            arguments += ["--pace", str(pace)]
        if text_in is not None:
            (work / "text-in").write_bytes(text_in)
            arguments += ["--text-in", str(work / "text-in")]
        with open(self.log_path, "wb") as log:
            self.process = subprocess.Popen(arguments, stdout=log, stderr=subprocess.STDOUT,
                                            preexec_fn=_end_with_the_tests)
        wait_until(lambda: env_file.exists() or self.process.poll() is not None, what="the emulator")
        if self.process.poll() is not None:
            raise AssertionError("the emulator did not start:\n" + self.log())
        self.device = env_file.read_text().strip().split("=", 1)[1]

    def log(self) -> str:
        return self.log_path.read_text(errors="replace")

    def connections(self) -> List[str]:
        """The trace of every connection the PC has closed, in order. (Two
        connections in quick succession may show as one.)"""
        return self.log().split(CLOSED_LINE)[:-1]

    def connections_after(self, count: int) -> List[str]:
        """The connections after the first `count`, once one more has closed."""
        wait_until(lambda: len(self.connections()) > count, what="the PC to close the line")
        return self.connections()[count:]

    def commands(self) -> List[str]:
        """The command packets and requests the PC has sent, in order: "C FD"
        and "R FD R1.TXT" for a put, "C LE" for a release."""
        return re.findall(r"<- #1 ([CR] \w\w(?: [^\s(]\S*)?)", self.log())

    def commands_after(self, count: int, more: int) -> List[str]:
        """The commands after the first `count`, once `more` have come."""
        wait_until(lambda: len(self.commands()) >= count + more, what=f"{more} more command(s)")
        return self.commands()[count:]

    def stop(self) -> None:
        self.process.terminate()
        assert self.process.wait(timeout=10) == 0, self.log()


def link_modes() -> List[int]:
    """The link modes to test: TESSALINK_TEST_MODES (e.g. "1"), else all three."""
    return [int(mode) for mode in os.environ.get("TESSALINK_TEST_MODES", "0 1 2").split()]


@pytest.fixture(scope="module", params=link_modes(), ids=lambda mode: f"mode{mode}")
def handheld(request, tmp_path_factory):
    """The emulator in each link mode, shared by the tests of a module."""
    emulator = Handheld(tmp_path_factory.mktemp(f"handheld-mode{request.param}"), request.param,
                        text_in=b"Hello from the handheld.\r\n")
    yield emulator
    emulator.stop()
