"""One link call: serialized with every other, reporting progress, cancellable.

The library keeps one link per process and must never run two link calls at
once, so every call holds one process-wide lock. During a call the library
polls the caller's window for a cancel and reports progress to it; here the
window is a record whose procedure hands progress to the caller's callback
and answers the poll with the cancel that the callback or Ctrl-C asked for.
The library then ends the conversation, closes the port and returns, and only
then is the cancel raised: the port is never left open behind an exception.
"""

import ctypes
import signal
import threading
from typing import Callable, Optional

from . import _library
from .errors import error_for

# progress(done, total): the bytes moved so far in this call, and the bytes
# the whole call moves when known (else None). Returning True cancels.
Progress = Callable[[int, Optional[int]], Optional[bool]]

_link_lock = threading.Lock()
_in_call = threading.local()


class _Window:
    """The window record of one call, and what happened to it."""

    def __init__(self, progress: Optional[Progress], known_total: Optional[int]) -> None:
        self._progress = progress
        self._known_total = known_total
        self.done = 0
        self.cancelled = False   # the callback answered True
        self.interrupted = False  # Ctrl-C
        self.failure: Optional[BaseException] = None  # raised by the callback
        self._proc = _library.WindowProc(self._on_message)  # kept alive for the call
        self.record = _library.WindowRecord(self._proc, None)

    def wants_cancel(self) -> bool:
        return self.cancelled or self.interrupted or self.failure is not None

    def _on_message(self, _context, message, w_param, l_param):
        # Nothing may escape into the library: a failure is kept, cancels the
        # call and is raised once the call has ended.
        try:
            if message == _library.WM_LINK_POLL:
                return 1 if self.wants_cancel() else 0
            if message == _library.WM_LINK_PROGRESS:
                self.done += w_param
                total = self._known_total or (l_param if l_param > 0 else None)
                if self._progress is not None and self._progress(self.done, total) is True:
                    self.cancelled = True
        except BaseException as failure:  # KeyboardInterrupt too
            self.failure = failure
        return 0


class _CtrlCCancels:
    """While a call runs on the main thread, Ctrl-C only asks for the cancel.

    Left as it is when the call runs on another thread (signals reach only the
    main thread) or when the program has its own SIGINT handler.
    """

    def __init__(self, window: _Window) -> None:
        self._window = window
        self._previous = None

    def __enter__(self) -> "_CtrlCCancels":
        if (threading.current_thread() is threading.main_thread()
                and signal.getsignal(signal.SIGINT) is signal.default_int_handler):
            self._previous = signal.signal(signal.SIGINT, self._on_interrupt)
        return self

    def _on_interrupt(self, _signal_number, _frame) -> None:
        self._window.interrupted = True

    def __exit__(self, *_exception) -> None:
        if self._previous is not None:
            signal.signal(signal.SIGINT, self._previous)


def run(call: Callable[[Optional[int]], int], apply_settings: Callable[[], None],
        progress: Optional[Progress] = None, known_total: Optional[int] = None) -> None:
    """Runs call(window) as the one link call of the moment, with the settings
    applied first; raises for any result but 0, and KeyboardInterrupt after a
    Ctrl-C, once the call has ended."""
    if getattr(_in_call, "active", False):
        raise RuntimeError("a link call cannot be made from inside a progress callback")
    window = _Window(progress, known_total)
    # On Windows the window is an HWND, which this package does not make: the
    # calls run without progress and cancel there.
    handle = None if _library.ON_WINDOWS else ctypes.addressof(window.record)
    with _link_lock:
        _in_call.active = True
        try:
            apply_settings()
            with _CtrlCCancels(window):
                result = call(handle)
        finally:
            _in_call.active = False
    failure = error_for(result) if result != 0 else None
    if window.interrupted:
        raise KeyboardInterrupt from failure
    if window.failure is not None:
        raise window.failure
    if failure is not None:
        raise failure
