"""Ctrl-C during a transfer on a line paced like a real cable: the call
cancels the conversation, ends with the port closed, and only then raises
KeyboardInterrupt; the next call works."""

import os
import signal
import threading

import pytest

import tessalink

from conftest import Handheld, link_modes

PACE = 19200  # bit/s: the file below would take about ten seconds


@pytest.fixture(scope="module", params=link_modes(), ids=lambda mode: f"mode{mode}")
def paced_handheld(request, tmp_path_factory):
    emulator = Handheld(tmp_path_factory.mktemp(f"paced-mode{request.param}"), request.param, pace=PACE)
    yield emulator
    emulator.stop()


def open_files():
    folder = "/proc/self/fd"
    return {os.path.realpath(os.path.join(folder, fd)) for fd in os.listdir(folder)}


def test_ctrl_c_cancels_and_raises_once_the_port_is_closed(paced_handheld):
    link = tessalink.Link(paced_handheld.mode, device=paced_handheld.device)
    data = os.urandom(20000)
    before = len(paced_handheld.connections())
    interrupt = threading.Timer(0.5, os.kill, (os.getpid(), signal.SIGINT))
    interrupt.start()
    try:
        with pytest.raises(KeyboardInterrupt) as raised:
            link.put(data, "PACED.BIN")
    finally:
        interrupt.cancel()
    assert isinstance(raised.value.__cause__, tessalink.Cancelled)
    assert os.path.realpath(paced_handheld.device) not in open_files()
    assert signal.getsignal(signal.SIGINT) is signal.default_int_handler
    paced_handheld.connections_after(before)
    assert not (paced_handheld.files / "PACED.BIN").exists()

    link.put(b"after the interrupt", "AFTER.TXT")
    assert (paced_handheld.files / "AFTER.TXT").read_bytes() == b"after the interrupt"
