"""Finding and loading the shared library, and the C signatures of its exports.

The library is looked for, in this order: the path in the environment
variable ``TESSALINK_LIBRARY``; beside the package (in its own directory, then
in the directory that holds it); the system's search for
``libTessalink.so.0`` (``Tessalink.dll`` on Windows, loaded with the C calling
convention). It is loaded at the first call that needs it, once per process.
"""

import ctypes
import ctypes.util
import os
import sys
import threading
from pathlib import Path
from typing import List, Optional

WM_LINK_POLL = 0x04C8
WM_LINK_PROGRESS = 0x04D2

# The window procedure of the POSIX window record: intptr_t proc(void *context,
# uint32_t message, uintptr_t wParam, intptr_t lParam).
WindowProc = ctypes.CFUNCTYPE(ctypes.c_ssize_t, ctypes.c_void_p, ctypes.c_uint32, ctypes.c_size_t,
                              ctypes.c_ssize_t)


class WindowRecord(ctypes.Structure):
    """KIVO_WINDOW: the window that a link call reports to, on POSIX systems."""

    _fields_ = [("proc", WindowProc), ("context", ctypes.c_void_p)]


ON_WINDOWS = sys.platform == "win32"
LIBRARY_VARIABLE = "TESSALINK_LIBRARY"
_FILE_NAME = "Tessalink.dll" if ON_WINDOWS else "libTessalink.so.0"

_c_char_p = ctypes.c_char_p
_int32 = ctypes.c_int32
_uint16 = ctypes.c_uint16
_window = ctypes.c_void_p
_bytes_out = ctypes.c_char_p

# name: (result type, argument types)
_SIGNATURES = {
    "KIVO_SetMode": (_int32, [_uint16]),
    "KIVO_SetPort": (_int32, [_uint16, _uint16]),
    "KIVO_SetBaudEx": (_int32, [_uint16, _int32]),
    "KIVO_LinkSendBlockSize": (_int32, [_int32]),
    "KIVO_LinkRecvBlockSize": (_int32, [_int32]),
    "KIVO_LinkFileList": (_int32, [_c_char_p, _c_char_p, _window]),
    "KIVO_LinkGetFile": (_int32, [_c_char_p, _c_char_p, _window]),
    "KIVO_LinkPutFile": (_int32, [_c_char_p, _c_char_p, _window]),
    "KIVO_LinkPutFileEx": (_int32, [_c_char_p, _c_char_p, _window]),
    "KIVO_LinkPutFile2": (_int32, [_c_char_p, _c_char_p, _window]),
    "KIVO_LinkPutFile2Ex": (_int32, [_c_char_p, _c_char_p, _window]),
    "KIVO_LinkPutFiles": (_int32, [_c_char_p, _c_char_p, _window]),
    "KIVO_LinkPutFilesEx": (_int32, [_c_char_p, _c_char_p, _window]),
    "KIVO_LinkPutFiles2": (_int32, [_c_char_p, _c_char_p, _window]),
    "KIVO_LinkPutFiles2Ex": (_int32, [_c_char_p, _c_char_p, _window]),
    "KIVO_LinkDelFile": (_int32, [_c_char_p, _window]),
    # Tessalink extensions (since 0.2.0)
    "KIVO_LinkGetFiles": (_int32, [_c_char_p, _c_char_p, _window]),
    "KIVO_LinkRelease": (_int32, [_window]),
    "KIVO_AppTextSend": (_int32, [_c_char_p, _window]),
    "KIVO_AppTextRecv": (_int32, [_c_char_p, _window]),
    "KIVO_4TO3_MEM": (_int32, [_c_char_p, ctypes.c_void_p]),
    "KIVO_HEX2BIN_MEM": (_int32, [_c_char_p, ctypes.c_void_p]),
    "KIVO_CodeMask": (_int32, [ctypes.c_void_p]),
    "KIVO_MEM_Analize": (ctypes.c_void_p, [ctypes.c_void_p, ctypes.c_void_p, _int32]),
    "KIVO_REP_Analize": (ctypes.c_void_p, [ctypes.c_void_p, ctypes.c_void_p, _int32, _int32]),
}

_lock = threading.Lock()
_library: Optional[ctypes.CDLL] = None


def _candidates() -> List[str]:
    named = os.environ.get(LIBRARY_VARIABLE)
    if named:
        return [named]  # named on purpose: no other library stands in for it
    package = Path(__file__).resolve().parent
    beside = [str(folder / _FILE_NAME) for folder in (package, package.parent)]
    system = _FILE_NAME
    if ON_WINDOWS:
        system = ctypes.util.find_library("Tessalink") or _FILE_NAME
    return [path for path in beside if os.path.exists(path)] + [system]


def _load() -> ctypes.CDLL:
    tried = []
    for candidate in _candidates():
        try:
            library = ctypes.CDLL(candidate)
            break
        except OSError as error:
            tried.append(f"{candidate} ({error})")
    else:
        raise OSError("the Tessalink library could not be loaded; tried: " + "; ".join(tried) +
                      f". Set {LIBRARY_VARIABLE} to its path, or install it.")
    for name, (result, arguments) in _SIGNATURES.items():
        function = getattr(library, name)
        function.restype = result
        function.argtypes = arguments
    return library


def library() -> ctypes.CDLL:
    """The loaded library, loaded at the first call."""
    global _library
    with _lock:
        if _library is None:
            _library = _load()
        return _library

