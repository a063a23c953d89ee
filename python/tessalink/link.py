"""The handheld at the end of the cable: :class:`Link` and its calls."""

import os
import tempfile
from typing import Dict, Iterable, List, NamedTuple, Optional, Tuple, Union

from . import _call
from ._call import Progress
from ._library import ON_WINDOWS, library
from ._local_files import Source, local_path, read_file, source_file, source_files, staged_output

__all__ = ["Link", "Entry", "NAME_ENCODING"]

#: Names on the handheld given as ``str`` are encoded with this code page,
#: and the names of :meth:`Link.list` decoded with it (bytes it cannot decode
#: come back as surrogate escapes, so that every listed name can be fetched).
NAME_ENCODING = "cp932"

Name = Union[str, bytes]

# The settings records' own defaults, applied again by every Link that does
# not name its own: the library keeps one set of records per process.
_DEFAULT_PORT = {0: 1, 1: 2, 2: 2}
_DEFAULT_BAUD = {0: 9600, 1: 9600, 2: 115200}
_DEFAULT_BLOCK_SIZE = 256
_INT32_MAX = 2**31 - 1
_TEXT_END = b"\x1a"

# Device variables that a Link with a device changed, with the values they
# had before: a Link without a device finds the environment as it was.
_original_devices: Dict[str, Optional[str]] = {}


class Entry(NamedTuple):
    """One file of the handheld's list: its name, and its size in bytes when
    the list gives one (else None)."""

    name: str
    size: Optional[int]


def _handheld_name(name: Name) -> bytes:
    encoded = name if isinstance(name, bytes) else name.encode(NAME_ENCODING, "surrogateescape")
    if b"\0" in encoded:
        raise ValueError(f"a name on the handheld cannot hold a zero byte: {name!r}")
    return encoded


def _parse_list(raw: bytes) -> List[Entry]:
    # One file per line, "name<TAB>size", lines ended by CR LF or LF; a line
    # without a tab is a name alone, a size that is no plain decimal number
    # is not known; empty lines and a name listed again add nothing.
    entries: List[Entry] = []
    seen = set()
    for line in raw.split(b"\n"):
        line = line[:-1] if line.endswith(b"\r") else line
        if not line:
            continue
        name, tab, size = line.partition(b"\t")
        if name in seen:
            continue
        seen.add(name)
        known = tab and size.isdigit()
        entries.append(Entry(name.decode(NAME_ENCODING, "surrogateescape"), int(size) if known else None))
    return entries


def _checked_int(what: str, value: Optional[int], low: int, high: int) -> Optional[int]:
    if value is None:
        return None
    if isinstance(value, bool) or not isinstance(value, int) or not low <= value <= high:
        raise ValueError(f"{what} must be a whole number from {low} to {high}, not {value!r}")
    return value


def _point_device(port: int, device: Optional[str]) -> None:
    variable = f"TESSALINK_COM{port}"
    if device is not None:
        _original_devices.setdefault(variable, os.environ.get(variable))
        os.environ[variable] = device
    elif variable in _original_devices:
        original = _original_devices.pop(variable)
        if original is None:
            os.environ.pop(variable, None)
        else:
            os.environ[variable] = original


