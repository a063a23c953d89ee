"""The library's failures as exceptions, with the messages the tool prints.

Every failed result of a link call becomes a :class:`TessalinkError` (or the
subclass for its kind) that carries the result's number as ``code`` and its
English message as ``message``, the words ``tessalink`` prints for it.
"""

from importlib import resources
from pathlib import Path
from typing import Dict, Optional, Type

__all__ = [
    "TessalinkError",
    "NoConnection",
    "LocalFileError",
    "Cancelled",
    "ProtocolError",
    "BlockError",
    "message_for",
]


_TABLE = "results.tsv"


def _table_text() -> str:
    # The table of the project's messages/ folder, which the command-line
    # tool is built from: copied into the package when it is built or
    # installed, read from the source tree when the package runs from there.
    installed = resources.files(__package__).joinpath(_TABLE)
    if installed.is_file():
        return installed.read_text(encoding="utf-8")
    return (Path(__file__).resolve().parents[2] / "messages" / _TABLE).read_text(encoding="utf-8")


def _read_messages() -> Dict[int, str]:
    # One row per line, five fields separated by tabs: result, when (* for
    # any call), the tool's exit status, message, next step; '#' comments.
    messages = {}
    for line in _table_text().splitlines():
        fields = line.split("\t")
        if not line.startswith("#") and len(fields) == 5 and fields[1] == "*":
            messages[int(fields[0])] = fields[3]
    return messages


_MESSAGES = _read_messages()


def message_for(code: int) -> str:
    """The English message for a result, as ``tessalink`` says it."""
    return _MESSAGES.get(code, "unexpected result")


class TessalinkError(Exception):
    """A link call failed with result ``code``.

    ``message`` is the result's English message; ``detail`` (may be empty)
    tells more, such as the local file concerned. ``str()`` gives
    ``"<message> (result <code>)"``, followed by ``": <detail>"`` when there
    is one, as the tool prints it.
    """

    def __init__(self, code: int, message: Optional[str] = None, detail: str = "") -> None:
        self.code = code
        self.message = message_for(code) if message is None else message
        self.detail = detail
        super().__init__(code, self.message)

    def __str__(self) -> str:
        text = f"{self.message} (result {self.code})"
        return f"{text}: {self.detail}" if self.detail else text


class NoConnection(TessalinkError):
    """-999: the port could not be opened, is no serial device or is in use,
    a setting is unusable, or the device went away during the call."""


class LocalFileError(TessalinkError):
    """-500: a local file could not be opened, read or written."""


class Cancelled(TessalinkError):
    """999: the call was cancelled by the progress callback."""


class ProtocolError(TessalinkError):
    """-100 to -103: the packet exchange with the handheld failed."""


class BlockError(TessalinkError):
    """-1 to -6: the block exchange of link mode 1 failed."""


def _kind_of(code: int) -> Type[TessalinkError]:
    if code == -999:
        return NoConnection
    if code == -500:
        return LocalFileError
    if code == 999:
        return Cancelled
    if -103 <= code <= -100:
        return ProtocolError
    if -6 <= code <= -1:
        return BlockError
    return TessalinkError


def error_for(code: int, detail: str = "") -> TessalinkError:
    """The exception for a failed result: the subclass of its kind."""
    return _kind_of(code)(code, detail=detail)
