"""Tessalink from Python: the handheld organizer at the end of an RS-232 cable.

A thin layer over the shared library Tessalink (``libTessalink.so.0``,
``Tessalink.dll``), through ``ctypes``::

    import tessalink
    link = tessalink.Link(mode=2)
    for entry in link.list():
        print(entry.name, entry.size)
    memo = link.get("MEMO.TXT")
    link.put(b"Buy rice.\\r\\n", "NOTE.TXT")

Results other than success are raised as :class:`TessalinkError` and its
subclasses; the conversions are plain functions on bytes.
"""

from . import convert, errors, link
from .convert import code_mask, decode_4to3, hex_to_binary, layout_mem, layout_rep
from .errors import (BlockError, Cancelled, LocalFileError, NoConnection, ProtocolError,
                     TessalinkError, message_for)
from .link import NAME_ENCODING, Entry, Link

__version__ = "0.2.0"

__all__ = [*link.__all__, *errors.__all__, *convert.__all__]