class Link:
    """The settings of one link to the handheld, and the calls over it.

    ``mode`` is the link mode, 0, 1 or 2. ``device`` (POSIX only) is the
    serial device or pseudo-terminal the port opens; without it the port's
    variable ``TESSALINK_COM<port>`` as the environment set it, else
    ``/dev/ttyS<port-1>``. ``port`` is the COM port number (default 1 in mode
    0, 2 in modes 1 and 2), ``baud`` the speed (default 9600 in modes 0 and 1,
    115200 in mode 2), ``send_block`` and ``recv_block`` the packet sizes
    (default 256; the library refuses sizes below 4 or above 8192 with
    :class:`~tessalink.NoConnection`). ``progress`` is the default progress
    callback of every call (see :meth:`get`).

    The library keeps one link per process: a Link applies all its settings
    before each call, so several Links with different settings can be used
    in turn, and calls from several threads run one after the other.

    Every call opens the port, runs one conversation with the handheld and
    closes the port. It raises a :class:`~tessalink.TessalinkError` (the
    subclass of its kind) when the library reports a failure, and
    ``KeyboardInterrupt`` after Ctrl-C, which cancels the conversation: the
    call ends with the port closed before the exception is raised (on the
    main thread, unless the program set its own SIGINT handler).
    """

    def __init__(self, mode: int = 2, device: Optional[str] = None, port: Optional[int] = None,
                 baud: Optional[int] = None, send_block: Optional[int] = None,
                 recv_block: Optional[int] = None, *, progress: Optional[Progress] = None) -> None:
        if isinstance(mode, bool) or mode not in (0, 1, 2):
            raise ValueError(f"the link mode must be 0, 1 or 2, not {mode!r}")
        if device is not None and ON_WINDOWS:
            raise ValueError("device names a POSIX device; on Windows the port is COM<port>")
        self.mode = mode
        self.device = None if device is None else os.fsdecode(device)
        self.port = _checked_int("port", port, 0, 0xFFFF)
        self.baud = _checked_int("baud", baud, 1, _INT32_MAX)
        self.send_block = _checked_int("send_block", send_block, -_INT32_MAX - 1, _INT32_MAX)
        self.recv_block = _checked_int("recv_block", recv_block, -_INT32_MAX - 1, _INT32_MAX)
        self.progress = progress

    def __repr__(self) -> str:
        settings = ", ".join(f"{key}={value!r}" for key, value in vars(self).items()
                             if value is not None and key != "progress")
        return f"Link({settings})"

    # ---- the calls ----

    def list(self, argument: Name = "", *, progress: Optional[Progress] = None) -> List[Entry]:
        """The handheld's files, in the order it lists them.

        ``argument`` is passed to the handheld unchanged (empty: every file).
        """
        return _parse_list(self.list_raw(argument, progress=progress))

    def list_raw(self, argument: Name = "", *, progress: Optional[Progress] = None) -> bytes:
        """The handheld's file list as it sends it."""
        request = _handheld_name(argument)
        return self._fetch(lambda path, window: library().KIVO_LinkFileList(path, request, window),
                           progress)

    def get(self, name: Name, path: Union[str, "os.PathLike[str]", None] = None, *,
            progress: Optional[Progress] = None) -> bytes:
        """Fetches the file ``name`` and returns its bytes; with ``path``, also
        writes them there: whole, or not at all (a failed call leaves what was
        there before).

        ``progress(done, total)``, here or given to the Link, is called as
        the bytes move: ``done`` the bytes moved so far in this call, ``total``
        the bytes the call moves when known, else None. Returning True
        cancels the call, which then raises :class:`~tessalink.Cancelled`.
        """
        request = _handheld_name(name)

        def call(stage: bytes, window: Optional[int]) -> int:
            return library().KIVO_LinkGetFile(stage, request, window)

        if path is None:
            return self._fetch(call, progress)
        with staged_output(path) as stage:
            self._run(lambda window: call(local_path(stage.path), window), progress)
            data = read_file(stage.path)
            stage.commit()
        return data

    def get_many(self, names: Iterable[Name], directory: Union[str, "os.PathLike[str]"], *,
                 progress: Optional[Progress] = None) -> List[str]:
        """Fetches each file of ``names``, in order, over one connection, into
        ``directory`` under its own name, and returns the paths written.

        Each file replaces what ``directory`` held under its name only once
        it has arrived whole. The call stops at the first file that fails and
        raises; the files fetched before it are stored, and the one it
        stopped in leaves the old copy as it was.
        """
        requests = [_handheld_name(name) for name in names]
        if not requests:
            return []
        local_names = []
        for request in requests:
            local = request.decode(NAME_ENCODING, "surrogateescape")
            if not request or b"\r" in request or local in (".", "..") or "/" in local or os.sep in local:
                raise ValueError(f"{request!r} cannot be the name of a file in a directory")
            local_names.append(local)
        directory = os.fspath(directory)
        # The library creates each file only when its turn comes: after a
        # stop, every file there but the last is whole.
        with tempfile.TemporaryDirectory(prefix=".tessalink-", dir=directory) as staging:
            stages = [os.path.join(staging, str(index)) for index in range(len(requests))]
            joined_paths = b"\r".join(local_path(stage) for stage in stages)
            joined_names = b"\r".join(requests)
            try:
                self._run(lambda window: library().KIVO_LinkGetFiles(joined_paths, joined_names, window),
                          progress)
                finished = len(stages)
            except BaseException:
                begun = 0
                while begun < len(stages) and os.path.exists(stages[begun]):
                    begun += 1
                self._store(stages[:max(begun - 1, 0)], directory, local_names)
                raise
            return self._store(stages[:finished], directory, local_names)

    @staticmethod
    def _store(stages: List[str], directory: str, local_names: List[str]) -> List[str]:
        stored = []
        for stage, local in zip(stages, local_names):
            target = os.path.join(directory, local)
            os.replace(stage, target)
            stored.append(target)
        return stored

    def put(self, source: Source, name: Name, variant: int = 1, release: bool = True, *,
            progress: Optional[Progress] = None) -> None:
        """Sends ``source`` (a local file's path, or the bytes themselves) as
        the file ``name``, then the release unless ``release`` is False.

        ``variant`` 2 sends the file in acknowledged chunks after announcing
        its size (link mode 2 only).
        """
        self.put_many([(source, name)], variant, release, progress=progress)

    def put_many(self, files: Iterable[Tuple[Source, Name]], variant: int = 1, release: bool = True,
                 *, progress: Optional[Progress] = None) -> None:
        """Sends each ``(source, name)`` pair, in order, over one connection,
        then one release unless ``release`` is False.

        Every local file is checked before the connection, so that a missing
        one sends nothing. The transfer stops at the first file that fails:
        the files before it stay on the handheld, and no release follows.
        No pair at all: nothing happens.
        """
        if variant not in (1, 2) or isinstance(variant, bool):
            raise ValueError(f"the variant must be 1 or 2, not {variant!r}")
        if variant == 2 and self.mode != 2:
            raise ValueError("variant 2 runs only in link mode 2")
        pairs = [(source, _handheld_name(name)) for source, name in files]
        if not pairs:
            return
        for _source, name in pairs:
            if not name or b"\r" in name:
                raise ValueError(f"a name on the handheld must be given, without CR: {name!r}")
        with source_files([source for source, _name in pairs]) as (paths, total):
            several = len(pairs) > 1
            export = _put_export(variant, release, several)
            joined_paths = b"\r".join(paths)
            joined_names = b"\r".join(name for _source, name in pairs)
            self._run(lambda window: export(joined_paths, joined_names, window), progress, total)

    def delete(self, name: Name, *, progress: Optional[Progress] = None) -> None:
        """Asks the handheld to delete the file ``name``; succeeds whether or
        not it had such a file."""
        request = _handheld_name(name)
        self._run(lambda window: library().KIVO_LinkDelFile(request, window), progress)

    def release(self, *, progress: Optional[Progress] = None) -> None:
        """Sends the release on a connection of its own."""
        self._run(lambda window: library().KIVO_LinkRelease(window), progress)

    def send_text(self, text: Union[str, bytes], *, progress: Optional[Progress] = None) -> None:
        """Sends ``text`` as the application text (``str`` is encoded with
        :data:`NAME_ENCODING`), followed by the end mark 0x1A.

        The bytes go as they are, line ends included. A text cannot hold a
        zero byte (ValueError); a 0x1A that ends it or one of its lines is
        not sent.
        """
        data = text.encode(NAME_ENCODING) if isinstance(text, str) else bytes(text)
        if b"\0" in data:
            raise ValueError(f"the text holds a zero byte at offset {data.index(0)}")
        with source_file(data) as path:
            self._run(lambda window: library().KIVO_AppTextSend(local_path(path), window), progress)

    def receive_text(self, *, progress: Optional[Progress] = None) -> bytes:
        """Waits for the handheld's application text and returns it, without
        its end mark 0x1A.

        In link modes 0 and 2 the wait has no end of its own: progress is
        reported with no bytes about once a second, so a callback (or
        Ctrl-C) can cancel it.
        """
        text = self._fetch(lambda path, window: library().KIVO_AppTextRecv(path, window), progress)
        return text[:-1] if text.endswith(_TEXT_END) else text

    # ---- the frame of every call ----

    def _apply_settings(self) -> None:
        lib = library()
        port = _DEFAULT_PORT[self.mode] if self.port is None else self.port
        _point_device(port, self.device)
        accepted = (lib.KIVO_SetMode(self.mode), lib.KIVO_SetPort(self.mode, port),
                    lib.KIVO_SetBaudEx(self.mode, _DEFAULT_BAUD[self.mode] if self.baud is None else self.baud))
        if accepted != (1, 1, 1):
            raise RuntimeError(f"the library did not accept the settings of {self!r}")
        lib.KIVO_LinkSendBlockSize(_DEFAULT_BLOCK_SIZE if self.send_block is None else self.send_block)
        lib.KIVO_LinkRecvBlockSize(_DEFAULT_BLOCK_SIZE if self.recv_block is None else self.recv_block)

    def _run(self, call, progress: Optional[Progress], known_total: Optional[int] = None) -> None:
        _call.run(call, self._apply_settings, progress if progress is not None else self.progress,
                  known_total)

    def _fetch(self, call, progress: Optional[Progress]) -> bytes:
        """Runs call(path, window), which stores what it receives into a
        private temporary file, and returns the file's bytes."""
        with tempfile.TemporaryDirectory(prefix="tessalink-") as folder:
            path = os.path.join(folder, "received")
            self._run(lambda window: call(local_path(path), window), progress)
            return read_file(path)


def _put_export(variant: int, release: bool, several: bool):
    lib = library()
    exports = {
        (1, True, False): lib.KIVO_LinkPutFile, (1, False, False): lib.KIVO_LinkPutFileEx,
        (2, True, False): lib.KIVO_LinkPutFile2, (2, False, False): lib.KIVO_LinkPutFile2Ex,
        (1, True, True): lib.KIVO_LinkPutFiles, (1, False, True): lib.KIVO_LinkPutFilesEx,
        (2, True, True): lib.KIVO_LinkPutFiles2, (2, False, True): lib.KIVO_LinkPutFiles2Ex,
    }
    return exports[(variant, bool(release), several)]
