"""The caller's local files as the library takes them: paths in the system's
encoding, bytes staged in private temporary files, and outputs written whole
or not at all."""

import contextlib
import os
import sys
import tempfile
from typing import Iterator, List, Sequence, Tuple, Union

from .errors import LocalFileError

#: A file to send: a local path, or the bytes themselves.
Source = Union[str, "os.PathLike[str]", bytes, bytearray, memoryview]

_ENCODING = "mbcs" if sys.platform == "win32" else None


def local_path(path: Union[str, "os.PathLike[str]"]) -> bytes:
    """The path as the library's file calls take it."""
    if _ENCODING is not None:
        return os.fspath(path).encode(_ENCODING)
    return os.fsencode(path)


def read_file(path: str) -> bytes:
    with open(path, "rb") as file:
        return file.read()


@contextlib.contextmanager
def source_file(data: bytes) -> Iterator[str]:
    """The bytes in a private temporary file, removed afterwards."""
    with tempfile.TemporaryDirectory(prefix="tessalink-") as folder:
        path = os.path.join(folder, "source")
        with open(path, "wb") as file:
            file.write(data)
        yield path


def _readable_size(path: str) -> int:
    try:
        with open(path, "rb") as file:
            return os.fstat(file.fileno()).st_size
    except OSError as error:
        raise LocalFileError(-500, detail=f"{path}: {error.strerror or error}") from error


@contextlib.contextmanager
def source_files(sources: Sequence[Source]) -> Iterator[Tuple[List[bytes], int]]:
    """Each source as a path for the library (bytes in temporary files), and
    their sizes together. A path that cannot be read raises LocalFileError
    before anything is sent."""
    with contextlib.ExitStack() as stack:
        paths: List[bytes] = []
        total = 0
        for source in sources:
            if isinstance(source, (bytes, bytearray, memoryview)):
                path = stack.enter_context(source_file(bytes(source)))
            else:
                path = os.fspath(source)
                if not path or "\r" in path:
                    raise ValueError(f"a local path must be given, without CR: {path!r}")
            total += _readable_size(path)
            paths.append(local_path(path))
        yield paths, total


class StagedOutput:
    """A hidden file beside the destination; commit() renames it over the
    destination, and without commit() it is removed."""

    def __init__(self, destination: Union[str, "os.PathLike[str]"]) -> None:
        self.destination = os.fspath(destination)
        folder, name = os.path.split(os.path.abspath(self.destination))
        try:
            handle, self.path = tempfile.mkstemp(prefix=f".{name}.", suffix=".tessalink-part", dir=folder)
        except OSError as error:
            raise LocalFileError(-500, detail=f"{self.destination}: {error.strerror or error}") from error
        os.close(handle)
        self._committed = False

    def commit(self) -> None:
        try:
            os.replace(self.path, self.destination)
        except OSError as error:
            raise LocalFileError(-500, detail=f"{self.destination}: {error.strerror or error}") from error
        self._committed = True

    def discard(self) -> None:
        if not self._committed:
            with contextlib.suppress(FileNotFoundError):
                os.unlink(self.path)


@contextlib.contextmanager
def staged_output(destination: Union[str, "os.PathLike[str]"]) -> Iterator[StagedOutput]:
    stage = StagedOutput(destination)
    try:
        yield stage
    finally:
        stage.discard()
