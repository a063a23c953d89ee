"""The library's stand-alone conversions, on bytes.

They touch no port and take no lock: any thread may call them at any time.
Each sizes the output buffer by the bound the library's header states, so the
caller only passes the input and gets the result back. Double-byte characters
are those of the code page the library took at load (``TESSALINK_CODEPAGE``,
else 932).
"""

import ctypes
from typing import Union

from ._library import library

__all__ = ["decode_4to3", "hex_to_binary", "code_mask", "layout_mem", "layout_rep"]

Text = Union[bytes, bytearray, memoryview]

_PLAIN_LAYOUT_FACTOR = 3
_LABELLED_LAYOUT_FACTOR = 15
_INT32_MIN, _INT32_MAX = -(2**31), 2**31 - 1


def _text(text: Union[Text, str], what: str) -> bytes:
    """A zero-terminated text's bytes: a zero byte would cut it short."""
    data = text.encode("ascii") if isinstance(text, str) else bytes(text)
    if b"\0" in data:
        raise ValueError(f"{what} holds a zero byte at offset {data.index(0)}; it takes text")
    return data


def _width(value: int, what: str) -> int:
    if isinstance(value, bool) or not isinstance(value, int) or not _INT32_MIN <= value <= _INT32_MAX:
        raise ValueError(f"{what} must be a 32-bit whole number, not {value!r}")
    return value


def decode_4to3(text: Union[Text, str]) -> bytes:
    """Decodes a 4-to-3 text (alphabet in value order 0-5, A-Z, 6-9, ``:``,
    ``;``, a-z; every other byte is skipped) into its bytes."""
    data = _text(text, "the 4-to-3 text")
    out = ctypes.create_string_buffer(len(data) + 1)
    count = library().KIVO_4TO3_MEM(data, out)
    return out.raw[:count]


def hex_to_binary(text: Union[Text, str]) -> bytes:
    """Converts pairs of hexadecimal digits (0-9, A-F) into bytes; a lone last
    digit gives nothing. Other bytes count by the library's rule, see the
    header."""
    data = _text(text, "the hexadecimal text")
    out = ctypes.create_string_buffer(len(data) // 2 + 1)
    count = library().KIVO_HEX2BIN_MEM(data, out)
    return out.raw[:count]


def code_mask(text: Text) -> bytes:
    """The text with the double-byte codes that the handheld cannot show
    masked with spaces (it never grows)."""
    data = _text(text, "the text")
    buffer = ctypes.create_string_buffer(data, len(data) + 1)
    library().KIVO_CodeMask(buffer)
    return buffer.value


def _layout_input(text: Text):
    """The strings as the layouts take them, closed by an empty string, and
    their length up to it."""
    strings = bytes(text)
    if not strings.endswith(b"\0"):
        strings += b"\0"
    strings += b"\0"
    return ctypes.create_string_buffer(strings, len(strings)), strings.index(b"\0\0") + 1


def _laid_out(out, end: int) -> bytes:
    if not end:
        raise RuntimeError("the layout refused its arguments")
    return out.raw[:end - ctypes.addressof(out)]


def layout_mem(text: Text, width: int) -> bytes:
    """Lays out ``text`` as lines of at most ``width`` bytes, each ended by
    CR LF (``width`` 0 or less: no wrapping).

    ``text`` holds the strings of the layout, each ended by a zero byte (the
    last one's may be left out); an empty string ends the text. 0x1F and CR
    end a line; an optional "MEM1:" header is dropped and then 0x1E ends the
    text. A double-byte character is never split.
    """
    strings, length = _layout_input(text)
    out = ctypes.create_string_buffer(_PLAIN_LAYOUT_FACTOR * length + 1)
    return _laid_out(out, library().KIVO_MEM_Analize(strings, out, _width(width, "width")))


def layout_rep(text: Text, line_width: int, value_width: int) -> bytes:
    """Lays out a labelled text as :func:`layout_mem` does: the first tab of a
    line separates a label from a value; such lines, and every line of a text
    whose first string holds a tab, get a 12-byte label column and wrap at
    ``value_width``; the others wrap at ``line_width``."""
    strings, length = _layout_input(text)
    out = ctypes.create_string_buffer(_LABELLED_LAYOUT_FACTOR * length + 1)
    end = library().KIVO_REP_Analize(strings, out, _width(line_width, "line_width"),
                                     _width(value_width, "value_width"))
    return _laid_out(out, end)
