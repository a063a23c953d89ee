"""Every failed result as its exception: the subclass of its kind, its code,
and the English message the command-line tool prints for it."""

import re
import subprocess
from pathlib import Path

import pytest

import tessalink
from tessalink.errors import error_for

from conftest import CLI

HEADER = Path(__file__).resolve().parents[2] / "include" / "tessalink.h"


def header_failures():
    """The failed results the public header defines (every KIVO_ERR_* and KIVO_CANCELLED)."""
    text = HEADER.read_text()
    return sorted(int(code) for code in
                  re.findall(r"#define KIVO_(?:ERR_\w+|CANCELLED)\s+\(?(-?\d+)\)?", text))


KINDS = {-999: tessalink.NoConnection, -500: tessalink.LocalFileError, 999: tessalink.Cancelled,
         -100: tessalink.ProtocolError, -101: tessalink.ProtocolError, -102: tessalink.ProtocolError,
         -103: tessalink.ProtocolError, -1: tessalink.BlockError, -2: tessalink.BlockError,
         -3: tessalink.BlockError, -4: tessalink.BlockError, -5: tessalink.BlockError,
         -6: tessalink.BlockError}


def test_every_failure_of_the_header_has_its_kind():
    assert header_failures() == sorted(KINDS)
    for code, kind in KINDS.items():
        error = error_for(code)
        assert type(error) is kind and isinstance(error, tessalink.TessalinkError)
        assert error.code == code and error.args == (code, error.message)


def test_a_result_outside_the_table_is_the_base_error():
    error = error_for(12345)
    assert type(error) is tessalink.TessalinkError
    assert str(error) == "unexpected result (result 12345)"


def test_the_messages_are_the_tools_words():
    if not CLI:
        pytest.skip("TESSALINK_CLI names no tool")
    help_text = subprocess.run([CLI, "--help"], capture_output=True, text=True, check=True).stdout
    tool_says = dict((int(code), message) for code, message in
                     re.findall(r"^ +\d+  result (-?\d+): (.*)$", help_text, re.MULTILINE))
    assert sorted(tool_says) == sorted(KINDS)
    for code, message in tool_says.items():
        assert error_for(code).message == message
        assert str(error_for(code)) == f"{message} (result {code})"


def test_a_detail_follows_the_message():
    error = error_for(-500, detail="memo.txt: No such file or directory")
    assert str(error) == ("a local file could not be opened, read or written (result -500): "
                          "memo.txt: No such file or directory")
