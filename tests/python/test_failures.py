"""Failures that need no handheld: ports that cannot be used, local files
that cannot be read or written, and arguments the library cannot take, which
are refused before the library is called."""

import pytest

import tessalink


@pytest.mark.parametrize("mode", [0, 1, 2])
@pytest.mark.parametrize("device", ["/dev/null", "/nonexistent/tty"], ids=["no-serial-device", "missing"])
def test_a_device_that_cannot_be_the_port(mode, device):
    with pytest.raises(tessalink.NoConnection) as raised:
        tessalink.Link(mode, device=device).list()
    assert raised.value.code == -999
    assert str(raised.value) == ("no connection: the port could not be opened or is no serial device, "
                                 "or a setting is unusable (result -999)")


def test_local_files_that_cannot_be_used(tmp_path):
    link = tessalink.Link(2, device="/nonexistent/tty")
    with pytest.raises(tessalink.LocalFileError) as raised:
        link.put(tmp_path / "missing.bin", "MISSING.BIN")
    assert raised.value.code == -500
    assert str(tmp_path / "missing.bin") in raised.value.detail
    with pytest.raises(tessalink.LocalFileError) as raised:
        link.put(tmp_path, "A-DIRECTORY")
    assert str(tmp_path) in str(raised.value)
    with pytest.raises(tessalink.LocalFileError):
        link.get("MEMO.TXT", tmp_path / "no-such-dir" / "memo.txt")


@pytest.mark.parametrize("call", [
    lambda link: link.put(b"x", "BAD\rNAME"),
    lambda link: link.put(b"x", ""),
    lambda link: link.put_many([(b"x", "A"), ("bad\rpath", "B")]),
    lambda link: link.get("A\0B"),
    lambda link: link.send_text(b"a\0b"),
    lambda link: link.put(b"x", "X", variant=3),
    lambda link: link.put(b"x", "X", variant=2),  # a mode-0 link
    lambda link: link.put(b"x", "\u20ac.TXT"),  # not in the code page
], ids=["cr-in-name", "empty-name", "cr-in-path", "zero-in-name", "zero-in-text", "variant-3",
        "variant-2-in-mode-0", "name-outside-the-code-page"])
def test_arguments_the_library_cannot_take(call):
    # A call that reached the library would fail with NoConnection here.
    with pytest.raises(ValueError):
        call(tessalink.Link(0, device="/nonexistent/tty"))


@pytest.mark.parametrize("settings", [
    {"mode": 3}, {"mode": True}, {"mode": 2, "port": 65536}, {"mode": 2, "port": -1},
    {"mode": 2, "baud": 0}, {"mode": 2, "baud": 2**31}, {"mode": 2, "send_block": 2**31},
])
def test_settings_outside_their_range(settings):
    with pytest.raises(ValueError):
        tessalink.Link(**settings)
