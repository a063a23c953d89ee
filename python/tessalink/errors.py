"""The library's failures as exceptions, with the messages the tool prints.

Every failed result of a link call becomes a :class:`TessalinkError` (or the
subclass for its kind) that carries the result's number as ``code`` and its
English message as ``message``, the words ``tessalink`` prints for it.
"""

from importlib import resources
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


def _read_messages() -> Dict[int, str]:
    # The table the command-line tool is built from: result, exit status and
    # message, separated by tabs; lines starting with '#' are comments.
    table = resources.files(__package__).joinpath("results.tsv").read_text(encoding="utf-8")
    messages = {}
    for line in table.splitlines():
        if line and not line.startswith("#"):
            result, _status, message = line.split("\t")
            messages[int(result)] = message
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
